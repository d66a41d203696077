#pragma once

#include <cstdint>

// SIGINT and SIGTERM ask the frame loop to end: the handler only raises a flag, so the run ends
// through its normal shut-down. A second signal before the loop ends stops the process the
// default way, so a program caught in an endless script can still be stopped.
void InstallStopSignalHandlers();
// From this tick of the platform clock on, a stop counts as asked as if by a signal (the run time
// limit); 0 sets no limit.
void SetStopDeadline(uint64_t tick);
// True once a stop was asked, by a signal or by the deadline. The engine's long walks ask too, so
// a frame whose events never end still ends after the current one.
bool IsStopRequested();
