#include "script/nObjectTypeLifetime.h"

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/picture/nPicture.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

#include <algorithm>
#include <vector>

namespace
{
// A picture handle holds a reference like a texture handle, so a cached picture or a texture seen
// as a picture outlives its cache while a script holds it. An owned handle holds one reference
// more, taken by whoever made it, which the destruction of its object gives back.
void AddPictureReference(void* object)
{
    static_cast<nPicture*>(object)->AddRef();
}

void ReleasePicture(void* object)
{
    static_cast<nPicture*>(object)->Release();
}

void DestroyMetafile(void* object)
{
    auto* file = static_cast<nMetaFile*>(object);
    ReleaseMetafileTags(*file);
    delete file;
}

// Every tag of the document, sorted by address. The walk keeps its own stack: a document that a
// script built may nest deeper than the call stack would take.
std::vector<const void*> SortedTags(const nMetaFile& file)
{
    std::vector<const void*> tags;
    std::vector<const nLinkedListEntry*> pending;
    for (const nLinkedListEntry* root = file.GetRoots().GetHead(); root; root = root->GetNext())
        pending.push_back(root);
    while (!pending.empty())
    {
        const auto* tag = static_cast<const nMetaTag*>(pending.back());
        pending.pop_back();
        tags.push_back(tag);
        for (const nLinkedListEntry* child = tag->GetChildren().GetHead(); child; child = child->GetNext())
            pending.push_back(child);
    }
    std::sort(tags.begin(), tags.end());
    return tags;
}

bool IsTagOf(const void* object, const void* context)
{
    const auto& tags = *static_cast<const std::vector<const void*>*>(context);
    return std::binary_search(tags.begin(), tags.end(), object);
}

struct nObjectTypeLifetimeTable
{
    nObjectTypeLifetime entries[ObjectTypeCount];

    nObjectTypeLifetimeTable()
    {
        entries[ObjectTypePicture].addReference = AddPictureReference;
        entries[ObjectTypePicture].releaseReference = ReleasePicture;
        entries[ObjectTypePicture].destroy = ReleasePicture;
        entries[ObjectTypeMetafile].destroy = DestroyMetafile;
    }
};

nObjectTypeLifetimeTable& GetTable()
{
    static nObjectTypeLifetimeTable table;
    return table;
}

bool IsKnownType(int32_t type)
{
    return type >= 0 && type < ObjectTypeCount;
}
} // namespace

void SetObjectTypeLifetime(int32_t type, const nObjectTypeLifetime& lifetime)
{
    if (IsKnownType(type))
        GetTable().entries[type] = lifetime;
}

const nObjectTypeLifetime* GetObjectTypeLifetime(int32_t type)
{
    return IsKnownType(type) ? &GetTable().entries[type] : nullptr;
}

void ReleaseMetafileTags(nMetaFile& file)
{
    if (!file.GetRoots().GetHead())
        return;
    const std::vector<const void*> tags = SortedTags(file);
    nCObject::Invalidate(ObjectTypeMetatag, IsTagOf, &tags);

    std::vector<nMetaTag*> pending;
    while (nLinkedListEntry* root = file.GetRoots().GetHead())
    {
        file.GetRoots().Unlink(root);
        pending.push_back(static_cast<nMetaTag*>(root));
    }
    while (!pending.empty())
    {
        nMetaTag* tag = pending.back();
        pending.pop_back();
        while (nLinkedListEntry* child = tag->GetChildren().GetHead())
        {
            tag->GetChildren().Unlink(child);
            pending.push_back(static_cast<nMetaTag*>(child));
        }
        delete tag;
    }
}
