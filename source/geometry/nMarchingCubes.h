#pragma once

#include <cstdint>

// The marching-cubes cases in the usual numbering: corner i of a cell is at offset
// (i & 1) ^ ((i >> 1) & 1), (i >> 1) & 1, i >> 2 (0 at the origin, 1 to 3 round the bottom face,
// 4 to 7 above them); edges 0 to 3 join the bottom corners in order, 4 to 7 the top ones, 8 to 11
// rise from corner 0 to 3. Bit i of a case is set when corner i lies below the iso level.
namespace nMarchingCubes
{
constexpr uint32_t CaseCount = 256;
constexpr uint32_t TriangleTableWidth = 16;

extern const uint8_t EdgeCorners[12][2];
extern const uint8_t CornerOffsets[8][3];

// Per case: the edges the surface crosses (bit e for edge e), and up to five triangles as edge
// triples closed by -1. A triangle's winding, by the right-hand rule, faces the corners below
// the level. Each face of a cell is cut the same way from both of its cells (on a face with two
// opposite corners below the level, those two corners are cut off), so the surface is closed.
struct Tables
{
    uint16_t edges[CaseCount];
    int8_t triangles[CaseCount][TriangleTableWidth];
};

const Tables& GetTables();
} // namespace nMarchingCubes
