// Textured bars prepared into Render lists, in scaled 2D and screen space.
#include "engine/vorn.h"

void Vorn::PrepareTextureBar(Render& R, float x1, float y1, float x2, float y2, float u1, float v1,
                             float u2, float v2, float r, float g, float b, float a) {
  if (!R.verts2D || R.count2D >= R.max2D - 6) return;
  const D3DCOLOR colour = PackColour(r, g, b, a);
  const float corners[6][4] = {
      {x1, y1, u1, v1}, {x2, y1, u2, v1}, {x2, y2, u2, v2},
      {x1, y1, u1, v1}, {x2, y2, u2, v2}, {x1, y2, u1, v2},
  };
  for (const auto& c : corners) {
    Vertex2D& v = R.verts2D[R.count2D++];
    v.x = c[0];
    v.y = c[1];
    v.colour = colour;
    v.u = c[2];
    v.v = c[3];
  }
}

void Vorn::PrepareScreenTextureBar(Render& R, float x1, float y1, float x2, float y2, float u1,
                                   float v1, float u2, float v2, float r, float g, float b,
                                   float a) {
  if (!R.vertsScreen || R.countScreen >= R.maxScreen - 6) return;
  if (R.engine && R.engine->m_bRelativeScaling) {
    x1 = R.engine->RelativeToPixelX(x1);
    x2 = R.engine->RelativeToPixelX(x2);
    y1 = R.engine->RelativeToPixelY(y1);
    y2 = R.engine->RelativeToPixelY(y2);
  }
  const D3DCOLOR colour = PackColour(r, g, b, a);
  const float corners[6][4] = {
      {x1, y1, u1, v1}, {x2, y1, u2, v1}, {x2, y2, u2, v2},
      {x1, y1, u1, v1}, {x2, y2, u2, v2}, {x1, y2, u1, v2},
  };
  for (const auto& c : corners) {
    VertexScreen& v = R.vertsScreen[R.countScreen++];
    v.x = c[0];
    v.y = c[1];
    v.z = 0.0f;
    v.rhw = 1.0f;
    v.colour = colour;
    v.u = c[2];
    v.v = c[3];
  }
}
