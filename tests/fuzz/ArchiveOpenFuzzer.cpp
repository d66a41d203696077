#include "FuzzMemoryFiles.h"

#include "core/nArchive.h"
#include "core/nAutoArray.h"
#include "core/nIOArchive.h"
#include "core/nIOSystem.h"
#include "core/nLog.h"
#include "core/nSharedPtr.h"
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

// Every entry is loaded into a block of exactly its size (ASan catches a write past it), once
// more into a block one byte too small (which must be refused), and then read again through the
// archive mounted as a back end, where the handle must report the same size and bytes.
void LoadEveryEntry(const char* indexPath)
{
    nArchive archive;
    if (!archive.Open("mem@/a.vxa", indexPath))
        return;
    std::vector<nString> names;
    for (auto* node = archive.GetEntries().GetHead(); node; node = node->next)
    {
        const nArchiveEntry* entry = node->value;
        names.push_back(entry->name);
        const nArchiveEntry* found = archive.FindEntry(entry->name);
        Check(found != nullptr);
        std::unique_ptr<uint8_t[]> exact(new uint8_t[found->len ? found->len : 1]);
        archive.LoadEntry(entry->name, exact.get(), found->len);
        if (found->len > 0)
            Check(!archive.LoadEntry(entry->name, exact.get(), found->len - 1));
    }

    nIOSystem& system = nPlatform::Get().GetIOSystem();
    nSharedPtr<nIOArchive> mounted(new nIOArchive("mem@/a.vxa", indexPath));
    Check(system.Mount(mounted.Get(), "arc@/"));
    for (const nString& name : names)
    {
        const nArchiveEntry* entry = mounted->GetArchive().FindEntry(name);
        Check(entry != nullptr);
        std::unique_ptr<nIOHandle> handle(mounted->Open(name, IOModeRead));
        if (!handle)
            continue;
        Check(handle->GetSize() == entry->len);
        std::vector<uint8_t> bytes(entry->len + 8u);
        Check(handle->Read(bytes.data(), bytes.size()) == entry->len);
        handle->Seek(entry->len / 2, IOSeekSet);
        Check(handle->Read(bytes.data(), bytes.size()) == entry->len - entry->len / 2);
        nAutoArray<uint8_t> block(MemCategoryFilesystem);
        nString path("arc@/");
        path += name;
        system.LoadFile(path, block);
    }
    Check(system.Unmount(mounted.Get()));
}

}

// Any bytes, as an archive file (and its index) in the mount table.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzMemoryFiles* files = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        auto* memory = new FuzzMemoryFiles();
        nPlatform::Get().GetIOSystem().Mount(memory, "mem@/");
        return memory;
    }();
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
