#include "geometry/nGeometryTemplate.h"

#include "core/base/nLog.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "geometry/nTripleKeyMap.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace
{
constexpr uint32_t NoVertex = UINT32_MAX;

// Beyond this a cell coordinate is clamped; positions that far out in cells are either equal on
// that axis or too far apart to merge, so the clamp never hides a neighbour.
constexpr double MaxCellCoordinate = 4.0e18;

float SquaredDistance(const nVector& a, const nVector& b)
{
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// Opens vertices for corners taken in some order, each corner joining the first vertex opened
// within the threshold. A position met before gets the same answer again: the vertices opened
// since then all come later. Otherwise the vertices are found through cells 2.5 roots of the
// threshold wide: a vertex within the threshold of a corner lies in the corner's cell or in the
// neighbour on the side of the cell that the corner is nearer, on each axis, so eight cells hold
// every candidate. Each cell lists its vertices in opening order, so a walk stops at the first
// within reach.
class nCornerWeld
{
public:
    explicit nCornerWeld(float threshold) : m_threshold(threshold), m_cellSize(2.5 * std::sqrt(double(threshold))) {}

    uint32_t Add(const nVector& position)
    {
        if (!nTripleKeyMap::IsFinite(position) || !(m_threshold >= 0.0f))
            return Open(position);
        uint32_t& known = m_positions.FindOrAdd(nTripleKeyMap::PositionKey(position), NoVertex);
        if (known == NoVertex)
            known = m_threshold == 0.0f ? Open(position) : Search(position);
        return known;
    }

    std::vector<nVector> vertices;

private:
    struct Chain
    {
        uint32_t head, tail;
    };

    uint32_t Search(const nVector& position)
    {
        int64_t own[3], near[3];
        const float coordinates[3] = {position.x, position.y, position.z};
        for (int axis = 0; axis < 3; ++axis)
        {
            const double scaled = double(coordinates[axis]) / m_cellSize;
            const double cell = std::clamp(std::floor(scaled), -MaxCellCoordinate, MaxCellCoordinate);
            own[axis] = int64_t(cell);
            near[axis] = scaled - cell < 0.5 ? own[axis] - 1 : own[axis] + 1;
        }
        uint32_t best = NoVertex;
        for (int corner = 0; corner < 8; ++corner)
        {
            const nTripleKeyMap::Key key{uint64_t(corner & 1 ? near[0] : own[0]),
                                         uint64_t(corner & 2 ? near[1] : own[1]),
                                         uint64_t(corner & 4 ? near[2] : own[2])};
            const uint32_t* chain = m_cells.Find(key);
            for (uint32_t vertex = chain ? m_chains[*chain].head : NoVertex; vertex < best;
                 vertex = m_next[vertex])
                if (SquaredDistance(position, vertices[vertex]) <= m_threshold)
                {
                    best = vertex;
                    break;
                }
        }
        if (best != NoVertex)
            return best;
        const uint32_t vertex = Open(position);
        const uint32_t chain = m_cells.FindOrAdd({uint64_t(own[0]), uint64_t(own[1]), uint64_t(own[2])},
                                                 uint32_t(m_chains.size()));
        if (chain == m_chains.size())
            m_chains.push_back({vertex, vertex});
        else
        {
            m_next[m_chains[chain].tail] = vertex;
            m_chains[chain].tail = vertex;
        }
        return vertex;
    }

    uint32_t Open(const nVector& position)
    {
        vertices.push_back(nVector(position.x, position.y, position.z, 1.0f));
        m_next.push_back(NoVertex);
        return uint32_t(vertices.size() - 1);
    }

    float m_threshold;
    double m_cellSize;
    nTripleKeyMap m_positions{1024}; // the vertex each position met so far joined
    nTripleKeyMap m_cells{1024};     // the chain of each cell
    std::vector<Chain> m_chains;
    std::vector<uint32_t> m_next; // the next vertex of the same cell
};

// Corners sorted by squared distance to the first one, nearest first; equal distances keep
// polygon order, and a distance that is not a number comes last.
std::vector<uint32_t> SortByDistanceToFirst(const std::vector<nVector>& corners)
{
    std::vector<float> keys(corners.size());
    for (size_t i = 0; i < corners.size(); ++i)
        keys[i] = SquaredDistance(corners[i], corners[0]);
    std::vector<uint32_t> order(corners.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](uint32_t a, uint32_t b)
                     { return !std::isnan(keys[a]) && (std::isnan(keys[b]) || keys[a] < keys[b]); });
    return order;
}

template <typename T>
void FillAttribute(nGeometry& geometry, nAutoArray<T>& array,
                   const std::vector<T>& (*values)(const nGeometryTemplate::Polygon&),
                   const std::vector<std::unique_ptr<nGeometryTemplate::Polygon>>& polygons)
{
    if (values(*polygons.front()).empty())
        return;
    if (!array.Resize(geometry.bindings.GetCount()))
    {
        nLogHolder::Get() << nString::Format(
                                 "[!] Failed to allocate attribute array while creating geometry '%s'.\n",
                                 geometry.GetNameText())
                                 .GetText();
        return;
    }
    for (uint32_t p = 0; p < polygons.size(); ++p)
    {
        const std::vector<T>& polygonValues = values(*polygons[p]);
        if (polygonValues.size() != polygons[p]->vertices.size())
        {
            nLogHolder::Get() << nString::Format("[*] Incoherent normal count in polygon %u\n", p).GetText();
            continue;
        }
        std::copy(polygonValues.begin(), polygonValues.end(),
                  array.At(geometry.polygons.At(p)->firstBinding));
    }
}

nLog& Log()
{
    return nLogHolder::Get();
}
} // namespace

