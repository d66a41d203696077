#include "engine/Quenvar.h"

#include "engine/EngineObjectLifetimes.h"

#include "core/base/nMemory.h"
#include "core/math/nRandom.h"
#include "engine/resources/nResourceCache.h"

namespace
{
constexpr uint32_t RandomSeedAtStart = 77;
}

Quenvar::Quenvar()
    : m_nullRenderer(std::make_unique<nNullRenderer>(this)), m_nullMixer(std::make_unique<nNullMixer>(this)),
      m_defaultCache(std::make_unique<nResourceCache>())
{
    MemTrackAlloc(sizeof(nNullRenderer), MemCategoryRenderer);
    m_renderer = m_nullRenderer.get();
    m_mixer = m_nullMixer.get();
    m_currentCache = m_defaultCache.get();
    UpdateClock();
    RandomSeed(RandomSeedAtStart);
    RegisterEngineObjectLifetimes();
}

// Sounds tell the listeners and the mixer as they go, so the caches go while both still exist.
Quenvar::~Quenvar()
{
    DestroyAdoptedObjects();
    m_currentCache = m_defaultCache.get();
    m_extraCaches.Clear();
    m_defaultCache.reset();
    m_mixer = m_nullMixer.get();
    m_renderer = m_nullRenderer.get();
    m_nullMixer.reset();
    m_nullRenderer.reset();
    MemTrackFree(sizeof(nNullRenderer), MemCategoryRenderer);
    Clear();
}

void Quenvar::SendCoreMessage(nCoreMessage message, const nCoreEventData* data)
{
    Broadcast(message, data);
}

void Quenvar::AdoptObject(void* object, void (*destroy)(void*))
{
    m_adoptedObjects.push_back({object, destroy});
}

void Quenvar::DestroyAdoptedObjects()
{
    for (auto adopted = m_adoptedObjects.rbegin(); adopted != m_adoptedObjects.rend(); ++adopted)
        adopted->destroy(adopted->object);
    m_adoptedObjects.clear();
}

void Quenvar::SetRenderer(nRenderer* renderer)
{
    m_renderer = renderer ? renderer : m_nullRenderer.get();
}

void Quenvar::SetMixer(nMixer* mixer)
{
    m_mixer = mixer ? mixer : m_nullMixer.get();
}

void Quenvar::BeginFrame()
{
    m_frameCounter.End();
    m_frameCounter.Begin();
    m_renderQueueCounter.NextFrame();
    m_cullingCounter.NextFrame();
}
