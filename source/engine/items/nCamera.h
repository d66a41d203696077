#pragma once

#include "core/math/nFrustum.h"
#include "engine/items/nItem.h"
#include "render/nRenderView.h"

class nLight;

// A view: perspective through a zoom factor (1 / tan(fov / 2)) or orthographic through a
// width and height, with near and far distances, a relative viewport and an aspect rule.
// Its world matrix never carries scale. The renderer sees it through nRenderView.
class nCamera : public nItem, public nRenderView
{
public:
    static constexpr float DefaultZNear = 0.1f;
    static constexpr float DefaultZFar = 50000.0f;
    static constexpr float DefaultZoom = 3.2f;
    static constexpr float MinimumZoom = 0.1f;

    explicit nCamera(Quenvar* engine);
    ~nCamera() override;

    void Update() override;

    nCamera* GetCamera() override { return this; }
    // Brings the world matrix and its inverse up to date for the renderer's const reads.
    void UpdateView() override;
    const nMatrix4& GetViewWorldMatrix() const override { return GetStoredWorldMatrix(); }
    const nMatrix4& GetViewInverseWorldMatrix() const override { return GetStoredInverseMatrix(); }
    void ComputeProjectionMatrix(nMatrix4& projection) override;
    void ComputeViewFrustum() override { ComputeFrustum(nullptr); }
    const nFrustum& GetViewFrustum() const override { return m_frustum; }
    float GetViewZNear() const override { return m_zNear; }
    float GetViewZFar() const override { return m_zFar; }
    float GetViewZoom() const override { return m_zoom; }
    const nRegistry* GetViewSettings() const override { return &GetRegistry(); }

    float GetZNear() const { return m_zNear; }
    void SetZNear(float zNear) { m_zNear = zNear; }
    float GetZFar() const { return m_zFar; }
    void SetZFar(float zFar) { m_zFar = zFar; }
    float GetZoom() const { return m_zoom; }
    void SetZoom(float zoom);
    float GetFov() const;
    void SetFov(float radians);
    bool IsOrthographic() const { return m_orthographic; }
    void SetOrthographic(bool on) { m_orthographic = on; }
    float GetOrthographicWidth() const { return m_orthographicWidth; }
    float GetOrthographicHeight() const { return m_orthographicHeight; }
    void SetOrthographicSize(float width, float height);
    float GetAspectRatio() const { return m_aspectRatio; }
    void SetAspectRatio(float aspect) { m_aspectRatio = aspect; }
    bool IsAspectRatioFromYAxis() const { return m_aspectFromYAxis; }
    void SetAspectRatioFromYAxis(bool fromYAxis) { m_aspectFromYAxis = fromYAxis; }
    void GetViewport(float& originX, float& originY, float& sizeX, float& sizeY) const;
    void SetViewport(float originX, float originY, float sizeX, float sizeY);
    const nFrustum& GetFrustum() const { return m_frustum; }

    void ComputeAspectScale(nVector& out) const;
    // Null builds the camera's own frustum; an override of -1 keeps the camera's own distance.
    void ComputeFrustum(nFrustum* out, float zNearOverride = -1.0f, float zFarOverride = -1.0f);
    // Screen coordinates run from 0 to 1 with y growing downwards; false behind the camera.
    bool WorldToScreen(const nVector& point, nVector& out, bool correctForViewport);
    void ScreenToWorld(const nVector& screen, float depth, nVector& out);
    void SetupFromLight(nLight& light);

    // The "Camera" block of scene files.
    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    // Width over height of the renderer's viewport, or 0 when it cannot say.
    float GetViewportRatio() const;
    bool QueryRendererViewport(int& x, int& y, int& width, int& height) const;
    float GetRendererAspectCorrection() const;
    void LeaveRenderer();

    float m_aspectRatio = -1.0f;
    bool m_aspectFromYAxis = true;
    nFrustum m_frustum;
    float m_zNear = DefaultZNear;
    float m_zFar = DefaultZFar;
    bool m_orthographic = false;
    float m_orthographicWidth = 1.0f;
    float m_orthographicHeight = 1.0f;
    float m_viewportSizeX = 1.0f;
    float m_viewportSizeY = 1.0f;
    float m_viewportOriginX = 0.0f;
    float m_viewportOriginY = 0.0f;
    float m_zoom = DefaultZoom;
};
