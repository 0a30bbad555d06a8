// Which list a shared vertex buffer holds: the Not Random list tests draw
// again without a copy only while the buffer still holds their list, so a
// buffer that a reset or resolution change rebuilt gets the list once more.
#pragma once

#include "platform/d3d9/d3d9.h"

struct Render;

// Tags the buffer with the list just copied into it.
void MarkBufferHolds(IDirect3DVertexBuffer9* buffer, const Render& list);
// True while the buffer carries that tag.
bool BufferHolds(IDirect3DVertexBuffer9* buffer, const Render& list);
