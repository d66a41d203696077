#include "physics/nBulletDebugDraw.h"

#include "physics/nBulletConvert.h"
#include "physics/nPhysicDebugRenderer.h"

namespace
{
nVector OpaqueColour(const btVector3& colour)
{
    return nVector(float(colour.x()), float(colour.y()), float(colour.z()), 1.0f);
}
} // namespace

void nBulletDebugDraw::SetCamera(nCamera* camera, nFont* font)
{
    m_camera = camera;
    m_font = font;
}

void nBulletDebugDraw::drawLine(const btVector3& from, const btVector3& to, const btVector3& colour)
{
    m_renderer->DrawLine(FromBullet(from), FromBullet(to), OpaqueColour(colour));
}

void nBulletDebugDraw::drawContactPoint(const btVector3& point, const btVector3&, btScalar, int,
                                        const btVector3& colour)
{
    m_renderer->DrawCross(FromBullet(point), 1.0f, OpaqueColour(colour));
}

void nBulletDebugDraw::draw3dText(const btVector3& location, const char* text)
{
    if (m_camera && m_font)
        m_renderer->DrawText(m_camera, m_font, FromBullet(location), text);
}
