// The vertex programs of the indexed shader method (one per influence
// count, 1 to 4) and the passes of the indexed effect method, with the
// constant registers they read.
#pragma once

#include <vector>

#include "platform/d3dx/d3dx9.h"

// Registers of the skinning programs: c0 (1, power, 0, 765.01), c1 the
// direction towards the light in view space, c2 to c5 the projection
// (transposed), c7 the ambient colour, c8 the diffuse colour, and from c9
// three registers per palette bone (bone x view, transposed).
constexpr UINT kSkinLightRegister = 1;
constexpr UINT kSkinProjectionRegister = 2;

// The token stream of the program for `influences` (1 to 4) bones a vertex.
const DWORD* SkinningProgram(int influences);

// The effect's one pass: selects the program for "CurNumBones" + 1 from
// `shaders` and loads "mWorldMatrixArray", "MaterialDiffuse" and
// "MaterialAmbient" into the registers above. `shaders` must outlive it.
std::vector<D3DXEffectPass> SkinningEffectPasses(IDirect3DVertexShader9* const* shaders);
