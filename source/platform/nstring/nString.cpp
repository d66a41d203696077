#include "platform/nstring/nString.h"

#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "core/base/nLog.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace
{
char* CopyText(const char* text, size_t length)
{
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy)
    {
        std::memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsPathSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Formatting uses the "C" numeric conventions whatever locale the process runs under.
locale_t ClassicLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}
} // namespace

nString::nString(const char* text)
{
    *this = text;
}

nString::nString(const nString& other)
{
    *this = other.m_text;
}

nString::nString(nString&& other) noexcept
    : m_text(other.m_text), m_hash(other.m_hash), m_length(other.m_length)
{
    other.m_text = nullptr;
    other.m_hash = 0;
    other.m_length = 0;
}

nString::nString(const char* begin, const char* end)
{
    Set(begin, end);
}

nString::~nString()
{
    Clear();
}

void nString::Clear()
{
    std::free(m_text);
    m_text = nullptr;
    m_hash = 0;
    m_length = 0;
}

void nString::Adopt(char* text, uint32_t length)
{
    std::free(m_text);
    m_text = text;
    m_length = text ? length : 0;
    m_hash = 0;
}

nString& nString::operator=(const char* text)
{
    if (text == m_text)
        return *this;
    if (!text)
    {
        Clear();
        return *this;
    }
    size_t length = std::strlen(text);
    Adopt(CopyText(text, length), static_cast<uint32_t>(length));
    return *this;
}

nString& nString::operator=(const nString& other)
{
    if (&other == this)
        return *this;
    if (other.IsEmpty())
    {
        Clear();
        return *this;
    }
    Adopt(CopyText(other.m_text, other.m_length), other.m_length);
    if (m_text)
        m_hash = other.m_hash;
    return *this;
}

nString& nString::operator=(nString&& other) noexcept
{
    if (&other != this)
    {
        std::free(m_text);
        m_text = other.m_text;
        m_hash = other.m_hash;
        m_length = other.m_length;
        other.m_text = nullptr;
        other.m_hash = 0;
        other.m_length = 0;
    }
    return *this;
}

void nString::Set(const char* begin, const char* end)
{
    if (!begin)
    {
        Clear();
        return;
    }
    if (!end)
        end = begin + std::strlen(begin);
    if (end <= begin)
    {
        Clear();
        return;
    }
    // The range may lie inside this string's own text: copy before freeing.
    Adopt(CopyText(begin, static_cast<size_t>(end - begin)), static_cast<uint32_t>(end - begin));
}

uint32_t nString::UpdateLength()
{
    m_length = m_text ? static_cast<uint32_t>(std::strlen(m_text)) : 0;
    m_hash = 0;
    return m_length;
}

uint32_t nString::GetHash() const
{
    if (m_hash == 0)
        m_hash = HashText(m_text);
    return m_hash;
}

uint32_t nString::HashText(const char* text)
{
    uint32_t hash = 0;
    if (text)
        for (const char* c = text; *c; ++c)
            hash = hash * 37u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*c)));
    return hash | 1u;
}

nString& nString::operator+=(const char* text)
{
    if (!text)
        return *this;
    if (IsEmpty())
        return *this = text;
    size_t added = std::strlen(text);
    char* joined = static_cast<char*>(std::malloc(m_length + added + 1));
    if (!joined)
    {
        Clear();
        return *this;
    }
    std::memcpy(joined, m_text, m_length);
    std::memcpy(joined + m_length, text, added + 1);
    Adopt(joined, static_cast<uint32_t>(m_length + added));
    return *this;
}

nString& nString::operator+=(const nString& other)
{
    if (other.IsEmpty())
        return *this;
    return *this += other.m_text;
}

nString& nString::operator+=(int value)
{
    char digits[16];
    auto result = std::to_chars(digits, digits + sizeof(digits) - 1, value);
    *result.ptr = '\0';
    return *this += digits;
}

nString nString::Format(const char* format, ...)
{
    if (!format)
        return nString();
    char buffer[FormatCapacity + 1];
    locale_t previous = uselocale(ClassicLocale());
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(buffer, sizeof(buffer), format, arguments);
    va_end(arguments);
    uselocale(previous);
    if (written < 0)
        return nString();
    return nString(buffer);
}

