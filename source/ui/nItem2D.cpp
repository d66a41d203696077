#include "ui/nItem2D.h"

#include "core/base/nLog.h"
#include "script/nScriptVM.h"
#include "ui/nItem2DMath.h"
#include "ui/nScene2D.h"
#include "ui/nSprite2D.h"

#include <cmath>
#include <vector>

nItem2D::nItem2D(nScene2D* scene, nItem2D* parent, const char* name, const float* position, const float* size)
    : m_scene(scene), m_serial(scene ? scene->TakeSerial() : 0), m_name(name)
{
    if (position)
    {
        m_position[0] = position[0];
        m_position[1] = position[1];
    }
    if (size)
        StoreSize(size[0], size[1]);
    if (parent)
        SetParent(parent);
}

nItem2D::~nItem2D()
{
    while (auto* node = m_children.GetHead())
    {
        node->value->m_parent = nullptr;
        node->value->MarkMatricesStale();
        m_children.RemoveNode(node);
    }
    if (m_parent)
        m_parent->m_children.Remove(this);
    if (m_scene && m_scene->GetVM())
        m_scene->GetVM()->InvalidateNativeObject(this);
}

namespace
{
float AtLeastOne(float value, bool& invalid)
{
    if (std::isnan(value))
    {
        invalid = true;
        return 1.0f;
    }
    return value < 1.0f ? 1.0f : value;
}
} // namespace

void nItem2D::SetSize(float width, float height)
{
    bool invalid = false;
    width = AtLeastOne(width, invalid);
    height = AtLeastOne(height, invalid);
    if (invalid)
        nLogHolder::Get() << "[*] 2D item '" << m_name
                          << "' was given a size that is not a number; 1 is used.\n";
    StoreSize(width, height);
}

void nItem2D::StoreSize(float width, float height)
{
    bool invalid = false;
    m_size[0] = AtLeastOne(width, invalid);
    m_size[1] = AtLeastOne(height, invalid);
}

nRect nItem2D::GetRect() const
{
    return nRect{0, 0, TruncateToPixel(m_size[0]), TruncateToPixel(m_size[1])};
}

void nItem2D::Draw(nRenderer*) {}

nRect nItem2D::ComputeQuad()
{
    const nMatrix3& world = GetWorldMatrix();
    const float corners[4][2] = {{0.0f, 0.0f}, {m_size[0], 0.0f}, {0.0f, m_size[1]}, {m_size[0], m_size[1]}};
    float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
    for (int index = 0; index < 4; ++index)
    {
        float x = 0.0f, y = 0.0f;
        TransformPoint2D(world, corners[index][0], corners[index][1], x, y);
        if (index == 0 || x < minX)
            minX = x;
        if (index == 0 || y < minY)
            minY = y;
        if (index == 0 || x > maxX)
            maxX = x;
        if (index == 0 || y > maxY)
            maxY = y;
    }
    return nRect{TruncateToPixel(minX), TruncateToPixel(minY), TruncateToPixel(maxX), TruncateToPixel(maxY)};
}

bool nItem2D::SetParent(nItem2D* parent)
{
    if (parent == m_parent)
        return true;
    if (parent && WouldCloseCycle(parent))
    {
        nLogHolder::Get() << "[*] 2D item '" << m_name << "' cannot become a child of '" << parent->GetName()
                          << "', which is itself or one of its descendants.\n";
        return false;
    }
    if (parent && !parent->m_children.PushBack(this))
    {
        nLogHolder::Get() << "[!] Failed to allocate the child link of 2D item '" << m_name << "'.\n";
        return false;
    }
    if (m_parent)
        m_parent->m_children.Remove(this);
    m_parent = parent;
    MarkMatricesStale();
    return true;
}

// The parent would close a cycle when it is this item or lies below it. Walking up from the parent
// costs its depth, walking this item's subtree costs its size; a file can make either one long,
// so both go one step at a time and the first to finish answers.
bool nItem2D::WouldCloseCycle(const nItem2D* parent) const
{
    const nItem2D* upward = parent;
    std::vector<const nItem2D*> below{this};
    for (;;)
    {
        if (!upward)
            return false;
        if (upward == this)
            return true;
        upward = upward->m_parent;
        if (below.empty())
            return false;
        const nItem2D* item = below.back();
        below.pop_back();
        if (item == parent)
            return true;
        for (auto* node = item->m_children.GetHead(); node; node = node->next)
            below.push_back(node->value);
    }
}

