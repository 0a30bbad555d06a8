// Indexed skinning as vertex programs: each vertex blends up to four
// palette bones by its weights (the last weight makes the sum one), is lit
// by one directional light, and is projected.
#include "engine/mesh/skinning_programs.h"

#include <cmath>

#include "platform/d3d9/vertex_program.h"

namespace {

using d3d9_program::Constants;
using d3d9_program::VertexInputs;
using d3d9_program::VertexOutputs;

float Dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
float Dot4(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3]; }

void Skin(int n, const VertexInputs& in, Constants c, VertexOutputs& out) {
  // Indices come as a D3DCOLOR: index k is in component 2, 1, 0, 3.
  static const int kSwizzle[4] = {2, 1, 0, 3};
  float weights[4] = {};
  float last = 1.0f;
  for (int k = 0; k + 1 < n; ++k) {
    weights[k] = in.blend_weight[k];
    last -= weights[k];
  }
  weights[n - 1] = last;
  const float p[4] = {in.position[0], in.position[1], in.position[2], 1.0f};
  float pos[4] = {0, 0, 0, 1}, nrm[3] = {0, 0, 0};
  for (int k = 0; k < n; ++k) {
    // c0.w (765.01) turns the 0..1 colour into three registers per bone.
    const int offset = static_cast<int>(in.blend_indices[kSwizzle[k]] * c[0][3]);
    const int r = 9 + offset;
    if (r < 0 || r + 2 > 255) continue;
    for (int j = 0; j < 3; ++j) {
      pos[j] += weights[k] * Dot4(c[r + j], p);
      nrm[j] += weights[k] * Dot3(c[r + j], in.normal);
    }
  }
  const float len = std::sqrt(Dot3(nrm, nrm));
  if (len > 0) for (float& v : nrm) v /= len;
  const float light = std::fmax(0.0f, Dot3(nrm, c[1]));
  for (int j = 0; j < 3; ++j) out.diffuse[j] = c[7][j] + c[8][j] * light;
  out.diffuse[3] = c[8][3];
  for (int j = 0; j < 4; ++j) out.position[j] = Dot4(c[2 + j], pos);
  for (int j = 0; j < 4; ++j) out.texcoord[0][j] = in.texcoord[0][j];
}

template <int N>
const DWORD* Program() {
  static const DWORD* tokens = d3d9_program::RegisterVertexProgram(
      [](const VertexInputs& in, Constants c, VertexOutputs& out) { Skin(N, in, c, out); });
  return tokens;
}

}  // namespace

const DWORD* SkinningProgram(int influences) {
  switch (influences) {
    case 1: return Program<1>();
    case 2: return Program<2>();
    case 3: return Program<3>();
    case 4: return Program<4>();
    default: return nullptr;
  }
}

std::vector<D3DXEffectPass> SkinningEffectPasses(IDirect3DVertexShader9* const* shaders) {
  return {[shaders](IDirect3DDevice9* d, const ID3DXEffectParameters& params) -> HRESULT {
    UINT count = 0;
    const float* bones = params.Get("CurNumBones", &count);
    const int n = bones && count ? static_cast<int>(bones[0]) + 1 : 1;
    if (n < 1 || n > 4) return D3DERR_INVALIDCALL;
    d->SetVertexShader(shaders[n - 1]);
    const float c0[4] = {1.0f, 0.0f, 0.0f, 765.01f};
    d->SetVertexShaderConstantF(0, c0, 1);
    if (const float* v = params.Get("MaterialDiffuse", &count); v && count >= 4) d->SetVertexShaderConstantF(8, v, 1);
    if (const float* v = params.Get("MaterialAmbient", &count); v && count >= 4) d->SetVertexShaderConstantF(7, v, 1);
    const float* m = params.Get("mWorldMatrixArray", &count);
    for (UINT p = 0; m && 16 * (p + 1) <= count && 9 + 3 * p + 3 <= 256; ++p) {
      // Three columns of the row-major matrix become three registers.
      float t[12];
      for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 4; ++k) t[4 * r + k] = m[16 * p + 4 * k + r];
      d->SetVertexShaderConstantF(9 + 3 * p, t, 3);
    }
    return D3D_OK;
  }};
}
