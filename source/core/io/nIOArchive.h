#pragma once

#include "core/io/nArchive.h"
#include "core/io/nIOBase.h"

// A read-only archive mounted as a back end: its files are the archive's entries, named exactly
// as stored. An archive that failed to open has no entries; IsOpen tells its creator.
class nIOArchive : public nIOBase
{
public:
    nIOArchive(const char* archivePath, const char* indexPath = nullptr);

    bool IsOpen() const { return m_open; }
    nArchive& GetArchive() { return m_archive; }

    nIOHandle* Open(const nString& path, int mode) override;
    void Close(nIOHandle* handle) override;
    bool Delete(const nString& path) override;
    int64_t Tell(nIOHandle* handle) override;
    int64_t Seek(nIOHandle* handle, int64_t offset, int origin) override;
    size_t Read(nIOHandle* handle, void* buffer, size_t size) override;
    size_t Write(nIOHandle* handle, const void* buffer, size_t size) override;

private:
    nArchive m_archive;
    bool m_open;
};
