#include "render/gl/nEGLProgram.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLInfoLog.h"
#include "render/gl/nEGLShader.h"
#include "render/gl/nEGLTables.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nShader.h"
#include "render/gl/nShaderSemantic.h"

#include <string>
#include <vector>

namespace
{
constexpr uint32_t PositionSemantic = 0;

void WarnElementCount(uint32_t count)
{
    nLogHolder::Get() << "[*] Unexpected element count '" << count << "'.\n";
}

uint32_t AttributeLocationCount()
{
    GLint count = 0;
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS_ARB, &count);
    return count > 0 ? static_cast<uint32_t>(count) : 0;
}
} // namespace

nEGLProgram::~nEGLProgram()
{
    Free();
}

nEGLShaderInputLocation* nEGLProgram::NewInputLocation()
{
    return new nEGLShaderInputLocation();
}

bool nEGLProgram::ResolveInputLocation(const char* name, nEGLShaderInputLocation* location, uint32_t kind)
{
    GLint resolved = -1;
    if (kind == nGPUProgramInput::Uniform)
        resolved = EGL().GetUniformLocation(m_name, name);
    else if (kind == nGPUProgramInput::Attribute)
        resolved = EGL().GetAttribLocation(m_name, name);
    location->location = resolved;
    return resolved != -1;
}

void nEGLProgram::SetAttributeArray(int32_t location, bool enable) const
{
    if (location < 0)
        return;
    if (enable)
        EGL().EnableVertexAttribArray(static_cast<GLuint>(location));
    else
        EGL().DisableVertexAttribArray(static_cast<GLuint>(location));
}

void nEGLProgram::SetVertexAttribute(const nEGLShaderInputLocation* location, uint32_t componentCount,
                                     uint32_t dataType, bool normalised, uint32_t stride, const void* pointer)
{
    if (location->location < 0)
        return;
    if (componentCount == 0)
    {
        SetAttributeArray(location->location, false);
        return;
    }
    GLenum type = GL_FLOAT;
    nEGLTables::AttributeType(dataType, type);
    EGL().VertexAttribPointer(static_cast<GLuint>(location->location), static_cast<GLint>(componentCount),
                              type, normalised ? GL_TRUE : GL_FALSE, static_cast<GLsizei>(stride), pointer);
}

void nEGLProgram::SetUniformInt(const nEGLShaderInputLocation* location, const int32_t* values,
                                uint32_t count)
{
    switch (count)
    {
    case 1:
        EGL().Uniform1iv(location->location, 1, values);
        break;
    case 2:
        EGL().Uniform2iv(location->location, 1, values);
        break;
    default:
        WarnElementCount(count);
        break;
    }
}

void nEGLProgram::SetUniformFloat(const nEGLShaderInputLocation* location, const float* values,
                                  uint32_t count)
{
    switch (count)
    {
    case 1:
        EGL().Uniform1fv(location->location, 1, values);
        break;
    case 2:
        EGL().Uniform2fv(location->location, 1, values);
        break;
    case 3:
        EGL().Uniform3fv(location->location, 1, values);
        break;
    case 4:
        EGL().Uniform4fv(location->location, 1, values);
        break;
    default:
        WarnElementCount(count);
        break;
    }
}

void nEGLProgram::SetUniformMatrix4(const nEGLShaderInputLocation* location, const float* values,
                                    uint32_t count)
{
    EGL().UniformMatrix4fv(location->location, static_cast<GLsizei>(count), GL_TRUE, values);
}

void nEGLProgram::SetUniformMatrix3(const nEGLShaderInputLocation* location, const float* values,
                                    uint32_t count)
{
    EGL().UniformMatrix3fv(location->location, static_cast<GLsizei>(count), GL_TRUE, values);
}

void nEGLProgram::BindTextureUnit(const nEGLShaderInputLocation* location, const nEGLTexture* texture,
                                  uint32_t unit)
{
    EGL().ActiveTexture(GL_TEXTURE0_ARB + unit);
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->GetName() : 0);
    EGL().Uniform1i(location->location, static_cast<GLint>(unit));
}

