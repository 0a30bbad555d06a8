// FVF layouts, vertex sizes and the declarations equivalent to an FVF.
#include "platform/d3dx/mesh_fvf.h"

#include "platform/d3dx/d3dx9.h"

bool DescribeFvf(DWORD fvf, FvfLayout* out) {
  *out = FvfLayout{};
  if (fvf & (D3DFVF_RESERVED0 | 0xFF000000u)) return false;
  const DWORD pos = fvf & D3DFVF_POSITION_MASK;
  DWORD off = 0;
  out->position = 0;
  switch (pos) {
    case D3DFVF_XYZ: off = 12; break;
    case D3DFVF_XYZW: off = 16; break;
    case D3DFVF_XYZB1: case D3DFVF_XYZB2: case D3DFVF_XYZB3: case D3DFVF_XYZB4: case D3DFVF_XYZB5:
      out->numBetas = static_cast<int>((pos - D3DFVF_XYZRHW) / 2);  // XYZB1 (6) holds one
      out->weights = 12;
      off = 12 + 4 * static_cast<DWORD>(out->numBetas);
      break;
    default: return false;  // none, XYZRHW: not a mesh vertex
  }
  out->lastBetaIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0 && out->numBetas > 0;
  if (fvf & D3DFVF_NORMAL) { out->normal = static_cast<int>(off); off += 12; }
  if (fvf & D3DFVF_PSIZE) { out->psize = static_cast<int>(off); off += 4; }
  if (fvf & D3DFVF_DIFFUSE) { out->diffuse = static_cast<int>(off); off += 4; }
  if (fvf & D3DFVF_SPECULAR) { out->specular = static_cast<int>(off); off += 4; }
  out->texCount = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  if (out->texCount > 8) return false;
  if (out->texCount > 0) out->tex0 = static_cast<int>(off);
  for (int i = 0; i < out->texCount; ++i) {
    static const int kSizes[4] = {2, 3, 4, 1};  // by D3DFVF_TEXTUREFORMATn
    out->texSize[i] = kSizes[(fvf >> (16 + 2 * i)) & 3];
    off += 4 * static_cast<DWORD>(out->texSize[i]);
  }
  out->stride = off;
  return true;
}

UINT D3DXGetFVFVertexSize(DWORD fvf) {
  FvfLayout l;
  return DescribeFvf(fvf, &l) ? l.stride : 0;
}

HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE]) {
  FvfLayout l;
  if (!decl || !DescribeFvf(fvf, &l)) return D3DERR_INVALIDCALL;
  int n = 0;
  auto add = [&](int offset, D3DDECLTYPE type, D3DDECLUSAGE usage, int index) {
    decl[n++] = D3DVERTEXELEMENT9{0, static_cast<WORD>(offset), static_cast<BYTE>(type), D3DDECLMETHOD_DEFAULT,
                                  static_cast<BYTE>(usage), static_cast<BYTE>(index)};
  };
  add(0, (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZW ? D3DDECLTYPE_FLOAT4 : D3DDECLTYPE_FLOAT3,
      D3DDECLUSAGE_POSITION, 0);
  const int weights = l.numBetas - (l.lastBetaIndices ? 1 : 0);
  if (weights > 0)
    add(l.weights, static_cast<D3DDECLTYPE>(D3DDECLTYPE_FLOAT1 + weights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0);
  if (l.lastBetaIndices)
    add(l.weights + 4 * weights, (fvf & D3DFVF_LASTBETA_D3DCOLOR) ? D3DDECLTYPE_D3DCOLOR : D3DDECLTYPE_UBYTE4,
        D3DDECLUSAGE_BLENDINDICES, 0);
  if (l.normal >= 0) add(l.normal, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
  if (l.psize >= 0) add(l.psize, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
  if (l.diffuse >= 0) add(l.diffuse, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
  if (l.specular >= 0) add(l.specular, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
  int off = l.tex0;
  for (int i = 0; i < l.texCount; ++i) {
    add(off, static_cast<D3DDECLTYPE>(D3DDECLTYPE_FLOAT1 + l.texSize[i] - 1), D3DDECLUSAGE_TEXCOORD, i);
    off += 4 * l.texSize[i];
  }
  decl[n] = D3DVERTEXELEMENT9 D3DDECL_END();
  return D3D_OK;
}
