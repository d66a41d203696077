#include "engine/Quenvar.h"

#include "core/base/nLog.h"
#include "render/nRenderer.h"

nResourceCache* Quenvar::NewResourceCache()
{
    auto* cache = new nResourceCache();
    if (!m_extraCaches.PushBack(cache))
    {
        delete cache;
        return nullptr;
    }
    return cache;
}

nResourceCache* Quenvar::SetResourceCache(nResourceCache* cache)
{
    nResourceCache* previous = m_currentCache;
    m_currentCache = cache ? cache : m_defaultCache.get();
    return previous;
}

bool Quenvar::DeleteResourceCache(nResourceCache* cache)
{
    auto* node = m_extraCaches.Find(cache);
    if (!node)
        return false;
    if (m_currentCache == cache)
        m_currentCache = m_defaultCache.get();
    return m_extraCaches.RemoveNode(node);
}

void Quenvar::FreeResourceCaches()
{
    nLogHolder::Get() << "Freeing " << m_extraCaches.GetCount() + 1 << " resource cache(s)...\n";
    // The renderer's output texture goes with the rest, while the renderer is still open.
    m_renderer->SetOutputTexture(nullptr);
    m_currentCache = m_defaultCache.get();
    m_extraCaches.Clear();
    m_defaultCache->Clear();
    nLogHolder::Get() << "Done.\n";
}
