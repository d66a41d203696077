#include "MaterialTestSupport.h"

#include "render/shader/nShaderBlock.h"
#include "render/shader/nShaderMap.h"

TEST_F(MaterialFixture, DefaultsAndAWrongRoot)
{
    nMaterial material(&engine);
    EXPECT_EQ(material.name, "Default");
    EXPECT_EQ(material.renderFlags, 6u);
    EXPECT_EQ(material.selfIllumination.a, 1.0f);
    EXPECT_EQ(material.glossiness, 0.4f);
    EXPECT_EQ(material.staticFriction, 0.75f);
    EXPECT_EQ(material.stages[0].uvSource, 1u);
    EXPECT_EQ(material.shaderMap, nullptr);
    EXPECT_STREQ(nMaterial::GetChannelName(8), "Self-Illum (Emissive)");
    EXPECT_STREQ(nMaterial::GetChannelName(11), "Invalid");

    NmlDocument document("<Materials>");
    EXPECT_FALSE(material.ParseTag(document.file, document.Root()));
    EXPECT_EQ(log.text, "[!] Could not parse material. Root tag id is incorrect (Materials).\n");
}

TEST_F(MaterialFixture, RenderMaskGlossinessAndId)
{
    nMaterial lit(&engine);
    ASSERT_TRUE(Read(lit, "<RenderMask=<Lit>>"));
    EXPECT_EQ(lit.renderFlags, 6u);
    EXPECT_EQ(log.text, "");

    nMaterial named(&engine);
    ASSERT_TRUE(Read(named, "<Id=\"Stone\"><Id=\"Other\"><RenderMask=<DoubleSided><Shadeless><Additive>>"
                            "<Glossiness=50.0>"));
    EXPECT_EQ(named.name, "Stone");
    EXPECT_EQ(named.renderFlags, 22u);
    EXPECT_EQ(named.blendOp, uint32_t(MaterialBlendAdditive));
    EXPECT_EQ(named.glossiness, 16.0f);
    EXPECT_EQ(log.text, "[*] Unknown tag 'Shadeless' in material 'Stone'.\n");

    nMaterial matte(&engine);
    ASSERT_TRUE(Read(matte, "<Glossiness=0.0><BlendOp=\"Alpha\"><Shader=\"water\"><Mystery=1>"));
    EXPECT_EQ(matte.glossiness, 0.01f);
    EXPECT_EQ(matte.blendOp, uint32_t(MaterialBlendAlpha));
    EXPECT_EQ(matte.shaderName, "water");
    EXPECT_NE(log.text.find("[*] Unknown tag 'Mystery' in <Material>.\n"), std::string::npos);
}

TEST_F(MaterialFixture, ColoursReadByPositionWithAnOptionalAlpha)
{
    nMaterial material(&engine);
    ASSERT_TRUE(Read(material, "<Diffuse=<R=0.5><G=0.25><B=0.125>><Self=<X=1><Y=1><Z=1><W=0.5>>"));
    EXPECT_EQ(material.diffuse.g, 0.25f);
    EXPECT_EQ(material.diffuse.a, 1.0f);
    EXPECT_EQ(material.selfIllumination.a, 0.5f);
}

TEST_F(MaterialFixture, TorsionReadsARealAsItsValue)
{
    nMaterial real(&engine);
    ASSERT_TRUE(Read(real, "<PhysicMaterial=<Torsion=0.25><Mass=3.0>>"));
    EXPECT_EQ(real.torsion, 0.25f);
    EXPECT_EQ(real.mass, 3.0f);
    nMaterial flag(&engine);
    ASSERT_TRUE(Read(flag, "<PhysicMaterial=<Torsion=False>>"));
    EXPECT_EQ(flag.torsion, 0.0f);
}

TEST_F(MaterialFixture, BadStageIndicesAreSkipped)
{
    WriteTexture("a.tga");
    nMaterial material(&engine);
    ASSERT_TRUE(Read(material, Stage(0, "Specular", "a.tga") + Stage(6, "", "a.tga") +
                                   Stage(-1, "", "a.tga") +
                                   "<TextureStage=<Index=\"0\"><Channel=\"Normal\">>"
                                   "<Name=<TextureStage=<Index=1>>>"));
    EXPECT_EQ(material.stages[0].channel, uint32_t(ChannelSpecular));
    EXPECT_TRUE(material.IsChannelActive(ChannelSpecular));
    EXPECT_EQ(material.stageCount, 1u);
    EXPECT_EQ(log.text, "[*] Illegal texture stage index 6 in material 'Default'.\n"
                        "[*] Illegal texture stage index -1 in material 'Default'.\n"
                        "[*] Illegal index tag type in material 'Default'.\n"
                        "[*] Unknown tag 'Name' in <Material>.\n");
}

