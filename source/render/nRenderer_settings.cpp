#include "render/nRenderer.h"

#include "core/nml/nMetaTag.h"

nMetaTag* nRenderer::SerializeSettings() const
{
    nMetaTag* settings = new nMetaTag(GetName());
    if (!settings)
        return nullptr;
    settings->AddChildString("Version", GetVersion());
    nMetaTag* registry = settings->AddChild("Registry");
    nLinkedListIterator iterator;
    while (nMetaTag* root = m_registry.GetNextRoot(iterator))
        if (registry)
            registry->AddChildTag(root->Clone(true));
    return settings;
}

bool nRenderer::ParseSettings(const nMetaTag* tag)
{
    if (!tag || tag->GetName() != GetName())
        return false;
    m_registry.Clear();
    nLinkedListIterator children;
    while (nMetaTag* child = tag->GetNextChild(children))
    {
        if (child->GetName() != "Registry")
            continue;
        nLinkedListIterator entries;
        while (nMetaTag* entry = child->GetNextChild(entries))
            m_registry.AddRoot(entry->Clone(true));
    }
    return true;
}
