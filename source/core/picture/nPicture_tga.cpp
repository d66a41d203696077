#include "core/picture/nPicture.h"

#include "core/base/nAutoArray.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/base/nLog.h"
#include "core/picture/nTgaReader.h"
#include "core/picture/nTgaWriter.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <memory>

namespace
{

constexpr int64_t MaxTgaFileBytes = int64_t(1) << 31;

} // namespace

// An uncompressed file is read straight into the block that becomes the picture, and decoded
// there, so that loading costs no copy of the file.
bool nPicture::ReadTGA(nPicture& picture, nIOHandle* handle)
{
    if (!handle)
        return false;
    handle->Rewind();
    uint8_t header[nTgaReader::HeaderSize];
    if (handle->Read(header, sizeof(header)) != sizeof(header) ||
        !nTgaReader::IsTgaHeader(header, sizeof(header)))
        return false;
    const int64_t size = handle->GetSize();
    if (size < int64_t(sizeof(header)) || size > MaxTgaFileBytes)
    {
        nLogHolder::Get() << "[!] TGA file size is out of range.\n";
        return false;
    }
    // The block grows to the picture's size only when the file can hold that many pixels: the
    // reader refuses the others, and they must not cost a large allocation first.
    const uint64_t claimedPixels = uint64_t(header[12] | header[13] << 8) * (header[14] | header[15] << 8);
    const bool runLength = (header[2] & 8) != 0;
    const uint32_t valueBytes = header[2] == 1 ? 1u : std::max(1u, header[16] / 8u);
    size_t capacity = size_t(size);
    if (!runLength && claimedPixels * valueBytes <= uint64_t(size) && claimedPixels * 4 <= MaxBlockBytes)
        capacity = std::max(capacity, size_t(claimedPixels * 4));
    uint8_t* block = picture.AllocBlock(capacity);
    if (!block)
    {
        nLogHolder::Get() << "[!] Failed to allocate " << uint32_t(capacity) << " bytes for a TGA file.\n";
        return false;
    }
    handle->Rewind();
    nTgaReader reader(block, handle->Read(block, size_t(size)));
    bool read = reader.ParseHeader();
    if (read && runLength)
    {
        uint8_t* pixels = picture.AllocBlock(reader.GetPixelBytes());
        if (!pixels)
            LogAllocationFailure(reader.GetWidth(), reader.GetHeight(), 32);
        read = pixels && reader.Decode(pixels);
        picture.FreeBlock(block);
        block = pixels;
    }
    else if (read)
        read = capacity >= reader.GetPixelBytes() && reader.Decode(block);
    if (!read)
    {
        picture.FreeBlock(block);
        return false;
    }
    picture.SetBuffer(block, reader.GetWidth(), reader.GetHeight(), PixelFormatBGRA8, true);
    return true;
}

bool nPicture::SaveTGA(const nPicture& picture, const nString& path)
{
    nAutoArray<uint8_t> file(MemCategoryPicture);
    if (!nTgaWriter::Encode(picture, file))
        return false;
    std::unique_ptr<nIOHandle> handle(nPlatform::Get().GetIOSystem().Open(path, IOModeWrite));
    if (!handle)
    {
        nLogHolder::Get() << "[!] Cannot write to '" << nPlatform::Get().GetIOSystem().StripSystemPrefix(path)
                          << "'.\n";
        return false;
    }
    handle->Write(file.GetData(), file.GetCount());
    return handle->Commit();
}