TEST_F(MaterialFixture, StagesChannelsAndTheNormalMapFlag)
{
    WriteTexture("a.tga");
    WriteTexture("n.tga");
    nMaterial material(&engine);
    ASSERT_TRUE(Read(material, Stage(0, "Detail", "a.tga", "<UV=1><NoWrapU><Operator=\"Add\">") +
                                   Stage(2, "Decal", "a.tga") + Stage(3, "Normal", "n.tga") +
                                   Stage(4, "", "a.tga", "<UVSource=\"FrontMap\">") +
                                   Stage(5, "Sky", "a.tga", "<UVSource=\"Cube\">")));
    EXPECT_EQ(material.GetChannel(ChannelDecal, true), &material.stages[0]);
    EXPECT_EQ(material.stages[0].uvSet, 1);
    EXPECT_EQ(material.stages[0].wrapU, 0);
    EXPECT_EQ(material.stages[0].wrapV, 1);
    EXPECT_EQ(material.stages[0].op, uint32_t(nTextureStage::OperatorAdd));
    EXPECT_EQ(material.stages[4].channel, uint32_t(ChannelDiffuse));
    EXPECT_EQ(material.stages[4].uvSource, uint32_t(nTextureStage::UVSourceFrontMap));
    EXPECT_EQ(material.stages[5].channel, uint32_t(ChannelNone));
    EXPECT_EQ(material.GetChannel(ChannelNone, false), &material.stages[1]);
    EXPECT_EQ(engine.textures["n.tga"]->GetTextureFlags(), uint32_t(nTexture::TextureNormalMap));
    EXPECT_EQ(engine.textures["a.tga"]->GetTextureFlags(), 0u);
    EXPECT_EQ(log.text, "[*] Unknown channel for texture stage 5 of material 'Default'.\n"
                        "[*] Unknown UV source for texture stage 5 of material 'Default'.\n");
    ASSERT_TRUE(material.shaderMap);
    EXPECT_TRUE(material.shaderMap->roots[nShaderMap::RootNormal]);
}

TEST_F(MaterialFixture, UpdateDeactivatesStagesItCannotDraw)
{
    WriteTexture("a.tga");
    nMaterial material(&engine);
    ASSERT_TRUE(Read(material, Stage(0, "", "a.tga", "<UV=3>") + Stage(1, "Specular", "missing.tga") +
                                   Stage(2, "Glossiness", nullptr, "<UVSource=\"LSNormal\">")));
    EXPECT_FALSE(material.stages[0].active);
    EXPECT_FALSE(material.IsChannelActive(ChannelSpecular));
    EXPECT_TRUE(material.IsChannelActive(ChannelGlossiness));
    EXPECT_EQ(material.GetChannel(ChannelGlossiness, true), nullptr);
    EXPECT_EQ(log.text, "[*] Invalid UVmap index in material 'Default', 'Diffuse' stage deactivated.\n"
                        "[*] No stage texture in material 'Default', 'Specular' stage deactivated.\n");
}

TEST_F(MaterialFixture, AddStageReusesAUsableStageAndTakesTheFirstFreeOne)
{
    WriteTexture("a.tga");
    nMaterial material(&engine);
    ASSERT_TRUE(Read(material, Stage(1, "Specular", "a.tga") + Stage(3, "Specular", "a.tga")));
    EXPECT_EQ(material.GetChannel(ChannelSpecular, false), &material.stages[1]);
    EXPECT_EQ(material.AddStage(ChannelSpecular, nullptr, 1, 0), &material.stages[1]);
    nTexture* texture = engine.LoadTexture("a.tga", false, false);
    EXPECT_EQ(material.AddStage(ChannelReflection, texture, 4, 2), &material.stages[0]);
    EXPECT_EQ(material.stages[0].uvSet, 2);
    EXPECT_EQ(material.stages[0].texture.Get(), texture);
    EXPECT_EQ(material.GetChannel(ChannelReflection, false), nullptr); // until Update
    material.Update();
    EXPECT_EQ(material.GetChannel(ChannelReflection, true), &material.stages[0]);
    for (uint32_t channel : {ChannelGlossiness, ChannelNormal, ChannelOpacity})
        ASSERT_TRUE(material.AddStage(channel, texture, 1, 0));
    log.text.clear();
    EXPECT_EQ(material.AddStage(ChannelDecal, texture, 1, 0), nullptr);
    EXPECT_EQ(log.text, "[*] No texture stage left to create a new stage.\n");
}

TEST_F(MaterialFixture, ADiffuseTextureWithAlphaGetsAnOpacityStage)
{
    WriteTexture("alpha.tga", true);
    WriteTexture("a.tga");
    const char* channels[] = {"Specular", "Glossiness", "Reflection", "SelfIllum", "Light"};
    std::string diffuseAndFour = Stage(0, "Diffuse", "alpha.tga", "<UV=2>");
    for (int i = 0; i < 4; ++i)
        diffuseAndFour += Stage(i + 1, channels[i], "a.tga");

    nMaterial five(&engine);
    ASSERT_TRUE(Read(five, diffuseAndFour));
    EXPECT_EQ(five.GetChannel(ChannelOpacity, true), &five.stages[5]);
    EXPECT_EQ(five.stages[5].texture.Get(), five.stages[0].texture.Get());
    EXPECT_EQ(five.stages[5].uvSet, 2);
    EXPECT_EQ(five.stages[5].uvSource, uint32_t(nTextureStage::UVSourceUVMap));
    // The shader map was built before the stage was added, and stays so.
    ASSERT_TRUE(five.shaderMap);
    EXPECT_EQ(five.shaderMap->roots[nShaderMap::RootOpacity]->GetKind(), ShaderBlockMaterialParam);
    EXPECT_EQ(log.text, "");

    nMaterial six(&engine);
    ASSERT_TRUE(Read(six, diffuseAndFour + Stage(5, channels[4], "a.tga")));
    EXPECT_EQ(six.GetChannel(ChannelOpacity, false), nullptr);
    EXPECT_EQ(log.text,
              "[*] No texture stage left to create a new stage.\n"
              "[*] Diffuse channel texture has embedded alpha but there is no texture stage left to "
              "enable opacity in material 'Default'.\n");

    log.text.clear();
    nMaterial opaque(&engine);
    ASSERT_TRUE(Read(opaque, Stage(0, "Diffuse", "a.tga")));
    EXPECT_EQ(opaque.GetChannel(ChannelOpacity, false), nullptr);
}
