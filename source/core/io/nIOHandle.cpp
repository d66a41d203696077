#include "core/io/nIOHandle.h"

#include "core/base/nMemory.h"

#include <cstring>

void* nIOHandle::operator new(size_t size) noexcept
{
    return MemNew(size, MemCategoryFilesystem);
}

void nIOHandle::operator delete(void* memory)
{
    MemDelete(memory, MemCategoryFilesystem);
}

nIOHandle::~nIOHandle()
{
    Close();
}

void nIOHandle::Close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_base->Close(this);
}

bool nIOHandle::Commit()
{
    if (m_closed)
        return false;
    m_closed = true;
    return m_base->Commit(this);
}

int64_t nIOHandle::GetSize()
{
    const int64_t position = Tell();
    Seek(0, IOSeekEnd);
    const int64_t size = Tell();
    Seek(position, IOSeekSet);
    return size;
}

bool nIOHandle::WriteText(const char* text)
{
    if (!text)
        return true;
    const size_t length = std::strlen(text);
    return Write(text, length) == length;
}

bool nIOHandle::WriteU32(const uint32_t* value)
{
    return Write(value, sizeof(*value)) != 0;
}
