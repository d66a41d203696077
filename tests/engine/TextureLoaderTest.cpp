#include "engine/LoadRecorder.h"
#include "engine/PictureFile.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/nRenderTexture.h"
#include "support/CapturedLog.h"
#include "support/RecordingRenderer.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class TextureLoader : public ::testing::Test
{
protected:
    TextureLoader()
    {
        m_files.Write("t.tga", TgaFile(4, 2));
        m_engine.SetRenderer(&m_renderer);
        m_log.text.clear();
    }
    ~TextureLoader() override { m_engine.SetRenderer(nullptr); }

    TemporaryFiles m_files;
    CapturedLog m_log;
    Quenvar m_engine;
    RecordingRenderer m_renderer{&m_engine};
};
} // namespace

TEST_F(TextureLoader, LoadsOnceAndSetsTheTextureUp)
{
    LoadRecorder recorder(m_engine);
    m_renderer.nextTextureData = new nRenderTexture(&m_renderer);
    nTexture* texture = m_engine.LoadTexture("t.tga", false, false);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetName(), "t.tga");
    EXPECT_EQ(texture->GetWidth(), 4u);
    EXPECT_EQ(texture->GetRenderData(), m_renderer.nextTextureData);
    EXPECT_EQ(m_renderer.loadedTexturePaths, (std::vector<std::string>{"t.tga"}));
    EXPECT_EQ(m_renderer.setUpTextures, (std::vector<nTexture*>{texture}));
    ASSERT_EQ(recorder.payloads.size(), 2u);
    EXPECT_EQ(recorder.payloads[1].texture, texture);

    EXPECT_EQ(m_engine.LoadTexture("t.tga", false, false), texture);
    EXPECT_EQ(m_renderer.setUpTextures.size(), 1u);
    EXPECT_EQ(m_engine.GetResourceCache()->GetTextureList(false).GetCount(), 1u);
    EXPECT_EQ(m_engine.GetResourceCache()->GetTextureList(true).GetCount(), 0u);
}

TEST_F(TextureLoader, SideFileMarksRenderTargets)
{
    const struct
    {
        const char* document;
        uint32_t flags;
    } cases[] = {
        {"<GPURenderTarget=True>", nTexture::TextureGPURenderTarget},
        {"<CPURenderTarget=True>\n<GPURenderTarget=False>", nTexture::TextureCPURenderTarget},
        {"<Other=True>", 0},
    };
    for (const auto& side : cases)
    {
        m_files.Write("t.tga.nmd", std::string("<NML=1.0>\n") + side.document + "\n");
        nTexture* texture = m_engine.LoadTexture("t.tga", false, true);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetTextureFlags(), side.flags) << side.document;
        delete texture;
    }
}

TEST_F(TextureLoader, CpuOnlyTexturesGoToTheirOwnListUnsetUp)
{
    nTexture* texture = m_engine.LoadTexture("t.tga", true, false);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(m_engine.GetResourceCache()->GetTextureList(true).Find("t.tga"), texture);
    EXPECT_EQ(m_engine.GetResourceCache()->GetTextureList(false).GetCount(), 0u);
    EXPECT_TRUE(m_renderer.setUpTextures.empty());
}

TEST_F(TextureLoader, NothingReachesTheRendererWithTheSwitchOff)
{
    m_engine.SetSetupOnLoad(false);
    ASSERT_NE(m_engine.LoadTexture("t.tga", false, false), nullptr);
    EXPECT_TRUE(m_renderer.setUpTextures.empty());
}

TEST_F(TextureLoader, MissingTextureGoesToTheHookAndHookSeesLoads)
{
    static std::vector<std::string> missing;
    static std::vector<nTexture*> loaded;
    missing.clear();
    loaded.clear();
    m_engine.SetTextureNotFoundHook([](nString& name) { missing.emplace_back(name.GetText()); });
    m_engine.SetTextureLoadedHook([](nTexture* texture) { loaded.push_back(texture); });
    EXPECT_EQ(m_engine.LoadTexture("absent.tga", false, false), nullptr);
    nTexture* texture = m_engine.LoadTexture("t.tga", false, false);
    EXPECT_EQ(missing, (std::vector<std::string>{"absent.tga"}));
    EXPECT_EQ(loaded, (std::vector<nTexture*>{texture}));
}

TEST_F(TextureLoader, ContentNeedsATextureAndAPath)
{
    EXPECT_FALSE(m_engine.SetTextureContent(nullptr, "t.tga"));
    EXPECT_EQ(m_log.text, "[!] No texture or path to set texture content.\n");
    const nSharedPtr<nTexture> texture(new nTexture(&m_engine, 0, 0));
    EXPECT_FALSE(m_engine.SetTextureContent(texture.Get(), nullptr));
    EXPECT_TRUE(m_engine.SetTextureContent(texture.Get(), "t.tga"));
    EXPECT_EQ(texture->GetHeight(), 2u);
}

TEST_F(TextureLoader, MaterialHookSeesEveryLoadAndTheListKeepsOneEntry)
{
    static std::vector<nMaterial*> loaded;
    loaded.clear();
    m_engine.SetMaterialLoadedHook([](nMaterial* material) { loaded.push_back(material); });
    m_files.Write("m.nmt", "<NML=1.0>\n<Material=<Glossiness=0.5>>\n");
    nMaterial* material = m_engine.LoadMaterial("m.nmt");
    ASSERT_NE(material, nullptr) << m_log.text;
    m_engine.LoadMaterial("m.nmt");
    m_engine.LoadMaterial("absent.nmt");
    EXPECT_EQ(m_engine.GetResourceCache()->GetMaterialList().GetCount(), 1u);
    EXPECT_EQ(loaded, (std::vector<nMaterial*>{material, material}));
}
