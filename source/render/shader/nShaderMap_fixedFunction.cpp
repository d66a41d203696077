#include "render/shader/nShaderMap.h"

#include "core/base/nLog.h"
#include "geometry/nMaterial.h"
#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nOperatorShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nSceneShaderBlocks.h"
#include "render/shader/nValueShaderBlocks.h"

#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

namespace
{
using Swizzle = nSwizzleShaderBlock;
using Build = nBuildShaderBlock;

// Every block made for one conversion. A block whose connection was refused (or whose parent could
// not be allocated) ends up reachable from nothing; Sweep deletes those, so nothing leaks.
class BlockArena
{
public:
    template <typename Block, typename... Args> Block* Make(Args&&... args)
    {
        Block* block = new (std::nothrow) Block(std::forward<Args>(args)...);
        if (block)
            m_blocks.push_back(block);
        return block;
    }

    // A new block with its inputs connected in order (a null input leaves its place empty).
    template <typename Block, typename... Args>
    Block* Connect(std::initializer_list<nShaderBlock*> inputs, Args&&... args)
    {
        Block* block = Make<Block>(std::forward<Args>(args)...);
        uint32_t index = 0;
        for (nShaderBlock* input : inputs)
        {
            if (block && input)
                block->SetInput(index, input);
            ++index;
        }
        return block;
    }