bool nString::operator==(const nString& other) const
{
    if (IsEmpty() || other.IsEmpty())
        return IsEmpty() == other.IsEmpty();
    if (GetHash() != other.GetHash())
        return false;
    return m_length == other.m_length && std::memcmp(m_text, other.m_text, m_length) == 0;
}

bool nString::Equals(const nString& other) const
{
    if (IsEmpty() || other.IsEmpty())
        return IsEmpty() == other.IsEmpty();
    return m_length == other.m_length && std::memcmp(m_text, other.m_text, m_length) == 0;
}

bool nString::operator==(const char* text) const
{
    if (!text || !*text)
        return IsEmpty();
    if (text == m_text)
        return true;
    return m_text && std::strcmp(m_text, text) == 0;
}

bool nString::EqualsText(const char* text, uint32_t hash) const
{
    if (hash != 0 && hash != GetHash())
        return false;
    return *this == text;
}

int nString::Compare(const nString& first, const nString& second)
{
    if (!first.m_text || !second.m_text)
        return (!first.m_text && !second.m_text) ? 0 : 1;
    const signed char* a = reinterpret_cast<const signed char*>(first.m_text);
    const signed char* b = reinterpret_cast<const signed char*>(second.m_text);
    while (*a && *a == *b)
    {
        ++a;
        ++b;
    }
    if (*a == *b)
        return 0;
    return *a < *b ? 1 : -1;
}

bool nString::Contains(const char* text) const
{
    return m_text && text && std::strstr(m_text, text) != nullptr;
}

bool nString::StartsWith(const char* text) const
{
    if (!m_text || !text)
        return false;
    const char* own = m_text;
    while (*own && *text)
    {
        if (*own != *text)
            return false;
        ++own;
        ++text;
    }
    return true;
}

int nString::FindChar(char c, int start) const
{
    if (start < 0)
        start = 0;
    for (uint32_t i = static_cast<uint32_t>(start); i < m_length; ++i)
        if (m_text[i] == c)
            return static_cast<int>(i);
    return -1;
}

bool nString::HasDrive() const
{
    return m_length >= 3 && m_text[1] == ':';
}

nString nString::Slice(int start, int end) const
{
    int length = static_cast<int>(m_length);
    start = start < 0 ? 0 : (start > length ? length : start);
    end = end < 0 ? 0 : (end > length ? length : end);
    if (end <= start)
        return nString();
    return nString(m_text + start, m_text + end);
}

nString nString::Left(int count) const
{
    if (count >= 0 && static_cast<uint32_t>(count) < m_length)
        return nString(m_text, m_text + count);
    return *this;
}

nString nString::SubstringFrom(int index) const
{
    if (index >= 0 && static_cast<uint32_t>(index) < m_length)
        return nString(m_text + index, m_text + m_length);
    return *this;
}

nString nString::Mid(int start, int count) const
{
    int length = static_cast<int>(m_length);
    start = start < 0 ? 0 : (start > length ? length : start);
    if (count < 0 || count > length - start)
        count = length - start;
    if (count == 0)
        return nString();
    return nString(m_text + start, m_text + start + count);
}

nString nString::RemoveChar(char c) const
{
    nString result(*this);
    if (result.m_text)
    {
        char* out = result.m_text;
        for (const char* in = result.m_text; *in; ++in)
            if (*in != c)
                *out++ = *in;
        *out = '\0';
        result.UpdateLength();
    }
    return result;
}

nString nString::ToLower() const
{
    nString result(*this);
    for (uint32_t i = 0; i < result.m_length; ++i)
        result.m_text[i] = AsciiLower(result.m_text[i]);
    result.m_hash = 0;
    return result;
}

nString nString::ToUpper() const
{
    nString result(*this);
    for (uint32_t i = 0; i < result.m_length; ++i)
        result.m_text[i] = AsciiUpper(result.m_text[i]);
    result.m_hash = 0;
    return result;
}

nString nString::ToDisplayName(bool keepSpaces) const
{
    nString result(*this);
    for (uint32_t i = 0; i < result.m_length; ++i)
    {
        char& c = result.m_text[i];
        if (c == '_')
            c = ' ';
        else if (c == ' ' && !keepSpaces)
            c = '_';
        else if (c >= 'a' && c <= 'z' && (i == 0 || result.m_text[i - 1] == ' '))
            c = AsciiUpper(c);
    }
    result.m_hash = 0;
    return result;
}

