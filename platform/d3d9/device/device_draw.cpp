// The draw calls of the device: argument and stream validation, the
// per-draw context computed from the dirty state groups, and primitive
// assembly into the rasterizer.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/device/call_trace.h"
#include "platform/d3d9/device/device.h"
#include "platform/d3d9/device/resources.h"
#include "platform/d3d9/raster/pixel_stage.h"
#include "platform/d3d9/raster/raster_worker.h"
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

// The narrowest depth range a viewport maps to.
constexpr float kMinDepthRange = 0.001f;

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

// The inverse transpose of the 3 x 3 part: the matrix of normals. A
// singular matrix gives its own 3 x 3 part.
D3DMATRIX NormalMatrix(const D3DMATRIX& m) {
  const float a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31, h = m._32, i = m._33;
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const float det = a * A + b * B + c * C;
  D3DMATRIX r = IdentityMatrix();
  if (det == 0.f || !std::isfinite(det)) {
    r._11 = a, r._12 = b, r._13 = c, r._21 = d, r._22 = e, r._23 = f, r._31 = g, r._32 = h, r._33 = i;
    return r;
  }
  const float k = 1.f / det;
  // Transpose of the inverse = cofactor matrix / det.
  r._11 = A * k, r._12 = B * k, r._13 = C * k;
  r._21 = -(b * i - c * h) * k, r._22 = (a * i - c * g) * k, r._23 = -(a * h - b * g) * k;
  r._31 = (b * f - c * e) * k, r._32 = -(a * f - c * d) * k, r._33 = (a * e - b * d) * k;
  return r;
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
  if (dirty & (kDirtyVertex | kDirtyTransform | kDirtyViewport)) {
    dc.program = nullptr;
    bool layout_ok;
    if (state_.declaration) {
      const auto& el = state_.declaration->Elements();
      layout_ok = LayoutFromDeclaration(el.data(), static_cast<UINT>(el.size()), &dc.layout);
    } else {
      layout_ok = LayoutFromFvf(state_.fvf, &dc.layout);
    }
    if (!layout_ok) dc.layout = VertexLayout{};
    if (state_.vertex_shader) {
      dc.program = state_.vertex_shader->Program();
      dc.constants = state_.vs_constants_f;
    }
    dc.wv = Mul(state_.world[0], state_.view);
    dc.proj = state_.projection;
    dc.wvp = Mul(dc.wv, state_.projection);
    dc.normal_wv = NormalMatrix(dc.wv);
    dc.lighting = rs[D3DRS_LIGHTING] != FALSE && !dc.layout.pretransformed;
    dc.specular_lighting = dc.lighting && rs[D3DRS_SPECULARENABLE] != FALSE;
    dc.local_viewer = rs[D3DRS_LOCALVIEWER] != FALSE;
    dc.normalize_normals = rs[D3DRS_NORMALIZENORMALS] != FALSE;
    dc.color_vertex = rs[D3DRS_COLORVERTEX] != FALSE;
    dc.diffuse_source = rs[D3DRS_DIFFUSEMATERIALSOURCE];
    dc.specular_source = rs[D3DRS_SPECULARMATERIALSOURCE];
    dc.ambient_source = rs[D3DRS_AMBIENTMATERIALSOURCE];
    dc.emissive_source = rs[D3DRS_EMISSIVEMATERIALSOURCE];
    dc.material = state_.material;
    const DWORD amb = rs[D3DRS_AMBIENT];
    dc.global_ambient[0] = static_cast<float>((amb >> 16) & 0xff) / 255.f;
    dc.global_ambient[1] = static_cast<float>((amb >> 8) & 0xff) / 255.f;
    dc.global_ambient[2] = static_cast<float>(amb & 0xff) / 255.f;
    dc.light_count = 0;
    if (dc.lighting) {
      const D3DMATRIX& v = state_.view;
      for (const auto& [index, slot] : state_.lights) {
        if (!slot.enabled || dc.light_count == 8) continue;
        const D3DLIGHT9& l = slot.light;
        LightData& o = dc.lights[dc.light_count++];
        o.type = l.Type;
        const D3DCOLORVALUE* cols[3] = {&l.Diffuse, &l.Specular, &l.Ambient};
        float* outs[3] = {o.diffuse, o.specular, o.ambient};
        for (int k = 0; k < 3; ++k) outs[k][0] = cols[k]->r, outs[k][1] = cols[k]->g, outs[k][2] = cols[k]->b;
        const float p[3] = {l.Position.x, l.Position.y, l.Position.z};
        o.pos[0] = p[0] * v._11 + p[1] * v._21 + p[2] * v._31 + v._41;
        o.pos[1] = p[0] * v._12 + p[1] * v._22 + p[2] * v._32 + v._42;
        o.pos[2] = p[0] * v._13 + p[1] * v._23 + p[2] * v._33 + v._43;
        // Towards the light: the reversed light direction, in view space.
        const float d[3] = {-l.Direction.x, -l.Direction.y, -l.Direction.z};
        float vd[3] = {d[0] * v._11 + d[1] * v._21 + d[2] * v._31, d[0] * v._12 + d[1] * v._22 + d[2] * v._32,
                       d[0] * v._13 + d[1] * v._23 + d[2] * v._33};
        const float len = std::sqrt(vd[0] * vd[0] + vd[1] * vd[1] + vd[2] * vd[2]);
        if (len > 0.f) vd[0] /= len, vd[1] /= len, vd[2] /= len;
        o.dir[0] = vd[0], o.dir[1] = vd[1], o.dir[2] = vd[2];
        o.range = l.Range;
        o.att0 = l.Attenuation0, o.att1 = l.Attenuation1, o.att2 = l.Attenuation2;
        o.cos_theta = std::cos(l.Theta * 0.5f);
        o.cos_phi = std::cos(l.Phi * 0.5f);
        o.falloff = l.Falloff;
      }
    }
    const bool fog_on = rs[D3DRS_FOGENABLE] != FALSE;
    dc.vertex_fog = fog_on && rs[D3DRS_FOGTABLEMODE] == D3DFOG_NONE ? rs[D3DRS_FOGVERTEXMODE] : DWORD{D3DFOG_NONE};
    if (dc.vertex_fog > D3DFOG_LINEAR) dc.vertex_fog = D3DFOG_NONE;
    dc.range_fog = rs[D3DRS_RANGEFOGENABLE] != FALSE;
    dc.fog_start = AsFloat(rs[D3DRS_FOGSTART]);
    dc.fog_end = AsFloat(rs[D3DRS_FOGEND]);
    dc.fog_density = AsFloat(rs[D3DRS_FOGDENSITY]);

    // Vertex blending: D3DVBF_nWEIGHTS blends n + 1 matrices.
    const DWORD vb = rs[D3DRS_VERTEXBLEND];
    int matrices = 0;
    if (vb >= D3DVBF_1WEIGHTS && vb <= D3DVBF_3WEIGHTS) matrices = static_cast<int>(vb) + 1;
    if (vb == D3DVBF_0WEIGHTS) matrices = 1;
    dc.blend_indexed = rs[D3DRS_INDEXEDVERTEXBLENDENABLE] != FALSE && dc.layout.blend_indices >= 0;
    dc.blend_matrices = matrices;
    if (matrices > 0) {
      const int count = dc.blend_indexed ? static_cast<int>(kMaxWorldMatrices) : matrices;
      blend_wv_.resize(count);
      blend_normal_.resize(count);
      for (int i = 0; i < count; ++i) {
        blend_wv_[i] = Mul(state_.world[i], state_.view);
        blend_normal_[i] = NormalMatrix(blend_wv_[i]);
      }
      dc.blend_wv = blend_wv_.data();
      dc.blend_normal = blend_normal_.data();
    }

    // The vertex stage clamps sizes to [min, max] after any scaling.
    dc.point_size = AsFloat(rs[D3DRS_POINTSIZE]);
    dc.point_min = AsFloat(rs[D3DRS_POINTSIZE_MIN]);
    dc.point_max = std::min(AsFloat(rs[D3DRS_POINTSIZE_MAX]), kMaxPointSize);
    dc.point_scale = rs[D3DRS_POINTSCALEENABLE] != FALSE;
    dc.point_a = AsFloat(rs[D3DRS_POINTSCALE_A]);
    dc.point_b = AsFloat(rs[D3DRS_POINTSCALE_B]);
    dc.point_c = AsFloat(rs[D3DRS_POINTSCALE_C]);
    dc.point_sprite = rs[D3DRS_POINTSPRITEENABLE] != FALSE;
    dc.vp_height = static_cast<float>(state_.viewport.Height);
    dc.view_space = dc.lighting || dc.vertex_fog != D3DFOG_NONE || dc.point_scale || dc.blend_matrices > 0;
  }
  if (dirty & (kDirtyViewport | kDirtyTarget | kDirtyPixel)) {
    const D3DVIEWPORT9& vp = state_.viewport;
    dc.vp_x = static_cast<float>(vp.X);
    dc.vp_y = static_cast<float>(vp.Y);
    dc.vp_half_w = static_cast<float>(vp.Width) * 0.5f;
    dc.vp_half_h = static_cast<float>(vp.Height) * 0.5f;
    dc.vp_min_z = vp.MinZ;
    dc.vp_max_z = vp.MaxZ;
    // A viewport with MinZ equal to MaxZ still separates depths: its range
    // is widened to 0.001, inside [0, 1].
    if (dc.vp_max_z - dc.vp_min_z < kMinDepthRange) {
      if (dc.vp_min_z + kMinDepthRange <= 1.f)
        dc.vp_max_z = dc.vp_min_z + kMinDepthRange;
      else
        dc.vp_min_z = dc.vp_max_z - kMinDepthRange;
    }
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
    const bool stencil_ok = ds && ds->IsDepth() && ds->Stencil() && static_cast<int>(ds->Width()) >= rw &&
                            static_cast<int>(ds->Height()) >= rh;
    dc.stencil_bits = stencil_ok ? ds->Stencil() : nullptr;
    dc.stencil_pitch = stencil_ok ? static_cast<int>(ds->Width()) : 0;
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
    dc.specular = rs[D3DRS_SPECULARENABLE] != FALSE;
    dc.fog = rs[D3DRS_FOGENABLE] != FALSE;
    dc.table_fog = dc.fog && rs[D3DRS_FOGTABLEMODE] <= D3DFOG_LINEAR ? rs[D3DRS_FOGTABLEMODE] : DWORD{D3DFOG_NONE};
    dc.fog_color = rs[D3DRS_FOGCOLOR];
    dc.fog_start = AsFloat(rs[D3DRS_FOGSTART]);
    dc.fog_end = AsFloat(rs[D3DRS_FOGEND]);
    dc.fog_density = AsFloat(rs[D3DRS_FOGDENSITY]);
    {
      auto spec_arg = [](DWORD a) { return (a & D3DTA_SELECTMASK) == D3DTA_SPECULAR; };
      const DWORD* s0 = state_.stage[0];
      dc.interp_specular = dc.specular || dc.fog || spec_arg(s0[D3DTSS_COLORARG1]) || spec_arg(s0[D3DTSS_COLORARG2]) ||
                           spec_arg(s0[D3DTSS_ALPHAARG1]) || spec_arg(s0[D3DTSS_ALPHAARG2]);
    }
    dc.stencil = dc.stencil_bits != nullptr && rs[D3DRS_STENCILENABLE] != FALSE;
    dc.stencil_func = rs[D3DRS_STENCILFUNC];
    dc.stencil_fail = rs[D3DRS_STENCILFAIL];
    dc.stencil_zfail = rs[D3DRS_STENCILZFAIL];
    dc.stencil_pass = rs[D3DRS_STENCILPASS];
    dc.stencil_ref = rs[D3DRS_STENCILREF] & 0xff;
    dc.stencil_mask = rs[D3DRS_STENCILMASK] & 0xff;
    dc.stencil_write_mask = rs[D3DRS_STENCILWRITEMASK] & 0xff;
    dc.two_sided = rs[D3DRS_TWOSIDEDSTENCILMODE] != FALSE;
    dc.ccw_func = rs[D3DRS_CCW_STENCILFUNC];
    dc.ccw_fail = rs[D3DRS_CCW_STENCILFAIL];
    dc.ccw_zfail = rs[D3DRS_CCW_STENCILZFAIL];
    dc.ccw_pass = rs[D3DRS_CCW_STENCILPASS];

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
      // The texture's LOD is the most detailed level it offers. With
      // mipmapping, D3DSAMP_MAXMIPLEVEL further limits the most detailed
      // level allowed; without it, the texture's LOD alone is the level used.
      const bool mipmapping = sm[D3DSAMP_MIPFILTER] != D3DTEXF_NONE;
      const UINT top = mipmapping ? std::max<UINT>(sm[D3DSAMP_MAXMIPLEVEL], tex->GetLOD()) : tex->GetLOD();
      const UINT first = std::min<UINT>(top, tex->Levels() - 1);
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
    dc.address_u = sm[D3DSAMP_ADDRESSU];
    dc.address_v = sm[D3DSAMP_ADDRESSV];
    dc.wrap_u = dc.address_u == D3DTADDRESS_WRAP;
    dc.wrap_v = dc.address_v == D3DTADDRESS_WRAP;
    dc.mag_linear = sm[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
    dc.min_linear = sm[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    dc.mip = sm[D3DSAMP_MIPFILTER] != D3DTEXF_NONE && dc.level_count > 1;
    dc.mip_linear = dc.mip && sm[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR;
    dc.anisotropy = sm[D3DSAMP_MINFILTER] == D3DTEXF_ANISOTROPIC
                        ? static_cast<int>(std::clamp<DWORD>(sm[D3DSAMP_MAXANISOTROPY], 1, kMaxAnisotropy))
                        : 1;
    dc.border = sm[D3DSAMP_BORDERCOLOR];
    if (!dc.textured) dc.levels[0] = {};
    dc.span = SelectSpanRoutine(dc);
  }
  state_.dirty = 0;
  context_changed_ = true;
}

namespace {

// One draw's primitives over processed vertices.
struct Assembly {
  D3DPRIMITIVETYPE type;
  UINT primitives;
  const PVertex* pv;
  UINT vertex_count;
  UINT first_vertex;
  const void* indices;
  bool index32;
  UINT index_count;
};

// Index k of the primitive stream to a processed vertex, or null when an
// index falls outside the vertices given (such primitives are skipped).
const PVertex* VertexAt(const Assembly& a, UINT k) {
  UINT i = k;
  if (a.indices) {
    if (k >= a.index_count) return nullptr;
    i = a.index32 ? static_cast<const std::uint32_t*>(a.indices)[k] : static_cast<const std::uint16_t*>(a.indices)[k];
    if (i < a.first_vertex) return nullptr;
    i -= a.first_vertex;
  }
  return i < a.vertex_count ? &a.pv[i] : nullptr;
}

void Assemble(DeferredRaster& out, const Assembly& a) {
  auto at = [&](UINT k) { return VertexAt(a, k); };
  const UINT primitives = a.primitives;
  switch (a.type) {
    case D3DPT_POINTLIST:
      for (UINT p = 0; p < primitives; ++p)
        if (const PVertex* v = at(p)) out.Point(v);
      break;
    case D3DPT_LINELIST:
    case D3DPT_LINESTRIP:
      for (UINT p = 0; p < primitives; ++p) {
        const UINT k = a.type == D3DPT_LINELIST ? 2 * p : p;
        const PVertex *v0 = at(k), *v1 = at(k + 1);
        if (v0 && v1) out.Line(v0, v1);
      }
      break;
    case D3DPT_TRIANGLELIST:
      for (UINT p = 0; p < primitives; ++p) {
        const PVertex *v0 = at(3 * p), *v1 = at(3 * p + 1), *v2 = at(3 * p + 2);
        if (v0 && v1 && v2) out.Triangle(v0, v1, v2, v0);
      }
      break;
    case D3DPT_TRIANGLESTRIP:
      for (UINT p = 0; p < primitives; ++p) {
        // Every second triangle of a strip is reversed so all keep the
        // winding of the first.
        const PVertex *v0 = at(p), *v1 = at(p + 1), *v2 = at(p + 2);
        if (!v0 || !v1 || !v2) continue;
        if (p & 1)
          out.Triangle(v1, v0, v2, v0);
        else
          out.Triangle(v0, v1, v2, v0);
      }
      break;
    case D3DPT_TRIANGLEFAN:
      for (UINT p = 0; p < primitives; ++p) {
        // The first vertex of a fan's triangle, for flat shading, is the
        // first of its own two (vertex p + 1), not the shared centre.
        const PVertex *v0 = at(0), *v1 = at(p + 1), *v2 = at(p + 2);
        if (v0 && v1 && v2) out.Triangle(v0, v1, v2, v1);
      }
      break;
    default:
      break;
  }
}

// Work for the worker thread: the second half of the vertices.
struct VertexJob {
  const DrawContext* dc;
  const BYTE* data;
  UINT stride, count;
  PVertex* out;
};
void RunVertexJob(void* p) {
  const auto* j = static_cast<const VertexJob*>(p);
  ::d3d9_impl::ProcessVertices(*j->dc, j->data, j->stride, j->count, j->out);
}

// Draws with this many vertices share their vertex processing with the
// worker; smaller ones cost more to hand over than they save.
constexpr UINT kParallelVertices = 512;
// Point lists of this many small points are drawn at once.
constexpr UINT kDirectPoints = 1024;

}  // namespace

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT primitives, const BYTE* vertices, UINT stride, UINT vertex_count,
                     UINT first_vertex, const void* indices, bool index32, UINT index_count) {
  // A texture whose contents changed since the last draw needs new texels.
  if (Texture* t = state_.textures[0])
    if (t->Generation() != bound_texture_generation_) state_.dirty |= kDirtyTexture;
  if (state_.dirty) PrepareDraw();
  const DrawContext& dc = draw_;
  if (!dc.color || dc.clip_x0 >= dc.clip_x1 || dc.clip_y0 >= dc.clip_y1) return D3D_OK;
  // Many small points are cheaper drawn at once, on this thread, than
  // recorded: each costs little to draw and as much to record.
  const bool tiny_points = type == D3DPT_POINTLIST && primitives >= kDirectPoints && dc.layout.psize < 0 &&
                           !dc.point_scale && dc.point_size <= 2.f;
  if (tiny_points || deferred_.Full(vertex_count)) FinishDrawing();
  if (tiny_points) {
    if (vertex_scratch_.size() < vertex_count) vertex_scratch_.resize(vertex_count);
    PVertex* pv = vertex_scratch_.data();
    ::d3d9_impl::ProcessVertices(dc, vertices, stride, vertex_count, pv);
    const Assembly points{type, primitives, pv, vertex_count, first_vertex, indices, index32, index_count};
    for (UINT p = 0; p < primitives; ++p)
      if (const PVertex* v = VertexAt(points, p)) DrawPoint(dc, *v);
    TouchTarget();
    return D3D_OK;
  }
  deferred_.UseContext(dc, context_changed_);
  context_changed_ = false;
  PVertex* pv = deferred_.Vertices(vertex_count);
  // `vertices` is the first vertex given; indices count from `first_vertex`.
  // Vertex programs are the application's code: they run on one thread.
  if (RasterWorker::Available() && vertex_count >= kParallelVertices && !dc.program) {
    const UINT half = vertex_count / 2;
    VertexJob job{&dc, vertices + static_cast<std::size_t>(half) * stride, stride, vertex_count - half, pv + half};
    worker_.Run(RunVertexJob, &job);
    ::d3d9_impl::ProcessVertices(dc, vertices, stride, half, pv);
    worker_.Wait();
  } else {
    ::d3d9_impl::ProcessVertices(dc, vertices, stride, vertex_count, pv);
  }
  Assemble(deferred_, Assembly{type, primitives, pv, vertex_count, first_vertex, indices, index32, index_count});
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
