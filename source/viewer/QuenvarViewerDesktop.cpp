#include "viewer/QuenvarViewerDesktop.h"

#include "audio/nALMixer.h"
#include "audio/nMixer.h"
#include "audio/nSMixMixer.h"
#include "core/base/nLog.h"
#include "platform/nHIDSourceSDL.h"
#include "platform/nStopSignal.h"
#include "platform/nWaveOutSDL.h"
#include "platform/nWindowEvents.h"
#include "render/gl/nEGLRenderer.h"
#include "render/nRenderer.h"

#include <cstring>
#include <new>

QuenvarViewerDesktop::QuenvarViewerDesktop()
    : m_mixerOutputFile("mix_out.pcm"), m_keySource(std::make_unique<nHIDSourceSDL>())
{
    m_rendererId = "egl2";
    m_mixerId = "al";
    m_displayWidth = 1280;
    m_displayHeight = 720;
    m_fullScreen = false;
}

// The renderer and mixer the base releases must still be this viewer's when it does.
QuenvarViewerDesktop::~QuenvarViewerDesktop()
{
    Shutdown();
}

QuenvarViewerBase::OptionResult QuenvarViewerDesktop::ParseOption(int argc, char** argv, int& index)
{
    if (std::strcmp(argv[index], "-Mf") != 0)
        return OptionUnknown;
    if (index + 1 >= argc)
    {
        nLogHolder::Get() << "[!] -Mf: Missing mixer output file.\n";
        return OptionRefused;
    }
    m_mixerOutputFile = argv[index + 1];
    index += 2;
    return OptionAccepted;
}

void QuenvarViewerDesktop::PrintOptionUsage() const
{
    nLog& log = nLogHolder::Get();
    log << "Software mixer:\n\n";
    log << "-Mf <path>         : Output file.\n";
    log << "\n";
}

bool QuenvarViewerDesktop::CreateRenderer()
{
    if (m_rendererId == "none")
    {
        m_renderer = &m_engine.GetNullRenderer();
        return true;
    }
    if (m_rendererId == "list")
    {
        nLog& log = nLogHolder::Get();
        log << "Available renderer ID:\n";
        log << "\n";
        log << "'none'\t\t\t\t: No video output.\n";
        log << "'egl2'\t\t\t\t: OpenGL ES 2.0 based hardware renderer.\n";
        log << "\n";
        return false;
    }
    if (m_rendererId == "egl2")
    {
        m_renderer = new (std::nothrow) nEGLRenderer(&m_engine);
        if (m_renderer)
            m_engine.SetRenderer(m_renderer);
        return m_renderer != nullptr;
    }
    return false;
}

bool QuenvarViewerDesktop::CreateMixer()
{
    if (m_mixerId == "none")
        return true;
    if (m_mixerId == "list")
    {
        nLog& log = nLogHolder::Get();
        log << "Available mixer ID:\n";
        log << "\n";
        log << "'none'\t\t\t\t: No sound output.\n";
        log << "'al'\t\t\t\t: OpenAL based hardware mixer.\n";
        log << "'soft'\t\t\t\t: Platform independent software mixer.\n";
        log << "'file' <output.wav>\t: Software mixer with output to file.\n";
        log << "\n";
        return false;
    }
    if (m_mixerId == "soft" || m_mixerId == "file")
        return CreateSoftwareMixer();
    if (m_mixerId == "al")
    {
        m_mixer = new nALMixer(&m_engine);
        m_engine.SetMixer(m_mixer);
        return true;
    }
    m_engine.SetMixer(nullptr);
    return false;
}

// The "file" mixer opens no device: its sound goes only to the output file.
bool QuenvarViewerDesktop::CreateSoftwareMixer()
{
    const bool toFile = m_mixerId == "file";
    auto* mixer = new nSMixMixer(&m_engine, toFile ? nullptr : std::make_unique<nWaveOutSDL>());
    m_mixer = mixer;
    m_engine.SetMixer(mixer);
    if (!toFile)
        return true;
    m_fileMixer = mixer;
    return mixer->OpenOutputFile(m_mixerOutputFile);
}

bool QuenvarViewerDesktop::OpenRenderer()
{
    return m_engine.GetRenderer()->Open(uint32_t(m_displayWidth), uint32_t(m_displayHeight), 32,
                                        !m_fullScreen, nullptr);
}

bool QuenvarViewerDesktop::OpenMixer()
{
    return m_engine.GetMixer()->Open();
}

// Pause toggles when the key goes down, not on every frame it is held.
bool QuenvarViewerDesktop::ProcessMessages()
{
    if (IsStopRequested())
        return false;
    if (m_keySource)
    {
        m_keySource->Update();
        if (!m_ignoreEscape && m_keySource->IsKeyDown(SourceKeyEscape))
            return false;
        const bool pauseDown = m_keySource->IsKeyDown(SourceKeyPause);
        if (pauseDown && !m_pauseHeld)
            m_engine.SetClockScale(1.0f - m_engine.GetClockScale());
        m_pauseHeld = pauseDown;
    }
    return PumpWindowEvents();
}
