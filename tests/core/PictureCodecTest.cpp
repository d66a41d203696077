#include "PictureMemoryFile.h"
#include "PictureTestSupport.h"

#include "core/io/nIOCFile.h"
#include "core/io/nIOSystem.h"
#include "core/picture/nJpegMemory.h"
#include "core/picture/nPictureIOCodec.h"
#include "core/picture/nPictureIOSTBCodec.h"
#include "platform/nPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <jpeglib.h>

namespace
{

namespace fs = std::filesystem;

// The codec list is process-wide: it is filled once, and the lines of that first registration
// are kept for the test that checks them.
const std::string& RegisterCodecsOnce()
{
    static const std::string lines = []
    {
        PictureLog log;
        PictureRegisterIOCodecs();
        return log.text;
    }();
    return lines;
}

class PictureCodecTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterCodecsOnce(); }
};

// Rows of red, green, blue encoded by the engine's own encoder.
std::vector<uint8_t> EncodeJpeg(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> block(1 << 20);
    size_t size = 0;
    EXPECT_EQ(JpegEncodeMemory(block.data(), block.size(), &size, 98, rgb.data(), width, height), 1);
    block.resize(size);
    return block;
}

// Files the engine never writes itself (grey, CMYK, arithmetic-coded), straight from the library.
std::vector<uint8_t> EncodeJpegIn(J_COLOR_SPACE space, int components, uint32_t width, uint32_t height,
                                  uint8_t value, bool arithmetic = false)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    info.arith_code = arithmetic;
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(width) * components, value);
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file(out, out + size);
    std::free(out);
    return file;
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    out.insert(out.end(), {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
}

void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data)
{
    PutU32(png, uint32_t(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    PutU32(png, Crc32(typed.data(), typed.size()));
}

// An RGBA PNG whose pixel data is one stored (uncompressed) deflate block.
std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba)
{
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutU32(header, width);
    PutU32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < height; ++y)
    {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + y * width * 4, rgba.begin() + (y + 1) * width * 4);
    }
    const uint16_t length = uint16_t(raw.size());
    std::vector<uint8_t> zlib = {
        0x78, 0x01, 0x01, uint8_t(length), uint8_t(length >> 8), uint8_t(~length), uint8_t(~length >> 8)};
    zlib.insert(zlib.end(), raw.begin(), raw.end());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutU32(zlib, b << 16 | a);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

TEST_F(PictureCodecTest, RegistrationLogsItsThreeLinesWithJpeglibFirst)
{
    EXPECT_EQ(RegisterCodecsOnce(), "Beginning picture I/O codec registration sequence...\n"
                                    "Codec 'Jpeglib' registered successfully.\n"
                                    "Codec 'STB' registered successfully.\n");
    const auto& codecs = PictureGetIOCodecs();
    ASSERT_EQ(codecs.GetCount(), 2u);
    EXPECT_EQ(codecs.GetHead()->value->GetName(), "Jpeglib");
    EXPECT_EQ(codecs.GetHead()->value->GetDescription(), "Jpeglib read/write codec.");
    EXPECT_EQ(codecs.GetHead()->value->GetKind(), 43);
    EXPECT_EQ(codecs.GetTail()->value, PictureFindIOCodec("STB"));
    EXPECT_EQ(PictureFindIOCodec("stb"), nullptr);
}

TEST_F(PictureCodecTest, ASecondCodecOfATakenNameIsRefusedAndTheFirstStays)
{
    nPictureIOCodec* first = PictureFindIOCodec("STB");
    PictureLog log;
    nPictureIOSTBCodec second;
    EXPECT_FALSE(PictureRegisterIOCodec(&second, true));
    EXPECT_EQ(PictureFindIOCodec("STB"), first);
    EXPECT_EQ(PictureGetIOCodecs().GetCount(), 2u);
    EXPECT_EQ(log.text, "");

    PictureRegisterIOCodecs(); // a second sequence adds nothing
    EXPECT_EQ(PictureGetIOCodecs().GetCount(), 2u);
    EXPECT_EQ(log.text, "Beginning picture I/O codec registration sequence...\n");
}

