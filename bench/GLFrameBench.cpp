#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOSystem.h"
#include "core/math/nFrustum.h"
#include "core/nml/nMetaTagValue.h"
#include "core/nml/nRegistry.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "platform/nPlatform.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLGeometry.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRenderer.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nEGLVBO.h"
#include "render/gl/nGPUVertexLayout.h"
#include "render/gl/nShaderSemantic.h"
#include "render/nLightSource.h"
#include "render/nRenderItem.h"
#include "render/nRenderView.h"
#include "render/nRendererEnvironmentInterface.h"
#include "render/shader/nShaderMap.h"
#include "support/StubEngineServices.h"
#include "support/StubRenderView.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

// The forward frame against a plain loop in the same window. N items share one 12-triangle cube
// and one textured material under one point light; no antialiasing, no VSync; the window is
// 320x240 unless "--size=WxH" says otherwise. The plain loop draws the same cube's vertex and index
// buffers N times into the frame FBO, each item once with one small program of its own (the
// texture's colour under the ambient plus one point light's diffuse), its model and
// model-view-projection matrices uploaded before every draw, depth testing on and back faces culled
// as the renderer culls them (its own state, set every frame), with no sorting and no batching; then
// the same final quad to the window. Both sides are timed alternately, one frame each, and each
// figure is the median of 200 frames (BeginFrame, RenderQueue, EndFrame and glFinish for the
// renderer); both sides' draw calls per frame are printed. Target: the forward frame at most 1.25
// times the plain loop at N = 1000 and 4000. Run under xvfb-run with Mesa's software renderer;
// without a display it only says so.

namespace
{
constexpr int Frames = 200;
uint32_t WindowWidth = 320;
uint32_t WindowHeight = 240;

// The plain loop's program: the texture's colour lit by the ambient and one point light's diffuse.
const char* const PlainVertexText = R"(#version 120
attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec2 a_uv;
uniform mat4 u_mvp;
uniform mat4 u_model;
varying vec3 v_normal;
varying vec3 v_position;
varying vec2 v_uv;
void main()
{
    v_position = (u_model * vec4(a_position, 1.0)).xyz;
    v_normal = mat3(u_model) * a_normal;
    v_uv = a_uv;
    gl_Position = u_mvp * vec4(a_position, 1.0);
}
)";
const char* const PlainFragmentText = R"(#version 120
uniform sampler2D u_texture;
uniform vec3 u_ambient;
uniform vec3 u_light_position;
uniform vec3 u_light_colour;
varying vec3 v_normal;
varying vec3 v_position;
varying vec2 v_uv;
void main()
{
    vec3 toLight = normalize(u_light_position - v_position);
    float diffuse = max(dot(normalize(v_normal), toLight), 0.0);
    gl_FragColor = vec4(texture2D(u_texture, v_uv).rgb * (u_ambient + u_light_colour * diffuse), 1.0);
}
)";

class SilentLog : public nLog
{
public:
    void Output(const char*, uint8_t) override {}
};

// A camera at the origin looking along +z with a 90 degree view.
class View : public StubRenderView
{
public:
    View()
    {
        const float n = 0.1f;
        const float f = 1000.0f;
        std::fill(std::begin(projection.m), std::end(projection.m), 0.0f);
        projection.m[0] = 0.75f;
        projection.m[5] = 1.0f;
        projection.m[10] = (f + n) / (f - n);
        projection.m[11] = -2.0f * f * n / (f - n);
        projection.m[14] = 1.0f;
        zNear = n;
        zFar = f;
    }
};

class Queue : public nRenderable
{
public:
    void GetWorldMinMax(nMinMax&) const override {}
    void Render(nCamera*, nItem*, nAutoList<nRenderablePrimitive*>* list, int32_t, bool) override
    {
        for (StubRenderItem& item : items)
            AppendDrawEntry(list, nRenderablePrimitive::KindObject, &item, geometry);
    }
    std::vector<StubRenderItem> items;
    nGeometry* geometry = nullptr;
};

