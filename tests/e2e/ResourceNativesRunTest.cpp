#include "audio/WavFile.h"
#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const std::string CoreData = KESTRUN_DATA_DIR "/core";

// A camera that sees nothing but the background, and a light for the natives that want a camera.
const char* const SceneFile =
    "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">>"
    "<Globals=<BackgroundColor=<X=0.5><Y=0.25><Z=1.0><W=0.0>>>"
    "<Items=<MCamera=<MItem=<Id=\"Cam\"><UId=0><Active>><Camera=<Item=<Position=<X=0.0><Y=0.0><Z=-5.0>>>>>"
    "<MLight=<MItem=<Id=\"Lamp\"><UId=1><Active>><Light=<Item=<Position=<X=0.0><Y=0.0><Z=0.0>>>>>>"
    "<CurrentCamera=\"Cam\">>\n";

// Each check prints one line; the scene ends after its first frame.
const char* const Checks = R"(
class S {
  function OnSetup(s) {
    print("platform " + g_platform);
    local p = PictureNew();
    PictureAlloc(p, 4, 4);
    PictureFill(p, Vector(1, 0, 0, 1));
    PictureSaveTGA(p, "t.tga");
    local a = EngineLoadTexture(g_engine, "t.tga"), b = EngineLoadTexture(g_engine, "t.tga");
    local c = EngineLoadTextureBypassCache(g_engine, "t.tga");
    print("cached " + ObjectIsSame(a, b) + ", bypassed " + ObjectIsSame(a, c));
    print("unknown " + ObjectIsValid(EngineFindTexture(g_engine, "none.tga")));
    local m = EngineNewMaterial(g_engine);
    MaterialFlagSet(m, MaterialRenderWire, true);
    print("material " + MaterialGetName(m) + " " + MaterialStageGetChannel(m, 5) + " " +
          MaterialFlagGet(m, MaterialRenderWire));
    RendererSetViewport(g_render, 0, 0, 0.5, 1);
    local v = RendererGetViewport(g_render);
    print("viewport " + v.x + " " + v.y + " " + v.z + " " + v.w);
    print("ratio " + RendererSetGlobalAspectRatio(g_render, 2.0) + " " + RendererGetGlobalAspectRatio(g_render));
    print("control " + RendererGetControlWord(g_render, 0));
    print("duration " + SoundGetDuration(EngineLoadSound(g_engine, "tone.wav")));
    EngineOutputCacheStatistics(g_engine);
    local k = [];
    for (local i = 0; i < 33 * 32; ++i) k.append(i == 0 ? 1 : 0);
    print("kernel " + PictureApplyConvolution(p, 33, 31, k) + " " + PictureApplyConvolution(p, 33, 32, k));

    local q = PictureNew();
    PictureAlloc(q, 8, 8);
    PictureFill(q, Vector(0, 0, 1, 1));
    PictureLine(q, 0, 0, 5, 5, Vector(1, 1, 1, 1));
    print("saved " + PictureSaveTGA(q, "line.tga"));

    local rt = EngineNewRaytracer(g_engine);
    print("scene " + RaytracerSetScene(rt, s));
    print("traced " + RaytracerTrace(rt, "f.tga", 64, 48) + " " + RaytracerTrace(rt, "zero.tga", 0, 48));
    RaytracerSetInterlace(rt, true, true);
    RaytracerStartInterlacedSequence(rt);
    print("fields " + RaytracerTrace(rt, "i1.tga", 64, 48) + " " + RaytracerTrace(rt, "i2.tga", 64, 48));
  }
  // The null renderer grabs nothing; a GPU renderer grabs the red it was cleared to.
  function OnUpdate(s) {
    RendererClearFrame(g_render, 1, 0, 0);
    local g = PictureNew();
    RendererGrabDisplayToPicture(g_render, g);
    print("grabbed " + PictureSaveTGA(g, "grab.tga"));
    SceneEnd(s);
  }
}
)";

bool HasLine(const std::string& output, const std::string& line)
{
    const size_t at = output.find(line + "\n");
    return at != std::string::npos && (at == 0 || output[at - 1] == '\n');
}

