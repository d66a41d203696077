#include "render/gl/nGLSLShaderTreeCompiler.h"

#include "core/base/nLog.h"
#include "geometry/nTextureStage.h"
#include "render/gl/nGLSLText.h"
#include "render/gl/nShader.h"
#include "render/gl/nShaderSemantic.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nShaderValueType.h"
#include "render/shader/nValueShaderBlocks.h"

#include <iterator>

// Blocks without inputs: geometry streams, resources and engine values.

nCShaderBlock* nGLSLShaderTreeCompiler::Refuse(nCShaderBlock* record, const char* message)
{
    nLogHolder::Get() << "[!] " << message;
    record->failed = true;
    return nullptr;
}

nCShaderBlock* nGLSLShaderTreeCompiler::EngineValue(nShaderBlock& block, const char* prefix, uint32_t type,
                                                    uint32_t semantic, uint32_t scope)
{
    nCShaderBlock* record = NewRecord(block, prefix);
    GetShader()->AddInput(record->name.c_str(), type, semantic, nShaderInput::Uniform, scope);
    record->type = type;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::Stream(nShaderBlock& block, const char* prefix, const char* attribute,
                                               uint32_t type, uint32_t semantic, const char* varyingType,
                                               const char* vertexFormat)
{
    nCShaderBlock* record = NewRecord(block, prefix);
    GetShader()->AddInput(attribute, type, semantic, nShaderInput::Attribute, nShaderInput::VertexStage);
    GetShader()->AddVarying(record->name.c_str(), varyingType);
    nGLSLText::AppendFormat(m_vertexCode, vertexFormat, record->name.c_str(), attribute);
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileGeometryVertex(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = Stream(block, "vertex", "a_position", ShaderTypeVec3, SemanticPosition, "float4",
                                   "%s = vec4(%s, 1.0);\n");
    record->type = ShaderTypeVec4;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileGeometryNormal(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "normal");
    const std::string varying = NewName("varying_normal");
    GetShader()->AddVarying(varying.c_str(), "float3");
    GetShader()->AddInput("a_normal", ShaderTypeVec3, SemanticNormal, nShaderInput::Attribute,
                          nShaderInput::VertexStage);
    nGLSLText::AppendFormat(m_vertexCode, "%s = %s;\n", varying.c_str(), "a_normal");
    nGLSLText::AppendFormat(m_fragmentCode, "vec3 %s = normalize(%s);\n", record->name.c_str(),
                            varying.c_str());
    record->type = ShaderTypeVec3;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileGeometryUV(nShaderBlock& block, uint32_t)
{
    const auto* uv = dynamic_cast<const nGeometryUVShaderBlock*>(&block);
    const uint32_t set = uv ? uv->uvSet : 0;
    if (set >= nUVMapCount)
    {
        // Only three UV streams exist; a higher set would read another stream's semantic.
        nCShaderBlock* record = NewRecord(block, "uv");
        nLogHolder::Get() << "[!] Invalid UV set (" << set << ").\n";
        record->failed = true;
        return nullptr;
    }
    const std::string attribute = "a_uv" + std::to_string(set);
    nCShaderBlock* record =
        Stream(block, "uv", attribute.c_str(), ShaderTypeVec2, SemanticUV0 + set, "float2", "%s = %s;\n");
    record->type = ShaderTypeVec2;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileGeometrySkinning(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "skin_mtx");
    nShader* shader = GetShader();
    shader->AddInput("bone_mtx", ShaderTypeMat4, SemanticBoneMatrix, nShaderInput::Uniform,
                     nShaderInput::VertexStage, 16);
    shader->AddInput("bone_idx", ShaderTypeVec4, SemanticBoneIndex, nShaderInput::Attribute,
                     nShaderInput::VertexStage);
    shader->AddInput("bone_w", ShaderTypeVec4, SemanticBoneWeight, nShaderInput::Attribute,
                     nShaderInput::VertexStage);
    shader->AddVarying(record->name.c_str(), "mat4");
    nGLSLText::AppendFormat(
        m_vertexCode,
        "%s = bone_mtx[int(bone_idx.x)] * bone_w.x + bone_mtx[int(bone_idx.y)] * bone_w.y + "
        "bone_mtx[int(bone_idx.z)] * bone_w.z + bone_mtx[int(bone_idx.w)] * bone_w.w;\n",
        record->name.c_str());
    record->type = ShaderTypeMat4;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileGeometryVertexColor(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record =
        Stream(block, "vertex_color", "a_rgb", ShaderTypeVec4, SemanticVertexColor, "float4", "%s = %s;\n");
    record->type = ShaderTypeVec4;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileGeometryTangentFrame(nShaderBlock& block, uint32_t scope)
{
    nCShaderBlock* record = NewRecord(block, "tangent_frame");
    nCShaderBlock* normal = Compile(AddTemporary(new nGeometryNormalShaderBlock()), nullptr, scope);
    if (!normal)
    {
        record->failed = true;
        return nullptr;
    }
    nShader* shader = GetShader();
    shader->AddInput("a_tangent", ShaderTypeVec3, SemanticTangent, nShaderInput::Attribute,
                     nShaderInput::VertexStage);
    shader->AddInput("a_bitangent", ShaderTypeVec3, SemanticBitangent, nShaderInput::Attribute,
                     nShaderInput::VertexStage);
    shader->AddVarying("_T", "float3");
    shader->AddVarying("_B", "float3");
    nGLSLText::AppendFormat(m_vertexCode, "_T = %s;\n _B = %s;\n", "a_tangent", "a_bitangent");
    nGLSLText::AppendFormat(m_fragmentCode, "mat3 %s = mat3(normalize(_T), normalize(_B), %s);\n",
                            record->name.c_str(), normal->name.c_str());
    record->type = ShaderTypeMat3;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileRenderBuffer(nShaderBlock&, uint32_t)
{
    return nullptr;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileTexture(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "texture");
    nShaderInput* input = GetShader()->AddInput(record->name.c_str(), ShaderTypeSampler2D, SemanticTexture,
                                                nShaderInput::Uniform, nShaderInput::FragmentStage);
    if (const auto* texture = dynamic_cast<const nTextureShaderBlock*>(&block))
        input->texture = texture->texture;
    record->type = ShaderTypeSampler2D;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileSampler2d(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "texel");
    nCShaderBlock* texture = Compile(block.GetInput(0), nullptr, FragmentStage);
    nCShaderBlock* uv = Compile(block.GetInput(1), nullptr, FragmentStage);
    if (!texture || !uv || texture->type != ShaderTypeSampler2D || uv->type != ShaderTypeVec2)
        return Refuse(record, "Invalid input to the sampler2D block.\n");
    nGLSLText::AppendFormat(m_fragmentCode, "vec4 %s = texture2D(%s, %s);\n", record->name.c_str(),
                            texture->name.c_str(), uv->name.c_str());
    record->type = ShaderTypeVec4;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileConstant(nShaderBlock& block, uint32_t scope)
{
    nCShaderBlock* record = NewRecord(block, "const");
    const auto* constant = dynamic_cast<const nConstantShaderBlock*>(&block);
    // A constant of no vector type has no value a uniform could carry; its parents refuse it.
    if (!constant || (constant->type & ShaderTypeAnyVector) == 0 ||
        (constant->type & (constant->type - 1)) != 0)
        return record;
    nShaderInput* input = GetShader()->AddInput(record->name.c_str(), constant->type, SemanticConstant,
                                                nShaderInput::Uniform, scope);
    for (int i = 0; i < 4; ++i)
        input->value[i] = constant->value[i];
    record->type = constant->type;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileColor(nShaderBlock& block, uint32_t scope)
{
    nCShaderBlock* record = NewRecord(block, "color");
    nShaderInput* input = GetShader()->AddInput(record->name.c_str(), ShaderTypeVec4, SemanticConstant,
                                                nShaderInput::Uniform, scope);
    if (const auto* color = dynamic_cast<const nColorShaderBlock*>(&block))
    {
        for (int i = 0; i < 4; ++i)
            input->value[i] = color->color[i];
    }
    record->type = ShaderTypeVec4;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileMaterialParam(nShaderBlock& block, uint32_t scope)
{
    struct Parameter
    {
        uint32_t type;
        uint32_t semantic;
    };
    static const Parameter Parameters[] = {
        {ShaderTypeVec4, SemanticMaterialDiffuse},     {ShaderTypeVec4, SemanticMaterialSpecular},
        {ShaderTypeVec4, SemanticMaterialSelf},        {ShaderTypeVec4, SemanticMaterialAmbient},
        {ShaderTypeFloat, SemanticMaterialGlossiness}, {ShaderTypeFloat, SemanticMaterialOpacity},
        {ShaderTypeFloat, SemanticMaterialReflection},
    };
    const auto* parameter = dynamic_cast<const nMaterialParamShaderBlock*>(&block);
    if (!parameter || parameter->paramIndex >= std::size(Parameters))
        return NewRecord(block, "mat_param");
    const Parameter& value = Parameters[parameter->paramIndex];
    return EngineValue(block, "mat_param", value.type, value.semantic, scope);
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileScreenUV(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "screen_uv");
    nGLSLText::AppendFormat(m_fragmentCode, "vec2 %s = vec2(gl_FragCoord.x, gl_FragCoord.y);\n",
                            record->name.c_str());
    record->type = ShaderTypeVec2;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileViewVector(nShaderBlock& block, uint32_t scope)
{
    return EngineValue(block, "view_vector", ShaderTypeVec3, SemanticViewVector, scope);
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileViewport(nShaderBlock& block, uint32_t scope)
{
    return EngineValue(block, "viewport", ShaderTypeVec4, SemanticViewport, scope);
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileNormalViewMatrix(nShaderBlock& block, uint32_t scope)
{
    return EngineValue(block, "normal_view_matrix", ShaderTypeMat3, SemanticNormalViewMatrix, scope);
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileNormalMatrix(nShaderBlock& block, uint32_t scope)
{
    return EngineValue(block, "normal_matrix", ShaderTypeMat3, SemanticNormalMatrix, scope);
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileModelViewMatrix(nShaderBlock& block, uint32_t scope)
{
    return EngineValue(block, "model_view_matrix", ShaderTypeMat4, SemanticModelViewMatrix, scope);
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileModelMatrix(nShaderBlock& block, uint32_t scope)
{
    return EngineValue(block, "model_matrix", ShaderTypeMat4, SemanticModelMatrix, scope);
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileClock(nShaderBlock& block, uint32_t scope)
{
    return EngineValue(block, "clock", ShaderTypeFloat, SemanticClock, scope);
}
