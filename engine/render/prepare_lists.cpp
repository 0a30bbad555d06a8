// Shapes prepared into Render lists: each appends its vertices to the 2D,
// screen or 3D list of the record, or nothing when the list is too full.
#include "engine/vorn.h"

namespace {

// One vertex to append: position, texture coordinates and colour.
struct Point {
  float x, y, u, v;
  D3DCOLOR colour;
};

// k vertices fit while the count is below the capacity minus k; a single
// point needs only a free slot.
bool Fits(int count, int capacity, int k, bool point) {
  return point ? count < capacity : count < capacity - k;
}

// Appends to the 2D list: x, y and the colour, u and v when `textured`;
// z keeps what the clear left (0).
void Append2D(Render& R, const Point* p, int k, bool textured, bool point = false) {
  if (!R.verts2D || !Fits(R.count2D, R.max2D, k, point)) return;
  for (int i = 0; i < k; ++i) {
    Vertex2D& v = R.verts2D[R.count2D++];
    v.x = p[i].x;
    v.y = p[i].y;
    v.colour = p[i].colour;
    if (textured) {
      v.u = p[i].u;
      v.v = p[i].v;
    }
  }
}

// Appends to the screen list, converting relative positions to pixels of
// the record's engine now, so the list stays right if the flag changes.
void AppendScreen(Render& R, const Point* p, int k, bool textured, bool point = false) {
  if (!R.vertsScreen || !Fits(R.countScreen, R.maxScreen, k, point)) return;
  const bool relative = R.engine && R.engine->m_bRelativeScaling;
  for (int i = 0; i < k; ++i) {
    VertexScreen& v = R.vertsScreen[R.countScreen++];
    v.x = relative ? R.engine->RelativeToPixelX(p[i].x) : p[i].x;
    v.y = relative ? R.engine->RelativeToPixelY(p[i].y) : p[i].y;
    v.z = 0.0f;
    v.rhw = 1.0f;
    v.colour = p[i].colour;
    if (textured) {
      v.u = p[i].u;
      v.v = p[i].v;
    }
  }
}

void Box(float x1, float y1, float x2, float y2, D3DCOLOR c, Point (&p)[8]) {
  const Point box[8] = {{x1, y1, 0, 0, c}, {x2, y1, 0, 0, c}, {x2, y1, 0, 0, c}, {x2, y2, 0, 0, c},
                        {x2, y2, 0, 0, c}, {x1, y2, 0, 0, c}, {x1, y2, 0, 0, c}, {x1, y1, 0, 0, c}};
  for (int i = 0; i < 8; ++i) p[i] = box[i];
}

void Bar(float x1, float y1, float x2, float y2, float u1, float v1, float u2, float v2, D3DCOLOR c,
         Point (&p)[6]) {
  const Point bar[6] = {{x1, y1, u1, v1, c}, {x2, y1, u2, v1, c}, {x2, y2, u2, v2, c},
                        {x1, y1, u1, v1, c}, {x2, y2, u2, v2, c}, {x1, y2, u1, v2, c}};
  for (int i = 0; i < 6; ++i) p[i] = bar[i];
}

}  // namespace

void Vorn::PreparePoint(Render& R, float x, float y, float r, float g, float b, float a) {
  const Point p = {x, y, 0, 0, PackColour(r, g, b, a)};
  Append2D(R, &p, 1, false, true);
}

void Vorn::PrepareScreenPoint(Render& R, float x, float y, float r, float g, float b, float a) {
  const Point p = {x, y, 0, 0, PackColour(r, g, b, a)};
  AppendScreen(R, &p, 1, false, true);
}

void Vorn::PrepareLine(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b,
                       float a) {
  const D3DCOLOR c = PackColour(r, g, b, a);
  const Point p[2] = {{x1, y1, 0, 0, c}, {x2, y2, 0, 0, c}};
  Append2D(R, p, 2, false);
}

void Vorn::PrepareScreenLine(Render& R, float x1, float y1, float x2, float y2, float r, float g,
                             float b, float a) {
  const D3DCOLOR c = PackColour(r, g, b, a);
  const Point p[2] = {{x1, y1, 0, 0, c}, {x2, y2, 0, 0, c}};
  AppendScreen(R, p, 2, false);
}

void Vorn::PrepareBox(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b,
                      float a) {
  Point p[8];
  Box(x1, y1, x2, y2, PackColour(r, g, b, a), p);
  Append2D(R, p, 8, false);
}

