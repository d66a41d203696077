#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nShaderMap.h"
#include "render/shader/nShaderValueType.h"
#include "render/shader/nValueShaderBlocks.h"

#include "core/NmlLogCapture.h"
#include "support/NmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Branch(const std::string& index, const std::string& inputs = "")
{
    return "<Block=<Index=" + index + ">" + (inputs.empty() ? "" : "<Input=" + inputs + ">") + ">";
}

// A map read from the text; the log keeps what the read said.
struct ReadMap
{
    explicit ReadMap(const std::string& text, bool expectRead = true)
    {
        NmlDocument document(text);
        EXPECT_EQ(map.ParseTag(nullptr, document.Root()), expectRead);
    }

    NmlLogCapture log;
    nShaderMap map;
};

std::string Entry(const char* type, const std::string& params = "")
{
    return "<Entry=<Type=\"" + std::string(type) + "\">" +
           (params.empty() ? "<Param>" : "<Param=" + params + ">") + ">";
}

std::string MapOf(const std::string& entries, const std::string& roots)
{
    return "<ShaderMap=<Map=" + entries + ">" + roots + ">";
}

// A root's branch naming the index, with the given "Input" children.
std::string Root(const char* root, const std::string& index, const std::string& inputs = "")
{
    return "<" + std::string(root) + "=" + Branch(index, inputs) + ">";
}
} // namespace

TEST(ShaderMapNmlTest, ReadWriteReadKeepsKindsParametersAndConnections)
{
    nShaderMap original;
    auto* mix = new nMixOperatorShaderBlock();
    auto* uv = new nGeometryUVShaderBlock(2);
    auto* sampler = new nSampler2dShaderBlock();
    sampler->wrapU = 0;
    sampler->SetInput(0, new nTextureShaderBlock());
    sampler->SetInput(1, uv);
    auto* color = new nColorShaderBlock();
    color->color[0] = 0.25f;
    color->color[3] = 0.5f;
    auto* swizzle = new nSwizzleShaderBlock(4, 0, 0, 0);
    swizzle->SetInput(0, sampler);
    ASSERT_TRUE(mix->SetInput(0, sampler));
    ASSERT_TRUE(mix->SetInput(1, color));
    ASSERT_TRUE(mix->SetInput(2, swizzle));
    mix->posX = 12.0f;
    auto* build = new nBuildShaderBlock(0, 1, 2, 5);
    build->SetInput(2, uv);
    auto* constant = new nConstantShaderBlock(1.0f, 2.0f, 3.0f);
    original.roots[nShaderMap::RootDiffuse] = mix;
    original.roots[nShaderMap::RootVertex] = build;
    original.roots[nShaderMap::RootOpacity] = new nMaterialParamShaderBlock(5);
    original.roots[nShaderMap::RootConstant] = constant;
    original.posY = -3.0f;

    std::string written = NmlTextOf(original.SerializeTag());
    ReadMap read(written);
    EXPECT_EQ(read.log.text, "");
    EXPECT_EQ(NmlTextOf(read.map.SerializeTag()), written);

    auto* readMix = read.map.roots[nShaderMap::RootDiffuse];
    ASSERT_TRUE(readMix);
    EXPECT_EQ(readMix->GetKind(), ShaderBlockMix);
    EXPECT_EQ(readMix->GetOutputType(), uint32_t(ShaderTypeVec4));
    EXPECT_EQ(readMix->posX, 12.0f);
    EXPECT_EQ(readMix->GetInput(0), readMix->GetInput(2)->GetInput(0)); // one sampler, shared
    EXPECT_EQ(static_cast<nSampler2dShaderBlock*>(readMix->GetInput(0))->wrapU, 0);
    EXPECT_EQ(read.map.roots[nShaderMap::RootVertex]->GetInput(2), readMix->GetInput(0)->GetInput(1));
    EXPECT_EQ(static_cast<nColorShaderBlock*>(readMix->GetInput(1))->color[3], 0.5f);
    // A constant read from a file keeps the fourth value it was written with.
    EXPECT_EQ(static_cast<nConstantShaderBlock*>(read.map.roots[nShaderMap::RootConstant])->value[3], 0.0f);
    EXPECT_EQ(read.map.posY, -3.0f);
}

