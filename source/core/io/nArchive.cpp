#include "core/io/nArchive.h"

#include "core/base/nAutoArray.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/base/nLog.h"
#include "platform/nPlatform.h"

#include <zlib.h>

#include <cstring>

namespace
{

// Deflate cannot expand data by more than about 1032 to 1; a decoded size beyond that bound is
// damage, not data, and is refused before anything is allocated for it.
constexpr uint64_t MaxInflationRatio = 1032;
constexpr uint64_t InflationSlack = 1024;

uint32_t LittleEndianU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}

nArchive::nArchive() = default;

nArchive::~nArchive()
{
    Close();
}

// Back ends report a seek differently (the host's 0 for success, an archive's new position), so
// success is judged by where the file stands afterwards.
bool nArchive::SeekTo(int64_t position)
{
    m_file->Seek(position, IOSeekSet);
    return m_file->Tell() == position;
}

bool nArchive::ReadU32(uint32_t& value)
{
    uint8_t bytes[4];
    if (m_file->Read(bytes, sizeof(bytes)) != sizeof(bytes))
        return false;
    value = LittleEndianU32(bytes);
    return true;
}

bool nArchive::SkipAlignment()
{
    if (m_alignment == 0)
        return true;
    const int64_t position = m_file->Tell();
    const int64_t remainder = position % m_alignment;
    if (remainder == 0)
        return true;
    const int64_t aligned = position + (m_alignment - remainder);
    return aligned <= m_fileSize && SeekTo(aligned);
}

bool nArchive::CheckEntry(const nArchiveEntry& entry, const char* source) const
{
    const uint64_t end = static_cast<uint64_t>(entry.offset) + entry.GetStoredSize();
    if (end > static_cast<uint64_t>(m_fileSize))
    {
        nLogHolder::Get() << "[!] Entry '" << entry.name << "' of '" << source << "' lies beyond the end of the archive.\n";
        return false;
    }
    if (entry.method == ArchiveMethodZlib &&
        entry.len > static_cast<uint64_t>(entry.clen) * MaxInflationRatio + InflationSlack)
    {
        nLogHolder::Get() << "[!] Entry '" << entry.name << "' of '" << source << "' has an absurd size ("
                          << entry.len << " bytes from " << entry.clen << ").\n";
        return false;
    }
    return true;
}

void nArchive::LogEntry(const nArchiveEntry& entry) const
{
    nLogHolder::Get() << "New entry: '" << entry.name << "'\n";
    nLogHolder::Get() << "[method = " << entry.method << ", len = " << entry.len << ", clen = " << entry.clen
                      << ", offset = " << entry.offset << "].\n";
}

bool nArchive::Open(const char* path, const char* indexPath)
{
    Close();
    if (!path)
    {
        nLogHolder::Get() << "[!] No archive to open.\n";
        return false;
    }
    m_file.reset(nPlatform::Get().GetIOSystem().Open(path, IOModeRead));
    if (!m_file)
    {
        nLogHolder::Get() << "[!] Failed to open archive '" << path << "'.\n";
        return false;
    }
    m_fileSize = m_file->GetSize();

    char magic[4] = {};
    const bool read = m_file->Read(magic, sizeof(magic)) == sizeof(magic);
    if (read && std::memcmp(magic, "CRAN", 4) == 0)
    {
        m_currentForm = false;
        m_alignment = 0;
        m_endPadding = 0;
    }
    else if (read && std::memcmp(magic, "DRAN", 4) == 0)
    {
        m_currentForm = true;
        if (!ReadU32(m_alignment) || !SkipAlignment() || !ReadU32(m_endPadding))
        {
            nLogHolder::Get() << "[!] Archive '" << path << "' ends inside its header.\n";
            Close();
            return false;
        }
    }
    else
    {
        nLogHolder::Get() << "[!] Invalid archive type '" << path << "'.\n";
        Close();
        return false;
    }

    if (indexPath)
    {
        LoadIndex(indexPath);
        if (m_verbose)
        {
            nListIterator<nArchiveEntry*> iterator;
            while (const nArchiveEntry* entry = m_entries.Next(iterator))
                LogEntry(*entry);
        }
        return true;
    }
    ScanEntries(path);
    return true;
}

