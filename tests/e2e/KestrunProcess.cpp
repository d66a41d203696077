#include "e2e/KestrunProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

void AppendOption(const char* variable, const char* option)
{
    const char* existing = std::getenv(variable);
    std::string value = existing && *existing ? std::string(existing) + ":" + option : option;
    setenv(variable, value.c_str(), 1);
}

struct StartedChild
{
    pid_t pid;
    int output;
};

StartedChild StartKestrun(const std::filesystem::path& workingDirectory,
                          const std::vector<std::string>& arguments, bool includeProgramName)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");

    std::vector<char*> argv;
    if (includeProgramName)
    {
        argv.push_back(const_cast<char*>(KESTRUN_BINARY));
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0)
    {
        close(pipeEnds[0]);
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[1]);
        const std::string exitCode = "exitcode=" + std::to_string(SanitizerExitCode);
        AppendOption("ASAN_OPTIONS", exitCode.c_str());
        AppendOption("UBSAN_OPTIONS", exitCode.c_str());
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(127);
        execv(KESTRUN_BINARY, argv.data());
        _exit(127);
    }

    close(pipeEnds[1]);
    return {child, pipeEnds[0]};
}

int ExitCodeOf(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

} // namespace

std::vector<std::string> ScriptLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);)
        if (line.rfind("[S] ", 0) == 0)
            lines.push_back(line.substr(4));
    return lines;
}

bool HasLine(const std::string& output, const std::string& line)
{
    const size_t at = output.find(line + "\n");
    return at != std::string::npos && (at == 0 || output[at - 1] == '\n');
}

KestrunRun RunKestrun(const std::filesystem::path& workingDirectory,
                      const std::vector<std::string>& arguments, bool includeProgramName)
{
    const StartedChild child = StartKestrun(workingDirectory, arguments, includeProgramName);
    KestrunRun run;
    char buffer[4096];
    ssize_t count;
    while ((count = read(child.output, buffer, sizeof(buffer))) != 0)
    {
        if (count > 0)
            run.output.append(buffer, static_cast<size_t>(count));
        else if (errno != EINTR)
            break;
    }
    close(child.output);
    run.exitCode = ExitCodeOf(child.pid);
    return run;
}

KestrunProcess::KestrunProcess(const std::filesystem::path& workingDirectory,
                               const std::vector<std::string>& arguments)
{
    const StartedChild child = StartKestrun(workingDirectory, arguments, true);
    m_pid = child.pid;
    m_output = child.output;
}

KestrunProcess::~KestrunProcess()
{
    if (!m_ended)
    {
        kill(m_pid, SIGKILL);
        Wait();
    }
}

bool KestrunProcess::ReadSome(int timeoutMilliseconds)
{
    pollfd ready{m_output, POLLIN, 0};
    const int result = poll(&ready, 1, timeoutMilliseconds);
    if (result < 0)
        return errno == EINTR;
    if (result == 0)
        return true;
    char buffer[4096];
    const ssize_t count = read(m_output, buffer, sizeof(buffer));
    if (count > 0)
        m_run.output.append(buffer, static_cast<size_t>(count));
    return count > 0 || (count < 0 && errno == EINTR);
}

bool KestrunProcess::WaitForText(const std::string& text, double timeoutSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (m_run.output.find(text) == std::string::npos)
    {
        if (std::chrono::steady_clock::now() > deadline || !ReadSome(50))
            return false;
    }
    return true;
}

void KestrunProcess::Signal(int signalNumber) const
{
    kill(m_pid, signalNumber);
}

KestrunRun KestrunProcess::Wait()
{
    if (m_ended)
        return m_run;
    while (ReadSome(-1))
    {
    }
    close(m_output);
    m_run.exitCode = ExitCodeOf(m_pid);
    m_ended = true;
    return m_run;
}

KestrunRun KestrunProcess::WaitAtMost(double timeoutSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!m_ended && std::chrono::steady_clock::now() < deadline)
    {
        if (!ReadSome(50))
            return Wait();
    }
    if (!m_ended)
        kill(m_pid, SIGKILL);
    return Wait();
}

KestrunRun RunKestrunWithFiles(const KestrunFiles& files, const std::vector<std::string>& arguments,
                               double timeoutSeconds)
{
    TemporaryDirectory directory;
    for (const auto& [name, content] : files)
        directory.WriteFile(name, content);
    KestrunProcess process(directory.Path(), arguments);
    return process.WaitAtMost(timeoutSeconds);
}

size_t CountOccurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TemporaryDirectory::TemporaryDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrun-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void TemporaryDirectory::WriteFile(const std::string& name, const std::string& content) const
{
    std::filesystem::create_directories((m_path / name).parent_path());
    std::ofstream(m_path / name, std::ios::binary) << content;
}
