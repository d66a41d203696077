#include "geometry/IGeometryBIH.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "geometry/nSafeNormal.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
constexpr float BarycentricTolerance = -1e-6f;
constexpr uintptr_t CacheLine = 64;

float Axis(const nVector& v, uint32_t axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

// The polygon's corners, or false when it has fewer than three or names a vertex it lacks.
bool PolygonIsUsable(const nGeometry& geometry, uint32_t polygon)
{
    const nPolygon& record = *geometry.polygons.At(polygon);
    if (record.bindingCount < 3 ||
        uint64_t(record.firstBinding) + record.bindingCount > geometry.bindings.GetCount())
        return false;
    const uint32_t* corners = geometry.GetPolygonBindings(polygon);
    for (uint32_t c = 0; c < record.bindingCount; ++c)
        if (corners[c] >= geometry.vertices.GetCount())
            return false;
    return true;
}
// Twice the polygon's area along its normal, summed over every edge: unlike the cross product
// of the first two edges it holds when some corners coincide or lie on one line.
nVector NewellNormal(const nGeometry& geometry, const uint32_t* corners, uint32_t count)
{
    nVector sum(0.0f, 0.0f, 0.0f, 0.0f);
    for (uint32_t c = 0; c < count; ++c)
    {
        const nVector& from = *geometry.vertices.At(corners[c]);
        const nVector& to = *geometry.vertices.At(corners[c + 1 < count ? c + 1 : 0]);
        sum.x += (from.y - to.y) * (from.z + to.z);
        sum.y += (from.z - to.z) * (from.x + to.x);
        sum.z += (from.x - to.x) * (from.y + to.y);
    }
    return sum;
}
} // namespace

IGeometryBIH::IGeometryBIH() : m_records(MemCategoryGeometry), m_coefficients(MemCategoryGeometry) {}

IGeometryBIH::~IGeometryBIH() = default;

void IGeometryBIH::Clear()
{
    nBIH::Clear();
    m_records.Free();
    m_coefficients.Free();
    m_geometry = nullptr;
}

bool IGeometryBIH::BuildFromGeometry(nGeometry* geometry)
{
    Clear();
    if (!geometry)
        return false;
    const uint32_t polygonCount = geometry->polygons.GetCount();
    nAutoArray<nMinMax> boxes(MemCategoryGeometry);
    if (!boxes.ResizeForOverwrite(polygonCount))
    {
        nLogHolder::Get() << "[!] Failed to allocate volume objects.\n";
        return false;
    }
    // The tree refers to the polygons, so they must outlive the renderer's upload.
    geometry->keepFlags |= nGeometry::KeepTopology;
    nAutoArray<PolygonRecord> records(MemCategoryGeometry);
    uint64_t coefficientCount = 0;
    for (uint32_t p = 0; p < polygonCount; ++p)
        if (PolygonIsUsable(*geometry, p))
            coefficientCount += uint64_t(geometry->polygons.At(p)->bindingCount - 2) * 4;
    if (!records.ResizeForOverwrite(polygonCount) || coefficientCount > UINT32_MAX ||
        !m_coefficients.ResizeForOverwrite(uint32_t(coefficientCount)))
    {
        nLogHolder::Get() << "[!] Failed to allocate point in polygon acceleration array.\n";
        return false;
    }
    if (geometry->polygonNormals.GetCount() != polygonCount)
        geometry->ComputePolygonNormal(geometry->polygonNormals.GetCount() != 0);
    const bool storeNormals = geometry->polygonNormals.GetCount() == polygonCount;

    uint32_t nextCoefficient = 0;
    for (uint32_t p = 0; p < polygonCount; ++p)
    {
        PolygonRecord& record = *records.At(p);
        record = PolygonRecord{};
        record.material = geometry->polygons.At(p)->material;
        nMinMax& box = *boxes.At(p);
        // An unusable polygon sits on a vertex of the geometry, so it does not widen the root box.
        const nVector anchor = geometry->vertices.GetCount() ? *geometry->vertices.At(0) : nVector();
        box = nMinMax(anchor, anchor);
        if (!PolygonIsUsable(*geometry, p))
            continue;
        const uint32_t count = geometry->polygons.At(p)->bindingCount;
        const uint32_t* corners = geometry->GetPolygonBindings(p);
        const nVector normal = SafeNormalized(NewellNormal(*geometry, corners, count));
        if (normal.x == 0.0f && normal.y == 0.0f && normal.z == 0.0f)
            continue; // no area (or too little to have a direction), never hit
        const nVector& p0 = *geometry->vertices.At(corners[0]);
        if (storeNormals)
            *geometry->polygonNormals.At(p) = normal;
        record.normal[0] = normal.x;
        record.normal[1] = normal.y;
        record.normal[2] = normal.z;
        record.corner[0] = p0.x;
        record.corner[1] = p0.y;
        record.corner[2] = p0.z;
        const float ax = std::fabs(normal.x);
        const float ay = std::fabs(normal.y);
        const float az = std::fabs(normal.z);
        const uint32_t dominant = (ax >= ay && ax >= az) ? 0 : (ay >= ax && ay >= az) ? 1 : 2;
        record.axisA = uint8_t((dominant + 1) % 3);
        record.axisB = uint8_t((dominant + 2) % 3);
        record.triangleCount = uint16_t(count - 2);
        record.firstCoefficient = nextCoefficient;
        for (uint32_t j = 1; j + 1 < count; ++j)
        {
            const nVector e0 = *geometry->vertices.At(corners[j]) - p0;
            const nVector e1 = *geometry->vertices.At(corners[j + 1]) - p0;
            const float e0a = Axis(e0, record.axisA);
            const float e0b = Axis(e0, record.axisB);
            const float e1a = Axis(e1, record.axisA);
            const float e1b = Axis(e1, record.axisB);
            const float det = e1a * e0b - e0a * e1b;
            float* c = m_coefficients.At(nextCoefficient);
            nextCoefficient += 4;
            if (det == 0.0f)
            {
                // A triangle without area is never hit: NaN fails every barycentric test.
                c[0] = c[1] = c[2] = c[3] = std::numeric_limits<float>::quiet_NaN();
                continue;
            }
            const float inverse = 1.0f / det;
            c[0] = e1a * inverse;
            c[1] = -e1b * inverse;
            c[2] = e0b * inverse;
            c[3] = -e0a * inverse;
        }
        box = nMinMax(p0, p0);
        for (uint32_t c = 1; c < count; ++c)
            box.Extend(*geometry->vertices.At(corners[c]));
    }
    if (polygonCount == 0 || !nBIH::Build(polygonCount, boxes.GetData()))
    {
        Clear();
        return false;
    }
    // Leaves read their polygons' records one after another.
    if (!m_records.ResizeForOverwrite(polygonCount))
    {
        nLogHolder::Get() << "[!] Failed to allocate point in polygon acceleration array.\n";
        Clear();
        return false;
    }
    const uint32_t* indices = GetIndices();
    for (uint32_t i = 0; i < polygonCount; ++i)
        *m_records.At(i) = *records.At(indices[i]);
    m_geometry = geometry;
    return true;
}