const nItem2D::InheritedState& nItem2D::GetInheritedState(uint32_t stamp)
{
    if (m_inheritedStamp == stamp)
        return m_inherited;
    thread_local std::vector<nItem2D*> pending;
    pending.clear();
    nItem2D* known = this;
    for (; known && known->m_inheritedStamp != stamp; known = known->m_parent)
        pending.push_back(known);
    InheritedState state = known ? known->m_inherited : InheritedState();
    for (auto item = pending.rbegin(); item != pending.rend(); ++item)
    {
        if (const nSprite2D* sprite = AsSprite(*item))
        {
            state.opacity *= sprite->GetOpacity();
            state.shown = state.shown && sprite->HasFlag(SpriteFlagVisible);
        }
        (*item)->m_inherited = state;
        (*item)->m_inheritedStamp = stamp;
    }
    return m_inherited;
}

bool nItem2D::IsDescendantOf(const nItem2D* item) const
{
    for (const nItem2D* walk = this; walk; walk = walk->m_parent)
        if (walk == item)
            return true;
    return false;
}

void nItem2D::SetPosition(float x, float y)
{
    m_position[0] = x;
    m_position[1] = y;
    MarkMatricesStale();
}

void nItem2D::SetPivot(float x, float y)
{
    m_pivot[0] = x;
    m_pivot[1] = y;
    MarkMatricesStale();
}

void nItem2D::SetScale(float x, float y)
{
    m_scale[0] = x;
    m_scale[1] = y;
    MarkMatricesStale();
}

void nItem2D::SetAngle(float radians)
{
    m_angle = radians;
    MarkMatricesStale();
}

// A stale item makes its whole subtree stale; a subtree already stale stays as it is, so that a
// run of changes costs one walk.
void nItem2D::MarkMatricesStale()
{
    if (m_matricesStale)
        return;
    m_matricesStale = true;
    if (m_children.IsEmpty()) // most moving items are leaves: no walk, no buffer
        return;
    // Without recursion: a chain of items may be as deep as its file is long. The buffer is kept,
    // since a moving sprite marks its subtree every frame.
    thread_local std::vector<nItem2D*> pending;
    pending.assign(1, this);
    while (!pending.empty())
    {
        nItem2D* item = pending.back();
        pending.pop_back();
        item->m_matricesStale = true;
        for (auto* node = item->m_children.GetHead(); node; node = node->next)
            if (!node->value->m_matricesStale)
                pending.push_back(node->value);
    }
}

// local = (scale about the pivot) . (rotation, then the position): rows (sx, 0, 0), (0, sy, 0),
// (-px sx, -py sy, 1) times rows (c, s, 0), (-s, c, 0), (x, y, 1).
// The stale ancestors first, from the top down, without recursion: a chain of items may be as
// deep as its file is long.
void nItem2D::UpdateMatrices()
{
    if (!m_matricesStale)
        return;
    if (!m_parent || !m_parent->m_matricesStale)
    {
        UpdateOwnMatrices();
        return;
    }
    thread_local std::vector<nItem2D*> stale;
    stale.clear();
    for (nItem2D* item = this; item && item->m_matricesStale; item = item->m_parent)
        stale.push_back(item);
    for (auto item = stale.rbegin(); item != stale.rend(); ++item)
        (*item)->UpdateOwnMatrices();
}

// The parent's world matrix is up to date.
void nItem2D::UpdateOwnMatrices()
{
    const float c = std::cos(m_angle);
    const float s = std::sin(m_angle);
    const float sx = m_scale[0];
    const float sy = m_scale[1];
    const float ox = -m_pivot[0] * sx;
    const float oy = -m_pivot[1] * sy;
    float* m = m_local.m;
    m[0] = sx * c;
    m[1] = sx * s;
    m[2] = 0.0f;
    m[3] = -sy * s;
    m[4] = sy * c;
    m[5] = 0.0f;
    m[6] = ox * c - oy * s + m_position[0];
    m[7] = ox * s + oy * c + m_position[1];
    m[8] = 1.0f;
    m_world = m_parent ? m_local.Multiply(m_parent->m_world) : m_local;
    m_world.Inverse(m_inverseWorld);
    m_matricesStale = false;
}

const nMatrix3& nItem2D::GetLocalMatrix()
{
    UpdateMatrices();
    return m_local;
}

const nMatrix3& nItem2D::GetWorldMatrix()
{
    UpdateMatrices();
    return m_world;
}

const nMatrix3& nItem2D::GetInverseWorldMatrix()
{
    UpdateMatrices();
    return m_inverseWorld;
}

nRectF nItem2D::MapToScreen(const nRect& rect)
{
    const nMatrix3& world = GetWorldMatrix();
    nRectF out;
    TransformPoint2D(world, float(rect.x0), float(rect.y0), out.x0, out.y0);
    TransformPoint2D(world, float(rect.x1), float(rect.y1), out.x1, out.y1);
    return out;
}

nRectF nItem2D::MapFromScreen(const nRectF& rect)
{
    const nMatrix3& inverse = GetInverseWorldMatrix();
    nRectF out;
    TransformPoint2D(inverse, rect.x0, rect.y0, out.x0, out.y0);
    TransformPoint2D(inverse, rect.x1, rect.y1, out.x1, out.y1);
    return out;
}
