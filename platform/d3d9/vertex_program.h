// Vertex programs: the device's stand-in for vertex shaders. The device does
// not execute shader bytecode; a vertex shader is a C++ function over the
// vertex's declared inputs and the constant registers set with
// SetVertexShaderConstantF. The device caps report vertex shader version
// 1.1 for these programs.
//
// A program is registered once; registration gives a short token stream
// (a version token, a comment naming the program, the end token) that
// IDirect3DDevice9::CreateVertexShader accepts like any shader function, so
// code written against the plain API creates the shader as usual:
//
//   static const DWORD* skin = d3d9_program::RegisterVertexProgram(
//       [](const d3d9_program::VertexInputs& in, const d3d9_program::Constants c,
//          d3d9_program::VertexOutputs& out) { ... });
//   device->CreateVertexShader(skin, &shader);
//
// Registrations last for the life of the process.
#pragma once

#include <functional>

#include "platform/d3d9/d3d9.h"

namespace d3d9_program {

// The inputs of one vertex by declaration usage (usage index 0 unless an
// array says otherwise). Missing inputs read (0, 0, 0, 1). FLOATn elements
// fill n components; D3DCOLOR gives r, g, b, a in 0..1; UBYTE4 gives the
// four bytes as 0..255.
struct VertexInputs {
  float position[4];
  float blend_weight[4];
  float blend_indices[4];
  float normal[4];
  float psize[4];
  float color[2][4];
  float texcoord[8][4];
};

// What the program writes. The device fills the defaults before the call:
// position (0, 0, 0, 1), colours (1, 1, 1, 1) and (0, 0, 0, 0), texture
// coordinates zero, fog 1 (no fog), point size from D3DRS_POINTSIZE.
struct VertexOutputs {
  float position[4];   // clip space, before the divide by w
  float diffuse[4];    // r, g, b, a in 0..1, clamped by the device
  float specular[4];
  float texcoord[8][4];
  float fog;           // fog factor: 1 keeps the colour, 0 is all fog
  float psize;         // point size in pixels
};

using Constants = const float (*)[4];  // the 256 float constant registers
using VertexFunction = std::function<void(const VertexInputs&, Constants, VertexOutputs&)>;

// Registers `fn` and returns the token stream that names it. Null for an
// empty function.
const DWORD* RegisterVertexProgram(VertexFunction fn);

// True when `tokens` is a registered program's token stream.
bool IsVertexProgram(const DWORD* tokens);

}  // namespace d3d9_program