// Everything both loops draw with, on one open renderer.
struct Bench
{
    SilentLog log;
    StubEngineServices engine;
    nSharedPtr<nIOBase> core;
    std::unique_ptr<nEGLRenderer> renderer;
    nSharedPtr<nTexture> texture;
    std::unique_ptr<nGeometry> cube;
    Queue queue;
    View view;
    StubLightSource light{nLightSourceSettings::TypePoint, nMatrix4()};
    StubLightEnvironment environment{&light};
    GLhandleARB plainProgram = 0;
    GLint plainMVP = -1;
    GLint plainModel = -1;
    GLint plainPosition = -1;
    GLint plainNormal = -1;
    GLint plainUV = -1;

    bool Open()
    {
        nLogHolder::Set(&log);
        core = new nIOCFile(KESTRUN_CORE_DATA_DIR);
        nPlatform::Get().GetIOSystem().Mount(core.Get(), "@core/");
        renderer = std::make_unique<nEGLRenderer>(&engine);
        engine.renderer = renderer.get();
        if (!renderer->Open(WindowWidth, WindowHeight, 32, true, nullptr))
            return false;
        renderer->SetCleanResourceOnSetup(false);
        texture = new nTexture(&engine, 0, 0);
        texture->Allocate(2, 2, PixelFormatBGRA8);
        std::memset(texture->GetPixels(), 0x80, 16);
        texture->SetRenderData(renderer->SetupTexture(texture.Get()));
        cube.reset(new nGeometry(&engine));
        MakeCube(*cube);
        cube->renderData = renderer->SetupGeometry(cube.get());
        queue.geometry = cube.get();
        renderer->SetEnvironment(&environment);
        renderer->SetViewItem(reinterpret_cast<nItem*>(&view), &view);
        return cube->renderData != nullptr && MakePlainProgram();
    }

    bool MakePlainProgram()
    {
        nEGLEntryPoints& gl = EGL();
        plainProgram = gl.CreateProgramObject();
        for (const auto& [kind, text] : {std::pair{GLenum(GL_VERTEX_SHADER), PlainVertexText},
                                         std::pair{GLenum(GL_FRAGMENT_SHADER), PlainFragmentText}})
        {
            GLhandleARB shader = gl.CreateShaderObject(kind);
            const char* source = text;
            gl.ShaderSource(shader, 1, &source, nullptr);
            gl.CompileShader(shader);
            gl.AttachObject(plainProgram, shader);
        }
        gl.LinkProgram(plainProgram);
        GLint linked = 0;
        gl.GetProgramiv(plainProgram, GL_LINK_STATUS, &linked);
        if (!linked)
            return false;
        gl.UseProgramObject(plainProgram);
        gl.Uniform1i(gl.GetUniformLocation(plainProgram, "u_texture"), 0);
        gl.Uniform3f(gl.GetUniformLocation(plainProgram, "u_ambient"), 0.2f, 0.2f, 0.2f);
        gl.Uniform3f(gl.GetUniformLocation(plainProgram, "u_light_position"), 0.0f, 0.0f, 0.0f);
        gl.Uniform3f(gl.GetUniformLocation(plainProgram, "u_light_colour"), 1.0f, 1.0f, 1.0f);
        gl.UseProgramObject(0);
        plainMVP = gl.GetUniformLocation(plainProgram, "u_mvp");
        plainModel = gl.GetUniformLocation(plainProgram, "u_model");
        plainPosition = gl.GetAttribLocation(plainProgram, "a_position");
        plainNormal = gl.GetAttribLocation(plainProgram, "a_normal");
        plainUV = gl.GetAttribLocation(plainProgram, "a_uv");
        return plainMVP >= 0 && plainPosition >= 0;
    }

