#include "MaterialTestSupport.h"

#include "render/shader/nShaderBlock.h"
#include "render/shader/nShaderMap.h"

TEST_F(MaterialFixture, TheWriterLeavesDefaultsOutAndWritesFlagsInItsOrder)
{
    nMaterial material(&engine);
    material.name = "Lamp";
    material.selfIllumination = nColor(1.0f, 0.5f, 0.0f, 1.0f);
    material.specular = nColor(1.0f, 1.0f, 1.0f, 0.5f);
    material.glossiness = 2.0f;
    material.mass = 4.0f;
    material.renderFlags =
        MaterialUnlit | MaterialAlphaTest | MaterialAlphaInShadow | MaterialAlphaSoftZ | MaterialNoZTest;
    material.blendOp = MaterialBlendAdditive;
    EXPECT_EQ(Write(material), R"(<Material=
	<Id="Lamp">
	<Specular=
		<X=1.000000>
		<Y=1.000000>
		<Z=1.000000>
		<W=0.500000>
	>
	<Self=
		<X=1.000000>
		<Y=0.500000>
		<Z=0.000000>
		<W=1.000000>
	>
	<Glossiness=2.000000>
	<PhysicMaterial=
		<StaticFriction=0.750000>
		<DynamicFriction=0.500000>
		<Restitution=0.100000>
		<Mass=4.000000>
	>
	<RenderMask=
		<Unlit>
		<Smoothing=False>
		<NormalMapTangent=False>
		<NoZTest>
		<AlphaSoftZ>
		<AlphaInShadow>
		<AlphaTest>
	>
	<BlendOp="Add">
>
)");
}

TEST_F(MaterialFixture, ReadWriteReadKeepsWhatTheWriterWrites)
{
    WriteTexture("d.tga");
    WriteTexture("n.tga");
    const std::string body =
        "<Id=\"Rock\"><Diffuse=<X=0.5><Y=0.5><Z=0.5><W=0.25>><Ambient=<X=0.1><Y=0.2><Z=0.3>><Opacity=0.5>"
        "<Reflection=0.25><IOR=1.5><AlphaThreshold=0.3><MaxSmoothingAngle=0.7><Shader=\"rock\">"
        "<PhysicMaterial=<Damping=0.5><Stiffness=2.0><Torsion=0.5>><RenderMask=<Toon><Wireframe>>"
        "<BlendOp=\"Alpha\">" +
        Stage(0, "", "d.tga", "<UV=1><NoWrapV><Operator=\"Multiply\">") +
        Stage(2, "Normal", "n.tga", "<UVSource=\"SphericalEnvironment\">") + Stage(3, "Mystery", "d.tga") +
        "<TextureStage=<Index=4><Channel=\"Specular\"><UVSource=\"LSNormal\">>";
    nMaterial first(&engine);
    ASSERT_TRUE(Read(first, body));
    const std::string written = Write(first);
    nMaterial second(&engine);
    NmlDocument document(written);
    ASSERT_TRUE(second.ParseTag(document.file, document.Root()));
    EXPECT_EQ(Write(second), written);

    EXPECT_EQ(second.name, "Rock");
    EXPECT_EQ(second.diffuse.a, 0.25f);
    EXPECT_EQ(second.ambient.b, 0.3f);
    EXPECT_EQ(second.torsion, 0.5f);
    EXPECT_EQ(second.renderFlags, uint32_t(6 | MaterialToon | MaterialWireframe));
    EXPECT_EQ(second.blendOp, uint32_t(MaterialBlendAlpha));
    EXPECT_EQ(second.stages[0].op, uint32_t(nTextureStage::OperatorMultiply));
    EXPECT_EQ(second.stages[0].wrapV, 0);
    EXPECT_EQ(second.stages[2].uvSource, uint32_t(nTextureStage::UVSourceSphericalEnvironment));
    // A stage on no channel stays on none, and a stage without a texture keeps its channel.
    EXPECT_EQ(second.stages[3].channel, uint32_t(ChannelNone));
    EXPECT_EQ(second.stages[4].channel, uint32_t(ChannelSpecular));
    EXPECT_EQ(second.GetChannel(ChannelSpecular, false), &second.stages[4]);
    // The shader map built from the stages is written and read back in place of the stages' own.
    ASSERT_TRUE(second.shaderMap);
    EXPECT_EQ(second.shaderMap->CollectBlocks().size(), first.shaderMap->CollectBlocks().size());
    EXPECT_EQ(second.shaderMap->roots[nShaderMap::RootDiffuse]->GetKind(), ShaderBlockSampler2d);
}

// The mask read from a file starts with Smoothing and NormalMapTangent set: clearing them, and
// UV sources that have no name, must survive a save and a read back.
TEST_F(MaterialFixture, ClearedDefaultFlagsAndUnnamedUVSourcesSurviveASave)
{
    WriteTexture("d.tga");
    nMaterial first(&engine);
    ASSERT_TRUE(
        Read(first, "<Id=\"Flat\"><RenderMask=<Smoothing=False><Toon><NormalMapTangent=False><Unlit=True>>" +
                        Stage(0, "", "d.tga", "<UVSource=0>") + Stage(1, "Decal", "d.tga", "<UVSource=5>") +
                        Stage(2, "Specular", "d.tga", "<UVSource=6>")));
    EXPECT_EQ(first.renderFlags, uint32_t(MaterialToon | MaterialUnlit));
    const std::string written = Write(first);
    EXPECT_NE(written.find("<Smoothing=False>"), std::string::npos) << written;
    nMaterial second(&engine);
    NmlDocument document(written);
    ASSERT_TRUE(second.ParseTag(document.file, document.Root()));
    EXPECT_EQ(second.renderFlags, first.renderFlags);
    for (uint32_t index = 0; index < 3; ++index)
        EXPECT_EQ(second.stages[index].uvSource, first.stages[index].uvSource) << index;
    EXPECT_EQ(second.stages[1].uvSource, 5u);
    EXPECT_EQ(Write(second), written);
    EXPECT_EQ(log.text.find("Bogus"), std::string::npos) << log.text;

    nMaterial bare(&engine);
    bare.renderFlags = 0;
    nMaterial bareBack(&engine);
    NmlDocument bareDocument(Write(bare));
    ASSERT_TRUE(bareBack.ParseTag(bareDocument.file, bareDocument.Root()));
    EXPECT_EQ(bareBack.renderFlags, 0u);
}

TEST_F(MaterialFixture, ColoursWrittenWithThreeValuesReadAsBefore)
{
    nMaterial material(&engine);
    ASSERT_TRUE(Read(material, "<Diffuse=<X=0.5><Y=0.5><Z=0.5>><Self=<X=0.5><Y=0.5><Z=0.5>>"));
    EXPECT_EQ(material.diffuse.a, 1.0f);
    EXPECT_EQ(material.selfIllumination.a, 1.0f);
    EXPECT_NE(Write(material).find(
                  "<Self=\n\t\t<X=0.500000>\n\t\t<Y=0.500000>\n\t\t<Z=0.500000>\n\t\t<W=1.000000>"),
              std::string::npos);
}
