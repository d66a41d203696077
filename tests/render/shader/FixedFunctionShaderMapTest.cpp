#include "geometry/nMaterial.h"
#include "render/shader/nShaderBlock.h"
#include "render/shader/nShaderMap.h"
#include "render/shader/nShaderValueType.h"

#include "support/NmlText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
// Removes every "Pos" below the tag after checking that it is 0, 0: a converted map places
// nothing in the editor, and the goldens stay readable.
void StripZeroPositions(nMetaTag& tag)
{
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() == "Pos")
        {
            nLinkedListIterator values;
            while (const nMetaTag* value = child->GetNextChild(values))
            {
                float coordinate = 1.0f;
                EXPECT_TRUE(value->GetValue().GetFloat(coordinate) && coordinate == 0.0f);
            }
            tag.RemoveChild(child);
        }
        else
            StripZeroPositions(*child);
    }
}

class FixedFunctionShaderMapTest : public testing::Test
{
protected:
    FixedFunctionShaderMapTest() : material(nullptr) {}

    nTextureStage& Bind(uint32_t stage, uint32_t channel, uint32_t uvSet = 0)
    {
        nTexture* texture = new nTexture(nullptr, 0, 0);
        texture->SetName(nString::Format("t%u.tga", stage));
        material.stages[stage].active = 1;
        material.stages[stage].channel = channel;
        material.stages[stage].texture = texture;
        material.stages[stage].uvSet = uint8_t(uvSet);
        return material.stages[stage];
    }

    // The converted map as written, without its zero editor positions.
    std::string Converted()
    {
        material.Update();
        std::unique_ptr<nShaderMap> map(nShaderMap::CreateFromFixedFunction(material));
        nMetaTag* tag = map->SerializeTag();
        StripZeroPositions(*tag);
        return NmlTextOf(tag);
    }

    nMaterial material;
};

std::string Parameter(int index)
{
    return "\t\t<Entry=\n\t\t\t<Type=\"Material Parameter\">\n\t\t\t<Param=\n\t\t\t\t<Param=" +
           std::to_string(index) + ">\n\t\t\t>\n\t\t>\n";
}

std::string Leaf(const char* type)
{
    return "\t\t<Entry=\n\t\t\t<Type=\"" + std::string(type) + "\">\n\t\t\t<Param>\n\t\t>\n";
}

std::string Root(const char* root, int index)
{
    return "\t<" + std::string(root) + "=\n\t\t<Block=\n\t\t\t<Index=" + std::to_string(index) +
           ">\n\t\t>\n\t>\n";
}
} // namespace

TEST_F(FixedFunctionShaderMapTest, WithoutStagesEveryChannelIsAMaterialParameter)
{
    EXPECT_EQ(Converted(), "<ShaderMap=\n\t<Map=\n" + Leaf("Geometry Normal") + Parameter(0) + Parameter(1) +
                               Parameter(4) + Parameter(2) + Parameter(5) + Parameter(6) + "\t>\n" +
                               Root("Normal", 0) + Root("Diffuse", 1) + Root("Specular", 2) +
                               Root("Glossiness", 3) + Root("Constant", 4) + Root("Opacity", 5) +
                               Root("Reflection", 6) + ">\n");
}

TEST_F(FixedFunctionShaderMapTest, BlendRgbWithVertexColourMixesByTheVertexRedOnly)
{
    material.renderFlags |= MaterialVertexColor;
    Bind(0, ChannelBlendRGB, 1);
    const std::string written = Converted();
    EXPECT_EQ(written.substr(written.find("\t<Diffuse=")), R"(	<Diffuse=
		<Block=
			<Index=1>
			<Input=
				<Block=
					<Index=2>
					<Input=
						<Block=
							<Index=3>
						>
						<Block=
							<Index=4>
						>
					>
				>
				<Block=
					<Index=5>
				>
				<Block=
					<Index=6>
					<Input=
						<Block=
							<Index=7>
						>
					>
				>
			>
		>
	>
	<Specular=
		<Block=
			<Index=8>
		>
	>
	<Glossiness=
		<Block=
			<Index=9>
		>
	>
	<Constant=
		<Block=
			<Index=10>
		>
	>
	<Opacity=
		<Block=
			<Index=11>
		>
	>
	<Reflection=
		<Block=
			<Index=12>
		>
	>
>
)");
    EXPECT_NE(written.find("<Type=\"Mix\">"), std::string::npos);
    EXPECT_NE(written.find("<Swizzle=\"xnnn\">"), std::string::npos);
    EXPECT_NE(written.find("<Type=\"Geometry RGB\">"), std::string::npos);
    EXPECT_EQ(written.find("<Type=\"Build\">"), std::string::npos);
    EXPECT_EQ(written.find("<Type=\"Multiply\">"), std::string::npos);
}

