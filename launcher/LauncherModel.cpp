#include "launcher/LauncherModel.h"

#include "core/io/nIOCFile.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTagValue.h"
#include "launcher/LauncherProcessStarter.h"
#include "launcher/LauncherResolution.h"
#include "platform/nPlatform.h"

#include <filesystem>
#include <system_error>

namespace
{

const char* const QualityNames[LauncherModel::QualityCount] = {"None", "Low", "Medium", "High"};
constexpr int32_t AntialiasingSamples[LauncherModel::QualityCount] = {0, 2, 4, 8};
constexpr int32_t ShadowMapSizes[LauncherModel::QualityCount] = {0, 512, 1024, 2048};
constexpr int32_t ShadowSplits[LauncherModel::QualityCount] = {0, 2, 3, 4};
// High gets 0 too: leaving the tag without a value would hand the renderer nothing to read.
constexpr int32_t ShadowFilterQualities[LauncherModel::QualityCount] = {0, 1, 1, 0};

uint32_t QualityIndex(LauncherQuality quality)
{
    return quality >= 0 && static_cast<uint32_t>(quality) < LauncherModel::QualityCount ? quality : 0;
}

LauncherQuality AntialiasingFromSamples(int32_t samples)
{
    if (samples >= 5)
        return LauncherQualityHigh;
    if (samples == 3 || samples == 4)
        return LauncherQualityMedium;
    return samples == 2 ? LauncherQualityLow : LauncherQualityNone;
}

LauncherQuality ShadowFromMapSize(int32_t size)
{
    if (size > 1024)
        return LauncherQualityHigh;
    if (size > 512)
        return LauncherQualityMedium;
    return size > 256 ? LauncherQualityLow : LauncherQualityNone;
}

// Hand-edited files may write a whole number with a decimal point ("1280.0"): read it as its value.
int32_t ReadNumber(const nRegistry& registry, const char* key, int32_t defaultValue)
{
    const nMetaTag* tag = MetaFindTagInList(&registry.GetRoots(), key, false);
    int32_t number = defaultValue;
    if (!tag || (tag->GetType() != TagTypeInteger && tag->GetType() != TagTypeReal) || !tag->GetValue().GetInt(number))
        return defaultValue;
    return number;
}

bool SetKey(nRegistry& registry, const char* key, const nMetaTagValue& value)
{
    if (registry.SetKey(key, &value))
        return true;
    nLogHolder::Get() << "[!] Could not set '" << key << "' in the configuration.\n";
    return false;
}

bool SetIntKey(nRegistry& registry, const char* key, int32_t number)
{
    nMetaTagValue value;
    value.SetInt(number);
    return SetKey(registry, key, value);
}

bool SetBoolKey(nRegistry& registry, const char* key, bool flag)
{
    nMetaTagValue value;
    value.SetBool(flag);
    return SetKey(registry, key, value);
}

bool SetStringKey(nRegistry& registry, const char* key, const char* text)
{
    nMetaTagValue value;
    value.SetString(text);
    return SetKey(registry, key, value);
}

}

LauncherModel::LauncherModel(LauncherProcessStarter& starter, const char* configPath)
    : m_starter(starter), m_configPath(configPath)
{
    // Without a root the back end resolves relative paths against the current directory.
    m_fileSystem = new nIOCFile(nString());
    if (!m_fileSystem || !nPlatform::Get().GetIOSystem().Mount(m_fileSystem.Get()))
        nLogHolder::Get() << "[!] Could not mount the current directory.\n";
}

LauncherModel::~LauncherModel()
{
    if (m_fileSystem)
        nPlatform::Get().GetIOSystem().Unmount(m_fileSystem.Get());
}

void LauncherModel::OnInitDialog()
{
    m_registry.Clear();
    m_error.Clear();
    m_keepUnreadableFile = false;
    // A missing file is the normal first start: the defaults, without a word. A file that does
    // not read may hold the user's hand edits: it is kept beside the one that replaces it.
    if (nPlatform::Get().GetIOSystem().Exists(m_configPath) && !m_registry.Load(m_configPath.GetText()))
    {
        m_registry.Clear();
        m_keepUnreadableFile = true;
        const nString name = m_configPath.GetFileName();
        m_error = nString::Format("Could not read %s; Launch or Save keeps it as %s.bak.", name.GetText(),
                                  name.GetText());
    }
    ReadSettings();
}

void LauncherModel::ReadSettings()
{
    const int32_t width = ReadNumber(m_registry, "Width;", 1024);
    const int32_t height = ReadNumber(m_registry, "Height;", 768);
    m_controls.resolution = 0;
    m_hasCustomResolution = false;
    bool found = false;
    for (uint32_t row = 0; row < LauncherResolutionCount && !found; ++row)
    {
        found = LauncherResolutions[row].width == width && LauncherResolutions[row].height == height;
        if (found)
            m_controls.resolution = row;
    }
    // A resolution the table lacks is kept, so that saving does not turn it into the first row.
    if (!found && width > 0 && height > 0)
    {
        m_hasCustomResolution = true;
        m_customWidth = width;
        m_customHeight = height;
        m_controls.resolution = LauncherResolutionCount;
    }

    m_controls.deferredLighting = m_registry.GetString("Technique;", "Forward") == "Deferred";
    m_controls.fullscreen = m_registry.GetBool("Fullscreen;", false);
    m_controls.highDynamicRange = m_registry.GetBool("Texture:Float:Enable;", false);

    m_controls.antialiasing = LauncherQualityNone;
    if (m_registry.GetBool("Antialiasing:Enable;", false))
        m_controls.antialiasing = AntialiasingFromSamples(ReadNumber(m_registry, "Antialiasing:Sample;", 0));

    m_controls.shadow = LauncherQualityNone;
    if (m_registry.GetBool("ShadowMapping:Enable;", true))
        m_controls.shadow = ShadowFromMapSize(ReadNumber(m_registry, "ShadowMapping:Size;", 1024));

    m_controls.lowQualityPostProcess = ReadNumber(m_registry, "PostProcess:FX:Scale;", 4) != 1;
}

