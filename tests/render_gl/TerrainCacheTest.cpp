#include "GLFixture.h"

#include "core/math/nMatrix4.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLVBO.h"
#include "render/gl/nGPUTerrainCache.h"

#include <SDL2/SDL.h>

#include <vector>

namespace
{
// A patch of one height everywhere, named by its node.
class FlatPatch : public nTerrainPatch
{
public:
    FlatPatch(uintptr_t node, float height, nMaterial* material = nullptr)
        : m_node(node), m_height(height), m_material(material)
    {
    }
    nTerrainPatchKey GetPatchKey() const override
    {
        return {this, reinterpret_cast<const void*>(m_node), 1};
    }
    void FillPatchPage(nTerrainPageVertex* vertices) const override
    {
        for (uint32_t j = 0; j < PageSize; ++j)
            for (uint32_t i = 0; i < PageSize; ++i)
                vertices[j * PageSize + i] = {float(i), m_height, -float(j), {0, 127, 0, 0}, 0.5f, 0.25f};
    }
    void GetPatchPlacement(nMatrix4& placement) const override { placement = nMatrix4(); }
    nMaterial* GetPatchMaterial() const override { return m_material; }

private:
    uintptr_t m_node;
    float m_height;
    nMaterial* m_material;
};

class TerrainCacheTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        ASSERT_TRUE(cache.Setup(renderer));
        for (uintptr_t node = 0; node < 40; ++node)
            patches.emplace_back(node, float(node));
    }
    void TearDown() override
    {
        cache.Free();
        GLFixture::TearDown();
    }

    // Fills every page with patches 0 to 31; patch k lands in page 31 - k, the fresh pages
    // being taken from the back.
    std::vector<nEGLDisplayList*> FillEveryPage()
    {
        std::vector<nEGLDisplayList*> lists;
        for (uint32_t k = 0; k < nGPUTerrainCache::PageCount; ++k)
            lists.push_back(cache.Acquire(patches[k]));
        return lists;
    }

    static std::vector<nTerrainPageVertex> ReadPage(nEGLDisplayList& list)
    {
        auto getBufferSubData =
            reinterpret_cast<PFNGLGETBUFFERSUBDATAPROC>(SDL_GL_GetProcAddress("glGetBufferSubData"));
        std::vector<nTerrainPageVertex> vertices(nGPUTerrainCache::PageVertexCount);
        list.GetVertexBuffer()->Bind();
        getBufferSubData(GL_ARRAY_BUFFER, 0, nGPUTerrainCache::PageBytes, vertices.data());
        list.GetVertexBuffer()->Unbind();
        return vertices;
    }

    nGPUTerrainCache cache;
    std::vector<FlatPatch> patches;
};
} // namespace

TEST_F(TerrainCacheTest, SetUpPagesAreFlatGridsOfTwentyFourByteVertices)
{
    EXPECT_EQ(log, "[H] Setup terrain cache: 32 pages (3244800 bytes).\n");
    EXPECT_EQ(cache.GetPageCount(), 32u);
    nEGLDisplayList* list = cache.Acquire(patches[3]);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetIndexCount(), 24576u);
    const nGPUVertexLayout& layout = list->GetLayout();
    EXPECT_EQ(layout.stride, 24u);
    EXPECT_EQ(layout.offsets[nGPUVertexLayout::Position], 0);
    EXPECT_EQ(layout.offsets[nGPUVertexLayout::Normal], 12);
    EXPECT_EQ(layout.offsets[nGPUVertexLayout::UV0], 16);
    EXPECT_EQ(list->GetMaximum().x, 64.0f);
    EXPECT_EQ(list->GetMinimum().z, -64.0f);
}

TEST_F(TerrainCacheTest, OnePatchDrawnTwiceIsTwoQueriesAndOneMissWithItsHeightsUploaded)
{
    nMaterial* material = reinterpret_cast<nMaterial*>(uintptr_t{0x40});
    const FlatPatch patch(7, 2.5f, material);
    cache.Age();
    nEGLDisplayList* first = cache.Acquire(patch);
    nEGLDisplayList* second = cache.Acquire(patch);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(cache.GetQueryCount(), 2u);
    EXPECT_EQ(cache.GetMissCount(), 1u);
    EXPECT_EQ(first->GetUserWord(), uintptr_t{0x40});

    const std::vector<nTerrainPageVertex> page = ReadPage(*first);
    const nTerrainPageVertex& vertex = page[2 * 65 + 5];
    EXPECT_EQ(vertex.x, 5.0f);
    EXPECT_EQ(vertex.y, 2.5f);
    EXPECT_EQ(vertex.z, -2.0f);
    EXPECT_EQ(vertex.normal[1], 127);
    EXPECT_EQ(vertex.u, 0.5f);
    cache.ResetStatistics();
    EXPECT_EQ(cache.GetQueryCount(), 0u);
}

TEST_F(TerrainCacheTest, WithEveryPageBusyTheLastPageOfTheLowestCounterIsReplaced)
{
    const std::vector<nEGLDisplayList*> lists = FillEveryPage();
    ASSERT_EQ(cache.GetMissCount(), 32u);
    for (uint32_t k = 0; k < 30; ++k)
        EXPECT_EQ(cache.Acquire(patches[k]), lists[k]);
    EXPECT_EQ(cache.GetMissCount(), 32u);
    // Patches 30 and 31 were drawn once, in pages 1 and 0: page 1 goes.
    EXPECT_EQ(cache.Acquire(patches[32]), lists[30]);
    EXPECT_EQ(cache.Acquire(patches[31]), lists[31]);
    EXPECT_EQ(cache.GetMissCount(), 33u);
    EXPECT_EQ(ReadPage(*lists[30])[100].y, 32.0f);
    cache.Acquire(patches[30]);
    EXPECT_EQ(cache.GetMissCount(), 34u);
}

TEST_F(TerrainCacheTest, AgeingBringsCountersToZeroAndNoFurther)
{
    const std::vector<nEGLDisplayList*> lists = FillEveryPage();
    for (int i = 0; i < 3; ++i)
        cache.Acquire(patches[0]);
    // Patch 0's page (the last one) now counts 4, the others 1; ageing past zero must not wrap.
    for (int i = 0; i < 6; ++i)
        cache.Age();
    EXPECT_EQ(cache.Acquire(patches[32]), lists[0]);
}

TEST_F(TerrainCacheTest, WithoutPagesNothingIsDrawn)
{
    cache.Free();
    EXPECT_EQ(cache.Acquire(patches[0]), nullptr);
    EXPECT_EQ(cache.GetQueryCount(), 1u);
    EXPECT_EQ(cache.GetMissCount(), 1u);
}

// Pages rebuild their buffers in place; the VBO counters must follow each buffer exactly.
TEST_F(TerrainCacheTest, BuffersAreCountedOnceWhateverTheirLife)
{
    const nMemCounters before = MemGetCounters(MemCategoryVBO);
    {
        nEGLVBO neverCreated;
        nEGLVBO recreated;
        ASSERT_TRUE(recreated.Create(64, 1, 0));
        ASSERT_TRUE(recreated.Create(32, 1, 0));
        const nMemCounters live = MemGetCounters(MemCategoryVBO);
        EXPECT_EQ(live.liveCount, before.liveCount + 1);
        EXPECT_EQ(live.liveBytes, before.liveBytes + 32);
        recreated.Free();
    }
    const nMemCounters after = MemGetCounters(MemCategoryVBO);
    EXPECT_EQ(after.liveCount, before.liveCount);
    EXPECT_EQ(after.liveBytes, before.liveBytes);
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
}
