// The draw calls of the device: argument and stream validation, the
// per-draw context computed from the dirty state groups, and primitive
// assembly into the rasterizer.
#include <algorithm>
#include <cstring>

#include "platform/d3d9/device/call_trace.h"
#include "platform/d3d9/device/device.h"
#include "platform/d3d9/device/resources.h"
#include "platform/d3d9/raster/pixel_stage.h"
#include "platform/d3d9/raster/rasterizer.h"
#include "platform/d3d9/raster/vertex_stage.h"

namespace d3d9_impl {
namespace {

D3DMATRIX Mul(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

float AsFloat(DWORD d) {
  float f;
  std::memcpy(&f, &d, 4);
  return f;
}

// Vertices a primitive count needs.
bool VertexCountFor(D3DPRIMITIVETYPE type, UINT primitives, UINT* count) {
  std::uint64_t n;
  switch (type) {
    case D3DPT_POINTLIST: n = primitives; break;
    case D3DPT_LINELIST: n = 2ull * primitives; break;
    case D3DPT_LINESTRIP: n = primitives + 1ull; break;
    case D3DPT_TRIANGLELIST: n = 3ull * primitives; break;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: n = primitives + 2ull; break;
    default: return false;
  }
  if (n > 0x7fffffffull) return false;
  *count = static_cast<UINT>(n);
  return true;
}

std::uint32_t Channel(float v) {
  if (!(v > 0.f)) return 0;
  if (v >= 1.f) return 255;
  return static_cast<std::uint32_t>(v * 255.f + 0.5f);
}

}  // namespace

void Device::TouchTarget() {
  if (Surface* rt = state_.render_targets[0])
    if (Texture* t = rt->Container()) t->Touch();
}

void Device::PrepareDraw() {
  DrawContext& dc = draw_;
  const DWORD dirty = state_.dirty;
  const DWORD* rs = state_.render;
  if (dirty & (kDirtyVertex | kDirtyTransform)) {
    if (!LayoutFromFvf(state_.fvf, &dc.layout)) dc.layout = VertexLayout{};
    dc.wvp = Mul(Mul(state_.world[0], state_.view), state_.projection);
    dc.lighting = rs[D3DRS_LIGHTING] != FALSE;
    // Lights are not evaluated yet: lit vertices get the emissive and
    // global ambient terms.
    const D3DMATERIAL9& m = state_.material;
    const DWORD amb = rs[D3DRS_AMBIENT];
    const float ar = static_cast<float>((amb >> 16) & 0xff) / 255.f, ag = static_cast<float>((amb >> 8) & 0xff) / 255.f,
                ab = static_cast<float>(amb & 0xff) / 255.f;
    dc.unlit_color = (Channel(m.Diffuse.a) << 24) | (Channel(m.Emissive.r + ar * m.Ambient.r) << 16) |
                     (Channel(m.Emissive.g + ag * m.Ambient.g) << 8) | Channel(m.Emissive.b + ab * m.Ambient.b);
    float ps = AsFloat(rs[D3DRS_POINTSIZE]);
    ps = std::max(ps, AsFloat(rs[D3DRS_POINTSIZE_MIN]));
    ps = std::min(ps, AsFloat(rs[D3DRS_POINTSIZE_MAX]));
    dc.point_size = ps;
  }
  if (dirty & (kDirtyViewport | kDirtyTarget | kDirtyPixel)) {
    const D3DVIEWPORT9& vp = state_.viewport;
    dc.vp_x = static_cast<float>(vp.X);
    dc.vp_y = static_cast<float>(vp.Y);
    dc.vp_half_w = static_cast<float>(vp.Width) * 0.5f;
    dc.vp_half_h = static_cast<float>(vp.Height) * 0.5f;
    dc.vp_min_z = vp.MinZ;
    dc.vp_max_z = vp.MaxZ;
    Surface* rt = state_.render_targets[0];
    const int rw = rt ? static_cast<int>(rt->Width()) : 0, rh = rt ? static_cast<int>(rt->Height()) : 0;
    dc.clip_x0 = std::max(0, static_cast<int>(vp.X));
    dc.clip_y0 = std::max(0, static_cast<int>(vp.Y));
    dc.clip_x1 = std::min(rw, static_cast<int>(vp.X + vp.Width));
    dc.clip_y1 = std::min(rh, static_cast<int>(vp.Y + vp.Height));
    if (rs[D3DRS_SCISSORTESTENABLE]) {
      dc.clip_x0 = std::max(dc.clip_x0, static_cast<int>(state_.scissor.left));
      dc.clip_y0 = std::max(dc.clip_y0, static_cast<int>(state_.scissor.top));
      dc.clip_x1 = std::min(dc.clip_x1, static_cast<int>(state_.scissor.right));
      dc.clip_y1 = std::min(dc.clip_y1, static_cast<int>(state_.scissor.bottom));
    }
    dc.color = rt ? rt->Bits() : nullptr;
    dc.color_pitch = rt ? rt->Pitch() : 0;
    dc.color_format = rt ? rt->Format() : D3DFMT_X8R8G8B8;
    dc.color_alpha_or = dc.color_format == D3DFMT_X8R8G8B8 ? 0xff000000u : 0u;
    Surface* ds = state_.depth_stencil;
    // A depth buffer smaller than the target cannot be used.
    const bool depth_ok = ds && ds->IsDepth() && static_cast<int>(ds->Width()) >= rw &&
                          static_cast<int>(ds->Height()) >= rh && rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    dc.depth = depth_ok ? ds->Depth() : nullptr;
    dc.depth_pitch = depth_ok ? static_cast<int>(ds->Width()) : 0;
  }
  if (dirty & (kDirtyPixel | kDirtyTexture | kDirtyTarget | kDirtyVertex)) {
    dc.cull = rs[D3DRS_CULLMODE];
    dc.fill = rs[D3DRS_FILLMODE];
    dc.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    dc.last_pixel = rs[D3DRS_LASTPIXEL] != FALSE;
    dc.blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    dc.src_blend = rs[D3DRS_SRCBLEND];
    dc.dest_blend = rs[D3DRS_DESTBLEND];
    dc.blend_op = rs[D3DRS_BLENDOP];
    dc.blend_factor = rs[D3DRS_BLENDFACTOR];
    dc.alpha_test = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    dc.alpha_func = rs[D3DRS_ALPHAFUNC];
    dc.alpha_ref = rs[D3DRS_ALPHAREF] & 0xff;
    dc.z_test = dc.depth != nullptr;
    dc.z_write = dc.depth != nullptr && rs[D3DRS_ZWRITEENABLE] != FALSE;
    dc.z_func = rs[D3DRS_ZFUNC];
    dc.color_write = rs[D3DRS_COLORWRITEENABLE];
    dc.tfactor = rs[D3DRS_TEXTUREFACTOR];

    const DWORD* st = state_.stage[0];
    dc.color_op = st[D3DTSS_COLOROP];
    dc.color_arg1 = st[D3DTSS_COLORARG1];
    dc.color_arg2 = st[D3DTSS_COLORARG2];
    dc.alpha_op = st[D3DTSS_ALPHAOP];
    dc.alpha_arg1 = st[D3DTSS_ALPHAARG1];
    dc.alpha_arg2 = st[D3DTSS_ALPHAARG2];

    const DWORD* sm = state_.sampler[0];
    Texture* tex = state_.textures[0];
    dc.textured = false;
    dc.level_count = 0;
    if (tex && dc.color_op != D3DTOP_DISABLE) {
      const UINT first = std::min<UINT>(std::max<UINT>(sm[D3DSAMP_MAXMIPLEVEL], tex->GetLOD()), tex->Levels() - 1);
      for (UINT i = first; i < tex->Levels() && dc.level_count < 16; ++i) {
        Surface* s = tex->LevelSurface(i);
        int pitch = 0;
        const std::uint32_t* texels = s->ArgbTexels(&pitch);
        if (!texels) break;
        dc.levels[dc.level_count++] = {texels, pitch, static_cast<int>(s->Width()), static_cast<int>(s->Height())};
      }
      dc.textured = dc.level_count > 0;
      const D3DFORMAT f = tex->Format();
      dc.tex_alpha_or = f == D3DFMT_X8R8G8B8 ? 0xff000000u : 0u;
      bound_texture_generation_ = tex->Generation();
    }
    dc.wrap_u = sm[D3DSAMP_ADDRESSU] == D3DTADDRESS_WRAP || sm[D3DSAMP_ADDRESSU] == D3DTADDRESS_MIRROR;
    dc.wrap_v = sm[D3DSAMP_ADDRESSV] == D3DTADDRESS_WRAP || sm[D3DSAMP_ADDRESSV] == D3DTADDRESS_MIRROR;
    dc.mag_linear = sm[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
    dc.min_linear = sm[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    dc.mip = sm[D3DSAMP_MIPFILTER] != D3DTEXF_NONE && dc.level_count > 1;
    dc.border = sm[D3DSAMP_BORDERCOLOR];
    if (!dc.textured) dc.levels[0] = {};
    dc.span = SelectSpanRoutine(dc);
  }
  state_.dirty = 0;
}

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT primitives, const BYTE* vertices, UINT stride, UINT vertex_count,
                     UINT first_vertex, const void* indices, bool index32, UINT index_count) {
  // A texture whose contents changed since the last draw needs new texels.
  if (Texture* t = state_.textures[0])
    if (t->Generation() != bound_texture_generation_) state_.dirty |= kDirtyTexture;
  if (state_.dirty) PrepareDraw();
  const DrawContext& dc = draw_;
  if (!dc.color || dc.clip_x0 >= dc.clip_x1 || dc.clip_y0 >= dc.clip_y1) return D3D_OK;
  if (vertex_scratch_.size() < vertex_count) vertex_scratch_.resize(vertex_count);
  PVertex* pv = vertex_scratch_.data();
  // `vertices` is the first vertex given; indices count from `first_vertex`.
  ::d3d9_impl::ProcessVertices(dc, vertices, stride, vertex_count, pv);

  // Index k of the primitive stream to a processed vertex, or null when an
  // index falls outside the vertices given (such primitives are skipped).
  auto at = [&](UINT k) -> const PVertex* {
    UINT i = k;
    if (indices) {
      if (k >= index_count) return nullptr;
      i = index32 ? static_cast<const std::uint32_t*>(indices)[k] : static_cast<const std::uint16_t*>(indices)[k];
      if (i < first_vertex) return nullptr;
      i -= first_vertex;
    }
    return i < vertex_count ? &pv[i] : nullptr;
  };
  switch (type) {
    case D3DPT_POINTLIST:
      for (UINT p = 0; p < primitives; ++p)
        if (const PVertex* a = at(p)) DrawPoint(dc, *a);
      break;
    case D3DPT_LINELIST:
    case D3DPT_LINESTRIP:
      for (UINT p = 0; p < primitives; ++p) {
        const UINT k = type == D3DPT_LINELIST ? 2 * p : p;
        const PVertex *a = at(k), *b = at(k + 1);
        if (a && b) DrawLine(dc, *a, *b);
      }
      break;
    case D3DPT_TRIANGLELIST:
      for (UINT p = 0; p < primitives; ++p) {
        const PVertex *a = at(3 * p), *b = at(3 * p + 1), *c = at(3 * p + 2);
        if (a && b && c) DrawTriangle(dc, *a, *b, *c);
      }
      break;
    case D3DPT_TRIANGLESTRIP:
      for (UINT p = 0; p < primitives; ++p) {
        // Every second triangle of a strip is reversed so all keep the
        // winding of the first.
        const PVertex *a = at(p), *b = at(p + 1), *c = at(p + 2);
        if (!a || !b || !c) continue;
        if (p & 1)
          DrawTriangle(dc, *b, *a, *c);
        else
          DrawTriangle(dc, *a, *b, *c);
      }
      break;
    case D3DPT_TRIANGLEFAN:
      for (UINT p = 0; p < primitives; ++p) {
        const PVertex *a = at(0), *b = at(p + 1), *c = at(p + 2);
        if (a && b && c) DrawTriangle(dc, *a, *b, *c);
      }
      break;
    default:
      break;
  }
  TouchTarget();
  return D3D_OK;
}

bool Device::CanDraw() const { return !Loss().lost; }

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  return Traced("DrawPrimitive", [&] {
    UINT count;
    if (!in_scene_ || !VertexCountFor(PrimitiveType, PrimitiveCount, &count)) return D3DERR_INVALIDCALL;
    if (PrimitiveCount == 0) return D3D_OK;
    const StreamBinding& s = state_.streams[0];
    if (state_.dirty & kDirtyVertex) PrepareDraw();
    const VertexLayout& l = draw_.layout;
    if (!s.buffer || l.stride == 0 || s.stride < l.stride) return D3DERR_INVALIDCALL;
    const std::uint64_t end = s.offset + (static_cast<std::uint64_t>(StartVertex) + count - 1) * s.stride + l.stride;
    if (end > s.buffer->Length()) return D3DERR_INVALIDCALL;
    if (!CanDraw()) return D3D_OK;
    return Draw(PrimitiveType, PrimitiveCount, s.buffer->Data() + s.offset + static_cast<std::size_t>(StartVertex) * s.stride,
                s.stride, count, 0, nullptr, false, 0);
  }, PrimitiveType, StartVertex, PrimitiveCount);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                     UINT NumVertices, UINT startIndex, UINT primCount) {
  return Traced("DrawIndexedPrimitive", [&] {
    UINT count;
    if (!in_scene_ || !VertexCountFor(PrimitiveType, primCount, &count)) return D3DERR_INVALIDCALL;
    if (primCount == 0) return D3D_OK;
    const StreamBinding& s = state_.streams[0];
    IndexBuffer* ib = state_.indices;
    if (state_.dirty & kDirtyVertex) PrepareDraw();
    const VertexLayout& l = draw_.layout;
    if (!s.buffer || !ib || l.stride == 0 || s.stride < l.stride || NumVertices == 0) return D3DERR_INVALIDCALL;
    const bool i32 = ib->Format() == D3DFMT_INDEX32;
    const std::uint64_t isize = i32 ? 4 : 2;
    if ((static_cast<std::uint64_t>(startIndex) + count) * isize > ib->Length()) return D3DERR_INVALIDCALL;
    const std::int64_t first = static_cast<std::int64_t>(BaseVertexIndex) + MinVertexIndex;
    if (first < 0) return D3DERR_INVALIDCALL;
    const std::uint64_t end =
        s.offset + (static_cast<std::uint64_t>(first) + NumVertices - 1) * s.stride + l.stride;
    if (end > s.buffer->Length()) return D3DERR_INVALIDCALL;
    if (!CanDraw()) return D3D_OK;
    // Index i reaches vertex BaseVertexIndex + i; the vertices given are
    // those of indices MinVertexIndex .. MinVertexIndex + NumVertices - 1.
    const BYTE* base = s.buffer->Data() + s.offset + static_cast<std::size_t>(first) * s.stride;
    return Draw(PrimitiveType, primCount, base, s.stride, NumVertices, MinVertexIndex,
                ib->Data() + startIndex * isize, i32, count);
  }, PrimitiveType, BaseVertexIndex, MinVertexIndex, NumVertices, startIndex, primCount);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  return Traced("DrawPrimitiveUP", [&] {
    UINT count;
    if (!in_scene_ || !VertexCountFor(PrimitiveType, PrimitiveCount, &count)) return D3DERR_INVALIDCALL;
    if (!pVertexStreamZeroData || VertexStreamZeroStride == 0) return D3DERR_INVALIDCALL;
    if (state_.dirty & kDirtyVertex) PrepareDraw();
    if (draw_.layout.stride == 0 || VertexStreamZeroStride < draw_.layout.stride) return D3DERR_INVALIDCALL;
    // After a user-pointer draw stream 0 is unbound, as Direct3D does.
    StreamBinding& s = state_.streams[0];
    if (s.buffer) s.buffer->ReleaseInternalRef();
    s = {};
    if (PrimitiveCount == 0 || !CanDraw()) return D3D_OK;
    return Draw(PrimitiveType, PrimitiveCount, static_cast<const BYTE*>(pVertexStreamZeroData),
                VertexStreamZeroStride, count, 0, nullptr, false, 0);
  }, PrimitiveType, PrimitiveCount, pVertexStreamZeroData, VertexStreamZeroStride);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertices,
                                       UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                       const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  return Traced("DrawIndexedPrimitiveUP", [&] {
    UINT count;
    if (!in_scene_ || !VertexCountFor(PrimitiveType, PrimitiveCount, &count)) return D3DERR_INVALIDCALL;
    if (!pIndexData || !pVertexStreamZeroData || VertexStreamZeroStride == 0 || NumVertices == 0)
      return D3DERR_INVALIDCALL;
    if (IndexDataFormat != D3DFMT_INDEX16 && IndexDataFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    if (state_.dirty & kDirtyVertex) PrepareDraw();
    if (draw_.layout.stride == 0 || VertexStreamZeroStride < draw_.layout.stride) return D3DERR_INVALIDCALL;
    StreamBinding& s = state_.streams[0];
    if (s.buffer) s.buffer->ReleaseInternalRef();
    s = {};
    if (state_.indices) {
      state_.indices->ReleaseInternalRef();
      state_.indices = nullptr;
    }
    if (PrimitiveCount == 0 || !CanDraw()) return D3D_OK;
    return Draw(PrimitiveType, PrimitiveCount,
                static_cast<const BYTE*>(pVertexStreamZeroData) + static_cast<std::size_t>(MinVertexIndex) * VertexStreamZeroStride,
                VertexStreamZeroStride, NumVertices, MinVertexIndex, pIndexData, IndexDataFormat == D3DFMT_INDEX32,
                count);
  }, PrimitiveType, MinVertexIndex, NumVertices, PrimitiveCount, pIndexData, IndexDataFormat,
     pVertexStreamZeroData, VertexStreamZeroStride);
}

}  // namespace d3d9_impl
