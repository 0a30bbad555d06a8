// Flexible vertex formats, vertex declarations and the fixed-function vertex
// stage: transform (with vertex blending), lighting, vertex fog and point
// size, or a vertex program in place of all of them.
#include "platform/d3d9/raster/vertex_stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/raster/rasterizer.h"
#include "platform/d3d9/raster/vertex_program_registry.h"

namespace d3d9_impl {

bool LayoutFromFvf(DWORD fvf, VertexLayout* out) {
  VertexLayout l;
  l.fvf = fvf;
  int off = 0;
  int betas = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: off = 12; break;
    case D3DFVF_XYZRHW: off = 16; l.pretransformed = true; l.position_size = 4; break;
    case D3DFVF_XYZW: off = 16; l.position_size = 4; break;
    case D3DFVF_XYZB1: betas = 1; break;
    case D3DFVF_XYZB2: betas = 2; break;
    case D3DFVF_XYZB3: betas = 3; break;
    case D3DFVF_XYZB4: betas = 4; break;
    case D3DFVF_XYZB5: betas = 5; break;
    default: return false;  // no position
  }
  if (betas) {
    off = 12 + 4 * betas;
    l.weights_offset = 12;
    l.weights = betas;
    if (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) {
      // The last beta holds four matrix indices.
      --l.weights;
      l.blend_indices = 12 + 4 * l.weights;
      l.indices_color = (fvf & D3DFVF_LASTBETA_D3DCOLOR) != 0;
    }
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
    l.tex[i] = off;
    l.tex_size[i] = floats;
    off += 4 * floats;
  }
  l.stride = static_cast<UINT>(off);
  *out = l;
  return true;
}

bool LayoutFromDeclaration(const D3DVERTEXELEMENT9* e, UINT count, VertexLayout* out) {
  VertexLayout l;
  l.position = -1;
  int end = 0;
  for (UINT i = 0; i < count && e[i].Stream != 0xFF; ++i) {
    const D3DVERTEXELEMENT9& el = e[i];
    if (el.Stream != 0) return false;  // one stream
    int floats = 0;
    switch (el.Type) {
      case D3DDECLTYPE_FLOAT1: floats = 1; break;
      case D3DDECLTYPE_FLOAT2: floats = 2; break;
      case D3DDECLTYPE_FLOAT3: floats = 3; break;
      case D3DDECLTYPE_FLOAT4: floats = 4; break;
      case D3DDECLTYPE_D3DCOLOR: case D3DDECLTYPE_UBYTE4: break;
      default: return false;
    }
    const bool packed = floats == 0;
    const int off = el.Offset;
    end = std::max(end, off + (packed ? 4 : 4 * floats));
    switch (el.Usage) {
      case D3DDECLUSAGE_POSITION:
      case D3DDECLUSAGE_POSITIONT:
        if (el.UsageIndex != 0 || floats < 3) return false;
        l.position = off;
        l.position_size = floats;
        l.pretransformed = el.Usage == D3DDECLUSAGE_POSITIONT;
        break;
      case D3DDECLUSAGE_BLENDWEIGHT:
        if (el.Type == D3DDECLTYPE_UBYTE4) return false;
        l.weights_offset = off, l.weights = packed ? 4 : floats;
        l.weights_color = packed;
        break;
      case D3DDECLUSAGE_BLENDINDICES:
        if (!packed) return false;
        l.blend_indices = off;
        l.indices_color = el.Type == D3DDECLTYPE_D3DCOLOR;
        break;
      case D3DDECLUSAGE_NORMAL:
        if (el.UsageIndex == 0) {
          if (floats < 3) return false;
          l.normal = off;
        }
        break;
      case D3DDECLUSAGE_PSIZE:
        if (floats != 1) return false;
        l.psize = off;
        break;
      case D3DDECLUSAGE_COLOR:
        if (el.Type != D3DDECLTYPE_D3DCOLOR) return false;
        if (el.UsageIndex == 0) l.diffuse = off;
        if (el.UsageIndex == 1) l.specular = off;
        break;
      case D3DDECLUSAGE_TEXCOORD:
        if (packed || el.UsageIndex >= 8) return false;
        l.tex[el.UsageIndex] = off;
        l.tex_size[el.UsageIndex] = floats;
        if (el.UsageIndex == 0) l.texcoord0 = off, l.texcoord0_size = floats;
        break;
      default:
        break;  // other usages only feed vertex programs, which do not read them
    }
  }
  if (l.position < 0) return false;
  l.stride = static_cast<UINT>(end);
  *out = l;
  return true;
}

