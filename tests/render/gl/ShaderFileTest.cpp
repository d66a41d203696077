#include "render/gl/nShader.h"
#include "render/gl/nShaderSemantic.h"

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Text(const nString& text)
{
    return text.GetText() ? std::string(text.GetText(), text.GetLength()) : std::string();
}

size_t Count(const std::string& text, const std::string& piece)
{
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

const nShaderInput* Input(const nShader& shader, const char* name)
{
    for (const auto& input : shader.GetInputs())
    {
        if (input->name == name)
            return input.get();
    }
    return nullptr;
}
} // namespace

TEST(ShaderAssemblyTest, InputsVaryingsAndPlaceholders)
{
    CapturedLog log;
    nShader shader("s", "%out.position% = vec4(a_position, 1.0) * bone_mtx[0][0].x;\nv_n = float3(0.0);",
                   "%out.color2% = float4(v_n, u_k);\n%out.color% = %in.fragcoord%;\n%out.depth% = 0.5;");
    shader.AddInput("a_position", 16, SemanticPosition, nShaderInput::Attribute, nShaderInput::VertexStage);
    nShaderInput* again = shader.AddInput("a_position", 16, SemanticPosition, nShaderInput::Attribute,
                                          nShaderInput::FragmentStage);
    EXPECT_EQ(again->scope, 3u);
    EXPECT_EQ(shader.AddInput("other_name", 16, SemanticPosition, nShaderInput::Attribute, 1), again)
        << "one attribute per stream, whatever its name";
    shader.AddInput("bone_mtx", 128, SemanticBoneMatrix, nShaderInput::Uniform, nShaderInput::VertexStage,
                    16);
    shader.AddInput("u_k", 4, SemanticFogNear, nShaderInput::Uniform, nShaderInput::FragmentStage);
    shader.AddInput("u_k", 4, SemanticFogFar, nShaderInput::Uniform, nShaderInput::FragmentStage);
    shader.AddInput("u_user", 1, SemanticUser, nShaderInput::Uniform, nShaderInput::FragmentStage);
    shader.AddInput("u_odd", 2, SemanticConstant, nShaderInput::Uniform, nShaderInput::FragmentStage);
    shader.AddVarying("v_n", "float3");
    EXPECT_EQ(shader.GetInputs().size(), 6u) << "uniforms of one name and two semantics are two inputs";

    nString vertex;
    nString fragment;
    ASSERT_TRUE(shader.AssembleGLSL(vertex, fragment, false));
    EXPECT_EQ(Text(vertex), "#version 120\n"
                            "attribute vec3 a_position;\n"
                            "uniform mat4 bone_mtx[16];\n"
                            "varying vec3 v_n;\n"
                            "void main()\n{\n"
                            "gl_Position = vec4(a_position, 1.0) * bone_mtx[0][0].x;\nv_n = vec3(0.0);\n}");
    EXPECT_EQ(Text(fragment),
              "#version 120\n"
              "uniform float u_k;\n"
              "uniform float u_k;\n"
              "varying vec3 v_n;\n"
              "void main()\n{\n"
              "gl_FragData[2] = vec4(v_n, u_k);\ngl_FragColor = gl_FragCoord;\ngl_FragDepth = 0.5;\n}");
    EXPECT_EQ(log.text, "[!] Unsupported input 'u_odd' type (2).\n")
        << "inputs of type none are the code's own";

    ASSERT_TRUE(shader.AssembleGLSL(vertex, fragment, true));
    EXPECT_NE(Text(vertex).find("attribute mediump vec3 a_position;\n"), std::string::npos);
}

TEST(ShaderAssemblyTest, CodeThatDefinesMainStandsAsWritten)
{
    nShader shader("s", "%out.position% = vec4(0.0);",
                   "uniform float u_strength;\nvoid  main ()\n{\n\t%out.color% = float4(u_strength);\n}\n");
    nString vertex;
    nString fragment;
    shader.AssembleGLSL(vertex, fragment, false);
    EXPECT_EQ(Text(fragment), "#version 120\nuniform float u_strength;\nvoid  main ()\n{\n\tgl_FragColor = "
                              "vec4(u_strength);\n}\n");
    EXPECT_EQ(Count(Text(vertex), "void main()"), 1u);

    nShader notMain("s", "", "float domain(float x) { return x; }\n%out.color% = vec4(domain(1.0));");
    notMain.AssembleGLSL(vertex, fragment, false);
    EXPECT_EQ(Count(Text(fragment), "void main()\n{\n"), 1u);
}

class ShaderFileTest : public testing::Test
{
protected:
    bool Load(nShader& shader, const char* path) { return shader.Load(path); }

    CapturedLog log;
    TemporaryFiles files;
};

