// One square cell of the polygon tests' grid: its corners on the wave
// z = 3 sin(x / 10), their texture coordinates and the normals of its two
// triangles, (0, 1, 2) and (0, 2, 3).
#pragma once

#include "platform/d3dx/d3dx9.h"

struct GridCell {
  // Corners (x, y), (x + s, y), (x + s, y + s), (x, y + s).
  D3DXVECTOR3 corner[4];
  float u[4], v[4];
  // The face normals of the two triangles.
  D3DXVECTOR3 faceNormal[2];
  // The smoothed normals of the tri-lit variant: `left` for the corners at
  // x, from a triangle reaching back into the previous column, and `right`
  // for the corners at x + s, the first triangle's face normal.
  D3DXVECTOR3 left, right;
};

// The two triangles of a cell as corner indices.
constexpr int kCellTriangles[2][3] = {{0, 1, 2}, {0, 2, 3}};

// The tri-lit normal of corner i: `left` at x, `right` at x + s.
inline const D3DXVECTOR3& SmoothNormal(const GridCell& c, int i) {
  return i == 0 || i == 3 ? c.left : c.right;
}

// The wave's height at x.
float GridHeight(float x);

// The cell at (x, y) of side `size`; `wave` false keeps it flat (z = 0),
// and its normals are then left unset.
GridCell MakeGridCell(float x, float y, float size, bool wave);
