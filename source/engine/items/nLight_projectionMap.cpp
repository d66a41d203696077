#include "engine/items/nLight.h"

#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"

void nLight::ReadProjectionMap(const nMetaTag& tag)
{
    nString name;
    ReadStringTag(tag, "Light", name);
}

void nLight::WriteProjectionMap(nMetaTag&) const {}
