#pragma once

#include "platform/nstring/nString.h"

#include <cstdio>

// A file written under a temporary name beside its target and renamed over the target, in one
// step, only once every byte is on disk: a save that fails part-way (a full disk, a file-size
// limit, a crash) leaves the previous file as it was. A target that is a symbolic link keeps the
// link: the file it names is replaced. A replacement neither committed nor begun again is
// abandoned when destroyed, its temporary file removed.
class nHostFileReplacement
{
public:
    nHostFileReplacement() = default;
    nHostFileReplacement(const nHostFileReplacement&) = delete;
    nHostFileReplacement& operator=(const nHostFileReplacement&) = delete;
    ~nHostFileReplacement() { Abandon(); }

    // Creates the temporary file with the target's permissions (or the usual ones of a new file).
    bool Begin(const nString& targetPath);
    FILE* GetStream() const { return m_stream; }
    const nString& GetTargetPath() const { return m_targetPath; }

    // Flushes, syncs and closes the temporary file, then renames it over the target. On failure
    // the temporary file is removed and GetError gives the cause.
    bool Commit();
    void Abandon();

    // The errno of the last step that failed, 0 when none did.
    int GetError() const { return m_error; }

private:
    bool Fail();

    FILE* m_stream = nullptr;
    nString m_temporaryPath;
    nString m_targetPath;
    int m_error = 0;
};