void nGeometryTemplate::BeginPolygon()
{
    m_current = std::make_unique<Polygon>();
}

nGeometryTemplate::Polygon* nGeometryTemplate::CurrentForPush()
{
    if (!m_current)
        Log() << "[!] You must begin a polygon before pushing attributes.\n";
    return m_current.get();
}

bool nGeometryTemplate::PushVertex(const nVector& position)
{
    Polygon* polygon = CurrentForPush();
    if (!polygon)
        return false;
    if (polygon->vertices.size() >= nGeometry::MaxPolygonBindings)
    {
        if (!polygon->tooManyVerticesReported)
            Log() << nString::Format("[!] A polygon holds at most %u vertices.\n",
                                     nGeometry::MaxPolygonBindings)
                         .GetText();
        polygon->tooManyVerticesReported = true;
        return false;
    }
    polygon->vertices.push_back(nVector(position.x, position.y, position.z, 1.0f));
    return true;
}

bool nGeometryTemplate::PushNormal(const nVector& normal)
{
    Polygon* polygon = CurrentForPush();
    if (polygon)
        polygon->normals.push_back(nVector(normal.x, normal.y, normal.z, 1.0f));
    return polygon != nullptr;
}

bool nGeometryTemplate::PushColor(const nColor& color)
{
    Polygon* polygon = CurrentForPush();
    if (polygon)
        polygon->colors.push_back(color);
    return polygon != nullptr;
}

bool nGeometryTemplate::PushUV(int32_t set, const nUV& uv)
{
    Polygon* polygon = CurrentForPush();
    if (!polygon)
        return false;
    if (set < 0 || set >= int32_t(nUVMapCount))
    {
        Log() << nString::Format("[!] UV set %d is out of range.\n", set).GetText();
        return false;
    }
    polygon->uvSets[set].push_back(uv);
    return true;
}

bool nGeometryTemplate::EndPolygon(uint32_t material)
{
    if (!m_current)
    {
        Log() << "[!] You must begin a polygon before ending it.\n";
        return false;
    }
    m_current->material = material;
    m_polygons.push_back(std::move(m_current));
    return true;
}

void nGeometryTemplate::Clear()
{
    m_current.reset();
    m_polygons.clear();
}

bool nGeometryTemplate::SetVertexMergeThreshold(float threshold)
{
    if (std::isnan(threshold))
    {
        Log() << "[!] The vertex merge threshold must be a number.\n";
        return false;
    }
    m_mergeThreshold = threshold;
    return true;
}