bool IGeometryBIH::IsDoubleSided(uint32_t materialSlot) const
{
    const nMaterial* material = m_geometry->GetMaterial(materialSlot);
    return material && (material->renderFlags & MaterialDoubleSided);
}

void IGeometryBIH::TestLeaf(const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& state,
                            nGeometryHit& hit) const
{
    const uint32_t start = leaf.first;
    const uint32_t* indices = GetIndices();
    const float o[3] = {state.origin.x, state.origin.y, state.origin.z};
    const float d[3] = {state.direction.x, state.direction.y, state.direction.z};
    const PolygonRecord* records = m_records.GetData();
    // Every line of the leaf's records is asked for at once, so their misses overlap instead of
    // waiting one after another behind the loop's mispredicted branches.
    const uintptr_t end = reinterpret_cast<uintptr_t>(records + start + leaf.count);
    for (uintptr_t line = reinterpret_cast<uintptr_t>(records + start) & ~(CacheLine - 1); line < end;
         line += CacheLine)
        __builtin_prefetch(reinterpret_cast<const void*>(line));
    for (uint32_t i = start; i < start + leaf.count; ++i)
    {
        const PolygonRecord& record = records[i];
        if (record.triangleCount == 0)
            continue;
        hit.tested += record.triangleCount;
        const float* n = record.normal;
        const float denom = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
        // A ray in the polygon's plane (or a polygon without a plane, NaN) has no hit point.
        if (!(denom < 0.0f || denom > 0.0f))
            continue;
        const float* p0 = record.corner;
        const float along = n[0] * (p0[0] - o[0]) + n[1] * (p0[1] - o[1]) + n[2] * (p0[2] - o[2]);
        // The range test by products first: the division is only worth it for a plane in range.
        // The bounds are ordered by selects, since the sign of denom is a coin toss for random
        // rays and a branch on it would be mispredicted half the time.
        const float limit = hit.hit && hit.distance < tFar ? hit.distance : tFar;
        const bool upward = denom > 0.0f;
        const float nearBound = tNear * denom;
        const float farBound = limit * denom;
        const float lower = upward ? nearBound : farBound;
        const float upper = upward ? farBound : nearBound;
        if (along < lower || along > upper)
            continue;
        const float t = along / denom;
        if (hit.hit && hit.distance <= t)
            continue;
        if (!(t >= tNear && t <= tFar))
            continue;
        const bool backFace = denom >= 0.0f;
        if (backFace && !IsDoubleSided(record.material))
            continue;
        const float a = o[record.axisA] - p0[record.axisA] + t * d[record.axisA];
        const float b = o[record.axisB] - p0[record.axisB] + t * d[record.axisB];
        const float* c = m_coefficients.At(record.firstCoefficient);
        for (uint32_t j = 0; j < record.triangleCount; ++j, c += 4)
        {
            const float beta = c[1] * a + c[0] * b;
            const float gamma = c[3] * b + c[2] * a;
            const float alpha = 1.0f - beta - gamma;
            if (beta >= BarycentricTolerance && gamma >= BarycentricTolerance &&
                alpha >= BarycentricTolerance)
            {
                hit.hit = 1;
                hit.distance = t;
                hit.polygon = indices[i];
                hit.triangle = j;
                hit.barycentrics[0] = beta;
                hit.barycentrics[1] = gamma;
                hit.barycentrics[2] = alpha;
                hit.geometry = m_geometry;
                hit.backFace = backFace ? 1 : 0;
                state.RecordHit(t);
                break;
            }
        }
    }
}

void IGeometryBIH::IntersectLeaf(const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& state, void* user)
{
    if (user)
        TestLeaf(leaf, tNear, tFar, state, *static_cast<nGeometryHit*>(user));
}

void IGeometryBIH::IntersectRay(nBIHState& state, nGeometryHit& hit, const nVector& origin,
                                const nVector& direction, float maxDistance) const
{
    hit.origin = origin;
    hit.direction = direction;
    Traverse(state, origin, direction, maxDistance,
             [this, &hit](const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& walk)
             { TestLeaf(leaf, tNear, tFar, walk, hit); });
}