bool LauncherModel::WriteSettings()
{
    int32_t width = 0;
    int32_t height = 0;
    GetSelectedResolution(width, height);
    // Every key is attempted, so one blocked key does not hide the others.
    bool written = SetIntKey(m_registry, "Width", width);
    written = SetIntKey(m_registry, "Height", height) && written;
    written = SetBoolKey(m_registry, "Fullscreen", m_controls.fullscreen) && written;
    written = SetStringKey(m_registry, "Technique", m_controls.deferredLighting ? "Deferred" : "Forward") && written;
    written = SetBoolKey(m_registry, "Texture:Float:Enable", m_controls.highDynamicRange) && written;

    const uint32_t antialiasing = QualityIndex(m_controls.antialiasing);
    written = SetBoolKey(m_registry, "Antialiasing:Enable", antialiasing != LauncherQualityNone) && written;
    if (antialiasing != LauncherQualityNone)
        written = SetIntKey(m_registry, "Antialiasing:Sample", AntialiasingSamples[antialiasing]) && written;

    const uint32_t shadow = QualityIndex(m_controls.shadow);
    written = SetBoolKey(m_registry, "ShadowMapping:Enable", shadow != LauncherQualityNone) && written;
    if (shadow != LauncherQualityNone)
    {
        written = SetIntKey(m_registry, "ShadowMapping:Size", ShadowMapSizes[shadow]) && written;
        written = SetIntKey(m_registry, "ShadowMapping:PSSM:Split", ShadowSplits[shadow]) && written;
        written = SetIntKey(m_registry, "ShadowMapping:PCF:Quality", ShadowFilterQualities[shadow]) && written;
    }

    return SetIntKey(m_registry, "PostProcess:FX:Scale", m_controls.lowQualityPostProcess ? 4 : 1) && written;
}

bool LauncherModel::OnLaunch()
{
    if (!SaveConfiguration())
        return false;
    if (!m_starter.Start(RuntimePath))
    {
        m_error = nString::Format("Could not start %s.", RuntimePath);
        return false;
    }
    return true;
}

bool LauncherModel::OnSave()
{
    return SaveConfiguration();
}

bool LauncherModel::OnExit()
{
    return true;
}

uint32_t LauncherModel::GetResolutionRowCount() const
{
    return LauncherResolutionCount + (m_hasCustomResolution ? 1 : 0);
}

nString LauncherModel::GetResolutionRowText(uint32_t row) const
{
    if (row < LauncherResolutionCount)
    {
        const LauncherResolution& resolution = LauncherResolutions[row];
        return nString::Format("%dx%d (%s)", resolution.width, resolution.height, resolution.name);
    }
    if (row == LauncherResolutionCount && m_hasCustomResolution)
        return nString::Format("%dx%d (custom)", m_customWidth, m_customHeight);
    return nString();
}

const char* LauncherModel::GetQualityName(LauncherQuality quality)
{
    return QualityNames[QualityIndex(quality)];
}

bool LauncherModel::SaveConfiguration()
{
    m_error.Clear();
    if (m_keepUnreadableFile)
    {
        const nString backup = m_configPath + ".bak";
        if (!nPlatform::Get().GetIOSystem().CopyFile(m_configPath, backup))
        {
            m_error = nString::Format("Could not keep %s as %s; nothing was written.", m_configPath.GetText(),
                                      backup.GetText());
            return false;
        }
        m_keepUnreadableFile = false;
    }
    if (WriteSettings() && CreateConfigDirectory() && m_registry.Save(m_configPath.GetText()))
        return true;
    m_error = nString::Format("Could not write %s.", m_configPath.GetText());
    return false;
}

bool LauncherModel::CreateConfigDirectory()
{
    nString nativePath = m_configPath;
    if (m_fileSystem)
        m_fileSystem->GetNativePath(nativePath, m_configPath);
    const std::filesystem::path directory = std::filesystem::path(nativePath.GetText()).parent_path();
    if (directory.empty())
        return true;
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (!error)
        return true;
    nLogHolder::Get() << "[!] Could not create the directory '" << directory.c_str() << "': "
                      << error.message().c_str() << ".\n";
    return false;
}

void LauncherModel::GetSelectedResolution(int32_t& width, int32_t& height) const
{
    const uint32_t row = m_controls.resolution;
    if (row == LauncherResolutionCount && m_hasCustomResolution)
    {
        width = m_customWidth;
        height = m_customHeight;
        return;
    }
    const LauncherResolution& resolution = LauncherResolutions[row < LauncherResolutionCount ? row : 0];
    width = resolution.width;
    height = resolution.height;
}