    void Sweep(const std::vector<nShaderBlock*>& kept)
    {
        std::unordered_set<nShaderBlock*> keep(kept.begin(), kept.end());
        for (nShaderBlock* block : m_blocks)
            if (!keep.count(block))
                delete block;
        m_blocks.clear();
    }

private:
    std::vector<nShaderBlock*> m_blocks;
};

nShaderBlock* SurfaceNormal(BlockArena& arena, nShaderBlock* normal)
{
    return normal ? normal : arena.Make<nGeometryNormalShaderBlock>();
}

nShaderBlock* SphericalEnvironmentUV(BlockArena& arena, nShaderBlock* normal)
{
    nShaderBlock* n = arena.Connect<nMulOperatorShaderBlock>(
        {arena.Make<nNormalMatrixShaderBlock>(), SurfaceNormal(arena, normal)});
    nShaderBlock* negated =
        arena.Connect<nMulOperatorShaderBlock>({arena.Make<nConstantShaderBlock>(-1.0f, -1.0f, -1.0f), n});
    nShaderBlock* d = arena.Connect<nAbsShaderBlock>(
        {arena.Connect<nDotOperatorShaderBlock>({negated, arena.Make<nViewVectorShaderBlock>()})});
    nShaderBlock* spread =
        arena.Connect<Build>({d, d, d}, Build::BuildX, Build::BuildX, Build::BuildX, Build::BuildW);
    nShaderBlock* doubled =
        arena.Connect<nMulOperatorShaderBlock>({n, arena.Make<nConstantShaderBlock>(2.0f, 2.0f, 2.0f)});
    nShaderBlock* r = arena.Connect<nNormalizeOperatorShaderBlock>({arena.Connect<nAddOperatorShaderBlock>(
        {arena.Make<nViewVectorShaderBlock>(), arena.Connect<nMulOperatorShaderBlock>({spread, doubled})})});
    nShaderBlock* v = arena.Connect<nPackVectorToColorShaderBlock>(
        {arena.Connect<Build>({r}, Build::BuildY, Build::BuildY, Build::BuildZ, Build::BuildW)});
    nShaderBlock* e = arena.Connect<nNormalizeOperatorShaderBlock>(
        {arena.Connect<Build>({r, r}, Build::BuildX, Build::BuildZ, Build::BuildZero, Build::BuildW)});
    nShaderBlock* up =
        arena.Connect<nDotOperatorShaderBlock>({arena.Make<nConstantShaderBlock>(0.0f, 1.0f, 0.0f), e});
    nShaderBlock* upSign = arena.Connect<nDivOperatorShaderBlock>(
        {arena.Connect<nDotOperatorShaderBlock>({arena.Make<nConstantShaderBlock>(0.0f, 1.0f, 0.0f), e}),
         arena.Connect<nAbsShaderBlock>({up})});
    nShaderBlock* side = arena.Connect<nPackVectorToColorShaderBlock>(
        {arena.Connect<nDotOperatorShaderBlock>({arena.Make<nConstantShaderBlock>(1.0f, 0.0f, 0.0f), e})});
    nShaderBlock* u = arena.Connect<nPackVectorToColorShaderBlock>(
        {arena.Connect<nMulOperatorShaderBlock>({side, upSign})});
    return arena.Connect<Build>({v, u}, Build::BuildX, Build::BuildX, Build::BuildZ, Build::BuildW);
}

nShaderBlock* StageUV(BlockArena& arena, const nTextureStage& stage, nShaderBlock* normal)
{
    switch (stage.uvSource)
    {
    case nTextureStage::UVSourceConstant:
        return arena.Make<nConstantShaderBlock>(0.5f, 0.5f);
    case nTextureStage::UVSourceUVMap:
        return arena.Make<nGeometryUVShaderBlock>(stage.uvSet);
    case nTextureStage::UVSourceLocalNormal:
    {
        nShaderBlock* viewNormal = arena.Connect<nMulOperatorShaderBlock>(
            {arena.Make<nNormalViewMatrixShaderBlock>(), SurfaceNormal(arena, normal)});
        return arena.Connect<Swizzle>({arena.Connect<nPackVectorToColorShaderBlock>({viewNormal})},
                                      Swizzle::SelectX, Swizzle::SelectY, Swizzle::SelectNone,
                                      Swizzle::SelectNone);
    }
    case nTextureStage::UVSourceFrontMap:
    {
        nShaderBlock* viewportSize =
            arena.Connect<Swizzle>({arena.Make<nViewportShaderBlock>()}, Swizzle::SelectZ, Swizzle::SelectW,
                                   Swizzle::SelectNone, Swizzle::SelectNone);
        nShaderBlock* screen =
            arena.Connect<nDivOperatorShaderBlock>({arena.Make<nScreenUVShaderBlock>(), viewportSize});
        nShaderBlock* uv =
            arena.Connect<nMulOperatorShaderBlock>({arena.Make<nConstantShaderBlock>(1.0f, -1.0f), screen});
        if (stage.channel != ChannelReflection || !normal)
            return uv;
        nShaderBlock* normalXY = arena.Connect<Swizzle>({normal}, Swizzle::SelectX, Swizzle::SelectY,
                                                        Swizzle::SelectNone, Swizzle::SelectNone);
        nShaderBlock* offset = arena.Connect<nMulOperatorShaderBlock>(
            {normalXY, arena.Make<nConstantShaderBlock>(0.01f, 0.01f)});
        return arena.Connect<nAddOperatorShaderBlock>({uv, offset});
    }
    case nTextureStage::UVSourceSphericalEnvironment:
        return SphericalEnvironmentUV(arena, normal);
    default:
        return nullptr;
    }
}

nShaderBlock* StageTree(BlockArena& arena, const nMaterial& material, const nTextureStage& stage,
                        nShaderBlock* normal)
{
    nSampler2dShaderBlock* sampler = arena.Connect<nSampler2dShaderBlock>(
        {arena.Make<nTextureShaderBlock>(stage.texture.Get()), StageUV(arena, stage, normal)});
    if (sampler)
    {
        sampler->wrapU = stage.wrapU;
        sampler->wrapV = stage.wrapV;
    }
    if (stage.channel != ChannelNormal)
        return sampler;
    nShaderBlock* unpacked = arena.Connect<nUnpackColorToVectorShaderBlock>({arena.Connect<Swizzle>(
        {sampler}, Swizzle::SelectX, Swizzle::SelectY, Swizzle::SelectZ, Swizzle::SelectNone)});
    if (!(material.renderFlags & MaterialNormalMapTangent))
        return unpacked;
    return arena.Connect<nMulOperatorShaderBlock>({arena.Make<nGeometryTangentFrameShaderBlock>(), unpacked});
}

nShaderBlock* ChannelTree(BlockArena& arena, const nMaterial& material, uint32_t channel,
                          nShaderBlock* normal)
{
    return StageTree(arena, material, *material.GetChannel(channel, false), normal);
}

nShaderBlock* Component(BlockArena& arena, nShaderBlock* source, uint32_t selector)
{
    return arena.Connect<Swizzle>({source}, selector, Swizzle::SelectNone, Swizzle::SelectNone,
                                  Swizzle::SelectNone);
}
} // namespace

nShaderBlock* nShaderMap::BuildStageTree(const nMaterial& material, const nTextureStage& stage,
                                         nShaderBlock* normal)
{
    BlockArena arena;
    nShaderBlock* tree = StageTree(arena, material, stage, normal);
    nShaderMap reached;
    reached.roots[0] = tree;
    arena.Sweep(reached.CollectBlocks());
    reached.roots[0] = nullptr;
    return tree;
}

