#include "engine/QuenvarViewerBase.h"

void QuenvarViewerBase::MountConfiguration(const nString& programDirectory)
{
    if (!m_configurationPath.IsEmpty())
        return;
    MountHostDirectory(programDirectory.IsEmpty() ? "./" : programDirectory.GetText(), "@config/");
    m_configurationPath = "@config/native/engine.cfg";
}

// Reads "Fullscreen", "Width", "Height" and "AspectRatio" from the configuration file once the
// NML reader exists. Until then the file counts as missing, which is not an error: the window
// settings keep their defaults.
bool QuenvarViewerBase::LoadConfiguration()
{
    return false;
}
