#include "launcher/LauncherSpawnStarter.h"

#include "LauncherTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{

TEST(LauncherSpawnStarterTest, StartsAProgramThatRunsOnItsOwn)
{
    LauncherDirectory directory;
    directory.Write("program", "#!/bin/sh\ntouch \"$0.ran\"\n");
    std::filesystem::permissions(directory.path / "program", std::filesystem::perms::owner_all);
    LauncherSpawnStarter starter;
    ASSERT_TRUE(starter.Start(directory.Path("program").c_str()));
    for (int tries = 0; tries < 200 && !directory.Exists("program.ran"); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(directory.Exists("program.ran"));
}

TEST(LauncherSpawnStarterTest, MissingProgramFailsWithALogLine)
{
    LauncherLogCapture log;
    LauncherDirectory directory;
    LauncherSpawnStarter starter;
    EXPECT_FALSE(starter.Start(directory.Path("absent").c_str()));
    EXPECT_EQ(log.text.rfind("[!] Could not start '", 0), 0u) << log.text;
}

}