TEST_F(PictureCodecTest, AJpegLoadsAsRgba8WithFullAlpha)
{
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 16 * 8; ++i)
        rgb.insert(rgb.end(), {200, 100, 50});
    nPicture picture;
    ASSERT_TRUE(LoadPictureBytes(picture, EncodeJpeg(16, 8, rgb)));
    EXPECT_TRUE(picture.GetFormat() == PixelFormatRGBA8);
    ASSERT_EQ(picture.GetWidth(), 16u);
    ASSERT_EQ(picture.GetHeight(), 8u);
    const uint8_t* pixel = picture.GetPixelAddress(5, 5);
    EXPECT_NEAR(pixel[0], 200, 3);
    EXPECT_NEAR(pixel[1], 100, 3);
    EXPECT_NEAR(pixel[2], 50, 3);
    EXPECT_EQ(pixel[3], 255);
}

TEST_F(PictureCodecTest, AGreyJpegLoadsAsGreyRgba8)
{
    nPicture picture;
    ASSERT_TRUE(LoadPictureBytes(picture, EncodeJpegIn(JCS_GRAYSCALE, 1, 9, 3, 77)));
    ASSERT_EQ(picture.GetWidth(), 9u);
    const uint8_t* pixel = picture.GetPixelAddress(8, 2);
    EXPECT_NEAR(pixel[0], 77, 1);
    EXPECT_EQ(pixel[0], pixel[1]);
    EXPECT_EQ(pixel[0], pixel[2]);
    EXPECT_EQ(pixel[3], 255);
}

std::vector<uint8_t> Fixture(const char* name)
{
    std::ifstream file(fs::path(KESTRUN_PICTURE_FIXTURES) / name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// The reference is the same file decoded once with the library's floating-point transform and
// stored losslessly; the fast integer transform is several levels off on a gradient.
TEST_F(PictureCodecTest, AGradientJpegDecodesWithinOneLevelOfAReferenceDecode)
{
    nPicture picture, reference;
    ASSERT_TRUE(LoadPictureBytes(picture, Fixture("gradient.jpg")));
    ASSERT_TRUE(LoadPictureBytes(reference, Fixture("gradient.reference.png")));
    ASSERT_EQ(picture.GetWidth(), reference.GetWidth());
    ASSERT_EQ(picture.GetHeight(), reference.GetHeight());
    const auto decoded = PixelBytes(picture), expected = PixelBytes(reference);
    int largest = 0;
    for (size_t i = 0; i < decoded.size(); ++i)
        largest = std::max(largest, std::abs(int(decoded[i]) - int(expected[i])));
    EXPECT_LE(largest, 1);
}

// Header dimensions patched into a valid file: the frame header holds height, then width.
std::vector<uint8_t> ClaimingSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height)
{
    for (size_t i = 2; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC9))
        {
            jpeg[i + 5] = uint8_t(height >> 8);
            jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8);
            jpeg[i + 8] = uint8_t(width);
            break;
        }
    return jpeg;
}

TEST_F(PictureCodecTest, JpegsOfEitherCodingThatClaimMorePixelsThanTheyCanHoldAreRefused)
{
    for (bool arithmetic : {false, true})
    {
        SCOPED_TRACE(arithmetic ? "arithmetic" : "Huffman");
        const auto jpeg = EncodeJpegIn(JCS_RGB, 3, 16, 16, 90, arithmetic);
        nPicture picture;
        ASSERT_TRUE(LoadPictureBytes(picture, jpeg));
        EXPECT_NEAR(picture.GetPixels()[0], 90, 1);

        PictureLog log;
        nPicture refused;
        EXPECT_FALSE(LoadPictureBytes(refused, ClaimingSize(jpeg, 16384, 16384)));
        EXPECT_EQ(log.text, "[!] Jpeglib: a 16384x16384 picture cannot be read from " +
                                std::to_string(jpeg.size()) + " bytes.\n");
        EXPECT_FALSE(refused.HasPixels());
    }
}

