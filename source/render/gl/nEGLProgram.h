#pragma once

#include "render/gl/nGPUProgramInput.h"
#include "render/nRenderShader.h"

#include <cstdint>
#include <memory>
#include <vector>

class nEGLShader;
class nEGLTexture;
class nShader;

// A linked GLSL program with its inputs. Matrices are given row-major and sent transposed.
class nEGLProgram : public nRenderShader
{
public:
    using nRenderShader::nRenderShader;
    ~nEGLProgram() override;

    virtual nEGLShaderInputLocation* NewInputLocation();
    // Kind 1 uniform, 2 attribute; any other kind resolves to -1.
    virtual bool ResolveInputLocation(const char* name, nEGLShaderInputLocation* location, uint32_t kind);
    // A component count of 0 disables the array; offsets are pointer-sized.
    virtual void SetVertexAttribute(const nEGLShaderInputLocation* location, uint32_t componentCount,
                                    uint32_t dataType, bool normalised, uint32_t stride, const void* pointer);
    virtual void SetUniformInt(const nEGLShaderInputLocation* location, const int32_t* values,
                               uint32_t count);
    virtual void SetUniformFloat(const nEGLShaderInputLocation* location, const float* values,
                                 uint32_t count);
    virtual void SetUniformMatrix4(const nEGLShaderInputLocation* location, const float* values,
                                   uint32_t count);
    virtual void SetUniformMatrix3(const nEGLShaderInputLocation* location, const float* values,
                                   uint32_t count);
    virtual void BindTextureUnit(const nEGLShaderInputLocation* location, const nEGLTexture* texture,
                                 uint32_t unit);
    // Switches attribute arrays from the previous program's to this one's. False for a program
    // that did not link: callers skip the draw.
    virtual bool Bind(const nEGLProgram* previous);
    virtual void Unbind();
    // Takes both shaders; the position attribute is put at location 0 first.
    virtual bool Link(nEGLShader* vertexShader, nEGLShader* fragmentShader);
    virtual void Free();

    // Everything the program held goes; then the shader's two assembled sources are compiled and
    // linked, and its inputs become this program's, texture units given and locations resolved.
    // False when a stage does not compile or the program does not link (the program stays
    // unlinked, so Bind refuses it).
    bool Create(const nShader& shader);
    // The first input of the semantic, or null.
    nGPUProgramInput* FindInput(uint32_t semantic);
    // The first input of the name, or null.
    nGPUProgramInput* FindInput(const char* inputName);

    std::vector<nGPUProgramInput>& GetInputs() { return m_inputs; }
    const std::vector<nGPUProgramInput>& GetInputs() const { return m_inputs; }
    uint32_t GetName() const { return m_name; }

private:
    void SetAttributeArray(int32_t location, bool enable) const;

    std::unique_ptr<nEGLShader> m_vertexShader;
    std::unique_ptr<nEGLShader> m_fragmentShader;
    std::vector<nGPUProgramInput> m_inputs;
    uint32_t m_name = 0;
};