namespace {

inline float ReadFloat(const BYTE* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

inline DWORD ReadDword(const BYTE* p) {
  DWORD d;
  std::memcpy(&d, p, 4);
  return d;
}

// A D3DCOLOR as r, g, b, a in 0..255.
inline void ReadColor(const BYTE* p, float* c) {
  const DWORD d = ReadDword(p);
  c[0] = static_cast<float>((d >> 16) & 0xff);
  c[1] = static_cast<float>((d >> 8) & 0xff);
  c[2] = static_cast<float>(d & 0xff);
  c[3] = static_cast<float>(d >> 24);
}

// The blend weights a vertex gives, 0 where it gives none. A D3DCOLOR
// expands to (red, green, blue, alpha) in 0..1.
inline void ReadWeights(const BYTE* data, const VertexLayout& l, float* w) {
  w[0] = w[1] = w[2] = w[3] = 0.f;
  if (l.weights_offset < 0) return;
  if (l.weights_color) {
    ReadColor(data + l.weights_offset, w);
    for (int i = 0; i < 4; ++i) w[i] *= 1.f / 255.f;
    return;
  }
  for (int i = 0; i < l.weights && i < 4; ++i) w[i] = ReadFloat(data + l.weights_offset + 4 * i);
}

inline float Clamp255(float v) { return v > 255.f ? 255.f : (v > 0.f ? v : 0.f); }

inline void ReadTexcoord0(const VertexLayout& l, const BYTE* data, PVertex& v) {
  if (l.texcoord0 >= 0) {
    v.u = ReadFloat(data + l.texcoord0);
    v.v = l.texcoord0_size >= 2 ? ReadFloat(data + l.texcoord0 + 4) : 0.f;
  } else {
    v.u = v.v = 0.f;
  }
}

inline float ClampPointSize(const DrawContext& dc, float s) {
  if (!(s >= dc.point_min)) s = dc.point_min;  // also NaN
  return s > dc.point_max ? dc.point_max : s;
}

// x * M for a row vector (x, y, z, 1), three components.
inline void TransformPoint(const D3DMATRIX& m, const float* p, float* o) {
  o[0] = p[0] * m._11 + p[1] * m._21 + p[2] * m._31 + m._41;
  o[1] = p[0] * m._12 + p[1] * m._22 + p[2] * m._32 + m._42;
  o[2] = p[0] * m._13 + p[1] * m._23 + p[2] * m._33 + m._43;
}

inline void TransformNormal(const D3DMATRIX& m, const float* n, float* o) {
  o[0] = n[0] * m._11 + n[1] * m._21 + n[2] * m._31;
  o[1] = n[0] * m._12 + n[1] * m._22 + n[2] * m._32;
  o[2] = n[0] * m._13 + n[1] * m._23 + n[2] * m._33;
}

inline float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline void Normalize(float* v) {
  const float l2 = Dot(v, v);
  if (l2 > 0.f) {
    const float inv = 1.f / std::sqrt(l2);
    v[0] *= inv, v[1] *= inv, v[2] *= inv;
  }
}

// Fills clip space from a view-space position and projects inside vertices.
inline void ClipFromView(const DrawContext& dc, const float* p, PVertex& v) {
  const D3DMATRIX& m = dc.proj;
  v.cx = p[0] * m._11 + p[1] * m._21 + p[2] * m._31 + m._41;
  v.cy = p[0] * m._12 + p[1] * m._22 + p[2] * m._32 + m._42;
  v.cz = p[0] * m._13 + p[1] * m._23 + p[2] * m._33 + m._43;
  v.cw = p[0] * m._14 + p[1] * m._24 + p[2] * m._34 + m._44;
  v.clip = ClipCode(v.cx, v.cy, v.cz, v.cw);
  if (v.clip == 0) ProjectVertex(dc, &v);
}

// The view-space position and normal of a vertex, blended over the world
// matrices when vertex blending is on.
void ViewPositionAndNormal(const DrawContext& dc, const BYTE* data, float* pos, float* nrm) {
  const VertexLayout& l = dc.layout;
  const float p[3] = {ReadFloat(data + l.position), ReadFloat(data + l.position + 4), ReadFloat(data + l.position + 8)};
  float n[3] = {0.f, 0.f, 0.f};
  if (l.normal >= 0) n[0] = ReadFloat(data + l.normal), n[1] = ReadFloat(data + l.normal + 4), n[2] = ReadFloat(data + l.normal + 8);
  if (dc.blend_matrices == 0) {
    TransformPoint(dc.wv, p, pos);
    TransformNormal(dc.normal_wv, n, nrm);
    return;
  }
  // Weights given for all matrices but the last; the last takes the rest.
  float w[4] = {0.f, 0.f, 0.f, 0.f};
  const int k = dc.blend_matrices;
  float sum = 0.f;
  float given[4];
  ReadWeights(data, l, given);
  for (int i = 0; i + 1 < k; ++i) {
    w[i] = given[i];
    sum += w[i];
  }
  w[k - 1] = 1.f - sum;
  int idx[4] = {0, 1, 2, 3};
  if (dc.blend_indexed && l.blend_indices >= 0) {
    const DWORD d = ReadDword(data + l.blend_indices);
    for (int i = 0; i < 4; ++i) idx[i] = static_cast<int>((d >> (8 * i)) & 0xff);
    if (l.indices_color) std::swap(idx[0], idx[2]);  // D3DCOLOR: red (byte 2) is the first index
  }
  pos[0] = pos[1] = pos[2] = 0.f;
  nrm[0] = nrm[1] = nrm[2] = 0.f;
  for (int i = 0; i < k; ++i) {
    float tp[3], tn[3];
    TransformPoint(dc.blend_wv[idx[i]], p, tp);
    TransformNormal(dc.blend_normal[idx[i]], n, tn);
    for (int j = 0; j < 3; ++j) pos[j] += w[i] * tp[j], nrm[j] += w[i] * tn[j];
  }
}

// A material colour from its source: the material, or a vertex colour when
// D3DRS_COLORVERTEX is on and the vertex has it. r, g, b, a in 0..1.
inline void SourceColor(const DrawContext& dc, DWORD source, const D3DCOLORVALUE& mat, const BYTE* data,
                        float* out) {
  const VertexLayout& l = dc.layout;
  int off = -1;
  if (dc.color_vertex) {
    if (source == D3DMCS_COLOR1) off = l.diffuse;
    else if (source == D3DMCS_COLOR2) off = l.specular;
  }
  if (off >= 0) {
    ReadColor(data + off, out);
    for (int i = 0; i < 4; ++i) out[i] *= 1.f / 255.f;
  } else {
    out[0] = mat.r, out[1] = mat.g, out[2] = mat.b, out[3] = mat.a;
  }
}

// Fixed-function lighting in view space: ambient, diffuse and specular of
// every enabled light, with attenuation, range and spot cone, plus the
// global ambient and emissive terms.
void Light(const DrawContext& dc, const BYTE* data, const float* pos, const float* nrm, PVertex& v) {
  float cd[4], ca[4], cs[4], ce[4];
  SourceColor(dc, dc.diffuse_source, dc.material.Diffuse, data, cd);
  SourceColor(dc, dc.ambient_source, dc.material.Ambient, data, ca);
  SourceColor(dc, dc.emissive_source, dc.material.Emissive, data, ce);
  if (dc.specular_lighting) SourceColor(dc, dc.specular_source, dc.material.Specular, data, cs);
  float amb[3] = {dc.global_ambient[0], dc.global_ambient[1], dc.global_ambient[2]};
  float dif[3] = {0.f, 0.f, 0.f}, spe[3] = {0.f, 0.f, 0.f};
  float view[3] = {0.f, 0.f, -1.f};  // towards the eye
  if (dc.specular_lighting && dc.local_viewer) {
    view[0] = -pos[0], view[1] = -pos[1], view[2] = -pos[2];
    Normalize(view);
  }
  for (int i = 0; i < dc.light_count; ++i) {
    const LightData& lt = dc.lights[i];
    float ldir[3];
    float att = 1.f;
    if (lt.type == D3DLIGHT_DIRECTIONAL) {
      ldir[0] = lt.dir[0], ldir[1] = lt.dir[1], ldir[2] = lt.dir[2];
    } else {
      ldir[0] = lt.pos[0] - pos[0], ldir[1] = lt.pos[1] - pos[1], ldir[2] = lt.pos[2] - pos[2];
      const float d = std::sqrt(Dot(ldir, ldir));
      if (d > lt.range) continue;
      const float denom = lt.att0 + lt.att1 * d + lt.att2 * d * d;
      att = denom > 0.f ? 1.f / denom : 1.f;  // no attenuation factors: full strength, no division by zero
      if (d > 0.f) ldir[0] /= d, ldir[1] /= d, ldir[2] /= d;
      if (lt.type == D3DLIGHT_SPOT) {
        const float rho = Dot(lt.dir, ldir);
        if (rho <= lt.cos_phi) continue;
        if (rho < lt.cos_theta) {
          const float f = (rho - lt.cos_phi) / (lt.cos_theta - lt.cos_phi);
          att *= lt.falloff == 1.f ? f : std::pow(f, lt.falloff);
        }
      }
    }
    for (int j = 0; j < 3; ++j) amb[j] += att * lt.ambient[j];
    const float ndl = Dot(nrm, ldir);
    if (ndl <= 0.f) continue;
    for (int j = 0; j < 3; ++j) dif[j] += att * ndl * lt.diffuse[j];
    if (dc.specular_lighting) {
      float h[3] = {ldir[0] + view[0], ldir[1] + view[1], ldir[2] + view[2]};
      Normalize(h);
      const float ndh = Dot(nrm, h);
      if (ndh > 0.f) {
        const float s = att * (dc.material.Power > 0.f ? std::pow(ndh, dc.material.Power) : 1.f);
        for (int j = 0; j < 3; ++j) spe[j] += s * lt.specular[j];
      }
    }
  }
  for (int j = 0; j < 3; ++j) v.c[j] = Clamp255(255.f * (ca[j] * amb[j] + cd[j] * dif[j] + ce[j]));
  v.c[3] = Clamp255(255.f * cd[3]);
  for (int j = 0; j < 3; ++j) v.s[j] = dc.specular_lighting ? Clamp255(255.f * cs[j] * spe[j]) : 0.f;
}

// The fog factor of a vertex fog mode at distance d, 0..255.
inline float FogFactor(const DrawContext& dc, float d) {
  float f;
  switch (dc.vertex_fog) {
    case D3DFOG_LINEAR:
      // Start equal to end is full fog everywhere.
      f = dc.fog_end != dc.fog_start ? (dc.fog_end - d) / (dc.fog_end - dc.fog_start) : 0.f;
      break;
    case D3DFOG_EXP: f = std::exp(-d * dc.fog_density); break;
    default: {
      const float x = d * dc.fog_density;
      f = std::exp(-x * x);
      break;
    }
  }
  return 255.f * std::clamp(f, 0.f, 1.f);
}

void ProcessFixedFunction(const DrawContext& dc, const BYTE* data, PVertex& v) {
  const VertexLayout& l = dc.layout;
  float pos[3], nrm[3];
  ViewPositionAndNormal(dc, data, pos, nrm);
  ClipFromView(dc, pos, v);
  if (dc.lighting) {
    if (dc.normalize_normals) Normalize(nrm);
    Light(dc, data, pos, nrm, v);
  } else {
    if (l.diffuse >= 0) ReadColor(data + l.diffuse, v.c);
    else v.c[0] = v.c[1] = v.c[2] = v.c[3] = 255.f;
    if (l.specular >= 0) ReadColor(data + l.specular, v.s);
    else v.s[0] = v.s[1] = v.s[2] = 0.f;
  }
  if (dc.vertex_fog != D3DFOG_NONE) {
    const float d = dc.range_fog ? std::sqrt(Dot(pos, pos)) : std::fabs(pos[2]);
    v.s[3] = FogFactor(dc, d);
  } else {
    v.s[3] = l.specular >= 0 ? static_cast<float>(ReadDword(data + l.specular) >> 24) : 255.f;
  }
  ReadTexcoord0(l, data, v);
  float size = l.psize >= 0 ? ReadFloat(data + l.psize) : dc.point_size;
  if (dc.point_scale) {
    // Size in screen pixels: viewport height * size * sqrt(1 / (A + B d + C d^2)).
    const float d = std::sqrt(Dot(pos, pos));
    const float q = dc.point_a + dc.point_b * d + dc.point_c * d * d;
    size = q > 0.f ? dc.vp_height * size * std::sqrt(1.f / q) : dc.point_max;
  }
  v.psize = ClampPointSize(dc, size);
}

// Reads one declared input as four floats, missing components (0, 0, 0, 1).
inline void ReadInput(const BYTE* p, int floats, float* out) {
  out[0] = out[1] = out[2] = 0.f;
  out[3] = 1.f;
  for (int i = 0; i < floats; ++i) out[i] = ReadFloat(p + 4 * i);
}

void ProcessProgram(const DrawContext& dc, const BYTE* data, PVertex& v) {
  const VertexLayout& l = dc.layout;
  d3d9_program::VertexInputs in;
  auto reset = [](float* f) { f[0] = f[1] = f[2] = 0.f, f[3] = 1.f; };
  reset(in.position), reset(in.blend_weight), reset(in.blend_indices), reset(in.normal), reset(in.psize);
  reset(in.color[0]), reset(in.color[1]);
  for (auto& t : in.texcoord) reset(t);
  ReadInput(data + l.position, l.position_size, in.position);
  if (l.weights_offset >= 0) {
    if (l.weights_color) ReadWeights(data, l, in.blend_weight);
    else ReadInput(data + l.weights_offset, l.weights, in.blend_weight);
  }
  if (l.blend_indices >= 0) {
    const DWORD d = ReadDword(data + l.blend_indices);
    for (int i = 0; i < 4; ++i) in.blend_indices[i] = static_cast<float>((d >> (8 * i)) & 0xff);
    if (l.indices_color) {
      std::swap(in.blend_indices[0], in.blend_indices[2]);
      for (float& f : in.blend_indices) f *= 1.f / 255.f;
    }
  }
  if (l.normal >= 0) ReadInput(data + l.normal, 3, in.normal);
  if (l.psize >= 0) ReadInput(data + l.psize, 1, in.psize);
  for (int i = 0; i < 2; ++i) {
    const int off = i == 0 ? l.diffuse : l.specular;
    if (off < 0) continue;
    ReadColor(data + off, in.color[i]);
    for (float& f : in.color[i]) f *= 1.f / 255.f;
  }
  for (int i = 0; i < 8; ++i)
    if (l.tex[i] >= 0) ReadInput(data + l.tex[i], l.tex_size[i], in.texcoord[i]);

  d3d9_program::VertexOutputs o;
  o.position[0] = o.position[1] = o.position[2] = 0.f, o.position[3] = 1.f;
  for (int i = 0; i < 4; ++i) o.diffuse[i] = 1.f, o.specular[i] = 0.f;
  for (auto& t : o.texcoord) t[0] = t[1] = t[2] = t[3] = 0.f;
  o.fog = 1.f;
  o.psize = dc.point_size;
  dc.program->fn(in, dc.constants, o);

  v.cx = o.position[0], v.cy = o.position[1], v.cz = o.position[2], v.cw = o.position[3];
  v.clip = ClipCode(v.cx, v.cy, v.cz, v.cw);
  if (v.clip == 0) ProjectVertex(dc, &v);
  for (int i = 0; i < 4; ++i) v.c[i] = Clamp255(o.diffuse[i] * 255.f);
  for (int i = 0; i < 3; ++i) v.s[i] = Clamp255(o.specular[i] * 255.f);
  v.s[3] = Clamp255(o.fog * 255.f);
  v.u = o.texcoord[0][0], v.v = o.texcoord[0][1];
  v.psize = ClampPointSize(dc, o.psize);
}

}  // namespace

void ProcessVertices(const DrawContext& dc, const BYTE* data, UINT stride, UINT count, PVertex* out) {
  const VertexLayout& l = dc.layout;
  if (dc.program && !l.pretransformed) {
    for (UINT i = 0; i < count; ++i, data += stride) ProcessProgram(dc, data, out[i]);
    return;
  }
  if (dc.view_space && !l.pretransformed) {
    for (UINT i = 0; i < count; ++i, data += stride) ProcessFixedFunction(dc, data, out[i]);
    return;
  }
  // Pre-transformed vertices, and untransformed ones with neither lighting
  // nor vertex fog: one matrix and the colours as they are.
  const D3DMATRIX& m = dc.wvp;
  const float psize = ClampPointSize(dc, dc.point_size);
  for (UINT i = 0; i < count; ++i, data += stride) {
    PVertex& v = out[i];
    const BYTE* p = data + l.position;
    const float x = ReadFloat(p), y = ReadFloat(p + 4), z = ReadFloat(p + 8);
    if (l.pretransformed) {
      v.x = x, v.y = y, v.z = z;
      v.rhw = ReadFloat(p + 12);
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
    if (l.diffuse >= 0) ReadColor(data + l.diffuse, v.c);
    else v.c[0] = v.c[1] = v.c[2] = v.c[3] = 255.f;
    // The specular alpha carries the fog factor of pre-transformed vertices.
    if (l.specular >= 0) ReadColor(data + l.specular, v.s);
    else v.s[0] = v.s[1] = v.s[2] = 0.f, v.s[3] = 255.f;
    ReadTexcoord0(l, data, v);
    v.psize = l.psize >= 0 ? ClampPointSize(dc, ReadFloat(data + l.psize)) : psize;
  }
}

}  // namespace d3d9_impl
