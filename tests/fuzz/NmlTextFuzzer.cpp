#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextWriter.h"
#include "platform/nPlatform.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

// The input holds up to four documents, "a" (the one loaded) and "b", "c", "d" that it may
// "#include", separated by this sequence.
constexpr char FileSeparator[] = "\0%%\0";
constexpr size_t FileSeparatorLength = sizeof(FileSeparator) - 1;

void Fail(const std::string& what)
{
    std::fprintf(stderr, "round trip: %s\n", what.c_str());
    std::abort();
}

std::string Text(const nString& text)
{
    return std::string(text.GetText() ? text.GetText() : "", text.GetLength());
}

// Reals are written with six decimals (non-finite ones as 0) and read in single precision, so
// a real read back may differ by that rounding.
bool SameReal(float read, float readBack)
{
    if (!std::isfinite(read))
        read = 0.0f;
    return std::fabs(read - readBack) <= 1e-6f + std::fabs(read) * 1e-6f;
}

std::string Describe(const nMetaTag& tag)
{
    const nMetaTagValue& value = tag.GetValue();
    std::string text = "<" + Text(tag.GetName()) + "> type " + std::to_string(value.GetType());
    float real = 0.0f;
    int32_t integer = 0;
    bool boolean = false;
    nString string;
    uint8_t* binary = nullptr;
    uint32_t size = 0;
    switch (value.GetType())
    {
    case TagTypeReal:
        value.GetFloat(real);
        return text + " " + std::to_string(real);
    case TagTypeInteger:
        value.GetInt(integer);
        return text + " " + std::to_string(integer);
    case TagTypeBool:
        value.GetBool(boolean);
        return text + (boolean ? " True" : " False");
    case TagTypeString:
        value.GetString(string);
        return text + " \"" + Text(string) + "\"";
    case TagTypeBinary:
        if (value.GetBinary(binary, size))
        {
            text +=
                " " + std::to_string(size) + " bytes " + std::string(reinterpret_cast<char*>(binary), size);
            delete[] binary;
        }
        return text;
    default:
        return text + " children " + std::to_string(tag.GetChildCount());
    }
}

void CompareLists(const nLinkedListId& expected, const nLinkedListId& actual)
{
    if (expected.GetCount() != actual.GetCount())
        Fail("child counts " + std::to_string(expected.GetCount()) + " and " +
             std::to_string(actual.GetCount()));
    const nLinkedListEntry* left = expected.GetHead();
    const nLinkedListEntry* right = actual.GetHead();
    for (; left && right; left = left->GetNext(), right = right->GetNext())
    {
        const auto& leftTag = *static_cast<const nMetaTag*>(left);
        const auto& rightTag = *static_cast<const nMetaTag*>(right);
        const std::string leftText = Describe(leftTag);
        const std::string rightText = Describe(rightTag);
        float leftReal = 0.0f;
        float rightReal = 0.0f;
        const bool reals = leftTag.GetType() == TagTypeReal && rightTag.GetType() == TagTypeReal &&
                           leftTag.GetValue().GetFloat(leftReal) && rightTag.GetValue().GetFloat(rightReal);
        if (reals ? !SameReal(leftReal, rightReal) || leftTag.GetName() != rightTag.GetName()
                  : leftText != rightText)
            Fail("read " + leftText + ", read back " + rightText);
        CompareLists(leftTag.GetChildren(), rightTag.GetChildren());
    }
}

std::string Write(const nMetaFile& file, uint32_t encoding, bool& written)
{
    nMetaTextWriter writer(encoding);
    written = writer.WriteDocument(file);
    return writer.GetText();
}

// What the reader accepted and the writer wrote must read back to the same tree.
void RoundTrip(const nMetaFile& read, uint32_t encoding)
{
    bool written = false;
    const std::string text = Write(read, encoding, written);
    if (!written)
        return;
    nMetaFile back;
    back.SetFileName("written");
    if (!back.Parse(text.data(), text.size()))
        Fail("written text does not read back:\n" + text);
    CompareLists(read.GetRoots(), back.GetRoots());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted();
    const std::string input(reinterpret_cast<const char*>(data), size);
    files->ClearFiles();
    size_t begin = 0;
    for (char name = 'a'; name <= 'd' && begin <= input.size(); ++name)
    {
        size_t end = name == 'd' ? std::string::npos : input.find(FileSeparator, begin, FileSeparatorLength);
        if (end == std::string::npos)
            end = input.size();
        files->Put(std::string(1, name), input.substr(begin, end - begin));
        begin = end + FileSeparatorLength;
    }

    nMetaFile file;
    if (!file.Load("a"))
        return 0;
    RoundTrip(file, MetaBinaryEncodingYEnc);
    RoundTrip(file, MetaBinaryEncodingUU);
    return 0;
}