TEST_F(PictureCodecTest, ACmykJpegIsRefusedByJpeglibWithALine)
{
    PictureLog log;
    nPicture picture;
    nSharedPtr<nIOBase> file(new PictureMemoryFile(EncodeJpegIn(JCS_CMYK, 4, 4, 4, 10)));
    std::unique_ptr<nIOHandle> handle(file->Open(nString(), IOModeRead));
    EXPECT_FALSE(PictureFindIOCodec("Jpeglib")->Load(handle.get(), picture));
    EXPECT_EQ(log.text, "[!] Jpeglib: pictures of 4 components in this colour space are not supported.\n");
    EXPECT_FALSE(picture.HasPixels());
}

TEST_F(PictureCodecTest, APngLoadsThroughStbAsRgba8)
{
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 9, 8, 7, 6};
    const auto png = MakePng(2, 2, rgba);
    nPicture picture;
    ASSERT_TRUE(LoadPictureBytes(picture, png));
    EXPECT_TRUE(picture.GetFormat() == PixelFormatRGBA8);
    EXPECT_EQ(PixelBytes(picture), rgba);

    nSharedPtr<nIOBase> file(new PictureMemoryFile(png));
    std::unique_ptr<nIOHandle> handle(file->Open(nString(), IOModeRead));
    nPicture direct;
    EXPECT_FALSE(PictureFindIOCodec("Jpeglib")->Load(handle.get(), direct));
    EXPECT_FALSE(nPicture::ReadTGA(direct, handle.get()));
    EXPECT_TRUE(PictureFindIOCodec("STB")->Load(handle.get(), direct));
}

