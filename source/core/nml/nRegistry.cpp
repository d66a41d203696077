#include "core/nml/nRegistry.h"

#include "core/base/nList.h"
#include "core/nml/nMetaTag.h"

float nRegistry::GetFloat(const char* key, float defaultValue) const
{
    nMetaTag* tag = MetaFindTagInList(&GetRoots(), key, false);
    float value = defaultValue;
    return tag && tag->GetValue().GetFloat(value) ? value : defaultValue;
}

bool nRegistry::GetBool(const char* key, bool defaultValue) const
{
    nMetaTag* tag = MetaFindTagInList(&GetRoots(), key, false);
    bool value = defaultValue;
    return tag && tag->GetValue().GetBool(value) ? value : defaultValue;
}

// Empty segments (":A", "A::B") are skipped as path lookups skip them, so no tag with an empty
// name is ever created.
nMetaTag* nRegistry::SetKey(const char* key, const nMetaTagValue* value)
{
    nList<nString> segments;
    nString(key).RemoveChar(';').Split(":", segments);
    nMetaTag* tag = nullptr;
    nListIterator<nString> iterator;
    while (const nString* segment = segments.Next(iterator))
    {
        if (segment->IsEmpty())
            continue;
        const nLinkedListId* list = &GetRoots();
        if (tag)
            list = tag->GetType() == TagTypeNone ? &tag->GetChildren() : nullptr;
        nMetaTag* next = list ? static_cast<nMetaTag*>(list->Find(*segment, false)) : nullptr;
        if (!next)
            next = tag ? tag->AddChild(segment->GetText()) : AddRoot(segment->GetText());
        if (!next)
            return nullptr;
        tag = next;
    }
    if (tag && value)
    {
        tag->GetValue() = *value;
        if (tag->GetValue().GetType() != value->GetType())
            return nullptr;
        Broadcast(RegistryKeyChanged, key);
    }
    return tag;
}

bool nRegistry::RemoveKey(const char* key)
{
    nList<nString> segments;
    nString(key).Split(":", segments);
    nMetaTag* parent = nullptr;
    nMetaTag* tag = nullptr;
    nListIterator<nString> iterator;
    while (const nString* segment = segments.Next(iterator))
    {
        if (segment->IsEmpty())
            continue;
        const nLinkedListId* list =
            tag ? (tag->GetType() == TagTypeNone ? &tag->GetChildren() : nullptr) : &GetRoots();
        nMetaTag* next = MetaFindTagInList(list, segment->GetText(), false);
        if (!next)
            return false;
        parent = tag;
        tag = next;
    }
    if (!tag)
        return false;
    if (parent)
        return parent->RemoveChild(tag, true);
    RemoveRoot(tag);
    delete tag;
    return true;
}
