#pragma once

#include <cstdint>

class nCamera;
class nFrustum;
class nMatrix4;
class nRegistry;

// The camera part of the renderer's view item, as the renderer needs it: the camera lives with
// the scene, which the renderer cannot link.
class nRenderView
{
public:
    virtual nCamera* GetCamera() = 0;
    // Brings the item's world matrix up to date.
    virtual void UpdateView() = 0;
    virtual const nMatrix4& GetViewWorldMatrix() const = 0;
    virtual const nMatrix4& GetViewInverseWorldMatrix() const = 0;
    virtual void ComputeProjectionMatrix(nMatrix4& projection) = 0;
    // Recomputes the frustum without overriding the near and far planes.
    virtual void ComputeViewFrustum() = 0;
    virtual const nFrustum& GetViewFrustum() const = 0;
    virtual float GetViewZNear() const = 0;
    virtual float GetViewZFar() const = 0;
    virtual float GetViewZoom() const = 0;
    // The view's own settings (its post-process effects), or null when it has none.
    virtual const nRegistry* GetViewSettings() const { return nullptr; }

protected:
    ~nRenderView() = default;
};