TEST_F(ShaderFileTest, ReadsInputsVaryingsAndCode)
{
    files.Write("lib/blur.nsa",
                "<NML=1.0>\n<Shader=\n"
                "<Name=\"blur\">\n"
                "<Foo=1>\n"
                "<Input=\n"
                "  <Attribute=<Name=\"a_position\"><Semantic=\"Position\">>\n"
                "  <Uniform=<Name=\"u_mvp\"><Semantic=\"ModelViewProjectionMatrix\"><Scope=<Vertex>>>\n"
                "  <Uniform=<Name=\"u_both\"><Semantic=\"FxScale\"><Scope=<Vertex><Fragment>>>\n"
                "  <Uniform=<Name=\"u_map\"><Semantic=\"LightShadowMap3\">>\n"
                "  <Uniform=<Name=\"u_what\"><Semantic=\"Nothing\">>\n"
                "  <Uniform=<Name=\"u_pass\"><Semantic=\"User\">>\n"
                ">\n"
                "<Varying=<Variable=<Name=\"v_uv\"><Type=\"float2\">><Variable=<Name=\"v_bad\">>>\n"
                "<Vertex=\"lib/blur.vs\">\n"
                "<Fragment=\"blur.fs\">\n"
                ">\n");
    files.Write("lib/blur.vs", "vertex code");
    files.Write("lib/blur.fs", "fragment code");
    nShader shader;
    ASSERT_TRUE(Load(shader, "lib/blur.nsa")) << log.text;
    EXPECT_EQ(log.text,
              "[*] Unknown tag 'Foo' in <Shader>.\n[*] Unknown shader input semantic in shader 'blur'.\n");
    EXPECT_EQ(shader.name, "blur");
    EXPECT_EQ(shader.vertexCode, "vertex code");
    EXPECT_EQ(shader.fragmentCode, "fragment code") << "a bare name is also tried beside the shader file";
    ASSERT_EQ(shader.GetInputs().size(), 5u);
    EXPECT_EQ(Input(shader, "a_position")->kind, uint32_t(nShaderInput::Attribute));
    EXPECT_EQ(Input(shader, "a_position")->scope, 1u);
    EXPECT_EQ(Input(shader, "u_mvp")->scope, 1u);
    EXPECT_EQ(Input(shader, "u_mvp")->type, 128u);
    EXPECT_EQ(Input(shader, "u_both")->scope, 3u);
    EXPECT_EQ(Input(shader, "u_map")->scope, 2u);
    EXPECT_EQ(Input(shader, "u_map")->type, 512u) << "a shadow map is a shadow sampler";
    EXPECT_EQ(Input(shader, "u_map")->semantic, 57u);
    EXPECT_EQ(Input(shader, "u_pass")->type, 1u);
    ASSERT_EQ(shader.GetVaryings().size(), 1u);
    EXPECT_EQ(shader.GetVaryings()[0]->type, "float2");
}

TEST_F(ShaderFileTest, BadFilesFailWithTheirLine)
{
    files.Write("roots.nsa", "<NML=1.0>\n<Shaders=<Name=\"x\">>\n");
    files.Write("missing.nsa", "<NML=1.0>\n<Shader=<Vertex=\"gone.vs\">>\n");
    files.Write("prefixed.nsa", "<NML=1.0>\n<Shader=<Fragment=\"@nowhere/p.fs\">>\n");
    files.Write("p.fs", "not reached: a mount path is not tried elsewhere");
    nShader shader;
    EXPECT_FALSE(Load(shader, "roots.nsa"));
    EXPECT_EQ(log.text, "[!] Could not parse shader. Root tag id is incorrect (Shaders).\n");
    log.text.clear();
    EXPECT_FALSE(Load(shader, "missing.nsa"));
    EXPECT_EQ(log.text, "[!] Could not read shader code 'gone.vs' of shader 'missing.nsa'.\n");
    log.text.clear();
    EXPECT_FALSE(Load(shader, "prefixed.nsa"));
    EXPECT_EQ(log.text, "[!] Could not read shader code '@nowhere/p.fs' of shader 'prefixed.nsa'.\n");
}

TEST_F(ShaderFileTest, WritingKeepsOnlyTheInterface)
{
    nShader shader("kept", "vertex", "fragment");
    shader.AddInput("a_position", 16, SemanticPosition, nShaderInput::Attribute, nShaderInput::VertexStage);
    shader.AddInput("u_mvp", 128, SemanticModelViewProjectionMatrix, nShaderInput::Uniform,
                    nShaderInput::VertexStage);
    shader.AddVarying("v_uv", "float2");
    nMetaFile file;
    nMetaTag* root = shader.SerializeTag(file);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(log.text, "[!] Vertex and fragment code are not saved for shader 'kept'.\n");
    file.AddRoot(root);
    ASSERT_TRUE(file.Save("written.nsa"));

    nShader read;
    ASSERT_TRUE(Load(read, "written.nsa"));
    EXPECT_EQ(read.name, "written.nsa");
    EXPECT_TRUE(read.vertexCode.IsEmpty());
    ASSERT_EQ(read.GetInputs().size(), 2u);
    EXPECT_EQ(Input(read, "u_mvp")->scope, 2u) << "scopes are not written: a uniform reads back as fragment";
    EXPECT_EQ(Input(read, "u_mvp")->semantic, uint32_t(SemanticModelViewProjectionMatrix));
    EXPECT_TRUE(read.GetVaryings().empty());
}

TEST_F(ShaderFileTest, SignatureAppendsTheCode)
{
    files.Write("sig.nsa", "<NML=1.0>\n<Shader=<Input=<Uniform=<Name=\"u\"><Semantic=\"Clock\">>>"
                           "<Vertex=\"sig.vs\"><Fragment=\"sig.fs\">>\n");
    files.Write("sig.vs", "+v");
    files.Write("sig.fs", "+f");
    nShader shader("s", "v", "f");
    ASSERT_TRUE(shader.LoadSignature("sig.nsa"));
    EXPECT_EQ(shader.vertexCode, "v+v");
    EXPECT_EQ(shader.fragmentCode, "f+f");
    ASSERT_EQ(shader.GetInputs().size(), 1u);
    files.Remove("sig.fs");
    EXPECT_FALSE(shader.LoadSignature("sig.nsa"));
}
