#include "FuzzMemoryFiles.h"

#include "core/io/nArchive.h"
#include "core/base/nAutoArray.h"
#include "core/io/nIOArchive.h"
#include "core/io/nIOSystem.h"
#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "platform/nPlatform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

// The archive's bytes, optionally followed by "IDX@" and an NML index describing them.
constexpr char IndexSeparator[] = "IDX@";

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

struct LoadedEntry
{
    nString name;
    bool loaded;
    std::vector<uint8_t> bytes;
};

// Every entry is loaded into a block of exactly its size (ASan catches a write past it) and once
// more into a block one byte too small (which must be refused). Then the archive is mounted as a
// back end, where each entry must open exactly when it loaded, with the same size and bytes, and
// seeks must stay inside it.
void LoadEveryEntry(const char* indexPath)
{
    nArchive archive;
    if (!archive.Open("mem@/a.vxa", indexPath))
        return;
    std::vector<LoadedEntry> entries;
    for (auto* node = archive.GetEntries().GetHead(); node; node = node->next)
    {
        // With two entries of one name, the first is the one found.
        const nArchiveEntry* found = archive.FindEntry(node->value->name);
        Check(found != nullptr);
        LoadedEntry& entry = entries.emplace_back(LoadedEntry{found->name, false, {}});
        entry.bytes.resize(found->len);
        entry.loaded = archive.LoadEntry(found->name, entry.bytes.data(), found->len);
        if (found->len > 0)
            Check(!archive.LoadEntry(found->name, entry.bytes.data(), found->len - 1));
    }

    nIOSystem& system = nPlatform::Get().GetIOSystem();
    nSharedPtr<nIOArchive> mounted(new nIOArchive("mem@/a.vxa", indexPath));
    Check(mounted->IsOpen() && system.Mount(mounted.Get(), "arc@/"));
    for (const LoadedEntry& entry : entries)
    {
        std::unique_ptr<nIOHandle> handle(mounted->Open(entry.name, IOModeRead));
        Check((handle != nullptr) == entry.loaded);
        if (!handle)
            continue;
        const int64_t size = static_cast<int64_t>(entry.bytes.size());
        Check(handle->GetSize() == size);
        std::vector<uint8_t> bytes(entry.bytes.size() + 8u);
        Check(handle->Read(bytes.data(), bytes.size()) == entry.bytes.size());
        bytes.resize(entry.bytes.size());
        Check(bytes == entry.bytes);
        handle->Seek(size / 2, IOSeekSet);
        Check(static_cast<int64_t>(handle->Read(bytes.data(), bytes.size())) == size - size / 2);
        for (const int64_t offset : {INT64_MIN, int64_t(-1), int64_t(1), INT64_MAX})
            for (const int origin : {IOSeekSet, IOSeekCurrent, IOSeekEnd})
            {
                const int64_t position = handle->Seek(offset, origin);
                Check(position >= 0 && position <= size && handle->Tell() == position);
            }
        nAutoArray<uint8_t> block(MemCategoryFilesystem);
        nString path("arc@/");
        path += entry.name;
        system.LoadFile(path, block);
    }
    Check(system.Unmount(mounted.Get()));
}

} // namespace

// Any bytes, as an archive file (and its index) in the mount table.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted("mem@/");
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t separator = input.find(IndexSeparator);
    files->ClearFiles();
    files->Put("a.vxa", input.substr(0, separator));
    if (separator == std::string::npos)
    {
        LoadEveryEntry(nullptr);
        return 0;
    }
    files->Put("a.idx", input.substr(separator + sizeof(IndexSeparator) - 1));
    LoadEveryEntry("mem@/a.idx");
    return 0;
}
