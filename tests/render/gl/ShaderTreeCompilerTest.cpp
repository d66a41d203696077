#include "render/gl/nGLSLShaderTreeCompiler.h"
#include "render/gl/nShader.h"
#include "render/gl/nShaderSemantic.h"
#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nSceneShaderBlocks.h"
#include "render/shader/nShaderValueType.h"
#include "render/shader/nValueShaderBlocks.h"

#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
// A block of any kind whose inputs take whatever they are given, to reach the compiler's own
// checks behind the ones the block types make.
class FreeBlock : public nShaderBlock
{
public:
    FreeBlock(int32_t kind, uint32_t inputCount) : nShaderBlock(kind, m_slots, inputCount) {}
    bool SetInput(uint32_t index, nShaderBlock* block) override
    {
        m_slots[index] = block;
        return true;
    }
    void GetGLSLPrefix(nString& out) const override { out = "Free_"; }

private:
    nShaderBlock* m_slots[4] = {};
};

class ShaderTreeCompilerTest : public testing::Test
{
protected:
    ShaderTreeCompilerTest() { compiler.Reset(&shader); }

    template <typename Block, typename... Arguments> Block* Make(Arguments... arguments)
    {
        auto* block = new Block(arguments...);
        blocks.emplace_back(block);
        return block;
    }
    nShaderBlock* Constant(uint32_t type)
    {
        auto* constant = Make<nConstantShaderBlock>();
        constant->type = type;
        return constant;
    }
    const nCShaderBlock* Compile(nShaderBlock* block)
    {
        return compiler.Compile(block, nullptr, nShaderTreeCompiler::FragmentStage);
    }
    const std::string& Fragment() const { return compiler.GetFragmentCode(); }
    const nShaderInput* Input(const char* name) const
    {
        for (const auto& input : shader.GetInputs())
        {
            if (input->name == name)
                return input.get();
        }
        return nullptr;
    }

    CapturedLog log;
    nShader shader;
    nGLSLShaderTreeCompiler compiler;
    std::vector<std::unique_ptr<nShaderBlock>> blocks;
};
} // namespace

TEST_F(ShaderTreeCompilerTest, SwizzleOfAFloatReplicatesIt)
{
    auto* swizzle = Make<nSwizzleShaderBlock>(1, 1, 1, 0);
    ASSERT_TRUE(swizzle->SetInput(0, Make<nClockShaderBlock>()));
    const nCShaderBlock* record = Compile(swizzle);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->type, uint32_t(ShaderTypeVec3));
    EXPECT_EQ(Fragment(), "vec3 _n_swizzle0000 = vec3(_n_clock0001,_n_clock0001,_n_clock0001);\n");
    const nShaderInput* clock = Input("_n_clock0001");
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->semantic, uint32_t(SemanticClock));
    EXPECT_EQ(clock->type, uint32_t(ShaderTypeFloat));
    EXPECT_EQ(clock->kind, uint32_t(nShaderInput::Uniform));
    EXPECT_EQ(compiler.GetCode(), "Swz1110_Clk_");
    EXPECT_EQ(log.text, "");
}

