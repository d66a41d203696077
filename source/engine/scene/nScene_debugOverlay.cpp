#include "engine/scene/nScene.h"

#include "core/math/nMinMax.h"
#include "core/math/nTransform.h"
#include "engine/items/nItem.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "geometry/nGeometry.h"
#include "render/nRenderer.h"

namespace
{
const nVector SelectedColour(1.0f, 0.65f, 0.16f, 1.0f);
const nVector ItemColour(0.72f, 0.72f, 0.72f, 1.0f);
const nVector ObjectBoxColour(1.0f, 1.0f, 0.0f, 0.35f);
constexpr float MarkerHalfSize = 0.25f;

nVector Placed(const nMatrix4& world, float x, float y, float z)
{
    nVector point(x, y, z, 1.0f);
    world.TransformVector4Array(&point, &point, 1);
    return point;
}

// A box of the item's own space, placed by its world matrix.
void DrawPlacedBox(nRenderer& renderer, const nMinMax& box, const nMatrix4& world, const nVector& colour,
                   int32_t blendMode)
{
    nTransform placed = nTransform::FromMinMax(box);
    placed.ApplyMatrix4(world);
    renderer.DrawBox(placed, &colour, blendMode);
}

// A pyramid from the eye to a rectangle one unit ahead along the item's z axis.
void DrawCamera(nRenderer& renderer, const nMatrix4& world, const nVector& colour)
{
    const nVector eye = world.GetTranslation();
    const nVector corners[4] = {Placed(world, -0.5f, -0.375f, 1.0f), Placed(world, 0.5f, -0.375f, 1.0f),
                                Placed(world, 0.5f, 0.375f, 1.0f), Placed(world, -0.5f, 0.375f, 1.0f)};
    for (int corner = 0; corner < 4; ++corner)
    {
        renderer.DrawLine(eye, corners[corner], &colour);
        renderer.DrawLine(corners[corner], corners[(corner + 1) % 4], &colour);
    }
}

// A cross at the light, and for lights that shine one way a line along their z axis.
void DrawLight(nRenderer& renderer, nMLight& light, const nMatrix4& world, const nVector& colour)
{
    const nVector position = world.GetTranslation();
    renderer.DrawCross(position, MarkerHalfSize, &colour);
    if (light.GetLight().GetType() != LightTypePoint)
        renderer.DrawLine(position, Placed(world, 0.0f, 0.0f, 1.0f), &colour);
}
} // namespace

void nScene::DrawDebugOverlay(nRenderer* renderer, const nList<nMItem*>& selected,
                              const nList<nMItem*>& excluded, uint32_t flags)
{
    if (!renderer)
        return;
    const nMatrix4 identity;
    renderer->SetModelMatrix(identity, &identity);
    nWalkList<nMItem*>::Walk items(m_allItems);
    while (nMItem* item = items.Next())
    {
        nItem* node = item->GetItem();
        if (!node || excluded.Find(item))
            continue;
        const nVector& colour = selected.Find(item) ? SelectedColour : ItemColour;
        const nMatrix4& world = node->GetWorldMatrix();
        switch (item->GetKind())
        {
        case ItemTypeCamera:
            DrawCamera(*renderer, world, colour);
            break;
        case ItemTypeLight:
            DrawLight(*renderer, *static_cast<nMLight*>(item), world, colour);
            break;
        case ItemTypeTrigger:
            DrawPlacedBox(*renderer, nMinMax(nVector(-0.5f, -0.5f, -0.5f), nVector(0.5f, 0.5f, 0.5f)), world,
                          colour, nRenderer::BlendOpaque);
            break;
        case ItemTypeObject:
            renderer->DrawCross(world.GetTranslation(), MarkerHalfSize, &colour);
            // An object without a geometry has no box of its own space.
            if (flags & SceneDebugOverlayObjectBoxes)
                if (const nGeometry* geometry = static_cast<nMObject*>(item)->GetObject().GetGeometry())
                    DrawPlacedBox(*renderer, geometry->box, world, ObjectBoxColour, nRenderer::BlendAlpha);
            break;
        default:
            renderer->DrawCross(world.GetTranslation(), MarkerHalfSize, &colour);
            break;
        }
    }
}
