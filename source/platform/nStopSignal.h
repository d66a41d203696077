#pragma once

// SIGINT and SIGTERM ask the frame loop to end: the handler only raises a flag, so the run ends
// through its normal shut-down. A second signal before the loop ends stops the process the
// default way, so a program caught in an endless script can still be stopped.
void InstallStopSignalHandlers();
bool IsStopRequested();
