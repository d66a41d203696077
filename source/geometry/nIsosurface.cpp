#include "geometry/nIsosurface.h"

#include "core/base/nLog.h"
#include "geometry/nGeometry.h"
#include "geometry/nMarchingCubes.h"
#include "geometry/nTripleKeyMap.h"

#include <algorithm>
#include <cmath>

namespace
{
// Enough for a grid of 512 points along each axis; a float per point.
constexpr uint64_t MaxGridPoints = uint64_t(1) << 27;
// The weld's index grows with the vertices; most cells the field reaches hold no surface, so
// their count would overstate it many times.
constexpr uint32_t InitialWeldSize = 4096;

// The grid points from ceil((low - min) / size) to floor((high - min) / size), within 0..count-1;
// false when none lies there.
bool GridRange(float low, float high, float minimum, float size, uint32_t count, uint32_t& first,
               uint32_t& last)
{
    const double from = std::ceil((double(low) - minimum) / size);
    const double to = std::floor((double(high) - minimum) / size);
    if (!(from <= to) || to < 0.0 || from > double(count - 1))
        return false;
    first = uint32_t(std::max(from, 0.0));
    last = uint32_t(std::min(to, double(count - 1)));
    return true;
}

// Indexes each distinct position once, in the order first met.
class nExactWeld
{
public:
    explicit nExactWeld(uint32_t expected) : m_index(expected) {}

    void operator()(const nVector& point)
    {
        const uint32_t index =
            m_index.FindOrAdd(nTripleKeyMap::PositionKey(point), uint32_t(vertices.size()));
        if (index == vertices.size())
            vertices.push_back(nVector(point.x, point.y, point.z, 1.0f));
        indices.push_back(index);
    }

    std::vector<nVector> vertices;
    std::vector<uint32_t> indices;

private:
    nTripleKeyMap m_index;
};
} // namespace

bool nIsosurface::SetVolume(const nVector& minimum, const nVector& maximum, uint32_t countX, uint32_t countY,
                            uint32_t countZ)
{
    m_count[0] = m_count[1] = m_count[2] = 0;
    m_field.clear();
    m_activeCells.clear();
    const uint32_t counts[3] = {countX, countY, countZ};
    const float low[3] = {minimum.x, minimum.y, minimum.z};
    const float high[3] = {maximum.x, maximum.y, maximum.z};
    uint64_t points = 1;
    for (int axis = 0; axis < 3; ++axis)
    {
        const float extent = high[axis] - low[axis];
        if (counts[axis] < 2 || !(extent > 0.0f) || !std::isfinite(extent) || !std::isfinite(low[axis]))
            return false;
        points *= counts[axis];
        if (points > MaxGridPoints)
            return false;
    }
    for (int axis = 0; axis < 3; ++axis)
    {
        m_count[axis] = counts[axis];
        m_cellSize[axis] = (high[axis] - low[axis]) / float(counts[axis]);
    }
    m_min = nVector(minimum.x, minimum.y, minimum.z, 1.0f);
    m_field.assign(size_t(points), 0.0f);
    return true;
}

bool nIsosurface::IsUsableBall(const nVector& centre, float radius)
{
    return radius > 0.0f && std::isfinite(radius * radius) && nTripleKeyMap::IsFinite(centre);
}

nVector nIsosurface::GridPoint(uint32_t x, uint32_t y, uint32_t z) const
{
    return nVector(m_min.x + float(x) * m_cellSize[0], m_min.y + float(y) * m_cellSize[1],
                   m_min.z + float(z) * m_cellSize[2], 1.0f);
}

void nIsosurface::ComputeField(uint32_t count, const nVector* centres, const float* radii)
{
    std::fill(m_field.begin(), m_field.end(), 0.0f);
    if (m_field.empty())
        return;
    for (uint32_t ball = 0; ball < count; ++ball)
    {
        const nVector& centre = centres[ball];
        const float radius = radii[ball];
        const float squaredRadius = radius * radius;
        if (!IsUsableBall(centre, radius))
            continue;
        uint32_t first[3], last[3];
        if (!GridRange(centre.x - radius, centre.x + radius, m_min.x, m_cellSize[0], m_count[0], first[0],
                       last[0]) ||
            !GridRange(centre.y - radius, centre.y + radius, m_min.y, m_cellSize[1], m_count[1], first[1],
                       last[1]) ||
            !GridRange(centre.z - radius, centre.z + radius, m_min.z, m_cellSize[2], m_count[2], first[2],
                       last[2]))
            continue;
        for (uint32_t z = first[2]; z <= last[2]; ++z)
            for (uint32_t y = first[1]; y <= last[1]; ++y)
            {
                const nVector row = GridPoint(0, y, z);
                const float dy = row.y - centre.y;
                const float dz = row.z - centre.z;
                const float rowDistance = dy * dy + dz * dz;
                float* field = &m_field[GridIndex(0, y, z)];
                for (uint32_t x = first[0]; x <= last[0]; ++x)
                {
                    const float dx = m_min.x + float(x) * m_cellSize[0] - centre.x;
                    const float distance = dx * dx + rowDistance;
                    if (distance <= squaredRadius)
                    {
                        const float falloff = 1.0f - distance / squaredRadius;
                        field[x] += falloff * falloff;
                    }
                }
            }
    }
    FindActiveCells();
}

