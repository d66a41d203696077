#include "ui/nWindow.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "core/picture/nPicture.h"
#include "geometry/nTexture.h"
#include "render/nEngineServices.h"
#include "render/nRenderer.h"
#include "ui/nFontSystem.h"
#include "ui/nItem2DMath.h"
#include "ui/nScene2D.h"
#include "ui/nScene2DTags.h"
#include "ui/nTextWidget.h"
#include "ui/nWidget.h"

#include <new>

#include <cmath>

namespace
{
// The renderer's pixel format of the cache: the engine's 32-bit BGRA8.
constexpr uint32_t CacheGPUFormat = 1;

uint32_t CacheSide(float size, bool& capped)
{
    const float rounded = std::isnan(size) || size < 1.0f ? 1.0f : std::round(size);
    if (rounded > float(nWindow::MaxCacheSide))
    {
        capped = true;
        return nWindow::MaxCacheSide;
    }
    uint32_t side = 1;
    while (side < uint32_t(rounded))
        side <<= 1;
    return side;
}
} // namespace

nWindow::nWindow(nScene2D* scene, nItem2D* parent, const char* name, const char* title, const float* position,
                 const float* size)
    : nSprite2D(scene, nullptr, parent, name, position, nullptr), m_title(title)
{
    SetType(Item2DWindow);
    nEngineServices* engine = scene ? scene->GetEngine() : nullptr;
    m_cache = new nTexture(engine, 0, CacheGPUFormat);
    SetTextureReference(m_cache.Get());
    if (size)
        SetSize(size[0], size[1]);
    else
        SetSize(GetWidth(), GetHeight());
    CreateTitle();
}

// The title starts at size 16 and then takes the scene's title size, colour (red in the low
// byte) and skin font.
void nWindow::CreateTitle()
{
    nScene2D* scene = GetScene();
    auto* title = new (std::nothrow) nTextWidget(scene, -1);
    if (!title)
    {
        nLogHolder::Get() << "[!] Failed to allocate the title of window '" << GetName() << "'.\n";
        return;
    }
    nSharedPtr<nWidget> hold(title);
    title->SetText(m_title.IsEmpty() ? "Text" : m_title.GetText());
    title->SetSize(16);
    title->SetHorizontalAlign(WidgetAlignMiddle);
    if (scene)
    {
        const uint32_t colour = scene->GetTitleColor();
        title->SetSize(scene->GetTitleSize());
        title->SetColorBytes(int32_t(colour & 0xFFu), int32_t((colour >> 8) & 0xFFu),
                             int32_t((colour >> 16) & 0xFFu), int32_t(colour >> 24));
        title->SetFont(FontSystemGetFont(scene->GetSkinFont().GetText()));
    }
    SetTitleWidget(title);
}

void nWindow::ForgetWidget(nWidget* widget)
{
    if (widget && widget == m_baseWidget.Get())
        SetBaseWidget(nullptr);
    if (widget && widget == m_titleWidget.Get())
        SetTitleWidget(nullptr);
}

const nString& nWindow::GetTitle() const
{
    if (m_titleWidget && m_titleWidget->GetType() == WidgetTypeText)
        return static_cast<const nTextWidget*>(m_titleWidget.Get())->GetText();
    return m_title;
}

void nWindow::SetTitle(const char* title)
{
    m_title = title ? title : "";
    if (m_titleWidget && m_titleWidget->GetType() == WidgetTypeText)
        static_cast<nTextWidget*>(m_titleWidget.Get())->SetText(m_title.GetText());
}

nWindow::~nWindow()
{
    if (GetScene())
        GetScene()->GetWindowCacheBudget().Release(m_cacheBytes);
    if (m_baseWidget)
        m_baseWidget->SetWindow(nullptr);
    if (m_titleWidget)
        m_titleWidget->SetWindow(nullptr);
}

nRenderer* nWindow::GetRenderer() const
{
    nEngineServices* engine = GetScene() ? GetScene()->GetEngine() : nullptr;
    return engine ? engine->GetRenderer() : nullptr;
}

