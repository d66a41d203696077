#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/io/nIOBase.h"
#include "core/io/nIOHandle.h"
#include "core/nml/nMetaTextWriter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
// A scene-like document: many items, each with a few typed values, a vector and a Binary block.
// 50,000 items make about 20 MB of text, the size of a large scene file.
std::string MakeDocument(int items)
{
    nMetaFile file;
    nMetaTag* list = file.AddRoot("Scene")->AddChild("Items");
    std::vector<uint8_t> data(256);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < items; ++i)
    {
        nMetaTag* item = list->AddChild("Item");
        item->AddChildString("Name", "item name");
        item->AddChildInt("Id", i);
        item->AddChildBool("Enabled", true);
        nMetaTag* position = item->AddChild("Position");
        position->AddChildFloat("X", 1.5f * i);
        position->AddChildFloat("Y", -2.25f);
        position->AddChildFloat("Z", 0.125f);
        item->AddChildBinary("Data", data.data(), static_cast<uint32_t>(data.size()));
    }
    nMetaTextWriter writer(file.GetBinaryEncoding());
    writer.WriteDocument(file);
    return writer.GetText();
}

void ParseDocument(benchmark::State& state)
{
    std::string text = MakeDocument(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        nMetaFile file;
        benchmark::DoNotOptimize(file.Parse(text.data(), text.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// Takes what a save writes and keeps none of it, so that only the writer is measured.
class DiscardingFiles : public nIOBase
{
public:
    nIOHandle* Open(const nString&, int) override { return new nIOHandle(this); }
    void Close(nIOHandle*) override {}
    bool Delete(const nString&) override { return false; }
    int64_t Tell(nIOHandle*) override { return 0; }
    int64_t Seek(nIOHandle*, int64_t, int) override { return 0; }
    size_t Read(nIOHandle*, void*, size_t) override { return 0; }
    size_t Write(nIOHandle*, const void*, size_t size) override { return size; }
};

// The text as a save writes it: through a file handle, in blocks.
void WriteDocument(benchmark::State& state)
{
    std::string text = MakeDocument(static_cast<int>(state.range(0)));
    nMetaFile file;
    file.Parse(text.data(), text.size());
    nSharedPtr<nIOBase> files(new DiscardingFiles());
    for (auto _ : state)
    {
        std::unique_ptr<nIOHandle> output(files->Open(nString(), IOModeWrite));
        nMetaTextWriter writer(file.GetBinaryEncoding(), output.get());
        benchmark::DoNotOptimize(writer.WriteDocument(file));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
} // namespace

BENCHMARK(ParseDocument)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteDocument)->Arg(50000)->Unit(benchmark::kMillisecond);
