#include "core/nml/nMetaTag.h"

#include "core/base/nChunkAllocator.h"
#include "core/base/nLog.h"
#include "core/base/nMemory.h"

#include <cstring>

namespace
{
// In the category word of a tag's header: the tag came from chunks.
constexpr uint32_t FromChunks = 1u << 31;
} // namespace

void* nMetaTag::operator new(size_t size) noexcept
{
    return MemAllocMetatag(size);
}

void* nMetaTag::operator new(size_t size, nMetaTagStorage) noexcept
{
    void* block = nChunkAllocator::Allocate(MemHeaderedSize(size));
    if (!block)
        return nullptr;
    MemTrackAlloc(size, MemCategoryMetatag);
    return MemWriteHeader(block, size, MemCategoryMetatag | FromChunks);
}

void nMetaTag::operator delete(void* memory) noexcept
{
    if (!memory)
        return;
    void* block = MemReadHeader(memory);
    if (!(static_cast<uint32_t*>(block)[2] & FromChunks))
    {
        MemFreeMetatag(memory);
        return;
    }
    const uint64_t size = *static_cast<uint64_t*>(block);
    MemTrackFree(size, MemCategoryMetatag);
    nChunkAllocator::Free(block, MemHeaderedSize(size));
}

void nMetaTag::operator delete(void* memory, nMetaTagStorage) noexcept
{
    operator delete(memory);
}

nMetaTag::nMetaTag(const char* name) : nLinkedListEntryId(nString(name)) {}

nMetaTag::nMetaTag(const char* name, bool value) : nMetaTag(name)
{
    m_value.SetBool(value);
}

nMetaTag::nMetaTag(const char* name, int32_t value) : nMetaTag(name)
{
    m_value.SetInt(value);
}

nMetaTag::nMetaTag(const char* name, float value) : nMetaTag(name)
{
    m_value.SetFloat(value);
}

nMetaTag::nMetaTag(const char* name, const char* text) : nMetaTag(name)
{
    m_value.SetString(text);
}

nMetaTag::nMetaTag(const char* name, const void* data, uint32_t size) : nMetaTag(name)
{
    m_value.SetBinary(data, size);
}

nMetaTag::~nMetaTag() = default;

nMetaTag* nMetaTag::AddChildTag(nMetaTag* tag)
{
    if (!tag)
        return nullptr;
    if (GetType() != TagTypeNone)
    {
        nLogHolder::Get() << "[!] Cannot add child to tag '" << GetName()
                          << "' as it is neither a pure tag or a node.\n";
        return nullptr;
    }
    if (tag == this || (tag->GetChildCount() != 0 && FindParent(tag)))
    {
        // Linked below itself, the tree would never end for any walk over it.
        nLogHolder::Get() << "[!] Cannot add tag '" << tag->GetName() << "' below itself.\n";
        return nullptr;
    }
    return static_cast<nMetaTag*>(m_children.Add(tag));
}

// A tag made for the caller is deleted again when it cannot be linked.
nMetaTag* nMetaTag::AdoptChild(nMetaTag* child)
{
    if (!child)
        return nullptr;
    if (!AddChildTag(child))
    {
        delete child;
        return nullptr;
    }
    return child;
}

nMetaTag* nMetaTag::AddChild(const char* name)
{
    return AdoptChild(new nMetaTag(name));
}

nMetaTag* nMetaTag::AddChildBool(const char* name, bool value)
{
    return AdoptChild(new nMetaTag(name, value));
}

nMetaTag* nMetaTag::AddChildInt(const char* name, int32_t value)
{
    return AdoptChild(new nMetaTag(name, value));
}

nMetaTag* nMetaTag::AddChildFloat(const char* name, float value)
{
    return AdoptChild(new nMetaTag(name, value));
}

nMetaTag* nMetaTag::AddChildString(const char* name, const char* text)
{
    return AdoptChild(new nMetaTag(name, text));
}

nMetaTag* nMetaTag::AddChildBinary(const char* name, const void* data, uint32_t size)
{
    return AdoptChild(new nMetaTag(name, data, size));
}

nMetaTag* nMetaTag::GetTag(const char* path, bool verbose) const
{
    return MetaFindTagInList(&m_children, path, verbose);
}

nMetaTag* nMetaTag::GetTypedTag(const char* path, nMetaTagType type, bool verbose) const
{
    nMetaTag* tag = GetTag(path, verbose);
    return tag && tag->GetType() == type ? tag : nullptr;
}