KestrunRun RunChecks(const TemporaryDirectory& directory, const std::string& script,
                     const char* renderer = "none")
{
    directory.WriteFile("s.nms", SceneFile);
    directory.WriteFile("s.nut", script);
    // 44100 frames of silence at 44.1 kHz: one second.
    directory.WriteFile("tone.wav",
                        WavFile().Format(1, 1, 44100, 8).Chunk("data", std::string(44100, '\x80')).Build());
    return RunKestrun(directory.Path(), {"s.nms", "-r", renderer, "-m", "none", "-CC", CoreData});
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The 32-bit pixel at (x, y) of an uncompressed TGA whose rows run top to bottom, as stored.
std::string PixelOf(const std::string& tga, int width, int x, int y)
{
    return tga.substr(18 + size_t(y * width + x) * 4, 4);
}

// What every renderer answers alike, and the files the checks wrote.
void ExpectTheChecksAnswered(const TemporaryDirectory& directory, const KestrunRun& run)
{
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const char* line :
         {"[S] platform 1", "[S] cached true, bypassed false", "[S] unknown false",
          "[S] material material 0 true", "[S] viewport 0 0 1280 720", "[S] ratio 1 2",
          "[*] Obsolete function, please use the renderer registry.", "[S] control false",
          "[S] duration 1000", "[H] Engine resource cache statistics",
          "[!] Convolution kernel too big (33x32), max 32x32.", "[S] kernel true false", "[S] saved true",
          "[S] scene true", "[S] traced true false", "[S] fields false true"})
        EXPECT_TRUE(HasLine(run.output, line)) << line << "\n" << run.output;
    const size_t statistics = run.output.find("[H] Engine resource cache statistics\n");
    ASSERT_NE(statistics, std::string::npos);
    size_t at = run.output.find('\n', statistics) + 1;
    for (const char* tail :
         {" geometries (CPU),", " geometries (GPU),", " textures (CPU),", " textures (GPU),", " sounds."})
    {
        const size_t end = run.output.find('\n', at);
        const std::string line = run.output.substr(at, end - at);
        EXPECT_EQ(line.rfind("  - ", 0), 0u) << line;
        EXPECT_NE(line.find(tail), std::string::npos) << line;
        at = end + 1;
    }

    // Blue with a white diagonal, clipped to (6, 6): stored B, G, R, A from the top row down.
    const std::string line = ReadFile(directory.Path() / "line.tga");
    ASSERT_EQ(line.size(), 18u + 256u);
    EXPECT_EQ(line[2], 2);
    EXPECT_EQ(line[16], 32);
    EXPECT_EQ(uint8_t(line[17]), 0x28);
    EXPECT_EQ(PixelOf(line, 8, 7, 0), std::string("\xFF\x00\x00\xFF", 4));
    EXPECT_EQ(PixelOf(line, 8, 2, 2), std::string("\xFF\xFF\xFF\xFF", 4));

    const std::string frame = ReadFile(directory.Path() / "f.tga");
    ASSERT_EQ(frame.size(), 18u + 64u * 48u * 4u);
    for (size_t pixel = 18; pixel < frame.size(); pixel += 4)
        ASSERT_EQ(frame.substr(pixel, 4), std::string("\xFF\x3F\x7F\x00", 4)) << (pixel - 18) / 4;
    EXPECT_FALSE(std::filesystem::exists(directory.Path() / "zero.tga"));
    EXPECT_FALSE(std::filesystem::exists(directory.Path() / "i1.tga"));
    EXPECT_TRUE(std::filesystem::exists(directory.Path() / "i2.tga"));
}

TEST(ResourceNativesRun, NativesAnswerAsTheEngineDoes)
{
    TemporaryDirectory directory;
    const KestrunRun run = RunChecks(directory, Checks);
    ExpectTheChecksAnswered(directory, run);
    EXPECT_TRUE(HasLine(run.output, "[S] grabbed false")) << run.output;
}

// Run by CTest under a virtual X server (tests/e2e/CMakeLists.txt); elsewhere it has no display.
TEST(ResourceNativesGlRun, TheGpuRendererAnswersTheSameAndGrabsItsFrame)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no display";
    TemporaryDirectory directory;
    const KestrunRun run = RunChecks(directory, Checks, "egl2");
    ExpectTheChecksAnswered(directory, run);
    EXPECT_TRUE(HasLine(run.output, "[S] grabbed true")) << run.output;
    const std::string grab = ReadFile(directory.Path() / "grab.tga");
    ASSERT_EQ(grab.size(), 18u + 1280u * 720u * 4u);
    for (size_t pixel = 18; pixel < grab.size(); pixel += 4)
        ASSERT_EQ(grab.substr(pixel, 3), std::string("\x00\x00\xFF", 3)) << (pixel - 18) / 4;
}

TEST(ResourceNativesRun, BadArgumentsStopTheScriptWithTheirError)
{
    struct Case
    {
        const char* call;
        const char* error;
    };
    const Case cases[] = {
        {"MaterialStageGetChannel(m, 6)", "Texture stage out of range"},
        {"MaterialStageGetChannel(m, -1)", "Texture stage out of range"},
        {"MaterialChannelGetTexture(m, ChannelNormal)", "Could not fetch texture stage from material"},
        {"RendererRegistryGetKey(g_render, \"No:Key\")", "Registry key does not exists"},
        {"RendererSetViewItemAndApplyView(g_render, SceneFindItem(s, \"Lamp\"))", "Item is not a camera"},
        {"PictureFill(p, UV(0, 0))", "Invalid instance type"},
        {"TextureGetWidth(p)", "Expected 'Texture' got 'Picture'"},
        {"PictureAlloc(p, 4)", "wrong number of parameters"},
    };
    for (const Case& c : cases)
    {
        TemporaryDirectory directory;
        const KestrunRun run = RunChecks(directory, std::string("class S {\n  function OnSetup(s) {\n"
                                                                "    local m = EngineNewMaterial(g_engine);\n"
                                                                "    local p = PictureNew();\n    ") +
                                                        c.call + ";\n    print(\"went on\");\n  }\n}\n");
        EXPECT_EQ(run.exitCode, 3) << c.call << "\n" << run.output;
        bool found = false;
        for (size_t at = run.output.find("[!] "); at != std::string::npos;
             at = run.output.find("[!] ", at + 1))
            found = found ||
                    run.output.substr(at, run.output.find('\n', at) - at).find(c.error) != std::string::npos;
        EXPECT_TRUE(found) << c.call << "\n" << run.output;
        EXPECT_FALSE(HasLine(run.output, "[S] went on")) << c.call;
    }
}
} // namespace
