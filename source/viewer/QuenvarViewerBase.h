#pragma once

#include "core/base/nList.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nVariant.h"
#include "engine/Quenvar.h"
#include "engine/project/nProject.h"
#include "platform/nstring/nString.h"
#include "render/nFontPair.h"
#include "script/nScriptVMListener.h"

#include <cstdint>

class nMixer;
class nSMixMixer;
class nRenderer;
class nScene;

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

    virtual bool OpenRenderer() = 0;
    virtual bool OpenMixer() = 0;
    // False ends the frame loop.
    virtual bool ProcessMessages() = 0;
    // The viewer's own options. On entry index is the option's position; an accepted option
    // leaves it on the first argument after the ones it consumed.
    virtual OptionResult ParseOption(int argc, char** argv, int& index);
    virtual void PrintOptionUsage() const;
    // "list" logs the ids and fails; an unknown id fails without a line.
    virtual bool CreateRenderer() = 0;
    virtual bool CreateMixer() = 0;
    // One frame; false ends the loop.
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
    // False at the first step that fails, after its line; what was made goes at shut-down.
    bool Startup();
    // True when the run must end with the code for a stopped script machine or missing resources.
    bool CheckExit();
    // Releases what is still held; safe after a failed start-up and again from the destructor.
    bool Shutdown();
    // True when an output the command line asked for (raytraced frames, the mixer's file) could
    // not be written in full; final once Shutdown has run.
    bool HasOutputFailed() const { return m_outputFailed; }

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
    Quenvar& GetEngine() { return m_engine; }
    nProject& GetProject() { return m_project; }
    nRenderer* GetRenderer() const { return m_renderer; }
    nMixer* GetMixer() const { return m_mixer; }
    nScene* GetScene() const { return m_scene; }
    uint32_t GetFrameCount() const { return m_frameCount; }
    const nFontPair& GetProfilerFonts() const { return m_profilerFonts; }
    static bool IsResourceMissing() { return s_missingResource; }

protected:
    // Mounts a host directory under the name (an unnamed root when the name is empty); a refused
    // mount logs one "[!] " line.
    bool MountHostDirectory(const char* root, const char* mountName);
    // Creates both profiler fonts for the engine and loads them from the core data.
    void LoadProfilerFonts();

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

    uint32_t m_frameCount = 0;
    // Declared before the engine's users so that it outlives them.
    Quenvar m_engine;
    nRenderer* m_renderer = nullptr;   // owned unless it is the engine's null renderer
    nMixer* m_mixer = nullptr;         // owned; null with the engine's null mixer
    nSMixMixer* m_fileMixer = nullptr; // m_mixer again when it writes a file
    nScene* m_scene = nullptr;
    nProject m_project;
    nFontPair m_profilerFonts;

private:
    // Logs what the script machine reports as "[!] " lines.
    class ScriptErrorListener : public nScriptVMListener
    {
    public:
        void OnError(const char* text) override;
        void OnCompileError(const char* description, const char* source, int32_t line) override;
        void OnRuntimeError(const char* text) override;
    };

    static void OnResourceMissing(nString& name);
    void MountSearchPaths();
    void MountDataSource();
    bool OpenDataSource();
    void SetDefines();
    bool OpenScene();
    void StepProject(bool& endRequested);
    void StepScene(bool& endRequested);
    // Offline raytracing ("-R"): the output directory made at start-up, one frame per step.
    void PrepareRaytraceDirectory();
    void RaytraceFrame();
    void DrawRendererStatistics();
    bool CheckExitConditions();
    void PaceFrame();

    ScriptErrorListener m_scriptErrorListener;
    bool m_missingResourceLogged = false;
    bool m_outputFailed = false;
    bool m_startupBegun = false; // something may be held that shut-down releases

    // The command line of a run without arguments; false when no bootstrap file can be read.
    bool ReadBootstrap();
    OptionResult ParseBaseOption(int argc, char** argv, int& index);
    bool AddDefine(nVariant* define);
};
