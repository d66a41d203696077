#include "core/io/nIOMountPoint.h"

#include "core/base/nMemory.h"

#include <cstring>

void* nIOMountPoint::operator new(size_t size) noexcept
{
    return MemNew(size, MemCategoryFilesystem);
}

void nIOMountPoint::operator delete(void* memory)
{
    MemDelete(memory, MemCategoryFilesystem);
}

bool nIOMountPoint::Matches(const nString& path) const
{
    const uint32_t length = m_prefix.GetLength();
    return length > 0 && path.GetLength() >= length && std::memcmp(path.GetText(), m_prefix.GetText(), length) == 0;
}
