#include "engine/QuenvarViewerDesktop.h"

#include "core/base/nLog.h"

#include <cstring>

QuenvarViewerDesktop::QuenvarViewerDesktop() : m_mixerOutputFile("mix_out.pcm")
{
    m_rendererId = "egl2";
    m_mixerId = "al";
    m_displayWidth = 1280;
    m_displayHeight = 720;
    m_fullScreen = false;
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
