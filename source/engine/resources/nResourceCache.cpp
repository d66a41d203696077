#include "engine/resources/nResourceCache.h"

#include "audio/nSound.h"
#include "core/base/nLog.h"

nResourceCache::~nResourceCache()
{
    Clear();
}

nSound* nResourceCache::FindSound(const nString& name) const
{
    if (name.IsEmpty())
        return nullptr;
    for (auto* node = m_sounds.GetHead(); node; node = node->next)
        if (node->value->GetName() == name)
            return node->value;
    return nullptr;
}

uint32_t nResourceCache::Purge()
{
    nResourceListBase* const lists[] = {&m_particleModels, &m_gpuGeometries, &m_cpuGeometries, &m_materials,
                                        &m_gpuTextures,    &m_cpuTextures,   &m_pictures};
    uint32_t purged = 0;
    for (nResourceListBase* list : lists)
        purged += list->RemoveUnshared();
    nLogHolder::Get() << "[H] " << purged << " resource(s) purged.\n";
    return purged;
}

void nResourceCache::Clear()
{
    nResourceListBase* const lists[] = {&m_gpuGeometries, &m_cpuGeometries, &m_materials,     &m_gpuTextures,
                                        &m_cpuTextures,   &m_pictures,      &m_particleModels};
    for (nResourceListBase* list : lists)
        list->Clear();
    m_sounds.Clear();
}

bool PictureCacheUnregister(nResourceList<nPicture>& pictures, const nString& name)
{
    return pictures.RemoveNode(pictures.FindNodeByName(name.GetText()));
}
