#pragma once

#include "platform/nstring/nString.h"

#include <cstdio>

// Host paths for content made on Windows: "\" separates like "/", and a path that does not exist
// as written is looked up one component at a time without regard to ASCII letter case. The
// result is the path as it exists on disk, or as written from the first component that matches
// nothing.
nString HostResolvePath(const nString& root, const nString& path);

// Regular files only: unlike fopen, a directory does not open.
FILE* HostOpenFile(const nString& hostPath, bool write);

bool HostDeleteFile(const nString& hostPath);

// Refuses to replace an existing target.
bool HostRenameFile(const nString& from, const nString& to);
