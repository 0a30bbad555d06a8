// 3D primitives: immediate lines and triangles in their lighting and
// texturing variants, triangles prepared into 3D lists, and point sprites.
#include <cstring>

#include "engine/render/buffer_fill.h"
#include "engine/d3d9/com_helpers.h"
#include "engine/vorn.h"

namespace {

// What one 3D vertex may carry; each variant writes only its own fields.
struct Corner3D {
  float x, y, z;
  float u, v;
  float nx, ny, nz;
};

enum Fields : unsigned { kTexture = 1, kNormal = 2, kSpecular = 4 };

void Write(Vertex3D& out, const Corner3D& c, unsigned fields, D3DCOLOR diffuse, D3DCOLOR specular) {
  out.x = c.x;
  out.y = c.y;
  out.z = c.z;
  out.diffuse = diffuse;
  if (fields & kTexture) {
    out.u = c.u;
    out.v = c.v;
  }
  if (fields & kNormal) {
    out.nx = c.nx;
    out.ny = c.ny;
    out.nz = c.nz;
  }
  if (fields & kSpecular) out.specular = specular;
}

// Triangles fit while the count is below the capacity minus three.
void Append3D(Render& R, const Corner3D (&c)[3], unsigned fields, D3DCOLOR diffuse, D3DCOLOR specular) {
  if (!R.verts3D || R.count3D >= R.max3D - 3) return;
  for (const Corner3D& corner : c) Write(R.verts3D[R.count3D++], corner, fields, diffuse, specular);
}


}  // namespace

void Vorn::DrawScratch3D(int n, D3DPRIMITIVETYPE type) {
  if (!m_pD3DDevice || !FillBuffer(m_p3DVB, m_p3DVerts, static_cast<UINT>(n * m_n3DStride))) return;
  if (m_b2DViewActive) Set3DView(0.0f, 0.0f);
  m_pD3DDevice->DrawPrimitive(type, 0, 1);
}

void Vorn::DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2, float r, float g,
                      float b, float a) {
  Vertex3D* v = reinterpret_cast<Vertex3D*>(m_p3DVerts);
  const D3DCOLOR c = PackColour(r, g, b, a);
  Write(v[0], {x1, y1, z1, 0, 0, 0, 0, 0}, 0, c, 0);
  Write(v[1], {x2, y2, z2, 0, 0, 0, 0, 0}, 0, c, 0);
  DrawScratch3D(2, D3DPT_LINELIST);
}

void Vorn::DrawPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                               float y3, float z3, float r, float g, float b, float a) {
  Vertex3D* v = reinterpret_cast<Vertex3D*>(m_p3DVerts);
  const D3DCOLOR c = PackColour(r, g, b, a);
  const Corner3D k[3] = {{x1, y1, z1, 0, 0, 0, 0, 0}, {x2, y2, z2, 0, 0, 0, 0, 0}, {x3, y3, z3, 0, 0, 0, 0, 0}};
  for (int i = 0; i < 3; ++i) Write(v[i], k[i], 0, c, 0);
  DrawScratch3D(3, D3DPT_TRIANGLELIST);
}

void Vorn::DrawTexturedPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2,
                                       float x3, float y3, float z3, float u1, float v1, float u2,
                                       float v2, float u3, float v3, float r, float g, float b,
                                       float a) {
  Vertex3D* v = reinterpret_cast<Vertex3D*>(m_p3DVerts);
  const D3DCOLOR c = PackColour(r, g, b, a);
  const Corner3D k[3] = {{x1, y1, z1, u1, v1, 0, 0, 0}, {x2, y2, z2, u2, v2, 0, 0, 0}, {x3, y3, z3, u3, v3, 0, 0, 0}};
  for (int i = 0; i < 3; ++i) Write(v[i], k[i], kTexture, c, 0);
  DrawScratch3D(3, D3DPT_TRIANGLELIST);
}

void Vorn::DrawLitPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                                  float y3, float z3, float nx, float ny, float nz, float sr, float sg,
                                  float sb, float sa, float r, float g, float b, float a) {
  Vertex3D* v = reinterpret_cast<Vertex3D*>(m_p3DVerts);
  const Corner3D k[3] = {{x1, y1, z1, 0, 0, nx, ny, nz}, {x2, y2, z2, 0, 0, nx, ny, nz}, {x3, y3, z3, 0, 0, nx, ny, nz}};
  for (int i = 0; i < 3; ++i) Write(v[i], k[i], kNormal | kSpecular, PackColour(r, g, b, a), PackColour(sr, sg, sb, sa));
  DrawScratch3D(3, D3DPT_TRIANGLELIST);
}

