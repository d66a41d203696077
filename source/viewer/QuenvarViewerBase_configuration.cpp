#include "viewer/QuenvarViewerBase.h"

#include "viewer/StartupFile.h"

void QuenvarViewerBase::MountConfiguration(const nString& programDirectory)
{
    if (!m_configurationPath.IsEmpty())
        return;
    MountHostDirectory(programDirectory.IsEmpty() ? "./" : programDirectory.GetText(), "@config/");
    m_configurationPath = "@config/native/engine.cfg";
}

// A key whose tag holds another kind of value is ignored like a missing one, so each getter is
// handed the current setting as its default.
bool QuenvarViewerBase::LoadConfiguration()
{
    nString path;
    if (!FindStartupFile(m_configurationPath, path) || !m_configuration.Load(path.GetText()))
        return false;
    m_fullScreen = m_configuration.GetBool("Fullscreen;", m_fullScreen);
    m_displayWidth = m_configuration.GetInt("Width;", m_displayWidth);
    m_displayHeight = m_configuration.GetInt("Height;", m_displayHeight);
    m_aspectRatio = m_configuration.GetFloat("AspectRatio;", m_aspectRatio);
    return true;
}
