// MakeGridCell: corners, texture coordinates and normals of one grid cell.
#include "app/cases/3d/grid_cell.h"

#include <cmath>

#include "engine/vorn.h"

float GridHeight(float x) { return static_cast<float>(3.0 * std::sin(x / 10.0)); }

GridCell MakeGridCell(float x, float y, float size, bool wave) {
  GridCell c;
  const float x2 = x + size;
  const float y2 = y + size;
  const float z1 = wave ? GridHeight(x) : 0.0f;
  const float z2 = wave ? GridHeight(x2) : 0.0f;
  c.corner[0] = D3DXVECTOR3(x, y, z1);
  c.corner[1] = D3DXVECTOR3(x2, y, z2);
  c.corner[2] = D3DXVECTOR3(x2, y2, z2);
  c.corner[3] = D3DXVECTOR3(x, y2, z1);
  for (int i = 0; i < 4; ++i) {
    c.u[i] = (c.corner[i].x + 50.0f) / 100.0f;
    c.v[i] = (c.corner[i].y + 50.0f) / 100.0f;
  }
  if (!wave) return c;
  ComputeFaceNormal(c.faceNormal[0], c.corner[0], c.corner[1], c.corner[2]);
  ComputeFaceNormal(c.faceNormal[1], c.corner[0], c.corner[2], c.corner[3]);
  const D3DXVECTOR3 back(x - size, y, GridHeight(x - size));
  ComputeFaceNormal(c.left, back, c.corner[0], c.corner[3]);
  c.right = c.faceNormal[0];
  return c;
}
