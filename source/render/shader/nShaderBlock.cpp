#include "render/shader/nShaderBlock.h"

#include "platform/nstring/nString.h"
#include "render/shader/nShaderKindTable.h"
#include "render/shader/nShaderTypeMemo.h"
#include "render/shader/nShaderValueType.h"

#include <unordered_set>
#include <vector>

nShaderBlock::nShaderBlock(int32_t kind, nShaderBlock** inputs, uint32_t inputCount)
    : m_kind(kind), m_inputs(inputs), m_inputCount(inputCount)
{
}

uint32_t nShaderBlock::GetInputCount() const
{
    return m_inputCount;
}

nShaderBlock* nShaderBlock::GetInput(uint32_t index) const
{
    return index < m_inputCount ? m_inputs[index] : nullptr;
}

bool nShaderBlock::SetInput(uint32_t index, nShaderBlock* block)
{
    if (index >= m_inputCount)
        return false;
    if (block &&
        ((block->GetOutputType() & GetInputDescriptor(index)->acceptedTypes) == 0 || IsReachableFrom(block)))
        return false;
    m_inputs[index] = block;
    return true;
}

const nShaderInputDescriptor* nShaderBlock::GetInputDescriptor(uint32_t index) const
{
    return index < m_inputCount ? &ShaderKindInfo(m_kind)->inputs[index] : nullptr;
}

const nShaderBlockDescriptor& nShaderBlock::GetDescriptor() const
{
    return ShaderKindInfo(m_kind)->descriptor;
}

uint32_t nShaderBlock::GetOutputType() const
{
    if (uint32_t fixed = ShaderKindInfo(m_kind)->fixedOutputType)
        return fixed;
    nShaderTypeMemo memo;
    return memo.TypeOf(this);
}

void nShaderBlock::GetName(nString& out) const
{
    out = ShaderKindInfo(m_kind)->displayName;
}

void nShaderBlock::GetGLSLPrefix(nString& out) const
{
    out = ShaderKindInfo(m_kind)->glslPrefix;
}

const char* nShaderBlock::GetKindName(int32_t kind)
{
    if (kind == ShaderBlockNone)
        return "None";
    const nShaderKindInfo* info = ShaderKindInfo(kind);
    return info ? info->kindName : "Invalid";
}

bool nShaderBlock::IsReachableFrom(const nShaderBlock* start) const
{
    std::vector<const nShaderBlock*> pending{start};
    std::unordered_set<const nShaderBlock*> seen;
    while (!pending.empty())
    {
        const nShaderBlock* block = pending.back();
        pending.pop_back();
        if (block == this)
            return true;
        if (!block || !seen.insert(block).second)
            continue;
        for (uint32_t i = 0; i < block->m_inputCount; ++i)
            pending.push_back(block->m_inputs[i]);
    }
    return false;
}

uint32_t nShaderBlock::ComputeOutputType(nShaderTypeMemo&) const
{
    return ShaderKindInfo(m_kind)->fixedOutputType;
}

uint32_t nShaderBlock::InputType(uint32_t index, nShaderTypeMemo& memo) const
{
    const nShaderBlock* input = GetInput(index);
    return input ? memo.TypeOf(input) : 0;
}

uint32_t nShaderTypeMemo::TypeOf(const nShaderBlock* block)
{
    auto found = m_types.find(block);
    if (found != m_types.end())
        return found->second;
    uint32_t type = block->ComputeOutputType(*this);
    m_types.emplace(block, type);
    return type;
}
