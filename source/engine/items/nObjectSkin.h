#pragma once

#include "core/base/nAutoArray.h"
#include "core/math/nMatrix4.h"
#include "core/math/nMinMax.h"

#include <cstdint>

class nItem;

// The skin of an object: one entry per bone of its geometry. A bone slot names the scene item that
// moves the bone (null: unbound); the skin matrix takes a point of the geometry as stored to where
// that bone puts it now, in the object's own space; the bone box bounds the vertices the bone
// weights, in the geometry's own space. The three arrays always hold the same count.
struct nObjectSkin
{
    nAutoArray<nItem*> bones{MemCategoryGeneral};
    nAutoArray<nMatrix4> matrices{MemCategoryGeneral};
    nAutoArray<nMinMax> boxes{MemCategoryGeneral};

    nObjectSkin() = default;
    nObjectSkin(const nObjectSkin&) = delete;
    nObjectSkin& operator=(const nObjectSkin&) = delete;
    // The matrices are also counted as maths storage while they exist.
    ~nObjectSkin() { UntrackMatrices(); }

    uint32_t GetCount() const { return bones.GetCount(); }
    // Sizes the three arrays: slots unbound, matrices identity, boxes the point at the origin.
    bool Resize(uint32_t count)
    {
        UntrackMatrices();
        if (!bones.Resize(count) || !matrices.Resize(count) || !boxes.Resize(count))
            return false;
        const nVector origin(0.0f, 0.0f, 0.0f, 1.0f);
        for (uint32_t index = 0; index < count; ++index)
        {
            *bones.At(index) = nullptr;
            *matrices.At(index) = nMatrix4();
            *boxes.At(index) = nMinMax(origin, origin);
        }
        m_trackedMatrixBytes = matrices.GetSize();
        MemTrackAlloc(m_trackedMatrixBytes, MemCategoryMatrix);
        return true;
    }

private:
    void UntrackMatrices()
    {
        if (m_trackedMatrixBytes)
            MemTrackFree(m_trackedMatrixBytes, MemCategoryMatrix);
        m_trackedMatrixBytes = 0;
    }

    uint64_t m_trackedMatrixBytes = 0;
};
