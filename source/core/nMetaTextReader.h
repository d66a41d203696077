#pragma once

#include <cstddef>
#include <cstdint>

class nMetaFile;
class nMetaTag;

// Turns NML text into the tags of a document. A reader lives for one parse; the include chain
// of the load in progress travels with it so that "#include" cycles and runaway nesting are
// refused instead of recursing without end.
class nMetaTextReader
{
public:
    // Tags nest at most this deep, counted across included files.
    static constexpr uint32_t MaxTagDepth = 256;
    // Files include each other at most this deep.
    static constexpr uint32_t MaxIncludeDepth = 16;

    static bool Load(nMetaFile& file, const char* path);

    explicit nMetaTextReader(nMetaFile& file);
    bool Parse(const char* text, size_t length);
    // Parses one tag at the cursor into an empty tag; on success the new cursor is just past it.
    bool ParseTag(nMetaTag* tag, const char* cursor, const char* end, const char*& newCursor);

private:
    struct IncludeLink
    {
        const char* path;
        const IncludeLink* outer;
        uint32_t depth;
    };

    nMetaTextReader(nMetaFile& file, const IncludeLink* includes, uint32_t baseDepth);
    static bool LoadNested(nMetaFile& file, const char* path, const IncludeLink* includes,
                           uint32_t baseDepth);

    bool ParseTagAt(nMetaTag* tag, const char*& cursor, uint32_t depth);
    bool ParseNumber(nMetaTag* tag, const char*& cursor);
    bool ParseString(nMetaTag* tag, const char*& cursor);
    bool ParseBool(nMetaTag* tag, const char*& cursor, bool value);
    bool ParseBinary(nMetaTag* tag, const char*& cursor);
    bool Include(nMetaTag* tag, const char*& cursor, uint32_t depth);
    bool Append(nMetaTag* tag, const char*& cursor);
    void IncludeFile(nMetaTag* tag, const char* path, uint32_t depth);
    void CheckVersion(const nMetaTag& header) const;
    bool StartsWith(const char* cursor, const char* word) const;
    bool Fail(const char* message, const nMetaTag* tag, const char* closing = "'.\n") const;

    nMetaFile& m_file;
    const IncludeLink* m_includes;
    uint32_t m_baseDepth;
    const char* m_end = nullptr;
};
