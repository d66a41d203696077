#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nKeyValuePair.h"
#include "core/base/nMemoryBudget.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nVector.h"
#include "engine/items/nItem.h"
#include "engine/items/nParticleModel.h"
#include "render/nParticleSource.h"
#include "render/nRenderable.h"

#include <cstdint>

// One slot of an emitter's pool; a negative age marks a free slot.
struct nParticle
{
    float age = -1.0f;
    nVector position;
    nVector velocity;
    float size = 0.0f;
    float angle = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float opacity = 0.0f;
    float opacityScale = 1.0f;
    float sizeScale = 1.0f;
};

// A particle source in the scene: it owns a fixed pool of particles, gives birth to them at a
// rate from its world position in a spray cone around its z axis, and moves and ages them with
// its model. It advances only after it was queued for drawing, so an emitter nobody sees costs
// nothing.
class nEmitter : public nItem, public nRenderable, public nParticleSource
{
public:
    enum Type : int32_t
    {
        TypeSpray = 0,
    };
    // Pools beyond this many particles are refused as absurd.
    static constexpr int32_t MaxPoolSize = 1048576;
    static constexpr float DefaultSprayAngle = 0.7853982f;

    explicit nEmitter(Quenvar* engine);
    ~nEmitter() override;

    using nItem::Update;
    // One step of dt seconds: births, then every live particle moves and ages.
    void Update(float dt);
    // Sizes the pool for the model, its bytes reserved in the budget when one is given; false
    // without a model, with a size the pool cannot take, or past the budget (after one "[!]" line
    // naming the emitter).
    bool AllocatePool(nMemoryBudget* budget = nullptr, const char* name = "");
    void FreePool();
    bool HasPool() const { return m_pool.GetCount() != 0; }

    // A point box at the world position, grown by the particles of the depth list.
    void GetWorldMinMax(nMinMax& box) const override;
    // Queues itself for the particle pass unless culled, which lets the next update run.
    void Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList, int32_t pass,
                bool cull) override;
    // The depth list: the live particles (values are pool indices) by their distance from the point
    // along the unit direction, nearest first.
    bool SortParticles(const nVector& point, const nVector& direction);

    const nMaterial* GetParticleMaterial() const override;
    uint32_t GetParticleCapacity() const override { return m_pool.GetCount(); }
    uint32_t CopyParticlesFarthestFirst(const nVector& eye, const nVector& direction, nVector* positions,
                                        nVector* colours, float* sizes, uint32_t capacity) override;

    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }
    int32_t GetPoolSize() const { return m_poolSize; }
    void SetPoolSize(int32_t size) { m_poolSize = size; }
    float GetBirthRate() const { return m_birthRate; }
    void SetBirthRate(float rate) { m_birthRate = rate; }
    float GetSpeedMin() const { return m_speedMin; }
    float GetSpeedMax() const { return m_speedMax; }
    void SetSpeed(float minimum, float maximum);
    float GetSprayAngle() const { return m_sprayAngle; }
    void SetSprayAngle(float radians) { m_sprayAngle = radians; }
    float GetBirthRateScale() const { return m_rateScale; }
    void SetBirthRateScale(float scale) { m_rateScale = scale; }
    float GetBirthOpacityScale() const { return m_opacityScale; }
    void SetBirthOpacityScale(float scale) { m_opacityScale = scale; }
    float GetBirthSpeedScale() const { return m_speedScale; }
    void SetBirthSpeedScale(float scale) { m_speedScale = scale; }
    float GetBirthSizeScale() const { return m_sizeScale; }
    void SetBirthSizeScale(float scale) { m_sizeScale = scale; }
    nParticleModel* GetParticleModel() const { return m_model.Get(); }
    // The pool stays as it is.
    void SetParticleModel(nParticleModel* model);

    const nAutoArray<nParticle>& GetPool() const { return m_pool; }
    uint32_t GetLiveCount() const;
    const nAutoArray<nKeyValuePair>& GetDepthList() const { return m_depthList; }
    uint32_t GetDepthCount() const { return m_depthCount; }
    bool IsUpdatedSinceRender() const { return m_updatedSinceRender; }
    float GetClock() const { return m_clock; }
    float GetBirthAccumulator() const { return m_accumulator; }

    // The "Emitter" block of scene files.
    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    float NewbornAge(float dt) const;
    void Initialize(nParticle& particle);

    int32_t m_type = TypeSpray;
    int32_t m_poolSize = 500;
    float m_birthRate = 100.0f;
    float m_speedMin = 1.0f;
    float m_speedMax = 1.5f;
    float m_sprayAngle = DefaultSprayAngle;
    float m_rateScale = 1.0f;
    float m_opacityScale = 1.0f;
    float m_speedScale = 1.0f;
    float m_sizeScale = 1.0f;
    nSharedPtr<nParticleModel> m_model;
    // The model a block named that did not load, written back in its place.
    nString m_unloadedModelName;
    nAutoArray<nParticle> m_pool{MemCategoryGeneral};
    nAutoArray<nKeyValuePair> m_depthList{MemCategoryGeneral};
    nMemoryBudget* m_poolBudget = nullptr; // where the pool's bytes were reserved
    size_t m_poolBytes = 0;
    uint32_t m_depthCount = 0;
    bool m_updatedSinceRender = false;
    float m_clock = 0.0f;
    float m_accumulator = 0.0f;
};
