#pragma once

#include "platform/nstring/nString.h"

// Files named at start-up ("bootstrap.txt", the configuration of "-C") are host paths relative to
// the working directory, yet the mount table has no root back end that could find them then.
// Finds the virtual path that reads the file: the path itself when the mount table finds it, else
// the path under "view@cfile/" (the working directory). False, logging nothing, when neither
// exists, so that callers may treat a missing file as no error.
bool FindStartupFile(const nString& path, nString& found);
