#include "ScriptApiFixture.h"

#include "audio/nSound.h"
#include "core/base/nSharedPtr.h"
#include "core/picture/nPicture.h"
#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "geometry/nTexture.h"
#include "render/nRenderTexture.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "support/RecordingRenderer.h"
#include "support/TemporaryFiles.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
struct EvaluationCase
{
    const char* script;
    const char* expected;
};

// The whole API over an engine that draws through a recording renderer, with "Rect" from the core
// script library, a scene "g_scene", and handles on nothing of the types scripts cannot make
// themselves: "noPicture", "noFont", "noScene" and "noCache".
class ResourceNativesTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        engine.SetRenderer(&renderer);
        scene = new nScene(&engine, &machine);
        scene->AddRef();
        SetGlobals();
    }
    void TearDown() override
    {
        ScriptApiFixture::TearDown();
        if (scene)
            scene->Release();
        engine.SetRenderer(nullptr);
    }
    void SetGlobals()
    {
        std::ifstream library(KESTRUN_DATA_DIR "/core/scriptlib/nad.nut");
        ASSERT_TRUE(
            Run(std::string(std::istreambuf_iterator<char>(library), std::istreambuf_iterator<char>()),
                "nad.nut"));
        machine.SetSlot("g_engine", nScriptValue(ObjectTypeEngine, &engine), nullptr);
        machine.SetSlot("g_render", nScriptValue(ObjectTypeRenderer, &renderer), nullptr);
        machine.SetSlot("g_scene", nScriptValue(ObjectTypeScene, scene), nullptr);
        machine.SetSlot("noPicture", nScriptValue(ObjectTypePicture, nullptr), nullptr);
        machine.SetSlot("noFont", nScriptValue(ObjectTypeRasterFont, nullptr), nullptr);
        machine.SetSlot("noScene", nScriptValue(ObjectTypeScene, nullptr), nullptr);
        machine.SetSlot("noCache", nScriptValue(ObjectTypeResourceSet, nullptr), nullptr);
    }
    std::string EvaluateWithGlobals(const std::string& text)
    {
        if (machine.GetState() != ScriptVMRunning)
        {
            Reopen();
            SetGlobals();
        }
        return Evaluate(text);
    }
    // Each script runs after the prologue.
    void ExpectAnswers(const std::vector<EvaluationCase>& cases, const std::string& prologue = "")
    {
        for (const EvaluationCase& c : cases)
            EXPECT_EQ(EvaluateWithGlobals(prologue + c.script), c.expected) << c.script;
    }
    bool Logged(const std::string& text) const
    {
        for (const std::string& line : log.lines)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    TemporaryFiles files;
    Quenvar engine;
    RecordingRenderer renderer{&engine};
    nScene* scene = nullptr;
};

// An 8 x 8 picture "p" filled with opaque blue, a helper that prints the pixel at (x, y) as stored
// (blue, green, red, alpha) in 0..255, and R, which makes a "Rect" (the class has no constructor).
const char* const BluePicture =
    "function R(sx, sy, ex, ey) { local r = Rect(); r.sx = sx; r.sy = sy; r.ex = ex;"
    " r.ey = ey; return r; }\n"
    "local p = PictureNew(); PictureAlloc(p, 8, 8); PictureFill(p, Vector(0, 0, 1, 1));\n"
    "function P(x, y) { local c = PictureGetPixel(p, x, y);\n"
    "  return format(\"%d,%d,%d,%d \", c.x * 255 + 0.5, c.y * 255 + 0.5, c.z * 255 + 0.5,"
    " c.w * 255 + 0.5); }\n";

