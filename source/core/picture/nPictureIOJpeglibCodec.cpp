#include "core/picture/nPictureIOJpeglibCodec.h"

#include "core/io/nIOHandle.h"
#include "core/picture/nJpegMemory.h"
#include "core/base/nLog.h"
#include "core/picture/nPicture.h"

#include <cstring>

nPictureIOJpeglibCodec::nPictureIOJpeglibCodec() : nPictureIOCodec(Name, "Jpeglib read/write codec.", 43) {}

bool nPictureIOJpeglibCodec::Load(nIOHandle* handle, nPicture& picture)
{
    handle->Rewind();
    uint8_t signature[2] = {};
    if (handle->Read(signature, 2) != 2 || signature[0] != 0xFF || signature[1] != 0xD8)
        return false;
    nAutoArray<uint8_t> file(MemCategoryGeneral);
    if (!ReadWholeFile(handle, "Jpeglib", file))
        return false;
    uint8_t* pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!JpegDecodeMemory(file.GetData(), file.GetCount(), &pixels, &width, &height))
        return false;
    const bool allocated = picture.Allocate(width, height, PixelFormatRGBA8);
    if (allocated)
        std::memcpy(picture.GetPixels(), pixels, picture.GetByteSize());
    JpegFreePixels(pixels);
    return allocated;
}

// Pictures in other formats are encoded from an RGB24 copy: reading their block as RGB24 rows
// would give a wrong picture or read past a 16-bit block.
bool nPictureIOJpeglibCodec::Save(nIOHandle* handle, const nPicture& picture)
{
    if (!picture.HasPixels() || picture.GetWidth() == 0 || picture.GetHeight() == 0)
        return false;
    const nPicture* source = &picture;
    nPicture copy;
    if (!(picture.GetFormat() == PixelFormatRGB24))
    {
        if (!copy.CopyFrom(picture) || !copy.Convert(PixelFormatRGB24))
        {
            nLogHolder::Get() << "[!] Jpeglib: cannot convert a " << picture.GetFormatName()
                              << " picture to R8G8B8.\n";
            return false;
        }
        source = &copy;
    }
    nAutoArray<uint8_t> block(MemCategoryGeneral);
    if (!block.Resize(EncodeCapacity))
        return false;
    size_t size = 0;
    if (!JpegEncodeMemory(block.GetData(), block.GetCount(), &size, Quality, source->GetPixels(),
                          source->GetWidth(), source->GetHeight()))
        return false;
    // The opener commits the handle; a write that already fell short must not pass silently.
    if (handle->Write(block.GetData(), size) != size)
    {
        nLogHolder::Get() << "[!] Jpeglib: cannot write the encoded picture.\n";
        return false;
    }
    return true;
}