TEST_F(ShaderTreeCompilerTest, OperatorLines)
{
    struct Case
    {
        const char* name;
        nShaderBlock* block;
        const char* fragment;
    };
    auto binary = [this](nShaderBlock* block, nShaderBlock* a, nShaderBlock* b)
    {
        EXPECT_TRUE(block->SetInput(0, a));
        EXPECT_TRUE(block->SetInput(1, b));
        return block;
    };
    auto* mix = Make<nMixOperatorShaderBlock>();
    binary(mix, Constant(ShaderTypeVec3), Constant(ShaderTypeVec3));
    EXPECT_TRUE(mix->SetInput(2, Constant(ShaderTypeFloat)));
    auto* build = Make<nBuildShaderBlock>(2, 1, 0, 5);
    EXPECT_TRUE(build->SetInput(0, Constant(ShaderTypeVec3)));
    auto* abs4 = Make<nAbsShaderBlock>();
    EXPECT_TRUE(abs4->SetInput(0, Constant(ShaderTypeVec4)));
    auto* unpack = Make<nUnpackColorToVectorShaderBlock>();
    EXPECT_TRUE(unpack->SetInput(0, Constant(ShaderTypeVec3)));
    auto* swizzle = Make<nSwizzleShaderBlock>(3, 1, 0, 0);
    EXPECT_TRUE(swizzle->SetInput(0, Make<nColorShaderBlock>()));

    const Case cases[] = {
        {"mix", mix, "vec3 _n_mix0000 = mix(_n_const0002, _n_const0001, _n_const0003);\n"},
        {"vec3 x mat3",
         binary(Make<nMulOperatorShaderBlock>(), Constant(ShaderTypeVec3), Make<nNormalMatrixShaderBlock>()),
         "vec3 _n_mul0000 = _n_const0001 * _n_normal_matrix0002;\n"},
        {"mat4 x vec4",
         binary(Make<nMulOperatorShaderBlock>(), Make<nModelMatrixShaderBlock>(), Constant(ShaderTypeVec4)),
         "vec4 _n_mul0000 = _n_model_matrix0001 * _n_const0002;\n"},
        {"build", build, "vec3 _n_built0000 = vec3(_n_const0001.x, 1.0, 0.0);\n"},
        {"dot", binary(Make<nDotOperatorShaderBlock>(), Constant(ShaderTypeVec2), Constant(ShaderTypeVec2)),
         "float _n_dot0000 = dot(_n_const0001, _n_const0002);\n"},
        {"sub", binary(Make<nSubOperatorShaderBlock>(), Constant(ShaderTypeFloat), Constant(ShaderTypeFloat)),
         "float _n_sub0000 = _n_const0001 - _n_const0002;\n"},
        {"abs of vec4", abs4, "vec4 _n_abs0000 = vec4(abs(_n_const0001.xyz), 1.0);\n"},
        {"unpack", unpack,
         "vec3 _n_unpacked_vector0000 = (_n_const0001 - vec3(0.5, 0.5, 0.5)) * vec3(2.0, 2.0, 2.0);\n"},
        {"swizzle of a vector", swizzle, "vec2 _n_swizzle0000 = _n_color0001.zx;\n"},
        {"pow", binary(Make<nPowShaderBlock>(), Constant(ShaderTypeFloat), Constant(ShaderTypeFloat)),
         "float _n_pow0000 = pow(_n_const0001, _n_const0002);\n"},
    };
    for (const Case& entry : cases)
    {
        compiler.Reset(&shader);
        EXPECT_NE(Compile(entry.block), nullptr) << entry.name << log.text;
        EXPECT_EQ(Fragment(), entry.fragment) << entry.name;
    }
    EXPECT_EQ(log.text, "");
}

