#include "core/io/nIOCFile.h"

#include "core/base/nLog.h"
#include "core/io/nIOCFileHandle.h"
#include "platform/nHostFile.h"

#include <cerrno>
#include <cstring>

namespace
{

FILE* StreamOf(nIOHandle* handle)
{
    return handle ? static_cast<nIOCFileHandle*>(handle)->stream : nullptr;
}

// Content names files inside what the user mounted: a ".." that climbs above the mounted
// directory would let it read or write anywhere.
bool StaysInside(const nString& path)
{
    int depth = 0;
    const char* text = path.GetText() ? path.GetText() : "";
    while (*text)
    {
        const char* end = text;
        while (*end && *end != '/' && *end != '\\')
            ++end;
        const size_t length = static_cast<size_t>(end - text);
        if (length == 2 && text[0] == '.' && text[1] == '.')
        {
            if (--depth < 0)
                return false;
        }
        else if (length > 0 && !(length == 1 && text[0] == '.'))
            ++depth;
        text = *end ? end + 1 : end;
    }
    return true;
}

}

// A directory mounted with an empty root is the working directory and the paths the user gives
// on the command line, which may lead anywhere; any other root contains its paths.
bool nIOCFile::Contains(const nString& path) const
{
    if (m_root.IsEmpty() || StaysInside(path))
        return true;
    nLogHolder::Get() << "[!] '" << path << "' leads out of the mounted directory '" << m_root << "'; refused.\n";
    return false;
}

void nIOCFile::GetNativePath(nString& out, const nString& path)
{
    out = HostResolvePath(m_root, path);
}

// "/data/dx" is not inside "/data/d": the root must end at a path component.
void nIOCFile::GetRelativePath(nString& out, const nString& nativePath)
{
    const uint32_t rootLength = m_root.GetLength();
    const bool underRoot = rootLength > 0 && nativePath.GetLength() >= rootLength &&
                           std::memcmp(nativePath.GetText(), m_root.GetText(), rootLength) == 0 &&
                           (nativePath.GetLength() == rootLength || nativePath.GetText()[rootLength] == '/' ||
                            m_root.GetText()[rootLength - 1] == '/');
    out = underRoot ? nString(nativePath.GetText() + rootLength) : nativePath;
}

nIOHandle* nIOCFile::Open(const nString& path, int mode)
{
    if ((mode != IOModeRead && mode != IOModeWrite) || !Contains(path))
        return nullptr;
    auto* handle = new nIOCFileHandle(this);
    if (!handle)
        return nullptr;
    const nString hostPath = HostResolvePath(m_root, path);
    if (mode == IOModeRead)
        handle->stream = HostOpenFile(hostPath, false);
    else if (handle->replacement.Begin(hostPath))
        handle->stream = handle->replacement.GetStream();
    if (!handle->stream)
    {
        delete handle;
        return nullptr;
    }
    return handle;
}

// A write handle closed without Commit was abandoned part-way: the target stays as it was.
void nIOCFile::Close(nIOHandle* handle)
{
    auto* fileHandle = static_cast<nIOCFileHandle*>(handle);
    if (!fileHandle || !fileHandle->stream)
        return;
    if (fileHandle->replacement.GetStream())
        fileHandle->replacement.Abandon();
    else
        std::fclose(fileHandle->stream);
    fileHandle->stream = nullptr;
}

bool nIOCFile::Commit(nIOHandle* handle)
{
    auto* fileHandle = static_cast<nIOCFileHandle*>(handle);
    if (!fileHandle || !fileHandle->replacement.GetStream())
    {
        Close(handle);
        return fileHandle && fileHandle->writeError == 0;
    }
    fileHandle->stream = nullptr;
    const bool written = fileHandle->writeError == 0 && fileHandle->replacement.Commit();
    if (!written)
    {
        const int error = fileHandle->writeError != 0 ? fileHandle->writeError : fileHandle->replacement.GetError();
        const nString& shown = handle->GetShownPath();
        nLogHolder::Get() << "[!] Failed to save '"
                          << (shown.IsEmpty() ? fileHandle->replacement.GetTargetPath() : shown)
                          << "': " << std::strerror(error) << ".\n";
        fileHandle->replacement.Abandon();
    }
    return written;
}

bool nIOCFile::Delete(const nString& path)
{
    return Contains(path) && HostDeleteFile(HostResolvePath(m_root, path));
}

int64_t nIOCFile::Tell(nIOHandle* handle)
{
    FILE* stream = StreamOf(handle);
    return stream ? std::ftell(stream) : -1;
}

int64_t nIOCFile::Seek(nIOHandle* handle, int64_t offset, int origin)
{
    FILE* stream = StreamOf(handle);
    if (!stream)
        return -1;
    const int whence = origin == IOSeekCurrent ? SEEK_CUR : origin == IOSeekEnd ? SEEK_END : SEEK_SET;
    return std::fseek(stream, offset, whence);
}

size_t nIOCFile::Read(nIOHandle* handle, void* buffer, size_t size)
{
    FILE* stream = StreamOf(handle);
    return stream && buffer ? std::fread(buffer, 1, size, stream) : 0;
}

size_t nIOCFile::Write(nIOHandle* handle, const void* buffer, size_t size)
{
    FILE* stream = StreamOf(handle);
    if (!stream || !buffer)
        return 0;
    errno = 0;
    const size_t written = std::fwrite(buffer, 1, size, stream);
    auto* fileHandle = static_cast<nIOCFileHandle*>(handle);
    if (written != size && fileHandle->writeError == 0)
        fileHandle->writeError = errno != 0 ? errno : EIO;
    return written;
}
