#pragma once

#include <LinearMath/btIDebugDraw.h>

class nRasterFont;
class nRenderView;
class nRenderer;

// Draws what Bullet's debug view asks for through the renderer: lines, crosses at contact points
// and, while a view and a font are set, text placed through the view's camera.
class nBulletDebugDraw : public btIDebugDraw
{
public:
    explicit nBulletDebugDraw(nRenderer* renderer) : m_renderer(renderer) {}

    void SetView(nRenderView* view, nRasterFont* font);

    void drawLine(const btVector3& from, const btVector3& to, const btVector3& colour) override;
    void drawContactPoint(const btVector3& point, const btVector3& normal, btScalar distance, int lifeTime,
                          const btVector3& colour) override;
    void reportErrorWarning(const char*) override {}
    void draw3dText(const btVector3& location, const char* text) override;
    void setDebugMode(int mode) override { m_debugMode = mode; }
    int getDebugMode() const override { return m_debugMode; }

private:
    nRenderer* m_renderer;
    nRenderView* m_view = nullptr;
    nRasterFont* m_font = nullptr;
    int m_debugMode = 0;
};