bool nEGLProgram::Bind(const nEGLProgram* previous)
{
    EGL().UseProgramObject(m_name);
    if (m_name == 0)
        return false;
    if (previous == nullptr)
    {
        for (const nGPUProgramInput& input : m_inputs)
        {
            if (input.kind == nGPUProgramInput::Attribute && input.location)
                SetAttributeArray(input.location->location, true);
        }
        return true;
    }
    enum : uint8_t
    {
        Unused,
        UsedBefore,
        UsedNow
    };
    std::vector<uint8_t> table(AttributeLocationCount(), Unused);
    auto tracked = [&table](const nGPUProgramInput& input)
    {
        return input.kind == nGPUProgramInput::Attribute && input.location && input.location->location >= 0 &&
               static_cast<uint32_t>(input.location->location) < table.size();
    };
    for (const nGPUProgramInput& input : previous->m_inputs)
    {
        if (tracked(input))
            table[static_cast<uint32_t>(input.location->location)] = UsedBefore;
    }
    for (const nGPUProgramInput& input : m_inputs)
    {
        if (!tracked(input))
            continue;
        uint8_t& entry = table[static_cast<uint32_t>(input.location->location)];
        if (entry != UsedBefore)
            SetAttributeArray(input.location->location, true);
        entry = UsedNow;
    }
    for (uint32_t location = 0; location < table.size(); ++location)
    {
        if (table[location] == UsedBefore)
            SetAttributeArray(static_cast<int32_t>(location), false);
    }
    return true;
}

void nEGLProgram::Unbind()
{
    for (const nGPUProgramInput& input : m_inputs)
    {
        if (input.kind == nGPUProgramInput::Attribute && input.location)
            SetAttributeArray(input.location->location, false);
    }
    EGL().UseProgramObject(0);
}

bool nEGLProgram::Link(nEGLShader* vertexShader, nEGLShader* fragmentShader)
{
    if (vertexShader == nullptr || fragmentShader == nullptr)
        return false;
    Free();
    m_vertexShader.reset(vertexShader);
    m_fragmentShader.reset(fragmentShader);
    m_name = EGL().CreateProgramObject();
    EGL().AttachObject(m_name, vertexShader->GetName());
    EGL().AttachObject(m_name, fragmentShader->GetName());
    for (const nGPUProgramInput& input : m_inputs)
    {
        if (input.kind == nGPUProgramInput::Attribute && input.semantic == PositionSemantic)
            EGL().BindAttribLocation(m_name, 0, input.name.GetText());
    }
    EGL().LinkProgram(m_name);
    GLint status = 0;
    EGL().GetProgramiv(m_name, GL_LINK_STATUS, &status);
    if (status == GL_TRUE)
        return true;
    nLogHolder::Get() << "[!] Program link error.\n";
    LogInfoLog(EGL().GetInfoLog, m_name);
    EGL().DeleteProgramObject(m_name);
    m_name = 0;
    return false;
}

void nEGLProgram::Free()
{
    if (m_name != 0)
    {
        if (m_vertexShader)
            EGL().DetachObject(m_name, m_vertexShader->GetName());
        if (m_fragmentShader)
            EGL().DetachObject(m_name, m_fragmentShader->GetName());
        EGL().DeleteProgramObject(m_name);
        m_name = 0;
    }
    m_vertexShader.reset();
    m_fragmentShader.reset();
}

bool nEGLProgram::Create(const nShader& shader)
{
    Free();
    m_inputs.clear();
    if (!shader.name.IsEmpty() && !shader.vertexCode.IsEmpty())
        nLogHolder::Get() << "Creating program '" << shader.name << "'...\n";

    // The inputs come first: linking puts the position attribute at location 0 by them.
    m_inputs.reserve(shader.GetInputs().size());
    uint32_t unit = 0;
    for (const std::unique_ptr<nShaderInput>& declared : shader.GetInputs())
    {
        nGPUProgramInput input;
        static_cast<nShaderInput&>(input) = *declared;
        if (input.kind == nGPUProgramInput::Uniform && nShaderSemantic::IsTexture(input.semantic))
            input.unit = unit++;
        input.location.reset(NewInputLocation());
        m_inputs.push_back(std::move(input));
    }

    std::string vertexSource;
    std::string fragmentSource;
    shader.AssembleGLSL(vertexSource, fragmentSource, false);
    std::unique_ptr<nEGLShader> vertex(new nEGLShader());
    std::unique_ptr<nEGLShader> fragment(new nEGLShader());
    if (!vertex->Compile(vertexSource.c_str(), false) || !fragment->Compile(fragmentSource.c_str(), true) ||
        !Link(vertex.release(), fragment.release()))
        return false;
    for (nGPUProgramInput& input : m_inputs)
        ResolveInputLocation(input.name.GetText() ? input.name.GetText() : "", input.location.get(),
                             input.kind);
    return true;
}

nGPUProgramInput* nEGLProgram::FindInput(uint32_t semantic)
{
    for (nGPUProgramInput& input : m_inputs)
    {
        if (input.semantic == semantic)
            return &input;
    }
    return nullptr;
}

nGPUProgramInput* nEGLProgram::FindInput(const char* inputName)
{
    for (nGPUProgramInput& input : m_inputs)
    {
        if (input.name == inputName)
            return &input;
    }
    return nullptr;
}
