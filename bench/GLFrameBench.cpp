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
#include <vector>

// The forward frame against the least GL that draws the same: N items sharing one 12-triangle
// cube and one textured material, one point light, 320x240, no antialiasing, no VSync. Each
// figure is the median of 200 frames of BeginFrame, RenderQueue, EndFrame and glFinish; the
// plain loop draws the same buffers with the material's two pass programs into the frame FBO (two
// matrix uploads and one glDrawElements per item and pass), then the final quad. Target: the
// frame at most 1.25 times the plain loop at N = 1000 and 4000. Run under xvfb-run with Mesa's
// software renderer; without a display it only says so.

namespace
{
constexpr int Frames = 200;

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

    bool Open()
    {
        nLogHolder::Set(&log);
        core = new nIOCFile(KESTRUN_CORE_DATA_DIR);
        nPlatform::Get().GetIOSystem().Mount(core.Get(), "@core/");
        renderer = std::make_unique<nEGLRenderer>(&engine);
        engine.renderer = renderer.get();
        if (!renderer->Open(320, 240, 32, true, nullptr))
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
        return cube->renderData != nullptr;
    }

    void MakeCube(nGeometry& geometry)
    {
        geometry.vertices.Resize(8);
        for (uint32_t i = 0; i < 8; ++i)
            *geometry.vertices.At(i) = nVector(i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f);
        const uint32_t faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
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

    double FrameMilliseconds()
    {
        const auto start = std::chrono::steady_clock::now();
        renderer->BeginFrame();
        renderer->RenderQueue();
        renderer->EndFrame();
        glFinish();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

    // The same draws with nothing but GL: two matrix uploads and one glDrawElements per item and
    // pass, then the final quad.
    double PlainMilliseconds()
    {
        const auto start = std::chrono::steady_clock::now();
        auto* gpu = static_cast<nEGLGeometry*>(cube->renderData.Get());
        nEGLDisplayList& list = *gpu->GetDisplayLists()[0];
        auto* material = static_cast<nEGLMaterial*>(cube->GetMaterial(0)->renderData.Get());
        nEGLFBO* frame = renderer->GetFrameFBO();
        frame->Bind();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        list.GetIndexBuffer()->Bind();
        list.GetVertexBuffer()->Bind();
        nMatrix4 projection;
        view.ComputeProjectionMatrix(projection);
        for (uint32_t pass : {2u, 3u})
        {
            nEGLProgram& program = *material->GetProgram(pass);
            program.Bind(nullptr);
            const nGPUProgramInput* mvp = program.FindInput(SemanticModelViewProjectionMatrix);
            const nGPUProgramInput* model = program.FindInput(SemanticModelMatrix);
            for (const nGPUProgramInput& input : program.GetInputs())
            {
                const int32_t offset = input.semantic == SemanticPosition ? 0 : input.semantic == SemanticUV0 ? 16 : -1;
                if (input.kind == nGPUProgramInput::Attribute && offset >= 0)
                    program.SetVertexAttribute(input.location.get(), input.semantic == SemanticPosition ? 3 : 2, 4,
                                               false, list.GetLayout().stride,
                                               reinterpret_cast<const void*>(uintptr_t(offset)));
            }
            if (pass == 3)
            {
                glEnable(GL_BLEND);
                glBlendFunc(GL_ONE, GL_ONE);
                glDepthFunc(GL_LEQUAL);
            }
            for (const StubRenderItem& item : queue.items)
            {
                const nMatrix4 transform = projection.Multiply(item.world);
                if (mvp)
                    program.SetUniformMatrix4(mvp->location.get(), transform.m, 1);
                if (model)
                    program.SetUniformMatrix4(model->location.get(), item.world.m, 1);
                glDrawElements(GL_TRIANGLES, GLsizei(list.GetIndexCount()), GL_UNSIGNED_SHORT, nullptr);
            }
            program.Unbind();
        }
        glDisable(GL_BLEND);
        glDepthFunc(GL_LESS);
        list.GetVertexBuffer()->Unbind();
        list.GetIndexBuffer()->Unbind();
        frame->Unbind();
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

template <typename Measure> double Median(Measure measure)
{
    std::vector<double> times;
    for (int frame = 0; frame < Frames; ++frame)
        times.push_back(measure());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void BM_ForwardFrame(benchmark::State& state)
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
        const double frame = Median([bench] { return bench->FrameMilliseconds(); });
        const double plain = Median([bench] { return bench->PlainMilliseconds(); });
        state.counters["frame_ms"] = frame;
        state.counters["plain_ms"] = plain;
        state.counters["ratio"] = frame / plain;
    }
}
BENCHMARK(BM_ForwardFrame)->Arg(1000)->Arg(4000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The frame at 1000 items by technique and effects: 0 forward, 1 deferred, 2 forward with SSAO
// and Bloom at their default settings. Reported as frame_ms, the median of 200 frames.
enum FrameVariant : int64_t
{
    VariantForward,
    VariantDeferred,
    VariantForwardSSAOBloom,
};

void SetTechnique(nEGLRenderer& renderer, const char* technique)
{
    nMetaTagValue value;
    value.SetString(technique);
    renderer.GetRegistry().SetKey("Technique", &value);
    renderer.SetRenderTechnique(nGPURenderer::TechniqueNone, true);
}

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
        frustum.SetPerspective(2.0f * (settings.coneAngle + settings.edgeAngle), zNear, settings.volumeRange, &world,
                               1.0f, 1.0f);
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
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