// A 32-bit BMP: its third byte, the low byte of the file size, is 2, an image type of TGA files.
std::vector<uint8_t> MakeBmp(uint32_t width, uint32_t height, uint32_t bgra)
{
    std::vector<uint8_t> bmp = {'B', 'M'};
    const auto put32 = [&bmp](uint32_t value) {
        bmp.insert(bmp.end(),
                   {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
    };
    const uint32_t pixelBytes = width * height * 4;
    put32(54 + pixelBytes);
    put32(0);
    put32(54);
    for (uint32_t value : {40u, width, height})
        put32(value);
    bmp.insert(bmp.end(), {1, 0, 32, 0});
    for (uint32_t value : {0u, pixelBytes, 2835u, 2835u, 0u, 0u})
        put32(value);
    for (uint32_t i = 0; i < width * height; ++i)
        put32(bgra);
    return bmp;
}

TEST_F(PictureCodecTest, BmpAndPngFilesLoadWithoutATgaLine)
{
    const auto bmp = MakeBmp(51, 1, 0xFF102030);
    ASSERT_EQ(bmp[2], 2);
    const auto png = MakePng(1, 1, {1, 2, 3, 4});
    for (const auto* file : {&bmp, &png})
    {
        PictureLog log;
        nPicture picture;
        EXPECT_TRUE(LoadPictureBytes(picture, *file));
        EXPECT_EQ(log.text, "");
    }
}

TEST_F(PictureCodecTest, DamagedPngsAreRefusedBeforeDecoding)
{
    const auto png = MakePng(2, 1, {1, 2, 3, 4, 5, 6, 7, 8});
    {
        SCOPED_TRACE("a chunk longer than the file");
        auto damaged = png;
        damaged[33 + 0] = 0x40; // the IDAT length
        PictureLog log;
        nPicture picture;
        EXPECT_FALSE(LoadPictureBytes(picture, damaged));
        EXPECT_EQ(log.text, "[!] STB: the PNG file is truncated or its chunk lengths are damaged.\n");
    }
    {
        SCOPED_TRACE("a size far beyond what the data can hold");
        auto huge = png;
        huge[16 + 1] = 0x3E; // width 0x3E0002
        huge[20 + 2] = 0x3E; // height 0x3E01
        PictureLog log;
        nPicture picture;
        EXPECT_FALSE(LoadPictureBytes(picture, huge));
        EXPECT_EQ(log.text, ""); // the decoder refuses the side length itself
        huge[16 + 1] = 0x00;
        huge[18] = 0x3E; // width 0x3E02, 15874
        LoadPictureBytes(picture, huge);
        EXPECT_EQ(log.text, "[!] STB: a 15874x15873 picture cannot be read from 77 bytes.\n");
    }
}

TEST_F(PictureCodecTest, FormatsWithTheirOwnReadersOrNoneNeverReachTheDecoder)
{
    // Files that crashed the packaged decoder's PNM, PSD and JPEG readers, and a Huffman-coded
    // TGA that the TGA reader refuses.
    const std::string pnm16 = "P660 74 660 74 77", overlong = "P5 5555555555 1 255\n";
    const std::vector<std::vector<uint8_t>> files = {
        {pnm16.begin(), pnm16.end()},
        {overlong.begin(), overlong.end()},
        {0xFF, 0xD8, 0xFF, 0xC4, 0x63, 0x00, 0x00, 0xD4, 0x63},
        {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 1, 0,    0,    0,    1,
         0,   8,   0,   3,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x01},
        TgaFile({.type = 32, .depth = 8}, {0x80, 1}),
    };
    for (const auto& file : files)
    {
        PictureLog log;
        nPicture picture;
        EXPECT_FALSE(LoadPictureBytes(picture, file));
        EXPECT_FALSE(picture.HasPixels());
    }
}

TEST_F(PictureCodecTest, CorruptAndTruncatedJpegs)
{
    std::vector<uint8_t> rgb(32 * 32 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint8_t(i * 7);
    const auto jpeg = EncodeJpeg(32, 32, rgb);
    {
        SCOPED_TRACE("cut in half: what the file holds is decoded");
        PictureLog log;
        nPicture picture;
        EXPECT_TRUE(
            LoadPictureBytes(picture, std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)));
        EXPECT_EQ(picture.GetWidth(), 32u);
        EXPECT_NE(log.text.find("[*] Jpeglib: Premature end of JPEG file\n"), std::string::npos);
    }
    {
        SCOPED_TRACE("start-of-image code followed by garbage");
        PictureLog log;
        nPicture picture(1, 1, PixelFormatBGRA8);
        EXPECT_FALSE(LoadPictureBytes(picture, {0xFF, 0xD8, 0x12, 0x34, 0x56}));
        EXPECT_NE(log.text.find("[!] Jpeglib: JPEG datastream contains no image\n"), std::string::npos);
        EXPECT_TRUE(picture.GetFormat() == PixelFormatBGRA8);
    }
    {
        SCOPED_TRACE("start-of-image code only");
        PictureLog log;
        nPicture picture;
        EXPECT_FALSE(LoadPictureBytes(picture, {0xFF, 0xD8}));
        EXPECT_FALSE(picture.HasPixels());
    }
}

class PictureFileTest : public PictureCodecTest
{
protected:
    void SetUp() override
    {
        PictureCodecTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "kestrun-picture-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        ASSERT_TRUE(System().Mount(new nIOCFile(m_root.c_str()), "@pictest/"));
    }
    void TearDown() override
    {
        System().UnmountPrefix("@pictest/");
        fs::remove_all(m_root);
    }
    static nIOSystem& System() { return nPlatform::Get().GetIOSystem(); }
    void Put(const char* name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(m_root / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    fs::path m_root;
};

TEST_F(PictureFileTest, TheNameDecidesNothingATgaCalledJpgLoadsAsTga)
{
    Put("x.jpg", TgaFile({.width = 1, .height = 1, .depth = 24}, {1, 2, 3}));
    nPicture picture;
    ASSERT_TRUE(nPicture::Load(picture, "@pictest/x.jpg"));
    EXPECT_TRUE(picture.GetFormat() == PixelFormatBGRA8); // the codecs would give RGBA8
    EXPECT_EQ(PixelWord(picture, 0, 0), 0xFF030201u);
    EXPECT_EQ(picture.GetName(), "@pictest/x.jpg");
}

TEST_F(PictureFileTest, MissingAndUnreadableFiles)
{
    PictureLog log;
    nPicture picture;
    EXPECT_FALSE(nPicture::Load(picture, "@pictest/missing.png"));
    EXPECT_EQ(log.text, "");
    EXPECT_TRUE(picture.GetName().IsEmpty());

    Put("junk.bin", {1, 2, 3, 4, 5});
    EXPECT_FALSE(nPicture::Load(picture, "@pictest/junk.bin"));
    EXPECT_EQ(picture.GetName(), "@pictest/junk.bin");
    EXPECT_EQ(log.text, "[!] Picture file '@pictest/junk.bin' could not be read.\n");
    log.text.clear();

    // A 2 x 1 BMP of 8-bit palette indices, RLE-compressed as image editors write it: the decoder
    // refuses the compression without a word.
    Put("rle.bmp",
        {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62,   0,    0,    0, 40,   0,    0, 0, 2,    0,    0, 0, 1, 0,
         0,   0,   1,  0, 8, 0, 1, 0, 0, 0, 4,    0,    0,    0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 2, 0,
         0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 2,    1,    0, 1, 0,    0,    0, 0});
    EXPECT_FALSE(nPicture::Load(picture, "@pictest/rle.bmp"));
    EXPECT_EQ(log.text, "[!] Picture file '@pictest/rle.bmp' could not be read.\n");
    log.text.clear();

    Put("empty.png", {});
    EXPECT_FALSE(nPicture::Load(picture, "@pictest/empty.png"));
    EXPECT_EQ(log.text, "[!] Picture file '@pictest/empty.png' is empty.\n");
}

TEST_F(PictureFileTest, SaveTgaWritesTheFileAndReportsAPathItCannotWrite)
{
    nPicture picture;
    MakePicture(picture, 2, 1, PixelFormatBGRA8, {1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_TRUE(nPicture::SaveTGA(picture, "@pictest/out.tga"));
    nPicture back;
    ASSERT_TRUE(nPicture::Load(back, "@pictest/out.tga"));
    EXPECT_TRUE(back.Equals(picture));

    PictureLog log;
    EXPECT_FALSE(nPicture::SaveTGA(picture, "@pictest/no/such/dir/out.tga"));
    // Named without the mount prefix, as the reader names the files it cannot read.
    EXPECT_EQ(log.text, "[!] Cannot write to 'no/such/dir/out.tga'.\n");
}

TEST_F(PictureFileTest, JpeglibSavesAndReadsBackAnyPackedFormat)
{
    nPicture picture(8, 8, PixelFormatBGRA8);
    picture.Fill(0.2f, 0.6f, 0.9f, 1.0f);
    {
        std::unique_ptr<nIOHandle> handle(System().Open("@pictest/out.jpg", IOModeWrite));
        ASSERT_TRUE(PictureFindIOCodec("Jpeglib")->Save(handle.get(), picture));
        ASSERT_TRUE(handle->Commit());
    }
    nPicture back;
    ASSERT_TRUE(nPicture::Load(back, "@pictest/out.jpg"));
    EXPECT_TRUE(back.GetFormat() == PixelFormatRGBA8);
    const uint8_t* pixel = back.GetPixelAddress(3, 3);
    EXPECT_NEAR(pixel[0], 51, 3);
    EXPECT_NEAR(pixel[1], 153, 3);
    EXPECT_NEAR(pixel[2], 229, 3);
}

TEST_F(PictureFileTest, AJpegLargerThanTheEncodeBlockFailsTheSave)
{
    nPicture noise(2048, 2048, PixelFormatRGB24);
    std::mt19937 random(7);
    for (size_t i = 0; i < noise.GetByteSize(); ++i)
        noise.GetPixels()[i] = uint8_t(random());
    PictureLog log;
    std::unique_ptr<nIOHandle> handle(System().Open("@pictest/big.jpg", IOModeWrite));
    EXPECT_FALSE(PictureFindIOCodec("Jpeglib")->Save(handle.get(), noise));
    EXPECT_NE(log.text.find("[!] Jpeglib: "), std::string::npos);
}

} // namespace
