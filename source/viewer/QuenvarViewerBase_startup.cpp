#include "viewer/QuenvarViewerBase.h"

#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOArchive.h"
#include "core/io/nIOCFile.h"
#include "core/nml/nMetaFile.h"
#include "platform/nHID.h"
#include "platform/nPlatform.h"
#include "platform/nStopSignal.h"
#include "render/nRasterFont.h"
#include "render/nRenderer.h"
#include "script/nScriptValue.h"
#include "ui/nFontSystem.h"
#include "viewer/StartupFile.h"

#include <cmath>
#include <new>

void QuenvarViewerBase::MountSearchPaths()
{
    for (auto* node = m_searchPaths.GetHead(); node; node = node->next)
        MountHostDirectory(node->value.GetText(), nullptr);
}

// An archive named without a mount prefix is a host path of the working directory, which the
// mount table can only reach through "view@cfile/".
void QuenvarViewerBase::MountDataSource()
{
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    if (m_dataSourceKind == DataSourceHostDirectory)
    {
        MountHostDirectory(m_dataSourcePath.GetText(), nullptr);
        return;
    }
    if (m_dataSourceKind != DataSourceArchive)
        return;
    nString archivePath;
    if (!FindStartupFile(m_dataSourcePath, archivePath))
        archivePath = m_dataSourcePath;
    const nSharedPtr<nIOArchive> archive(new nIOArchive(archivePath.GetText()));
    if (!archive->IsOpen())
        nLogHolder::Get() << "[!] Could not open the archive '" << m_dataSourcePath << "'.\n";
    else if (!files.Mount(archive.Get(), nullptr))
        nLogHolder::Get() << "[!] Failed to mount the archive '" << m_dataSourcePath << "'.\n";
}

void QuenvarViewerBase::SetDefines()
{
    nScriptVM& vm = m_project.GetVM();
    for (auto* node = m_defines.GetHead(); node; node = node->next)
        vm.SetSlot(node->value->GetName().GetText(), nScriptValue(*node->value), nullptr);
}

bool QuenvarViewerBase::OpenDataSource()
{
    const bool projectMode = m_viewMode == ViewModeProject;
    nLogHolder::Get() << "[H] Opening data source from '" << m_inputPath << "' ("
                      << (projectMode ? "Project" : "Scene") << ").\n";
    // Without its default font the run goes on: text widgets then draw nothing.
    FontSystemStartup(nullptr);
    if (m_toolMode)
        m_engine.SetMode(Quenvar::ModeTool);
    if (projectMode && !m_project.Load(m_inputPath.GetText()))
        return false;
    if (!m_project.Open(projectMode))
        return false;
    nScriptVM& vm = m_project.GetVM();
    // Without a core data folder there is no script library to run, which is no error.
    const nString scriptLibrary("@core/scriptlib/nad.nut");
    if (nPlatform::Get().GetIOSystem().Exists(scriptLibrary))
        vm.RunFile(scriptLibrary, false);
    for (auto* node = m_includes.GetHead(); node; node = node->next)
        vm.RunFile(node->value, false);
    SetDefines();
    return true;
}

// A font that does not load stays empty: the profiler then writes nothing with it.
void QuenvarViewerBase::LoadProfilerFonts()
{
    static const char* const bases[] = {"@core/fonts/profiler_base", "@core/fonts/profiler_bold"};
    nRasterFont** fonts[] = {&m_profilerFonts.regular, &m_profilerFonts.bold};
    for (int i = 0; i < 2; ++i)
    {
        delete *fonts[i];
        *fonts[i] = new (std::nothrow) nRasterFont(&m_engine);
        if (*fonts[i])
            (*fonts[i])->Load((nString(bases[i]) + ".nml").GetText(), bases[i]);
    }
}

bool QuenvarViewerBase::Startup()
{
    m_startupBegun = true;
    MountSearchPaths();
    MountDataSource();
    PrepareRaytraceDirectory();
    if (!CreateRenderer() || !CreateMixer())
        return false;
    // The configured aspect ratio is the renderer's correction factor, which every camera applies;
    // one of 0 or less, or not a number, would flatten every projection.
    if (m_aspectRatio > 0.0f && std::isfinite(m_aspectRatio))
        m_engine.GetRenderer()->SetGlobalAspectRatio(m_aspectRatio);
    else
        nLogHolder::Get() << "[*] AspectRatio " << m_aspectRatio << " is not a size, 1 is kept.\n";
    nString configuration;
    if (FindStartupFile(m_configurationPath, configuration))
        m_engine.GetRenderer()->GetRegistry().Load(configuration.GetText());
    if (!OpenRenderer() || !OpenMixer())
        return false;
    nHID::GetInstance().Open(m_engine.GetRenderer()->GetWindowHandle());
    if (!OpenDataSource())
        return false;
    if (m_viewMode == ViewModeScene)
    {
        if (!OpenScene())
            return false;
    }
    else if (m_viewMode == ViewModeProject)
    {
        m_project.Setup();
    }
    // In 64-bit ticks: a limit of a few days does not overflow the product.
    const uint64_t start = nPlatform::Get().GetClock();
    SetStopDeadline(m_timeLive > 0 ? start + uint64_t(m_timeLive) * nPlatform::Get().GetClockFrequency() : 0);
    LoadProfilerFonts();
    m_running = true;
    return true;
}
