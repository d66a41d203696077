#pragma once

// Starts a program as a separate process without waiting for it. The dialog model takes one so
// that tests can see what would be started without starting anything.
class LauncherProcessStarter
{
public:
    virtual ~LauncherProcessStarter() = default;

    // False, after one log line, when the program could not be started.
    virtual bool Start(const char* path) = 0;
};
