#pragma once

#include "core/base/nList.h"
#include "core/math/nMatrix3.h"
#include "core/math/nRect.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class nMetaTag;
class nRenderer;
class nScene2D;

enum nItem2DType : int32_t
{
    Item2DPlain = 0,
    Item2DSprite = 2,
    Item2DWindow = 3,
};

// The transformable node of a 2D scene, placed in the scene's internal resolution with y down.
// Its world matrix is its local matrix times its parent's world matrix; both are brought up to
// date when read after a change of the item or of one of its ancestors. Parents never form a
// cycle: SetParent refuses one.
class nItem2D
{
public:
    static constexpr float DefaultPosition = 0.5f;
    static constexpr float DefaultSize = 128.0f;
    static constexpr float DefaultZOrder = 0.5f;

    // Null position or size take the defaults; the item becomes a child of the parent.
    nItem2D(nScene2D* scene, nItem2D* parent, const char* name, const float* position = nullptr,
            const float* size = nullptr);
    nItem2D(const nItem2D&) = delete;
    nItem2D& operator=(const nItem2D&) = delete;
    // Detaches the children and turns the script handles on the item into dead ones.
    virtual ~nItem2D();

    // Each dimension is kept at least 1; a dimension that is not a number becomes 1 after a line.
    virtual void SetSize(float width, float height);
    virtual bool ParseTag(nMetaTag& tag);
    // A new tag, or null after a line.
    virtual nMetaTag* SerializeTag();
    // (0, 0, width, height) in whole pixels.
    virtual nRect GetRect() const;
    virtual void Draw(nRenderer* renderer);
    // The whole-pixel bounds of the item's four corners mapped through its world matrix.
    nRect ComputeQuad();

    nScene2D* GetScene() const { return m_scene; }
    int32_t GetType() const { return m_type; }
    nItem2D* GetParent() const { return m_parent; }
    const nList<nItem2D*>& GetChildren() const { return m_children; }
    // Null detaches. The item itself or one of its descendants is refused with a "[*]" line and
    // the former parent is kept.
    bool SetParent(nItem2D* parent);
    // True for the item itself and for each of its ancestors.
    bool IsDescendantOf(const nItem2D* item) const;

    // What the item inherits with its own: a sprite's opacity times that of its ancestor sprites
    // (GetEffectiveOpacity), and whether it and they are Visible (IsShown). Worked out once per
    // stamp, from the nearest ancestor already worked out under it, so that a scene asking for
    // every item under one stamp walks a chain of items once, not once per item.
    struct InheritedState
    {
        float opacity = 1.0f;
        bool shown = true;
    };
    const InheritedState& GetInheritedState(uint32_t stamp);

    float GetX() const { return m_position[0]; }
    float GetY() const { return m_position[1]; }
    void SetPosition(float x, float y);
    float GetPivotX() const { return m_pivot[0]; }
    float GetPivotY() const { return m_pivot[1]; }
    void SetPivot(float x, float y);
    float GetWidth() const { return m_size[0]; }
    float GetHeight() const { return m_size[1]; }
    float GetScaleX() const { return m_scale[0]; }
    float GetScaleY() const { return m_scale[1]; }
    void SetScale(float x, float y);
    float GetAngle() const { return m_angle; }
    void SetAngle(float radians);
    float GetZOrder() const { return m_zOrder; }
    void SetZOrder(float zOrder) { m_zOrder = zOrder; }
    const nString& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }
    int32_t GetSerial() const { return m_serial; }
    void SetSerial(int32_t serial) { m_serial = serial; }

    const nMatrix3& GetLocalMatrix();
    const nMatrix3& GetWorldMatrix();
    const nMatrix3& GetInverseWorldMatrix();
    // The rectangle's top-left and bottom-right corners through the world matrix (hit tests),
    // or through its inverse (from the scene back into the item).
    nRectF MapToScreen(const nRect& rect);
    nRectF MapFromScreen(const nRectF& rect);

protected:
    void SetType(int32_t type) { m_type = type; }
    // The size as stored, without the checks of SetSize.
    void StoreSize(float width, float height);

private:
    void MarkMatricesStale();
    void UpdateMatrices();
    void UpdateOwnMatrices();
    bool WouldCloseCycle(const nItem2D* parent) const;

    nScene2D* m_scene;
    nItem2D* m_parent = nullptr;
    nMatrix3 m_local;
    nMatrix3 m_world;
    nMatrix3 m_inverseWorld;
    int32_t m_type = Item2DPlain;
    nList<nItem2D*> m_children;
    int32_t m_serial;
    float m_position[2] = {DefaultPosition, DefaultPosition};
    float m_pivot[2] = {0.0f, 0.0f};
    float m_size[2] = {DefaultSize, DefaultSize};
    float m_scale[2] = {1.0f, 1.0f};
    float m_zOrder = DefaultZOrder;
    float m_angle = 0.0f;
    nString m_name;
    bool m_matricesStale = true;
    uint32_t m_inheritedStamp = 0; // 0: never worked out
    InheritedState m_inherited;
};
