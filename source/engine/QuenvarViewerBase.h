#pragma once

#include "core/base/nList.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nVariant.h"
#include "platform/nstring/nString.h"

#include <cstdint>

enum nDataSourceKind : uint32_t
{
    DataSourceHostDirectory = 0,
    DataSourceArchive = 1,
};

enum nViewMode : uint32_t
{
    ViewModeScene = 0,
    ViewModeProject = 1,
};

// Runs one project or one scene for the driver. Everything the command line and the bootstrap
// file set is a field of the viewer; the platform-independent logic lives here, the desktop
// specifics in QuenvarViewerDesktop.
class QuenvarViewerBase
{
public:
    // What a viewer makes of one command-line argument: not one of its options, taken with its
    // arguments, or one of its options refused after logging why (the caller logs nothing more).
    enum OptionResult
    {
        OptionUnknown,
        OptionAccepted,
        OptionRefused,
    };

    QuenvarViewerBase();
    QuenvarViewerBase(const QuenvarViewerBase&) = delete;
    QuenvarViewerBase& operator=(const QuenvarViewerBase&) = delete;
    virtual ~QuenvarViewerBase();

    // The viewer's own options. On entry index is the option's position; an accepted option
    // leaves it on the first argument after the ones it consumed.
    virtual OptionResult ParseOption(int argc, char** argv, int& index);
    virtual void PrintOptionUsage() const;
    virtual bool Step();

    bool PreInitialise();
    // False refuses the command line after one "[!] " line (or the usage text when there are no
    // arguments and no bootstrap file).
    bool ParseCommandLine(int argc, char** argv);
    // Without "-C", mounts the program directory ("./" when empty) as "@config/" and takes
    // "@config/native/engine.cfg" as the configuration path.
    void MountConfiguration(const nString& programDirectory);
    // Reads the configuration document and the window settings from it; false when the file is
    // missing (no error: the settings keep their defaults) or cannot be read.
    bool LoadConfiguration();
    bool Startup();
    // True when the run must end with the code for a stopped script machine or missing resources.
    bool CheckExit() const;
    bool Shutdown();

    bool IsRunning() const { return m_running; }
    const nList<nVariant*>& GetDefines() const { return m_defines; }
    const nList<nString>& GetIncludes() const { return m_includes; }
    const nList<nString>& GetSearchPaths() const { return m_searchPaths; }
    const nMetaFile& GetConfiguration() const { return m_configuration; }
    nDataSourceKind GetDataSourceKind() const { return m_dataSourceKind; }
    nViewMode GetViewMode() const { return m_viewMode; }
    const nString& GetRendererId() const { return m_rendererId; }
    const nString& GetMixerId() const { return m_mixerId; }
    const nString& GetDataSourcePath() const { return m_dataSourcePath; }
    const nString& GetInputPath() const { return m_inputPath; }
    const nString& GetConfigurationPath() const { return m_configurationPath; }
    const nString& GetRaytraceOutputDirectory() const { return m_raytraceOutputDirectory; }
    int32_t GetRaytraceWidth() const { return m_raytraceWidth; }
    int32_t GetRaytraceHeight() const { return m_raytraceHeight; }
    int32_t GetRaytraceAntialiasGrid() const { return m_raytraceAntialiasGrid; }
    int32_t GetTimeLive() const { return m_timeLive; }
    bool IsIgnoringEscape() const { return m_ignoreEscape; }
    bool IsIgnoringBootstrap() const { return m_ignoreBootstrap; }
    bool IsIgnoringMissingResources() const { return m_ignoreMissingResources; }
    bool IsFallingBackToDisk() const { return m_fallBackToDisk; }
    bool IsProfilerEnabled() const { return m_profiler; }
    bool IsToolMode() const { return m_toolMode; }
    bool IsSafeMode() const { return m_safeMode; }
    bool IsFullScreen() const { return m_fullScreen; }
    int32_t GetDisplayWidth() const { return m_displayWidth; }
    int32_t GetDisplayHeight() const { return m_displayHeight; }
    float GetAspectRatio() const { return m_aspectRatio; }

protected:
    // Mounts a host directory under the name (an unnamed root when the name is empty); a refused
    // mount logs one "[!] " line.
    bool MountHostDirectory(const char* root, const char* mountName);

    bool m_running = false;
    nAutoList<nVariant*> m_defines;
    nList<nString> m_includes;
    nList<nString> m_searchPaths;
    nMetaFile m_configuration;
    nDataSourceKind m_dataSourceKind = DataSourceHostDirectory;
    nViewMode m_viewMode = ViewModeScene;
    nString m_rendererId;
    nString m_mixerId;
    nString m_dataSourcePath;
    nString m_inputPath;
    nString m_configurationPath;
    nString m_raytraceOutputDirectory;
    int32_t m_raytraceWidth = -1; // -1: the display size
    int32_t m_raytraceHeight = -1;
    int32_t m_raytraceAntialiasGrid = 4;
    int32_t m_timeLive = 0; // seconds, 0: no limit
    bool m_ignoreEscape = false;
    bool m_ignoreBootstrap = false;
    bool m_ignoreMissingResources = false;
    bool m_fallBackToDisk = false;
    bool m_profiler = false;
    bool m_toolMode = false;
    bool m_safeMode = false;
    bool m_fullScreen = false;
    int32_t m_displayWidth = 800;
    int32_t m_displayHeight = 600;
    float m_aspectRatio = 1.0f;

    // Set by the engine's not-found hooks for geometries, textures and sounds.
    static bool s_missingResource;

private:
    // The command line of a run without arguments; false when no bootstrap file can be read.
    bool ReadBootstrap();
    OptionResult ParseBaseOption(int argc, char** argv, int& index);
    bool AddDefine(nVariant* define);
};
