#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/picture/nPicture.h"
#include "platform/nPlatform.h"
#include "ui/nFontSystem.h"
#include "ui/nTextLayout.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
// 2000 characters of words and spaces, wrapped as a paragraph in the core data's default font
// at size 16 inside a 512 x 512 picture. Items processed are glyphs.
class TextBench : public benchmark::Fixture
{
public:
    void SetUp(benchmark::State&) override
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        m_core = new nIOCFile(nString(KESTRUN_CORE_DATA_DIR));
        nPlatform::Get().GetIOSystem().Mount(m_core.Get(), "@core/");
        FontSystemStartup(nullptr);
        attributes.font = FontSystemGetDefaultFont();
        attributes.format = TextFormatParagraph;
        const char* words[] = {"engine", "window", "glyph", "text", "layout", "of", "a", "widget", "line"};
        text.clear();
        for (int i = 0; text.size() < 2000; ++i)
            text += std::string(words[i % 9]) + " ";
        text.resize(2000);
        picture.Allocate(512, 512, PixelFormatBGRA8);
    }
    void TearDown(benchmark::State&) override
    {
        FontSystemShutdown();
        nPlatform::Get().GetIOSystem().Unmount(m_core.Get());
    }

    nTextAttributes attributes;
    std::string text;
    nPicture picture;
    const nRect area{0, 0, 512, 512};

private:
    nSharedPtr<nIOCFile> m_core;
};

BENCHMARK_F(TextBench, RenderTextToPicture)(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderTextToPicture(picture, text.c_str(), attributes, area, area));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

BENCHMARK_F(TextBench, ComputeTextRect)(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeTextRect(text.c_str(), attributes, area));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
} // namespace
