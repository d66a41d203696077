#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "core/math/nRandom.h"
#include "core/nml/nMetaTag.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nGPUProgramInputs.h"
#include "render/nRenderView.h"

namespace
{
constexpr uint32_t FactorOne = 1;
constexpr uint32_t FactorSourceAlpha = 2;
constexpr uint32_t FactorOneMinusSourceAlpha = 3;
constexpr float BlurAttenuation = 0.975f;
constexpr uint32_t BlurPasses = 4;

bool HasInputs(nEGLProgram* program, std::initializer_list<const char*> names)
{
    if (!program)
        return false;
    for (const char* name : names)
        if (!program->FindInput(name))
            return false;
    return true;
}

// The program must be bound: uniforms go to the current program.
void SetUserInput(nEGLProgram& program, const char* name, const float* values, uint32_t count)
{
    if (const nGPUProgramInput* input = program.FindInput(name))
        nGPUProgramInputs::UploadFloats(program, *input, values, count);
}

void SetUserInput(nEGLProgram& program, const char* name, float value)
{
    SetUserInput(program, name, &value, 1);
}

bool HasEffect(const nRegistry& settings, const char* effect)
{
    const nString path = nString("PostProcess:") + effect;
    return MetaFindTagInList(&settings.GetRoots(), path.GetText(), false) != nullptr;
}
} // namespace

bool nGPURenderer::AttachToFx(nEGLTexture* target)
{
    if (!m_fxFBO || !m_fxFBO->Bind())
        return false;
    m_fxFBO->SetColorTarget(target);
    return true;
}

nEGLTexture* nGPURenderer::PostProcess()
{
    nEGLTexture* first = m_frameTextures[0].get();
    const nRegistry* settings = GetViewCamera() ? GetViewCamera()->GetViewSettings() : nullptr;
    if (!settings || !MetaFindTagInList(&settings->GetRoots(), "PostProcess", false))
        return first;
    const auto active = [this, settings](const char* effect)
    {
        return HasEffect(*settings, effect) &&
               !m_registry.GetBool((nString("PostProcess:Exclusion:") + effect).GetText(), false);
    };
    if (!m_fxFBO || !m_fxFBO->Bind())
    {
        if (!m_fxBindFailing)
            nLogHolder::Get() << "[!] Failed to set FX FBO.\n";
        m_fxBindFailing = true;
        return first;
    }
    m_fxBindFailing = false;
    uint32_t current = 0;
    if (active("SSAO"))
        SSAO(settings->GetFloat("PostProcess:SSAO:Strength", 1.0f), settings->GetFloat("PostProcess:SSAO:Radius", 2.0f),
             settings->GetFloat("PostProcess:SSAO:Distance", 100.0f),
             settings->GetFloat("PostProcess:SSAO:BlurRadius", 8.0f));
    if (m_technique == TechniqueDeferred && m_registry.GetBool("Antialiasing:Enable", false) &&
        Antialias(current, 1 - current))
        current = 1 - current;
    if (active("Bloom"))
    {
        float radius = settings->GetFloat("PostProcess:Bloom:Radius", 12.0f);
        if (radius < 0.0f)
        {
            if (radius != m_reportedBloomRadius)
                nLogHolder::Get() << "[*] PostProcess:Bloom:Radius " << radius << " taken as 0.\n";
            m_reportedBloomRadius = radius;
            radius = 0.0f;
        }
        Bloom(current, settings->GetFloat("PostProcess:Bloom:Strength", 1.0f),
              settings->GetFloat("PostProcess:Bloom:Threshold", 0.95f),
              settings->GetFloat("PostProcess:Bloom:Exponent", 4.0f), radius);
    }
    if (active("Noise") && Noise(current, 1 - current, settings->GetFloat("PostProcess:Noise:Strength", 0.25f),
                                 settings->GetFloat("PostProcess:Noise:Monochromatic", 0.0f),
                                 settings->GetFloat("PostProcess:Noise:LumaBias", 0.5f)))
        current = 1 - current;
    SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
    return m_frameTextures[current].get();
}