TEST_F(ShaderTreeCompilerTest, RefusalsLogTheirLineAndGiveNull)
{
    struct Case
    {
        const char* name;
        nShaderBlock* block;
        const char* line; // null: refused without a line of its own
    };
    auto binary = [](nShaderBlock* block, nShaderBlock* a, nShaderBlock* b)
    {
        block->SetInput(0, a);
        block->SetInput(1, b);
        return block;
    };
    auto* parameter7 = Make<nMaterialParamShaderBlock>(7);
    auto* badSwizzle = Make<nSwizzleShaderBlock>(1, 3, 0, 0);
    badSwizzle->SetInput(0, Constant(ShaderTypeVec2));
    auto* floatSwizzle = Make<nSwizzleShaderBlock>(2, 0, 0, 0);
    floatSwizzle->SetInput(0, Constant(ShaderTypeFloat));
    auto* sinus = Make<FreeBlock>(ShaderBlockSinus, 1);
    sinus->SetInput(0, Make<nColorShaderBlock>());
    auto* matrixMix = Make<FreeBlock>(ShaderBlockMix, 3);
    matrixMix->SetInput(0, Make<nModelMatrixShaderBlock>());
    matrixMix->SetInput(1, Make<nModelViewMatrixShaderBlock>());
    matrixMix->SetInput(2, Constant(ShaderTypeFloat));
    auto* sampler = Make<nSampler2dShaderBlock>();
    sampler->SetInput(0, Make<nTextureShaderBlock>());

    const Case cases[] = {
        {"no output first", binary(Make<nAddOperatorShaderBlock>(), parameter7, Make<nColorShaderBlock>()),
         "[!] Block has no output.\n"},
        {"add", binary(Make<nAddOperatorShaderBlock>(), Constant(ShaderTypeVec2), Constant(ShaderTypeVec3)),
         "[!] Cannot add blocks, output do not match.\n"},
        {"mix of matrices", matrixMix, "[!] Cannot mix blocks, incorrect type (128).\n"},
        {"textures",
         binary(Make<FreeBlock>(ShaderBlockMultiply, 2), Make<nTextureShaderBlock>(),
                Make<nTextureShaderBlock>()),
         "[!] Cannot multiply textures.\n"},
        {"vec2 x mat3",
         binary(Make<FreeBlock>(ShaderBlockMultiply, 2), Constant(ShaderTypeVec2),
                Make<nNormalMatrixShaderBlock>()),
         "[!] Cannot multiply blocks, output do not match.\n"},
        {"cross",
         binary(Make<FreeBlock>(ShaderBlockCross, 2), Constant(ShaderTypeVec4), Constant(ShaderTypeVec4)),
         "[!] Cannot only compute cross product on Vector3.\n"},
        {"divide matrices",
         binary(Make<FreeBlock>(ShaderBlockDivide, 2), Make<nModelMatrixShaderBlock>(),
                Make<nModelMatrixShaderBlock>()),
         "[!] Cannot divide blocks (128).\n"},
        {"swizzle", badSwizzle, "[!] Invalid component to swizzle.\n"},
        {"float swizzle", floatSwizzle, "[!] Impossible swizzle.\n"},
        {"sinus", sinus, "[!] Incompatible source type.\n"},
        {"sampler without uv", sampler, "[!] Invalid input to the sampler2D block.\n"},
        {"add with B unconnected", binary(Make<nAddOperatorShaderBlock>(), Constant(ShaderTypeVec3), nullptr),
         "[!] Input 'Input B' of the Add block is not connected.\n"},
        {"swizzle of nothing", Make<nSwizzleShaderBlock>(1, 1, 1, 1),
         "[!] Input 'Input' of the Swizzle block is not connected.\n"},
        {"kind 40", Make<FreeBlock>(40, 0),
         "[!] Unsupported render block type (40), do not known how to compile.\n"},
    };
    for (const Case& entry : cases)
    {
        compiler.Reset(&shader);
        log.text.clear();
        EXPECT_EQ(Compile(entry.block), nullptr) << entry.name;
        if (entry.line)
        {
            EXPECT_EQ(log.text, entry.line) << entry.name;
        }
        EXPECT_EQ(Fragment().find("0000 ="), std::string::npos)
            << "a refused block writes no line: " << entry.name;
    }
}

