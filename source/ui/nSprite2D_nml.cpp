#include "ui/nSprite2D.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nTexture.h"
#include "render/nEngineServices.h"
#include "ui/nScene2D.h"
#include "ui/nScene2DTags.h"

using namespace Scene2DTags;

namespace
{
constexpr const char* Block = "Sprite2d";

constexpr BitName StyleNames[] = {
    {StyleBlendAdditive, "Additive"},
    {StyleAlwaysOnTop, "AlwaysOnTop"},
    {StyleAlwaysBehind, "AlwaysBehind"},
    {StyleNonSensitive, "NonSensitive"},
    {StyleResolutionInvariant, "ResolutionInvariant"},
    {StyleLockUV, "LockUV"},
    {StyleNoDecoration, "NoDecoration"},
    {StyleLocked, "Locked"},
    {StyleNoTitleBar, "NoTitle"},
    {StyleMovable, "Movable"},
};
constexpr BitName FlagNames[] = {{SpriteFlagActive, "Active"},
                                 {SpriteFlagVisible, "Visible"},
                                 {SpriteFlagFlipU, "FlipU"},
                                 {SpriteFlagFlipV, "FlipV"}};
constexpr uint32_t StyleNameCount = sizeof(StyleNames) / sizeof(StyleNames[0]);
constexpr uint32_t FlagNameCount = sizeof(FlagNames) / sizeof(FlagNames[0]);
} // namespace

// Flags are ORed into those of construction, so a sprite stays Visible whatever its file says.
bool nSprite2D::ParseTag(nMetaTag& tag)
{
    if (!CheckRoot(tag, Block, "Could not parse sprite. Root tag id is incorrect ("))
        return false;
    m_opacity = 1.0f;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Item2d")
            nItem2D::ParseTag(*child);
        else if (name == "Opacity")
        {
            float opacity = 1.0f;
            if (ReadReal(*child, Block, opacity))
                SetOpacity(opacity);
        }
        else if (name == "Style")
            m_style |= ReadBits(*child, Block, StyleNames, StyleNameCount);
        else if (name == "Flag")
            m_flags |= ReadBits(*child, Block, FlagNames, FlagNameCount);
        else if (name == "Texture")
        {
            nString path;
            nEngineServices* engine = GetScene() ? GetScene()->GetEngine() : nullptr;
            if (ReadString(*child, Block, path) && engine && !path.IsEmpty())
                SetTexture(engine->LoadTexture(path.GetText(), false, false));
        }
        else
            LogUnknown(*child, Block);
    }
    return true;
}

nMetaTag* nSprite2D::SerializeTag()
{
    return SerializeSprite(true);
}

nMetaTag* nSprite2D::SerializeSprite(bool withTexture)
{
    nMetaTag* root = NewRoot(Block);
    if (!root)
        return nullptr;
    nMetaTag* item = nItem2D::SerializeTag();
    bool written = item && root->AddChildTag(item);
    if (item && !written)
        delete item;
    if (written && m_opacity != 1.0f)
        written = root->AddChildFloat("Opacity", m_opacity) != nullptr;
    if (written && withTexture && m_texture && !m_texture->GetName().IsEmpty())
        written = root->AddChildString("Texture", m_texture->GetName().GetText()) != nullptr;
    if (written)
        written = WriteBits(*root, "Style", m_style, StyleNames, StyleNameCount) &&
                  WriteBits(*root, "Flag", m_flags, FlagNames, FlagNameCount);
    if (!written)
    {
        delete root;
        nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
        return nullptr;
    }
    return root;
}
