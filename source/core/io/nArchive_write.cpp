#include "core/io/nArchive.h"

#include "core/base/nAutoArray.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/base/nLog.h"
#include "platform/nPlatform.h"

#include <zlib.h>

#include <new>

bool nArchive::WriteBytes(const void* data, uint32_t size)
{
    return size == 0 || m_file->Write(data, size) == size;
}

bool nArchive::WriteU32(uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return WriteBytes(bytes, sizeof(bytes));
}

bool nArchive::Create(const char* path)
{
    Close();
    if (path)
        m_file.reset(nPlatform::Get().GetIOSystem().Open(path, IOModeWrite));
    if (!m_file)
    {
        nLogHolder::Get() << "[!] Failed to open '" << path << "' as output archive.\n";
        return false;
    }
    // The writer always writes A = 0 and E = 0, so its files have no gaps and no end padding;
    // values kept from an archive read before must not shape this one.
    m_alignment = 0;
    m_endPadding = 0;
    if (!WriteBytes("DRAN", 4) || !WriteU32(m_alignment) || !WriteU32(m_endPadding))
    {
        nLogHolder::Get() << "[!] Failed to write the header of '" << path << "'.\n";
        Close();
        return false;
    }
    m_currentForm = true;
    m_writeMode = true;
    return true;
}

bool nArchive::AddEntry(const nString& name, const void* data, uint32_t size, int level)
{
    if (!m_writeMode || size == 0 || !data)
    {
        nLogHolder::Get() << "[!] Cannot write '" << name << "' (r/w mode error).\n";
        return false;
    }
    // A longer name would end the entry list for every reader of the archive.
    if (name.GetLength() > MaxNameLength)
    {
        nLogHolder::Get() << "[!] Cannot write '" << name << "' (name longer than " << MaxNameLength << " bytes).\n";
        return false;
    }
    if (FindEntry(name))
    {
        nLogHolder::Get() << "[!] An entry with alias '" << name << "' already exists.\n";
        return false;
    }
    auto* entry = new (std::nothrow) nArchiveEntry;
    auto* node = entry ? m_entries.PushBack(entry) : nullptr;
    if (!node)
    {
        delete entry;
        nLogHolder::Get() << "[!] Failed to allocate new index entry.\n";
        return false;
    }
    entry->name = name;

    bool written = WriteU32(name.GetLength()) && WriteBytes(name.GetText(), name.GetLength());
    if (m_verbose)
        nLogHolder::Get() << "[H] Adding '" << name << "' to archive...\n";

    nAutoArray<uint8_t> compressed(MemCategoryFilesystem);
    uLongf compressedSize = 0;
    bool isCompressed = false;
    if (written && level >= 0)
    {
        compressedSize = compressBound(size);
        isCompressed = compressedSize <= UINT32_MAX && compressed.Resize(static_cast<uint32_t>(compressedSize)) &&
                       compress2(compressed.GetData(), &compressedSize, static_cast<const Bytef*>(data), size, level) == Z_OK;
        if (!isCompressed && m_verbose)
            nLogHolder::Get() << "No compression achieved for '" << name << "', adding uncompressed.\n";
    }

    const uint8_t flags = isCompressed ? 1 : 0;
    written = written && WriteBytes(&flags, 1) && WriteU32(size);
    if (isCompressed)
        written = written && WriteU32(static_cast<uint32_t>(compressedSize));
    const int64_t offset = m_file->Tell();
    if (written && (offset < 0 || offset > static_cast<int64_t>(UINT32_MAX)))
        written = false;
    entry->method = isCompressed ? ArchiveMethodZlib : ArchiveMethodRaw;
    entry->offset = static_cast<uint32_t>(offset);
    entry->len = size;
    entry->clen = isCompressed ? static_cast<uint32_t>(compressedSize) : 0;
    if (isCompressed && m_verbose)
        nLogHolder::Get() << "Was " << size / 1000 << " KB, is now " << entry->clen / 1000 << " KB ("
                          << static_cast<unsigned int>(static_cast<uint64_t>(entry->clen) * 100 / size) << "%).\n";
    written = written && (isCompressed ? WriteBytes(compressed.GetData(), entry->clen) : WriteBytes(data, size));
    if (!written)
    {
        nLogHolder::Get() << "[!] Failed to write '" << name << "' to archive.\n";
        m_entries.RemoveNode(node);
        return false;
    }
    return true;
}

bool nArchive::AddFile(const char* path, const char* alias, int level)
{
    nAutoArray<uint8_t> block(MemCategoryFilesystem);
    if (!path || !nPlatform::Get().GetIOSystem().LoadFile(path, block))
        return false;
    return AddEntry(alias ? alias : path, block.GetData(), block.GetCount(), level);
}

bool nArchive::Close()
{
    bool closed = true;
    if (m_writeMode && m_file)
    {
        const uint32_t endCode = 0xFFFFFFFFu;
        WriteBytes(&endCode, sizeof(endCode));
        closed = m_file->Commit();
        if (closed)
            nLogHolder::Get() << "Archive complete, closing.\n";
    }
    m_file.reset();
    m_fileSize = 0;
    m_entries.Clear();
    m_writeMode = false;
    return closed;
}
