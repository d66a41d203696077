#include "engine/items/nLight.h"

#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nItemTags.h"
#include "geometry/nTexture.h"

// A value of another kind is reported and keeps the map; a texture that cannot be loaded leaves
// the light without one (the loader and the not-found hook have said why).
void nLight::ReadProjectionMap(const nMetaTag& tag)
{
    nString name;
    if (!ReadStringTag(tag, "Light", name))
        return;
    Quenvar* engine = GetEngine();
    SetProjectionMap(engine && !name.IsEmpty() ? engine->LoadTexture(name.GetText(), false, false) : nullptr);
}

void nLight::SetProjectionMap(nTexture* texture)
{
    m_projectionMap = texture;
}

void nLight::WriteProjectionMap(nMetaTag& block) const
{
    if (m_projectionMap && !m_projectionMap->GetName().IsEmpty())
        block.AddChildString("ProjectionMap", m_projectionMap->GetName().GetText());
}
