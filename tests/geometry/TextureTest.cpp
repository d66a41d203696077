#include "geometry/nTexture.h"

#include "core/base/nMemory.h"
#include "render/nRenderTexture.h"
#include "support/TextureLoadingEngine.h"

#include <gtest/gtest.h>

namespace
{
// Render data that notes its own destruction among the engine's messages.
class NotingRenderTexture : public nRenderTexture
{
public:
    explicit NotingRenderTexture(TextureLoadingEngine& engine) : nRenderTexture(nullptr), m_engine(engine) {}
    ~NotingRenderTexture() override { m_engine.messages.push_back({nCoreMessage(0), nCoreEventData()}); }

private:
    TextureLoadingEngine& m_engine;
};
} // namespace

TEST(TextureTest, DestructionTellsTheOwnerBeforeAndAfterTheRenderDataGoes)
{
    for (bool withRenderData : {false, true})
    {
        TextureLoadingEngine engine;
        nTexture* texture = new nTexture(&engine, 1, 0);
        if (withRenderData)
            texture->SetRenderData(new NotingRenderTexture(engine));
        nSharedPtr<nTexture> holder(texture);
        holder = nullptr;
        ASSERT_EQ(engine.messages.size(), withRenderData ? 3u : 2u);
        EXPECT_EQ(engine.messages.front().message, CoreMessageResourceDestroying);
        EXPECT_EQ(engine.messages.front().data.texture, texture);
        if (withRenderData)
        {
            EXPECT_EQ(engine.messages[1].message, nCoreMessage(0));
        }
        EXPECT_EQ(engine.messages.back().message, CoreMessageResourceDestroyed);
        EXPECT_EQ(engine.messages.back().data.texture, texture);
    }
}

TEST(TextureTest, FlagsAndAccountingAsATexture)
{
    const nMemCounters before = MemGetCounters(MemCategoryTexture);
    {
        nSharedPtr<nTexture> texture(new nTexture(nullptr, 1, 3));
        EXPECT_EQ(texture->GetTextureFlags(), 0u);
        EXPECT_EQ(texture->GetGPUPixelFormat(), 3u);
        EXPECT_EQ(texture->GetCreationWord(), 1u);
        texture->SetGPURenderTarget(true);
        texture->SetNormalMap();
        EXPECT_EQ(texture->GetTextureFlags(),
                  uint32_t(nTexture::TextureGPURenderTarget | nTexture::TextureNormalMap));
        texture->SetGPURenderTarget(false);
        EXPECT_EQ(texture->GetTextureFlags(), uint32_t(nTexture::TextureNormalMap));
        ASSERT_TRUE(texture->Allocate(16, 16, PixelFormatBGRA8));
        EXPECT_GE(MemGetCounters(MemCategoryTexture).liveBytes, before.liveBytes + 16 * 16 * 4);
    }
    EXPECT_EQ(MemGetCounters(MemCategoryTexture).liveBytes, before.liveBytes);
    EXPECT_EQ(MemGetCounters(MemCategoryTexture).liveCount, before.liveCount);
}
