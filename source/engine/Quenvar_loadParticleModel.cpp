#include "engine/Quenvar.h"

#include "engine/items/nParticleModel.h"
#include "engine/resources/nResourceLoader.h"
#include "render/nRenderer.h"

// Particle models have no not-found hook and no loaded hook; the renderer's object for the model's
// material is made as the model loads, so a cached model already has it.
nParticleModel* Quenvar::LoadParticleModel(const char* path, bool bypassCache)
{
    nResourceList<nParticleModel>* list = bypassCache ? nullptr : &m_currentCache->GetParticleModelList();
    return LoadResource(*this, path, list, nullptr, nCacheAdd::Append,
                        [this](const nString& name)
                        {
                            auto* loaded = new nParticleModel(this);
                            if (!loaded)
                                return loaded;
                            if (!loaded->Load(name.GetText()))
                            {
                                delete loaded;
                                return static_cast<nParticleModel*>(nullptr);
                            }
                            if (m_setupOnLoad)
                                loaded->material.renderData = m_renderer->SetupMaterial(&loaded->material);
                            return loaded;
                        });
}
