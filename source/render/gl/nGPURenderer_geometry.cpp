#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLGeometry.h"
#include "render/gl/nGPUTerrainCache.h"
#include "render/gl/nTrilist.h"

#include <new>

nRenderGeometry* nGPURenderer::SetupGeometry(nGeometry* geometry)
{
    nEGLGeometry* data = geometry ? NewGeometry() : nullptr;
    if (!data)
    {
        nLogHolder::Get() << "[!] Failed to allocate GPU data.\n";
        return nullptr;
    }
    nLogHolder::Get() << "[H] Setup geometry '" << geometry->GetNameText() << "'.\n";
    geometry->Setup();
    std::unique_ptr<nTrilistArray> lists = BuildTriangleLists(geometry, nTrilist::VertexLimit);
    if (!lists)
    {
        data->AddRef();
        data->Release();
        return nullptr;
    }
    std::vector<std::unique_ptr<nEGLDisplayList>>& displayLists = data->GetDisplayLists();
    std::vector<nSharedPtr<nMaterial>>& materials = data->GetMaterials();
    displayLists.reserve(lists->GetCount());
    for (auto* node = lists->GetHead(); node; node = node->next)
    {
        nMaterial* material = geometry->GetMaterial(node->value->material);
        std::unique_ptr<nEGLDisplayList> displayList(NewDisplayList());
        if (!displayList || !displayList->Build(node->value->GetStreams(), reinterpret_cast<uintptr_t>(material)))
            continue;
        displayLists.push_back(std::move(displayList));
        if (material)
            materials.emplace_back(material);
    }
    const bool skinned = geometry->GetBoneCount() != 0;
    for (uint32_t index = 0; index < geometry->materials.GetCount(); ++index)
    {
        nMaterial* material = geometry->GetMaterial(index);
        if (!material || material->renderData)
            continue;
        if (skinned)
            material->renderFlags |= MaterialSkinned;
        material->renderData = SetupMaterial(material);
    }
    // A skinned geometry keeps its vertices and weights: objects bound its skinned pose from them,
    // and without them every skinned object would be culled as a point.
    if (GetCleanResourceOnSetup() && !skinned)
        geometry->ReleaseData();
    return data;
}

bool nGPURenderer::SetupTerrainCache()
{
    m_terrainCache.reset(new (std::nothrow) nGPUTerrainCache());
    return m_terrainCache && m_terrainCache->Setup(*this);
}

void nGPURenderer::FreeTerrainCache()
{
    if (m_terrainCache)
        m_terrainCache->Free();
    m_terrainCache.reset();
}
