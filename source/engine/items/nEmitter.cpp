#include "engine/items/nEmitter.h"

#include "core/base/nLog.h"
#include "core/math/nFrustum.h"
#include "core/math/nMinMax.h"
#include "core/math/nRandom.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"

#include <cmath>
#include <new>

namespace
{
constexpr float FullTurn = 6.2831855f;

// A curve read once per update when it cannot vary with age (no knot or one), else per particle.
struct CurveReader
{
    nCurve* curve;
    bool constant;
    float value;

    explicit CurveReader(nCurve& source) : curve(&source), constant(source.GetKnotCount() <= 1), value(0.0f)
    {
        if (constant)
            source.Evaluate(0.0f, value, CurveConstant);
    }
    float At(float age)
    {
        if (constant)
            return value;
        float result;
        curve->Evaluate(age, result, CurveConstant);
        return result;
    }
};
} // namespace

nEmitter::nEmitter(Quenvar* engine) : nItem(engine) {}

nEmitter::~nEmitter()
{
    FreePool();
}

void nEmitter::SetSpeed(float minimum, float maximum)
{
    m_speedMin = minimum;
    m_speedMax = maximum;
}

void nEmitter::SetParticleModel(nParticleModel* model)
{
    m_model = model;
    m_unloadedModelName.Clear();
}

bool nEmitter::AllocatePool(nMemoryBudget* budget, const char* name)
{
    FreePool();
    if (!m_model)
        return false;
    if (budget && m_poolSize > 0 && m_poolSize <= MaxPoolSize)
    {
        const size_t bytes = size_t(m_poolSize) * (sizeof(nParticle) + sizeof(nKeyValuePair));
        if (!budget->Reserve(bytes))
        {
            nLogHolder::Get() << "[!] The particle pool of emitter '" << (name ? name : "") << "' (size "
                              << m_poolSize << ") would pass the " << uint32_t(budget->GetLimitMegabytes())
                              << " MB that its scene's particle pools may take: the emitter has no pool.\n";
            return false;
        }
        m_poolBudget = budget;
        m_poolBytes = bytes;
    }
    if (m_poolSize <= 0 || m_poolSize > MaxPoolSize || !m_pool.Resize(uint32_t(m_poolSize)) ||
        !m_depthList.Resize(uint32_t(m_poolSize)))
    {
        FreePool();
        nLogHolder::Get() << "[!] Failed to allocate emitter particle pool (size " << m_poolSize << ").\n";
        return false;
    }
    m_depthCount = 0;
    m_clock = 0.0f;
    m_accumulator = 0.0f;
    m_updatedSinceRender = true;
    return true;
}

void nEmitter::FreePool()
{
    if (m_poolBudget)
        m_poolBudget->Release(m_poolBytes);
    m_poolBudget = nullptr;
    m_poolBytes = 0;
    m_pool.Free();
    m_depthList.Free();
    m_depthCount = 0;
}

uint32_t nEmitter::GetLiveCount() const
{
    uint32_t live = 0;
    for (uint32_t index = 0; index < m_pool.GetCount(); ++index)
        live += m_pool.At(index)->age >= 0.0f;
    return live;
}

void nEmitter::Initialize(nParticle& particle)
{
    const nMatrix4& world = GetWorldMatrix();
    particle.position = world.GetTranslation();
    particle.position.w = 1.0f;
    particle.velocity = nVector(0.0f, 0.0f, 0.0f, 1.0f);
    if (m_type == TypeSpray)
    {
        const float angle = (RandomFloat(2.0f) - 1.0f) * m_sprayAngle;
        nVector direction(std::sin(angle), 0.0f, std::cos(angle));
        direction.ApplyMatrix3(nMatrix3::RotationZ(RandomFloat(FullTurn)));
        direction = direction.Normalized();
        const float speed = RandomRange(m_speedMin, m_speedMax) * m_speedScale;
        particle.velocity = (direction * speed).MulMatrix3(world.GetMatrix3());
    }
    particle.opacityScale = m_opacityScale;
    particle.sizeScale = m_sizeScale;
}

// What is owed over the rate grows without bound while births wait (a low rate, a full pool), so a
// newborn is at most one frame old: older, it would die at birth and the emitter go dark.
float nEmitter::NewbornAge(float dt) const
{
    // The accumulator grows by the scaled rate: the owed time is measured in the same rate.
    const float rate = m_rateScale * m_birthRate;
    const float owedTime = rate > 0.0f ? m_accumulator / rate : 0.0f;
    return owedTime < dt ? owedTime : dt;
}

