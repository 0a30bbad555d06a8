// Where each component of a flexible-vertex-format vertex lies, for the
// mesh code that reads and writes vertices of any FVF.
#pragma once

#include "platform/d3d9/d3d9.h"

struct FvfLayout {
  DWORD stride = 0;
  int position = -1;  // byte offsets, -1 when absent
  int weights = -1;   // the blend weights after the position
  int numBetas = 0;   // floats after the position (weights and packed indices)
  bool lastBetaIndices = false;  // the last beta holds four UBYTE4/D3DCOLOR indices
  int normal = -1;
  int psize = -1;
  int diffuse = -1;
  int specular = -1;
  int tex0 = -1;
  int texCount = 0;
  int texSize[8] = {};  // floats per coordinate set
};

// False for an FVF the meshes cannot hold (no position, pre-transformed
// positions, reserved bits).
bool DescribeFvf(DWORD fvf, FvfLayout* out);
