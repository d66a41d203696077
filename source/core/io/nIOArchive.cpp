#include "core/io/nIOArchive.h"

#include "core/io/nIOArchiveHandle.h"
#include "core/base/nLog.h"

#include <algorithm>
#include <cstring>

nIOArchive::nIOArchive(const char* archivePath, const char* indexPath)
{
    m_open = m_archive.Open(archivePath, indexPath);
}

nIOHandle* nIOArchive::Open(const nString& path, int mode)
{
    if (mode != IOModeRead)
        return nullptr;
    const nArchiveEntry* entry = m_archive.FindEntry(path);
    if (!entry)
        return nullptr;
    auto* handle = new nIOArchiveHandle(this);
    if (!handle)
        return nullptr;
    if (!handle->data.ResizeForOverwrite(entry->len))
    {
        nLogHolder::Get() << "[!] Failed to allocate memory to load '" << path << "'.\n";
        delete handle;
        return nullptr;
    }
    handle->size = entry->len;
    if (!m_archive.LoadEntry(path, handle->data.GetData(), handle->data.GetCount()))
    {
        delete handle;
        return nullptr;
    }
    return handle;
}

void nIOArchive::Close(nIOHandle*)
{
}

bool nIOArchive::Delete(const nString&)
{
    return false;
}

int64_t nIOArchive::Tell(nIOHandle* handle)
{
    return handle ? static_cast<nIOArchiveHandle*>(handle)->position : -1;
}

int64_t nIOArchive::Seek(nIOHandle* handle, int64_t offset, int origin)
{
    if (!handle)
        return -1;
    auto* entry = static_cast<nIOArchiveHandle*>(handle);
    const int64_t size = entry->size;
    // Any offset beyond +-2^33 lands on the same bound, and position + offset can no longer wrap.
    constexpr int64_t OffsetBound = int64_t(1) << 33;
    offset = std::clamp(offset, -OffsetBound, OffsetBound);
    int64_t target = entry->position;
    if (origin == IOSeekSet)
        target = offset;
    else if (origin == IOSeekCurrent)
        target = entry->position + offset;
    else if (origin == IOSeekEnd)
        target = size - offset;
    entry->position = static_cast<uint32_t>(std::clamp<int64_t>(target, 0, size));
    return entry->position;
}

size_t nIOArchive::Read(nIOHandle* handle, void* buffer, size_t size)
{
    if (!handle || !buffer)
        return 0;
    auto* entry = static_cast<nIOArchiveHandle*>(handle);
    const size_t count = std::min<size_t>(size, entry->size - entry->position);
    if (count > 0)
        std::memcpy(buffer, entry->data.GetData() + entry->position, count);
    entry->position += static_cast<uint32_t>(count);
    return count;
}

size_t nIOArchive::Write(nIOHandle*, const void*, size_t)
{
    return 0;
}
