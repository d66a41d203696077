#include "physics/nPhysicWorld.h"

nPhysicWorld::~nPhysicWorld()
{
    m_listeners.Clear();
}

void nPhysicWorld::DrawDebug(uint32_t, nRenderView*, nRasterFont*) {}
