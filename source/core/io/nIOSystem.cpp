#include "core/io/nIOSystem.h"

#include "core/io/nIOHandle.h"
#include "core/io/nIOMountPoint.h"
#include "core/base/nLog.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

nIOSystem::nIOSystem() = default;

nIOSystem::~nIOSystem()
{
    UnmountAll();
}

bool nIOSystem::IsMounted(const nIOBase* base) const
{
    for (auto* node = m_mounts.GetHead(); node; node = node->next)
        if (node->value->GetBase() == base)
            return true;
    for (auto* node = m_roots.GetHead(); node; node = node->next)
        if (node->value.Get() == base)
            return true;
    return false;
}

bool nIOSystem::Mount(nIOBase* base, const char* prefix)
{
    if (!base)
    {
        nLogHolder::Get() << "[!] No filesystem to mount.\n";
        return false;
    }
    if (IsMounted(base))
    {
        nLogHolder::Get() << "[!] Filesystem is already mounted.\n";
        return false;
    }
    if (prefix && *prefix)
    {
        if (FindMount(prefix))
            return false;
        auto* mount = new nIOMountPoint(prefix, base);
        if (!mount)
            return false;
        if (!m_mounts.PushBack(mount))
        {
            delete mount;
            return false;
        }
        return true;
    }
    return m_roots.PushBack(nSharedPtr<nIOBase>(base)) != nullptr;
}

bool nIOSystem::Unmount(nIOBase* base)
{
    if (!base || !IsMounted(base))
        return false;
    // The table's reference may be the last one: keep the back end alive until the walk is over.
    nSharedPtr<nIOBase> keep(base);
    bool removed = false;
    for (auto* node = m_mounts.GetHead(); node;)
    {
        auto* next = node->next;
        if (node->value->GetBase() == base)
            removed = m_mounts.RemoveNode(node) || removed;
        node = next;
    }
    for (auto* node = m_roots.GetHead(); node;)
    {
        auto* next = node->next;
        if (node->value.Get() == base)
            removed = m_roots.RemoveNode(node) || removed;
        node = next;
    }
    return removed;
}

bool nIOSystem::UnmountPrefix(const char* prefix)
{
    return Unmount(FindMount(prefix));
}

void nIOSystem::UnmountAll()
{
    m_mounts.Clear();
    m_roots.Clear();
}

nIOBase* nIOSystem::FindMount(const char* prefix) const
{
    if (!prefix)
        return nullptr;
    for (auto* node = m_mounts.GetTail(); node; node = node->prev)
        if (std::strcmp(node->value->GetPrefix().GetText(), prefix) == 0)
            return node->value->GetBase();
    return nullptr;
}

const char* nIOSystem::FindPrefix(const nIOBase* base) const
{
    for (auto* node = m_mounts.GetTail(); node; node = node->prev)
        if (node->value->GetBase() == base)
            return node->value->GetPrefix().GetText();
    return nullptr;
}

const nIOMountPoint* nIOSystem::FindMatchingMount(const nString& path) const
{
    for (auto* node = m_mounts.GetTail(); node; node = node->prev)
        if (node->value->Matches(path))
            return node->value;
    return nullptr;
}

nIOHandle* nIOSystem::Open(const nString& path, int mode)
{
    nIOHandle* handle = OpenThroughMounts(path, mode);
    // A back end that opens through the system again names the handle first; this outer call
    // holds the path the caller gave.
    if (handle)
        handle->SetShownPath(StripSystemPrefix(path));
    return handle;
}

nIOHandle* nIOSystem::OpenThroughMounts(const nString& path, int mode)
{
    if (path.IsEmpty())
        return nullptr;
    if (const nIOMountPoint* mount = FindMatchingMount(path))
        return mount->GetBase()->Open(nString(path.GetText() + mount->GetPrefix().GetLength()), mode);
    for (auto* node = m_roots.GetTail(); node; node = node->prev)
        if (nIOHandle* handle = node->value->Open(path, mode))
            return handle;
    return nullptr;
}

void nIOSystem::CloseHandle(nIOHandle* handle)
{
    if (handle && IsMounted(handle->GetBase()))
        handle->Close();
}

bool nIOSystem::Exists(const nString& path)
{
    std::unique_ptr<nIOHandle> handle(Open(path, IOModeRead));
    return handle != nullptr;
}