void Vorn::PrepareScreenBox(Render& R, float x1, float y1, float x2, float y2, float r, float g,
                            float b, float a) {
  Point p[8];
  Box(x1, y1, x2, y2, PackColour(r, g, b, a), p);
  AppendScreen(R, p, 8, false);
}

void Vorn::PrepareBar(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b,
                      float a) {
  Point p[6];
  Bar(x1, y1, x2, y2, 0, 0, 0, 0, PackColour(r, g, b, a), p);
  Append2D(R, p, 6, false);
}

void Vorn::PrepareScreenBar(Render& R, float x1, float y1, float x2, float y2, float r, float g,
                            float b, float a) {
  Point p[6];
  Bar(x1, y1, x2, y2, 0, 0, 0, 0, PackColour(r, g, b, a), p);
  AppendScreen(R, p, 6, false);
}

void Vorn::PrepareTextureBar(Render& R, float x1, float y1, float x2, float y2, float u1, float v1,
                             float u2, float v2, float r, float g, float b, float a) {
  Point p[6];
  Bar(x1, y1, x2, y2, u1, v1, u2, v2, PackColour(r, g, b, a), p);
  Append2D(R, p, 6, true);
}

void Vorn::PrepareScreenTextureBar(Render& R, float x1, float y1, float x2, float y2, float u1,
                                   float v1, float u2, float v2, float r, float g, float b,
                                   float a) {
  Point p[6];
  Bar(x1, y1, x2, y2, u1, v1, u2, v2, PackColour(r, g, b, a), p);
  AppendScreen(R, p, 6, true);
}

void Vorn::PreparePoly(Render& R, float x1, float y1, float x2, float y2, float x3, float y3,
                       float u1, float v1, float u2, float v2, float u3, float v3, float r, float g,
                       float b, float a) {
  const D3DCOLOR c = PackColour(r, g, b, a);
  const Point p[3] = {{x1, y1, u1, v1, c}, {x2, y2, u2, v2, c}, {x3, y3, u3, v3, c}};
  Append2D(R, p, 3, true);
}

void Vorn::PrepareScreenPoly(Render& R, float x1, float y1, float x2, float y2, float x3, float y3,
                             float u1, float v1, float u2, float v2, float u3, float v3, float r,
                             float g, float b, float a) {
  const D3DCOLOR c = PackColour(r, g, b, a);
  const Point p[3] = {{x1, y1, u1, v1, c}, {x2, y2, u2, v2, c}, {x3, y3, u3, v3, c}};
  AppendScreen(R, p, 3, true);
}

void Vorn::PreparePolyCol(Render& R, float x1, float y1, float x2, float y2, float x3, float y3,
                          float r1, float g1, float b1, float a1, float r2, float g2, float b2,
                          float a2, float r3, float g3, float b3, float a3) {
  const Point p[3] = {{x1, y1, 0, 0, PackColour(r1, g1, b1, a1)},
                      {x2, y2, 0, 0, PackColour(r2, g2, b2, a2)},
                      {x3, y3, 0, 0, PackColour(r3, g3, b3, a3)}};
  Append2D(R, p, 3, false);
}

void Vorn::PrepareScreenPolyCol(Render& R, float x1, float y1, float x2, float y2, float x3,
                                float y3, float r1, float g1, float b1, float a1, float r2, float g2,
                                float b2, float a2, float r3, float g3, float b3, float a3) {
  const Point p[3] = {{x1, y1, 0, 0, PackColour(r1, g1, b1, a1)},
                      {x2, y2, 0, 0, PackColour(r2, g2, b2, a2)},
                      {x3, y3, 0, 0, PackColour(r3, g3, b3, a3)}};
  AppendScreen(R, p, 3, false);
}

// 3D points and lines write the position and the diffuse colour only. A
// point is one vertex but needs the room of two.
void Vorn::PreparePoint3D(Render& R, float x, float y, float z, float r, float g, float b, float a) {
  if (!R.verts3D || R.count3D >= R.max3D - 2) return;
  Vertex3D& v = R.verts3D[R.count3D++];
  v.x = x;
  v.y = y;
  v.z = z;
  v.diffuse = PackColour(r, g, b, a);
}

void Vorn::PrepareLine3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2,
                         float r, float g, float b, float a) {
  if (!R.verts3D || R.count3D >= R.max3D - 2) return;
  const D3DCOLOR c = PackColour(r, g, b, a);
  const float ends[2][3] = {{x1, y1, z1}, {x2, y2, z2}};
  for (const auto& e : ends) {
    Vertex3D& v = R.verts3D[R.count3D++];
    v.x = e[0];
    v.y = e[1];
    v.z = e[2];
    v.diffuse = c;
  }
}