nMetaTag* nMetaTag::GetNextChild(nLinkedListIterator& iterator) const
{
    return static_cast<nMetaTag*>(m_children.Next(iterator));
}

bool nMetaTag::GetBool() const
{
    bool value = false;
    return m_value.GetBool(value) && value;
}

uint32_t nMetaTag::RemoveChildren(const char* name)
{
    if (!name)
    {
        uint32_t count = m_children.GetCount();
        m_children.Clear(true);
        return count;
    }
    uint32_t removed = 0;
    nLinkedListIterator iterator;
    while (nMetaTag* child = GetNextChild(iterator))
    {
        if (child->GetName() == name)
        {
            m_children.Remove(child, true);
            ++removed;
        }
    }
    return removed;
}

bool nMetaTag::RemoveChild(nMetaTag* child, bool deleteChild)
{
    if (!child || child->GetList() != &m_children)
        return false;
    return m_children.Remove(child, deleteChild);
}

void nMetaTag::Clear()
{
    m_value.Clear();
    m_children.Clear(true);
}

nMetaTag* nMetaTag::Clone(bool deep) const
{
    nMetaTag* copy = new nMetaTag();
    if (!copy)
        return nullptr;
    if (!GetName().IsEmpty())
        copy->SetId(GetName());
    copy->m_value = m_value;
    if (copy->m_value.GetType() != m_value.GetType())
    {
        delete copy;
        return nullptr;
    }
    if (!deep)
        return copy;
    for (nLinkedListEntry* entry = m_children.GetHead(); entry; entry = entry->GetNext())
    {
        nMetaTag* child = static_cast<const nMetaTag*>(entry)->Clone(true);
        if (!child)
        {
            delete copy;
            return nullptr;
        }
        copy->m_children.Add(child);
    }
    return copy;
}

// Each level is searched across first, then each child's subtree in turn.
nMetaTag* nMetaTag::FindParent(nMetaTag* root) const
{
    if (!root)
        return nullptr;
    if (GetList() == &root->m_children)
        return root;
    for (nLinkedListEntry* entry = root->m_children.GetHead(); entry; entry = entry->GetNext())
        if (nMetaTag* parent = FindParent(static_cast<nMetaTag*>(entry)))
            return parent;
    return nullptr;
}

namespace
{
// The first entry named by the bytes [begin, end), compared without building a string.
nMetaTag* FindNamed(const nLinkedListId& list, const char* begin, const char* end)
{
    const size_t length = static_cast<size_t>(end - begin);
    for (nLinkedListEntry* entry = list.GetHead(); entry; entry = entry->GetNext())
    {
        const nString& id = static_cast<nMetaTag*>(entry)->GetName();
        if (id.GetLength() == length && (length == 0 || std::memcmp(id.GetText(), begin, length) == 0))
            return static_cast<nMetaTag*>(entry);
    }
    return nullptr;
}
} // namespace

nMetaTag* MetaFindTagInList(const nLinkedListId* list, const char* path, bool verbose)
{
    if (!path || !*path)
        return nullptr;
    nMetaTag* result = nullptr;
    const char* cursor = path;
    while (true)
    {
        while (*cursor == ':')
            ++cursor;
        if (*cursor == ';')
            return result;
        const char* segmentEnd = cursor;
        while (*segmentEnd && *segmentEnd != ':' && *segmentEnd != ';')
            ++segmentEnd;
        bool atEnd = *segmentEnd == '\0';
        if (atEnd && verbose)
        {
            if (segmentEnd != cursor)
                nLogHolder::Get() << "[*] incomplete path '" << path << "' (missing ';').\n";
            else
                nLogHolder::Get() << "[!] unexpected end of path'" << path << "'.\n";
        }
        if (!list)
        {
            if (verbose)
                nLogHolder::Get() << "[*] '" << path << "' is deeper than lowest tree node.\n";
            return nullptr;
        }
        result = FindNamed(*list, cursor, segmentEnd);
        if (!result)
        {
            if (verbose)
            {
                nString segment(cursor, segmentEnd);
                list->Find(segment, true); // for its own warning
                nLogHolder::Get() << "!! Error '" << segment << "' in '" << path << "' not found.\n";
            }
            return nullptr;
        }
        list = result->GetType() == TagTypeNone ? &result->GetChildren() : nullptr;
        if (atEnd)
            return result;
        cursor = segmentEnd;
    }
}
