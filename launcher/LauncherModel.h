#pragma once

#include "core/io/nIOBase.h"
#include "core/nml/nRegistry.h"
#include "core/base/nSharedPtr.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class LauncherProcessStarter;

enum LauncherQuality : int32_t
{
    LauncherQualityNone = 0,
    LauncherQualityLow = 1,
    LauncherQualityMedium = 2,
    LauncherQualityHigh = 3,
};

// What the dialog's bound controls hold: the row of the resolution list, the two quality lists
// and the four check boxes. The view copies its widgets to and from this record.
struct LauncherControls
{
    uint32_t resolution = 0;
    LauncherQuality antialiasing = LauncherQualityNone;
    LauncherQuality shadow = LauncherQualityNone;
    bool fullscreen = false;
    bool deferredLighting = false;
    bool highDynamicRange = false;
    bool lowQualityPostProcess = false;
};

// The launcher dialog without its widgets: the configuration registry, the controls it is shown
// in, and the three commands. A command answers true when the dialog is to close; on false the
// dialog stays open and GetError says what went wrong.
class LauncherModel
{
public:
    static constexpr const char* ConfigPath = "./native/engine.cfg";
    static constexpr const char* RuntimePath = "./Kestrun";
    static constexpr uint32_t QualityCount = 4;

    explicit LauncherModel(LauncherProcessStarter& starter, const char* configPath = ConfigPath);
    LauncherModel(const LauncherModel&) = delete;
    LauncherModel& operator=(const LauncherModel&) = delete;
    ~LauncherModel();

    // Mounts the current directory as a root of the mount table, loads the configuration (a
    // missing or unreadable file gives an empty registry) and shows it in the controls. An
    // unreadable file is copied to "<name>.bak" before Launch or Save replaces it, and GetError
    // says so from the start.
    void OnInitDialog();
    void ReadSettings();
    // False when a key could not be set (a tag on its path holds a value).
    bool WriteSettings();

    bool OnLaunch();
    bool OnSave();
    bool OnExit();

    // The resolution table, followed by one "(custom)" row when the configuration holds a
    // resolution the table lacks.
    uint32_t GetResolutionRowCount() const;
    nString GetResolutionRowText(uint32_t row) const;
    static const char* GetQualityName(LauncherQuality quality);

    LauncherControls& GetControls() { return m_controls; }
    const LauncherControls& GetControls() const { return m_controls; }
    nRegistry& GetRegistry() { return m_registry; }
    const nString& GetError() const { return m_error; }

private:
    bool SaveConfiguration();
    bool CreateConfigDirectory();
    void GetSelectedResolution(int32_t& width, int32_t& height) const;

    LauncherProcessStarter& m_starter;
    nString m_configPath;
    nRegistry m_registry;
    nSharedPtr<nIOBase> m_fileSystem;
    LauncherControls m_controls;
    bool m_keepUnreadableFile = false;
    bool m_hasCustomResolution = false;
    int32_t m_customWidth = 0;
    int32_t m_customHeight = 0;
    nString m_error;
};
