#include "raytracer/nSkinnedGeometry.h"

#include "core/base/nLog.h"
#include "core/math/nMatrix4.h"
#include "geometry/nGeometry.h"

#include <utility>

namespace
{
// The vertex carried by each of its bones, weighed; a vertex no bone moves stays where it is.
// Directions come out unnormalised.
nVector Blend(const nSkinWeight* weight, const nMatrix4* matrices, uint32_t count, const nVector& value,
              bool isPoint)
{
    if (!weight)
        return value;
    nVector sum(0.0f, 0.0f, 0.0f);
    float total = 0.0f;
    for (int k = 0; k < 4 && weight->weights[k] != 0.0f; ++k)
    {
        if (weight->bones[k] >= count)
            continue;
        const nMatrix4& matrix = matrices[weight->bones[k]];
        nVector moved = value;
        if (isPoint)
            moved.ApplyMatrix4(matrix);
        else
            moved = nVector(value.x, value.y, value.z).MulMatrix3(matrix.GetMatrix3());
        sum += moved * weight->weights[k];
        total += weight->weights[k];
    }
    // Weights of bones without a matrix are left out, so the others place the vertex alone.
    return total != 0.0f ? sum * (1.0f / total) : value;
}

template <typename T> bool CopyArray(nAutoArray<T>& target, const nAutoArray<T>& source)
{
    nAutoArray<T> copy(source);
    if (copy.GetCount() != source.GetCount())
        return false;
    target = std::move(copy);
    return true;
}
} // namespace

nGeometry* CreateSkinnedGeometry(const nGeometry& source, const nMatrix4* skinMatrices, uint32_t count)
{
    nGeometry* copy = new nGeometry(source.engine);
    bool ok = copy != nullptr;
    if (ok)
    {
        copy->name = source.name;
        copy->cpuOnly = true;
        copy->flags = source.flags;
        copy->box = source.box;
        ok = CopyArray(copy->materials, source.materials) && CopyArray(copy->vertices, source.vertices) &&
             CopyArray(copy->polygons, source.polygons) && CopyArray(copy->bindings, source.bindings) &&
             CopyArray(copy->bindingOffsets, source.bindingOffsets) &&
             CopyArray(copy->vertexNormals, source.vertexNormals) &&
             CopyArray(copy->tangentFrames, source.tangentFrames) && CopyArray(copy->colors, source.colors);
        for (uint32_t set = 0; ok && set < nUVMapCount; ++set)
            ok = CopyArray(copy->uvSets[set], source.uvSets[set]);
    }
    if (!ok)
    {
        nLogHolder::Get() << "[!] Failed to allocate skinned geometry copy.\n";
        delete copy;
        return nullptr;
    }
    const uint32_t vertexCount = copy->vertices.GetCount();
    const bool weighted = source.weights.GetCount() == vertexCount;
    auto weightOf = [&](uint32_t vertex)
    { return weighted && vertex < vertexCount ? source.weights.At(vertex) : nullptr; };
    for (uint32_t v = 0; v < vertexCount; ++v)
        *copy->vertices.At(v) = Blend(weightOf(v), skinMatrices, count, *copy->vertices.At(v), true);
    // Corner attributes follow the vertex each corner names.
    const uint32_t bindingCount = copy->bindings.GetCount();
    for (uint32_t b = 0; b < bindingCount; ++b)
    {
        const nSkinWeight* weight = weightOf(*copy->bindings.At(b));
        if (b < copy->vertexNormals.GetCount())
        {
            nVector& normal = *copy->vertexNormals.At(b);
            const nVector blended = Blend(weight, skinMatrices, count, normal, false);
            const float length = blended.Length();
            normal = length > 0.0f ? blended * (1.0f / length) : normal;
        }
        if (b < copy->tangentFrames.GetCount())
        {
            nTangentFrame& frame = *copy->tangentFrames.At(b);
            frame.tangent = Blend(weight, skinMatrices, count, frame.tangent, false);
            frame.bitangent = Blend(weight, skinMatrices, count, frame.bitangent, false);
        }
    }
    nGeometry::ComputeMinMaxFromVertices(copy->vertices, copy->box, nullptr);
    return copy;
}
