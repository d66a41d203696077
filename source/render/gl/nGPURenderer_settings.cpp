#include "render/gl/nGPURenderer.h"

#include "geometry/nMaterial.h"
#include "render/gl/nEGLMaterial.h"
#include "render/nEngineServices.h"

#include <algorithm>
#include <cstring>

namespace
{
// Any non-empty key that agrees with "Antialiasing" over the shorter of the two lengths.
bool IsAntialiasingKey(const char* key)
{
    static constexpr char Antialiasing[] = "Antialiasing";
    const size_t length = std::min(std::strlen(key), sizeof(Antialiasing) - 1);
    return length != 0 && std::strncmp(key, Antialiasing, length) == 0;
}
} // namespace

int32_t nGPURenderer::OnRegistryMessage(nRegistryMessage message, const char* keyPath)
{
    if (message == RegistryApplyChanges)
    {
        ApplyPendingChanges();
        return 0;
    }
    if (message != RegistryKeyChanged || !keyPath)
        return 0;
    const nString key(keyPath);
    if (key == "ShadowMapping:Enable" || key == "ShadowMapping:Size")
        m_pendingShadowMaps = true;
    else if (key == "ShadowMapping:PSSM:Split")
        m_pendingShadowMaps = m_pendingLibrary = m_pendingMaterials = true;
    else if (key == "ShadowMapping:PCF:Quality")
        m_pendingLibrary = m_pendingMaterials = true;
    else if (key == "Texture:Float:Enable" || key == "Technique" || IsAntialiasingKey(keyPath))
        m_pendingTechnique = true;
    else if (key == "PostProcess:FX:Scale")
        m_pendingFXScale = true;
    return 0;
}

void nGPURenderer::ApplyPendingChanges()
{
    if (m_engine)
    {
        m_engine->BeginProgress();
        m_engine->ShowProgress("Applying configuration changes", 0.0f);
    }
    if (m_pendingShadowMaps)
        CreateShadowMaps();
    if (m_pendingLibrary)
        LoadShaderLibrary();
    if (m_pendingTechnique)
        SetRenderTechnique(TechniqueNone, true);
    if (m_pendingFXScale)
        SetupFXTargets(0);
    if (m_pendingMaterials)
        RecompileMaterials();
    m_pendingShadowMaps = m_pendingLibrary = m_pendingTechnique = m_pendingFXScale = m_pendingMaterials = false;
    if (m_engine)
        m_engine->EndProgress();
}

// The list changes while materials are replaced, so the walk goes over a copy; each material
// keeps its place in its nMaterial until its replacement is made.
void nGPURenderer::RecompileMaterials()
{
    nList<nMaterial*> materials;
    for (auto* node = m_materials.GetHead(); node; node = node->next)
        if (nMaterial* material = node->value->GetMaterial())
            materials.PushBack(material);
    const uint32_t count = materials.GetCount();
    uint32_t index = 0;
    for (auto* node = materials.GetHead(); node; node = node->next)
    {
        node->value->renderData = SetupMaterial(node->value);
        if (m_engine)
            m_engine->ShowProgress("Compiling material changes", float(++index) / float(count));
    }
}
