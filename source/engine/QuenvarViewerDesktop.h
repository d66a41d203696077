#pragma once

#include "engine/QuenvarViewerBase.h"

// The viewer of the desktop program: window, renderer and mixer of this platform, and the output
// file of the "file" mixer.
class QuenvarViewerDesktop : public QuenvarViewerBase
{
public:
    QuenvarViewerDesktop();

    OptionResult ParseOption(int argc, char** argv, int& index) override;
    void PrintOptionUsage() const override;

    const nString& GetMixerOutputFile() const { return m_mixerOutputFile; }

private:
    nString m_mixerOutputFile;
};