TEST_F(ResourceNativesTest, SizesOutsideOneTo16384AreRefusedWithALine)
{
    ExpectAnswers({
        {"print(ObjectIsValid(EngineCreateTexture(g_engine, 0, 4, false)))", "false"},
        {"print(ObjectIsValid(EngineCreateTexture(g_engine, 4, -1, true)))", "false"},
        {"print(ObjectIsValid(EngineCreateCanvasTexture(g_engine, 100000, 4)))", "false"},
        {"print(ObjectIsValid(EngineCreateCanvasTexture(g_engine, 0.0 / 0.0, 4)))", "false"},
        {"print(ObjectIsValid(EngineCreateCanvasTexture(g_engine, 0.5, 4)))", "false"},
        {"local p = PictureNew(); print(PictureAlloc(p, 0, 8) + \" \" + PictureAlloc(p, 8, 16385))",
         "false false"},
        {"local p = PictureNew(); PictureAlloc(p, 4, 2); PictureResize(p, -3, 2); PictureResize(p, 100000, "
         "2);"
         " local r = PictureGetRect(p); print(r.ex + \"x\" + r.ey)",
         "4x2"},
    });
    EXPECT_TRUE(Logged("[*] PictureResize: a picture of 100000x2 pixels is refused"));
    EXPECT_EQ(EvaluateWithGlobals("local t = EngineCreateTexture(g_engine, 16, 8, true);"
                                  "print(TextureGetWidth(t) + \"x\" + TextureGetHeight(t))"),
              "16x8");
    EXPECT_EQ(renderer.setUpTextures.size(), 1u);
    EXPECT_TRUE(renderer.setUpTextures.back()->GetTextureFlags() & nTexture::TextureGPURenderTarget);
}

TEST_F(ResourceNativesTest, DrawingStaysInsideThePicture)
{
    ExpectAnswers(
        {
            // Outside (or NaN) a pixel is left alone; inside it is written.
            {"PictureSetPixel(p, -1, 0, Vector(1, 1, 1, 1)); PictureSetPixel(p, 8, 8, Vector(1, 1, 1, 1));"
             "PictureSetPixel(p, 0.0 / 0.0, 1, Vector(1, 1, 1, 1)); PictureSetPixel(p, 3, 4, Vector(1, 0, 0, "
             "1));"
             "print(P(0, 0) + P(7, 7) + P(3, 4))",
             "255,0,0,255 255,0,0,255 0,0,255,255 "},
            // Rectangles reaching past the picture are clipped to it.
            {"PictureFillRect(p, Vector(0, 1, 0, 1), R(6, -5, 100, 2)); print(P(5, 0) + P(7, 0) + P(7, 2))",
             "255,0,0,255 0,255,0,255 255,0,0,255 "},
            {"local q = PictureNew(); PictureAlloc(q, 4, 4); PictureFill(q, Vector(1, 1, 1, 1));"
             "PictureBlitRect(p, q, R(0, 0, 40, 40), R(6, 6, 9, 9), BlendReplace);"
             "PictureBlitRect(p, q, R(1, 1, 3, 3), R(-1, 2, 0, 0), BlendReplace); PictureBlit(p, q, 99);"
             "print(P(5, 5) + P(7, 7) + P(0, 2) + P(1, 2) + P(0, 3))",
             "255,0,0,255 255,255,255,255 255,255,255,255 255,0,0,255 255,255,255,255 "},
            // A picture of 2 x 2 has no room for a line inside its border.
            {"local q = PictureNew(); PictureAlloc(q, 2, 2); PictureLine(q, 0, 0, 1, 1, Vector(1, 1, 1, 1));"
             "local c = PictureGetPixel(q, 0, 0); print(c.x + \" \" + c.z)",
             "0 0"},
            {"print(PictureApplyConvolution(p, 0, 3, [1]) + \" \" + PictureApplyConvolution(p, -2, -2, [1]) "
             "+ \" \" +"
             " PictureApplyConvolution(p, 3, 3, [0, 1, 0]) + \" \" + PictureApplyConvolution(p, 1, 1, "
             "[\"x\"]) + \" \" +"
             " PictureApplyConvolution(p, 1, 1, [1]))",
             "false false false false true"},
            // A picture without pixels neither draws nor crashes.
            {"local e = PictureNew(); PictureFill(e, Vector(1, 1, 1, 1)); PictureSetPixel(e, 0, 0, Vector(1, "
             "1, 1, 1));"
             "PictureLine(e, 0, 0, 5, 5, Vector(1, 1, 1, 1)); PictureBlit(e, p, 0); PictureResize(e, 4, 4);"
             "print(PictureApplyConvolution(e, 1, 1, [1]) + \" \" + PictureGetRect(e).ex)",
             "false 0"},
        },
        BluePicture);
    EXPECT_EQ(
        EvaluateWithGlobals(std::string(BluePicture) + "print(PictureApplyConvolution(p, 3, 3, [0, 1, 0]))"),
        "false");
    EXPECT_TRUE(Logged("[!] Convolution kernel needs 9 values, the array holds 3."));
}

