#include "core/base/nAutoArray.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/picture/nPicture.h"
#include "core/picture/nTgaWriter.h"
#include "platform/nPlatform.h"

#include "ScriptLoop.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr uint32_t Side = 2048;

// A directory mounted as "@picbench/" holding uncompressed TGA files of each depth, written by
// the engine's own writer (and, for the bottom-up variant, with the row order flag cleared).
class BenchFiles
{
public:
    BenchFiles()
    {
        std::string pattern = (fs::temp_directory_path() / "kestrun-picbench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_root = pattern;
        nPlatform::Get().GetIOSystem().Mount(new nIOCFile(m_root.c_str()), "@picbench/");
        Write("bgra.tga", PixelFormatBGRA8, false);
        Write("bgr.tga", PixelFormatBGR8, false);
        Write("bgr-bottom-up.tga", PixelFormatBGR8, true);
    }
    ~BenchFiles()
    {
        nPlatform::Get().GetIOSystem().UnmountPrefix("@picbench/");
        fs::remove_all(m_root);
    }

private:
    void Write(const char* name, const nPixelFormat& format, bool bottomUp)
    {
        nPicture picture(Side, Side, format);
        for (size_t i = 0; i < picture.GetByteSize(); ++i)
            picture.GetPixels()[i] = uint8_t(i * 31 + (i >> 11));
        nAutoArray<uint8_t> file(MemCategoryGeneral);
        nTgaWriter::Encode(picture, file);
        if (bottomUp)
            file.GetData()[17] &= ~0x20;
        std::ofstream(m_root / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.GetData()), file.GetCount());
    }

    fs::path m_root;
};

BenchFiles& Files()
{
    static BenchFiles files;
    return files;
}

const char* const Names[] = {"@picbench/bgra.tga", "@picbench/bgr.tga", "@picbench/bgr-bottom-up.tga"};

void TgaLoad(benchmark::State& state)
{
    Files();
    const nString path(Names[state.range(0)]);
    const uint64_t size = nPlatform::Get().GetIOSystem().GetFileSize(path);
    for (auto _ : state)
    {
        nPicture picture;
        benchmark::DoNotOptimize(nPicture::Load(picture, path));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// The floor for TGA loading: the same file read into a buffer through the same file system.
void PlainRead(benchmark::State& state)
{
    Files();
    const nString path(Names[state.range(0)]);
    const uint64_t size = nPlatform::Get().GetIOSystem().GetFileSize(path);
    for (auto _ : state)
    {
        nAutoArray<uint8_t> block(MemCategoryGeneral);
        benchmark::DoNotOptimize(nPlatform::Get().GetIOSystem().LoadFile(path, block));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void ConvertBgraRgba(benchmark::State& state)
{
    nPicture picture(Side, Side, PixelFormatBGRA8);
    for (auto _ : state)
    {
        picture.Convert(PixelFormatRGBA8);
        picture.Convert(PixelFormatBGRA8);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 2 * int64_t(picture.GetByteSize()));
}

// The floor for an in-place conversion: copying the same bytes once per conversion.
void CopyBytes(benchmark::State& state)
{
    std::vector<uint8_t> from(size_t(Side) * Side * 4), to(from.size());
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), from.size());
        std::memcpy(from.data(), to.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 2 * int64_t(from.size()));
}

void ConvertRgb24ToBgra(benchmark::State& state)
{
    nPicture source(Side, Side, PixelFormatRGB24);
    for (auto _ : state)
    {
        nPicture picture(source);
        picture.Convert(PixelFormatBGRA8);
        benchmark::DoNotOptimize(picture.GetPixels());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.GetByteSize()));
}

} // namespace

// The Picture natives called from one script loop, as a script that draws into a picture calls them:
// calls per second, loop included, beside the engine operation the fill native runs.
const char ScriptPictureSource[] = R"(
p <- PictureNew();
PictureAlloc(p, 1024, 1024);
function SetPixels(count) {
    local colour = Vector(1, 0, 0, 1);
    for (local i = 0; i < count; ++i) PictureSetPixel(p, i & 1023, (i >> 10) & 1023, colour);
}
function Fills(count) {
    local colour = Vector(1, 0, 0, 1);
    for (local i = 0; i < count; ++i) PictureFill(p, colour);
}
)";

void ScriptCalls(benchmark::State& state, const char* function, int count)
{
    ScriptLoop loop;
    loop.Run(ScriptPictureSource);
    for (auto _ : state)
        if (!loop.Call(function, count))
            state.SkipWithError("the script call failed");
    state.SetItemsProcessed(state.iterations() * count);
}

void ScriptSetPixel(benchmark::State& state)
{
    ScriptCalls(state, "SetPixels", 100000);
}

void ScriptFill1024(benchmark::State& state)
{
    ScriptCalls(state, "Fills", 1);
}

void NativeFill1024(benchmark::State& state)
{
    nPicture picture(1024, 1024, PixelFormatBGRA8);
    for (auto _ : state)
    {
        picture.Fill(1.0f, 0.0f, 0.0f, 1.0f);
        benchmark::DoNotOptimize(picture.GetPixels());
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(TgaLoad)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainRead)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertBgraRgba)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertRgb24ToBgra)->Unit(benchmark::kMillisecond);
BENCHMARK(ScriptSetPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(ScriptFill1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(NativeFill1024)->Unit(benchmark::kMicrosecond);
