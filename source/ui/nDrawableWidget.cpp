#include "ui/nDrawableWidget.h"

#include "core/picture/nPicture.h"
#include "core/picture/nPictureBlit.h"
#include "render/nEngineServices.h"
#include "ui/nScene2D.h"

#include <algorithm>
#include <new>

void nDrawableWidget::Draw(nPicture& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    nPicture* picture = m_picture.Get();
    if (IsHidden() || !IsDirty() || !picture || !picture->HasPixels())
    {
        SetDirty(false);
        return;
    }
    const int32_t width = int32_t(picture->GetWidth());
    const int32_t height = int32_t(picture->GetHeight());
    const nRect aligned = AlignInCell(width, height, nRect{x1, y1, x2, y2});
    const nRect source{0, 0, std::min(width, aligned.Width()), std::min(height, aligned.Height())};
    if (source.Width() > 0 && source.Height() > 0)
        PictureBlit(*picture, target, &source, &aligned, PictureBlitOver);
    SetRect(aligned);
    SetDirty(false);
}

bool nBitmapWidget::SetPicture(const char* path)
{
    nEngineServices* engine = GetScene() ? GetScene()->GetEngine() : nullptr;
    nPicture* picture = engine && path && *path ? engine->LoadPicture(path, false) : nullptr;
    SetPictureObject(picture);
    m_path = picture ? path : "";
    Invalidate();
    return picture != nullptr;
}

nCanvasWidget::nCanvasWidget(nScene2D* scene, int32_t id, int32_t width, int32_t height)
    : nDrawableWidget(WidgetTypeCanvas, scene, id)
{
    auto* picture = new (std::nothrow) nPicture();
    if (!picture)
        return;
    SetPictureObject(picture);
    if (width > 0 && height > 0 && picture->Allocate(uint32_t(width), uint32_t(height), PixelFormatBGRA8))
        picture->Fill(0.0f, 0.0f, 0.0f, 0.0f);
}