TEST_F(ResourceNativesTest, TextureUpdateNeedsPixelsAndRendererData)
{
    // No renderer data: the renderer made none for the canvas.
    EXPECT_EQ(
        EvaluateWithGlobals("TextureUpdate(EngineCreateCanvasTexture(g_engine, 4, 4)); print(\"done\")"),
        "done");
    EXPECT_TRUE(Logged("[!] Cannot update STUB texture."));
    EXPECT_TRUE(renderer.uploads.empty());

    nSharedPtr<nRenderTexture> data = new nRenderTexture(&renderer);
    renderer.nextTextureData = data.Get();
    EXPECT_EQ(
        EvaluateWithGlobals("TextureUpdate(EngineCreateCanvasTexture(g_engine, 4, 2)); print(\"done\")"),
        "done");
    EXPECT_FALSE(Logged("STUB"));
    ASSERT_EQ(renderer.uploads.size(), 1u);
    EXPECT_EQ(renderer.uploads[0].texture, data.Get());
    EXPECT_EQ(renderer.uploads[0].width, 4u);
    EXPECT_EQ(renderer.uploads[0].height, 2u);

    // A texture the renderer loaded itself holds no CPU pixels.
    renderer.nextLoadedTexture = data.Get();
    EXPECT_EQ(EvaluateWithGlobals("TextureUpdate(EngineLoadTexture(g_engine, \"gpu.tga\")); print(\"done\")"),
              "done");
    EXPECT_TRUE(Logged("[!] Cannot update STUB texture."));
    EXPECT_EQ(renderer.uploads.size(), 1u);
}