TEST(ShaderMapNmlTest, TwoRootsNamingOneIndexShareOneBlockWrittenOnce)
{
    ReadMap read(MapOf(Entry("Clock"), Root("Diffuse", "0") + Root("Glossiness", "0")));
    ASSERT_TRUE(read.map.roots[nShaderMap::RootDiffuse]);
    EXPECT_EQ(read.map.roots[nShaderMap::RootDiffuse], read.map.roots[nShaderMap::RootGlossiness]);
    std::string written = NmlTextOf(read.map.SerializeTag());
    EXPECT_EQ(written.find("Entry"), written.rfind("Entry")) << written;
}

TEST(ShaderMapNmlTest, MasksAndTypeNames)
{
    ReadMap read(MapOf(Entry("Swizzle", "<Swizzle=\"xq\">") + Entry("Build", "<Build=\"1y\">") +
                           Entry("Normal Matrix") + Entry("Normal Matrix ") + Entry("Normal Matrix  ") +
                           Entry("None"),
                       Root("Diffuse", "0") + Root("Specular", "1") + Root("Normal", "2") +
                           Root("Constant", "3") + Root("Opacity", "4")));
    auto* swizzle = static_cast<nSwizzleShaderBlock*>(read.map.roots[nShaderMap::RootDiffuse]);
    EXPECT_EQ(swizzle->selectors[0], 1u);
    EXPECT_EQ(swizzle->selectors[1], 0u);
    auto* build = static_cast<nBuildShaderBlock*>(read.map.roots[nShaderMap::RootSpecular]);
    EXPECT_EQ(build->selectors[0], 1u);
    EXPECT_EQ(build->selectors[1], 3u);
    EXPECT_EQ(build->selectors[2], 4u); // the default stays after the end of the mask
    EXPECT_EQ(read.map.roots[nShaderMap::RootNormal]->GetKind(), ShaderBlockNormalViewMatrix);
    EXPECT_EQ(read.map.roots[nShaderMap::RootConstant]->GetKind(), ShaderBlockNormalMatrix);
    EXPECT_EQ(read.map.roots[nShaderMap::RootOpacity], nullptr);
    EXPECT_EQ(read.log.text, "Unexpected end of swizzle mask.\n"
                             "Unexpected end of build mask.\n"
                             "Invalid block type 'Normal Matrix  '.\n"
                             "Invalid block type 'None'.\n");
}

TEST(ShaderMapNmlTest, ANoneInputKeepsItsPlace)
{
    // As written for a Mix whose A is not connected: B and K must not slide into A and B.
    ReadMap read(MapOf(Entry("Mix") + Entry("Constant", "<Type=16>") + Entry("Constant", "<Type=4>"),
                       Root("Diffuse", "0", "<None>" + Branch("1") + Branch("2"))));
    nShaderBlock* mix = read.map.roots[nShaderMap::RootDiffuse];
    ASSERT_TRUE(mix);
    EXPECT_EQ(mix->GetInput(0), nullptr);
    ASSERT_TRUE(mix->GetInput(1));
    ASSERT_TRUE(mix->GetInput(2));
    EXPECT_EQ(mix->GetInput(2)->GetOutputType(), uint32_t(ShaderTypeFloat));
}

TEST(ShaderMapNmlTest, ACycleInTheFileIsDroppedAndUnreachedEntriesAreFreed)
{
    ReadMap read(MapOf(Entry("Sinus") + Entry("Cosinus") + Entry("Clock") + Entry("Color"),
                       Root("Diffuse", "0", Branch("1", Branch("0")))));
    nShaderBlock* sinus = read.map.roots[nShaderMap::RootDiffuse];
    ASSERT_TRUE(sinus);
    EXPECT_EQ(sinus->GetInput(0),
              nullptr); // the inner link, read first, stands; the outer one closes the cycle
    EXPECT_NE(read.log.text.find("[!] Shader block 0 cannot take an input that depends on it"),
              std::string::npos)
        << read.log.text;
    EXPECT_EQ(read.map.CollectBlocks().size(), 1u); // the others are freed with the block map
}

