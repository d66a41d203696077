#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "geometry/nGeometryOctreeNode.h"
#include "geometry/nVertexPolygonIndex.h"
#include "render/nProfileScope.h"

#include <cmath>

namespace
{
// The same arithmetic as nVector's own, inline: these run a few times per corner of meshes of
// millions of corners.
float Dot(const nVector& a, const nVector& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

nVector Cross(const nVector& a, const nVector& b)
{
    return nVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// A zero-length (or non-finite) vector stays zero, so no NaN reaches a normal or a tangent.
nVector SafeNormalized(const nVector& v)
{
    const float length = float(std::sqrt(double(Dot(v, v))));
    if (!(length > 0.0f) || !std::isfinite(length))
        return nVector(0.0f, 0.0f, 0.0f, 1.0f);
    return nVector(v.x / length, v.y / length, v.z / length, 1.0f);
}

nVector Scaled(const nVector& v, float factor)
{
    return nVector(v.x * factor, v.y * factor, v.z * factor, 1.0f);
}

nVector Sub(const nVector& a, const nVector& b)
{
    return nVector(a.x - b.x, a.y - b.y, a.z - b.z, 1.0f);
}

nVector Add(const nVector& a, const nVector& b)
{
    return nVector(a.x + b.x, a.y + b.y, a.z + b.z, 1.0f);
}
} // namespace

void nGeometry::Setup()
{
    const nProfileScope scope(engine, "Geometry Setup");
    if (vertices.GetCount() == 0 || polygons.GetCount() == 0)
        return;
    nVector sum(0.0f, 0.0f, 0.0f, 1.0f);
    for (uint32_t i = 0; i < vertices.GetCount(); ++i)
        sum = Add(sum, *vertices.At(i));
    centre = Scaled(sum, 1.0f / float(vertices.GetCount()));
    if (HasMaterialFlags(MaterialNormalMapTangent))
    {
        ComputeVertexNormals(false, -1.0f);
        ComputeVertexTangents(false, false, false);
    }
    else if (HasMaterialWithout(MaterialUnlit))
        ComputeVertexNormals(false, -1.0f);
    keepFlags |= KeepMaterials | KeepProxies | KeepRenderData;
    box = GetMinMax(nullptr);
    if (octree)
        octree->SetupLeaves();
}

void nGeometry::ComputePolygonNormal(bool force)
{
    if (!force && (polygonNormals.GetCount() || polygons.GetCount() == 0 || vertices.GetCount() == 0))
        return;
    nLogHolder::Get() << nString::Format("Compute polygon normal for %s.\n", GetNameText()).GetText();
    polygonNormals.Free();
    if (!polygonNormals.ResizeForOverwrite(polygons.GetCount()))
    {
        nLogHolder::Get() << "[!] nGeometry::ComputePolygonNormal() failed to allocate buffer!\n";
        return;
    }
    const uint32_t vertexCount = vertices.GetCount();
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
    {
        nVector normal(0.0f, 0.0f, 0.0f, 1.0f);
        const uint32_t* corners = GetPolygonBindings(p);
        if (polygons.At(p)->bindingCount > 2 && corners[0] < vertexCount && corners[1] < vertexCount &&
            corners[2] < vertexCount)
        {
            const nVector& p0 = *vertices.At(corners[0]);
            normal =
                SafeNormalized(Cross(Sub(*vertices.At(corners[1]), p0), Sub(*vertices.At(corners[2]), p0)));
        }
        *polygonNormals.At(p) = normal;
    }
}

void nGeometry::ComputePolygonTangent()
{
    if (polygonTangents.GetCount() || polygons.GetCount() == 0 || vertices.GetCount() == 0)
        return;
    BuildPolygonBindingOffsets();
    if (!polygonTangents.Resize(polygons.GetCount()))
    {
        nLogHolder::Get() << "[!] nGeometry::ComputePolygonTangent() failed to allocate buffer!\n";
        return;
    }
    const uint32_t vertexCount = vertices.GetCount();
    bool missingUV = false;
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
    {
        const nPolygon& polygon = *polygons.At(p);
        const nMaterial* material = GetMaterial(polygon.material);
        if (polygon.bindingCount <= 2 || !material)
            continue;
        const nTextureStage* normalStage = material->GetChannel(ChannelNormal, true);
        const uint32_t set = normalStage && normalStage->uvSet < nUVMapCount ? normalStage->uvSet : 0;
        const nAutoArray<nUV>& uvs = uvSets[set];
        const uint32_t first = polygon.firstBinding;
        if (uvs.GetCount() < first + 3)
        {
            missingUV = true;
            continue;
        }
        const uint32_t* corners = GetPolygonBindings(p);
        if (corners[0] >= vertexCount || corners[1] >= vertexCount || corners[2] >= vertexCount)
            continue;
        const nVector e0 = Sub(*vertices.At(corners[0]), *vertices.At(corners[1]));
        const nVector e2 = Sub(*vertices.At(corners[2]), *vertices.At(corners[1]));
        const nUV& uv0 = *uvs.At(first);
        const nUV& uv1 = *uvs.At(first + 1);
        const nUV& uv2 = *uvs.At(first + 2);
        const float ds0 = uv0.u - uv1.u;
        const float dt0 = uv0.v - uv1.v;
        const float ds2 = uv2.u - uv1.u;
        const float dt2 = uv2.v - uv1.v;
        nVector tangent = Scaled(SafeNormalized(Sub(Scaled(e0, dt2), Scaled(e2, dt0))), -1.0f);
        nVector bitangent = SafeNormalized(Sub(Scaled(e0, ds2), Scaled(e2, ds0)));
        if (p < polygonNormals.GetCount() && Dot(Cross(tangent, bitangent), *polygonNormals.At(p)) < 0.0f)
        {
            tangent = Scaled(tangent, -1.0f);
            bitangent = Scaled(bitangent, -1.0f);
        }
        polygonTangents.At(p)->tangent = tangent;
        polygonTangents.At(p)->bitangent = bitangent;
    }
    if (missingUV)
        nLogHolder::Get() << nString::Format("[*] Missing UV sets to compute tangent frame in '%s'.\n",
                                             GetNameText())
                                 .GetText();
}

bool nGeometry::BuildVertexPolygonTable(nAutoArray<nVertexPolygons>& table) const
{
    nVertexPolygonIndex index;
    if (!index.Build(*this) || !table.Resize(0) || !table.Resize(vertices.GetCount()))
        return false;
    for (uint32_t v = 0; v < vertices.GetCount(); ++v)
    {
        nVertexPolygons& entry = *table.At(v);
        const std::span<const uint32_t> around = index.Of(v);
        if (!entry.polygons.Resize(uint32_t(around.size())))
            return false;
        for (uint32_t polygon : around)
            *entry.polygons.At(entry.count++) = polygon;
    }
    return true;
}

// The cosine above which a neighbour's normal joins a corner's sum.
float nGeometry::GetSmoothingLimit(uint32_t polygon, float threshold) const
{
    if (threshold > 0.0f)
        return threshold;
    const nMaterial* material = GetMaterial(polygons.At(polygon)->material);
    float limit = material ? material->maxSmoothingAngle : -1.0f;
    if (!(limit >= -1.0f) || limit >= 1.0f)
        limit = -1.0f;
    return limit;
}

void nGeometry::ComputeVertexNormals(bool force, float threshold)
{
    if (!force && (vertexNormals.GetCount() || polygons.GetCount() == 0 || vertices.GetCount() == 0))
        return;
    ComputePolygonNormal(force);
    ComputePolygonTangent();
    nVertexPolygonIndex around;
    around.Build(*this);
    nLog& log = nLogHolder::Get();
    log << nString::Format("Compute vertex normal for %s.\n", GetNameText()).GetText();
    const uint32_t total = GetBindingTotal();
    if (total == 0)
    {
        log << "[!] The total binding count is wrong. Check that the importer did properly update this "
               "flag.\n";
        return;
    }
    vertexNormals.Free();
    if (!vertexNormals.ResizeForOverwrite(total) || around.GetVertexCount() != vertices.GetCount() ||
        polygonNormals.GetCount() != polygons.GetCount())
    {
        vertexNormals.Free();
        log << "[!] Failed to allocate vertex normal buffer.\n";
        return;
    }
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
    {
        const float limit = GetSmoothingLimit(p, threshold);
        const nVector& own = *polygonNormals.At(p);
        const nPolygon& polygon = *polygons.At(p);
        const uint32_t* corners = GetPolygonBindings(p);
        for (uint32_t c = 0; c < polygon.bindingCount; ++c)
        {
            nVector sum(0.0f, 0.0f, 0.0f, 1.0f);
            for (uint32_t other : around.Of(corners[c]))
                if (Dot(*polygonNormals.At(other), own) > limit)
                    sum = Add(sum, *polygonNormals.At(other));
            *vertexNormals.At(polygon.firstBinding + c) = SafeNormalized(sum);
        }
    }
}

void nGeometry::ComputeVertexTangents(bool force, bool negateTangent, bool negateBitangent)
{
    nLog& log = nLogHolder::Get();
    if (vertices.GetCount() == 0 || polygons.GetCount() == 0)
    {
        log << nString::Format("[!] Cannot compute tangent frame for empty geometry '%s'.\n", GetNameText())
                   .GetText();
        return;
    }
    if (!force && tangentFrames.GetCount())
        return;
    log << nString::Format("Compute vertex tangent for geometry '%s'.\n", GetNameText()).GetText();
    ComputePolygonNormal(false);
    ComputePolygonTangent();
    nVertexPolygonIndex around;
    around.Build(*this);
    const uint32_t total = GetBindingTotal();
    tangentFrames.Free();
    // Without vertex normals there is nothing to orthogonalise against.
    if (vertexNormals.GetCount() != total || polygonTangents.GetCount() != polygons.GetCount() ||
        around.GetVertexCount() != vertices.GetCount() || !tangentFrames.ResizeForOverwrite(total))
        return;
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
    {
        const nVector& own = polygonTangents.At(p)->tangent;
        const nPolygon& polygon = *polygons.At(p);
        const uint32_t* corners = GetPolygonBindings(p);
        for (uint32_t c = 0; c < polygon.bindingCount; ++c)
        {
            nVector sum(0.0f, 0.0f, 0.0f, 1.0f);
            for (uint32_t other : around.Of(corners[c]))
            {
                const nVector& tangent = polygonTangents.At(other)->tangent;
                sum = Dot(tangent, own) < 0.0f ? Sub(sum, tangent) : Add(sum, tangent);
            }
            const nVector& normal = *vertexNormals.At(polygon.firstBinding + c);
            const nVector tangent = SafeNormalized(Sub(sum, Scaled(normal, Dot(normal, sum))));
            const nVector bitangent = Cross(normal, tangent);
            nTangentFrame& frame = *tangentFrames.At(polygon.firstBinding + c);
            frame.tangent = negateTangent ? Scaled(tangent, -1.0f) : tangent;
            frame.bitangent = negateBitangent ? Scaled(bitangent, -1.0f) : Scaled(bitangent, 1.0f);
        }
    }
}

bool nGeometry::ComputeHomogeneousVertexTable(nAutoArray<uint8_t>& table,
                                              const nAutoArray<nVertexPolygons>& vertexPolygons,
                                              int32_t material) const
{
    if (!table.Resize(0) || !table.Resize(vertices.GetCount()))
    {
        nLogHolder::Get() << "[!] Could not allocate homogeneous vertex table.\n";
        return false;
    }
    const auto cornerOf = [this](uint32_t polygon, uint32_t vertex)
    {
        const uint32_t* corners = GetPolygonBindings(polygon);
        for (uint32_t c = 0; c < polygons.At(polygon)->bindingCount; ++c)
            if (corners[c] == vertex)
                return polygons.At(polygon)->firstBinding + c;
        return polygons.At(polygon)->firstBinding;
    };
    const auto differ = [](float ax, float ay, float az, float bx, float by, float bz)
    {
        const float dx = ax - bx, dy = ay - by, dz = az - bz;
        return dx * dx + dy * dy + dz * dz > 1e-5f;
    };
    for (uint32_t v = 0; v < vertices.GetCount(); ++v)
    {
        uint8_t homogeneous = 1;
        const nVertexPolygons* around = v < vertexPolygons.GetCount() ? vertexPolygons.At(v) : nullptr;
        for (uint32_t i = 0; around && homogeneous && i < around->count; ++i)
            for (uint32_t j = 0; homogeneous && j < around->count; ++j)
            {
                if (i == j)
                    continue;
                const uint32_t a = *around->polygons.At(i), b = *around->polygons.At(j);
                const uint16_t ma = polygons.At(a)->material, mb = polygons.At(b)->material;
                if (ma != mb)
                {
                    homogeneous = 0;
                    break;
                }
                if (material != -1 && material != ma)
                    continue;
                const uint32_t ca = cornerOf(a, v), cb = cornerOf(b, v);
                if (ca < vertexNormals.GetCount() && cb < vertexNormals.GetCount())
                {
                    const nVector& na = *vertexNormals.At(ca);
                    const nVector& nb = *vertexNormals.At(cb);
                    if (differ(na.x, na.y, na.z, nb.x, nb.y, nb.z))
                        homogeneous = 0;
                }
                if (ca < colors.GetCount() && cb < colors.GetCount())
                {
                    const nColor& pa = *colors.At(ca);
                    const nColor& pb = *colors.At(cb);
                    if (differ(pa.r, pa.g, pa.b, pb.r, pb.g, pb.b))
                        homogeneous = 0;
                }
                for (const nAutoArray<nUV>& set : uvSets)
                    if (ca < set.GetCount() && cb < set.GetCount() &&
                        differ(set.At(ca)->u, set.At(ca)->v, 0.0f, set.At(cb)->u, set.At(cb)->v, 0.0f))
                        homogeneous = 0;
            }
        *table.At(v) = homogeneous;
    }
    return true;
}
