#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "core/io/nIOSystem.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "platform/nPlatform.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRBO.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nGPUTerrainCache.h"
#include "render/gl/nShader.h"

#include <algorithm>

const char* const nGPURenderer::LibraryFiles[LibraryProgramCount] = {
    "single_texture_color.nsa",
    "single_texture.nsa",
    "single_color.nsa",
    "simple_color.nsa",
    "simple.nsa",
    "single_texture_cutoff.nsa",
    "single_texture_fx.nsa",
    "tone_mapping.nsa",
    "ambient.nsa",
    "deferred/spotlight.nsa",
    "deferred/spotlight_shadow.nsa",
    "deferred/pointlight.nsa",
    "deferred/pointlight_shadow.nsa",
    "deferred/linearlight.nsa",
    "deferred/linearlight_shadow.nsa",
    "deferred/ds_fog.nsa",
    "fs_fog.nsa",
    "fx_blur.nsa",
    "noise.nsa",
    "ssaa.nsa",
    "ssao.nsa",
    "ssao_blur.nsa",
};

namespace
{
const char* const PCFTags[] = {"PCF:4x4;", "PCF:3x3;", "PCF:2x2;", "PCF:1x1;"};
const char* const PSSMTags[] = {"PSSM:2Split;", "PSSM:3Split;", "PSSM:4Split;"};
} // namespace

nGPURenderer::nGPURenderer(nEngineServices* engine) : nRenderer(engine) {}

nGPURenderer::~nGPURenderer()
{
    DetachMaterials();
}

bool nGPURenderer::LoadShaderDictionary()
{
    const nString dictionaryPath = nString(LibraryFolder) + "dict.txt";
    auto dictionary = std::make_unique<nMetaFile>();
    if (!nPlatform::Get().GetIOSystem().Exists(dictionaryPath) || !dictionary->Load(dictionaryPath.GetText()))
    {
        nLogHolder::Get() << "[!] Shader dictionnaty missing.\n";
        return false;
    }
    m_dictionary = std::move(dictionary);
    return true;
}

bool nGPURenderer::LoadShaderLibrary()
{
    if (!LoadShaderDictionary())
        return false;
    for (uint32_t slot = 0; slot < LibraryProgramCount; ++slot)
        m_library[slot] = LoadLibraryProgram((nString(LibraryFolder) + LibraryFiles[slot]).GetText());
    return true;
}

nEGLProgram* nGPURenderer::LoadLibraryProgram(const char* path)
{
    nShader shader;
    if (!ReadLibraryShader(path, shader))
        return nullptr;
    return static_cast<nEGLProgram*>(NewMaterialProgram(&shader));
}

bool nGPURenderer::ReadLibraryShader(const char* path, nShader& shader) const
{
    if (!path || !shader.Load(path))
        return false;
    const char* const macros[] = {"#(UnpackNormalDepth)", "#(ComputePCF)", "#(DispatchPSSM)",
                                  "#(MoveTowardsLight)", nullptr};
    const char* texts[] = {GetDictionaryText("UnpackGBuffer:Float;"), GetDictionaryText(GetPCFTag()),
                           GetDictionaryText(GetPSSMTag()),
                           GetDictionaryText(nMaterialPassTexts().towardsLightTag), nullptr};
    for (int i = 0; macros[i]; ++i)
    {
        if (!texts[i])
            continue; // left in place: the code that needs it does not compile
        shader.vertexCode.Replace(macros[i], texts[i]);
        shader.fragmentCode.Replace(macros[i], texts[i]);
    }
    return true;
}

nEGLProgram* nGPURenderer::GetLibraryProgram(uint32_t slot) const
{
    return slot < LibraryProgramCount ? m_library[slot].Get() : nullptr;
}

void nGPURenderer::FreeShaderLibrary()
{
    for (nSharedPtr<nEGLProgram>& program : m_library)
        program = nullptr;
}

const char* nGPURenderer::GetDictionaryText(const char* path) const
{
    if (!m_dictionary || !path)
        return nullptr;
    const nMetaTag* tag = MetaFindTagInList(&m_dictionary->GetRoots(), path, false);
    if (!tag || tag->GetType() != TagTypeString)
        return nullptr;
    const char* text = tag->GetValue().GetText().GetText();
    return text ? text : "";
}

const char* nGPURenderer::GetPCFTag() const
{
    const int32_t quality = m_registry.GetInt("ShadowMapping:PCF:Quality", 1);
    return PCFTags[std::clamp(quality, 0, 3)];
}

uint32_t nGPURenderer::GetPSSMSplitCount() const
{
    return static_cast<uint32_t>(std::clamp(m_registry.GetInt("ShadowMapping:PSSM:Split", 3), 2, 4));
}

const char* nGPURenderer::GetPSSMTag() const
{
    return PSSMTags[GetPSSMSplitCount() - 2];
}

nMaterialPassTexts nGPURenderer::GetMaterialPassTexts() const
{
    nMaterialPassTexts texts;
    texts.pcfTag = GetPCFTag();
    texts.pcf = GetDictionaryText(texts.pcfTag);
    texts.psm = GetDictionaryText(texts.psmTag);
    texts.towardsLight = GetDictionaryText(texts.towardsLightTag);
    texts.pssmTag = GetPSSMTag();
    texts.pssm = GetDictionaryText(texts.pssmTag);
    texts.splitCount = GetPSSMSplitCount();
    return texts;
}

void nGPURenderer::AddMaterial(nEGLMaterial* material)
{
    m_materials.PushBack(material);
}

void nGPURenderer::RemoveMaterial(nEGLMaterial* material)
{
    m_materials.Remove(material);
}

void nGPURenderer::DetachMaterials()
{
    nListIterator<nEGLMaterial*> iterator;
    while (nEGLMaterial* material = m_materials.Next(iterator))
        material->DetachFromRenderer();
    m_materials.Clear();
}
