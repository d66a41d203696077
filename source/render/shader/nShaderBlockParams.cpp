#include "render/shader/nShaderBlockParams.h"

#include "core/base/nLog.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaTag.h"
#include "render/nEngineServices.h"
#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nValueShaderBlocks.h"

#include <cstring>

namespace
{
const char kSwizzleLetters[] = "nxyzw";
const char kBuildLetters[] = "01xyzw";

void ReadUnsigned(const nMetaTag& params, const char* path, uint32_t& out)
{
    int32_t value;
    if (const nMetaTag* tag = params.GetTag(path); tag && tag->GetValue().GetInt(value))
        out = uint32_t(value);
}

void ReadFlag(const nMetaTag& params, const char* path, uint8_t& out)
{
    if (const nMetaTag* tag = params.GetTag(path); tag && tag->GetType() != TagTypeNone)
        out = tag->GetBool() ? 1 : 0;
}

void ReadFloats(const nMetaTag& params, const char* path, float out[4])
{
    nVector vector(out[0], out[1], out[2], 1.0f); // a value without a fourth component gets w 1
    if (vector.Parse(params.GetTag(path)))
    {
        out[0] = vector.x;
        out[1] = vector.y;
        out[2] = vector.z;
        out[3] = vector.w;
    }
}

// Reads up to four selectors as letters of the alphabet; the selectors before the first other
// letter stay read.
void ReadMask(const nMetaTag& params, const char* path, const char* alphabet, uint32_t selectors[4],
              const char* failure)
{
    nString mask;
    const nMetaTag* tag = params.GetTag(path);
    if (!tag || !tag->GetValue().GetString(mask))
        return;
    const char* text = mask.GetText() ? mask.GetText() : "";
    for (uint32_t i = 0; i < 4; ++i)
    {
        const char* letter = text[i] ? std::strchr(alphabet, text[i]) : nullptr;
        if (!letter)
        {
            nLogHolder::Get() << failure;
            return;
        }
        selectors[i] = uint32_t(letter - alphabet);
    }
}

void WriteMask(nMetaTag& params, const char* name, const char* alphabet, uint32_t alphabetSize,
               const uint32_t selectors[4])
{
    char mask[5] = {};
    for (uint32_t i = 0; i < 4; ++i)
        mask[i] = selectors[i] < alphabetSize ? alphabet[selectors[i]] : alphabet[0];
    params.AddChildString(name, mask);
}

nMetaTag* WriteFloats(const char* name, const float values[4])
{
    return nVector(values[0], values[1], values[2], values[3]).Serialize(name, true);
}
} // namespace

void ReadShaderBlockParams(nShaderBlock& block, const nMetaTag& params, nEngineServices* engine)
{
    switch (block.GetKind())
    {
    case ShaderBlockGeometryUV:
        ReadUnsigned(params, "Channel;", static_cast<nGeometryUVShaderBlock&>(block).uvSet);
        break;
    case ShaderBlockRenderBuffer:
        ReadUnsigned(params, "Buffer;", static_cast<nRenderBufferShaderBlock&>(block).bufferIndex);
        break;
    case ShaderBlockTexture:
    {
        nString path;
        const nMetaTag* tag = params.GetTag("Texture;");
        if (engine && tag && tag->GetValue().GetString(path) && !path.IsEmpty())
            static_cast<nTextureShaderBlock&>(block).texture =
                engine->LoadTexture(path.GetText(), false, false);
        break;
    }
    case ShaderBlockSampler2d:
    {
        auto& sampler = static_cast<nSampler2dShaderBlock&>(block);
        ReadFlag(params, "WrapU;", sampler.wrapU);
        ReadFlag(params, "WrapV;", sampler.wrapV);
        break;
    }
    case ShaderBlockConstant:
    {
        auto& constant = static_cast<nConstantShaderBlock&>(block);
        ReadUnsigned(params, "Type;", constant.type);
        ReadFloats(params, "Value;", constant.value);
        break;
    }
    case ShaderBlockColor:
        ReadFloats(params, "Color;", static_cast<nColorShaderBlock&>(block).color);
        break;
    case ShaderBlockMaterialParam:
        ReadUnsigned(params, "Param;", static_cast<nMaterialParamShaderBlock&>(block).paramIndex);
        break;
    case ShaderBlockSwizzle:
        ReadMask(params, "Swizzle;", kSwizzleLetters, static_cast<nSwizzleShaderBlock&>(block).selectors,
                 "Unexpected end of swizzle mask.\n");
        break;
    case ShaderBlockBuild:
        ReadMask(params, "Build;", kBuildLetters, static_cast<nBuildShaderBlock&>(block).selectors,
                 "Unexpected end of build mask.\n");
        break;
    default:
        break;
    }
}

void WriteShaderBlockParams(const nShaderBlock& block, nMetaTag& params)
{
    switch (block.GetKind())
    {
    case ShaderBlockGeometryUV:
        params.AddChildInt("Channel", int32_t(static_cast<const nGeometryUVShaderBlock&>(block).uvSet));
        break;
    case ShaderBlockRenderBuffer:
        params.AddChildInt("Buffer",
                           int32_t(static_cast<const nRenderBufferShaderBlock&>(block).bufferIndex));
        break;
    case ShaderBlockTexture:
    {
        const nTexture* texture = static_cast<const nTextureShaderBlock&>(block).texture.Get();
        if (texture && !texture->GetName().IsEmpty())
            params.AddChildString("Texture", texture->GetName().GetText());
        break;
    }
    case ShaderBlockSampler2d:
    {
        const auto& sampler = static_cast<const nSampler2dShaderBlock&>(block);
        params.AddChildBool("WrapU", sampler.wrapU != 0);
        params.AddChildBool("WrapV", sampler.wrapV != 0);
        break;
    }
    case ShaderBlockConstant:
    {
        const auto& constant = static_cast<const nConstantShaderBlock&>(block);
        params.AddChildInt("Type", int32_t(constant.type));
        params.AddChildTag(WriteFloats("Value", constant.value));
        break;
    }
    case ShaderBlockColor:
        params.AddChildTag(WriteFloats("Color", static_cast<const nColorShaderBlock&>(block).color));
        break;
    case ShaderBlockMaterialParam:
        params.AddChildInt("Param", int32_t(static_cast<const nMaterialParamShaderBlock&>(block).paramIndex));
        break;
    case ShaderBlockSwizzle:
        WriteMask(params, "Swizzle", kSwizzleLetters, 5,
                  static_cast<const nSwizzleShaderBlock&>(block).selectors);
        break;
    case ShaderBlockBuild:
        WriteMask(params, "Build", kBuildLetters, 6, static_cast<const nBuildShaderBlock&>(block).selectors);
        break;
    default:
        break;
    }
}

void ReadEditorPosition(const nMetaTag* tag, float& x, float& y)
{
    if (!tag)
        return;
    nLinkedListIterator iterator;
    const nMetaTag* first = tag->GetNextChild(iterator);
    const nMetaTag* second = first ? tag->GetNextChild(iterator) : nullptr;
    float readX, readY;
    if (second && first->GetValue().GetFloat(readX) && second->GetValue().GetFloat(readY))
    {
        x = readX;
        y = readY;
    }
}

nMetaTag* WriteEditorPosition(float x, float y)
{
    nMetaTag* tag = new nMetaTag("Pos");
    if (tag && (!tag->AddChildFloat("X", x) || !tag->AddChildFloat("Y", y)))
    {
        delete tag;
        return nullptr;
    }
    return tag;
}
