#pragma once

#include "core/base/nSharedObject.h"
#include "core/base/nSharedPtr.h"
#include "core/nml/nMetaObject.h"
#include "platform/nstring/nString.h"
#include "render/gl/nShaderInput.h"

#include <cstdint>
#include <memory>
#include <vector>

// A GLSL program before it is compiled: its inputs, varyings and the code of both stages, in
// which %in.x% and %out.x% placeholders and the float2/float3/float4 spellings stand until
// AssembleGLSL makes the two sources. Material passes build one in memory; the shader library
// reads them from ".nsa" files (root tag "Shader").
class nShader : public nSharedObject, public nMetaObject
{
public:
    explicit nShader(const char* name = nullptr, const char* vertexCode = nullptr,
                     const char* fragmentCode = nullptr);

    nString name;
    nString vertexDeclarations;
    nString vertexCode;
    nString fragmentDeclarations;
    nString fragmentCode;

    // Vertex streams are one input per semantic; any other input is one per name and semantic.
    // An input met again gains the new scope bits and nothing else.
    nShaderInput* AddInput(const char* inputName, uint32_t type, uint32_t semantic, uint32_t kind,
                           uint32_t scope, uint32_t count = 1);
    nShaderVarying* AddVarying(const char* varyingName, const char* type);
    const std::vector<std::unique_ptr<nShaderInput>>& GetInputs() const { return m_inputs; }
    const std::vector<std::unique_ptr<nShaderVarying>>& GetVaryings() const { return m_varyings; }
    void ClearInputs();

    // A code file that cannot be read fails the read with one line naming it. Paths are read as
    // written; one without a mount prefix is then tried in the document's folder.
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    // Inputs and a Varying tag only: the code, the name and the scopes are not written.
    nMetaTag* SerializeTag(nMetaFile& file) override;
    // The inputs and varyings of the document at the path, and its two code files appended to
    // this shader's code.
    bool LoadSignature(const char* path);

    // The two GLSL 1.20 sources: "#version 120", the declarations of the inputs (attributes in the
    // vertex stage only; inputs of type none are the code's own), the varyings, the declarations
    // and the code with its placeholders replaced. Code that defines main() itself stands as
    // written; other code becomes the body of main().
    bool AssembleGLSL(nString& vertexSource, nString& fragmentSource, bool precision) const;
    void AssembleGLSL(std::string& vertexSource, std::string& fragmentSource, bool precision) const;

private:
    void ReadInputs(const nMetaTag& inputs);
    void ReadVaryings(const nMetaTag& varyings);
    // The whole file at the path (or beside the document) into out; false after a line.
    bool ReadCodeFile(const nMetaTag& tag, const nString& documentPath, nString& out) const;

    std::vector<std::unique_ptr<nShaderInput>> m_inputs;
    std::vector<std::unique_ptr<nShaderVarying>> m_varyings;
};
