// Copying vertices into the start of a shared vertex buffer.
#pragma once

#include <cstring>

#include "platform/d3d9/d3d9.h"

// Locks the first `bytes` of `vb` with flags 0, copies `from` in and
// unlocks; false (nothing written) when there is no buffer or the lock fails.
inline bool FillBuffer(IDirect3DVertexBuffer9* vb, const void* from, UINT bytes) {
  void* data = nullptr;
  if (!vb || !from || FAILED(vb->Lock(0, bytes, &data, 0)) || !data) return false;
  std::memcpy(data, from, bytes);
  vb->Unlock();
  return true;
}
