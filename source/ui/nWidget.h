#pragma once

#include "core/base/nList.h"
#include "core/base/nSharedObject.h"
#include "core/base/nWeakPtr.h"
#include "core/math/nRect.h"
#include "core/math/nVector.h"
#include "ui/nEventTable.h"

#include <cstdint>

class nItem2D;
class nPicture;
class nScene2D;
class nWindow;

enum nWidgetType : int32_t
{
    WidgetTypeSizer = 1,
    WidgetTypeVerticalSizer = 2,
    WidgetTypeHorizontalSizer = 3,
    WidgetTypeContainer = 4,
    WidgetTypeSpacer = 5,
    WidgetTypeText = 6,
    WidgetTypeCanvas = 7,
    WidgetTypeDrawable = 8,
    WidgetTypeBitmap = 9,
    WidgetTypeCheck = 10,
};

enum nWidgetAlign : int32_t
{
    WidgetAlignDefault = 0,
    WidgetAlignLeft = 1,
    WidgetAlignTop = 2,
    WidgetAlignMiddle = 3,
    WidgetAlignRight = 4,
    WidgetAlignBottom = 5,
    WidgetAlignStretch = 6,
};

// One node of a window's content: a reference-counted widget with its children, drawn by the
// engine into the window's cache picture. A parent holds a reference on each child; the tree
// never holds a cycle (AddChild refuses one). The last release deletes the widget: it leaves its
// parent, lets its children go and turns the script handles on it into dead ones.
class nWidget : public nSharedObject, public nEventTable
{
public:
    nWidget(int32_t type, nScene2D* scene, int32_t id);
    nWidget(const nWidget&) = delete;
    nWidget& operator=(const nWidget&) = delete;
    ~nWidget() override;

    // Widgets that hold others (sizers, containers, check boxes) invalidate them too, so that a
    // window that composes its cache again redraws the whole tree.
    virtual void Invalidate() { m_dirty = true; }
    virtual void Measure() = 0;
    // Draws into the picture within the cell (x1, y1) to (x2, y2), in the picture's pixels.
    virtual void Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // The layout weights: a leaf's own; sizers combine their children's (Sizers).
    virtual void GetFormattingSize(float& x, float& y) const;

    // A rectangle of the measured size placed in the cell by the widget's alignments: 3 centres,
    // 4 right-aligns (5 bottom-aligns), 6 stretches to the cell, anything else keeps the origin.
    nRect AlignInCell(int32_t width, int32_t height, const nRect& cell) const;

    // Deletes the widget at once, whoever still holds it: it leaves its parent (list or cell) and
    // its window, and script handles on it turn dead. A part of another widget (a check box's
    // picture or label) is refused with a "[*]" line and false.
    bool DeleteNow();
    // Set by a widget that keeps this one as a part of itself.
    void SetPartOf(nWidget* owner) { m_partOf = owner; }
    nWidget* GetPartOf() const { return m_partOf; }

    // Depth-first over the widget and its subtree; null when no widget has the id.
    nWidget* FindChild(int32_t id);
    // The top-left corner of the last drawn rectangle, through the window's world matrix.
    nVector GetScreenPosition() const;
    // The deepest widget of this subtree whose rectangle, mapped through the window, holds the
    // point strictly; hidden children and their subtrees are skipped; this widget itself when
    // no child holds it.
    nWidget* HitTest(nItem2D& window, float x, float y);
    // The rectangle in the scene's pixels, through the window's world matrix.
    nRectF GetScreenRect(nItem2D& window) const;

    // Holds a reference on the child and gives it this widget's window. Null, a child already
    // here, and this widget or one of its ancestors are refused (the last with a "[*]" line).
    bool AddChild(nWidget* child);
    // Drops the child's reference and invalidates this widget, whose other children take the
    // place the child leaves; false when it is not a child of this widget.
    bool RemoveChild(nWidget* child);
    const nList<nWidget*>& GetChildren() const { return m_children; }
    nWidget* GetParent() const { return m_parent; }
    // True for the widget itself and for each of its ancestors.
    bool IsDescendantOf(const nWidget* widget) const;
    // Sets the window of the widget and of its whole subtree.
    void SetWindow(nWindow* window);
    nWindow* GetWindow() const { return m_window; }

    int32_t GetType() const { return m_type; }
    // Null once the scene is gone: a script may hold a widget longer than its scene lives.
    nScene2D* GetScene() const { return m_scene.Get(); }
    int32_t GetId() const { return m_id; }
    void SetId(int32_t id) { m_id = id; }
    const nRect& GetRect() const { return m_rect; }
    void SetRect(const nRect& rect) { m_rect = rect; }
    int32_t GetHorizontalAlign() const { return m_horizontalAlign; }
    int32_t GetVerticalAlign() const { return m_verticalAlign; }
    void SetHorizontalAlign(int32_t align) { m_horizontalAlign = align; }
    void SetVerticalAlign(int32_t align) { m_verticalAlign = align; }
    bool IsHidden() const { return m_hidden; }
    void SetHidden(bool hidden) { m_hidden = hidden; }
    bool IsDirty() const { return m_dirty; }
    void SetDirty(bool dirty) { m_dirty = dirty; }
    // Top, bottom, left, right.
    const float* GetMargins() const { return m_margins; }
    void SetMargins(float top, float bottom, float left, float right);
    float GetFormattingWidth() const { return m_formattingSize[0]; }
    float GetFormattingHeight() const { return m_formattingSize[1]; }
    void SetFormattingSize(float x, float y);

protected:
    // Told after a child has left the children list, before its reference is dropped.
    virtual void OnChildRemoved(nWidget* /*child*/) {}
    void InvalidateChildren();

private:
    int32_t m_type;
    nWeakPtr<nScene2D> m_scene;
    int32_t m_id;
    nRect m_rect;
    int32_t m_horizontalAlign = WidgetAlignMiddle;
    int32_t m_verticalAlign = WidgetAlignMiddle;
    bool m_hidden = false;
    bool m_dirty = true;
    float m_margins[4] = {2.0f, 2.0f, 2.0f, 2.0f};
    nWidget* m_parent = nullptr;
    nWindow* m_window = nullptr;
    nList<nWidget*> m_children;
    float m_formattingSize[2] = {1.0f, 1.0f};
    nWidget* m_partOf = nullptr;
};
