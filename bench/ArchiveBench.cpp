#include "core/base/nAutoArray.h"
#include "core/io/nArchive.h"
#include "core/io/nIOArchive.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOSystem.h"
#include "core/base/nLog.h"
#include "platform/nPlatform.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t EntrySize = 16u << 20;

// Text-like bytes that compress about as well as scene and script files do.
std::vector<uint8_t> MakeEntry()
{
    const char* const words[] = {"<Item=", "\"Name\"", "<Position=", "1.500000>", "\n\t", "True>", "-2.250000>"};
    std::mt19937 random(11);
    std::vector<uint8_t> bytes;
    while (bytes.size() < EntrySize)
    {
        const std::string word = words[random() % 7];
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    bytes.resize(EntrySize);
    return bytes;
}

// One archive on disk with one compressed entry, mounted under "bench@/" for the whole run.
struct ArchiveFixture
{
    ArchiveFixture()
    {
        nLogHolder::Get().SetMask(LogLevelError);
        directory = std::filesystem::temp_directory_path() / ("kestrun-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(directory);
        nIOSystem& system = nPlatform::Get().GetIOSystem();
        host = new nIOCFile(nString(directory.c_str()));
        system.Mount(host, "host@/");
        entry = MakeEntry();
        nArchive writer;
        writer.Create("host@/bench.vxa");
        writer.AddEntry("entry.bin", entry.data(), EntrySize, 6);
        compressedSize = writer.GetEntries().GetHead()->value->clen;
        writer.Close();
        archive = new nIOArchive("host@/bench.vxa");
        system.Mount(archive, "bench@/");
        compressed.resize(compressedSize);
        compress2(compressed.data(), &compressedSize, entry.data(), EntrySize, 6);
        compressed.resize(compressedSize);
    }
    ~ArchiveFixture()
    {
        nIOSystem& system = nPlatform::Get().GetIOSystem();
        system.Unmount(archive);
        system.Unmount(host);
        std::filesystem::remove_all(directory);
    }

    std::filesystem::path directory;
    nIOCFile* host = nullptr;
    nIOArchive* archive = nullptr;
    std::vector<uint8_t> entry;
    std::vector<uint8_t> compressed;
    uLongf compressedSize = 0;
};

ArchiveFixture& Fixture()
{
    static ArchiveFixture fixture;
    return fixture;
}

// The entry read itself: its stored bytes read from the archive file and inflated into the
// caller's buffer.
void ArchiveLoadEntry(benchmark::State& state)
{
    ArchiveFixture& fixture = Fixture();
    std::vector<uint8_t> out(EntrySize);
    for (auto _ : state)
    {
        if (!fixture.archive->GetArchive().LoadEntry("entry.bin", out.data(), EntrySize))
            state.SkipWithError("the entry did not load");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * EntrySize);
}

// A whole entry through the mount table: open (read and inflate) and copy out, as loaders do.
void ArchiveEntryRead(benchmark::State& state)
{
    ArchiveFixture& fixture = Fixture();
    for (auto _ : state)
    {
        nAutoArray<uint8_t> block(MemCategoryFilesystem);
        const bool loaded = nPlatform::Get().GetIOSystem().LoadFile("bench@/entry.bin", block);
        if (!loaded || block.GetCount() != EntrySize)
            state.SkipWithError("the entry did not load");
        benchmark::DoNotOptimize(block.GetData());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * EntrySize);
    benchmark::DoNotOptimize(fixture.entry.data());
}

// The floor: zlib's one-shot inflate of the same compressed bytes, already in memory.
void ZlibUncompress(benchmark::State& state)
{
    ArchiveFixture& fixture = Fixture();
    std::vector<uint8_t> out(EntrySize);
    for (auto _ : state)
    {
        uLongf size = EntrySize;
        if (uncompress(out.data(), &size, fixture.compressed.data(), fixture.compressed.size()) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * EntrySize);
}

} // namespace

BENCHMARK(ZlibUncompress)->Unit(benchmark::kMillisecond);
BENCHMARK(ArchiveLoadEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(ArchiveEntryRead)->Unit(benchmark::kMillisecond);
