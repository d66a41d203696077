#include "platform/nHostFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool PathExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// Among the entries of a directory that equal the name without regard to case, the smallest in
// byte order, so the choice does not depend on the directory's listing order.
bool FindWithoutCase(const std::string& directory, const std::string& name, std::string& found)
{
    DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!listing)
        return false;
    bool any = false;
    while (const dirent* entry = ::readdir(listing))
    {
        if (::strcasecmp(entry->d_name, name.c_str()) != 0)
            continue;
        if (!any || std::strcmp(entry->d_name, found.c_str()) < 0)
            found = entry->d_name;
        any = true;
    }
    ::closedir(listing);
    return any;
}

std::string Join(const std::string& directory, const std::string& name)
{
    if (directory.empty())
        return name;
    if (directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}

}

nString HostResolvePath(const nString& root, const nString& path)
{
    std::string relative = path.GetText() ? path.GetText() : "";
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    const std::string base = root.GetText() ? root.GetText() : "";
    const std::string direct = base.empty() ? relative : base + "/" + relative;
    if (relative.empty() || PathExists(direct))
        return nString(direct.c_str());

    std::string resolved = base.empty() ? (relative[0] == '/' ? "/" : "") : base;
    size_t start = 0;
    bool matching = true;
    while (start <= relative.size())
    {
        size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string component = relative.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        std::string next = Join(resolved, component);
        if (matching && !PathExists(next))
        {
            std::string found;
            if (FindWithoutCase(resolved, component, found))
                next = Join(resolved, found);
            else
                matching = false;
        }
        resolved = next;
    }
    return nString(resolved.c_str());
}

FILE* HostOpenFile(const nString& hostPath, bool write)
{
    if (hostPath.IsEmpty())
        return nullptr;
    FILE* file = std::fopen(hostPath.GetText(), write ? "wb" : "rb");
    if (!file)
        return nullptr;
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode))
    {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool HostDeleteFile(const nString& hostPath)
{
    return !hostPath.IsEmpty() && ::unlink(hostPath.GetText()) == 0;
}

bool HostRenameFile(const nString& from, const nString& to)
{
    if (from.IsEmpty() || to.IsEmpty())
        return false;
    if (::renameat2(AT_FDCWD, from.GetText(), AT_FDCWD, to.GetText(), RENAME_NOREPLACE) == 0)
        return true;
    // File systems without the no-replace flag: check, then rename.
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (PathExists(to.GetText()))
        return false;
    return std::rename(from.GetText(), to.GetText()) == 0;
}
