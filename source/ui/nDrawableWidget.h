#pragma once

#include "core/base/nSharedPtr.h"
#include "platform/nstring/nString.h"
#include "ui/nWidget.h"

class nPicture;

// Shows a picture placed in its cell by its alignment and composited with alpha over the
// window's cache; only the part inside both the cache and the picture is drawn.
class nDrawableWidget : public nWidget
{
public:
    nDrawableWidget(nScene2D* scene, int32_t id) : nDrawableWidget(WidgetTypeDrawable, scene, id) {}

    void Measure() override {}
    void Draw(nPicture& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

    nPicture* GetPicture() const { return m_picture.Get(); }

protected:
    nDrawableWidget(int32_t type, nScene2D* scene, int32_t id) : nWidget(type, scene, id) {}
    void SetPictureObject(nPicture* picture) { m_picture = picture; }

private:
    nSharedPtr<nPicture> m_picture;
};

// A drawable whose picture comes from a file through the engine's picture loader.
class nBitmapWidget : public nDrawableWidget
{
public:
    nBitmapWidget(nScene2D* scene, int32_t id) : nDrawableWidget(WidgetTypeBitmap, scene, id) {}

    // True when the picture was found; without it the widget shows nothing. Invalidates.
    bool SetPicture(const char* path);
    const nString& GetPicturePath() const { return m_path; }

private:
    nString m_path;
};

// A drawable with a picture of its own (the engine's 32-bit layout, cleared to transparent) that
// scripts draw on between Lock and Unlock.
class nCanvasWidget : public nDrawableWidget
{
public:
    // Sides below 0 count as 0; a picture that cannot be allocated leaves the canvas empty.
    nCanvasWidget(nScene2D* scene, int32_t id, int32_t width, int32_t height);

    nPicture* Lock() const { return GetPicture(); }
    // The picture changed: the window draws it again.
    void Unlock() { Invalidate(); }
};
