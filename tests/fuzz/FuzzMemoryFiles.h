#pragma once

#include "core/io/nIOBase.h"
#include "core/io/nIOHandle.h"
#include "platform/nstring/nString.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

// Read-only named files held in memory, each open handle with its own position, so that a reader
// that opens a second file (an index, an included document) while the first is open sees both.
// Seek answers the new position, as an archive entry does.
class FuzzMemoryFiles : public nIOBase
{
public:
    void Put(const std::string& name, std::string bytes) { m_files[name] = std::move(bytes); }
    void ClearFiles() { m_files.clear(); }

    nIOHandle* Open(const nString& path, int mode) override
    {
        if (mode != IOModeRead)
            return nullptr;
        auto found = m_files.find(std::string(path.GetText() ? path.GetText() : "", path.GetLength()));
        if (found == m_files.end())
            return nullptr;
        auto* handle = new MemoryHandle(this);
        if (handle)
            handle->bytes = &found->second;
        return handle;
    }
    void Close(nIOHandle*) override {}
    bool Delete(const nString&) override { return false; }
    int64_t Tell(nIOHandle* handle) override { return static_cast<int64_t>(Of(handle).position); }
    int64_t Seek(nIOHandle* handle, int64_t offset, int origin) override
    {
        MemoryHandle& file = Of(handle);
        const int64_t size = static_cast<int64_t>(file.bytes->size());
        const int64_t base = origin == IOSeekCurrent ? static_cast<int64_t>(file.position)
                             : origin == IOSeekEnd   ? size
                                                     : 0;
        file.position = static_cast<size_t>(std::clamp<int64_t>(base + offset, 0, size));
        return static_cast<int64_t>(file.position);
    }
    size_t Read(nIOHandle* handle, void* buffer, size_t size) override
    {
        MemoryHandle& file = Of(handle);
        const size_t count = std::min(size, file.bytes->size() - file.position);
        if (count == 0)
            return 0;
        std::memcpy(buffer, file.bytes->data() + file.position, count);
        file.position += count;
        return count;
    }
    size_t Write(nIOHandle*, const void*, size_t) override { return 0; }

private:
    struct MemoryHandle : nIOHandle
    {
        explicit MemoryHandle(nIOBase* base) : nIOHandle(base) {}
        const std::string* bytes = nullptr;
        size_t position = 0;
    };
    static MemoryHandle& Of(nIOHandle* handle) { return *static_cast<MemoryHandle*>(handle); }

    std::map<std::string, std::string> m_files;
};
