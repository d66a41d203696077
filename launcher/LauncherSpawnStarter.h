#pragma once

#include "launcher/LauncherProcessStarter.h"

// Starts the program with no arguments, in the current directory and with this process's
// environment; the child outlives the launcher.
class LauncherSpawnStarter : public LauncherProcessStarter
{
public:
    bool Start(const char* path) override;
};
