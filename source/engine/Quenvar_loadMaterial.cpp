#include "engine/Quenvar.h"

#include "engine/resources/nResourceLoader.h"
#include "geometry/nMaterial.h"

nMaterial* Quenvar::LoadMaterial(const char* path, bool bypassCache)
{
    nResourceList<nMaterial>* list = bypassCache ? nullptr : &m_currentCache->GetMaterialList();
    nMaterial* material =
        LoadResource(*this, path, list, m_materialNotFound, nCacheAdd::UnlessPresent, [this](const nString& name) {
            auto* created = new nMaterial(this);
            if (!created)
                return created;
            created->name = name;
            if (created->Load(name.GetText()))
                return created;
            delete created;
            return static_cast<nMaterial*>(nullptr);
        });
    if (material && m_materialLoaded)
        m_materialLoaded(material);
    return material;
}
