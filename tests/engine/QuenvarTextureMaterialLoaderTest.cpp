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
