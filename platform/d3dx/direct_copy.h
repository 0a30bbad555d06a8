// The fast path of D3DXLoadSurfaceFromSurface: surfaces of one uncompressed
// format, no colour key, and either equal rectangle sizes or point (or no)
// filtering, copied texel by texel without the float round trip.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9.h"

namespace d3dx_impl {

// True when the copy may take the fast path: it gives the texels the float
// path gives (only unused X bits may differ: they are copied, not cleared).
bool CanCopyDirectly(const D3DSURFACE_DESC& dest, const RECT& destRect, const D3DSURFACE_DESC& src,
                     const RECT& srcRect, DWORD filter, D3DCOLOR colourKey);

// Copies, through system memory where a surface does not lock.
HRESULT CopyDirectly(IDirect3DSurface9* dest, const RECT& destRect, IDirect3DSurface9* src, const RECT& srcRect);

}  // namespace d3dx_impl
