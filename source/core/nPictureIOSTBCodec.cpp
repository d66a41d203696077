#include "core/nPictureIOSTBCodec.h"

#include "core/nIOHandle.h"
#include "core/nLog.h"
#include "core/nPicture.h"

#include <cstring>

// The one translation unit that holds the decoder. Each side is limited so that a picture fits
// the largest picture block.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

nPictureIOSTBCodec::nPictureIOSTBCodec()
    : nPictureIOCodec(Name, "Reads the formats of the stb_image decoder (PNG, BMP, GIF, PSD, HDR, PIC, PNM).", 1)
{
}

bool nPictureIOSTBCodec::Load(nIOHandle* handle, nPicture& picture)
{
    nAutoArray<uint8_t> file(MemCategoryGeneral);
    if (!ReadWholeFile(handle, "STB", file))
        return false;
    if (file.GetCount() > uint32_t(INT32_MAX))
        return false;
    int width = 0;
    int height = 0;
    int components = 0;
    stbi_uc* decoded = stbi_load_from_memory(file.GetData(), int(file.GetCount()), &width, &height, &components, 4);
    if (!decoded)
        return false;
    const bool allocated = picture.Allocate(uint32_t(width), uint32_t(height), PixelFormatRGBA8);
    if (allocated)
        std::memcpy(picture.GetPixels(), decoded, picture.GetByteSize());
    stbi_image_free(decoded);
    return allocated;
}
