#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class nIOHandle;
class nMetaFile;
class nMetaTag;

// Writes NML text: "<NML=1.0>" and every root, one tag a line, children indented by tabs, Binary
// values in the document's encoding. Without an output the text is kept in memory (GetText);
// with one it is passed on in blocks of about a megabyte, so that a large document is never
// held twice nor grown by copies. A save writes through a handle that only its Commit puts in
// place, so a tag that cannot be written still never damages a file.
class nMetaTextWriter
{
public:
    static constexpr size_t OutputBlockSize = 1u << 20;

    explicit nMetaTextWriter(uint32_t binaryEncoding, nIOHandle* output = nullptr);

    bool WriteDocument(const nMetaFile& file);
    bool WriteTag(const nMetaTag* tag, uint32_t depth);
    const std::string& GetText() const { return m_text; }

private:
    void PassOn(size_t atLeast);
    void WriteIndent(uint32_t depth);
    bool WriteString(const nMetaTag& tag);
    void WriteBinary(const nMetaTag& tag);

    uint32_t m_binaryEncoding;
    nIOHandle* m_output;
    std::string m_text;
};
