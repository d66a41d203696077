#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What one run of the Kestrun binary left behind.
struct KestrunRun
{
    int exitCode = -1;  // the signal number negated when the program did not exit by itself
    std::string output; // everything written to the standard output
};

// Runs the binary under test in the working directory with exactly these arguments after the
// program name (no shell, so arguments may hold blanks and quotes). When includeProgramName is
// false the program gets an empty argument vector. A sanitizer report ends the run with exit code
// SanitizerExitCode so that it cannot pass for one of the program's own codes.
KestrunRun RunKestrun(const std::filesystem::path& workingDirectory,
                      const std::vector<std::string>& arguments, bool includeProgramName = true);

constexpr int SanitizerExitCode = 86;

// A fresh directory under the system's temporary directory, removed with its content at the end.
class TemporaryDirectory
{
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Creates the directories of the name as needed.
    void WriteFile(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path m_path;
};
