#include "platform/nHostFileReplacement.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The file a link names, so that saving over a link keeps the link.
std::string FollowLinks(const char* path)
{
    struct stat info;
    if (::lstat(path, &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char* resolved = ::realpath(path, nullptr);
    if (!resolved)
        return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// open(2) applies the process's umask to a new file as fopen would; an existing target's own
// permissions are carried over so that replacing it does not change who may read it.
int CreateBeside(const std::string& target, std::string& temporary)
{
    static std::atomic<unsigned> counter{0};
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
    {
        errno = EISDIR;
        return -1;
    }
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        temporary = target + ".saving-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor >= 0 && exists)
            ::fchmod(descriptor, existing.st_mode & 07777);
        return descriptor;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

bool nHostFileReplacement::Begin(const nString& targetPath)
{
    Abandon();
    m_error = 0;
    if (targetPath.IsEmpty())
    {
        m_error = ENOENT;
        return false;
    }
    const std::string target = FollowLinks(targetPath.GetText());
    std::string temporary;
    const int descriptor = CreateBeside(target, temporary);
    if (descriptor < 0)
    {
        m_error = errno;
        return false;
    }
    m_stream = ::fdopen(descriptor, "wb");
    if (!m_stream)
    {
        m_error = errno;
        ::close(descriptor);
        ::unlink(temporary.c_str());
        return false;
    }
    m_temporaryPath = temporary.c_str();
    m_targetPath = target.c_str();
    return true;
}

bool nHostFileReplacement::Fail()
{
    m_error = errno != 0 ? errno : EIO;
    Abandon();
    return false;
}

bool nHostFileReplacement::Commit()
{
    if (!m_stream)
    {
        m_error = EBADF;
        return false;
    }
    errno = 0;
    if (std::fflush(m_stream) != 0 || std::ferror(m_stream) || ::fsync(::fileno(m_stream)) != 0)
        return Fail();
    FILE* stream = m_stream;
    m_stream = nullptr;
    if (std::fclose(stream) != 0)
        return Fail();
    if (std::rename(m_temporaryPath.GetText(), m_targetPath.GetText()) != 0)
        return Fail();
    m_temporaryPath = nString();
    return true;
}

void nHostFileReplacement::Abandon()
{
    if (m_stream)
    {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_temporaryPath.IsEmpty())
    {
        ::unlink(m_temporaryPath.GetText());
        m_temporaryPath = nString();
    }
}