// Each side is the next power of two of the rounded size; a cache that already covers both
// sides is kept, so shrinking a window never reallocates.
void nWindow::SetSize(float width, float height)
{
    bool capped = false;
    const uint32_t cacheWidth = CacheSide(width, capped);
    const uint32_t cacheHeight = CacheSide(height, capped);
    if (capped)
        nLogHolder::Get() << "[*] Window '" << GetName()
                          << "' is larger than its cache can be; the cache stops at " << int32_t(MaxCacheSide)
                          << " pixels a side.\n";
    nTexture* cache = m_cache.Get();
    if (cache && (cache->GetWidth() < cacheWidth || cache->GetHeight() < cacheHeight))
        ResizeCache(cacheWidth, cacheHeight);
    Invalidate();
    nSprite2D::SetSize(width, height);
}

void nWindow::ResizeCache(uint32_t width, uint32_t height)
{
    nTexture& cache = *m_cache;
    nMemoryBudget* budget = GetScene() ? &GetScene()->GetWindowCacheBudget() : nullptr;
    if (budget)
        budget->Release(m_cacheBytes);
    m_cacheBytes = 0;
    const size_t bytes = size_t(width) * height * 4;
    m_cacheRefused = budget && !budget->Reserve(bytes);
    if (m_cacheRefused)
    {
        cache.FreeBuffer();
        if (!GetName().IsEmpty()) // else its reader reports it once the name is known
            ReportCacheRefusal();
    }
    else if (!cache.Allocate(width, height, PixelFormatBGRA8))
    {
        nLogHolder::Get() << "[!] Failed to allocate the cache of window '" << GetName() << "'.\n";
        if (budget)
            budget->Release(bytes);
    }
    else
    {
        m_cacheBytes = bytes;
        m_cacheRefusalReported = false; // a later refusal is news again
    }
    nRenderer* renderer = GetRenderer();
    cache.SetRenderData(renderer && cache.HasPixels() ? renderer->SetupTexture(&cache) : nullptr);
}

void nWindow::ReportCacheRefusal()
{
    if (!m_cacheRefused || m_cacheRefusalReported)
        return;
    m_cacheRefusalReported = true;
    nLogHolder::Get() << "[!] The cache of window '" << GetName() << "' would pass the "
                      << uint32_t(nScene2D::WindowCacheBudgetBytes >> 20)
                      << " MB that its 2D scene's window caches may take: the window draws nothing.\n";
}

nRect nWindow::GetRect() const
{
    nRect rect = nSprite2D::GetRect();
    if (IsShaded() && GetScene())
        rect.y1 = GetScene()->GetSkinHeight(Scene2DSkinTop);
    return rect;
}

float nWindow::GetDrawnHeight() const
{
    return IsShaded() && GetScene() ? float(GetScene()->GetSkinHeight(Scene2DSkinTop)) : GetHeight();
}

void nWindow::SetBaseWidget(nWidget* widget)
{
    if (widget == m_baseWidget.Get())
        return;
    if (m_baseWidget)
        m_baseWidget->SetWindow(nullptr);
    m_baseWidget = widget;
    if (widget)
        widget->SetWindow(this);
    Invalidate();
}

void nWindow::SetTitleWidget(nWidget* widget)
{
    if (m_titleWidget)
        m_titleWidget->SetWindow(nullptr);
    m_titleWidget = widget;
    if (widget)
        widget->SetWindow(this);
    Invalidate();
}

nWidget* nWindow::GetChild(int32_t id) const
{
    return m_baseWidget ? m_baseWidget->FindChild(id) : nullptr;
}

bool nWindow::OwnsWidget(const nWidget* widget) const
{
    if (!widget)
        return false;
    return widget->GetWindow() == this || (m_baseWidget && widget->IsDescendantOf(m_baseWidget.Get())) ||
           widget == m_titleWidget.Get();
}

void nWindow::SetBackgroundColor(float red, float green, float blue, float alpha)
{
    m_backgroundColor[0] = red;
    m_backgroundColor[1] = green;
    m_backgroundColor[2] = blue;
    m_backgroundColor[3] = alpha;
}

bool nWindow::SetBackgroundPicture(const char* path)
{
    nEngineServices* engine = GetScene() ? GetScene()->GetEngine() : nullptr;
    nPicture* picture = engine && path && *path ? engine->LoadPicture(path, false) : nullptr;
    m_backgroundPicture = picture;
    m_backgroundPictureName = picture ? path : "";
    if (picture)
        AddStyle(StyleNoDecoration);
    Invalidate();
    return picture != nullptr;
}