// Stops at a name length above the limit (the end code is one), at the end of the file, or at
// the first entry that the file cannot hold; the entries before it stay usable.
void nArchive::ScanEntries(const char* path)
{
    if (m_verbose)
        nLogHolder::Get() << "No index provided, please wait while scanning archive...\n";
    while (m_file->Tell() < m_fileSize)
    {
        uint32_t nameLength = 0;
        if (!SkipAlignment() || !ReadU32(nameLength) || nameLength > MaxNameLength)
            break;
        char name[MaxNameLength + 1];
        uint8_t flags = 0;
        nArchiveEntry scanned;
        if (!SkipAlignment() || m_file->Read(name, nameLength) != nameLength || !SkipAlignment() || m_file->Read(&flags, 1) != 1 ||
            !SkipAlignment() || !ReadU32(scanned.len))
        {
            nLogHolder::Get() << "[!] Archive '" << path << "' ends inside an entry.\n";
            break;
        }
        scanned.name.Set(name, name + nameLength);
        scanned.method = (flags & 1) ? ArchiveMethodZlib : ArchiveMethodRaw;
        if (scanned.method == ArchiveMethodZlib)
        {
            if (!SkipAlignment() || !ReadU32(scanned.clen))
            {
                nLogHolder::Get() << "[!] Archive '" << path << "' ends inside an entry.\n";
                break;
            }
        }
        else
            scanned.clen = scanned.len;
        if (!SkipAlignment())
        {
            nLogHolder::Get() << "[!] Archive '" << path << "' ends inside an entry.\n";
            break;
        }
        const int64_t offset = m_file->Tell();
        if (offset < 0 || offset > static_cast<int64_t>(UINT32_MAX))
            break;
        scanned.offset = static_cast<uint32_t>(offset);
        if (!CheckEntry(scanned, path))
            break;

        auto* entry = new (std::nothrow) nArchiveEntry(scanned);
        if (!entry || !m_entries.PushBack(entry))
        {
            delete entry;
            nLogHolder::Get() << "[!] Could not allocate new index entry.\n";
        }
        else if (m_verbose)
            LogEntry(*entry);
        if (!SeekTo(offset + scanned.GetStoredSize()))
            break;
    }
    if (m_verbose)
        nLogHolder::Get() << "Done, index table built.\n\n";
}

const nArchiveEntry* nArchive::FindEntry(const nString& name) const
{
    for (auto* node = m_entries.GetHead(); node; node = node->next)
        if (node->value->name.Equals(name))
            return node->value;
    return nullptr;
}

bool nArchive::LoadEntry(const nString& name, void* out, uint32_t capacity)
{
    if (m_writeMode)
    {
        nLogHolder::Get() << "[!] Cannot load '" << name << "' (r/w mode error).\n";
        return false;
    }
    const nArchiveEntry* entry = FindEntry(name);
    if (!entry)
    {
        nLogHolder::Get() << "[!] Could not find '" << name << "'.\n";
        return false;
    }
    if (!m_file)
    {
        nLogHolder::Get() << "[!] Cannot load '" << name << "' (no archive is open).\n";
        return false;
    }
    if (capacity < entry->len || (!out && entry->len > 0))
    {
        nLogHolder::Get() << "[!] No room to load '" << name << "'.\n";
        return false;
    }
    if (!SeekTo(entry->offset))
    {
        nLogHolder::Get() << "[!] Failed to seek to '" << name << "'.\n";
        return false;
    }
    if (entry->method == ArchiveMethodRaw)
    {
        if (m_file->Read(out, entry->len) != entry->len)
        {
            nLogHolder::Get() << "[!] Failed to load raw source.\n";
            return false;
        }
        return true;
    }

    nAutoArray<uint8_t> compressed(MemCategoryFilesystem);
    if (!compressed.ResizeForOverwrite(entry->clen))
    {
        nLogHolder::Get() << "[!] Failed to allocated compressed memory support.\n";
        return false;
    }
    if (m_file->Read(compressed.GetData(), entry->clen) != entry->clen)
    {
        nLogHolder::Get() << "[!] Failed to load compressed source.\n";
        return false;
    }
    Bytef emptyTarget = 0;
    uLongf decodedSize = entry->len;
    const int result = uncompress(out ? static_cast<Bytef*>(out) : &emptyTarget, &decodedSize,
                                  compressed.GetData(), entry->clen);
    if (result != Z_OK || decodedSize != entry->len)
    {
        if (!entry->damageReported)
            nLogHolder::Get() << "[!] Failed to decompress '" << name << "' (damaged data).\n";
        entry->damageReported = true;
        return false;
    }
    return true;
}