// Two passes, counting and then listing: the list is sized once instead of growing through
// copies of megabytes.
void nIsosurface::FindActiveCells()
{
    m_activeCells.clear();
    if (m_field.empty())
        return;
    const size_t dx = 1, dy = m_count[0], dz = size_t(m_count[0]) * m_count[1];
    const auto scan = [&](auto&& visit) {
        for (uint32_t z = 0; z + 1 < m_count[2]; ++z)
            for (uint32_t y = 0; y + 1 < m_count[1]; ++y)
            {
                const float* f = &m_field[GridIndex(0, y, z)];
                for (uint32_t x = 0; x + 1 < m_count[0]; ++x, ++f)
                    if (f[0] > 0.0f || f[dx] > 0.0f || f[dy] > 0.0f || f[dy + dx] > 0.0f || f[dz] > 0.0f ||
                        f[dz + dx] > 0.0f || f[dz + dy] > 0.0f || f[dz + dy + dx] > 0.0f)
                        visit(x, y, z);
            }
    };
    size_t count = 0;
    scan([&count](uint32_t, uint32_t, uint32_t) { ++count; });
    m_activeCells.reserve(count);
    scan([this](uint32_t x, uint32_t y, uint32_t z) { m_activeCells.push_back({x, y, z}); });
}

template <typename Sink> void nIsosurface::PolygoniseCells(Sink& sink) const
{
    using namespace nMarchingCubes;
    const Tables& tables = GetTables();
    for (const Cell& cell : m_activeCells)
    {
        float values[8];
        uint32_t index = 0;
        for (uint32_t corner = 0; corner < 8; ++corner)
        {
            const uint8_t* offset = CornerOffsets[corner];
            values[corner] = m_field[GridIndex(cell.x + offset[0], cell.y + offset[1], cell.z + offset[2])];
            if (m_isoLevel > values[corner])
                index |= 1u << corner;
        }
        const uint16_t crossed = tables.edges[index];
        if (!crossed)
            continue;
        nVector points[12];
        for (uint32_t edge = 0; edge < 12; ++edge)
        {
            if (!(crossed & (1u << edge)))
                continue;
            uint32_t lower = EdgeCorners[edge][0];
            uint32_t upper = EdgeCorners[edge][1];
            const uint8_t* a = CornerOffsets[lower];
            const uint8_t* b = CornerOffsets[upper];
            if (a[0] + a[1] + a[2] > b[0] + b[1] + b[2])
                std::swap(lower, upper);
            const uint8_t* from = CornerOffsets[lower];
            const uint8_t* to = CornerOffsets[upper];
            const nVector p1 = GridPoint(cell.x + from[0], cell.y + from[1], cell.z + from[2]);
            const nVector p2 = GridPoint(cell.x + to[0], cell.y + to[1], cell.z + to[2]);
            const float t = (m_isoLevel - values[lower]) / (values[upper] - values[lower]);
            points[edge] =
                nVector(p1.x + t * (p2.x - p1.x), p1.y + t * (p2.y - p1.y), p1.z + t * (p2.z - p1.z), 1.0f);
        }
        for (const int8_t* edge = tables.triangles[index]; *edge >= 0; ++edge)
            sink(points[*edge]);
    }
}

void nIsosurface::Polygonise(std::vector<nVector>& corners) const
{
    auto append = [&corners](const nVector& point) { corners.push_back(point); };
    PolygoniseCells(append);
}

bool nIsosurface::BuildGeometry(nGeometry& geometry, uint32_t count, const nVector* centres,
                                const float* radii)
{
    geometry.Clear();
    m_indexCount = 0;
    ComputeField(count, centres, radii);
    nExactWeld weld(InitialWeldSize);
    PolygoniseCells(weld);
    m_indexCount = uint32_t(weld.indices.size());
    const uint32_t triangles = m_indexCount / 3;
    if (triangles == 0)
        return false;
    if (!geometry.vertices.ResizeForOverwrite(uint32_t(weld.vertices.size())) ||
        !geometry.SetPolygonCount(triangles))
    {
        nLogHolder::Get() << nString::Format("[!] Could not allocate the isosurface of geometry '%s'.\n",
                                             geometry.GetNameText())
                                 .GetText();
        geometry.Clear();
        return false;
    }
    std::copy(weld.vertices.begin(), weld.vertices.end(), geometry.vertices.GetData());
    for (uint32_t p = 0; p < triangles; ++p)
        *geometry.polygons.At(p) = nPolygon{3, 0, 0};
    if (!geometry.AllocateBindings())
    {
        geometry.Clear();
        return false;
    }
    std::copy(weld.indices.begin(), weld.indices.begin() + size_t(triangles) * 3,
              geometry.bindings.GetData());
    geometry.ComputeVertexNormals(true, -1.0f);
    geometry.box = geometry.GetMinMax(nullptr);
    return true;
}