bool nWindow::ShowsTitle() const
{
    const nScene2D* scene = GetScene();
    return m_titleWidget && HasTitle() && scene && scene->GetSkinPicture(Scene2DSkinTopLeft) && m_cache &&
           m_cache->HasPixels();
}

bool nWindow::HasTitle() const
{
    return !HasStyle(StyleNoTitleBar) && !m_backgroundPicture;
}

void nWindow::Invalidate()
{
    if (m_baseWidget)
        m_baseWidget->Invalidate();
    if (m_titleWidget)
        m_titleWidget->Invalidate();
    SetFlags(SpriteFlagComposePending, true);
}

void nWindow::UploadCacheTexture()
{
    nTexture* cache = m_cache.Get();
    nRenderer* renderer = GetRenderer();
    if (renderer && cache && cache->GetRenderData() && cache->HasPixels())
        renderer->UpdateTexture(cache->GetRenderData(), cache->GetPixels(), cache->GetWidth(),
                                cache->GetHeight(), 0, 0, CacheGPUFormat);
    SetFlags(SpriteFlagComposePending, false);
}

int32_t nWindow::GetCacheWidth() const
{
    return m_cache ? int32_t(m_cache->GetWidth()) : 0;
}

int32_t nWindow::GetCacheHeight() const
{
    return m_cache ? int32_t(m_cache->GetHeight()) : 0;
}

// A title that changed is drawn on a freshly composed band, never over its former text.
void nWindow::Draw(nRenderer* renderer)
{
    if (!HasFlag(SpriteFlagVisible))
        return;
    const bool showsTitle = ShowsTitle();
    const bool titleChanged = showsTitle && m_titleWidget->IsDirty() && !IsShaded();
    if (!m_baseWidget)
    {
        if (titleChanged)
            Invalidate();
        if (HasFlag(SpriteFlagComposePending))
            Compose();
    }
    else
    {
        m_baseWidget->Measure();
        if ((m_baseWidget->IsDirty() || titleChanged) && !IsShaded())
        {
            Invalidate();
            Compose();
            DrawWidgets();
        }
    }
    if (showsTitle)
    {
        nScene2D* scene = GetScene();
        const int32_t x = scene->GetSkinWidth(Scene2DSkinTopLeft);
        const int32_t y = scene->GetTitleTop();
        const int32_t width = GetRect().x1 - scene->GetSkinWidth(Scene2DSkinTopRight) - x;
        m_titleWidget->Draw(*m_cache, x, y, x + width, y + scene->GetTitleHeight());
    }
    if (!renderer || !m_cache->HasPixels())
        return;
    if (HasFlag(SpriteFlagComposePending))
        UploadCacheTexture();
    nSprite2D::Draw(renderer);
}

// The base widget's cell leaves the skin's borders and the title band free when the window
// shows them.
void nWindow::DrawWidgets()
{
    nScene2D* scene = GetScene();
    if (!m_cache || !m_cache->HasPixels())
        return;
    const nRect rect = nSprite2D::GetRect();
    nRect cell = rect;
    if (scene && HasTitle() && scene->IsSkinComplete())
    {
        cell.x0 = scene->GetSkinWidth(Scene2DSkinTopLeft);
        cell.y0 = scene->GetTitleHeight() + 4;
        cell.x1 = rect.x1 - scene->GetSkinWidth(Scene2DSkinBottomRight);
        cell.y1 = rect.y1 - scene->GetSkinHeight(Scene2DSkinBottomRight);
    }
    m_baseWidget->Draw(*m_cache, cell.x0, cell.y0, cell.x1, cell.y1);
}

bool nWindow::ParseTag(nMetaTag& tag)
{
    if (!Scene2DTags::CheckRoot(tag, "Window", "Could not parse window. Root tag id is incorrect ("))
        return false;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() == "Sprite2d")
            nSprite2D::ParseTag(*child);
        else
            Scene2DTags::LogUnknown(*child, "Window");
    }
    return true;
}

nMetaTag* nWindow::SerializeTag()
{
    nMetaTag* root = Scene2DTags::NewRoot("Window");
    if (!root)
        return nullptr;
    nMetaTag* sprite = SerializeSprite(false);
    if (!sprite || !root->AddChildTag(sprite))
    {
        delete sprite;
        delete root;
        nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
        return nullptr;
    }
    return root;
}
