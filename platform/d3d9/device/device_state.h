// The state record of the device: render, sampler and texture-stage states,
// transforms, viewport, material, lights and bindings, with one dirty bit
// per group so that a draw recomputes only what changed.
#pragma once

#include <map>

#include "platform/d3d9/d3d9.h"

namespace d3d9_impl {

class Texture;
class Surface;
class VertexBuffer;
class IndexBuffer;
class VertexDeclaration;
class VertexShader;

// Groups of state a setter can invalidate.
enum DirtyBits : DWORD {
  kDirtyTransform = 1u << 0,  // world, view, projection
  kDirtyViewport = 1u << 1,
  kDirtyPixel = 1u << 2,      // render states of the pixel stage
  kDirtyTexture = 1u << 3,    // texture bindings, sampler and stage states
  kDirtyVertex = 1u << 4,     // FVF, declaration, lighting states
  kDirtyTarget = 1u << 5,     // render target, depth buffer
  kDirtyAll = 0xffffffffu,
};

constexpr DWORD kMaxStreams = 16;
constexpr DWORD kMaxRenderTargets = 4;
constexpr DWORD kMaxWorldMatrices = 256;
constexpr UINT kVertexShaderConstants = 256;
// The 16 pixel samplers, the displacement-map sampler and the four vertex
// samplers.
constexpr DWORD kSamplerSlots = D3D_MAX_SAMPLERS + 5;

// The slot of a sampler number, or -1 for a number Direct3D does not know.
inline int SamplerSlot(DWORD sampler) {
  if (sampler < D3D_MAX_SAMPLERS) return static_cast<int>(sampler);
  if (sampler >= D3DDMAPSAMPLER && sampler <= D3DVERTEXTEXTURESAMPLER3)
    return static_cast<int>(D3D_MAX_SAMPLERS + (sampler - D3DDMAPSAMPLER));
  return -1;
}

struct StreamBinding {
  VertexBuffer* buffer = nullptr;
  UINT offset = 0;
  UINT stride = 0;
  UINT frequency = 1;
};

struct LightSlot {
  D3DLIGHT9 light;
  bool enabled = false;
};

struct DeviceState {
  DWORD render[D3D_RENDER_STATE_COUNT];
  DWORD sampler[kSamplerSlots][D3D_SAMPLER_STATE_COUNT];
  DWORD stage[D3D_MAX_TEXTURE_STAGES][D3D_TEXTURE_STAGE_STATE_COUNT];
  D3DMATRIX world[kMaxWorldMatrices];
  D3DMATRIX view;
  D3DMATRIX projection;
  D3DMATRIX texture_transform[D3D_MAX_TEXTURE_STAGES];
  D3DVIEWPORT9 viewport;
  D3DMATERIAL9 material;
  std::map<DWORD, LightSlot> lights;
  float clip_planes[D3DMAXUSERCLIPPLANES][4];
  RECT scissor;
  D3DCLIPSTATUS9 clip_status;

  Texture* textures[kSamplerSlots] = {};
  StreamBinding streams[kMaxStreams] = {};
  IndexBuffer* indices = nullptr;
  DWORD fvf = 0;
  VertexDeclaration* declaration = nullptr;
  VertexShader* vertex_shader = nullptr;
  float vs_constants_f[kVertexShaderConstants][4];
  int vs_constants_i[16][4];
  BOOL vs_constants_b[16];
  Surface* render_targets[kMaxRenderTargets] = {};
  Surface* depth_stencil = nullptr;

  DWORD dirty = kDirtyAll;
};

// Fills every state with its documented default; bindings become null.
// `auto_depth` says whether the device has an implicit depth buffer, which
// turns depth testing on by default.
void SetDefaultStates(DeviceState& s, bool auto_depth);

// The identity matrix.
D3DMATRIX IdentityMatrix();

}  // namespace d3d9_impl
