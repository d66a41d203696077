#pragma once

#include "core/io/nIOBase.h"
#include "core/io/nIOHandle.h"
#include "core/picture/nPicture.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// One file held in memory, read through the same handle interface as files on disk.
class PictureMemoryFile : public nIOBase
{
public:
    explicit PictureMemoryFile(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    nIOHandle* Open(const nString&, int) override { return new nIOHandle(this); }
    void Close(nIOHandle*) override {}
    bool Delete(const nString&) override { return false; }
    int64_t Tell(nIOHandle*) override { return int64_t(m_position); }
    int64_t Seek(nIOHandle*, int64_t offset, int origin) override
    {
        const int64_t base = origin == IOSeekCurrent ? int64_t(m_position)
                             : origin == IOSeekEnd   ? int64_t(m_bytes.size())
                                                     : 0;
        m_position = size_t(std::clamp<int64_t>(base + offset, 0, int64_t(m_bytes.size())));
        return 0;
    }
    size_t Read(nIOHandle*, void* buffer, size_t size) override
    {
        const size_t count = std::min(size, m_bytes.size() - m_position);
        if (count == 0)
            return 0;
        std::memcpy(buffer, m_bytes.data() + m_position, count);
        m_position += count;
        return count;
    }
    size_t Write(nIOHandle*, const void*, size_t) override { return 0; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_position = 0;
};

// Loads bytes through the TGA reader and the registered codecs, as a file would be.
inline bool LoadPictureBytes(nPicture& picture, const std::vector<uint8_t>& bytes)
{
    nSharedPtr<nIOBase> file(new PictureMemoryFile(bytes));
    std::unique_ptr<nIOHandle> handle(file->Open(nString(), IOModeRead));
    return nPicture::LoadFromHandle(picture, handle.get());
}

inline bool ReadTgaBytes(nPicture& picture, const std::vector<uint8_t>& bytes)
{
    nSharedPtr<nIOBase> file(new PictureMemoryFile(bytes));
    std::unique_ptr<nIOHandle> handle(file->Open(nString(), IOModeRead));
    return nPicture::ReadTGA(picture, handle.get());
}
