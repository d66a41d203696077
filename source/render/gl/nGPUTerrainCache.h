#pragma once

#include "core/base/nAutoArray.h"
#include "render/nTerrainPatch.h"

#include <cstdint>
#include <memory>

class nEGLDisplayList;
class nGPURenderer;

// Terrain patches are drawn from a fixed set of pages instead of GPU data of their own: each page
// is a display list of one PageSize x PageSize vertex grid, whose vertices are rewritten when a
// patch that no page holds must be drawn. A page's use counter rises with every draw and falls
// once per primitive-list pass, so the page given up for a new patch is one that has not been
// drawn lately.
class nGPUTerrainCache
{
public:
    static constexpr uint32_t PageCount = 32;
    static constexpr uint32_t PageVertexCount = nTerrainPatch::PageSize * nTerrainPatch::PageSize;
    static constexpr uint32_t PageBytes = PageVertexCount * sizeof(nTerrainPageVertex);
    static constexpr uint32_t PageIndexCount = (nTerrainPatch::PageSize - 1) * (nTerrainPatch::PageSize - 1) * 6;

    nGPUTerrainCache();
    nGPUTerrainCache(const nGPUTerrainCache&) = delete;
    nGPUTerrainCache& operator=(const nGPUTerrainCache&) = delete;
    ~nGPUTerrainCache();

    // Makes the pages through the renderer's display-list factory, each holding the flat grid.
    // False after an error line when the page arrays cannot be had; a page whose buffers cannot be
    // made stays without geometry and is never chosen.
    bool Setup(nGPURenderer& renderer);
    void Free();

    // Once at the start of every primitive-list pass.
    void Age();
    // The display list of the page that holds the patch, filled with the patch first when no page
    // held it; its user word is the patch's material (an nMaterial*). Null when there is no page
    // to draw from. Counts one query, and one miss when the page had to be filled.
    nEGLDisplayList* Acquire(const nTerrainPatch& patch);

    uint32_t GetPageCount() const { return m_pages.GetCount(); }
    uint32_t GetQueryCount() const { return m_queries; }
    uint32_t GetMissCount() const { return m_misses; }
    void ResetStatistics();

private:
    struct Page
    {
        nTerrainPatchKey key;
        bool filled = false; // a page that never held a patch matches no key
        uint32_t useCounter = 0;
        std::unique_ptr<nEGLDisplayList> displayList;
    };

    Page* FindPage(const nTerrainPatchKey& key);
    Page* ChooseVictim();
    bool Fill(Page& page, const nTerrainPatch& patch);

    nAutoArray<Page> m_pages;
    nAutoArray<nTerrainPageVertex> m_vertices; // one page's worth, reused by every fill
    uint32_t m_queries = 0;
    uint32_t m_misses = 0;
};