bool nString::ReplaceFirst(const char* pattern, const char* replacement)
{
    if (!m_text || !pattern || !*pattern)
        return false;
    const char* found = std::strstr(m_text, pattern);
    if (!found)
        return false;
    if (!replacement)
        replacement = "";
    size_t before = static_cast<size_t>(found - m_text);
    size_t patternLength = std::strlen(pattern);
    size_t replacementLength = std::strlen(replacement);
    size_t length = m_length - patternLength + replacementLength;
    char* result = static_cast<char*>(std::malloc(length + 1));
    if (!result)
        return false;
    std::memcpy(result, m_text, before);
    std::memcpy(result + before, replacement, replacementLength);
    std::memcpy(result + before + replacementLength, found + patternLength,
                m_length - before - patternLength + 1);
    Adopt(result, static_cast<uint32_t>(length));
    return true;
}

// Two passes over the text, one measuring and one writing; an empty pattern never matches, so the
// walk always moves forward.
bool nString::ReplaceList(const char* const* patterns, const char* const* replacements)
{
    if (!m_text || !patterns || !replacements)
        return true;
    char* result = nullptr;
    size_t length = 0;
    for (int pass = 0; pass < 2; ++pass)
    {
        size_t out = 0;
        const char* at = m_text;
        while (*at)
        {
            bool matched = false;
            for (int i = 0; patterns[i] && replacements[i]; ++i)
            {
                size_t patternLength = std::strlen(patterns[i]);
                if (patternLength == 0 || std::strncmp(at, patterns[i], patternLength) != 0)
                    continue;
                size_t replacementLength = std::strlen(replacements[i]);
                if (result)
                    std::memcpy(result + out, replacements[i], replacementLength);
                out += replacementLength;
                at += patternLength;
                matched = true;
                break;
            }
            if (!matched)
            {
                if (result)
                    result[out] = *at;
                ++out;
                ++at;
            }
        }
        if (pass == 0)
        {
            length = out;
            result = static_cast<char*>(std::malloc(length + 1));
            if (!result)
                return true;
        }
    }
    result[length] = '\0';
    Adopt(result, static_cast<uint32_t>(length));
    return true;
}

bool nString::Replace(const char* pattern, const char* replacement)
{
    const char* patterns[] = {pattern, nullptr};
    const char* replacements[] = {replacement ? replacement : "", nullptr};
    return ReplaceList(patterns, replacements);
}

uint32_t nString::Split(const char* separator, nList<nString>& pieces) const
{
    if (!m_text)
        return 0;
    if (m_length == 0)
        return pieces.GetCount();
    size_t separatorLength = separator ? std::strlen(separator) : 0;
    if (separatorLength == 0)
    {
        pieces.PushBack(*this);
        return pieces.GetCount();
    }
    const char* start = m_text;
    const char* end = m_text + m_length;
    while (true)
    {
        const char* found = std::strstr(start, separator);
        const char* pieceEnd = found ? found : end;
        pieces.PushBack(nString(start, pieceEnd));
        if (!found)
            break;
        start = found + separatorLength;
        if (start >= end)
            break;
    }
    return pieces.GetCount();
}

bool nString::NormalizePath()
{
    if (!m_text)
        return false;
    char* result = static_cast<char*>(std::malloc(m_length + 1));
    if (!result)
        return false;
    if (m_length >= 3 && m_text[1] == ':')
        m_text[0] = AsciiLower(m_text[0]);
    uint32_t out = 0;
    for (uint32_t i = 0; i < m_length; ++i)
    {
        char c = m_text[i] == '\\' ? '/' : m_text[i];
        if (c == '/' && out > 0 && result[out - 1] == '/')
            continue;
        result[out++] = c;
    }
    result[out] = '\0';

    char* start = result;
    if (std::strncmp(start, "file:/", 6) == 0)
        start += 6;
    if (*start == '@')
        ++start;
    for (char* at = start; *at;)
    {
        int sequence = Utf8SequenceLength(at);
        if (sequence > 1)
        {
            for (int i = 0; i < sequence && *at; ++i)
                ++at;
            continue;
        }
        char c = *at;
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    std::strchr(" ._/-!+()#'&", c) != nullptr || (c == ':' && at - start == 1);
        if (!keep)
            *at = '_';
        ++at;
    }
    Adopt(result, out);
    return true;
}

