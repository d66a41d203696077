#include "render/gl/nShaderTreeCompiler.h"

#include "core/base/nLog.h"
#include "platform/nstring/nString.h"
#include "render/gl/nGLSLText.h"
#include "render/shader/nShaderBlock.h"

nShaderTreeCompiler::~nShaderTreeCompiler() = default;

void nShaderTreeCompiler::Reset(nShader* target)
{
    m_code.clear();
    m_vertexCode.clear();
    m_fragmentCode.clear();
    m_records.clear();
    m_temporaries.clear();
    m_counter = 0;
    m_shader = target;
}

nShader* nShaderTreeCompiler::GetShader() const
{
    return m_shader;
}

nCShaderBlock* nShaderTreeCompiler::Compile(nShaderBlock* block, const char* prefix, uint32_t scope)
{
    if (!block)
        return nullptr;
    if (prefix)
        m_code += prefix;
    const int32_t kind = block->GetKind();
    if (kind < ShaderBlockGeometryVertex || kind > ShaderBlockClock)
    {
        nLogHolder::Get() << "[!] Unsupported render block type (" << kind
                          << "), do not known how to compile.\n";
        return nullptr;
    }
    nString blockPrefix;
    block->GetGLSLPrefix(blockPrefix);
    if (const char* text = blockPrefix.GetText())
        m_code.append(text, blockPrefix.GetLength());
    for (const std::unique_ptr<nCShaderBlock>& record : m_records)
    {
        if (record->block == block || record->block->IsEquivalent(*block))
            return record->failed ? nullptr : record.get();
    }
    return Dispatch(*block, scope);
}

nCShaderBlock* nShaderTreeCompiler::Dispatch(nShaderBlock& block, uint32_t scope)
{
    switch (block.GetKind())
    {
    case ShaderBlockGeometryVertex:
        return CompileGeometryVertex(block, scope);
    case ShaderBlockGeometryNormal:
        return CompileGeometryNormal(block, scope);
    case ShaderBlockGeometryUV:
        return CompileGeometryUV(block, scope);
    case ShaderBlockGeometrySkinning:
        return CompileGeometrySkinning(block, scope);
    case ShaderBlockGeometryVertexColor:
        return CompileGeometryVertexColor(block, scope);
    case ShaderBlockGeometryTangentFrame:
        return CompileGeometryTangentFrame(block, scope);
    case ShaderBlockRenderBuffer:
        return CompileRenderBuffer(block, scope);
    case ShaderBlockTexture:
        return CompileTexture(block, scope);
    case ShaderBlockSampler2d:
        return CompileSampler2d(block, scope);
    case ShaderBlockConstant:
        return CompileConstant(block, scope);
    case ShaderBlockColor:
        return CompileColor(block, scope);
    case ShaderBlockMaterialParam:
        return CompileMaterialParam(block, scope);
    case ShaderBlockScreenUV:
        return CompileScreenUV(block, scope);
    case ShaderBlockViewVector:
        return CompileViewVector(block, scope);
    case ShaderBlockViewport:
        return CompileViewport(block, scope);
    case ShaderBlockNormalViewMatrix:
        return CompileNormalViewMatrix(block, scope);
    case ShaderBlockNormalMatrix:
        return CompileNormalMatrix(block, scope);
    case ShaderBlockModelViewMatrix:
        return CompileModelViewMatrix(block, scope);
    case ShaderBlockModelMatrix:
        return CompileModelMatrix(block, scope);
    case ShaderBlockMix:
        return CompileMix(block, scope);
    case ShaderBlockAdd:
        return CompileAdd(block, scope);
    case ShaderBlockMultiply:
        return CompileMul(block, scope);
    case ShaderBlockSubtract:
        return CompileSub(block, scope);
    case ShaderBlockDivide:
        return CompileDiv(block, scope);
    case ShaderBlockDot:
        return CompileDot(block, scope);
    case ShaderBlockCross:
        return CompileCross(block, scope);
    case ShaderBlockClamp:
        return CompileClamp(block, scope);
    case ShaderBlockNormalize:
        return CompileNormalize(block, scope);
    case ShaderBlockSwizzle:
        return CompileSwizzle(block, scope);
    case ShaderBlockBuild:
        return CompileBuild(block, scope);
    case ShaderBlockSinus:
        return CompileSinus(block, scope);
    case ShaderBlockCosinus:
        return CompileCosinus(block, scope);
    case ShaderBlockPow:
        return CompilePow(block, scope);
    case ShaderBlockAbs:
        return CompileAbs(block, scope);
    case ShaderBlockUnpackColorToVector:
        return CompileUnpackColor(block, scope);
    case ShaderBlockPackVectorToColor:
        return CompilePackVector(block, scope);
    case ShaderBlockClock:
        return CompileClock(block, scope);
    default:
        return nullptr;
    }
}

std::string nShaderTreeCompiler::NewName(const char* prefix)
{
    std::string name;
    nGLSLText::AppendFormat(name, "_n_%s%04u", prefix ? prefix : "var", m_counter++);
    return name;
}

nCShaderBlock* nShaderTreeCompiler::NewRecord(const nShaderBlock& block, const char* prefix)
{
    auto record = std::make_unique<nCShaderBlock>();
    record->name = NewName(prefix);
    record->block = &block;
    m_records.push_back(std::move(record));
    return m_records.back().get();
}

nShaderBlock* nShaderTreeCompiler::AddTemporary(nShaderBlock* block)
{
    m_temporaries.emplace_back(block);
    return block;
}
