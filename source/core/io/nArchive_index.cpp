#include "core/io/nArchive.h"

#include "core/io/nIOHandle.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"

#include <new>

namespace
{

bool ReadIndexEntry(const nMetaTag& tag, nArchiveEntry& entry)
{
    const nMetaTag* id = tag.GetTypedTag("ID;", TagTypeString);
    const nMetaTag* compressedLength = tag.GetTypedTag("CompLen;", TagTypeInteger);
    const nMetaTag* length = tag.GetTypedTag("Len;", TagTypeInteger);
    const nMetaTag* offset = tag.GetTypedTag("Offset;", TagTypeInteger);
    const nMetaTag* method = tag.GetTypedTag("Method;", TagTypeString);
    nString methodName;
    int32_t clen = 0;
    int32_t len = 0;
    int32_t position = 0;
    if (!id || !compressedLength || !length || !offset || !method || !id->GetValue().GetString(entry.name) ||
        !compressedLength->GetValue().GetInt(clen) || !length->GetValue().GetInt(len) ||
        !offset->GetValue().GetInt(position) || !method->GetValue().GetString(methodName))
    {
        nLogHolder::Get() << "[!] Incomplete index entry.\n";
        return false;
    }
    if (methodName == "Raw")
        entry.method = ArchiveMethodRaw;
    else if (methodName == "Zlib")
        entry.method = ArchiveMethodZlib;
    else
    {
        nLogHolder::Get() << "[!] Unknown method '" << methodName << "' of index entry '" << entry.name << "'.\n";
        return false;
    }
    if (clen < 0 || len < 0 || position < 0)
    {
        nLogHolder::Get() << "[!] Index entry '" << entry.name << "' has a negative size or offset.\n";
        return false;
    }
    entry.clen = static_cast<uint32_t>(clen);
    entry.len = static_cast<uint32_t>(len);
    entry.offset = static_cast<uint32_t>(position);
    return true;
}

}

bool nArchive::LoadIndex(const char* path)
{
    m_entries.Clear();
    nLogHolder::Get() << "[|] Loading archive index '" << path << "'...\n";
    nMetaFile index;
    const nMetaTag* root = path && index.Load(path) ? index.GetTypedTag("Index;", TagTypeNone) : nullptr;
    if (!root)
    {
        nLogHolder::Get() << "[!] No archive index tag found in '" << path << "'.\n";
        return false;
    }
    nLinkedListIterator iterator;
    while (const nMetaTag* child = root->GetNextChild(iterator))
    {
        if (child->GetName() != "Entry")
        {
            nLogHolder::Get() << "[*] Unexpected tag <" << child->GetName() << "> in <Index>.\n";
            continue;
        }
        nArchiveEntry read;
        // Entries are checked against the archive they describe whenever one is open.
        if (!ReadIndexEntry(*child, read) || (m_file && !CheckEntry(read, path)))
            continue;
        auto* entry = new (std::nothrow) nArchiveEntry(read);
        if (!entry || !m_entries.PushBack(entry))
        {
            delete entry;
            nLogHolder::Get() << "[!] Failed to allocate new archive index entry.\n";
        }
    }
    nLogHolder::Get() << "[|] Done, found " << m_entries.GetCount() << " entries.\n";
    return true;
}

bool nArchive::SaveIndex(const char* path) const
{
    nMetaFile index;
    nMetaTag* root = index.AddRoot("Index");
    if (!root)
        return false;
    for (auto* node = m_entries.GetHead(); node; node = node->next)
    {
        const nArchiveEntry& entry = *node->value;
        nMetaTag* tag = root->AddChild("Entry");
        if (!tag || !tag->AddChildString("ID", entry.name.GetText() ? entry.name.GetText() : "") ||
            !tag->AddChildInt("CompLen", entry.method == ArchiveMethodZlib ? static_cast<int32_t>(entry.clen) : 0) ||
            !tag->AddChildInt("Len", static_cast<int32_t>(entry.len)) ||
            !tag->AddChildInt("Offset", static_cast<int32_t>(entry.offset)) ||
            !tag->AddChildString("Method", entry.method == ArchiveMethodZlib ? "Zlib" : "Raw"))
            return false;
    }
    return index.Save(path);
}