void nString::StripFilename()
{
    if (!m_text)
        return;
    PathStripFilename(m_text);
    UpdateLength();
}

uint32_t nString::RemoveDirectory()
{
    if (m_text)
    {
        PathRemoveDirectory(m_text);
        UpdateLength();
    }
    return m_length;
}

void nString::RemoveExtension()
{
    if (!m_text)
        return;
    PathRemoveExtension(m_text);
    UpdateLength();
}

void nString::ReplaceExtension(const char* suffix)
{
    RemoveExtension();
    *this += suffix;
}

void nString::ToBaseName()
{
    RemoveDirectory();
    RemoveExtension();
}

nString nString::GetPath() const
{
    nString copy(*this);
    copy.StripFilename();
    return copy;
}

nString nString::GetFileName() const
{
    nString copy(*this);
    copy.RemoveDirectory();
    return copy;
}

nString nString::GetBaseName() const
{
    nString copy(*this);
    copy.ToBaseName();
    return copy;
}

nString nString::GetWithoutExtension() const
{
    nString copy(*this);
    copy.RemoveExtension();
    return copy;
}

nString nString::WithExtension(const char* suffix) const
{
    nString copy(*this);
    copy.ReplaceExtension(suffix);
    return copy;
}

nString nString::GetNormalizedPath() const
{
    nString copy(*this);
    copy.NormalizePath();
    return copy;
}

nString nString::GetExtension() const
{
    return GetFileExtension(m_text);
}

nAutoArray<uint16_t> nString::ToUTF16() const
{
    nAutoArray<uint16_t> units(MemCategoryGeneral);
    if (!m_text)
        return units;
    uint32_t codePoints = 0;
    for (const char* at = m_text; *at; ++codePoints)
    {
        uint32_t ignored;
        at += Utf8DecodeChar(at, &ignored);
    }
    if (!units.Resize(codePoints + 1))
        return units;
    uint32_t i = 0;
    for (const char* at = m_text; *at; ++i)
    {
        uint32_t code = 0;
        at += Utf8DecodeChar(at, &code);
        *units.At(i) = static_cast<uint16_t>(code);
    }
    *units.At(i) = 0;
    return units;
}

nString operator+(const nString& left, const char* right)
{
    nString result(left);
    result += right;
    return result;
}

nString operator+(const nString& left, const nString& right)
{
    nString result(left);
    result += right;
    return result;
}

int Utf8SequenceLength(const char* utf8)
{
    assert(utf8 && "utf8");
    if (!utf8)
        return 0;
    unsigned char lead = static_cast<unsigned char>(*utf8);
    if ((lead & 0xF8) == 0xF0)
        return 4;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    return 1;
}

// A sequence cut short by the terminator ends at the terminator, so decoding never reads past it.
int Utf8DecodeChar(const char* utf8, uint32_t* utf32)
{
    assert(utf8 && "utf8");
    assert(utf32 && "utf32");
    if (!utf8 || !utf32)
        return 0;
    static const unsigned char prefixes[] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};
    int length = Utf8SequenceLength(utf8);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(utf8);
    uint32_t code = bytes[0] ^ prefixes[length];
    int used = 1;
    while (used < length && bytes[used] != 0)
    {
        code = (code << 6) | (bytes[used] ^ 0x80u);
        ++used;
    }
    *utf32 = code;
    return used;
}

int StringToInt(const char* text, const char* end)
{
    if (!text)
        return 0;
    if (!end)
        end = text + std::strlen(text);
    const char* at = text;
    const bool negative = at < end && *at == '-';
    if (negative)
        ++at;
    const int64_t limit = negative ? -int64_t(INT32_MIN) : INT32_MAX;
    int64_t value = 0;
    bool saturated = false;
    for (; at < end && *at >= '0' && *at <= '9'; ++at)
    {
        value = value * 10 + (*at - '0');
        if (value > limit)
        {
            value = limit;
            saturated = true;
        }
    }
    const int result = static_cast<int>(negative ? -value : value);
    if (saturated)
        nLogHolder::Get() << "[*] Integer '" << nString(text, at) << "' is out of range, read as " << result
                          << ".\n";
    return result;
}

