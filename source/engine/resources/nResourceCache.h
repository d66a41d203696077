#pragma once

#include "audio/nSound.h"
#include "core/base/nList.h"
#include "engine/resources/nResourceList.h"

#include <cstdint>

class nGeometry;
class nMaterial;
class nParticleModel;
class nPicture;
class nTexture;

// The resources the engine's loaders have loaded, by name, so that a second request returns the
// same object. Each list holds one reference on its resources; sounds are owned outright.
class nResourceCache
{
public:
    nResourceCache() = default;
    nResourceCache(const nResourceCache&) = delete;
    nResourceCache& operator=(const nResourceCache&) = delete;
    ~nResourceCache();

    nResourceList<nMaterial>& GetMaterialList() { return m_materials; }
    nResourceList<nTexture>& GetTextureList(bool cpu) { return cpu ? m_cpuTextures : m_gpuTextures; }
    nResourceList<nGeometry>& GetGeometryList(bool cpu) { return cpu ? m_cpuGeometries : m_gpuGeometries; }
    nResourceList<nPicture>& GetPictureList() { return m_pictures; }
    nResourceList<nParticleModel>& GetParticleModelList() { return m_particleModels; }
    nAutoList<nSound*>& GetSoundList() { return m_sounds; }

    nSound* FindSound(const nString& name) const;
    // Appends the material unless that very object is already in the list. A template only so that
    // the material's class need not be known where the cache is.
    template <typename Material> bool AddMaterial(Material* material, const nString& name)
    {
        return m_materials.AddUnlessPresent(material, name);
    }

    // Drops every entry that only this cache holds (sounds stay); logs and answers the count.
    uint32_t Purge();
    void Clear();

private:
    nResourceList<nMaterial> m_materials;
    nResourceList<nTexture> m_gpuTextures;
    nResourceList<nTexture> m_cpuTextures;
    nResourceList<nPicture> m_pictures;
    nResourceList<nGeometry> m_gpuGeometries;
    nResourceList<nGeometry> m_cpuGeometries;
    nResourceList<nParticleModel> m_particleModels;
    nAutoList<nSound*> m_sounds;
};

// Removes the first cached picture of that name; false when there is none. The picture lives on
// while others hold it.
bool PictureCacheUnregister(nResourceList<nPicture>& pictures, const nString& name);
