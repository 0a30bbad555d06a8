// The documented default values of every device state.
#include "platform/d3d9/device/device_state.h"

#include <cstring>

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl {
namespace {

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

}  // namespace

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.f;
  return m;
}

void SetDefaultStates(DeviceState& s, bool auto_depth) {
  std::memset(s.render, 0, sizeof s.render);
  DWORD* r = s.render;
  r[D3DRS_ZENABLE] = auto_depth ? D3DZB_TRUE : D3DZB_FALSE;
  r[D3DRS_FILLMODE] = D3DFILL_SOLID;
  r[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  r[D3DRS_ZWRITEENABLE] = TRUE;
  r[D3DRS_ALPHATESTENABLE] = FALSE;
  r[D3DRS_LASTPIXEL] = TRUE;
  r[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  r[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  r[D3DRS_CULLMODE] = D3DCULL_CCW;
  r[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  r[D3DRS_ALPHAREF] = 0;
  r[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  r[D3DRS_FOGSTART] = FloatBits(0.f);
  r[D3DRS_FOGEND] = FloatBits(1.f);
  r[D3DRS_FOGDENSITY] = FloatBits(1.f);
  r[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  r[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  r[D3DRS_STENCILMASK] = 0xffffffffu;
  r[D3DRS_STENCILWRITEMASK] = 0xffffffffu;
  r[D3DRS_TEXTUREFACTOR] = 0xffffffffu;
  r[D3DRS_CLIPPING] = TRUE;
  r[D3DRS_LIGHTING] = TRUE;
  r[D3DRS_COLORVERTEX] = TRUE;
  r[D3DRS_LOCALVIEWER] = TRUE;
  r[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  r[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  r[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  r[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  r[D3DRS_POINTSIZE] = FloatBits(1.f);
  r[D3DRS_POINTSIZE_MIN] = FloatBits(1.f);
  r[D3DRS_POINTSCALE_A] = FloatBits(1.f);
  r[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  r[D3DRS_MULTISAMPLEMASK] = 0xffffffffu;
  r[D3DRS_DEBUGMONITORTOKEN] = D3DDMT_ENABLE;
  r[D3DRS_POINTSIZE_MAX] = FloatBits(kMaxPointSize);  // the caps' MaxPointSize
  r[D3DRS_COLORWRITEENABLE] = 0xf;
  r[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  r[D3DRS_POSITIONDEGREE] = D3DDEGREE_CUBIC;
  r[D3DRS_NORMALDEGREE] = D3DDEGREE_LINEAR;
  r[D3DRS_MINTESSELLATIONLEVEL] = FloatBits(1.f);
  r[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.f);
  r[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.f);
  r[D3DRS_CCW_STENCILFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_CCW_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  r[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
  r[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
  r[D3DRS_COLORWRITEENABLE1] = 0xf;
  r[D3DRS_COLORWRITEENABLE2] = 0xf;
  r[D3DRS_COLORWRITEENABLE3] = 0xf;
  r[D3DRS_BLENDFACTOR] = 0xffffffffu;
  r[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  r[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  r[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

  for (DWORD i = 0; i < kSamplerSlots; ++i) {
    DWORD* sm = s.sampler[i];
    std::memset(sm, 0, sizeof s.sampler[i]);
    sm[D3DSAMP_ADDRESSU] = sm[D3DSAMP_ADDRESSV] = sm[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    sm[D3DSAMP_MAGFILTER] = sm[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    sm[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    sm[D3DSAMP_MAXANISOTROPY] = 1;
  }
  for (DWORD i = 0; i < D3D_MAX_TEXTURE_STAGES; ++i) {
    DWORD* t = s.stage[i];
    std::memset(t, 0, sizeof s.stage[i]);
    t[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    t[D3DTSS_TEXCOORDINDEX] = i;
    t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }

  const D3DMATRIX id = IdentityMatrix();
  for (D3DMATRIX& m : s.world) m = id;
  s.view = s.projection = id;
  for (D3DMATRIX& m : s.texture_transform) m = id;
  s.viewport = {};
  s.material = {};
  s.lights.clear();
  std::memset(s.clip_planes, 0, sizeof s.clip_planes);
  s.scissor = {};
  s.clip_status = {};
  for (Texture*& t : s.textures) t = nullptr;
  for (StreamBinding& b : s.streams) b = {};
  s.indices = nullptr;
  s.fvf = 0;
  s.declaration = nullptr;
  s.vertex_shader = nullptr;
  std::memset(s.vs_constants_f, 0, sizeof s.vs_constants_f);
  std::memset(s.vs_constants_i, 0, sizeof s.vs_constants_i);
  std::memset(s.vs_constants_b, 0, sizeof s.vs_constants_b);
  for (Surface*& t : s.render_targets) t = nullptr;
  s.depth_stencil = nullptr;
  s.dirty = kDirtyAll;
}

}  // namespace d3d9_impl
