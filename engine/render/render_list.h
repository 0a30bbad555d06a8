// Render: a caller-owned record of three vertex lists (scaled 2D, screen
// and 3D) that prepare operations fill and one draw call each draws.
#pragma once

#include "engine/render/vertex_layouts.h"

class Vorn;

struct Render {
  int max2D;
  int max3D;
  int count2D;
  int count3D;
  int maxScreen;
  int countScreen;
  Vertex3D* verts3D;
  Vertex2D* verts2D;
  VertexScreen* vertsScreen;
  Vorn* engine;

  // Each clear touches indices 0 to the capacity inclusive: the arrays hold
  // one record more than their capacity.
  void Clear2D();
  void ClearScreenList();
  void Clear3D();
  // A 3D list of 16,380 vertices (16,381 records).
  void Allocate3D();
  void Free();
};
