#pragma once

#include "core/base/nSharedPtr.h"
#include "ui/nSprite2D.h"

#include <cstdint>

class nPicture;
class nTexture;
class nWidget;

// A sprite whose texture the engine composes on the CPU: from a background picture, from the
// background colour, or from the scene's skin, with the window's widgets drawn over it. The cache
// texture has power-of-two sides (at most MaxCacheSide) and only grows; the caches of one 2D
// scene share its budget, and a window whose cache would pass it has none and draws nothing.
class nWindow : public nSprite2D
{
public:
    static constexpr uint32_t MaxCacheSide = 8192;

    nWindow(nScene2D* scene, nItem2D* parent, const char* name, const char* title,
            const float* position = nullptr, const float* size = nullptr);
    ~nWindow() override;

    void SetSize(float width, float height) override;
    bool ParseTag(nMetaTag& tag) override;
    nMetaTag* SerializeTag() override;
    // A shaded window is as high as the scene's top skin picture.
    nRect GetRect() const override;
    // Composes what is pending; without a renderer nothing reaches the screen (a forced layout).
    void Draw(nRenderer* renderer) override;
    void SetTexture(nTexture*) override {}

    nTexture* GetCacheTexture() const { return m_cache.Get(); }
    nWidget* GetBaseWidget() const { return m_baseWidget.Get(); }
    // Holds the widget and gives its tree this window; the former base widget's tree loses it.
    void SetBaseWidget(nWidget* widget);
    // The widget with the id under the base widget, or null.
    nWidget* GetChild(int32_t id) const;
    // True when the widget belongs to the tree of the base widget or is the title.
    bool OwnsWidget(const nWidget* widget) const;
    // Lets go of the widget when it is the base widget or the title.
    void ForgetWidget(nWidget* widget);
    // The widget that draws the title band, when there is one; the window holds it. A new window
    // has a centred text widget (id -1) in the scene's title size, colour and skin font.
    nWidget* GetTitleWidget() const { return m_titleWidget.Get(); }
    void SetTitleWidget(nWidget* widget);
    // The title widget's text when it is a text widget, else the title given at construction.
    const nString& GetTitle() const;
    void SetTitle(const char* title);
    // Red, green, blue, alpha, 0 to 1.
    const float* GetBackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(float red, float green, float blue, float alpha);
    // Found: the picture is shown and NoDecoration set; not found: the window has none.
    bool SetBackgroundPicture(const char* path);
    nPicture* GetBackgroundPicture() const { return m_backgroundPicture.Get(); }
    const nString& GetBackgroundPictureName() const { return m_backgroundPictureName; }
    // A window has a title band unless it has NoTitleBar or a background picture.
    bool HasTitle() const;
    bool IsShaded() const { return HasFlag(SpriteFlagShaded); }
    void SetShaded(bool shaded);
    // The base widget and the title must be drawn again and the cache composed.
    void Invalidate();
    void Compose();
    void UploadCacheTexture();
    // Names the window in one "[!]" line, the first time after its cache was refused.
    void ReportCacheRefusal();

protected:
    float GetDrawnHeight() const override;

private:
    // The cache's pixels after composition: the window's rectangle within the cache.
    int32_t GetCacheWidth() const;
    int32_t GetCacheHeight() const;
    void ResizeCache(uint32_t width, uint32_t height);
    void CreateTitle();
    // The title band is drawn: a title widget, a title and a skin with its top-left corner.
    bool ShowsTitle() const;
    void ComposeSkin();
    void DrawWidgets();
    nRenderer* GetRenderer() const;

    nSharedPtr<nTexture> m_cache;
    size_t m_cacheBytes = 0;     // what the cache holds of its scene's budget
    bool m_cacheRefused = false; // by the scene's budget
    bool m_cacheRefusalReported = false;
    nSharedPtr<nWidget> m_baseWidget;
    nSharedPtr<nWidget> m_titleWidget;
    nString m_title;
    float m_backgroundColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    nSharedPtr<nPicture> m_backgroundPicture;
    nString m_backgroundPictureName;
};
