#pragma once

#include "core/base/nSharedPtr.h"
#include "ui/nDrawableWidget.h"
#include "ui/nTextWidget.h"

// A check box: the check picture of its state, then its label. The picture and the label are
// parts of the check widget: they live as long as it does and cannot be deleted on their own.
class nCheckWidget : public nWidget
{
public:
    static constexpr const char* TruePicture = "engine/scene2d/ui_check_true.tga";
    static constexpr const char* FalsePicture = "engine/scene2d/ui_check_false.tga";

    nCheckWidget(nScene2D* scene, int32_t id);
    ~nCheckWidget() override;

    void Invalidate() override;
    void Measure() override;
    void Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

    // Shows the picture of the state: the path above, or the core data's copy ("@core/...")
    // when the content has none.
    void SetState(bool state);
    bool GetState() const { return m_state; }
    nTextWidget* GetLabel() const { return m_label.Get(); }
    nBitmapWidget* GetCheck() const { return m_check.Get(); }
    int32_t GetSpacing() const { return m_spacing; }

private:
    nSharedPtr<nBitmapWidget> m_check;
    nSharedPtr<nTextWidget> m_label;
    int32_t m_spacing = 4;
    bool m_state = false;
};
