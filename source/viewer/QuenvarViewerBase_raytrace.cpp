#include "viewer/QuenvarViewerBase.h"

#include "core/base/nLog.h"
#include "raytracer/nRaytracer.h"

#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace
{
// Frames are written through the host-directory mount of the working directory, so the path
// means what it meant on the command line.
constexpr const char* HostPrefix = "view@cfile/";
} // namespace

// A missing output directory would lose every frame, and failing start-up would change the exit
// code of runs that worked before: it is made here, and a directory that cannot be made is named
// once while the run goes on.
void QuenvarViewerBase::PrepareRaytraceDirectory()
{
    if (m_raytraceOutputDirectory.IsEmpty() || m_viewMode != ViewModeScene)
        return;
    std::error_code error;
    const std::filesystem::path directory(m_raytraceOutputDirectory.GetText());
    if (std::filesystem::is_directory(directory, error))
        return;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory, error))
    {
        m_outputFailed = true;
        nLogHolder::Get() << "[!] Cannot create the raytrace output directory '" << m_raytraceOutputDirectory
                          << "'.\n";
    }
}

void QuenvarViewerBase::RaytraceFrame()
{
    const int32_t width = m_raytraceWidth > 0 ? m_raytraceWidth : m_displayWidth;
    const int32_t height = m_raytraceHeight > 0 ? m_raytraceHeight : m_displayHeight;
    nLogHolder::Get() << "[H] Raytracing frame " << m_frameCount << " (" << width << "x" << height
                      << ")...\n";
    std::unique_ptr<nRaytracer> raytracer(new (std::nothrow) nRaytracer(&m_engine));
    bool traced = raytracer && raytracer->SetScene(m_scene);
    if (traced)
    {
        nRaytracerSettings settings = raytracer->GetSettings();
        settings.antialiasGrid = m_raytraceAntialiasGrid;
        raytracer->SetSettings(settings);
        const nString path = nString::Format("%s%s/out_%05u.tga", HostPrefix,
                                             m_raytraceOutputDirectory.GetText(), m_frameCount);
        traced = raytracer->TraceToFile(path.GetText(), width, height);
    }
    if (!traced)
    {
        m_outputFailed = true;
        nLogHolder::Get() << "[!] Raytracing frame " << m_frameCount << " failed.\n";
    }
}
