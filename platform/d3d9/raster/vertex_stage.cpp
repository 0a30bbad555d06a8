// Flexible vertex formats and the fixed-function vertex transform.
#include "platform/d3d9/raster/vertex_stage.h"

#include <cstring>

#include "platform/d3d9/raster/rasterizer.h"

namespace d3d9_impl {

bool LayoutFromFvf(DWORD fvf, VertexLayout* out) {
  VertexLayout l;
  l.fvf = fvf;
  int off = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: off = 12; break;
    case D3DFVF_XYZRHW: off = 16; l.pretransformed = true; break;
    case D3DFVF_XYZW: off = 16; break;
    case D3DFVF_XYZB1: off = 16; break;
    case D3DFVF_XYZB2: off = 20; break;
    case D3DFVF_XYZB3: off = 24; break;
    case D3DFVF_XYZB4: off = 28; break;
    case D3DFVF_XYZB5: off = 32; break;
    default: return false;  // no position
  }
  if (fvf & D3DFVF_NORMAL) {
    if (l.pretransformed) return false;  // transformed vertices have no normal
    l.normal = off;
    off += 12;
  }
  if (fvf & D3DFVF_PSIZE) l.psize = off, off += 4;
  if (fvf & D3DFVF_DIFFUSE) l.diffuse = off, off += 4;
  if (fvf & D3DFVF_SPECULAR) l.specular = off, off += 4;
  const DWORD tex_count = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (tex_count > 8) return false;
  for (DWORD i = 0; i < tex_count; ++i) {
    int floats = 2;
    switch ((fvf >> (16 + 2 * i)) & 3) {
      case D3DFVF_TEXTUREFORMAT1: floats = 1; break;
      case D3DFVF_TEXTUREFORMAT3: floats = 3; break;
      case D3DFVF_TEXTUREFORMAT4: floats = 4; break;
      default: floats = 2; break;
    }
    if (i == 0) l.texcoord0 = off, l.texcoord0_size = floats;
    off += 4 * floats;
  }
  l.stride = static_cast<UINT>(off);
  *out = l;
  return true;
}

namespace {

inline float ReadFloat(const BYTE* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

inline void ReadColor(const BYTE* p, float* c) {
  DWORD d;
  std::memcpy(&d, p, 4);
  c[0] = static_cast<float>((d >> 16) & 0xff);
  c[1] = static_cast<float>((d >> 8) & 0xff);
  c[2] = static_cast<float>(d & 0xff);
  c[3] = static_cast<float>(d >> 24);
}

}  // namespace

void ProcessVertices(const DrawContext& dc, const BYTE* data, UINT stride, UINT count, PVertex* out) {
  const VertexLayout& l = dc.layout;
  const D3DMATRIX& m = dc.wvp;
  for (UINT i = 0; i < count; ++i, data += stride) {
    PVertex& v = out[i];
    const float x = ReadFloat(data), y = ReadFloat(data + 4), z = ReadFloat(data + 8);
    if (l.pretransformed) {
      v.x = x, v.y = y, v.z = z;
      v.rhw = ReadFloat(data + 12);
      v.cx = v.cy = v.cz = 0.f, v.cw = 1.f;
      v.clip = 0;
    } else {
      v.cx = x * m._11 + y * m._21 + z * m._31 + m._41;
      v.cy = x * m._12 + y * m._22 + z * m._32 + m._42;
      v.cz = x * m._13 + y * m._23 + z * m._33 + m._43;
      v.cw = x * m._14 + y * m._24 + z * m._34 + m._44;
      v.clip = ClipCode(v.cx, v.cy, v.cz, v.cw);
      if (v.clip == 0) ProjectVertex(dc, &v);
    }
    if (dc.lighting && !l.pretransformed) {
      const std::uint32_t c = dc.unlit_color;
      v.c[0] = static_cast<float>((c >> 16) & 0xff);
      v.c[1] = static_cast<float>((c >> 8) & 0xff);
      v.c[2] = static_cast<float>(c & 0xff);
      v.c[3] = static_cast<float>(c >> 24);
      if (l.diffuse >= 0) {  // vertex alpha still applies with the default material sources
        float vc[4];
        ReadColor(data + l.diffuse, vc);
        v.c[3] = vc[3];
      }
    } else if (l.diffuse >= 0) {
      ReadColor(data + l.diffuse, v.c);
    } else {
      v.c[0] = v.c[1] = v.c[2] = v.c[3] = 255.f;
    }
    if (l.texcoord0 >= 0) {
      v.u = ReadFloat(data + l.texcoord0);
      v.v = l.texcoord0_size >= 2 ? ReadFloat(data + l.texcoord0 + 4) : 0.f;
    } else {
      v.u = v.v = 0.f;
    }
    v.psize = l.psize >= 0 ? ReadFloat(data + l.psize) : dc.point_size;
  }
}

}  // namespace d3d9_impl
