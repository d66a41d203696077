#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nRegistryListener.h"
#include "launcher/LauncherModel.h"
#include "launcher/LauncherResolution.h"

#include "LauncherTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace
{

const char* const ConfigName = "native/engine.cfg";

std::string Nml(const std::string& body)
{
    return "<NML=1.0>\n" + body;
}

template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class LauncherModelTest : public ::testing::Test
{
protected:
    // A null text leaves the configuration file missing.
    LauncherModel& Open(const char* config)
    {
        if (config)
            directory.Write(ConfigName, config);
        model = std::make_unique<LauncherModel>(starter, directory.Path(ConfigName).c_str());
        model->OnInitDialog();
        return *model;
    }

    std::string Saved() const { return directory.Read(ConfigName); }

    // The value at the key of the saved file as "kind:value", or "missing".
    std::string SavedValue(const char* key) const
    {
        const std::string saved = Saved();
        nMetaFile file;
        if (!file.Parse(saved.c_str(), saved.size()))
            return "unreadable";
        const nMetaTag* tag = MetaFindTagInList(&file.GetRoots(), key, false);
        if (!tag)
            return "missing";
        int32_t number = 0;
        bool flag = false;
        nString text;
        switch (tag->GetType())
        {
        case TagTypeInteger:
            tag->GetValue().GetInt(number);
            return "int:" + std::to_string(number);
        case TagTypeBool:
            tag->GetValue().GetBool(flag);
            return flag ? "bool:true" : "bool:false";
        case TagTypeString:
            tag->GetValue().GetString(text);
            return std::string("text:") + (text.GetText() ? text.GetText() : "");
        default:
            return "pure";
        }
    }

    LauncherLogCapture log;
    LauncherDirectory directory;
    RecordingStarter starter;
    std::unique_ptr<LauncherModel> model;
};

size_t CountLines(const std::string& text, const std::string& prefix)
{
    size_t count = 0;
    for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1))
        ++count;
    return count;
}

struct ReadCase
{
    const char* name;
    const char* body; // null: no configuration file
    uint32_t row;
    const char* rowText;
    LauncherQuality antialiasing;
    LauncherQuality shadow;
    bool fullscreen;
    bool deferredLighting;
    bool highDynamicRange;
    bool lowQualityPostProcess;
};

