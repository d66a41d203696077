#include "viewer/StartupFile.h"

#include "platform/nPlatform.h"

bool FindStartupFile(const nString& path, nString& found)
{
    if (path.IsEmpty())
        return false;
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    if (files.Exists(path))
    {
        found = path;
        return true;
    }
    const nString host = nString("view@cfile/") + path;
    if (!files.Exists(host))
        return false;
    found = host;
    return true;
}