TEST(ShaderMapNmlTest, BadBranchesAndRootsAreLogged)
{
    ReadMap wrongRoot("<Map>", false);
    EXPECT_EQ(wrongRoot.log.text, "[!] Could not parse shader map. Root tag id is incorrect (Map).\n");

    ReadMap noMap("<ShaderMap=" + Root("Diffuse", "0") + ">");
    EXPECT_EQ(noMap.log.text, "No map to build shader branch.\n");

    ReadMap branches(MapOf("<Bogus>" + Entry("Clock"), Root("Diffuse", "1") + Root("Normal", "-1") +
                                                           "<Specular=<Block>>" + Root("Opacity", "\"0\"")));
    EXPECT_EQ(branches.log.text, "[*] Unexpected tag 'Bogus' in shader map.\n"
                                 "[!] Shader block index -1 is not in the block map.\n"
                                 "[!] Shader block index 1 is not in the block map.\n"
                                 "No block index found.\n"
                                 "No block index found.\n");
    EXPECT_EQ(branches.map.CollectBlocks().size(), 0u);
}

TEST(ShaderMapNmlTest, HugeMapsAreRefusedAndHugeWritesTooWithALogLine)
{
    std::string entries;
    for (uint32_t i = 0; i <= nShaderMap::MaxBlocks; ++i)
        entries += "<Entry>";
    ReadMap huge(MapOf(entries, Root("Diffuse", "0")));
    EXPECT_EQ(huge.log.text, "[!] Failed to allocate shader block map.\nNo map to build shader branch.\n");

    // Every level feeds both inputs of the next, so the written branches double with each level.
    NmlLogCapture log;
    nShaderMap wide;
    nShaderBlock* level = new nConstantShaderBlock(1.0f, 1.0f);
    for (int i = 0; i < 20; ++i)
    {
        auto* add = new nAddOperatorShaderBlock();
        add->SetInput(0, level);
        add->SetInput(1, level);
        level = add;
    }
    wide.roots[nShaderMap::RootDiffuse] = level;
    EXPECT_EQ(wide.CollectBlocks().size(), 21u);
    EXPECT_EQ(wide.SerializeTag(), nullptr);
    EXPECT_EQ(log.text,
              "[!] Could not serialize shader map: its branches would expand past the tag limit.\n");

    log.text.clear();
    nShaderMap deep;
    nShaderBlock* chain = new nConstantShaderBlock(1.0f, 1.0f);
    for (uint32_t i = 0; i < nShaderMap::MaxWrittenBranchDepth; ++i)
    {
        auto* normalize = new nNormalizeOperatorShaderBlock();
        normalize->SetInput(0, chain);
        chain = normalize;
    }
    deep.roots[nShaderMap::RootNormal] = chain;
    EXPECT_EQ(deep.SerializeTag(), nullptr);
    EXPECT_EQ(log.text, "[!] Could not serialize shader map: its branches nest past the depth limit.\n");
}

TEST(ShaderMapNmlTest, ReadingStopsAtTheBranchLimitOfAWrite)
{
    std::string inputs;
    for (uint32_t i = 0; i < nShaderMap::MaxWrittenBranchTags; ++i)
        inputs += "<Block=<Index=1>>";
    ReadMap read(MapOf(Entry("Build") + Entry("Clock"), Root("Diffuse", "0", inputs)));
    EXPECT_EQ(read.log.text, "[!] Shader map branches past the limit are not read.\n");
    ASSERT_TRUE(read.map.roots[nShaderMap::RootDiffuse]);
    EXPECT_EQ(read.map.roots[nShaderMap::RootDiffuse]->GetInput(3)->GetKind(), ShaderBlockClock);
}
