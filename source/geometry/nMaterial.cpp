#include "geometry/nMaterial.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "render/shader/nShaderMap.h"

void* nMaterial::operator new(size_t size) noexcept
{
    return MemAllocMaterial(size);
}

void nMaterial::operator delete(void* memory) noexcept
{
    MemFreeMaterial(memory);
}

nMaterial::nMaterial(nEngineServices* engine) : engine(engine)
{
    Reset();
}

nMaterial::~nMaterial()
{
    renderData = nullptr;
    SetShaderMap(nullptr);
}

void nMaterial::Reset()
{
    static_cast<nPhysicMaterial&>(*this) = nPhysicMaterial();
    diffuse = nColor(1.0f, 1.0f, 1.0f, 1.0f);
    specular = nColor(1.0f, 1.0f, 1.0f, 1.0f);
    selfIllumination = nColor(0.0f, 0.0f, 0.0f, 1.0f);
    ambient = nColor(1.0f, 1.0f, 1.0f, 1.0f);
    glossiness = 0.4f;
    opacity = 1.0f;
    reflection = 0.0f;
    ior = 1.0f;
    alphaThreshold = 0.1f;
    maxSmoothingAngle = 0.0f;
    renderFlags = MaterialDefaultRenderFlags;
    blendOp = MaterialBlendNone;
    SetShaderMap(nullptr);
    for (nTextureStage& stage : stages)
        stage.Reset();
    for (nTextureStage*& entry : channelTable)
        entry = nullptr;
    stageCount = 0;
}

void nMaterial::SetShaderMap(nShaderMap* map)
{
    if (map == shaderMap)
        return;
    delete shaderMap;
    shaderMap = map;
}

nTextureStage* nMaterial::AddStage(uint32_t channel, nTexture* texture, uint32_t uvSource, uint32_t uvSet)
{
    if (nTextureStage* existing = GetChannel(channel, true))
        return existing;
    for (nTextureStage& stage : stages)
    {
        if (stage.channel != ChannelNone)
            continue;
        stage.channel = channel;
        stage.texture = texture;
        stage.uvSource = uvSource;
        stage.uvSet = uint8_t(uvSet < 256 ? uvSet : 255);
        stage.active = 1;
        return &stage;
    }
    nLogHolder::Get() << "[*] No texture stage left to create a new stage.\n";
    return nullptr;
}

void nMaterial::Update()
{
    for (nTextureStage& stage : stages)
    {
        if (!stage.active || stage.uvSource != nTextureStage::UVSourceUVMap)
            continue;
        if (stage.uvSet >= nUVMapCount)
        {
            nLogHolder::Get() << "[*] Invalid UVmap index in material '" << name << "', '"
                              << GetChannelName(stage.channel) << "' stage deactivated.\n";
            stage.active = 0;
        }
        else if (!stage.texture)
        {
            nLogHolder::Get() << "[*] No stage texture in material '" << name << "', '"
                              << GetChannelName(stage.channel) << "' stage deactivated.\n";
            stage.active = 0;
        }
    }
    for (uint32_t channel = 0; channel < ChannelCount; ++channel)
    {
        channelTable[channel] = nullptr;
        for (nTextureStage& stage : stages)
        {
            if (stage.channel == channel)
            {
                channelTable[channel] = &stage;
                break;
            }
        }
    }
}

namespace
{
bool SameColor(const nColor& a, const nColor& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

bool SameStage(const nTextureStage& a, const nTextureStage& b)
{
    for (int i = 0; i < 16; ++i)
        if (a.uvMatrix.m[i] != b.uvMatrix.m[i])
            return false;
    return a.active == b.active && a.wrapU == b.wrapU && a.wrapV == b.wrapV && a.uvSet == b.uvSet &&
           a.channel == b.channel && a.texture == b.texture && a.uvSource == b.uvSource && a.op == b.op;
}
} // namespace

bool nMaterial::IsSameAs(const nMaterial& other) const
{
    if (&other == this)
        return true;
    if (!(name == other.name) || !(shaderName == other.shaderName) || !SameColor(diffuse, other.diffuse) ||
        !SameColor(specular, other.specular) || !SameColor(selfIllumination, other.selfIllumination) ||
        !SameColor(ambient, other.ambient) || glossiness != other.glossiness || opacity != other.opacity ||
        reflection != other.reflection || ior != other.ior || alphaThreshold != other.alphaThreshold ||
        maxSmoothingAngle != other.maxSmoothingAngle || renderFlags != other.renderFlags ||
        blendOp != other.blendOp || shaderMap != other.shaderMap || stageCount != other.stageCount)
        return false;
    for (uint32_t i = 0; i < nTextureStageCount; ++i)
        if (!SameStage(stages[i], other.stages[i]))
            return false;
    return mass == other.mass && dynamicFriction == other.dynamicFriction &&
           staticFriction == other.staticFriction && restitution == other.restitution &&
           damping == other.damping && stiffness == other.stiffness && torsion == other.torsion;
}
