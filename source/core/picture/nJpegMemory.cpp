#include "core/picture/nJpegMemory.h"

#include "core/base/nLog.h"
#include "core/picture/nPicture.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace
{

constexpr size_t ChunkSize = 4096;
// Beyond this the library's own work buffers fail with its out-of-memory error.
constexpr long LibraryMemoryLimit = 512L << 20;

struct ErrorManager
{
    jpeg_error_mgr base;
    jmp_buf jump;
};

void LogMessage(j_common_ptr info, const char* prefix)
{
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    nLogHolder::Get() << prefix << "Jpeglib: " << message << "\n";
}

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    LogMessage(info, "[!] ");
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void OutputMessage(j_common_ptr info)
{
    LogMessage(info, "[*] ");
}

void InstallErrorManager(ErrorManager& manager)
{
    jpeg_std_error(&manager.base);
    manager.base.error_exit = ErrorExit;
    manager.base.output_message = OutputMessage;
}

struct MemorySource
{
    jpeg_source_mgr base;
    const uint8_t* data;
    size_t size;
    bool startOfFile;
};

const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<MemorySource*>(info->src)->startOfFile = true;
}

// The whole block is handed over at once; past its end the library gets an end-of-image code
// so that a truncated file decodes what it holds.
boolean FillInputBuffer(j_decompress_ptr info)
{
    MemorySource* source = reinterpret_cast<MemorySource*>(info->src);
    if (source->size == 0)
    {
        if (source->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        source->base.next_input_byte = EndOfImage;
        source->base.bytes_in_buffer = sizeof(EndOfImage);
    }
    else
    {
        source->base.next_input_byte = source->data;
        source->base.bytes_in_buffer = source->size;
        source->size = 0;
    }
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    while (size_t(count) > source->bytes_in_buffer)
    {
        count -= long(source->bytes_in_buffer);
        source->bytes_in_buffer = 0;
        FillInputBuffer(info);
        if (source->next_input_byte == EndOfImage)
            return; // nothing left to skip over
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

struct MemoryDestination
{
    jpeg_destination_mgr base;
    JOCTET* buffer;
    uint8_t* target;
    size_t capacity;
    size_t* size;
};

void InitDestination(j_compress_ptr info)
{
    MemoryDestination* destination = reinterpret_cast<MemoryDestination*>(info->dest);
    destination->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, ChunkSize));
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = ChunkSize;
}

void CopyOut(j_compress_ptr info, size_t count)
{
    MemoryDestination* destination = reinterpret_cast<MemoryDestination*>(info->dest);
    if (destination->capacity - *destination->size < count)
        ERREXIT(info, JERR_FILE_WRITE);
    std::memcpy(destination->target + *destination->size, destination->buffer, count);
    *destination->size += count;
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    CopyOut(info, ChunkSize);
    info->dest->next_output_byte = reinterpret_cast<MemoryDestination*>(info->dest)->buffer;
    info->dest->free_in_buffer = ChunkSize;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    CopyOut(info, ChunkSize - info->dest->free_in_buffer);
}

bool IsSupportedColourSpace(const jpeg_decompress_struct& info)
{
    return (info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1) ||
           ((info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB) &&
            info.num_components == 3);
}

} // namespace

int JpegDecodeMemory(const uint8_t* data, size_t size, uint8_t** pixels, uint32_t* width, uint32_t* height)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    MemorySource source;
    uint8_t* volatile block = nullptr;
    info.err = &errors.base;
    InstallErrorManager(errors);
    if (setjmp(errors.jump))
    {
        jpeg_destroy_decompress(&info);
        std::free(block);
        return 0;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = LibraryMemoryLimit;
    source.base.init_source = InitSource;
    source.base.fill_input_buffer = FillInputBuffer;
    source.base.skip_input_data = SkipInputData;
    source.base.resync_to_restart = jpeg_resync_to_restart;
    source.base.term_source = TermSource;
    source.base.next_input_byte = nullptr;
    source.base.bytes_in_buffer = 0;
    source.data = data;
    source.size = size;
    source.startOfFile = true;
    info.src = &source.base;

    jpeg_read_header(&info, TRUE);
    const uint64_t pixelCount = uint64_t(info.image_width) * info.image_height;
    // Huffman coding spends at least one bit on each 8 x 8 block, so a file holds at most 512
    // pixels per byte: a header that claims more describes data the file cannot hold. Arithmetic
    // coding can spend far less on a flat block, so those files get the bound of the other
    // compressed formats, which still refuses a few hundred bytes that claim a gigapixel.
    const uint64_t pixelsPerByte = info.arith_code ? nPicture::MaxPixelsPerByte : 512;
    const bool holdable = pixelCount <= uint64_t(size) * pixelsPerByte;
    if (!IsSupportedColourSpace(info) || !holdable || pixelCount * 4 > nPicture::MaxBlockBytes)
    {
        if (!IsSupportedColourSpace(info))
            nLogHolder::Get() << "[!] Jpeglib: pictures of " << info.num_components
                              << " components in this colour space are not supported.\n";
        else
            nLogHolder::Get() << "[!] Jpeglib: a " << unsigned(info.image_width) << "x"
                              << unsigned(info.image_height) << " picture cannot be read from "
                              << unsigned(size) << " bytes.\n";
        jpeg_destroy_decompress(&info);
        return 0;
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    const size_t pitch = size_t(info.output_width) * 4;
    block = static_cast<uint8_t*>(std::malloc(pitch * info.output_height));
    if (!block)
    {
        nLogHolder::Get() << "[!] Jpeglib: failed to allocate " << unsigned(info.output_width) << "x"
                          << unsigned(info.output_height) << " pixels.\n";
        jpeg_destroy_decompress(&info);
        return 0;
    }
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW row = block + size_t(info.output_scanline) * pitch;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    *pixels = block;
    *width = info.output_width;
    *height = info.output_height;
    jpeg_destroy_decompress(&info);
    return 1;
}

void JpegFreePixels(uint8_t* pixels)
{
    std::free(pixels);
}

int JpegEncodeMemory(uint8_t* target, size_t capacity, size_t* size, int quality, const uint8_t* pixels,
                     uint32_t width, uint32_t height)
{
    jpeg_compress_struct info;
    ErrorManager errors;
    MemoryDestination destination;
    *size = 0;
    info.err = &errors.base;
    InstallErrorManager(errors);
    if (setjmp(errors.jump))
    {
        jpeg_destroy_compress(&info);
        return 0;
    }
    jpeg_create_compress(&info);
    destination.base.init_destination = InitDestination;
    destination.base.empty_output_buffer = EmptyOutputBuffer;
    destination.base.term_destination = TermDestination;
    destination.buffer = nullptr;
    destination.target = target;
    destination.capacity = capacity;
    destination.size = size;
    info.dest = &destination.base;

    info.in_color_space = JCS_RGB;
    info.input_components = 3;
    info.image_width = width;
    info.image_height = height;
    jpeg_set_defaults(&info);
    info.err->trace_level = 0;
    info.dct_method = JDCT_FLOAT;
    info.optimize_coding = TRUE;
    jpeg_set_quality(&info, quality, FALSE);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const size_t pitch = size_t(width) * 3;
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(info.next_scanline) * pitch);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 1;
}
