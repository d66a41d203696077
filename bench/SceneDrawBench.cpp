#include "core/base/nLog.h"
#include "core/math/nCurvePoint.h"
#include "core/math/nRandom.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "engine/items/nEmitter.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

// (a) 10,000 static objects of one box geometry on a 100 x 100 grid, a tenth of them in the
// camera's view: rebuilding the tree culling system, one culled draw of the tree, and the simple
// system's draw of the same objects, where every object tests itself. items_per_second counts
// objects. (b) 20 emitters of 500 live particles, each step queued and updated: items_per_second
// counts particle updates.

namespace
{
constexpr int kGrid = 100;
constexpr int kEmitters = 20;
constexpr int kParticles = 500;

struct ObjectField
{
    explicit ObjectField(bool isStatic)
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        box = new nGeometry(nullptr);
        box->box = nMinMax(nVector(-0.5f, -0.5f, -0.5f), nVector(0.5f, 0.5f, 0.5f));
        scene = new nScene(&engine, nullptr);
        scene->AddRef();
        for (int row = 0; row < kGrid; ++row)
            for (int column = 0; column < kGrid; ++column)
            {
                nMObject* object = scene->NewObject("Box", box.Get());
                object->GetItem()->SetPosition(
                    nVector(float(column) * 4.0f - 198.0f, 0.0f, float(row) * 4.0f));
                object->SetFlag(MItemFlagStatic, isStatic);
            }
        // A narrow view along +z from the middle of the near edge sees about a tenth of the grid.
        camera.SetAspectRatio(1.0f);
        camera.SetFov(0.2f);
        camera.SetPosition(nVector(0.0f, 0.0f, -2.0f));
        camera.ComputeViewFrustum();
    }
    ~ObjectField() { scene->Release(); }

    size_t Draw(nRenderable& system)
    {
        system.Render(&camera, &camera, &list, 0, true);
        const size_t drawn = list.GetCount();
        list.Clear();
        return drawn;
    }

    Quenvar engine;
    nSharedPtr<nGeometry> box;
    nScene* scene = nullptr;
    nCamera camera{nullptr};
    nAutoList<nRenderablePrimitive*> list;
};

void BM_TreeRebuild(benchmark::State& state)
{
    ObjectField field(true);
    nOctreeCullingSystem& tree = const_cast<nOctreeCullingSystem&>(field.scene->GetOctreeCulling());
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.Rebuild());
    state.SetItemsProcessed(state.iterations() * kGrid * kGrid);
}
BENCHMARK(BM_TreeRebuild)->Unit(benchmark::kMillisecond);

void BM_TreeCulledDraw(benchmark::State& state)
{
    ObjectField field(true);
    nRenderable& tree = const_cast<nOctreeCullingSystem&>(field.scene->GetOctreeCulling());
    size_t drawn = field.Draw(tree); // builds the tree
    for (auto _ : state)
        drawn = field.Draw(tree);
    state.counters["drawn"] = double(drawn);
    state.SetItemsProcessed(state.iterations() * kGrid * kGrid);
}
BENCHMARK(BM_TreeCulledDraw)->Unit(benchmark::kMillisecond);

void BM_SimpleSystemDraw(benchmark::State& state)
{
    ObjectField field(false);
    nRenderable& simple = const_cast<nSimpleCullingSystem&>(field.scene->GetSimpleCulling());
    size_t drawn = 0;
    for (auto _ : state)
        drawn = field.Draw(simple);
    state.counters["drawn"] = double(drawn);
    state.SetItemsProcessed(state.iterations() * kGrid * kGrid);
}
BENCHMARK(BM_SimpleSystemDraw)->Unit(benchmark::kMillisecond);

// A model with a few knots on the size, opacity and colour curves, as particle effects have.
nParticleModel* MakeModel()
{
    auto* model = new nParticleModel(nullptr);
    model->timeToLive = 1.0e6f;
    model->damping = 0.9f;
    model->gravity = nVector(0.0f, -1.0f, 0.0f);
    model->curves[nParticleModel::CurveSize].AddKnot(new nCurvePoint(0.0f, 0.5f));
    model->curves[nParticleModel::CurveSize].AddKnot(new nCurvePoint(2.0f, 2.0f));
    model->curves[nParticleModel::CurveSize].AddKnot(new nCurvePoint(5.0f, 3.0f));
    model->AddColorKey(0.0f, 1.0f, 0.8f, 0.2f, 1.0f);
    model->AddColorKey(3.0f, 0.5f, 0.5f, 0.5f, 0.5f);
    model->AddColorKey(6.0f, 0.2f, 0.2f, 0.2f, 0.0f);
    return model;
}

void BM_EmitterUpdate(benchmark::State& state)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    RandomSeed(77);
    nSharedPtr<nParticleModel> model = MakeModel();
    std::vector<std::unique_ptr<nEmitter>> emitters;
    for (int index = 0; index < kEmitters; ++index)
    {
        emitters.push_back(std::make_unique<nEmitter>(nullptr));
        nEmitter& emitter = *emitters.back();
        emitter.SetParticleModel(model.Get());
        emitter.SetPoolSize(kParticles);
        emitter.SetBirthRate(float(kParticles + 1) * 5.0f);
        emitter.AllocatePool();
        emitter.Update(0.2f); // every slot born at once, nothing left owed
        emitter.SetBirthRate(0.0f);
    }
    for (auto _ : state)
        for (const auto& emitter : emitters)
        {
            emitter->Render(nullptr, nullptr, nullptr, 0, false);
            emitter->Update(1.0f / 60.0f);
        }
    state.counters["live"] = double(emitters.front()->GetLiveCount());
    state.SetItemsProcessed(state.iterations() * kEmitters * kParticles);
}
BENCHMARK(BM_EmitterUpdate)->Unit(benchmark::kMillisecond);
} // namespace
