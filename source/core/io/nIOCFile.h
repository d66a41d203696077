#pragma once

#include "core/io/nIOBase.h"
#include "platform/nstring/nString.h"

// A directory of the host file system. Back-end paths may use "\" and another letter case than
// the files on disk (content made on Windows); see HostResolvePath. A file opened for writing is
// a new file beside the target that Commit renames over it.
class nIOCFile : public nIOBase
{
public:
    explicit nIOCFile(const nString& root) : m_root(root) {}

    const nString& GetRoot() const { return m_root; }

    void GetNativePath(nString& out, const nString& path) override;
    void GetRelativePath(nString& out, const nString& nativePath) override;
    nIOHandle* Open(const nString& path, int mode) override;
    void Close(nIOHandle* handle) override;
    bool Commit(nIOHandle* handle) override;
    bool Delete(const nString& path) override;
    int64_t Tell(nIOHandle* handle) override;
    int64_t Seek(nIOHandle* handle, int64_t offset, int origin) override;
    size_t Read(nIOHandle* handle, void* buffer, size_t size) override;
    size_t Write(nIOHandle* handle, const void* buffer, size_t size) override;

private:
    bool Contains(const nString& path) const;

    nString m_root;
};
