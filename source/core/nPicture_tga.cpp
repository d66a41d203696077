#include "core/nPicture.h"

#include "core/nAutoArray.h"
#include "core/nIOHandle.h"
#include "core/nIOSystem.h"
#include "core/nLog.h"
#include "core/nTgaReader.h"
#include "core/nTgaWriter.h"
#include "platform/nPlatform.h"

#include <memory>

namespace
{

constexpr int64_t MaxTgaFileBytes = int64_t(1) << 31;

} // namespace

bool nPicture::ReadTGA(nPicture& picture, nIOHandle* handle)
{
    if (!handle)
        return false;
    handle->Rewind();
    uint8_t header[nTgaReader::HeaderSize];
    if (handle->Read(header, sizeof(header)) != sizeof(header) || !nTgaReader::HasSupportedType(header, sizeof(header)))
        return false;
    const int64_t size = handle->GetSize();
    if (size < int64_t(sizeof(header)) || size > MaxTgaFileBytes)
    {
        nLogHolder::Get() << "[!] TGA file size is out of range.\n";
        return false;
    }
    nAutoArray<uint8_t> file(MemCategoryPicture);
    if (!file.Resize(uint32_t(size)))
    {
        nLogHolder::Get() << "[!] Failed to allocate " << uint32_t(size) << " bytes for a TGA file.\n";
        return false;
    }
    handle->Rewind();
    const size_t read = handle->Read(file.GetData(), size_t(size));
    return nTgaReader(file.GetData(), read).Read(picture);
}

bool nPicture::SaveTGA(const nPicture& picture, const nString& path)
{
    nAutoArray<uint8_t> file(MemCategoryPicture);
    if (!nTgaWriter::Encode(picture, file))
        return false;
    std::unique_ptr<nIOHandle> handle(nPlatform::Get().GetIOSystem().Open(path, IOModeWrite));
    if (!handle)
    {
        nLogHolder::Get() << "[!] Cannot write to '" << path << "'.\n";
        return false;
    }
    if (handle->Write(file.GetData(), file.GetCount()) != file.GetCount())
    {
        nLogHolder::Get() << "[!] Cannot write to '" << path << "'.\n";
        return false;
    }
    return true;
}
