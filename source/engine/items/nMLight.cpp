#include "engine/items/nMLight.h"

#include "engine/items/nManagedBlock.h"

nMLight::nMLight(nScene* scene) : nMItem(scene, ItemTypeLight), m_light(scene->GetEngine())
{
    AttachItem(m_light);
}

nMLight::~nMLight()
{
    Retire();
    ReleaseRenderLight();
}

bool nMLight::IsEnabled() const
{
    if (m_light.GetDiffuseIntensity() <= DarkIntensity && m_light.GetSpecularIntensity() <= DarkIntensity)
        return false;
    return nMItem::IsEnabled();
}

void nMLight::PrepareRender()
{
    m_light.Update();
}

bool nMLight::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    return ParseManagedBlock(file, tag, *this, {"MLight", "Light", "Could not parse managed light. Root tag id is incorrect ("},
                             [this](nMetaFile& f, nMetaTag& part) { m_light.ParseTag(f, part); });
}

nMetaTag* nMLight::SerializeTag(nMetaFile& file)
{
    return SerializeManagedBlock(file, *this, "MLight", "could not create managed root tag to serialize.\n",
                                 m_light.SerializeTag(file));
}
