#include "launcher/LauncherSpawnStarter.h"

#include "core/base/nLog.h"

#include <cstring>
#include <spawn.h>
#include <sys/types.h>

extern char** environ;

bool LauncherSpawnStarter::Start(const char* path)
{
    if (!path || !*path)
    {
        nLogHolder::Get() << "[!] No program to start.\n";
        return false;
    }
    char* arguments[] = {const_cast<char*>(path), nullptr};
    pid_t child = 0;
    // posix_spawn reports a program that cannot be executed, so a missing runtime is not
    // mistaken for a started one.
    const int error = ::posix_spawn(&child, path, nullptr, nullptr, arguments, environ);
    if (error != 0)
    {
        nLogHolder::Get() << "[!] Could not start '" << path << "': " << std::strerror(error) << ".\n";
        return false;
    }
    return true;
}
