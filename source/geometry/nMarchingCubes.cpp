#include "geometry/nMarchingCubes.h"

#include <cassert>

namespace nMarchingCubes
{
const uint8_t EdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                    {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
const uint8_t CornerOffsets[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                     {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

namespace
{
// The six faces, each as its corners in order round it.
const uint8_t FaceCorners[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                   {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};

constexpr int NoEdge = -1;

int EdgeOf(int a, int b)
{
    for (int e = 0; e < 12; ++e)
        if ((EdgeCorners[e][0] == a && EdgeCorners[e][1] == b) ||
            (EdgeCorners[e][0] == b && EdgeCorners[e][1] == a))
            return e;
    return NoEdge;
}

struct Point
{
    float x, y, z;
};

Point Midpoint(int edge)
{
    const uint8_t* a = CornerOffsets[EdgeCorners[edge][0]];
    const uint8_t* b = CornerOffsets[EdgeCorners[edge][1]];
    return {0.5f * float(a[0] + b[0]), 0.5f * float(a[1] + b[1]), 0.5f * float(a[2] + b[2])};
}

Point Sub(const Point& a, const Point& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Point Cross(const Point& a, const Point& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool ShareAFace(int edgeA, int edgeB)
{
    for (const uint8_t* face : FaceCorners)
    {
        int found = 0;
        for (int k = 0; k < 4; ++k)
        {
            const int edge = EdgeOf(face[k], face[(k + 1) % 4]);
            found += edge == edgeA || edge == edgeB;
        }
        if (found == 2)
            return true;
    }
    return false;
}

// A triangulation of the loop whose only triangle sides in a cube face are the loop's own sides:
// a diagonal between two points of one face would lie in that face, where the neighbouring cell
// may draw the same diagonal, and four triangles would then meet at one edge. Every loop of the
// 256 cases has one; split[i][j] is the apex of the triangle over the side from loop[i] to loop[j].
struct LoopTriangulation
{
    const int* loop;
    int length;
    int8_t split[12][12];

    bool Usable(int i, int j) const { return j - i == 1 || !ShareAFace(loop[i], loop[j]); }

    bool Solve()
    {
        for (int span = 2; span < length; ++span)
            for (int i = 0; i + span < length; ++i)
            {
                const int j = i + span;
                split[i][j] = -1;
                for (int k = i + 1; k < j && split[i][j] < 0; ++k)
                    if (Usable(i, k) && Usable(k, j) && (k - i < 2 || split[i][k] >= 0) &&
                        (j - k < 2 || split[k][j] >= 0))
                        split[i][j] = int8_t(k);
            }
        return split[0][length - 1] >= 0;
    }

    template <typename Emit> void Walk(int i, int j, Emit&& emit) const
    {
        if (j - i < 2)
            return;
        const int k = split[i][j];
        emit(loop[i], loop[k], loop[j]);
        Walk(i, k, emit);
        Walk(k, j, emit);
    }
};

// The surface of one case is the union of closed loops through the crossed edges: every crossed
// edge borders two faces, and each face joins its crossed edges in pairs. Each loop is
// triangulated without a diagonal in a cube face, turned to face the corners below the level.
void BuildCase(uint32_t index, Tables& tables)
{
    const auto below = [index](int corner) { return ((index >> corner) & 1u) != 0; };
    int neighbours[12][2];
    int neighbourCount[12] = {};
    uint16_t crossed = 0;
    const auto join = [&](int a, int b)
    {
        neighbours[a][neighbourCount[a]++] = b;
        neighbours[b][neighbourCount[b]++] = a;
    };
    for (const uint8_t* face : FaceCorners)
    {
        int edges[4];
        int cut[4];
        int cutCount = 0;
        for (int k = 0; k < 4; ++k)
        {
            edges[k] = EdgeOf(face[k], face[(k + 1) % 4]);
            if (below(face[k]) != below(face[(k + 1) % 4]))
                cut[cutCount++] = k;
        }
        if (cutCount == 2)
            join(edges[cut[0]], edges[cut[1]]);
        else if (cutCount == 4)
            for (int k = 0; k < 4; ++k)
                if (below(face[k]))
                    join(edges[(k + 3) % 4], edges[k]);
    }
    for (int e = 0; e < 12; ++e)
        if (neighbourCount[e])
            crossed |= uint16_t(1u << e);
    tables.edges[index] = crossed;

    int written = 0;
    bool visited[12] = {};
    for (int start = 0; start < 12; ++start)
    {
        if (!neighbourCount[start] || visited[start])
            continue;
        int loop[12];
        int length = 0;
        for (int previous = NoEdge, current = start; !visited[current];)
        {
            visited[current] = true;
            loop[length++] = current;
            const int next =
                neighbours[current][0] != previous ? neighbours[current][0] : neighbours[current][1];
            previous = current;
            current = next;
        }
        Point normal{0.0f, 0.0f, 0.0f};
        Point towardsBelow{0.0f, 0.0f, 0.0f};
        const Point origin = Midpoint(loop[0]);
        for (int i = 0; i < length; ++i)
        {
            if (i >= 1 && i + 1 < length)
            {
                const Point c = Cross(Sub(Midpoint(loop[i]), origin), Sub(Midpoint(loop[i + 1]), origin));
                normal = {normal.x + c.x, normal.y + c.y, normal.z + c.z};
            }
            const int corner =
                below(EdgeCorners[loop[i]][0]) ? EdgeCorners[loop[i]][0] : EdgeCorners[loop[i]][1];
            const uint8_t* offset = CornerOffsets[corner];
            const Point d = Sub({float(offset[0]), float(offset[1]), float(offset[2])}, Midpoint(loop[i]));
            towardsBelow = {towardsBelow.x + d.x, towardsBelow.y + d.y, towardsBelow.z + d.z};
        }
        const bool reversed =
            normal.x * towardsBelow.x + normal.y * towardsBelow.y + normal.z * towardsBelow.z < 0.0f;
        LoopTriangulation triangulation{loop, length, {}};
        [[maybe_unused]] const bool solved = triangulation.Solve();
        assert(solved);
        triangulation.Walk(0, length - 1,
                           [&](int a, int b, int c)
                           {
                               tables.triangles[index][written++] = int8_t(a);
                               tables.triangles[index][written++] = int8_t(reversed ? c : b);
                               tables.triangles[index][written++] = int8_t(reversed ? b : c);
                           });
    }
    assert(written < int(TriangleTableWidth));
    for (; written < int(TriangleTableWidth); ++written)
        tables.triangles[index][written] = -1;
}

Tables BuildTables()
{
    Tables tables{};
    for (uint32_t index = 0; index < CaseCount; ++index)
        BuildCase(index, tables);
    return tables;
}
} // namespace

const Tables& GetTables()
{
    static const Tables tables = BuildTables();
    return tables;
}
} // namespace nMarchingCubes
