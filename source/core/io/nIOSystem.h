#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOBase.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class nIOHandle;
class nIOMountPoint;

// The mount table. A path that begins with a mount prefix is answered by that mount point alone,
// with the prefix removed; any other path by the root back ends, newest first. A back end is
// mounted at most once, under a prefix or as a root, and the table keeps a reference on it.
// Used from one thread at a time.
class nIOSystem
{
public:
    nIOSystem();
    nIOSystem(const nIOSystem&) = delete;
    nIOSystem& operator=(const nIOSystem&) = delete;
    ~nIOSystem();

    bool Mount(nIOBase* base, const char* prefix = nullptr);
    bool Unmount(nIOBase* base);
    bool UnmountPrefix(const char* prefix);
    void UnmountAll();
    nIOBase* FindMount(const char* prefix) const;
    const char* FindPrefix(const nIOBase* base) const;

    // The caller deletes the handle, which closes it.
    nIOHandle* Open(const nString& path, int mode);
    void CloseHandle(nIOHandle* handle);
    bool Exists(const nString& path);
    uint64_t GetFileSize(const nString& path);
    bool LoadFile(const nString& path, nAutoArray<uint8_t>& block);
    bool SaveFile(const nString& path, const nAutoArray<uint8_t>& block);
    bool CopyFile(const nString& from, const nString& to);
    bool MoveFile(const nString& from, const nString& to);
    bool Delete(const nString& path);
    // The path as a user knows the file: without the system's own mount prefix ("@core/",
    // "view@cfile/": those holding "@"); any other path, such as one under a prefix the user
    // chose on the command line, unchanged.
    nString StripSystemPrefix(const nString& path) const;
    void GetNativePath(nString& out, const nString& path);
    void MakeRelativePath(nString& out, const nString& nativePath);

private:
    nIOHandle* OpenThroughMounts(const nString& path, int mode);
    const nIOMountPoint* FindMatchingMount(const nString& path) const;
    bool IsMounted(const nIOBase* base) const;

    // Oldest first; lookups walk from the tail so that the newest mount wins.
    nAutoList<nIOMountPoint*> m_mounts;
    nList<nSharedPtr<nIOBase>> m_roots;
};
