#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nSceneShaderBlocks.h"
#include "render/shader/nShaderBlockFactory.h"
#include "render/shader/nShaderValueType.h"
#include "render/shader/nValueShaderBlocks.h"

#include "core/NmlLogCapture.h"
#include "platform/nstring/nString.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
// Owns the blocks of one test graph.
class Graph
{
public:
    template <typename Block, typename... Args> Block* Make(Args... args)
    {
        auto* block = new Block(args...);
        m_blocks.emplace_back(block);
        return block;
    }
    nConstantShaderBlock* Constant(uint32_t type)
    {
        auto* constant = Make<nConstantShaderBlock>();
        constant->type = type;
        return constant;
    }

private:
    std::vector<std::unique_ptr<nShaderBlock>> m_blocks;
};

std::string PrefixOf(const nShaderBlock& block)
{
    nString prefix;
    block.GetGLSLPrefix(prefix);
    return prefix.GetText() ? prefix.GetText() : "";
}
} // namespace

TEST(ShaderBlockTypeTest, MixTakesOnlyAFloatWeightAndGivesTheTypeOfItsSources)
{
    Graph graph;
    auto* mix = graph.Make<nMixOperatorShaderBlock>();
    ASSERT_TRUE(mix->SetInput(0, graph.Constant(ShaderTypeVec3)));
    ASSERT_TRUE(mix->SetInput(1, graph.Constant(ShaderTypeVec3)));
    EXPECT_FALSE(mix->SetInput(2, graph.Constant(ShaderTypeVec2)));
    EXPECT_EQ(mix->GetOutputType(), uint32_t(ShaderTypeInvalid));
    ASSERT_TRUE(mix->SetInput(2, graph.Constant(ShaderTypeFloat)));
    EXPECT_EQ(mix->GetOutputType(), uint32_t(ShaderTypeVec3));
    EXPECT_FALSE(mix->SetInput(3, graph.Constant(ShaderTypeFloat)));
}

TEST(ShaderBlockTypeTest, MultiplyTypesFollowTheLargerAndSmallerOperand)
{
    struct Case
    {
        uint32_t a, b, expected;
    };
    const Case cases[] = {
        {ShaderTypeVec4, ShaderTypeFloat, ShaderTypeInvalid},
        {ShaderTypeVec3, ShaderTypeVec3, ShaderTypeVec3},
        {ShaderTypeMat4, ShaderTypeVec4, ShaderTypeVec4},
        {ShaderTypeVec4, ShaderTypeMat4, ShaderTypeVec4},
        {ShaderTypeMat3, ShaderTypeVec3, ShaderTypeVec3},
        {ShaderTypeMat3, ShaderTypeMat3, ShaderTypeInvalid},
        {ShaderTypeMat4, ShaderTypeVec3, ShaderTypeInvalid},
    };
    for (const Case& c : cases)
    {
        Graph graph;
        auto* multiply = graph.Make<nMulOperatorShaderBlock>();
        ASSERT_TRUE(multiply->SetInput(0, graph.Constant(c.a)));
        ASSERT_TRUE(multiply->SetInput(1, graph.Constant(c.b)));
        EXPECT_EQ(multiply->GetOutputType(), c.expected) << c.a << " x " << c.b;
    }
}

TEST(ShaderBlockTypeTest, SwizzleCountsItsSelectorsAndBuildStopsAtItsFirstMissingInput)
{
    Graph graph;
    nShaderBlock* vec4 = graph.Constant(ShaderTypeVec4);
    auto* single = graph.Make<nSwizzleShaderBlock>(1u, 0u, 0u, 0u);
    auto* none = graph.Make<nSwizzleShaderBlock>();
    auto* all = graph.Make<nSwizzleShaderBlock>(1u, 2u, 3u, 4u);
    for (nShaderBlock* swizzle : {static_cast<nShaderBlock*>(single), static_cast<nShaderBlock*>(none),
                                  static_cast<nShaderBlock*>(all)})
        ASSERT_TRUE(swizzle->SetInput(0, vec4));
    EXPECT_EQ(single->GetOutputType(), uint32_t(ShaderTypeFloat));
    EXPECT_EQ(none->GetOutputType(), uint32_t(ShaderTypeInvalid));
    EXPECT_EQ(all->GetOutputType(), uint32_t(ShaderTypeVec4));
    EXPECT_EQ(graph.Make<nSwizzleShaderBlock>(1u, 0u, 0u, 0u)->GetOutputType(), uint32_t(ShaderTypeInvalid));

    auto* build = graph.Make<nBuildShaderBlock>(0u, 1u, 2u, 3u); // "01xy"
    ASSERT_TRUE(build->SetInput(2, vec4));
    EXPECT_EQ(build->GetOutputType(), uint32_t(ShaderTypeVec3));
    EXPECT_EQ(graph.Make<nBuildShaderBlock>()->GetOutputType(), uint32_t(ShaderTypeInvalid));
}

