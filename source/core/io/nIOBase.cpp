#include "core/io/nIOBase.h"

#include "core/base/nMemory.h"
#include "platform/nstring/nString.h"

void* nIOBase::operator new(size_t size) noexcept
{
    return MemNew(size, MemCategoryFilesystem);
}

void nIOBase::operator delete(void* memory)
{
    MemDelete(memory, MemCategoryFilesystem);
}

void nIOBase::GetNativePath(nString& out, const nString& path)
{
    out = path;
}

void nIOBase::GetRelativePath(nString& out, const nString& nativePath)
{
    out = nativePath;
}

bool nIOBase::Commit(nIOHandle* handle)
{
    Close(handle);
    return true;
}
