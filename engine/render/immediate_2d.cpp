// Immediate 2D primitives: one shape per call, built in the scratch array,
// copied into the start of the shared vertex buffer and drawn at once.
#include <cstring>

#include "engine/render/buffer_fill.h"
#include "engine/vorn.h"

namespace {

// A shape's corners, in the order the device must see them.
struct Corner {
  float x, y, u, v;
};

}  // namespace

void Vorn::DrawScratch2D(int n, D3DPRIMITIVETYPE type, UINT count) {
  if (!m_pD3DDevice || !FillBuffer(m_p2DVB, m_p2DVerts, static_cast<UINT>(n * m_n2DStride))) return;
  if (!m_b2DViewActive) Set2DView(1.0f, 1.0f, 1.0f);
  m_pD3DDevice->DrawPrimitive(type, 0, count);
}

void Vorn::DrawScratchScreen(int n, D3DPRIMITIVETYPE type, UINT count) {
  if (!m_pD3DDevice || !FillBuffer(m_pScreenVB, m_pScreenVerts, static_cast<UINT>(n * m_nScreenStride)))
    return;
  m_pD3DDevice->DrawPrimitive(type, 0, count);
}

namespace {

// Fills scaled 2D vertices: position, z 0 and the colour; texture
// coordinates only when `textured`, otherwise left as they were.
template <int N>
void Fill2D(unsigned char* scratch, const Corner (&corners)[N], D3DCOLOR colour, bool textured) {
  Vertex2D* v = reinterpret_cast<Vertex2D*>(scratch);
  for (int i = 0; i < N; ++i) {
    v[i].x = corners[i].x;
    v[i].y = corners[i].y;
    v[i].z = 0.0f;
    v[i].colour = colour;
    if (textured) {
      v[i].u = corners[i].u;
      v[i].v = corners[i].v;
    }
  }
}

// Fills screen vertices, converting relative positions to pixels first.
template <int N>
void FillScreen(const Vorn& e, unsigned char* scratch, const Corner (&corners)[N], D3DCOLOR colour,
                bool textured) {
  VertexScreen* v = reinterpret_cast<VertexScreen*>(scratch);
  for (int i = 0; i < N; ++i) {
    v[i].x = e.m_bRelativeScaling ? e.RelativeToPixelX(corners[i].x) : corners[i].x;
    v[i].y = e.m_bRelativeScaling ? e.RelativeToPixelY(corners[i].y) : corners[i].y;
    v[i].z = 0.0f;
    v[i].rhw = 1.0f;
    v[i].colour = colour;
    if (textured) {
      v[i].u = corners[i].u;
      v[i].v = corners[i].v;
    }
  }
}

}  // namespace

void Vorn::DrawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  const Corner c[] = {{x1, y1, 0, 0}, {x2, y2, 0, 0}};
  Fill2D(m_p2DVerts, c, PackColour(r, g, b, a), false);
  DrawScratch2D(2, D3DPT_LINESTRIP, 1);
}

void Vorn::DrawScreenLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  const Corner c[] = {{x1, y1, 0, 0}, {x2, y2, 0, 0}};
  FillScreen(*this, m_pScreenVerts, c, PackColour(r, g, b, a), false);
  DrawScratchScreen(2, D3DPT_LINESTRIP, 1);
}

namespace {

void BoxCorners(float x1, float y1, float x2, float y2, Corner (&c)[8]) {
  const Corner box[8] = {{x1, y1, 0, 0}, {x2, y1, 0, 0}, {x2, y1, 0, 0}, {x2, y2, 0, 0},
                         {x2, y2, 0, 0}, {x1, y2, 0, 0}, {x1, y2, 0, 0}, {x1, y1, 0, 0}};
  std::memcpy(c, box, sizeof box);
}

}  // namespace

void Vorn::DrawBox(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  Corner c[8];
  BoxCorners(x1, y1, x2, y2, c);
  Fill2D(m_p2DVerts, c, PackColour(r, g, b, a), false);
  DrawScratch2D(8, D3DPT_LINELIST, 4);
}

void Vorn::DrawScreenBox(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  Corner c[8];
  BoxCorners(x1, y1, x2, y2, c);
  FillScreen(*this, m_pScreenVerts, c, PackColour(r, g, b, a), false);
  DrawScratchScreen(8, D3DPT_LINELIST, 4);
}

void Vorn::DrawBar(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  const Corner c[] = {{x1, y1, 0, 0}, {x2, y1, 0, 0}, {x2, y2, 0, 0}, {x1, y2, 0, 0}};
  Fill2D(m_p2DVerts, c, PackColour(r, g, b, a), false);
  DrawScratch2D(4, D3DPT_TRIANGLEFAN, 2);
}

void Vorn::DrawScreenBar(float x1, float y1, float x2, float y2, float r, float g, float b, float a) {
  const Corner c[] = {{x1, y1, 0, 0}, {x2, y1, 0, 0}, {x2, y2, 0, 0}, {x1, y2, 0, 0}};
  FillScreen(*this, m_pScreenVerts, c, PackColour(r, g, b, a), false);
  DrawScratchScreen(4, D3DPT_TRIANGLEFAN, 2);
}

void Vorn::DrawTextureBar(float x1, float y1, float x2, float y2, float u1, float v1, float u2,
                          float v2, float r, float g, float b, float a) {
  const Corner c[] = {{x1, y1, u1, v1}, {x2, y1, u2, v1}, {x2, y2, u2, v2}, {x1, y2, u1, v2}};
  Fill2D(m_p2DVerts, c, PackColour(r, g, b, a), true);
  DrawScratch2D(4, D3DPT_TRIANGLEFAN, 2);
}

void Vorn::DrawScreenTextureBar(float x1, float y1, float x2, float y2, float u1, float v1, float u2,
                                float v2, float r, float g, float b, float a) {
  const Corner c[] = {{x1, y1, u1, v1}, {x2, y1, u2, v1}, {x2, y2, u2, v2}, {x1, y2, u1, v2}};
  FillScreen(*this, m_pScreenVerts, c, PackColour(r, g, b, a), true);
  DrawScratchScreen(4, D3DPT_TRIANGLEFAN, 2);
}

void Vorn::DrawPoly(float x1, float y1, float x2, float y2, float x3, float y3, float r, float g,
                    float b, float a) {
  const Corner c[] = {{x1, y1, 0, 0}, {x2, y2, 0, 0}, {x3, y3, 0, 0}};
  Fill2D(m_p2DVerts, c, PackColour(r, g, b, a), false);
  DrawScratch2D(3, D3DPT_TRIANGLELIST, 1);
}

void Vorn::DrawScreenPoly(float x1, float y1, float x2, float y2, float x3, float y3, float r,
                          float g, float b, float a) {
  const Corner c[] = {{x1, y1, 0, 0}, {x2, y2, 0, 0}, {x3, y3, 0, 0}};
  FillScreen(*this, m_pScreenVerts, c, PackColour(r, g, b, a), false);
  DrawScratchScreen(3, D3DPT_TRIANGLELIST, 1);
}
