#include "e2e/KestrunProcess.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

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

} // namespace

KestrunRun RunKestrun(const std::filesystem::path& workingDirectory,
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
    KestrunRun run;
    char buffer[4096];
    ssize_t count;
    while ((count = read(pipeEnds[0], buffer, sizeof(buffer))) != 0)
    {
        if (count > 0)
            run.output.append(buffer, static_cast<size_t>(count));
        else if (errno != EINTR)
            break;
    }
    close(pipeEnds[0]);

    int status = 0;
    waitpid(child, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return run;
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