    void MakeCube(nGeometry& geometry)
    {
        geometry.vertices.Resize(8);
        for (uint32_t i = 0; i < 8; ++i)
            *geometry.vertices.At(i) =
                nVector(i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f);
        const uint32_t faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                      {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        geometry.SetPolygonCount(6);
        for (uint32_t f = 0; f < 6; ++f)
            geometry.polygons.At(f)->bindingCount = 4;
        geometry.AllocateBindings();
        for (uint32_t f = 0; f < 6; ++f)
            for (uint32_t c = 0; c < 4; ++c)
                geometry.GetPolygonBindings(f)[c] = faces[f][c];
        geometry.uvSets[0].Resize(24);
        for (uint32_t b = 0; b < 24; ++b)
            *geometry.uvSets[0].At(b) = nUV(b & 1 ? 1.0f : 0.0f, b & 2 ? 1.0f : 0.0f);
        geometry.AllocateMaterials(1, true);
        nMaterial* material = geometry.GetMaterial(0);
        material->AddStage(ChannelDiffuse, texture.Get(), nTextureStage::UVSourceUVMap, 0);
        material->Update();
        material->SetShaderMap(nShaderMap::CreateFromFixedFunction(*material));
    }

    void Place(int count)
    {
        queue.items.assign(static_cast<size_t>(count), StubRenderItem());
        for (int i = 0; i < count; ++i)
        {
            const float x = static_cast<float>(i % 40) - 19.5f;
            const float y = static_cast<float>((i / 40) % 30) - 14.5f;
            const float z = 40.0f + static_cast<float>(i / 1200) * 4.0f;
            queue.items[size_t(i)].world = nMatrix4::FromTranslation(x, y, z);
            queue.items[size_t(i)].inverse = nMatrix4::FromTranslation(-x, -y, -z);
        }
        renderer->ResetRenderQueue();
        renderer->AddToRenderQueue(&queue);
    }

    // Draw calls of the last frame's render queue.
    uint32_t frameDraws = 0;

    double FrameMilliseconds()
    {
        const uint32_t before = renderer->GetStatistics().listsDrawn;
        const auto start = std::chrono::steady_clock::now();
        renderer->BeginFrame();
        renderer->RenderQueue();
        renderer->EndFrame();
        glFinish();
        const auto end = std::chrono::steady_clock::now();
        frameDraws = renderer->GetStatistics().listsDrawn - before;
        return std::chrono::duration<double, std::milli>(end - start).count();
    }

    // One glDrawElements per item, as the comment at the top says; the draws go to plainDraws.
    uint32_t plainDraws = 0;

    double PlainMilliseconds()
    {
        nEGLEntryPoints& gl = EGL();
        const auto start = std::chrono::steady_clock::now();
        auto* gpu = static_cast<nEGLGeometry*>(cube->renderData.Get());
        nEGLDisplayList& list = *gpu->GetDisplayLists()[0];
        const nGPUVertexLayout& layout = list.GetLayout();
        nEGLFBO* frame = renderer->GetFrameFBO();
        frame->Bind();
        GLint cullFace = GL_BACK;
        glGetIntegerv(GL_CULL_FACE_MODE, &cullFace);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        gl.UseProgramObject(plainProgram);
        gl.ActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, static_cast<nEGLTexture*>(texture->GetRenderData())->GetName());
        list.GetIndexBuffer()->Bind();
        list.GetVertexBuffer()->Bind();
        const GLsizei stride = GLsizei(layout.stride);
        auto at = [](int32_t offset) { return reinterpret_cast<const void*>(uintptr_t(offset)); };
        gl.EnableVertexAttribArray(GLuint(plainPosition));
        gl.VertexAttribPointer(GLuint(plainPosition), 3, GL_FLOAT, GL_FALSE, stride, at(0));
        const int32_t normalAt = layout.offsets[nGPUVertexLayout::Normal];
        if (plainNormal >= 0 && normalAt >= 0)
        {
            gl.EnableVertexAttribArray(GLuint(plainNormal));
            gl.VertexAttribPointer(GLuint(plainNormal), 3, GL_BYTE, GL_TRUE, stride, at(normalAt));
        }
        const int32_t uvAt = layout.offsets[nGPUVertexLayout::UV0];
        if (plainUV >= 0 && uvAt >= 0)
        {
            gl.EnableVertexAttribArray(GLuint(plainUV));
            gl.VertexAttribPointer(GLuint(plainUV), 2, GL_FLOAT, GL_FALSE, stride, at(uvAt));
        }
        nMatrix4 projection;
        view.ComputeProjectionMatrix(projection);
        plainDraws = 0;
        for (const StubRenderItem& item : queue.items)
        {
            const nMatrix4 transform = projection.Multiply(item.world);
            gl.UniformMatrix4fv(plainMVP, 1, GL_TRUE, transform.m);
            gl.UniformMatrix4fv(plainModel, 1, GL_TRUE, item.world.m);
            glDrawElements(GL_TRIANGLES, GLsizei(list.GetIndexCount()), GL_UNSIGNED_SHORT, nullptr);
            ++plainDraws;
        }
        for (GLint attribute : {plainPosition, plainNormal, plainUV})
            if (attribute >= 0)
                gl.DisableVertexAttribArray(GLuint(attribute));
        gl.UseProgramObject(0);
        list.GetVertexBuffer()->Unbind();
        list.GetIndexBuffer()->Unbind();
        frame->Unbind();
        // The final quad is the renderer's, drawn under the faces it culls outside its passes.
        glCullFace(GLenum(cullFace));
        renderer->DrawFullscreenQuad(renderer->GetLibraryProgram(nGPURenderer::LibrarySingleTexture),
                                     renderer->GetFrameTexture(0), nullptr);
        glFinish();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
};

Bench* SharedBench()
{
    static Bench* bench = nullptr;
    static bool tried = false;
    if (!tried)
    {
        tried = true;
        auto* made = new Bench();
        if (made->Open())
            bench = made;
    }
    return bench;
}

double Median(std::vector<double>& times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Measure> double Median(Measure measure)
{
    std::vector<double> times;
    for (int frame = 0; frame < Frames; ++frame)
        times.push_back(measure());
    return Median(times);
}

void BM_ForwardAgainstPlainLoop(benchmark::State& state)
{
    Bench* bench = SharedBench();
    if (!bench)
    {
        state.SkipWithError("the renderer did not open");
        return;
    }
    bench->Place(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        std::vector<double> frames;
        std::vector<double> plains;
        for (int frame = 0; frame < Frames; ++frame)
        {
            frames.push_back(bench->FrameMilliseconds());
            plains.push_back(bench->PlainMilliseconds());
        }
        const double frame = Median(frames);
        const double plain = Median(plains);
        state.counters["frame_ms"] = frame;
        state.counters["plain_ms"] = plain;
        state.counters["ratio"] = frame / plain;
        state.counters["frame_draws"] = bench->frameDraws;
        state.counters["plain_draws"] = bench->plainDraws;
    }
}
BENCHMARK(BM_ForwardAgainstPlainLoop)->Arg(1000)->Arg(4000)->Iterations(1)->Unit(benchmark::kMillisecond);

void SetTechnique(nEGLRenderer& renderer, const char* technique)
{
    nMetaTagValue value;
    value.SetString(technique);
    renderer.GetRegistry().SetKey("Technique", &value);
    renderer.SetRenderTechnique(nGPURenderer::TechniqueNone, true);
}

// The frame by item count, number of point lights (each reaching every item) and technique
// (0 forward, 1 deferred): frame_ms is the median of 200 frames, frame_draws the queue's draws.
void BM_FrameByLights(benchmark::State& state)
{
    Bench* bench = SharedBench();
    if (!bench)
    {
        state.SkipWithError("the renderer did not open");
        return;
    }
    const bool deferred = state.range(2) != 0;
    std::vector<std::unique_ptr<StubLightSource>> lights;
    StubLightEnvironment environment;
    for (int64_t n = 0; n < state.range(1); ++n)
    {
        const float x = n % 2 ? 10.0f : -10.0f;
        const float y = n / 2 % 2 ? 8.0f : -8.0f;
        lights.push_back(std::make_unique<StubLightSource>(nLightSourceSettings::TypePoint,
                                                           nMatrix4::FromTranslation(x, y, 20.0f)));
        environment.lights.push_back(lights.back().get());
    }
    bench->renderer->SetEnvironment(&environment);
    SetTechnique(*bench->renderer, deferred ? "Deferred" : "Forward");
    bench->Place(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        state.counters["frame_ms"] = Median([bench] { return bench->FrameMilliseconds(); });
        state.counters["frame_draws"] = bench->frameDraws;
    }
    state.SetLabel(deferred ? "deferred" : "forward");
    SetTechnique(*bench->renderer, "Forward");
    bench->renderer->SetEnvironment(&bench->environment);
}
BENCHMARK(BM_FrameByLights)
    ->ArgNames({"items", "lights", "deferred"})
    ->ArgsProduct({{1000, 4000}, {1, 2, 4}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The frame at 1000 items by technique and effects: 0 forward, 1 deferred, 2 forward with SSAO
// and Bloom at their default settings. Reported as frame_ms, the median of 200 frames.
enum FrameVariant : int64_t
{
    VariantForward,
    VariantDeferred,
    VariantForwardSSAOBloom,
};

void AskForSSAOAndBloom(nRegistry& settings)
{
    nMetaTagValue strength;
    strength.SetFloat(1.0f);
    settings.SetKey("PostProcess:SSAO:Strength", &strength);
    settings.SetKey("PostProcess:Bloom:Strength", &strength);
}

void BM_FrameByTechnique(benchmark::State& state)
{
    Bench* bench = SharedBench();
    if (!bench)
    {
        state.SkipWithError("the renderer did not open");
        return;
    }
    const int64_t variant = state.range(0);
    nRegistry effects;
    AskForSSAOAndBloom(effects);
    SetTechnique(*bench->renderer, variant == VariantDeferred ? "Deferred" : "Forward");
    bench->view.settings = variant == VariantForwardSSAOBloom ? &effects : nullptr;
    bench->Place(1000);
    for (auto _ : state)
        state.counters["frame_ms"] = Median([bench] { return bench->FrameMilliseconds(); });
    state.SetLabel(variant == VariantForward    ? "forward"
                   : variant == VariantDeferred ? "deferred"
                                                : "forward + SSAO + Bloom");
    bench->view.settings = nullptr;
    SetTechnique(*bench->renderer, "Forward");
}
BENCHMARK(BM_FrameByTechnique)
    ->Arg(VariantForward)
    ->Arg(VariantDeferred)
    ->Arg(VariantForwardSSAOBloom)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
} // namespace

namespace
{
// One spot light at the camera, its cone over every item, drawn with and without its shadow map:
// the shadow costs one more depth-only draw of the casters. Target: shadowed at most 2.2 times
// the unshadowed frame at N = 1000.
class SpotLight : public StubLightSource
{
public:
    SpotLight() : StubLightSource(nLightSourceSettings::TypeSpot, nMatrix4())
    {
        settings.coneAngle = 0.6f;
        settings.edgeAngle = 0.1f;
        settings.volumeRange = 100.0f;
        settings.shadowBias = 0.01f;
        frustum.SetPerspective(2.0f * (settings.coneAngle + settings.edgeAngle), zNear, settings.volumeRange,
                               &world, 1.0f, 1.0f);
    }
};

void BM_ShadowedSpotFrame(benchmark::State& state)
{
    Bench* bench = SharedBench();
    if (!bench)
    {
        state.SkipWithError("the renderer did not open");
        return;
    }
    bench->Place(static_cast<int>(state.range(0)));
    SpotLight light;
    StubLightEnvironment spot{&light};
    bench->renderer->SetEnvironment(&spot);
    for (auto _ : state)
    {
        light.settings.shadowMode = 0;
        const double unshadowed = Median([bench] { return bench->FrameMilliseconds(); });
        light.settings.shadowMode = nLightSourceSettings::ShadowMapMode;
        const double shadowed = Median([bench] { return bench->FrameMilliseconds(); });
        state.counters["unshadowed_ms"] = unshadowed;
        state.counters["shadowed_ms"] = shadowed;
        state.counters["ratio"] = shadowed / unshadowed;
    }
    bench->renderer->SetEnvironment(&bench->environment);
}
BENCHMARK(BM_ShadowedSpotFrame)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY"))
    {
        std::printf("GLFrameBench: no display, skipped.\n");
        return 0;
    }
    for (int i = 1; i < argc; ++i)
    {
        unsigned width = 0;
        unsigned height = 0;
        if (std::sscanf(argv[i], "--size=%ux%u", &width, &height) == 2 && width > 0 && height > 0)
        {
            WindowWidth = width;
            WindowHeight = height;
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    }
    std::printf("GLFrameBench: %ux%u\n", WindowWidth, WindowHeight);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
