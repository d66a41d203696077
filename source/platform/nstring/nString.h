#pragma once

#include <cstdint>

template <typename T> class nList;
template <typename T> class nAutoArray;

// The one text type: 8-bit text, UTF-8 where characters matter. The buffer is exactly
// length + 1 bytes or null; the hash is cached and 0 until asked for, and every change resets it.
class nString
{
public:
    static constexpr uint32_t FormatCapacity = 4095;

    nString() = default;
    nString(const char* text);
    nString(const nString& other);
    nString(nString&& other) noexcept;
    nString(const char* begin, const char* end);
    ~nString();

    nString& operator=(const char* text);
    nString& operator=(const nString& other);
    nString& operator=(nString&& other) noexcept;

    void Set(const char* begin, const char* end);
    void Clear();
    uint32_t UpdateLength();

    const char* GetText() const { return m_text; }
    uint32_t GetLength() const { return m_length; }
    bool IsEmpty() const { return m_text == nullptr || m_length == 0; }
    uint32_t GetHash() const;
    static uint32_t HashText(const char* text);

    nString& operator+=(const char* text);
    nString& operator+=(const nString& other);
    nString& operator+=(int value);
    static nString Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

    bool operator==(const nString& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const nString& other) const { return !(*this == other); }
    bool operator!=(const char* text) const { return !(*this == text); }
    bool Equals(const nString& other) const;
    bool EqualsText(const char* text, uint32_t hash) const;
    static int Compare(const nString& first, const nString& second);
    bool Contains(const char* text) const;
    bool StartsWith(const char* text) const;
    int FindChar(char c, int start = 0) const;
    bool HasDrive() const;

    nString Slice(int start, int end) const;
    nString Left(int count) const;
    nString SubstringFrom(int index) const;
    nString Mid(int start, int count) const;
    nString RemoveChar(char c) const;
    nString ToLower() const;
    nString ToUpper() const;
    nString ToDisplayName(bool keepSpaces) const;

    bool ReplaceFirst(const char* pattern, const char* replacement);
    bool ReplaceList(const char* const* patterns, const char* const* replacements);
    bool Replace(const char* pattern, const char* replacement);
    uint32_t Split(const char* separator, nList<nString>& pieces) const;

    bool NormalizePath();
    void StripFilename();
    uint32_t RemoveDirectory();
    void RemoveExtension();
    void ReplaceExtension(const char* suffix);
    void ToBaseName();

    nString GetPath() const;
    nString GetFileName() const;
    nString GetBaseName() const;
    nString GetWithoutExtension() const;
    nString WithExtension(const char* suffix) const;
    nString GetNormalizedPath() const;
    nString GetExtension() const;

    nAutoArray<uint16_t> ToUTF16() const;

private:
    void Adopt(char* text, uint32_t length);

    char* m_text = nullptr;
    mutable uint32_t m_hash = 0;
    uint32_t m_length = 0;
};

nString operator+(const nString& left, const char* right);
nString operator+(const nString& left, const nString& right);

int Utf8SequenceLength(const char* utf8);
int Utf8DecodeChar(const char* utf8, uint32_t* utf32);
// An optional '-' and the decimal digits up to the first other character (or the end). A number
// outside 32 bits reads as the nearest limit, with one "[*]" line.
int StringToInt(const char* text, const char* end = nullptr);
double StringToFloat(const char* begin, const char* end = nullptr, bool acceptComma = false);
uint32_t StringToHex(const char* text);
const char* StringFindChar(const char* text, char c, const char* limit = nullptr);
void PathStripFilename(char* path);
void PathRemoveExtension(char* path);
void PathRemoveDirectory(char* path);
void PathToBaseName(char* path);
nString GetFileExtension(const char* path);
