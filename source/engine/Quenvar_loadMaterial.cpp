#include "engine/Quenvar.h"

#include "engine/resources/nResourceLoader.h"
#include "geometry/nMaterial.h"

nMaterial* Quenvar::LoadMaterial(const char* path, bool bypassCache)
{
    nResourceList<nMaterial>* list = bypassCache ? nullptr : &m_currentCache->GetMaterialList();
    nMaterial* material =
        LoadResource(*this, path, list, m_materialNotFound, nCacheAdd::UnlessPresent, [this](const nString& name) {
            auto* loaded = new nMaterial(this);
            if (!loaded)
                return loaded;
            loaded->name = name;
            PushLoadContext(loaded); // what the material's own loads (its textures) read it for
            const bool read = loaded->Load(name.GetText());
            PopLoadContext();
            if (read)
                return loaded;
            delete loaded;
            return static_cast<nMaterial*>(nullptr);
        });
    if (material && m_materialLoaded)
        m_materialLoaded(material);
    return material;
}
