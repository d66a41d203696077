#pragma once

#include "core/base/nLinkedListId.h"
#include "core/nml/nMetaTagValue.h"

#include <cstddef>
#include <cstdint>

// One node of an NML document: a name (the entry id), ordered owned children and one typed
// value. A pure tag (value None) takes children; a value tag refuses them. Every tag is a tracked
// allocation of the "Metatag" memory category.
// Where a tag is made. A reader makes a whole document's tags at once, and they mostly die
// together with the document: they come from chunks (nChunkAllocator), which spares the heap a
// block, and a coalescing free, for each of them. Tags kept apart from their document (copies in
// a registry) come from the heap, so that they do not keep a freed document's chunks alive.
enum class nMetaTagStorage
{
    Chunks,
};

class nMetaTag : public nLinkedListEntryId
{
public:
    // An allocation failure yields a null tag instead of an exception.
    static void* operator new(size_t size) noexcept;
    static void* operator new(size_t size, nMetaTagStorage storage) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete(void* memory, nMetaTagStorage storage) noexcept;

    nMetaTag() = default;
    explicit nMetaTag(const char* name);
    nMetaTag(const char* name, bool value);
    nMetaTag(const char* name, int32_t value);
    nMetaTag(const char* name, float value);
    nMetaTag(const char* name, const char* text);
    nMetaTag(const char* name, const void* data, uint32_t size);
    nMetaTag(const nMetaTag&) = delete;
    nMetaTag& operator=(const nMetaTag&) = delete;
    ~nMetaTag() override;

    const nString& GetName() const { return GetId(); }
    nMetaTagValue& GetValue() { return m_value; }
    const nMetaTagValue& GetValue() const { return m_value; }
    nMetaTagType GetType() const { return m_value.GetType(); }
    const nLinkedListId& GetChildren() const { return m_children; }
    nLinkedListId& GetChildren() { return m_children; }
    uint32_t GetChildCount() const { return m_children.GetCount(); }

    nMetaTag* AddChildTag(nMetaTag* tag);
    nMetaTag* AddChild(const char* name);
    nMetaTag* AddChildBool(const char* name, bool value);
    nMetaTag* AddChildInt(const char* name, int32_t value);
    nMetaTag* AddChildFloat(const char* name, float value);
    nMetaTag* AddChildString(const char* name, const char* text);
    nMetaTag* AddChildBinary(const char* name, const void* data, uint32_t size);

    nMetaTag* GetTag(const char* path, bool verbose = false) const;
    nMetaTag* GetTypedTag(const char* path, nMetaTagType type, bool verbose = false) const;
    // The next child is taken before the current one is returned, so it may be unlinked meanwhile.
    nMetaTag* GetNextChild(nLinkedListIterator& iterator) const;
    bool GetBool() const;

    // With a null name every child goes; returns how many were deleted.
    uint32_t RemoveChildren(const char* name = nullptr);
    bool RemoveChild(nMetaTag* child, bool deleteChild = true);
    void Clear();
    // The value is copied by assignment, so a Binary value is not carried over.
    nMetaTag* Clone(bool deep) const;
    // The tag under root (root included) whose children hold this tag, or null.
    nMetaTag* FindParent(nMetaTag* root) const;

private:
    nMetaTag* AdoptChild(nMetaTag* child);

    nLinkedListId m_children;
    nMetaTagValue m_value;
};

// Walks a tag path ("A:B;") through a list of tags and their children. Leading and repeated ":"
// are skipped, ";" ends the path, and a path without ";" still resolves.
nMetaTag* MetaFindTagInList(const nLinkedListId* list, const char* path, bool verbose);
