#include "physics/nBulletDebugDraw.h"

#include "physics/nBulletConvert.h"
#include "render/nRenderView.h"
#include "render/nRenderer.h"

namespace
{
nVector OpaqueColour(const btVector3& colour)
{
    return nVector(float(colour.x()), float(colour.y()), float(colour.z()), 1.0f);
}
} // namespace

void nBulletDebugDraw::SetView(nRenderView* view, nRasterFont* font)
{
    m_view = view;
    m_font = font;
}

void nBulletDebugDraw::drawLine(const btVector3& from, const btVector3& to, const btVector3& colour)
{
    const nVector opaque = OpaqueColour(colour);
    m_renderer->DrawLine(FromBullet(from), FromBullet(to), &opaque);
}

void nBulletDebugDraw::drawContactPoint(const btVector3& point, const btVector3&, btScalar, int,
                                        const btVector3& colour)
{
    const nVector opaque = OpaqueColour(colour);
    m_renderer->DrawCross(FromBullet(point), 1.0f, &opaque);
}

// The location goes through the view's camera to normalised screen coordinates; text behind the
// camera is not drawn.
void nBulletDebugDraw::draw3dText(const btVector3& location, const char* text)
{
    if (!m_view || !m_font)
        return;
    nMatrix4 projection;
    m_view->ComputeProjectionMatrix(projection);
    nVector clip = FromBullet(location);
    clip.ApplyMatrix4(m_view->GetViewInverseWorldMatrix());
    const float* p = projection.m;
    const float w = p[12] * clip.x + p[13] * clip.y + p[14] * clip.z + p[15];
    if (!(w > 0.0f))
        return;
    float x = ((p[0] * clip.x + p[1] * clip.y + p[2] * clip.z + p[3]) / w + 1.0f) * 0.5f;
    float y = (1.0f - (p[4] * clip.x + p[5] * clip.y + p[6] * clip.z + p[7]) / w) * 0.5f;
    m_renderer->Write(m_font, text, x, y, nTextFlags{true, true}, 1.0f, nullptr, 0);
}
