#include "render/gl/nGPURenderer.h"

#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLGeometry.h"
#include "render/nRenderItem.h"
#include "render/nTerrainPatch.h"

const nMaterial* GetPrimitiveMaterial(const nGPURenderPrimitive& primitive)
{
    if (primitive.displayList)
        return reinterpret_cast<const nMaterial*>(primitive.displayList->GetUserWord());
    return primitive.patch ? primitive.patch->GetPatchMaterial() : nullptr;
}

namespace
{

// Primitives of one display list, then of one material, follow one another.
bool ByDisplayList(const nGPURenderPrimitive& a, const nGPURenderPrimitive& b)
{
    if (a.displayList != b.displayList)
        return a.displayList < b.displayList;
    return GetPrimitiveMaterial(a) < GetPrimitiveMaterial(b);
}

// Primitives of one material (so of one program in a pass), then of one display list, follow one
// another: a program change costs a bind and every input, a display list change two buffer binds.
// The depth test makes the order of opaque primitives free.
bool ByMaterial(const nGPURenderPrimitive& a, const nGPURenderPrimitive& b)
{
    const nMaterial* first = GetPrimitiveMaterial(a);
    const nMaterial* second = GetPrimitiveMaterial(b);
    if (first != second)
        return first < second;
    return a.displayList < b.displayList;
}

// Stable bottom-up merge sort; without the scratch array the list keeps its order.
template <typename Order> void SortStable(nGPURenderPrimitiveList& list, Order Before)
{
    const uint32_t count = list.GetCount();
    nGPURenderPrimitiveList scratch(MemCategoryRenderer);
    if (count < 2 || !scratch.Resize(count))
        return;
    nGPURenderPrimitive* from = list.At(0);
    nGPURenderPrimitive* to = scratch.At(0);
    for (uint32_t width = 1; width < count; width *= 2)
    {
        for (uint32_t left = 0; left < count; left += 2 * width)
        {
            const uint32_t middle = std::min(left + width, count);
            const uint32_t right = std::min(left + 2 * width, count);
            uint32_t i = left;
            uint32_t j = middle;
            for (uint32_t k = left; k < right; ++k)
                to[k] = (i < middle && (j >= right || !Before(from[j], from[i]))) ? from[i++] : from[j++];
        }
        std::swap(from, to);
    }
    if (from != list.At(0))
        for (uint32_t k = 0; k < count; ++k)
            *list.At(k) = from[k];
}

nEGLGeometry* GPUDataOf(const nRenderablePrimitive& entry)
{
    const auto* geometry = static_cast<const nGeometry*>(entry.payload);
    return geometry ? static_cast<nEGLGeometry*>(geometry->renderData.Get()) : nullptr;
}

bool IsTransparent(const nGPURenderPrimitive& primitive)
{
    const nMaterial* material = GetPrimitiveMaterial(primitive);
    if (material && material->blendOp != MaterialBlendNone)
        return true;
    return primitive.kind == nRenderablePrimitive::KindObject && primitive.item->GetRenderOpacity() < 1.0f;
}

// Calls visit for every primitive the entries make, in order.
template <typename Visit> void ForEachPrimitive(const nAutoList<nRenderablePrimitive*>& entries, Visit visit)
{
    for (auto* node = entries.GetHead(); node; node = node->next)
    {
        const nRenderablePrimitive& entry = *node->value;
        if (!entry.item)
            continue;
        if (entry.kind == nRenderablePrimitive::KindObject)
        {
            nEGLGeometry* gpu = GPUDataOf(entry);
            if (!gpu)
                continue;
            for (const std::unique_ptr<nEGLDisplayList>& list : gpu->GetDisplayLists())
                if (list)
                    visit(nGPURenderPrimitive{nRenderablePrimitive::KindObject, entry.item, list.get(),
                                              nullptr});
        }
        else if (entry.kind == nRenderablePrimitive::KindTerrainNode && entry.payload)
            visit(nGPURenderPrimitive{nRenderablePrimitive::KindTerrainNode, entry.item, nullptr,
                                      static_cast<nTerrainPatch*>(entry.payload)});
    }
}
} // namespace

bool nGPURenderer::SplitPrimitives(const nAutoList<nRenderablePrimitive*>& primitives,
                                   nGPURenderPrimitiveList& opaque,
                                   nGPURenderPrimitiveList& transparent) const
{
    uint32_t counts[2] = {0, 0};
    ForEachPrimitive(primitives, [&counts](const nGPURenderPrimitive& primitive)
                     { ++counts[IsTransparent(primitive) ? 1 : 0]; });
    if (!opaque.Resize(counts[0]) || !transparent.Resize(counts[1]))
    {
        opaque.Free();
        transparent.Free();
        return false;
    }
    uint32_t next[2] = {0, 0};
    ForEachPrimitive(primitives,
                     [&](const nGPURenderPrimitive& primitive)
                     {
                         const uint32_t side = IsTransparent(primitive) ? 1 : 0;
                         *(side ? transparent : opaque).At(next[side]++) = primitive;
                     });
    SortStable(opaque, ByMaterial);
    SortStable(transparent, ByDisplayList);
    return true;
}
