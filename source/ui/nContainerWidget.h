#pragma once

#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "ui/nWidget.h"

// A fixed place in a container, relative to the container's origin.
struct nContainerCell
{
    nRect rect;
    nSharedPtr<nWidget> widget;
};

// Places each of its widgets in a cell of its own. The widgets are also its children, so that
// hit tests, searches by id and the window reach them; a widget that leaves loses its cell.
class nContainerWidget : public nWidget
{
public:
    nContainerWidget(nScene2D* scene, int32_t id) : nWidget(WidgetTypeContainer, scene, id) {}
    ~nContainerWidget() override;

    // A cell with that rectangle for the widget, or null after an "[!]" line (null widget, no
    // memory) or a refused child. A widget already here has its cell moved to the rectangle.
    nContainerCell* AddWidget(nWidget* widget, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    nContainerCell* FindCell(const nWidget* widget) const;
    // Moves the widget's cell to (x, y), keeping its size; false when the widget has no cell here.
    bool SetWidgetPosition(const nWidget* widget, int32_t x, int32_t y);
    const nList<nContainerCell*>& GetCells() const { return m_cells; }

    void Invalidate() override;
    void Measure() override;
    void Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

protected:
    void OnChildRemoved(nWidget* child) override;

private:
    nList<nContainerCell*> m_cells;
};
