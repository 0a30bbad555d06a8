// The one upload of a prepared point or line list into the engine's 3D
// buffer, which the render tests then draw from without copying again.
#pragma once

#include "engine/render/render_list.h"
#include "platform/d3d9/d3d9.h"

// Copies the list's vertices to the start of the 3D buffer and draws them
// once as `primitives` primitives of `type`, inside a scene of its own
// unless one is open. A failed lock draws nothing.
void UploadList3D(const Render& list, D3DPRIMITIVETYPE type, UINT primitives);