// Births take free slots in pool order: the first search of an update starts at slot 0, later
// ones after the slot of the previous birth, and a search that reaches the end stops the births
// (what is owed stays owed).
void nEmitter::Update(float dt)
{
    if (!HasPool() || !m_updatedSinceRender || !m_model)
        return;
    const uint32_t count = m_pool.GetCount();
    nParticle* pool = m_pool.GetData();
    m_accumulator += m_rateScale * m_birthRate * dt;
    uint32_t slot = 0;
    while (m_accumulator > 1.0f)
    {
        while (slot < count && pool[slot].age >= 0.0f)
            ++slot;
        if (slot == count)
            break;
        nParticle& particle = pool[slot++];
        particle.age = NewbornAge(dt);
        particle.size = particle.angle = particle.red = particle.green = particle.blue = 0.0f;
        Initialize(particle);
        m_accumulator -= 1.0f;
    }

    nParticleModel& model = *m_model;
    const float damping = std::pow(model.damping, dt);
    const nVector gravityStep = model.gravity * dt;
    CurveReader angle(model.curves[nParticleModel::CurveAngle]);
    CurveReader size(model.curves[nParticleModel::CurveSize]);
    CurveReader red(model.curves[nParticleModel::CurveRed]);
    CurveReader green(model.curves[nParticleModel::CurveGreen]);
    CurveReader blue(model.curves[nParticleModel::CurveBlue]);
    CurveReader opacity(model.curves[nParticleModel::CurveOpacity]);
    for (uint32_t index = 0; index < count; ++index)
    {
        nParticle& particle = pool[index];
        if (particle.age < 0.0f)
            continue;
        particle.age += dt;
        if (particle.age >= model.timeToLive)
        {
            particle.age = -1.0f;
            continue;
        }
        const float age = particle.age;
        particle.position.x += particle.velocity.x * dt;
        particle.position.y += particle.velocity.y * dt;
        particle.position.z += particle.velocity.z * dt;
        particle.velocity.x = (particle.velocity.x + gravityStep.x) * damping;
        particle.velocity.y = (particle.velocity.y + gravityStep.y) * damping;
        particle.velocity.z = (particle.velocity.z + gravityStep.z) * damping;
        particle.size = size.At(age) * particle.sizeScale;
        particle.angle = angle.At(age);
        particle.red = red.At(age);
        particle.green = green.At(age);
        particle.blue = blue.At(age);
        particle.opacity = opacity.At(age) * particle.opacityScale;
    }
    m_clock += dt;
    m_updatedSinceRender = false;
}

bool nEmitter::SortParticles(const nVector& point, const nVector& direction)
{
    m_depthCount = 0;
    if (!HasPool())
        return false;
    for (uint32_t index = 0; index < m_pool.GetCount(); ++index)
    {
        const nParticle& particle = *m_pool.At(index);
        if (particle.age < 0.0f)
            continue;
        nKeyValuePair& entry = *m_depthList.At(m_depthCount++);
        entry.key = (particle.position - point).Dot(direction);
        entry.value = index;
    }
    if (m_depthCount > 1)
        SortKeyValuePairs(m_depthList.GetData(), 0, int(m_depthCount) - 1);
    return true;
}

const nMaterial* nEmitter::GetParticleMaterial() const
{
    return m_model ? &m_model->material : nullptr;
}

uint32_t nEmitter::CopyParticlesFarthestFirst(const nVector& eye, const nVector& direction,
                                              nVector* positions, nVector* colours, float* sizes,
                                              uint32_t capacity)
{
    if (!SortParticles(eye, direction))
        return 0;
    const uint32_t count = m_depthCount < capacity ? m_depthCount : capacity;
    for (uint32_t copied = 0; copied < count; ++copied)
    {
        const nParticle& particle = *m_pool.At(m_depthList.At(m_depthCount - 1 - copied)->value);
        positions[copied] = particle.position;
        colours[copied] =
            nVector(particle.red, particle.green, particle.blue, particle.opacity); // already scaled
        sizes[copied] = particle.size;
    }
    return count;
}

// Updating the item only refreshes its cached matrices, so the box is asked of a const renderable.
void nEmitter::GetWorldMinMax(nMinMax& box) const
{
    const nVector position = const_cast<nEmitter&>(*this).GetWorldMatrix().GetTranslation();
    box = nMinMax(position, position);
    for (uint32_t entry = 0; entry < m_depthCount; ++entry)
    {
        const nParticle& particle = *m_pool.At(uint32_t(m_depthList.At(entry)->value));
        const nVector reach(particle.size, particle.size, particle.size, 0.0f);
        box.Extend(particle.position + reach);
        box.Extend(particle.position - reach);
    }
}

void nEmitter::Render(nCamera* camera, nItem*, nAutoList<nRenderablePrimitive*>* drawList, int32_t, bool cull)
{
    Quenvar* engine = GetEngine();
    nPerfCounter* timer = engine ? &engine->GetCullingCounter() : nullptr;
    if (timer)
        timer->Begin(true);
    bool visible = true;
    if (cull && camera)
    {
        nMinMax box;
        GetWorldMinMax(box);
        visible = camera->GetViewFrustum().TestMinMax(box, nullptr) != nFrustum::Outside;
    }
    if (visible)
    {
        m_updatedSinceRender = true;
        AppendDrawEntry(drawList, nRenderablePrimitive::KindEmitter, static_cast<nItem*>(this),
                        static_cast<nParticleSource*>(this));
    }
    if (timer)
        timer->End();
}
