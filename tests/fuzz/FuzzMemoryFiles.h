#pragma once

#include "core/base/nLog.h"
#include "core/io/nIOBase.h"
#include "core/io/nIOHandle.h"
#include "platform/nPlatform.h"
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
    // The one set of memory files of a fuzz target, mounted in the platform's mount table (under
    // the prefix, when one is given) on the first call, which also quiets the log.
    static FuzzMemoryFiles& Mounted(const char* prefix = nullptr)
    {
        static FuzzMemoryFiles* files = [prefix]
        {
            nLogHolder::Get().SetMask(LogLevelNone);
            auto* memory = new FuzzMemoryFiles();
            nPlatform::Get().GetIOSystem().Mount(memory, prefix);
            return memory;
        }();
        return *files;
    }

    void Put(const std::string& name, std::string bytes) { m_files[name] = std::move(bytes); }
    void ClearFiles() { m_files.clear(); }
    // Replaces every file with the pieces of the input, separated by SplitSeparator, under the
    // names in order; a name without a piece stays absent.
    static constexpr char SplitSeparator[] = "\0%%\0";
    template <size_t Count> void PutSplit(const std::string& input, const char* const (&names)[Count])
    {
        ClearFiles();
        const std::string separator(SplitSeparator, sizeof(SplitSeparator) - 1);
        size_t begin = 0;
        for (const char* name : names)
        {
            const size_t end = input.find(separator, begin);
            Put(name, input.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
            if (end == std::string::npos)
                break;
            begin = end + separator.size();
        }
    }

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