TEST_F(ShaderTreeCompilerTest, ASharedBlockIsOneVariable)
{
    auto* normal = Make<nGeometryNormalShaderBlock>();
    auto* add = Make<nAddOperatorShaderBlock>();
    ASSERT_TRUE(add->SetInput(0, normal));
    ASSERT_TRUE(add->SetInput(1, normal));
    auto* dot = Make<nDotOperatorShaderBlock>();
    ASSERT_TRUE(dot->SetInput(0, add));
    ASSERT_TRUE(dot->SetInput(1, Make<nGeometryNormalShaderBlock>())); // equivalent leaf
    ASSERT_NE(Compile(dot), nullptr) << log.text;
    EXPECT_EQ(Fragment(), "vec3 _n_normal0002 = normalize(_n_varying_normal0003);\n"
                          "vec3 _n_add0001 = _n_normal0002 + _n_normal0002;\n"
                          "float _n_dot0000 = dot(_n_add0001, _n_normal0002);\n");
    EXPECT_EQ(compiler.GetVertexCode(), "_n_varying_normal0003 = a_normal;\n");
    ASSERT_EQ(shader.GetVaryings().size(), 1u);
    ASSERT_EQ(shader.GetInputs().size(), 1u);
    EXPECT_EQ(shader.GetInputs()[0]->name, "a_normal");
    EXPECT_EQ(shader.GetInputs()[0]->scope, uint32_t(nShaderInput::VertexStage));

    // A refused block stays refused for every parent that reaches it.
    compiler.Reset(&shader);
    auto* bad = Make<nAddOperatorShaderBlock>();
    bad->SetInput(0, Constant(ShaderTypeVec2));
    bad->SetInput(1, Constant(ShaderTypeVec3));
    EXPECT_EQ(Compile(bad), nullptr);
    EXPECT_EQ(Compile(bad), nullptr);
}

TEST_F(ShaderTreeCompilerTest, StreamsAndEngineValues)
{
    auto* sampler = Make<nSampler2dShaderBlock>();
    ASSERT_TRUE(sampler->SetInput(0, Make<nTextureShaderBlock>()));
    ASSERT_TRUE(sampler->SetInput(1, Make<nGeometryUVShaderBlock>(2)));
    auto* mul = Make<nMulOperatorShaderBlock>();
    ASSERT_TRUE(mul->SetInput(0, Make<nGeometryTangentFrameShaderBlock>()));
    ASSERT_TRUE(mul->SetInput(1, Constant(ShaderTypeVec3)));
    auto* skin = Make<nMulOperatorShaderBlock>();
    ASSERT_TRUE(skin->SetInput(0, Make<nGeometrySkinningShaderBlock>()));
    ASSERT_TRUE(skin->SetInput(1, Make<nGeometryVertexShaderBlock>()));
    for (nShaderBlock* root : {static_cast<nShaderBlock*>(sampler), static_cast<nShaderBlock*>(mul),
                               static_cast<nShaderBlock*>(skin)})
        ASSERT_NE(Compile(root), nullptr) << log.text;

    const nShaderInput* uv = Input("a_uv2");
    ASSERT_NE(uv, nullptr);
    EXPECT_EQ(uv->semantic, uint32_t(SemanticUV2));
    EXPECT_EQ(Input("_n_texture0001")->semantic, uint32_t(SemanticTexture));
    EXPECT_EQ(Input("bone_mtx")->count, 16u);
    EXPECT_EQ(Input("a_tangent")->semantic, uint32_t(SemanticTangent));
    EXPECT_NE(Fragment().find("vec4 _n_texel0000 = texture2D(_n_texture0001, _n_uv0002);\n"),
              std::string::npos);
    EXPECT_NE(
        Fragment().find("mat3 _n_tangent_frame0004 = mat3(normalize(_T), normalize(_B), _n_normal0005);\n"),
        std::string::npos)
        << Fragment();
    EXPECT_NE(compiler.GetVertexCode().find("_T = a_tangent;\n _B = a_bitangent;\n"), std::string::npos);
    EXPECT_NE(compiler.GetVertexCode().find("_n_vertex0010 = vec4(a_position, 1.0);\n"), std::string::npos)
        << compiler.GetVertexCode();

    auto* wrongSet = Make<nGeometryUVShaderBlock>(3);
    EXPECT_EQ(Compile(wrongSet), nullptr);
    EXPECT_EQ(log.text, "[!] Invalid UV set (3).\n");
}
