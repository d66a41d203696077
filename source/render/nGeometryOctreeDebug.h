#pragma once

class nGeometryOctreeNode;
class nMatrix4;
class nRenderer;

// Draws the box of every leaf of a geometry octree, through the matrix when one is given, in a
// colour that changes with the node's depth.
void DrawGeometryOctree(nRenderer& renderer, const nGeometryOctreeNode& root, const nMatrix4* matrix);
