#include "core/nml/nMetaTextWriter.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "core/nml/nMetaBinaryEncoding.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextScan.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace
{
template <typename T> void AppendNumber(std::string& text, T value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    text.append(buffer, result.ptr);
}

// Six decimals as "%f" prints them, whatever the locale.
void AppendReal(std::string& text, float value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), static_cast<double>(value),
                                std::chars_format::fixed, 6);
    text.append(buffer, result.ptr);
}
} // namespace

nMetaTextWriter::nMetaTextWriter(uint32_t binaryEncoding) : m_binaryEncoding(binaryEncoding) {}

bool nMetaTextWriter::WriteDocument(const nMetaFile& file)
{
    m_text += "<NML=1.0>\n";
    nLinkedListIterator iterator;
    while (const nMetaTag* root = file.GetNextRoot(iterator))
        if (!WriteTag(root, 0))
            return false;
    return true;
}

void nMetaTextWriter::WriteIndent(uint32_t depth)
{
    m_text.append(depth, '\t');
}

bool nMetaTextWriter::WriteTag(const nMetaTag* tag, uint32_t depth)
{
    if (!tag)
        return false;
    const char* name = tag->GetName().GetText() ? tag->GetName().GetText() : "";
    const char* nameEnd = name + tag->GetName().GetLength();
    // The reader ends a name at the first of these characters: such a name would not read back.
    if (TextFindTokenEnd(name, nameEnd, false) != nameEnd)
    {
        nLogHolder::Get() << "[!] Tag name '" << tag->GetName()
                          << "' holds a character that ends names in NML; the tag cannot be written.\n";
        return false;
    }
    WriteIndent(depth);
    m_text += '<';
    m_text.append(name, nameEnd);
    const nMetaTagValue& value = tag->GetValue();
    switch (value.GetType())
    {
    case TagTypeNone:
    {
        if (tag->GetChildCount() == 0)
        {
            m_text += ">\n";
            return true;
        }
        m_text += "=\n";
        nLinkedListIterator iterator;
        while (const nMetaTag* child = tag->GetNextChild(iterator))
            if (!WriteTag(child, depth + 1))
                return false;
        WriteIndent(depth);
        m_text += ">\n";
        return true;
    }
    case TagTypeReal:
    {
        float real = 0.0f;
        value.GetFloat(real);
        if (!std::isfinite(real))
        {
            // The reader has no form for these, so the whole document would no longer load.
            nLogHolder::Get() << "[*] Tag '" << tag->GetName()
                              << "' holds a Real that is not a finite number; written as 0.\n";
            real = 0.0f;
        }
        m_text += '=';
        AppendReal(m_text, real);
        m_text += ">\n";
        return true;
    }
    case TagTypeBool:
        m_text += tag->GetBool() ? "=True>\n" : "=False>\n";
        return true;
    case TagTypeInteger:
    {
        int32_t integer = 0;
        value.GetInt(integer);
        m_text += '=';
        AppendNumber(m_text, integer);
        m_text += ">\n";
        return true;
    }
    case TagTypeString:
        return WriteString(*tag);
    case TagTypeBinary:
        WriteBinary(*tag);
        return true;
    default:
        nLogHolder::Get() << "[!] No method to output tag '" << tag->GetName() << "' type.\n";
        return false;
    }
}

// Nothing is escaped, so a text whose quote would end it early (a double quote not taken by a
// backslash, or a final backslash taking the closing quote) is refused: written, it would make
// the whole document unreadable.
bool nMetaTextWriter::WriteString(const nMetaTag& tag)
{
    nString text;
    tag.GetValue().GetString(text);
    const char* begin = text.GetText() ? text.GetText() : "";
    const char* end = begin + text.GetLength();
    std::string quoted(begin, end);
    quoted += '"';
    if (TextFindClosingQuote(quoted.data(), quoted.data() + quoted.size()) !=
        quoted.data() + quoted.size() - 1)
    {
        nLogHolder::Get() << "[!] String of tag '" << tag.GetName()
                          << "' holds a double quote that would end it early; it cannot be written.\n";
        return false;
    }
    m_text += "=\"";
    m_text += quoted;
    m_text += ">\n";
    return true;
}

void nMetaTextWriter::WriteBinary(const nMetaTag& tag)
{
    const uint8_t* data = tag.GetValue().GetBinaryData();
    const uint32_t size = tag.GetValue().GetBinarySize();
    bool yEnc = m_binaryEncoding == MetaBinaryEncodingYEnc;
    bool known = yEnc || m_binaryEncoding == MetaBinaryEncodingUU;
    size_t count = 0;
    if (known)
        count = yEnc ? EncodeYEnc(data, size, nullptr, 0, YEncLineLength) : EncodeUU(data, size, nullptr, 0);
    // An empty value still gets its header ("==0:0@"), so that it reads back as Binary.
    char* encoded = known ? static_cast<char*>(MemAllocMetatag(count ? count : 1)) : nullptr;
    if (!encoded)
    {
        nLogHolder::Get() << "[!] Tag '" << tag.GetName() << "' failed to allocate internal binary buffer.\n";
        m_text += ">\n";
        return;
    }
    size_t produced =
        yEnc ? EncodeYEnc(data, size, encoded, count, YEncLineLength) : EncodeUU(data, size, encoded, count);
    if (produced != count)
        nLogHolder::Get() << "[*] Internal ASCII encoding inconsistency detected while processing tag '"
                          << tag.GetName() << "'.\n";
    m_text += "==";
    AppendNumber(m_text, produced);
    m_text += ':';
    AppendNumber(m_text, size);
    if (yEnc)
        m_text += '@';
    m_text += '\n';
    m_text.append(encoded, produced);
    m_text += ">\n";
    MemFreeMetatag(encoded);
}
