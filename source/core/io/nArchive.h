#pragma once

#include "core/io/nArchiveEntry.h"
#include "core/base/nList.h"

#include <cstdint>
#include <memory>

class nIOHandle;

// A data archive: "DRAN" (or the older "CRAN"), then entries of name, flags, sizes and data,
// each stored raw or as one zlib stream, ended by FF FF FF FF. In the DRAN form with a field
// alignment A, every field from the end padding on starts at a multiple of A. The entry list
// comes from scanning the file or from an NML index. Every offset and size read from a file is
// checked against the file before it is used. Files go through the platform's mount table.
class nArchive
{
public:
    static constexpr uint32_t MaxNameLength = 511;

    nArchive();
    nArchive(const nArchive&) = delete;
    nArchive& operator=(const nArchive&) = delete;
    ~nArchive();

    bool Open(const char* path, const char* indexPath = nullptr);
    bool LoadIndex(const char* path);
    bool SaveIndex(const char* path) const;
    const nArchiveEntry* FindEntry(const nString& name) const;
    // out holds at least capacity bytes; the entry's len bytes are written to it.
    bool LoadEntry(const nString& name, void* out, uint32_t capacity);

    bool Create(const char* path);
    // A level of 0 to 9 compresses with zlib (stored raw when that fails); a negative level
    // stores the data raw.
    bool AddEntry(const nString& name, const void* data, uint32_t size, int level);
    bool AddFile(const char* path, const char* alias, int level);
    // False when the end of an archive being written could not be written.
    bool Close();

    void SetVerbose(bool verbose) { m_verbose = verbose; }
    const nList<nArchiveEntry*>& GetEntries() const { return m_entries; }
    bool IsCurrentForm() const { return m_currentForm; }
    uint32_t GetAlignment() const { return m_alignment; }
    uint32_t GetEndPadding() const { return m_endPadding; }
    bool IsWriteMode() const { return m_writeMode; }

private:
    bool SeekTo(int64_t position);
    bool ReadU32(uint32_t& value);
    bool SkipAlignment();
    bool WriteBytes(const void* data, uint32_t size);
    bool WriteU32(uint32_t value);
    void ScanEntries(const char* path);
    bool CheckEntry(const nArchiveEntry& entry, const char* source) const;
    void LogEntry(const nArchiveEntry& entry) const;

    bool m_verbose = false;
    nAutoList<nArchiveEntry*> m_entries;
    std::unique_ptr<nIOHandle> m_file;
    int64_t m_fileSize = 0;
    bool m_currentForm = false;
    uint32_t m_alignment = 0;
    uint32_t m_endPadding = 0;
    bool m_writeMode = false;
};
