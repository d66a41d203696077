#pragma once

#include "platform/nstring/nString.h"
#include "ui/nTextAttributes.h"
#include "ui/nWidget.h"

// A text laid out in its cell with its attributes (Text layout); the attributes' font is the
// system font it is drawn in. Without a font it measures and draws nothing.
class nTextWidget : public nWidget
{
public:
    // Drawn in the font system's default font until another is set.
    nTextWidget(nScene2D* scene, int32_t id);

    void Measure() override;
    void Draw(nPicture& picture, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

    const nString& GetText() const { return m_text; }
    void SetText(const char* text);
    nWindowSystemFont* GetFont() const { return m_attributes.font; }
    void SetFont(nWindowSystemFont* font);
    // Pixels; invalidates when it changes.
    void SetSize(int32_t size);
    // Four values of 0 to 1, stored as bytes (v x 255, truncated; a value that is n / 255 in
    // float gives back n).
    void SetColor(float red, float green, float blue, float alpha);
    void SetColorBytes(int32_t red, int32_t green, int32_t blue, int32_t alpha);
    const nTextAttributes& GetAttributes() const { return m_attributes; }
    // Invalidates when the record differs.
    void SetAttributes(const nTextAttributes& attributes);
    // The extent of the last measure, in pixels.
    int32_t GetMeasuredWidth() const { return m_measured[0]; }
    int32_t GetMeasuredHeight() const { return m_measured[1]; }

    // Word 7 alone, without invalidating: the change shows at the next redraw of the window.
    void SetAlignment(int32_t align) { m_attributes.align = align; }
    // Word 6; invalidates when it changes.
    void SetFormat(int32_t format);

private:
    nString m_text;
    nTextAttributes m_attributes;
    int32_t m_measured[2] = {0, 0};
};
