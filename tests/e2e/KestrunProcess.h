#pragma once

#include <filesystem>
#include <string>
#include <utility>
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

// The lines a run's scripts printed ("[S] " lines), without their prefix.
std::vector<std::string> ScriptLines(const std::string& output);
// Whether the output holds the line, whole.
bool HasLine(const std::string& output, const std::string& line);

// One run of the binary that the test drives while it runs: start it, wait until its output holds
// a text, send it a signal, then wait for its end. Destroying a process that still runs kills it.
class KestrunProcess
{
public:
    KestrunProcess(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments);
    ~KestrunProcess();
    KestrunProcess(const KestrunProcess&) = delete;
    KestrunProcess& operator=(const KestrunProcess&) = delete;

    // False when the program ended or the time ran out before the text appeared.
    bool WaitForText(const std::string& text, double timeoutSeconds);
    void Signal(int signalNumber) const;
    // Reads the rest of the output and the exit code.
    KestrunRun Wait();
    // Wait, but a run still going after the time is killed (exit code -SIGKILL), so that a hang
    // fails its test rather than the whole suite.
    KestrunRun WaitAtMost(double timeoutSeconds);
    const std::string& Output() const { return m_run.output; }

private:
    // Appends what is there to read within the time; false at the end of the output.
    bool ReadSome(int timeoutMilliseconds);

    int m_pid = -1;
    int m_output = -1;
    bool m_ended = false;
    KestrunRun m_run;
};

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

// Files of a run (name, content), written into its working directory.
using KestrunFiles = std::vector<std::pair<std::string, std::string>>;

// Runs the binary in a fresh temporary directory that holds the files, for at most the time.
KestrunRun RunKestrunWithFiles(const KestrunFiles& files, const std::vector<std::string>& arguments,
                               double timeoutSeconds = 60.0);

// How often the part occurs in the text, overlapping occurrences included.
size_t CountOccurrences(const std::string& text, const std::string& part);