TEST_F(ResourceNativesTest, TrianglesReachTheRendererInMaskOrder)
{
    EXPECT_EQ(EvaluateWithGlobals(
                  "RendererDrawTriangle(g_render, Vector(1, 0, 0), Vector(0, 1, 0), Vector(0, 0, 1),"
                  " Vector(1, 0, 0, 1), Vector(0, 1, 0, 1), Vector(0, 0, 1, 1), 2, 16);"
                  "local t = EngineCreateCanvasTexture(g_engine, 2, 2);"
                  "RendererDrawTriangleTextured(g_render, Vector(1, 0, 0), Vector(0, 1, 0),"
                  " Vector(0, 0, 1), t, UV(0, 0), UV(1, 0), UV(0, 1), Vector(1, 1, 1, 1),"
                  " Vector(1, 1, 1, 1), Vector(1, 1, 1, 0.5), 1, 512);"
                  "RendererDrawTriangleTextured(g_render, Vector(), Vector(), Vector(), NullTexture,"
                  " UV(), UV(), UV(), Vector(), Vector(), Vector(), 0, 0); print(\"drawn\")"),
              "drawn");
    ASSERT_EQ(renderer.triangleBatches.size(), 3u);
    const RecordingRenderer::Batch& plain = renderer.triangleBatches[0];
    EXPECT_EQ(plain.vertices[1].y, 1.0f);
    EXPECT_EQ(plain.colours[2].z, 1.0f);
    EXPECT_EQ(plain.blendMode, 2);
    EXPECT_EQ(plain.renderFlags, 16u);
    EXPECT_TRUE(plain.uvs.empty());
    const RecordingRenderer::Batch& textured = renderer.triangleBatches[1];
    ASSERT_NE(textured.texture, nullptr);
    EXPECT_EQ(textured.texture->GetWidth(), 2u);
    EXPECT_EQ(textured.uvs, (std::vector<float>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(textured.colours[2].w, 0.5f);
    EXPECT_EQ(textured.blendMode, 1);
    EXPECT_EQ(textured.renderFlags, 512u);
    EXPECT_EQ(renderer.triangleBatches[2].texture, nullptr);
    size_t warnings = 0;
    for (const std::string& line : log.lines)
        warnings += line == "[*] Incorrect binding argument count.\n";
    EXPECT_EQ(warnings, 3u);
}

TEST_F(ResourceNativesTest, RendererStateRoundTrips)
{
    ExpectAnswers({
        {"local s = RendererGetStatistics(g_render); local k = []; foreach (key, value in s) k.append(key + "
         "\"=\" + value);"
         "print(k.reduce(@(a, b) a + \" \" + b))",
         "renderable_drawn=0 list_drawn=0 triangle_drawn=0"},
        {"RendererRegistrySetKey(g_render, \"Game:Gamma\", 1.5); RendererRegistrySetKey(g_render, "
         "\"Game:On\", true);"
         "print(RendererRegistryGetKey(g_render, \"Game:Gamma\") + \" \" + RendererRegistryGetKey(g_render, "
         "\"Game:On\"))",
         "1.5 true"},
        {"RendererRegistrySetKey(g_render, \"Game:Odd\", {}); print(RendererRegistryGetKey(g_render, "
         "\"Game:Odd\"))",
         "error: Cannot return this key variant"},
        {"RendererSetFog(g_render, true, Vector(1, 0, 0, 1), 2, 50);"
         "print(RendererGetFogNear(g_render) + \" \" + RendererGetFogFar(g_render))",
         "2 50"},
        {"RendererSetOutputTexture(g_render, EngineCreateCanvasTexture(g_engine, 64, 32));"
         "local v = RendererGetViewport(g_render); RendererSetOutputTexture(g_render, NullTexture);"
         "print(v.z + \"x\" + v.w)",
         "64x32"},
        // The renderer holds its output texture: a handle dropped at once leaves it usable.
        {"local q = PictureNew(); PictureAlloc(q, 8, 4); PictureSaveTGA(q, \"o.tga\");"
         "RendererSetOutputTexture(g_render, EngineLoadTextureBypassCache(g_engine, \"o.tga\"));"
         "local v = RendererGetViewport(g_render); RendererSetOutputTexture(g_render, NullTexture);"
         "print(v.z + \"x\" + v.w)",
         "8x4"},
        {"print(ObjectIsValid(RendererLoadWriterFont(g_render, \"none.fnt\", \"none\")))", "false"},
        // What the renderer draws a material with: its four colours, each read back as set.
        {"local m = EngineNewMaterial(g_engine); MaterialSetAmbient(m, Vector(0.25, 0.5, 0.75, 1));"
         "MaterialSetDiffuse(m, Vector(0.5, 0.25, 1, 0.5)); MaterialSetSecular(m, Vector(1, 0, 0, 1));"
         "MaterialSetSelfIllum(m, Vector(0, 1, 0, 0));"
         "print(V(MaterialGetAmbient(m)) + V(MaterialGetDiffuse(m)) + V(MaterialGetSpecular(m)) +"
         "      V(MaterialGetSelfIllum(m)))",
         "(0.25,0.5,0.75,1)(0.5,0.25,1,0.5)(1,0,0,1)(0,1,0,0)"},
    });
    EXPECT_EQ(renderer.GetOutputTexture(), nullptr);
}

// The handle owns the font it loaded: dropping it frees the font (LeakSanitizer checks that).
TEST_F(ResourceNativesTest, AWriterFontLivesWhileItsHandleDoes)
{
    files.Write("w.nml", "<NML=1.0>\n<Font=<Common=<Height=0.1><BaseLine=0.08><PageCount=1>>"
                         "<Char=<Id=97><U=0.0><V=0.0><W=0.1><H=0.1><OffsetU=0.0><OffsetV=0.0>"
                         "<Step=0.05><Page=0>>>");
    nPicture page(16, 16, PixelFormatBGRA8);
    ASSERT_TRUE(nPicture::SaveTGA(page, nString("w_00.tga")));
    ExpectAnswers({
        {"local f = RendererLoadWriterFont(g_render, \"w.nml\", \"w\"); local copy = f;"
         "print(ObjectIsValid(f) + \" \" + WriterFontGetLineHeight(f)); f = null; copy = null",
         "true 0.1"},
    });
    EXPECT_FALSE(Logged("lifetime should not be managed"));
}

TEST_F(ResourceNativesTest, HandlesOnNothingAreRefusedWhereAnObjectIsNeeded)
{
    ExpectAnswers({
        {"print(EngineSetTextureContent(g_engine, NullTexture, \"a.tga\"))", "error: CObject is null"},
        {"RendererGrabDisplayToPicture(g_render, noPicture)", "error: CObject is null"},
        {"RendererWrite(g_render, noFont, \"hi\", 0, 0, 1, false, 0, Vector(1, 1, 1, 1))",
         "error: CObject is null"},
        {"RaytracerSetScene(EngineNewRaytracer(g_engine), noScene)", "error: CObject is null"},
        {"PictureBlit(PictureNew(), noPicture, 0)", "error: CObject is null"},
        {"WriterFontGetLineHeight(noFont)", "error: CObject is null"},
        // Where a handle on nothing means "none", it is taken.
        {"local m = EngineNewMaterial(g_engine); MaterialStageSetChannel(m, 0, ChannelDiffuse);"
         "MaterialChannelSetTexture(m, EngineCreateCanvasTexture(g_engine, 2, 2), ChannelDiffuse);"
         "local before = MaterialChannelGetActive(m, ChannelDiffuse);"
         "MaterialChannelSetTexture(m, NullTexture, ChannelDiffuse);"
         "print(before + \" \" + MaterialChannelGetActive(m, ChannelDiffuse) + \" \" +"
         " ObjectIsValid(MaterialChannelGetTexture(m, ChannelDiffuse)))",
         "true false false"},
        {"local old = EngineSetResourceCache(g_engine, EngineNewResourceCache(g_engine));"
         "local current = EngineGetResourceCache(g_engine);"
         "print(ObjectIsSame(EngineSetResourceCache(g_engine, noCache), current) + \" \" +"
         " ObjectIsSame(EngineGetResourceCache(g_engine), old))",
         "true true"},
    });
    EXPECT_EQ(engine.GetResourceCache(), engine.GetDefaultResourceCache());
}

// A handle holds its texture or picture: emptying the cache leaves it usable.
TEST_F(ResourceNativesTest, HandlesOutliveTheCacheThatLoadedTheirResource)
{
    EXPECT_EQ(EvaluateWithGlobals(
                  "local q = PictureNew(); PictureAlloc(q, 4, 4); PictureSaveTGA(q, \"a.tga\");"
                  "local t = EngineLoadTexture(g_engine, \"a.tga\"); local v = TextureGetPicture(t);"
                  "local l = EngineLoadPicture(g_engine, \"a.tga\");"
                  "EngineClearResourceCache(g_engine); print(EngineUnloadPicture(g_engine, \"a.tga\"));"
                  "t = null; PictureFill(v, Vector(0, 1, 0, 1)); PictureFill(l, Vector(1, 0, 0, 1));"
                  "print(\" \" + PictureGetRect(v).ex + \" \" + PictureGetPixel(v, 1, 1).y +"
                  " \" \" + PictureGetPixel(l, 1, 1).z)"),
              "false 4 1 1");
    EXPECT_EQ(engine.GetResourceCache()->GetTextureList(false).GetCount(), 0u);
}

TEST_F(ResourceNativesTest, SoundDurationIsComputedIn64Bits)
{
    nSound longSound(nullptr), silentRate(nullptr);
    nSampleFormat format;
    format.channels = 1;
    format.bitsPerSample = 8;
    format.rate = 1000;
    ASSERT_TRUE(longSound.Alloc(5000000, format)); // 5e9 thousandths overflow 32 bits
    format.rate = 0;
    ASSERT_TRUE(silentRate.Alloc(10, format));
    machine.SetSlot("longSound", nScriptValue(ObjectTypeSound, &longSound), nullptr);
    machine.SetSlot("silentRate", nScriptValue(ObjectTypeSound, &silentRate), nullptr);
    EXPECT_EQ(Evaluate("print(SoundGetDuration(longSound) + \" \" + SoundGetDuration(silentRate))"),
              "5000000 0");
}

// The raytracer is the engine's to free; a trace it refuses, or one into a scene that has gone,
// answers false and writes nothing.
TEST_F(ResourceNativesTest, TracesThatTheRaytracerRefusesAnswerFalse)
{
    EXPECT_EQ(EvaluateWithGlobals(
                  "rt <- EngineNewRaytracer(g_engine); RaytracerDeleteSelf(rt);"
                  "RaytracerSetAntialias(rt, true, 2, 0.01, true); RaytracerSetGlobalIllum(rt, false, 4, 1);"
                  "print(RaytracerSetScene(rt, g_scene) + \" \" + RaytracerTrace(rt, \"a.tga\", 8, -1))"),
              "true false");
    EXPECT_TRUE(Logged("[*] RaytracerDeleteSelf() is now obsolete, you can remove this call."));
    scene->Release();
    scene = nullptr;
    EXPECT_EQ(Evaluate("print(RaytracerTrace(rt, \"b.tga\", 8, 8))"), "false");
}
} // namespace
