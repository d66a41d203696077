#include "engine/items/nMCamera.h"

#include "engine/items/nManagedBlock.h"

nMCamera::nMCamera(nScene* scene) : nMItem(scene, ItemTypeCamera), m_camera(scene->GetEngine())
{
    AttachItem(m_camera);
}

nMCamera::~nMCamera()
{
    Retire();
}

void nMCamera::PrepareRender()
{
    m_camera.ComputeFrustum(nullptr);
}

bool nMCamera::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    return ParseManagedBlock(file, tag, *this, {"MCamera", "Camera", "Could not parse managed camera. Root tag id is incorrect ("},
                             [this](nMetaFile& f, nMetaTag& part) { m_camera.ParseTag(f, part); });
}

nMetaTag* nMCamera::SerializeTag(nMetaFile& file)
{
    return SerializeManagedBlock(file, *this, "MCamera", "Could not create managed root tag to serialize.\n",
                                 m_camera.SerializeTag(file));
}
