#pragma once

#include "animation/nACEUnit.h"
#include "core/base/nSharedPtr.h"
#include "ui/nEventTable.h"
#include "ui/nItem2D.h"

#include <cstdint>

class nTexture;

// Style bits, as scripts and files name them.
enum nSprite2DStyle : uint32_t
{
    StyleBlendAdditive = 1,
    StyleAlwaysOnTop = 2,
    StyleAlwaysBehind = 4,
    StyleNonSensitive = 8,
    StyleResolutionInvariant = 16,
    StyleLockUV = 32,
    StyleNoDecoration = 64,
    StyleLocked = 128,
    StyleNoTitleBar = 256,
    StyleMovable = 512,
};

enum nSprite2DFlag : uint32_t
{
    SpriteFlagActive = 1,
    SpriteFlagVisible = 2,
    SpriteFlagComposePending = 4,
    SpriteFlagFlipU = 8,
    SpriteFlagFlipV = 16,
    SpriteFlagShaded = 128,
};

// The codes of the 2D command vocabulary; the scene runs "globalfade", its items the others.
enum nScene2DCommand : int32_t
{
    Command2DToAlpha = 0,
    Command2DToPosition = 1,
    Command2DToScale = 2,
    Command2DToAngle = 3,
    Command2DShow = 4,
    Command2DHide = 5,
    Command2DGlobalFade = 6,
};

// A textured quad with style bits, flags, an opacity, script handlers and its own command list.
class nSprite2D : public nItem2D, public nEventTable, public nACEUnit
{
public:
    // Render flags of every 2D quad: seen from both sides, over everything, leaving depth alone.
    static constexpr uint32_t QuadRenderFlags = 0x610;

    nSprite2D(nScene2D* scene, nTexture* texture, nItem2D* parent, const char* name,
              const float* position = nullptr, const float* size = nullptr);
    ~nSprite2D() override;

    bool ParseTag(nMetaTag& tag) override;
    nMetaTag* SerializeTag() override;
    void Draw(nRenderer* renderer) override;
    bool ExecuteCommand(nACECommand* command, float step) override;

    // Ignored by windows, whose texture is their own composition.
    virtual void SetTexture(nTexture* texture);
    nTexture* GetTexture() const { return m_texture.Get(); }
    float GetOpacity() const { return m_opacity; }
    // Clamped to 0..1; not a number gives 0.
    void SetOpacity(float opacity);
    // The opacity times that of every ancestor sprite.
    float GetEffectiveOpacity() const;
    uint32_t GetStyle() const { return m_style; }
    void SetStyle(uint32_t style) { m_style = style; }
    void AddStyle(uint32_t bits) { m_style |= bits; }
    void RemoveStyle(uint32_t bits) { m_style &= ~bits; }
    bool HasStyle(uint32_t bits) const { return (m_style & bits) != 0; }
    uint32_t GetFlags() const { return m_flags; }
    void SetFlags(uint32_t bits, bool on) { m_flags = on ? m_flags | bits : m_flags & ~bits; }
    bool HasFlag(uint32_t bits) const { return (m_flags & bits) != 0; }
    // The item and all its ancestors are Visible.
    bool IsShown() const;
    // Compiles the text onto this item's command list with its scene's vocabulary; the number
    // of entries, or -1 after the compiler's line.
    int32_t SetCommandList(const char* text);

protected:
    // The height the quad is drawn with (a shaded window shows only its title band).
    virtual float GetDrawnHeight() const { return GetHeight(); }
    // The Sprite2d tag; a window writes no texture.
    nMetaTag* SerializeSprite(bool withTexture);
    void SetTextureReference(nTexture* texture);

private:
    uint32_t m_style = 0;
    float m_opacity = 1.0f;
    nSharedPtr<nTexture> m_texture;
    uint32_t m_flags = SpriteFlagVisible | SpriteFlagComposePending;
};

// The sprite part of a 2D item: every sprite and window; null for a plain item.
inline nSprite2D* AsSprite(nItem2D* item)
{
    return item && item->GetType() >= Item2DSprite ? static_cast<nSprite2D*>(item) : nullptr;
}