TEST(ShaderBlockTypeTest, FixedAndParameterTypes)
{
    Graph graph;
    EXPECT_EQ(graph.Make<nMaterialParamShaderBlock>(5u)->GetOutputType(), uint32_t(ShaderTypeFloat));
    EXPECT_EQ(graph.Make<nMaterialParamShaderBlock>(6u)->GetOutputType(), uint32_t(ShaderTypeVec4));
    EXPECT_EQ(graph.Make<nGeometryVertexColorShaderBlock>()->GetOutputType(), uint32_t(ShaderTypeVec4));
    EXPECT_EQ(graph.Make<nNormalViewMatrixShaderBlock>()->GetOutputType(), uint32_t(ShaderTypeMat3));
    EXPECT_EQ(graph.Make<nConstantShaderBlock>()->GetOutputType(), uint32_t(ShaderTypeInvalid));
    EXPECT_EQ(graph.Make<nConstantShaderBlock>(1.0f, 2.0f)->GetOutputType(), uint32_t(ShaderTypeVec2));
    auto* vec3 = graph.Make<nConstantShaderBlock>(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(vec3->GetOutputType(), uint32_t(ShaderTypeVec3));
    EXPECT_EQ(vec3->value[3], 0.0f);
    auto* sampler = graph.Make<nSampler2dShaderBlock>();
    ASSERT_TRUE(sampler->SetInput(0, graph.Make<nTextureShaderBlock>()));
    EXPECT_EQ(sampler->GetOutputType(), uint32_t(ShaderTypeInvalid));
    ASSERT_TRUE(sampler->SetInput(1, graph.Make<nGeometryUVShaderBlock>(1u)));
    EXPECT_EQ(sampler->GetOutputType(), uint32_t(ShaderTypeVec4));
    EXPECT_FALSE(sampler->SetInput(1, vec3));
}

TEST(ShaderBlockTypeTest, KindNamesAndFactory)
{
    EXPECT_STREQ(nShaderBlock::GetKindName(0), "None");
    EXPECT_STREQ(nShaderBlock::GetKindName(17), "Normal Matrix ");
    EXPECT_STREQ(nShaderBlock::GetKindName(37), "Clock");
    EXPECT_STREQ(nShaderBlock::GetKindName(38), "Invalid");
    EXPECT_STREQ(nShaderBlock::GetKindName(-1), "Invalid");
    EXPECT_EQ(NewShaderBlock(0), nullptr);
    EXPECT_EQ(NewShaderBlock(38), nullptr);
    for (int32_t kind = 1; kind < ShaderBlockKindCount; ++kind)
    {
        std::unique_ptr<nShaderBlock> block(NewShaderBlock(kind));
        ASSERT_TRUE(block);
        EXPECT_EQ(block->GetKind(), kind);
        EXPECT_EQ(block->GetInput(block->GetInputCount()), nullptr);
        EXPECT_EQ(block->GetInputDescriptor(block->GetInputCount()), nullptr);
        for (uint32_t i = 0; i < block->GetInputCount(); ++i)
            EXPECT_EQ(block->GetInputDescriptor(i)->acceptedTypes & ShaderTypeInvalid, 0u);
    }
    nMulOperatorShaderBlock multiply;
    nString name;
    multiply.GetName(name);
    EXPECT_EQ(name, "Mul");
    EXPECT_STREQ(multiply.GetDescriptor().name, "A*B");
    EXPECT_STREQ(multiply.GetInputDescriptor(1)->name, "Input B");
}

TEST(ShaderBlockTypeTest, GlslPrefixesCarryTheParameters)
{
    NmlLogCapture log;
    Graph graph;
    auto* sampler = graph.Make<nSampler2dShaderBlock>();
    sampler->wrapV = 0;
    auto* normal = graph.Make<nGeometryNormalShaderBlock>();
    EXPECT_EQ(PrefixOf(*sampler), "Spl2dTF_");
    EXPECT_EQ(PrefixOf(*normal), "Nrm_");
    normal->smooth = 1;
    EXPECT_EQ(PrefixOf(*normal), "NrmSmt_");
    EXPECT_EQ(PrefixOf(*graph.Make<nGeometryUVShaderBlock>(2u)), "UV2_");
    EXPECT_EQ(PrefixOf(*graph.Make<nMaterialParamShaderBlock>(4u)), "MatParm4_");
    EXPECT_EQ(PrefixOf(*graph.Make<nSwizzleShaderBlock>(1u, 0u, 0u, 4u)), "Swz1004_");
    EXPECT_EQ(PrefixOf(*graph.Make<nBuildShaderBlock>()), "Bld2345_");
    EXPECT_EQ(PrefixOf(*graph.Make<nConstantShaderBlock>(1.0f, 1.0f)), "ConstVec2_");
    EXPECT_EQ(PrefixOf(*graph.Constant(ShaderTypeMat3)), "ConstUnk_");
    EXPECT_EQ(log.text, "[!] Unknown constant.\n");
}

TEST(ShaderBlockTypeTest, EquivalentLeavesShareTheirValue)
{
    Graph graph;
    EXPECT_TRUE(graph.Make<nViewVectorShaderBlock>()->IsEquivalent(*graph.Make<nViewVectorShaderBlock>()));
    EXPECT_TRUE(
        graph.Make<nGeometryUVShaderBlock>(1u)->IsEquivalent(*graph.Make<nGeometryUVShaderBlock>(1u)));
    EXPECT_FALSE(
        graph.Make<nGeometryUVShaderBlock>(1u)->IsEquivalent(*graph.Make<nGeometryUVShaderBlock>(2u)));
    EXPECT_FALSE(
        graph.Make<nMaterialParamShaderBlock>(1u)->IsEquivalent(*graph.Make<nMaterialParamShaderBlock>(2u)));
    EXPECT_FALSE(graph.Make<nAddOperatorShaderBlock>()->IsEquivalent(*graph.Make<nAddOperatorShaderBlock>()));
    EXPECT_FALSE(graph.Make<nConstantShaderBlock>()->IsEquivalent(*graph.Make<nConstantShaderBlock>()));
    auto* add = graph.Make<nAddOperatorShaderBlock>();
    EXPECT_TRUE(add->IsEquivalent(*add));
    EXPECT_FALSE(graph.Make<nClockShaderBlock>()->IsEquivalent(*graph.Make<nViewVectorShaderBlock>()));
}

TEST(ShaderBlockTypeTest, AConnectionThatWouldCloseACycleIsRefused)
{
    Graph graph;
    auto* first = graph.Make<nAddOperatorShaderBlock>();
    auto* second = graph.Make<nAbsShaderBlock>();
    ASSERT_TRUE(first->SetInput(0, graph.Constant(ShaderTypeVec3)));
    ASSERT_TRUE(first->SetInput(1, graph.Constant(ShaderTypeVec3)));
    ASSERT_TRUE(second->SetInput(0, first));
    EXPECT_FALSE(first->SetInput(0, second));
    auto* normalize = graph.Make<nNormalizeOperatorShaderBlock>();
    ASSERT_TRUE(normalize->SetInput(0, graph.Constant(ShaderTypeVec3)));
    EXPECT_FALSE(normalize->SetInput(0, normalize));
    EXPECT_EQ(second->GetOutputType(), uint32_t(ShaderTypeVec3));
}

TEST(ShaderBlockTypeTest, SharedBlocksAreTypedOnce)
{
    // Each level feeds both inputs of the next: typed without sharing, 80 levels would never end.
    Graph graph;
    nShaderBlock* level = graph.Constant(ShaderTypeVec4);
    for (int i = 0; i < 80; ++i)
    {
        auto* add = graph.Make<nAddOperatorShaderBlock>();
        ASSERT_TRUE(add->SetInput(0, level));
        ASSERT_TRUE(add->SetInput(1, level));
        level = add;
    }
    EXPECT_EQ(level->GetOutputType(), uint32_t(ShaderTypeVec4));
}
