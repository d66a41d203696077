#include "engine/items/nLight.h"

#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"

void nLight::ReadProjectionMap(const nMetaTag& tag)
{
    ReadStringTag(tag, "Light", m_projectionMapName);
}

void nLight::WriteProjectionMap(nMetaTag& block) const
{
    if (!m_projectionMapName.IsEmpty())
        block.AddChildString("ProjectionMap", m_projectionMapName.GetText());
}
