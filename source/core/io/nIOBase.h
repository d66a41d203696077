#pragma once

#include "core/base/nSharedObject.h"

#include <cstddef>
#include <cstdint>

class nIOHandle;
class nString;

enum nIOMode : int
{
    IOModeRead = 1,
    IOModeWrite = 2,
};

enum nIOSeekOrigin : int
{
    IOSeekSet = 0,
    IOSeekCurrent = 1,
    IOSeekEnd = 2,
};

// A file-system back end mounted in the mount table. Paths handed to it are back-end paths: the
// mount table has already removed any mount prefix.
class nIOBase : public nSharedObject
{
public:
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory);

    nIOBase() = default;
    nIOBase(const nIOBase&) = delete;
    nIOBase& operator=(const nIOBase&) = delete;

    virtual void GetNativePath(nString& out, const nString& path);
    virtual void GetRelativePath(nString& out, const nString& nativePath);
    virtual nIOHandle* Open(const nString& path, int mode) = 0;
    virtual void Close(nIOHandle* handle) = 0;
    // Ends a handle opened for writing; see nIOHandle::Commit. The base only closes it.
    virtual bool Commit(nIOHandle* handle);
    virtual bool Delete(const nString& path) = 0;
    virtual int64_t Tell(nIOHandle* handle) = 0;
    virtual int64_t Seek(nIOHandle* handle, int64_t offset, int origin) = 0;
    virtual size_t Read(nIOHandle* handle, void* buffer, size_t size) = 0;
    virtual size_t Write(nIOHandle* handle, const void* buffer, size_t size) = 0;
};