const ReadCase ReadCases[] = {
    {"missing file", nullptr, 5, "1024x768 (XGA)", LauncherQualityNone, LauncherQualityMedium, false, false, false, true},
    {"not NML", "garbage", 5, "1024x768 (XGA)", LauncherQualityNone, LauncherQualityMedium, false, false, false, true},
    {"table row", "<Width=1280>\n<Height=720>\n", 8, "1280x720 (WXGA_922K)", LauncherQualityNone,
     LauncherQualityMedium, false, false, false, true},
    {"decimal point", "<Width=1280.0>\n<Height=720.0>\n<ShadowMapping=\n\t<Size=2048.0>\n>\n", 8,
     "1280x720 (WXGA_922K)", LauncherQualityNone, LauncherQualityHigh, false, false, false, true},
    {"last row", "<Width=2560>\n<Height=1600>\n", 20, "2560x1600 (WQXGA)", LauncherQualityNone,
     LauncherQualityMedium, false, false, false, true},
    {"resolution not in the table", "<Width=1000>\n<Height=700>\n", 21, "1000x700 (custom)",
     LauncherQualityNone, LauncherQualityMedium, false, false, false, true},
    {"no usable resolution", "<Width=0>\n<Height=700>\n", 0, "320x200 (CGA)", LauncherQualityNone,
     LauncherQualityMedium, false, false, false, true},
    {"sixteen samples", "<Antialiasing=\n\t<Enable=True>\n\t<Sample=16>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityHigh, LauncherQualityMedium, false, false, false, true},
    {"one sample", "<Antialiasing=\n\t<Enable=True>\n\t<Sample=1>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityNone, LauncherQualityMedium, false, false, false, true},
    {"three samples", "<Antialiasing=\n\t<Enable=True>\n\t<Sample=3>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityMedium, LauncherQualityMedium, false, false, false, true},
    {"two samples", "<Antialiasing=\n\t<Enable=True>\n\t<Sample=2>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityLow, LauncherQualityMedium, false, false, false, true},
    {"antialiasing off", "<Antialiasing=\n\t<Enable=False>\n\t<Sample=8>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityNone, LauncherQualityMedium, false, false, false, true},
    {"shadow 256", "<ShadowMapping=\n\t<Size=256>\n>\n", 5, "1024x768 (XGA)", LauncherQualityNone,
     LauncherQualityNone, false, false, false, true},
    {"shadow 257", "<ShadowMapping=\n\t<Size=257>\n>\n", 5, "1024x768 (XGA)", LauncherQualityNone,
     LauncherQualityLow, false, false, false, true},
    {"shadow 512", "<ShadowMapping=\n\t<Size=512>\n>\n", 5, "1024x768 (XGA)", LauncherQualityNone,
     LauncherQualityLow, false, false, false, true},
    {"shadow 513", "<ShadowMapping=\n\t<Size=513>\n>\n", 5, "1024x768 (XGA)", LauncherQualityNone,
     LauncherQualityMedium, false, false, false, true},
    {"shadow 1025", "<ShadowMapping=\n\t<Size=1025>\n>\n", 5, "1024x768 (XGA)", LauncherQualityNone,
     LauncherQualityHigh, false, false, false, true},
    {"shadow off", "<ShadowMapping=\n\t<Enable=0>\n\t<Size=2048>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityNone, LauncherQualityNone, false, false, false, true},
    {"post-process scale 2", "<PostProcess=\n\t<FX=\n\t\t<Scale=2>\n\t>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityNone, LauncherQualityMedium, false, false, false, true},
    {"post-process scale 1", "<PostProcess=\n\t<FX=\n\t\t<Scale=1>\n\t>\n>\n", 5, "1024x768 (XGA)",
     LauncherQualityNone, LauncherQualityMedium, false, false, false, false},
    {"check boxes", "<Fullscreen=True>\n<Technique=\"Deferred\">\n<Texture=\n\t<Float=\n\t\t<Enable=True>\n\t>\n>\n",
     5, "1024x768 (XGA)", LauncherQualityNone, LauncherQualityMedium, true, true, true, true},
    {"technique in another case", "<Technique=\"deferred\">\n", 5, "1024x768 (XGA)", LauncherQualityNone,
     LauncherQualityMedium, false, false, false, true},
};

void PrintTo(const ReadCase& test, std::ostream* out)
{
    *out << test.name;
}

class LauncherReadTest : public LauncherModelTest, public ::testing::WithParamInterface<ReadCase>
{
};

TEST_P(LauncherReadTest, ShowsTheConfigurationInTheControls)
{
    const ReadCase& test = GetParam();
    const std::string config = test.body ? Nml(test.body) : std::string();
    LauncherModel& launcher = Open(test.body ? config.c_str() : nullptr);
    const LauncherControls& controls = launcher.GetControls();
    EXPECT_EQ(controls.resolution, test.row);
    EXPECT_STREQ(launcher.GetResolutionRowText(controls.resolution).GetText(), test.rowText);
    EXPECT_EQ(controls.antialiasing, test.antialiasing);
    EXPECT_EQ(controls.shadow, test.shadow);
    EXPECT_EQ(controls.fullscreen, test.fullscreen);
    EXPECT_EQ(controls.deferredLighting, test.deferredLighting);
    EXPECT_EQ(controls.highDynamicRange, test.highDynamicRange);
    EXPECT_EQ(controls.lowQualityPostProcess, test.lowQualityPostProcess);
}

INSTANTIATE_TEST_SUITE_P(Configurations, LauncherReadTest, ::testing::ValuesIn(ReadCases),
                         CaseName<ReadCase>);

TEST_F(LauncherModelTest, ResolutionListHoldsTheTableAndOnlyANeededCustomRow)
{
    LauncherModel& launcher = Open(Nml("<Width=1000>\n<Height=700>\n").c_str());
    ASSERT_EQ(launcher.GetResolutionRowCount(), LauncherResolutionCount + 1);
    EXPECT_STREQ(launcher.GetResolutionRowText(0).GetText(), "320x200 (CGA)");
    EXPECT_STREQ(launcher.GetResolutionRowText(7).GetText(), "1366x768 (HD)");
    EXPECT_STREQ(launcher.GetResolutionRowText(18).GetText(), "2048x1152 (QWXGA)");

    launcher.GetRegistry().Clear();
    launcher.ReadSettings();
    EXPECT_EQ(launcher.GetResolutionRowCount(), LauncherResolutionCount);
    EXPECT_TRUE(launcher.GetResolutionRowText(LauncherResolutionCount).IsEmpty());
}

TEST_F(LauncherModelTest, MissingFileStaysSilentAndUnreadableFileGivesAnEmptyRegistry)
{
    Open(nullptr);
    EXPECT_EQ(log.text, "");
    EXPECT_FALSE(directory.Exists(ConfigName));

    // The text breaks after a first good tag, which must not survive as half a configuration.
    Open(Nml("<Width=1280>\n<Height=").c_str());
    EXPECT_EQ(model->GetRegistry().GetRoots().GetCount(), 0u);
    EXPECT_EQ(model->GetControls().resolution, 5u);
}

struct SaveCase
{
    const char* name;
    const char* body;
    std::vector<std::pair<const char*, const char*>> expected;
};

const SaveCase SaveCases[] = {
    {"sixteen samples save eight", "<Antialiasing=\n\t<Enable=True>\n\t<Sample=16>\n>\n",
     {{"Antialiasing:Enable", "bool:true"}, {"Antialiasing:Sample", "int:8"}}},
    {"one sample saves antialiasing off", "<Antialiasing=\n\t<Enable=True>\n\t<Sample=1>\n>\n",
     {{"Antialiasing:Enable", "bool:false"}, {"Antialiasing:Sample", "int:1"}}},
    {"shadow 256 saves shadows off and keeps the size", "<ShadowMapping=\n\t<Size=256>\n>\n",
     {{"ShadowMapping:Enable", "bool:false"},
      {"ShadowMapping:Size", "int:256"},
      {"ShadowMapping:PSSM:Split", "missing"},
      {"ShadowMapping:PCF:Quality", "missing"}}},
    {"low shadow", "<ShadowMapping=\n\t<Size=300>\n>\n",
     {{"ShadowMapping:Enable", "bool:true"},
      {"ShadowMapping:Size", "int:512"},
      {"ShadowMapping:PSSM:Split", "int:2"},
      {"ShadowMapping:PCF:Quality", "int:1"}}},
    {"high shadow", "<ShadowMapping=\n\t<Size=4096>\n\t<PCF=\n\t\t<Quality=3>\n\t>\n>\n",
     {{"ShadowMapping:Size", "int:2048"}, {"ShadowMapping:PSSM:Split", "int:4"}, {"ShadowMapping:PCF:Quality", "int:0"}}},
    {"scale 2 saves 4", "<PostProcess=\n\t<FX=\n\t\t<Scale=2>\n\t>\n>\n", {{"PostProcess:FX:Scale", "int:4"}}},
    {"scale 1 stays", "<PostProcess=\n\t<FX=\n\t\t<Scale=1>\n\t>\n>\n", {{"PostProcess:FX:Scale", "int:1"}}},
    {"custom resolution kept", "<Width=1000>\n<Height=700>\n", {{"Width", "int:1000"}, {"Height", "int:700"}}},
    {"unusable resolution saves the first row", "<Width=-1>\n<Height=700>\n", {{"Width", "int:320"}, {"Height", "int:200"}}},
    {"check boxes", "<Fullscreen=True>\n<Technique=\"Deferred\">\n<Texture=\n\t<Float=\n\t\t<Enable=1>\n\t>\n>\n",
     {{"Fullscreen", "bool:true"}, {"Technique", "text:Deferred"}, {"Texture:Float:Enable", "bool:true"}}},
    {"other keys kept", "<PostProcess=\n\t<SSAO=\n\t\t<FastBlur=True>\n\t>\n>\n<Gamma=2.200000>\n",
     {{"PostProcess:SSAO:FastBlur", "bool:true"}, {"PostProcess:FX:Scale", "int:4"}}},
};

void PrintTo(const SaveCase& test, std::ostream* out)
{
    *out << test.name;
}

class LauncherSaveTest : public LauncherModelTest, public ::testing::WithParamInterface<SaveCase>
{
};

TEST_P(LauncherSaveTest, SavesWhatTheControlsShow)
{
    const SaveCase& test = GetParam();
    LauncherModel& launcher = Open(Nml(test.body).c_str());
    ASSERT_TRUE(launcher.OnSave());
    EXPECT_EQ(Saved().rfind("<NML=1.0>\n", 0), 0u);
    for (const auto& [key, value] : test.expected)
        EXPECT_EQ(SavedValue(key), value) << key;
    EXPECT_TRUE(starter.started.empty());
}

INSTANTIATE_TEST_SUITE_P(Configurations, LauncherSaveTest, ::testing::ValuesIn(SaveCases),
                         CaseName<SaveCase>);

TEST_F(LauncherModelTest, SaveWithoutAFileCreatesTheDirectoryAndWritesEveryKey)
{
    LauncherModel& launcher = Open(nullptr);
    ASSERT_TRUE(launcher.OnSave());
    EXPECT_EQ(Saved(), "<NML=1.0>\n"
                       "<Width=1024>\n"
                       "<Height=768>\n"
                       "<Fullscreen=False>\n"
                       "<Technique=\"Forward\">\n"
                       "<Texture=\n\t<Float=\n\t\t<Enable=False>\n\t>\n>\n"
                       "<Antialiasing=\n\t<Enable=False>\n>\n"
                       "<ShadowMapping=\n\t<Enable=True>\n\t<Size=1024>\n\t<PSSM=\n\t\t<Split=3>\n\t>\n"
                       "\t<PCF=\n\t\t<Quality=1>\n\t>\n>\n"
                       "<PostProcess=\n\t<FX=\n\t\t<Scale=4>\n\t>\n>\n");
}

class KeyRecorder : public nRegistryListener
{
public:
    void OnMessage(nRegistryMessage message, const char* key) override
    {
        if (message == RegistryKeyChanged)
            keys.emplace_back(key);
    }

    std::vector<std::string> keys;
};

TEST_F(LauncherModelTest, WritesTheKeysInOrderAndTellsTheListeners)
{
    LauncherModel& launcher = Open(nullptr);
    KeyRecorder recorder;
    launcher.GetRegistry().PushBack(&recorder);
    LauncherControls& controls = launcher.GetControls();
    controls.resolution = 15;
    controls.antialiasing = LauncherQualityLow;
    controls.shadow = LauncherQualityHigh;
    controls.fullscreen = true;
    controls.deferredLighting = true;
    controls.highDynamicRange = true;
    controls.lowQualityPostProcess = false;
    ASSERT_TRUE(launcher.WriteSettings());
    launcher.GetRegistry().Remove(&recorder);

    EXPECT_EQ(recorder.keys, (std::vector<std::string>{"Width", "Height", "Fullscreen", "Technique",
                                                        "Texture:Float:Enable", "Antialiasing:Enable",
                                                        "Antialiasing:Sample", "ShadowMapping:Enable",
                                                        "ShadowMapping:Size", "ShadowMapping:PSSM:Split",
                                                        "ShadowMapping:PCF:Quality", "PostProcess:FX:Scale"}));
    nRegistry& registry = launcher.GetRegistry();
    EXPECT_EQ(registry.GetInt("Width", 0), 1920);
    EXPECT_EQ(registry.GetInt("Height", 0), 1080);
    EXPECT_EQ(registry.GetString("Technique", ""), "Deferred");
    EXPECT_EQ(registry.GetInt("Antialiasing:Sample", 0), 2);
    EXPECT_EQ(registry.GetInt("PostProcess:FX:Scale", 0), 1);
}

// Hand edits that broke the file are the user's work: the replacement never silently loses them.
TEST_F(LauncherModelTest, AnUnreadableFileIsKeptAsBakBeforeItIsReplaced)
{
    const std::string broken = Nml("<Width=1280>\n<Height=");
    for (const bool launch : {false, true})
    {
        std::filesystem::remove(directory.Path(ConfigName + std::string(".bak")));
        log.text.clear();
        LauncherModel& launcher = Open(broken.c_str());
        EXPECT_STREQ(launcher.GetError().GetText(), "Could not read engine.cfg; Launch or Save keeps it as engine.cfg.bak.");
        // The log gives the reader's reason once and does not call the file missing.
        EXPECT_EQ(log.text.find("[!] Could not access file"), std::string::npos) << log.text;
        EXPECT_EQ(CountLines(log.text, "[!] "), 2u) << log.text;
        EXPECT_NE(log.text.find("Mangled definition, metatag 'Height'.\n[!] Could not parse file '"), std::string::npos)
            << log.text;
        EXPECT_TRUE(launch ? launcher.OnLaunch() : launcher.OnSave());
        EXPECT_EQ(directory.Read(ConfigName + std::string(".bak")), broken);
        EXPECT_EQ(SavedValue("Width"), "int:1024");
        EXPECT_TRUE(launcher.GetError().IsEmpty());
    }

    // A readable file has no copy to keep.
    std::filesystem::remove(directory.Path(ConfigName + std::string(".bak")));
    ASSERT_TRUE(Open(Nml("<Width=1280>\n").c_str()).OnSave());
    EXPECT_FALSE(directory.Exists(ConfigName + std::string(".bak")));
}

TEST_F(LauncherModelTest, ExitLeavesTheFileByteIdentical)
{
    // Tabs, key order and a real value written unlike the writer would: any rewrite shows.
    const std::string config = Nml("<Width=1280>\r\n<Height=720>\n<Gamma=2.2>\n");
    LauncherModel& launcher = Open(config.c_str());
    launcher.GetControls().resolution = 0;
    launcher.GetControls().shadow = LauncherQualityNone;
    launcher.GetControls().fullscreen = true;
    EXPECT_TRUE(launcher.OnExit());
    model.reset();
    EXPECT_EQ(Saved(), config);
    EXPECT_TRUE(starter.started.empty());
}

TEST_F(LauncherModelTest, LaunchWritesTheFileAndStartsTheRuntime)
{
    LauncherModel& launcher = Open(Nml("<Width=1280>\n<Height=720>\n").c_str());
    launcher.GetControls().fullscreen = true;
    EXPECT_TRUE(launcher.OnLaunch());
    EXPECT_EQ(starter.started, std::vector<std::string>{"./Kestrun"});
    EXPECT_EQ(SavedValue("Fullscreen"), "bool:true");
    EXPECT_EQ(SavedValue("Width"), "int:1280");
}

TEST_F(LauncherModelTest, FailedStartIsReportedAndTheFileStaysSaved)
{
    LauncherModel& launcher = Open(nullptr);
    starter.result = false;
    EXPECT_FALSE(launcher.OnLaunch());
    EXPECT_STREQ(launcher.GetError().GetText(), "Could not start ./Kestrun.");
    EXPECT_EQ(SavedValue("Width"), "int:1024");
}

// Each setup makes the write fail in its own way; none may start the runtime or touch the file.
TEST_F(LauncherModelTest, FailedWriteIsReportedAndStartsNothing)
{
    struct Case
    {
        const char* name;
        const char* blocker; // a directory placed where the write must go
        const char* config;
    };
    const Case cases[] = {
        {"configuration is a directory", "native/engine.cfg/keep", nullptr},
        {"native is a file", nullptr, nullptr},
        {"a key runs through a value", nullptr, "<NML=1.0>\n<Antialiasing=5>\n"},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.name);
        std::filesystem::remove_all(directory.path / "native");
        if (test.blocker)
            directory.Write(test.blocker, "");
        else if (!test.config)
            directory.Write("native", "not a directory");
        LauncherModel& launcher = Open(test.config);
        log.text.clear();
        EXPECT_FALSE(launcher.OnLaunch());
        EXPECT_EQ(launcher.GetError(), nString::Format("Could not write %s.", directory.Path(ConfigName).c_str()));
        EXPECT_NE(log.text.find("[!] "), std::string::npos);
        EXPECT_TRUE(starter.started.empty());
        if (test.config)
        {
            EXPECT_EQ(Saved(), test.config);
        }

        EXPECT_FALSE(launcher.OnSave());
        EXPECT_EQ(launcher.GetError(), nString::Format("Could not write %s.", directory.Path(ConfigName).c_str()));
    }
}

}
