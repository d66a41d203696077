#include "core/picture/nPictureIOSTBCodec.h"

#include "core/base/nLog.h"
#include "core/io/nIOHandle.h"
#include "core/picture/nPicture.h"

#include <cstring>

// The one translation unit that holds the decoder. Each side is limited so that a picture fits
// the largest picture block. JPEG and TGA have readers of their own, which refuse damaged files
// that the packaged decoder would mishandle: its JPEG reader writes past its Huffman tables on a
// malformed table, and its TGA reader decodes headers far larger than the file. Its PNM and PSD
// readers are left out: the PNM reader overflows its header numbers and reads past its block on
// 16-bit files, and the PSD reader converts out-of-range floats to bytes on damaged files.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_STDIO
#define STBI_NO_JPEG
#define STBI_NO_TGA
#define STBI_NO_PNM
#define STBI_NO_PSD
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace
{

// The decoder grows its buffer for compressed PNG data to a chunk's stated length before it
// checks that the file holds that many bytes; chunks are checked against the file first.
bool PngChunksFitTheFile(const uint8_t* data, size_t size)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size < sizeof(signature) || std::memcmp(data, signature, sizeof(signature)) != 0)
        return true; // not a PNG file
    size_t position = sizeof(signature);
    while (size - position >= 12)
    {
        const uint32_t length = uint32_t(data[position]) << 24 | uint32_t(data[position + 1]) << 16 |
                                uint32_t(data[position + 2]) << 8 | data[position + 3];
        if (length > size - position - 12)
            return false;
        if (std::memcmp(data + position + 4, "IEND", 4) == 0)
            return true;
        position += size_t(length) + 12;
    }
    return false;
}

} // namespace

nPictureIOSTBCodec::nPictureIOSTBCodec()
    : nPictureIOCodec(Name, "Reads PNG, BMP, GIF, HDR and PIC through the stb_image decoder.", 1)
{
}

bool nPictureIOSTBCodec::Load(nIOHandle* handle, nPicture& picture)
{
    nAutoArray<uint8_t> file(MemCategoryGeneral);
    if (!ReadWholeFile(handle, "STB", file))
        return false;
    static_assert(nPicture::MaxBlockBytes <= uint64_t(INT32_MAX),
                  "whole files are read only up to a block's size");
    const int size = int(file.GetCount());
    if (!PngChunksFitTheFile(file.GetData(), file.GetCount()))
    {
        nLogHolder::Get() << "[!] STB: the PNG file is truncated or its chunk lengths are damaged.\n";
        return false;
    }
    int width = 0;
    int height = 0;
    int components = 0;
    // A header that claims more pixels than the file can hold would only decode to zeros, slowly.
    if (stbi_info_from_memory(file.GetData(), size, &width, &height, &components) &&
        uint64_t(width) * uint64_t(height) > uint64_t(size) * nPicture::MaxPixelsPerByte)
    {
        nLogHolder::Get() << "[!] STB: a " << width << "x" << height << " picture cannot be read from "
                          << size << " bytes.\n";
        return false;
    }
    stbi_uc* decoded = stbi_load_from_memory(file.GetData(), size, &width, &height, &components, 4);
    if (!decoded)
        return false;
    const bool allocated = picture.Allocate(uint32_t(width), uint32_t(height), PixelFormatRGBA8);
    if (allocated)
        std::memcpy(picture.GetPixels(), decoded, picture.GetByteSize());
    stbi_image_free(decoded);
    return allocated;
}
