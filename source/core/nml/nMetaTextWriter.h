#pragma once

#include <cstdint>
#include <string>

class nMetaFile;
class nMetaTag;

// Writes NML text: "<NML=1.0>" and every root, one tag a line, children indented by tabs, Binary
// values in the document's encoding. The text is built in memory so that a document with a tag
// that cannot be written never reaches a file.
class nMetaTextWriter
{
public:
    explicit nMetaTextWriter(uint32_t binaryEncoding);

    bool WriteDocument(const nMetaFile& file);
    bool WriteTag(const nMetaTag* tag, uint32_t depth);
    const std::string& GetText() const { return m_text; }

private:
    void WriteIndent(uint32_t depth);
    bool WriteString(const nMetaTag& tag);
    void WriteBinary(const nMetaTag& tag);

    uint32_t m_binaryEncoding;
    std::string m_text;
};
