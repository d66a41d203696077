#pragma once

#include "platform/nstring/nString.h"

#include <cstddef>
#include <cstdint>

class nMetaFile;
class nMetaTag;

// Turns NML text into the tags of a document. A reader lives for one parse; the include chain
// of the load in progress travels with it so that "#include" cycles, runaway nesting and
// includes that multiply without bound are refused instead of exhausting the stack or memory.
class nMetaTextReader
{
public:
    // Tags nest at most this deep, counted across included files.
    static constexpr uint32_t MaxTagDepth = 256;
    // Files include each other at most this deep.
    static constexpr uint32_t MaxIncludeDepth = 16;
    // Once the files included by one load hold this many bytes or tags, further includes are
    // skipped: a few small files including each other many times would otherwise expand
    // geometrically. Text made by "#append" spends from the same bytes and fails the load when
    // it would exceed them.
    static constexpr uint32_t MaxIncludedBytes = 64u << 20;
    static constexpr uint32_t MaxIncludedTags = 1u << 20;

    static bool Load(nMetaFile& file, const char* path);

    explicit nMetaTextReader(nMetaFile& file);
    bool Parse(const char* text, size_t length);
    // Parses one tag at the cursor into an empty tag; on success the new cursor is just past it.
    bool ParseTag(nMetaTag* tag, const char* cursor, const char* end, const char*& newCursor);

private:
    struct IncludeBudget
    {
        uint64_t bytes = 0;
        uint64_t tags = 0;
        bool exhausted = false;
    };

    struct IncludeLink
    {
        // The path as the file system resolves it, so that aliases of one file are one file.
        nString identity;
        const IncludeLink* outer;
        uint32_t depth;
        IncludeBudget* budget;
    };

    nMetaTextReader(nMetaFile& file, const IncludeLink* includes, uint32_t baseDepth, bool included);
    // A null budget starts a new load; otherwise the file is included and spends from it.
    static bool LoadNested(nMetaFile& file, const char* path, const nString& identity,
                           const IncludeLink* includes, IncludeBudget* budget, uint32_t baseDepth);
    static nString ResolveIdentity(const char* path);
    static nString ShownPath(const char* path);

    bool ParseTagAt(nMetaTag* tag, const char*& cursor, uint32_t depth);
    bool ParseNumber(nMetaTag* tag, const char*& cursor);
    bool ParseString(nMetaTag* tag, const char*& cursor);
    bool ParseBool(nMetaTag* tag, const char*& cursor, bool value);
    bool ParseBinary(nMetaTag* tag, const char*& cursor);
    bool Include(nMetaTag* tag, const char*& cursor, uint32_t depth);
    bool Append(nMetaTag* tag, const char*& cursor);
    bool AppendPiece(const nMetaTag* tag, nString& text, const nString& piece);
    bool StoreString(nMetaTag* tag, nString&& text, size_t length);
    void IncludeFile(nMetaTag* tag, const char* path, uint32_t depth);
    void CheckVersion(const nMetaTag& header) const;
    bool StartsWith(const char* cursor, const char* word) const;
    bool CanTakeValue(const nMetaTag* tag) const;
    bool Fail(const char* message, const nMetaTag* tag, const char* closing = "'.\n") const;

    nMetaFile& m_file;
    nString m_shownName;
    const IncludeLink* m_includes;
    IncludeBudget m_ownBudget;
    IncludeBudget* m_budget;
    uint32_t m_baseDepth;
    bool m_included;
    const char* m_end = nullptr;
};
