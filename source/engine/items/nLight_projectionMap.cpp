#include "engine/items/nLight.h"

#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nItemTags.h"
#include "geometry/nTexture.h"

// A value of another kind is reported and keeps the map; a texture that cannot be loaded leaves
// the light without one (the loader and the not-found hook have said why) but keeps its name for
// the writer.
void nLight::ReadProjectionMap(const nMetaTag& tag)
{
    nString name;
    if (!ReadStringTag(tag, "Light", name))
        return;
    Quenvar* engine = GetEngine();
    nTexture* texture = engine && !name.IsEmpty() ? engine->LoadTexture(name.GetText(), false, false) : nullptr;
    SetProjectionMap(texture);
    if (!texture)
        m_unloadedProjectionMapName = name;
}

void nLight::SetProjectionMap(nTexture* texture)
{
    m_projectionMap = texture;
    m_unloadedProjectionMapName.Clear();
}

void nLight::WriteProjectionMap(nMetaTag& block) const
{
    const nString& name = m_projectionMap ? m_projectionMap->GetName() : m_unloadedProjectionMapName;
    if (!name.IsEmpty())
        block.AddChildString("ProjectionMap", name.GetText());
}
