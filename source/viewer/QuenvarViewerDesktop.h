#pragma once

#include "platform/nHIDSource.h"
#include "viewer/QuenvarViewerBase.h"

#include <memory>

// The viewer of the desktop program: window, renderer and mixer of this platform, and the output
// file of the "file" mixer.
class QuenvarViewerDesktop : public QuenvarViewerBase
{
public:
    QuenvarViewerDesktop();
    ~QuenvarViewerDesktop() override;

    bool OpenRenderer() override;
    bool OpenMixer() override;
    bool ProcessMessages() override;
    OptionResult ParseOption(int argc, char** argv, int& index) override;
    void PrintOptionUsage() const override;
    bool CreateRenderer() override;
    bool CreateMixer() override;

    const nString& GetMixerOutputFile() const { return m_mixerOutputFile; }
    // Where escape and pause are read; the viewer keeps it.
    void SetKeySource(std::unique_ptr<nHIDSource> source) { m_keySource = std::move(source); }

private:
    bool CreateSoftwareMixer();

    nString m_mixerOutputFile;
    std::unique_ptr<nHIDSource> m_keySource;
    bool m_pauseHeld = false;
};