TEST_F(FixedFunctionShaderMapTest, ANormalStageWithoutTangentSpaceIsUnpackedAndNormalized)
{
    material.renderFlags &= ~uint32_t(MaterialNormalMapTangent);
    Bind(0, ChannelNormal).wrapU = 0;
    const std::string written = Converted();
    EXPECT_EQ(written.substr(0, written.find("\t\t<Entry=\n\t\t\t<Type=\"Material Parameter\">")),
              R"(<ShaderMap=
	<Map=
		<Entry=
			<Type="Normalize">
			<Param>
		>
		<Entry=
			<Type="Unpack color to vector">
			<Param>
		>
		<Entry=
			<Type="Swizzle">
			<Param=
				<Swizzle="xyzn">
			>
		>
		<Entry=
			<Type="Sampler 2D">
			<Param=
				<WrapU=False>
				<WrapV=True>
			>
		>
		<Entry=
			<Type="Texture">
			<Param=
				<Texture="t0.tga">
			>
		>
		<Entry=
			<Type="Geometry UV">
			<Param=
				<Channel=0>
			>
		>
)");
    material.renderFlags |= MaterialNormalMapTangent;
    std::unique_ptr<nShaderMap> tangent(nShaderMap::CreateFromFixedFunction(material));
    nShaderBlock* normal = tangent->roots[nShaderMap::RootNormal];
    ASSERT_EQ(normal->GetInput(0)->GetKind(), ShaderBlockMultiply);
    EXPECT_EQ(normal->GetInput(0)->GetInput(0)->GetKind(), ShaderBlockGeometryTangentFrame);
    EXPECT_EQ(normal->GetOutputType(), uint32_t(ShaderTypeVec3));
}

TEST_F(FixedFunctionShaderMapTest, AReflectionStageMultipliesOrAddsByItsOperator)
{
    nTextureStage& reflection = Bind(1, ChannelReflection);
    reflection.op = nTextureStage::OperatorMultiply;
    material.Update();
    std::unique_ptr<nShaderMap> multiplied(nShaderMap::CreateFromFixedFunction(material));
    nShaderBlock* diffuse = multiplied->roots[nShaderMap::RootDiffuse];
    EXPECT_EQ(diffuse->GetKind(), ShaderBlockMultiply);
    EXPECT_EQ(diffuse->GetInput(0)->GetKind(), ShaderBlockMaterialParam);
    EXPECT_EQ(diffuse->GetInput(1)->GetKind(), ShaderBlockSampler2d);
    EXPECT_EQ(multiplied->roots[nShaderMap::RootConstant]->GetKind(), ShaderBlockMaterialParam);

    reflection.op = nTextureStage::OperatorNone;
    std::unique_ptr<nShaderMap> added(nShaderMap::CreateFromFixedFunction(material));
    nShaderBlock* constant = added->roots[nShaderMap::RootConstant];
    EXPECT_EQ(constant->GetKind(), ShaderBlockAdd);
    EXPECT_EQ(constant->GetInput(0)->GetKind(), ShaderBlockMaterialParam);
    EXPECT_EQ(added->roots[nShaderMap::RootDiffuse]->GetKind(), ShaderBlockMaterialParam);

    reflection.op = 7;
    std::unique_ptr<nShaderMap> dropped(nShaderMap::CreateFromFixedFunction(material));
    EXPECT_EQ(dropped->roots[nShaderMap::RootConstant]->GetKind(), ShaderBlockMaterialParam);
    EXPECT_EQ(dropped->CollectBlocks().size(), 7u);
}

TEST_F(FixedFunctionShaderMapTest, ADiffuseStageSamplesItsUVSet)
{
    Bind(0, ChannelDiffuse, 2);
    material.Update();
    std::unique_ptr<nShaderMap> map(nShaderMap::CreateFromFixedFunction(material));
    nShaderBlock* sampler = map->roots[nShaderMap::RootDiffuse];
    ASSERT_EQ(sampler->GetKind(), ShaderBlockSampler2d);
    ASSERT_EQ(sampler->GetInput(1)->GetKind(), ShaderBlockGeometryUV);
    const std::string written = Converted();
    EXPECT_NE(written.find("<Type=\"Geometry UV\">\n\t\t\t<Param=\n\t\t\t\t<Channel=2>"), std::string::npos);
}

TEST_F(FixedFunctionShaderMapTest, EveryUVSourceGivesASampleOfItsTexture)
{
    const uint32_t channels[] = {ChannelDiffuse, ChannelReflection, ChannelSpecular, ChannelLightmap,
                                 ChannelDecal};
    for (uint32_t source = 0; source < 5; ++source)
        Bind(source, channels[source]).uvSource = source;
    material.renderFlags |= MaterialVertexColor;
    material.Update();
    std::unique_ptr<nShaderMap> map(nShaderMap::CreateFromFixedFunction(material));
    for (nShaderBlock* block : map->CollectBlocks())
        if (block->GetKind() == ShaderBlockSampler2d)
        {
            EXPECT_EQ(block->GetOutputType(), uint32_t(ShaderTypeVec4));
        }
    for (uint32_t root : {nShaderMap::RootNormal, nShaderMap::RootDiffuse, nShaderMap::RootSpecular,
                          nShaderMap::RootConstant, nShaderMap::RootOpacity, nShaderMap::RootGlossiness})
        EXPECT_NE(map->roots[root]->GetOutputType(), uint32_t(ShaderTypeInvalid)) << root;
    nTextureStage& unknownSource = material.stages[5];
    unknownSource.uvSource = 9;
    nShaderBlock* tree = nShaderMap::BuildStageTree(material, unknownSource, nullptr);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->GetInput(1), nullptr);
    EXPECT_EQ(tree->GetOutputType(), uint32_t(ShaderTypeInvalid));
    delete tree->GetInput(0);
    delete tree;
}
