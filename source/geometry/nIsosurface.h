#pragma once

#include "core/math/nVector.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class nGeometry;

// Metaballs turned into a triangle mesh: the summed field of the balls is sampled on a regular
// grid, the cells that the iso level crosses are polygonised by marching cubes, and the corners
// are welded by exact position into a geometry.
//
// Grid point (x, y, z) lies at min + (x, y, z) x cell size, cell size = extent / count, for x below
// the x count and so on: the points stop one cell short of the maximum. A crossing point is always
// interpolated from the lower grid point of its edge, so the cells on both sides of an edge compute
// the same bits and the weld closes the mesh. Everything a build writes belongs to that build, so
// isosurfaces can be built on several threads at once.
class nIsosurface
{
public:
    static constexpr float DefaultIsoLevel = 0.99f;

    struct Cell
    {
        uint32_t x, y, z;
    };

    // False, with the volume left empty, for counts below 2, more grid points than an array can
    // hold, or a box that is not finite or has no positive extent on some axis.
    bool SetVolume(const nVector& minimum, const nVector& maximum, uint32_t countX, uint32_t countY,
                   uint32_t countZ);
    float GetIsoLevel() const { return m_isoLevel; }
    void SetIsoLevel(float level) { m_isoLevel = level; }

    // Clears the geometry, then gives it one vertex per welded position, one triangle per three
    // corners on material slot 0, its bindings, vertex normals averaged over every triangle round
    // a vertex, and its box; the material slots are the caller's. Balls whose radius is not
    // positive, or whose centre or radius is not finite, add nothing. False when the surface
    // misses the volume (the geometry stays empty) or an array could not be allocated.
    bool BuildGeometry(nGeometry& geometry, uint32_t count, const nVector* centres, const float* radii);

    // A ball that adds to the field: a finite centre, and a radius above 0 whose square is finite.
    static bool IsUsableBall(const nVector& centre, float radius);

    // The two steps of a build without the weld: the field of the balls, then every triangle
    // corner in order, three per triangle.
    void ComputeField(uint32_t count, const nVector* centres, const float* radii);
    void Polygonise(std::vector<nVector>& corners) const;

    uint32_t GetIndexCount() const { return m_indexCount; }
    const std::vector<Cell>& GetActiveCells() const { return m_activeCells; }

private:
    size_t GridIndex(uint32_t x, uint32_t y, uint32_t z) const
    {
        return (size_t(z) * m_count[1] + y) * m_count[0] + x;
    }
    nVector GridPoint(uint32_t x, uint32_t y, uint32_t z) const;
    void FindActiveCells();
    template <typename Sink> void PolygoniseCells(Sink& sink) const;

    nVector m_min{0.0f, 0.0f, 0.0f, 1.0f};
    uint32_t m_count[3] = {0, 0, 0};
    float m_cellSize[3] = {0.0f, 0.0f, 0.0f};
    std::vector<float> m_field;
    float m_isoLevel = DefaultIsoLevel;
    std::vector<Cell> m_activeCells;
    uint32_t m_indexCount = 0;
};
