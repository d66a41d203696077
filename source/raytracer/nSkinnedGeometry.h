#pragma once

#include <cstdint>

class nGeometry;
class nMatrix4;

// A copy of a skinned geometry in the pose its skin matrices give: positions, corner normals and
// tangent frames blended over up to four bones per vertex (a zero weight ends a vertex's list),
// everything else copied and the material slots shared. Null after a log line when memory runs
// out. Bone indices beyond the matrices are ignored.
nGeometry* CreateSkinnedGeometry(const nGeometry& source, const nMatrix4* skinMatrices, uint32_t count);