// The fast path darkens the frame directly at full size; the other works in the FX textures and
// blurs the occlusion before it is laid over the frame.
void nGPURenderer::SSAO(float strength, float radius, float distance, float blurRadius)
{
    nEGLProgram* ssao = GetLibraryProgram(LibrarySsao);
    if (strength == 0.0f || !HasInputs(ssao, {"u_strength", "u_distance"}) || !ssao->Bind(nullptr))
        return;
    SetUserInput(*ssao, "u_strength", strength);
    SetUserInput(*ssao, "u_radius", radius);
    SetUserInput(*ssao, "u_distance", distance);
    SetUserInput(*ssao, "u_deferred", m_technique == TechniqueDeferred ? 1.0f : 0.0f);
    if (m_registry.GetBool("PostProcess:SSAO:FastBlur", true))
    {
        if (!AttachToFx(m_frameTextures[0].get()))
            return;
        SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
        EnableBlending(true);
        const uint32_t scale = m_fxScale;
        m_fxScale = 1;
        DrawFullscreenQuad(ssao, nullptr, nullptr);
        m_fxScale = scale;
        EnableBlending(false);
        return;
    }
    if (!AttachToFx(m_fxTextures[0].get()))
        return;
    DrawFullscreenQuad(ssao, nullptr, nullptr);
    nEGLTexture* occlusion = m_fxTextures[0].get();
    nEGLProgram* blur = GetLibraryProgram(LibrarySsaoBlur);
    if (blurRadius > 0.0f && HasInputs(blur, {"u_blur_radius", "u_ao_radius"}) && blur->Bind(nullptr) &&
        AttachToFx(m_fxTextures[1].get()))
    {
        SetUserInput(*blur, "u_ao_radius", radius);
        SetUserInput(*blur, "u_blur_radius", blurRadius * 0.25f);
        SetUserInput(*blur, "u_deferred", m_technique == TechniqueDeferred ? 1.0f : 0.0f);
        DrawFullscreenQuad(blur, occlusion, nullptr);
        occlusion = m_fxTextures[1].get();
    }
    if (AttachToFx(m_frameTextures[0].get()))
    {
        SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
        EnableBlending(true);
        DrawFullscreenQuad(GetLibraryProgram(LibrarySingleTexture), occlusion, nullptr);
    }
    EnableBlending(false);
}

void nGPURenderer::Blur(float distance)
{
    nEGLProgram* blur = GetLibraryProgram(LibraryFxBlur);
    nEGLTexture* from = m_fxTextures[0].get();
    nEGLTexture* to = m_fxTextures[1].get();
    for (uint32_t pass = 0; pass < BlurPasses; ++pass)
    {
        if (blur && blur->Bind(nullptr) && AttachToFx(to))
        {
            SetUserInput(*blur, "u_pass", static_cast<float>(pass));
            SetUserInput(*blur, "u_blur_d", distance);
            SetUserInput(*blur, "u_attenuation", BlurAttenuation);
            DrawFullscreenQuad(blur, from, nullptr);
        }
        std::swap(from, to);
    }
}

bool nGPURenderer::Antialias(uint32_t source, uint32_t destination)
{
    if (AttachToFx(m_frameTextures[destination & 1].get()))
        DrawFullscreenQuad(GetLibraryProgram(LibrarySsaa), m_frameTextures[source & 1].get(), nullptr);
    return true;
}

// The exponent has no input to reach: it is read for the settings' sake and changes nothing.
// The radius is in output pixels, so each blur step covers radius / FxScale FX texels.
void nGPURenderer::Bloom(uint32_t texture, float strength, float threshold, float, float radius)
{
    nEGLProgram* cutoff = GetLibraryProgram(LibrarySingleTextureCutoff);
    nEGLProgram* toneMapping = GetLibraryProgram(LibraryToneMapping);
    if (strength == 0.0f || !HasInputs(cutoff, {"u_cutoff"}) || !HasInputs(toneMapping, {"u_strength"}))
        return;
    nEGLTexture* frame = m_frameTextures[texture & 1].get();
    if (!cutoff->Bind(nullptr) || !AttachToFx(m_fxTextures[0].get()))
        return;
    SetUserInput(*cutoff, "u_cutoff", threshold);
    DrawFullscreenQuad(cutoff, frame, nullptr);
    Blur(radius / static_cast<float>(m_fxScale ? m_fxScale : 1));
    if (!toneMapping->Bind(nullptr) || !AttachToFx(frame))
        return;
    SetUserInput(*toneMapping, "u_strength", strength);
    SetBlendFunc(FactorOne, FactorOne);
    EnableBlending(true);
    DrawFullscreenQuad(toneMapping, m_fxTextures[0].get(), nullptr);
    EnableBlending(false);
}

bool nGPURenderer::Noise(uint32_t source, uint32_t destination, float strength, float monochromatic,
                         float lumaBias)
{
    nEGLProgram* noise = GetLibraryProgram(LibraryNoise);
    if (strength == 0.0f || !HasInputs(noise, {"u_strength", "u_mono", "u_bias", "u_random"}) ||
        !AttachToFx(m_frameTextures[destination & 1].get()) || !noise->Bind(nullptr))
        return false;
    SetUserInput(*noise, "u_strength", strength);
    SetUserInput(*noise, "u_mono", monochromatic);
    SetUserInput(*noise, "u_bias", lumaBias);
    const float random[2] = {RandomFloat(1.0f), RandomFloat(1.0f)};
    SetUserInput(*noise, "u_random", random, 2);
    DrawFullscreenQuad(noise, m_frameTextures[source & 1].get(), nullptr);
    return true;
}