nShaderMap* nShaderMap::CreateFromFixedFunction(const nMaterial& material)
{
    nShaderMap* map = new nShaderMap();
    if (!map)
    {
        nLogHolder::Get() << "[!] Failed to allocate conversion render map.\n";
        return nullptr;
    }
    BlockArena arena;
    auto active = [&](uint32_t channel) { return material.IsChannelActive(channel); };
    auto parameter = [&](uint32_t index) -> nShaderBlock*
    { return arena.Make<nMaterialParamShaderBlock>(index); };

    nShaderBlock* normal = active(ChannelNormal)
                               ? static_cast<nShaderBlock*>(arena.Connect<nNormalizeOperatorShaderBlock>(
                                     {ChannelTree(arena, material, ChannelNormal, nullptr)}))
                               : arena.Make<nGeometryNormalShaderBlock>();

    nShaderBlock* diffuse = active(ChannelDiffuse) ? ChannelTree(arena, material, ChannelDiffuse, normal)
                                                   : parameter(nMaterialParamShaderBlock::ParamDiffuse);
    nShaderBlock* vertexColor = nullptr;
    if (active(ChannelBlendRGB))
    {
        nShaderBlock* red = Component(arena, arena.Make<nGeometryVertexColorShaderBlock>(), Swizzle::SelectX);
        diffuse = arena.Connect<nMixOperatorShaderBlock>(
            {ChannelTree(arena, material, ChannelBlendRGB, normal), diffuse, red});
    }
    else if (material.renderFlags & MaterialVertexColor)
    {
        vertexColor = arena.Make<nGeometryVertexColorShaderBlock>();
        nShaderBlock* rgbOne = arena.Connect<Build>({vertexColor, vertexColor, vertexColor}, Build::BuildX,
                                                    Build::BuildY, Build::BuildZ, Build::BuildOne);
        diffuse = arena.Connect<nMulOperatorShaderBlock>({diffuse, rgbOne});
    }
    if (active(ChannelDecal))
    {
        nShaderBlock* decal = ChannelTree(arena, material, ChannelDecal, normal);
        diffuse = arena.Connect<nMixOperatorShaderBlock>(
            {decal, diffuse, Component(arena, decal, Swizzle::SelectW)});
    }
    if (active(ChannelLightmap))
        diffuse = arena.Connect<nMulOperatorShaderBlock>(
            {diffuse, ChannelTree(arena, material, ChannelLightmap, normal)});

    nShaderBlock* constant = active(ChannelSelfIllumination)
                                 ? ChannelTree(arena, material, ChannelSelfIllumination, normal)
                                 : parameter(nMaterialParamShaderBlock::ParamSelfIllumination);
    nShaderBlock* specular = active(ChannelSpecular) ? ChannelTree(arena, material, ChannelSpecular, normal)
                                                     : parameter(nMaterialParamShaderBlock::ParamSpecular);
    if (active(ChannelReflection))
    {
        const nTextureStage& stage = *material.GetChannel(ChannelReflection, false);
        nShaderBlock* reflection = ChannelTree(arena, material, ChannelReflection, normal);
        if (stage.op == nTextureStage::OperatorNone || stage.op == nTextureStage::OperatorAdd)
            constant = arena.Connect<nAddOperatorShaderBlock>({constant, reflection});
        else if (stage.op == nTextureStage::OperatorMultiply)
            diffuse = arena.Connect<nMulOperatorShaderBlock>({diffuse, reflection});
    }
    nShaderBlock* glossiness =
        active(ChannelGlossiness)
            ? Component(arena, ChannelTree(arena, material, ChannelGlossiness, normal), Swizzle::SelectX)
            : parameter(nMaterialParamShaderBlock::ParamGlossiness);
    nShaderBlock* opacity =
        active(ChannelOpacity)
            ? Component(arena, ChannelTree(arena, material, ChannelOpacity, normal), Swizzle::SelectW)
            : parameter(nMaterialParamShaderBlock::ParamOpacity);
    if (vertexColor)
        opacity = arena.Connect<nMulOperatorShaderBlock>(
            {opacity, Component(arena, vertexColor, Swizzle::SelectW)});

    map->roots[RootNormal] = normal;
    map->roots[RootDiffuse] = diffuse;
    map->roots[RootSpecular] = specular;
    map->roots[RootGlossiness] = glossiness;
    map->roots[RootConstant] = constant;
    map->roots[RootOpacity] = opacity;
    map->roots[RootReflection] = parameter(nMaterialParamShaderBlock::ParamReflection);
    arena.Sweep(map->CollectBlocks());
    return map;
}
