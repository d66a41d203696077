#include "LauncherTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace
{

const char* const Config = "<NML=1.0>\n<Width=1000>\n<Height=700>\n<Fullscreen=True>\n";

// Runs the real launcher window in a directory with a configuration and a stub runtime that
// leaves a marker, and presses one key in it.
class LauncherWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "xvfb-run or xdotool is not installed";
        directory.Write("native/engine.cfg", Config);
        directory.Write("Kestrun", "#!/bin/sh\ntouch marker\n");
        std::filesystem::permissions(directory.path / "Kestrun", std::filesystem::perms::owner_all);
    }

    // Each test process starts its search for a free display elsewhere, so that tests running
    // side by side do not race for the same one.
    int Press(const std::string& key, const std::string& environment = "") const
    {
        const std::string command = "cd '" + directory.path.string() + "' && " + environment +
                                    " LSAN_OPTIONS=suppressions='" + LAUNCHER_LSAN_SUPPRESSIONS +
                                    "' xvfb-run -a -n " + std::to_string(100 + getpid() % 4000) + " sh '" +
                                    LAUNCHER_DRIVER_SCRIPT + "' '" + LAUNCHER_BINARY + "' " + key;
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The stub runtime may still be starting after the launcher has gone.
    bool MarkerAppears() const
    {
        for (int tries = 0; tries < 200 && !directory.Exists("marker"); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return directory.Exists("marker");
    }

    LauncherDirectory directory;
};

TEST_F(LauncherWindowTest, EscapeClosesWithoutWritingOrStarting)
{
    ASSERT_EQ(Press("Escape"), 0);
    EXPECT_EQ(directory.Read("native/engine.cfg"), Config);
    EXPECT_FALSE(directory.Exists("marker"));
}

TEST_F(LauncherWindowTest, ReturnLaunchesTheRuntimeAfterWriting)
{
    ASSERT_EQ(Press("Return"), 0);
    EXPECT_TRUE(MarkerAppears());
    const std::string saved = directory.Read("native/engine.cfg");
    EXPECT_EQ(saved.rfind("<NML=1.0>\n<Width=1000>\n<Height=700>\n<Fullscreen=True>\n<Technique=\"Forward\">\n", 0), 0u)
        << saved;
}

// The unreadable configuration's message is longer than the box left of the buttons holds: the
// window grows so that its last line shows.
TEST_F(LauncherWindowTest, ALongErrorMakesTheWindowTallEnoughForItsText)
{
    directory.Write("native/engine.cfg", "<NML=1.0>\n<Width=");
    ASSERT_EQ(Press("Escape", "GEOMETRY_FILE=geometry"), 0);
    const std::string geometry = directory.Read("geometry");
    const size_t at = geometry.find("HEIGHT=");
    ASSERT_NE(at, std::string::npos) << geometry;
    EXPECT_GT(std::stoi(geometry.substr(at + 7)), 370) << geometry;
}

}