uint64_t nIOSystem::GetFileSize(const nString& path)
{
    std::unique_ptr<nIOHandle> handle(Open(path, IOModeRead));
    if (!handle)
        return 0;
    const int64_t size = handle->GetSize();
    return size > 0 ? static_cast<uint64_t>(size) : 0;
}

bool nIOSystem::LoadFile(const nString& path, nAutoArray<uint8_t>& block)
{
    std::unique_ptr<nIOHandle> handle(Open(path, IOModeRead));
    if (!handle)
    {
        nLogHolder::Get() << "[!] Failed to open '" << path << "'.\n";
        return false;
    }
    const int64_t size = handle->GetSize();
    if (size < 0 || size > static_cast<int64_t>(UINT32_MAX) || !block.ResizeForOverwrite(static_cast<uint32_t>(size)))
    {
        nLogHolder::Get() << "[!] Failed to allocate memory to load '" << path << "'.\n";
        return false;
    }
    return size == 0 || handle->Read(block.GetData(), static_cast<size_t>(size)) == static_cast<size_t>(size);
}

bool nIOSystem::SaveFile(const nString& path, const nAutoArray<uint8_t>& block)
{
    std::unique_ptr<nIOHandle> handle(Open(path, IOModeWrite));
    if (!handle)
    {
        nLogHolder::Get() << "[!] Failed to open '" << path << "'.\n";
        return false;
    }
    const size_t size = static_cast<size_t>(block.GetSize());
    if (size != 0)
        handle->Write(block.GetData(), size);
    return handle->Commit();
}

bool nIOSystem::CopyFile(const nString& from, const nString& to)
{
    nAutoArray<uint8_t> block(MemCategoryFilesystem);
    return LoadFile(from, block) && SaveFile(to, block);
}

bool nIOSystem::MoveFile(const nString& from, const nString& to)
{
    // Two names of one file ("a.txt" and "A.TXT", "./a.txt"): the copy would land on the source
    // and the delete would then lose it.
    nString fromNative;
    nString toNative;
    GetNativePath(fromNative, from);
    GetNativePath(toNative, to);
    std::error_code error;
    if (!fromNative.IsEmpty() && !toNative.IsEmpty() &&
        std::filesystem::equivalent(fromNative.GetText(), toNative.GetText(), error))
        return true;
    return CopyFile(from, to) && Delete(from);
}

bool nIOSystem::Delete(const nString& path)
{
    if (path.IsEmpty())
        return false;
    if (const nIOMountPoint* mount = FindMatchingMount(path))
    {
        const nString rest(path.GetText() + mount->GetPrefix().GetLength());
        nSharedPtr<nIOBase> base(mount->GetBase());
        std::unique_ptr<nIOHandle> probe(base->Open(rest, IOModeRead));
        if (!probe)
            return false;
        probe.reset();
        return base->Delete(rest);
    }
    for (auto* node = m_roots.GetTail(); node; node = node->prev)
    {
        nSharedPtr<nIOBase> base = node->value;
        std::unique_ptr<nIOHandle> probe(base->Open(path, IOModeRead));
        if (!probe)
            continue;
        probe.reset();
        return base->Delete(path);
    }
    return false;
}

nString nIOSystem::StripSystemPrefix(const nString& path) const
{
    const nIOMountPoint* mount = FindMatchingMount(path);
    if (!mount || mount->GetPrefix().FindChar('@') < 0)
        return path;
    return nString(path.GetText() + mount->GetPrefix().GetLength());
}

void nIOSystem::GetNativePath(nString& out, const nString& path)
{
    if (const nIOMountPoint* mount = FindMatchingMount(path))
    {
        mount->GetBase()->GetNativePath(out, nString(path.GetText() + mount->GetPrefix().GetLength()));
        return;
    }
    for (auto* node = m_roots.GetTail(); node; node = node->prev)
    {
        std::unique_ptr<nIOHandle> probe(node->value->Open(path, IOModeRead));
        if (probe)
        {
            probe.reset();
            node->value->GetNativePath(out, path);
            return;
        }
    }
    out = path;
}

void nIOSystem::MakeRelativePath(nString& out, const nString& nativePath)
{
    nString normalized = nativePath;
    normalized.NormalizePath();
    for (auto* node = m_roots.GetTail(); node; node = node->prev)
    {
        nString relative;
        node->value->GetRelativePath(relative, normalized);
        if (relative.IsEmpty() || relative == normalized)
            continue;
        out = relative.GetText()[0] == '/' ? nString(relative.GetText() + 1) : relative;
        return;
    }
    out = normalized;
}
