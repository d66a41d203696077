#include "GLFixture.h"

#include "core/base/nSharedPtr.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLShader.h"

#include <SDL2/SDL.h>

#include <initializer_list>
#include <vector>

namespace
{
const char* const VertexSource = "#version 120\n"
                                 "attribute vec3 Position;\n"
                                 "uniform vec4 Tint;\n"
                                 "void main() { gl_Position = vec4(Position, 1.0) + Tint; }\n";
const char* const FragmentSource = "#version 120\nvoid main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n";

bool ArrayEnabled(GLuint location)
{
    static const auto get =
        reinterpret_cast<PFNGLGETVERTEXATTRIBIVARBPROC>(SDL_GL_GetProcAddress("glGetVertexAttribivARB"));
    GLint enabled = 0;
    get(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED_ARB, &enabled);
    return enabled != 0;
}

float UniformComponent(GLuint program, GLint location, int component)
{
    static const auto get =
        reinterpret_cast<PFNGLGETUNIFORMFVARBPROC>(SDL_GL_GetProcAddress("glGetUniformfvARB"));
    float values[16] = {};
    get(program, location, values);
    return values[component];
}
} // namespace

class ProgramTest : public GLFixture
{
protected:
    nEGLProgram* Linked(std::initializer_list<int32_t> attributeLocations)
    {
        auto* program = renderer.NewProgram();
        held.emplace_back(program);
        auto* vertex = renderer.NewShader();
        auto* fragment = renderer.NewShader();
        EXPECT_TRUE(vertex->Compile(VertexSource, false));
        EXPECT_TRUE(fragment->Compile(FragmentSource, true));
        EXPECT_TRUE(program->Link(vertex, fragment));
        for (int32_t location : attributeLocations)
        {
            nGPUProgramInput input;
            input.kind = nGPUProgramInput::Attribute;
            input.location.reset(program->NewInputLocation());
            input.location->location = location;
            program->GetInputs().push_back(std::move(input));
        }
        return program;
    }
    std::vector<nSharedPtr<nEGLProgram>> held;
};

TEST_F(ProgramTest, CompileErrorLogsTheStageAndGLsLog)
{
    nEGLShader shader;
    EXPECT_FALSE(shader.Compile("#version 120\nvoid main( {", true));
    EXPECT_EQ(shader.GetName(), 0u);
    EXPECT_EQ(log.rfind("[!] Shader compilation error (Fragment).\n[!] ", 0), 0u) << log;
    EXPECT_GT(log.size(), 50u);
}

TEST_F(ProgramTest, LinkErrorLeavesNoProgram)
{
    auto* vertex = renderer.NewShader();
    auto* fragment = renderer.NewShader();
    ASSERT_TRUE(vertex->Compile(VertexSource, false));
    ASSERT_TRUE(fragment->Compile(
        "#version 120\nvoid Missing();\nvoid main() { Missing(); gl_FragColor = vec4(1.0); }\n", true));
    nSharedPtr<nEGLProgram> program(renderer.NewProgram());
    EXPECT_FALSE(program->Link(vertex, fragment));
    EXPECT_EQ(program->GetName(), 0u);
    EXPECT_EQ(log.rfind("[!] Program link error.\n", 0), 0u) << log;
    EXPECT_FALSE(program->Bind(nullptr)) << "an unlinked program draws nothing";
    EXPECT_FALSE(program->Link(nullptr, nullptr));
}

TEST_F(ProgramTest, LocationsAndUniforms)
{
    nEGLProgram* program = Linked({});
    nEGLShaderInputLocation none;
    EXPECT_FALSE(program->ResolveInputLocation("Tint", &none, 0));
    EXPECT_EQ(none.location, -1);

    nEGLShaderInputLocation position;
    ASSERT_TRUE(program->ResolveInputLocation("Position", &position, nGPUProgramInput::Attribute));
    nEGLShaderInputLocation tint;
    ASSERT_TRUE(program->ResolveInputLocation("Tint", &tint, nGPUProgramInput::Uniform));
    ASSERT_TRUE(program->Bind(nullptr));
    const float values[5] = {1, 2, 3, 4, 5};
    program->SetUniformFloat(&tint, values, 4);
    const float others[5] = {9, 9, 9, 9, 9};
    program->SetUniformFloat(&tint, others, 5);
    EXPECT_EQ(log, "[*] Unexpected element count '5'.\n");
    EXPECT_EQ(UniformComponent(program->GetName(), tint.location, 3), 4.0f);
    program->Unbind();
}

TEST_F(ProgramTest, PositionIsBoundToLocationZero)
{
    auto* program = renderer.NewProgram();
    nSharedPtr<nEGLProgram> hold(program);
    nGPUProgramInput input;
    input.name = "Position";
    input.kind = nGPUProgramInput::Attribute;
    input.semantic = 0;
    program->GetInputs().push_back(std::move(input));
    auto* vertex = renderer.NewShader();
    auto* fragment = renderer.NewShader();
    ASSERT_TRUE(vertex->Compile("#version 120\nattribute vec4 Other;\nattribute vec3 Position;\n"
                                "void main() { gl_Position = Other + vec4(Position, 1.0); }\n",
                                false));
    ASSERT_TRUE(fragment->Compile(FragmentSource, true));
    ASSERT_TRUE(program->Link(vertex, fragment));
    nEGLShaderInputLocation location;
    ASSERT_TRUE(program->ResolveInputLocation("Position", &location, nGPUProgramInput::Attribute));
    EXPECT_EQ(location.location, 0);
}

TEST_F(ProgramTest, SwitchingProgramsSwitchesOnlyTheArraysThatDiffer)
{
    nEGLProgram* first = Linked({0, 1, 2, 9, -1});
    nEGLProgram* second = Linked({0, 3, -1});
    ASSERT_TRUE(first->Bind(nullptr));
    for (GLuint location : {0u, 1u, 2u, 9u})
        EXPECT_TRUE(ArrayEnabled(location)) << location;
    ASSERT_TRUE(second->Bind(first));
    EXPECT_TRUE(ArrayEnabled(0));
    EXPECT_TRUE(ArrayEnabled(3));
    for (GLuint location : {1u, 2u, 9u})
        EXPECT_FALSE(ArrayEnabled(location)) << location;
    second->Unbind();
    EXPECT_FALSE(ArrayEnabled(0));
    EXPECT_FALSE(ArrayEnabled(3));
}