// Built in single precision as the stored numbers always were, so values read back unchanged.
double StringToFloat(const char* begin, const char* end, bool acceptComma)
{
    if (!begin)
        return 0.0;
    if (!end)
        end = begin + std::strlen(begin);
    const char* at = begin;
    if (at >= end)
        return 0.0;
    float sign = 1.0f;
    if (*at == '-')
    {
        sign = -1.0f;
        ++at;
    }
    float integer = 0.0f;
    for (; at < end && *at >= '0' && *at <= '9'; ++at)
        integer = integer * 10.0f + static_cast<float>(*at - '0');
    if (at == end || !(*at == '.' || (acceptComma && *at == ',') || *at == 'e'))
        return static_cast<double>(integer * sign);

    float mantissa = integer;
    if (*at != 'e')
    {
        ++at;
        float numerator = 0.0f;
        float power = 1.0f;
        for (; at < end && *at >= '0' && *at <= '9'; ++at)
        {
            if (power < 1e30f) // further digits are below float precision
            {
                numerator = numerator * 10.0f + static_cast<float>(*at - '0');
                power *= 10.0f;
            }
        }
        mantissa = integer + numerator / power;
        if (at == end || *at != 'e')
            return static_cast<double>(mantissa * sign);
    }

    ++at;
    if (at == end)
        return static_cast<double>(mantissa * sign);
    bool negativeExponent = false;
    if (*at < '0' || *at > '9')
    {
        negativeExponent = *at == '-';
        ++at;
    }
    if (at == end || *at < '0' || *at > '9')
        return static_cast<double>(mantissa * sign);
    int exponent = 0;
    for (; at < end && *at >= '0' && *at <= '9'; ++at)
        if (exponent < 1000)
            exponent = exponent * 10 + (*at - '0');
    if (mantissa == 0.0f)
        return static_cast<double>(0.0f * sign);
    float power = 1.0f;
    for (int i = 0; i < exponent && !std::isinf(power); ++i)
        power *= 10.0f;
    float value = negativeExponent ? mantissa / power : mantissa * power;
    return static_cast<double>(value * sign);
}

uint32_t StringToHex(const char* text)
{
    if (!text)
        return 0;
    char digits[9];
    int count = 0;
    while (count < 8 && text[count])
    {
        digits[count] = AsciiLower(text[count]);
        ++count;
    }
    digits[count] = '\0';
    const char* at = digits;
    for (int i = 0; i < count; ++i)
        if (digits[i] == 'x' || digits[i] == 'h')
        {
            at = digits + i + 1;
            break;
        }
    uint32_t value = 0;
    for (; *at; ++at)
    {
        uint32_t digit = 0;
        if (*at >= '0' && *at <= '9')
            digit = static_cast<uint32_t>(*at - '0');
        else if (*at >= 'a' && *at <= 'f')
            digit = static_cast<uint32_t>(*at - 'a' + 10);
        value = value * 16u + digit;
    }
    return value;
}

const char* StringFindChar(const char* text, char c, const char* limit)
{
    if (!text)
        return nullptr;
    while (*text && *text != c && text != limit)
        ++text;
    return text;
}

void PathStripFilename(char* path)
{
    if (!path)
        return;
    char* cut = nullptr;
    for (char* at = path; *at; ++at)
        if (*at == ':' || IsPathSeparator(*at))
            cut = at + 1;
    if (cut)
        *cut = '\0';
    else
        *path = '\0';
}

// Cuts at the last '.' only when it belongs to the file name, so a name without extension
// keeps its last path component.
void PathRemoveExtension(char* path)
{
    if (!path)
        return;
    char* dot = nullptr;
    for (char* at = path; *at; ++at)
    {
        if (*at == '.')
            dot = at;
        else if (*at == ':' || IsPathSeparator(*at))
            dot = nullptr;
    }
    if (dot)
        *dot = '\0';
}

void PathRemoveDirectory(char* path)
{
    if (!path)
        return;
    char* name = path;
    for (char* at = path; *at; ++at)
        if (IsPathSeparator(*at))
            name = at + 1;
    if (name != path)
        std::memmove(path, name, std::strlen(name) + 1);
}

void PathToBaseName(char* path)
{
    PathRemoveDirectory(path);
    PathRemoveExtension(path);
}

nString GetFileExtension(const char* path)
{
    if (!path)
        return nString();
    const char* dot = std::strrchr(path, '.');
    return dot ? nString(dot + 1) : nString();
}
