#include "render/gl/nGPUTerrainCache.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLVBO.h"
#include "render/gl/nGPUGeometryStreams.h"
#include "render/gl/nGPURenderer.h"

#include <algorithm>
#include <new>

namespace
{
constexpr uint32_t CellsPerSide = nTerrainPatch::PageSize - 1;

// The index pattern every page shares: two triangles per cell of the grid.
void FillIndices(uint32_t* indices)
{
    constexpr uint32_t Row = nTerrainPatch::PageSize;
    for (uint32_t row = 0; row < CellsPerSide; ++row)
    {
        for (uint32_t column = 0; column < CellsPerSide; ++column)
        {
            const uint32_t i = row * Row + column;
            const uint32_t cell[6] = {i, i + 1, i + Row + 1, i, i + Row + 1, i + Row};
            std::copy(cell, cell + 6, indices);
            indices += 6;
        }
    }
}
} // namespace

nGPUTerrainCache::nGPUTerrainCache() : m_pages(MemCategoryTerrain), m_vertices(MemCategoryTerrain) {}

nGPUTerrainCache::~nGPUTerrainCache() = default;

bool nGPUTerrainCache::Setup(nGPURenderer& renderer)
{
    Free();
    nAutoArray<uint32_t> indices(MemCategoryTerrain);
    nAutoArray<float> positions(MemCategoryTerrain);
    if (!m_pages.Resize(PageCount) || !m_vertices.Resize(PageVertexCount) || !indices.Resize(PageIndexCount) ||
        !positions.Resize(PageVertexCount * 3))
    {
        Free();
        nLogHolder::Get() << "[!] Failed to allocate terrain cache.\n";
        return false;
    }
    nLogHolder::Get() << "[H] Setup terrain cache: " << PageCount << " pages (" << PageCount * PageBytes
                      << " bytes).\n";

    // The flat grid pages start from: x along columns, z back along rows, facing up.
    for (uint32_t row = 0; row < nTerrainPatch::PageSize; ++row)
    {
        for (uint32_t column = 0; column < nTerrainPatch::PageSize; ++column)
        {
            float* at = positions.At((row * nTerrainPatch::PageSize + column) * 3);
            at[0] = float(column);
            at[1] = 0.0f;
            at[2] = -float(row);
        }
    }
    FillIndices(indices.GetData());
    static constexpr float Up[3] = {0.0f, 1.0f, 0.0f};
    static constexpr float NoUV[2] = {0.0f, 0.0f};
    nGPUGeometryStreams grid;
    grid.vertexCount = PageVertexCount;
    grid.positions = positions.GetData();
    grid.normals = Up;
    grid.normalStride = 0;
    grid.uvs[0] = NoUV;
    grid.uvStrides[0] = 0;
    grid.indexCount = PageIndexCount;
    grid.indices = indices.GetData();

    for (uint32_t i = 0; i < PageCount; ++i)
    {
        std::unique_ptr<nEGLDisplayList> list(renderer.NewDisplayList());
        if (list && list->Build(grid, 0) && list->GetLayout().stride == sizeof(nTerrainPageVertex))
            m_pages.At(i)->displayList = std::move(list);
    }
    return true;
}

void nGPUTerrainCache::Free()
{
    m_pages.Free();
    m_vertices.Free();
    ResetStatistics();
}

void nGPUTerrainCache::Age()
{
    for (uint32_t i = 0; i < m_pages.GetCount(); ++i)
    {
        uint32_t& counter = m_pages.At(i)->useCounter;
        if (counter > 0)
            --counter;
    }
}

nGPUTerrainCache::Page* nGPUTerrainCache::FindPage(const nTerrainPatchKey& key)
{
    for (uint32_t i = 0; i < m_pages.GetCount(); ++i)
    {
        Page& page = *m_pages.At(i);
        if (page.filled && page.key == key)
            return &page;
    }
    return nullptr;
}

// The page least used lately; among equals the last one, so fresh pages go from the back.
nGPUTerrainCache::Page* nGPUTerrainCache::ChooseVictim()
{
    Page* victim = nullptr;
    for (uint32_t i = 0; i < m_pages.GetCount(); ++i)
    {
        Page& page = *m_pages.At(i);
        if (page.displayList && (!victim || page.useCounter <= victim->useCounter))
            victim = &page;
    }
    return victim;
}

bool nGPUTerrainCache::Fill(Page& page, const nTerrainPatch& patch)
{
    patch.FillPatchPage(m_vertices.GetData());
    nEGLVBO* buffer = page.displayList->GetVertexBuffer();
    if (!buffer->Bind())
        return false;
    const bool uploaded = buffer->Upload(m_vertices.GetData(), 0, PageBytes);
    buffer->Unbind();
    return uploaded;
}

nEGLDisplayList* nGPUTerrainCache::Acquire(const nTerrainPatch& patch)
{
    ++m_queries;
    const nTerrainPatchKey key = patch.GetPatchKey();
    Page* page = FindPage(key);
    if (page && page->displayList)
        ++page->useCounter;
    else
    {
        ++m_misses;
        page = ChooseVictim();
        if (!page)
            return nullptr;
        page->key = key;
        page->useCounter = 1;
        page->filled = Fill(*page, patch);
        if (!page->filled)
            return nullptr;
    }
    page->displayList->SetUserWord(reinterpret_cast<uintptr_t>(patch.GetPatchMaterial()));
    return page->displayList.get();
}

void nGPUTerrainCache::ResetStatistics()
{
    m_queries = 0;
    m_misses = 0;
}
