#include "ui/nSprite2D.h"

#include "animation/nACECommand.h"
#include "core/math/nVector.h"
#include "geometry/nTexture.h"
#include "render/nRenderer.h"
#include "ui/nItem2DMath.h"
#include "ui/nScene2D.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float RadiansPerDegree = 0.017453292f;

float MovedToward(float from, float to, float fraction)
{
    return from + (to - from) * fraction;
}

float Clamp01(float value)
{
    return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
}
} // namespace

nSprite2D::nSprite2D(nScene2D* scene, nTexture* texture, nItem2D* parent, const char* name,
                     const float* position, const float* size)
    : nItem2D(scene, parent, name, position, size), m_texture(texture)
{
    SetType(Item2DSprite);
}

nSprite2D::~nSprite2D() = default;

void nSprite2D::SetTexture(nTexture* texture)
{
    m_texture = texture;
}

void nSprite2D::SetTextureReference(nTexture* texture)
{
    m_texture = texture;
}

void nSprite2D::SetOpacity(float opacity)
{
    m_opacity = Clamp01(opacity);
}

float nSprite2D::GetEffectiveOpacity() const
{
    float opacity = m_opacity;
    for (nItem2D* ancestor = GetParent(); ancestor; ancestor = ancestor->GetParent())
        if (const nSprite2D* sprite = AsSprite(ancestor))
            opacity *= sprite->m_opacity;
    return opacity;
}

bool nSprite2D::IsShown() const
{
    if (!HasFlag(SpriteFlagVisible))
        return false;
    for (nItem2D* ancestor = GetParent(); ancestor; ancestor = ancestor->GetParent())
        if (const nSprite2D* sprite = AsSprite(ancestor); sprite && !sprite->HasFlag(SpriteFlagVisible))
            return false;
    return true;
}

int32_t nSprite2D::SetCommandList(const char* text)
{
    return GetScene() ? GetScene()->CompileCommandList(text, this) : -1;
}

// Each step covers step / remaining of what is left, so the target is met in the command's last
// step; a paused clock (step 0) changes nothing.
bool nSprite2D::ExecuteCommand(nACECommand* command, float step)
{
    if (!command || command->code < Command2DToAlpha || command->code > Command2DHide)
        return nACEUnit::ExecuteCommand(command, step);
    if (step == 0.0f)
        return false;
    const float fraction = command->remaining > 0.0f ? std::min(step / command->remaining, 1.0f) : 1.0f;
    const float* p = command->parameters;
    switch (command->code)
    {
    case Command2DToAlpha:
        SetOpacity(MovedToward(m_opacity, p[0], fraction));
        break;
    case Command2DToPosition:
        SetPosition(MovedToward(GetX(), p[0], fraction), MovedToward(GetY(), p[1], fraction));
        break;
    case Command2DToScale:
        SetScale(MovedToward(GetScaleX(), p[0], fraction), MovedToward(GetScaleY(), p[1], fraction));
        break;
    case Command2DToAngle:
        SetAngle(MovedToward(GetAngle(), p[0] * RadiansPerDegree, fraction));
        break;
    case Command2DShow:
    case Command2DHide:
        SetFlags(SpriteFlagVisible, command->code == Command2DShow);
        command->remaining = 0.0f;
        break;
    default:
        break;
    }
    return true;
}

// The quad's corners go through world . projection straight to clip space; texture coordinates
// show only the part of a larger texture that the item covers.
void nSprite2D::Draw(nRenderer* renderer)
{
    nTexture* texture = m_texture.Get();
    if (!renderer || !texture || !HasFlag(SpriteFlagVisible) || m_opacity == 0.0f || !GetScene())
        return;
    const nMatrix3 screen = GetWorldMatrix().Multiply(
        GetScene()->GetItemProjection(HasStyle(StyleResolutionInvariant), renderer));
    const float width = GetWidth();
    const float height = GetDrawnHeight();
    const float corners[4][2] = {{0.0f, 0.0f}, {width, 0.0f}, {0.0f, height}, {width, height}};
    nVector points[4];
    for (int index = 0; index < 4; ++index)
    {
        float x = 0.0f, y = 0.0f;
        TransformPoint2D(screen, corners[index][0], corners[index][1], x, y);
        points[index] = nVector(x, y, 0.0f, 1.0f);
    }
    const float textureWidth = float(texture->GetWidth());
    const float textureHeight = float(texture->GetHeight());
    const float uMax = textureWidth > 0.0f ? width / textureWidth : 1.0f;
    const float vMax = textureHeight > 0.0f ? height / textureHeight : 1.0f;
    const float u0 = HasFlag(SpriteFlagFlipU) ? uMax : 0.0f;
    const float u1 = HasFlag(SpriteFlagFlipU) ? 0.0f : uMax;
    const float v0 = HasFlag(SpriteFlagFlipV) ? vMax : 0.0f;
    const float v1 = HasFlag(SpriteFlagFlipV) ? 0.0f : vMax;
    const float uvs[4][2] = {{u0, v0}, {u1, v0}, {u0, v1}, {u1, v1}};

    const uint32_t stamp = GetScene()->GetDrawStamp();
    const nVector colour(1.0f, 1.0f, 1.0f, stamp ? GetInheritedState(stamp).opacity : GetEffectiveOpacity());
    const int32_t blend = HasStyle(StyleBlendAdditive) ? nRenderer::BlendAdditive : nRenderer::BlendAlpha;
    static constexpr int Triangles[2][3] = {{0, 1, 2}, {1, 3, 2}};
    for (const auto& triangle : Triangles)
    {
        const nVector vertices[3] = {points[triangle[0]], points[triangle[1]], points[triangle[2]]};
        const nVector colours[3] = {colour, colour, colour};
        float triangleUVs[6];
        for (int corner = 0; corner < 3; ++corner)
        {
            triangleUVs[corner * 2] = uvs[triangle[corner]][0];
            triangleUVs[corner * 2 + 1] = uvs[triangle[corner]][1];
        }
        renderer->DrawTriangle(vertices, colours, triangleUVs, texture, blend, QuadRenderFlags);
    }
}
