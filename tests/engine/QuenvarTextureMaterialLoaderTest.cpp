#include "engine/Quenvar.h"

#include "core/NmlFileFixture.h"
#include "core/picture/nPicture.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/nCoreEventData.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class TextureMessages : public nCoreListener
{
public:
    void OnMessage(nCoreMessage message, const nCoreEventData* data) override
    {
        if (data && data->texture)
            messages.push_back(message);
    }

    std::vector<nCoreMessage> messages;
};

class QuenvarTextureMaterialLoaderTest : public testing::Test
{
protected:
    void WriteTexture(const char* name)
    {
        nPicture picture(2, 2, PixelFormatBGRA8);
        picture.Fill(1.0f, 1.0f, 1.0f, 1.0f);
        ASSERT_TRUE(nPicture::SaveTGA(picture, name));
    }

    NmlFileFixture files;
    Quenvar engine;
};
} // namespace

TEST_F(QuenvarTextureMaterialLoaderTest, MaterialsLoadTheirTexturesThroughTheEngine)
{
    WriteTexture("bump.tga");
    files.Write("stone.nml", "<NML=1.0>\n<Material=<Id=\"Stone\"><TextureStage=<Index=0><Active>"
                             "<Channel=\"Normal\"><Texture=\"bump.tga\">>>\n");
    nMaterial* material = engine.LoadMaterial("stone.nml");
    ASSERT_TRUE(material);
    EXPECT_EQ(material->name, "stone.nml"); // the loader names it by its path before reading
    nTextureStage* stage = material->GetChannel(ChannelNormal, true);
    ASSERT_TRUE(stage);
    EXPECT_EQ(stage->texture.Get(), engine.LoadTexture("bump.tga", false, false));
    EXPECT_EQ(stage->texture->GetTextureFlags(), uint32_t(nTexture::TextureNormalMap));
    EXPECT_EQ(engine.LoadMaterial("stone.nml"), material);
    EXPECT_EQ(engine.LoadMaterial("none.nml"), nullptr);
}

namespace
{
const Quenvar* g_loadingEngine = nullptr;
std::vector<const nMaterial*> g_materialsSeenByTextures;

void NoteLoadContext(nTexture*)
{
    g_materialsSeenByTextures.push_back(g_loadingEngine->GetLoadContextStack().GetCurrent().material);
}
} // namespace

// A material's textures load while the material is on the load context stack, and it is off again
// afterwards, as a geometry's are.
TEST_F(QuenvarTextureMaterialLoaderTest, AMaterialIsTheLoadContextOfItsTextures)
{
    WriteTexture("d.tga");
    files.Write("m.nml",
                "<NML=1.0>\n<Material=<Id=\"M\"><TextureStage=<Index=0><Active><Texture=\"d.tga\">>>\n");
    g_loadingEngine = &engine;
    g_materialsSeenByTextures.clear();
    engine.SetTextureLoadedHook(NoteLoadContext);
    nMaterial* material = engine.LoadMaterial("m.nml");
    engine.SetTextureLoadedHook(nullptr);
    ASSERT_TRUE(material);
    EXPECT_EQ(g_materialsSeenByTextures, std::vector<const nMaterial*>{material});
    EXPECT_EQ(engine.GetLoadContextStack().GetDepth(), 0);
}

TEST_F(QuenvarTextureMaterialLoaderTest, ClearingTheCacheDestroysTexturesWithTheirMessages)
{
    WriteTexture("a.tga");
    TextureMessages listener;
    engine.PushBack(&listener);
    ASSERT_TRUE(engine.LoadTexture("a.tga", false, false));
    listener.messages.clear();
    engine.GetResourceCache()->Clear();
    EXPECT_EQ(listener.messages,
              (std::vector<nCoreMessage>{CoreMessageResourceDestroying, CoreMessageResourceDestroyed}));
    engine.Remove(&listener);
}
