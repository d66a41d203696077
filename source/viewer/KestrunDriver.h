#pragma once

// Owns the whole run of the program and returns its exit code: 0 after a normal end, 1 when the
// command line or the bootstrap file is refused, 2 when start-up fails, 3 when the loop stopped
// because the script machine stopped or resources were missing, 4 when the run ended otherwise
// normally but an output the command line asked for (raytraced frames, the mixer's file) could
// not be written.
int RunKestrun(int argc, char** argv);
