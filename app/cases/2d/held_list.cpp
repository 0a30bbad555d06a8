// The buffer's tag is private data naming the list's address; a new buffer
// has none.
#include "app/cases/2d/held_list.h"

namespace {

constexpr GUID kHeldList2DTag = {0x2b8e41d7, 0x36c0, 0x4f95, {0xa1, 0x7e, 0x58, 0x0c, 0xd2, 0x94, 0x6b, 0x13}};

}  // namespace

void MarkBufferHolds(IDirect3DVertexBuffer9* buffer, const Render& list) {
  if (!buffer) return;
  const Render* held = &list;
  buffer->SetPrivateData(kHeldList2DTag, &held, sizeof held, 0);
}

bool BufferHolds(IDirect3DVertexBuffer9* buffer, const Render& list) {
  if (!buffer) return false;
  const Render* held = nullptr;
  DWORD size = sizeof held;
  return buffer->GetPrivateData(kHeldList2DTag, &held, &size) == D3D_OK && size == sizeof held &&
         held == &list;
}