void Vorn::DrawTriLitPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2,
                                     float x3, float y3, float z3, float nx1, float ny1, float nz1,
                                     float nx2, float ny2, float nz2, float nx3, float ny3, float nz3,
                                     float sr, float sg, float sb, float sa, float r, float g, float b,
                                     float a) {
  Vertex3D* v = reinterpret_cast<Vertex3D*>(m_p3DVerts);
  const Corner3D k[3] = {{x1, y1, z1, 0, 0, nx1, ny1, nz1}, {x2, y2, z2, 0, 0, nx2, ny2, nz2}, {x3, y3, z3, 0, 0, nx3, ny3, nz3}};
  for (int i = 0; i < 3; ++i) Write(v[i], k[i], kNormal | kSpecular, PackColour(r, g, b, a), PackColour(sr, sg, sb, sa));
  DrawScratch3D(3, D3DPT_TRIANGLELIST);
}

void Vorn::DrawTexturedLitPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2,
                                          float x3, float y3, float z3, float u1, float v1, float u2,
                                          float v2, float u3, float v3, float nx, float ny, float nz,
                                          float sr, float sg, float sb, float sa, float r, float g,
                                          float b, float a) {
  Vertex3D* v = reinterpret_cast<Vertex3D*>(m_p3DVerts);
  const Corner3D k[3] = {{x1, y1, z1, u1, v1, nx, ny, nz}, {x2, y2, z2, u2, v2, nx, ny, nz}, {x3, y3, z3, u3, v3, nx, ny, nz}};
  for (int i = 0; i < 3; ++i)
    Write(v[i], k[i], kTexture | kNormal | kSpecular, PackColour(r, g, b, a), PackColour(sr, sg, sb, sa));
  DrawScratch3D(3, D3DPT_TRIANGLELIST);
}

void Vorn::PreparePoly3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2,
                         float x3, float y3, float z3, float u1, float v1, float u2, float v2, float u3,
                         float v3, float r, float g, float b, float a) {
  const D3DCOLOR c = PackColour(r, g, b, a);
  const Corner3D k[3] = {{x1, y1, z1, u1, v1, 0, 0, 0}, {x2, y2, z2, u2, v2, 0, 0, 0}, {x3, y3, z3, u3, v3, 0, 0, 0}};
  Append3D(R, k, kTexture | kSpecular, c, c);  // one colour in both fields
}

void Vorn::PrepareLitPoly3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2,
                            float x3, float y3, float z3, float u1, float v1, float u2, float v2,
                            float u3, float v3, float nx, float ny, float nz, float sr, float sg,
                            float sb, float sa, float r, float g, float b, float a) {
  const Corner3D k[3] = {{x1, y1, z1, u1, v1, nx, ny, nz}, {x2, y2, z2, u2, v2, nx, ny, nz}, {x3, y3, z3, u3, v3, nx, ny, nz}};
  Append3D(R, k, kTexture | kNormal | kSpecular, PackColour(r, g, b, a), PackColour(sr, sg, sb, sa));
}

void Vorn::PrepareTriLitPoly3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2,
                               float x3, float y3, float z3, float u1, float v1, float u2, float v2,
                               float u3, float v3, float nx1, float ny1, float nz1, float nx2,
                               float ny2, float nz2, float nx3, float ny3, float nz3, float sr,
                               float sg, float sb, float sa, float r, float g, float b, float a) {
  const Corner3D k[3] = {{x1, y1, z1, u1, v1, nx1, ny1, nz1}, {x2, y2, z2, u2, v2, nx2, ny2, nz2}, {x3, y3, z3, u3, v3, nx3, ny3, nz3}};
  Append3D(R, k, kTexture | kNormal | kSpecular, PackColour(r, g, b, a), PackColour(sr, sg, sb, sa));
}

void Vorn::DrawSprite(float x, float y, float z, float size, float r, float g, float b, float a) {
  IDirect3DDevice9* d = m_pD3DDevice;
  if (!d) return;
  m_fSpriteSize = size;
  d->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  DWORD scaling = FALSE;
  d->GetRenderState(D3DRS_POINTSCALEENABLE, &scaling);
  if (!scaling) d->SetRenderState(D3DRS_POINTSIZE, FloatBits(size));
  VertexSprite* sprite = reinterpret_cast<VertexSprite*>(m_pSpriteVerts);
  *sprite = VertexSprite{x, y, z, size, PackColour(r, g, b, a)};
  void* data = nullptr;
  if (m_pPointSpriteVB && SUCCEEDED(m_pPointSpriteVB->Lock(0, 2 * m_nSpriteStride, &data, 0)) && data) {
    std::memcpy(data, sprite, static_cast<std::size_t>(m_nSpriteStride));
    m_pPointSpriteVB->Unlock();
    d->SetFVF(kFvfSprite);
    d->SetStreamSource(0, m_pPointSpriteVB, 0, m_nSpriteStride);
    d->DrawPrimitive(D3DPT_POINTLIST, 0, 1);
  }
  d->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
  d->SetRenderState(D3DRS_POINTSIZE, FloatBits(0.0f));
}