nGeometry* nGeometryTemplate::Instantiate(nEngineServices* engine, const char* name) const
{
    if (m_materials.empty())
    {
        Log() << "[!] Cannot instantiate a geometry with no material array.\n";
        return nullptr;
    }
    if (m_polygons.empty() || m_polygons.front()->vertices.empty())
    {
        Log() << (m_polygons.empty()
                      ? "[!] Cannot instantiate a geometry without polygons.\n"
                      : "[!] Cannot instantiate a geometry whose first polygon has no vertex.\n");
        return nullptr;
    }
    auto* geometry = new nGeometry(engine);
    if (!geometry)
    {
        Log() << "[!] Geometry allocation error.\n";
        return nullptr;
    }
    geometry->name = name ? name : "";

    std::vector<nVector> corners;
    for (const auto& polygon : m_polygons)
        corners.insert(corners.end(), polygon->vertices.begin(), polygon->vertices.end());
    nCornerWeld weld(m_mergeThreshold);
    std::vector<uint32_t> cornerVertices(corners.size());
    for (uint32_t corner : SortByDistanceToFirst(corners))
        cornerVertices[corner] = weld.Add(corners[corner]);

    if (!geometry->vertices.ResizeForOverwrite(uint32_t(weld.vertices.size())) ||
        !geometry->SetPolygonCount(uint32_t(m_polygons.size())))
    {
        Log() << nString::Format("[!] Failed to allocate attribute array while creating geometry '%s'.\n",
                                 geometry->GetNameText())
                     .GetText();
        delete geometry;
        return nullptr;
    }
    std::copy(weld.vertices.begin(), weld.vertices.end(), geometry->vertices.GetData());
    for (uint32_t p = 0; p < m_polygons.size(); ++p)
    {
        nPolygon& polygon = *geometry->polygons.At(p);
        polygon.bindingCount = uint16_t(m_polygons[p]->vertices.size());
        polygon.material = uint16_t(m_polygons[p]->material);
        if (m_polygons[p]->material >= m_materials.size())
        {
            Log() << nString::Format(
                         "[*] Polygon %u is referencing a material outside of the material table.\n", p)
                         .GetText();
            polygon.material = 0;
        }
    }
    if (!geometry->AllocateBindings())
    {
        Log() << nString::Format("[!] Failed to allocate attribute array while creating geometry '%s'.\n",
                                 geometry->GetNameText())
                     .GetText();
        delete geometry;
        return nullptr;
    }
    std::copy(cornerVertices.begin(), cornerVertices.end(), geometry->bindings.GetData());

    using Values = const nGeometryTemplate::Polygon&;
    FillAttribute<nVector>(
        *geometry, geometry->vertexNormals, [](Values p) -> const std::vector<nVector>& { return p.normals; },
        m_polygons);
    FillAttribute<nColor>(
        *geometry, geometry->colors, [](Values p) -> const std::vector<nColor>& { return p.colors; },
        m_polygons);
    FillAttribute<nUV>(
        *geometry, geometry->uvSets[0], [](Values p) -> const std::vector<nUV>& { return p.uvSets[0]; },
        m_polygons);
    FillAttribute<nUV>(
        *geometry, geometry->uvSets[1], [](Values p) -> const std::vector<nUV>& { return p.uvSets[1]; },
        m_polygons);
    FillAttribute<nUV>(
        *geometry, geometry->uvSets[2], [](Values p) -> const std::vector<nUV>& { return p.uvSets[2]; },
        m_polygons);

    if (!geometry->AllocateMaterials(uint32_t(m_materials.size()), false))
    {
        Log() << nString::Format("[!] Failed to allocate material array when creating geometry '%s'.\n",
                                 geometry->GetNameText())
                     .GetText();
        delete geometry;
        return nullptr;
    }
    for (uint32_t m = 0; m < m_materials.size(); ++m)
        *geometry->materials.At(m) = m_materials[m];
    geometry->Check();
    geometry->box = geometry->GetMinMax(nullptr);
    return geometry;
}
