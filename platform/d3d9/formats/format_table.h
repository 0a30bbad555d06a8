// The pixel formats the device knows: size, block layout, channels and what
// each can be used for on this device.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace d3d9_formats {

// What a format can be used for on this device (bits of FormatInfo::uses).
enum FormatUse : DWORD {
  kUseTexture = 1u << 0,       // sampled by the rasterizer
  kUseRenderTarget = 1u << 1,  // drawn into (and a back buffer)
  kUseDepthStencil = 1u << 2,  // a depth buffer
  kUseDisplay = 1u << 3,       // a display mode / adapter format
  kUseIndex = 1u << 4,         // an index buffer format
  kUseScratch = 1u << 5,       // memory layout known: lockable in any pool
  kUseRowCodec = 1u << 6,      // DecodeRow/EncodeRow handle it
};

struct FormatInfo {
  D3DFORMAT format;
  const char* name;      // "D3DFMT_A8R8G8B8"
  UINT bits_per_pixel;   // average bits per pixel (4 for DXT1, 16 for YUY2)
  UINT block_size;       // pixels per block side: 4 for DXT, 1 otherwise
  UINT block_bytes;      // bytes per 4x4 block of DXT formats, 0 otherwise
  UINT pair_packed;      // 1 for the two-pixel packed YUY2/UYVY/RGBG/GRGB
  bool has_alpha;
  bool is_float;
  DWORD uses;            // FormatUse bits
};

// The entry of a format, or null for an unknown value.
const FormatInfo* FindFormat(D3DFORMAT format);
// Every known format, in increasing value order; `count` receives the size.
const FormatInfo* AllFormats(UINT* count);
// "D3DFMT_..." for a known format, else null.
const char* FormatName(D3DFORMAT format);

bool HasUse(D3DFORMAT format, DWORD use);
inline bool IsBlockCompressed(const FormatInfo& f) { return f.block_bytes != 0; }

// Bytes of one row (for DXT: one row of 4x4 blocks) of `width` pixels. Rows
// of uncompressed formats are padded to a multiple of four bytes. 0 for an
// unknown format.
UINT RowPitch(D3DFORMAT format, UINT width);
// Rows of storage for `height` pixels (height / 4 rounded up for DXT).
UINT RowCount(D3DFORMAT format, UINT height);
// RowPitch * RowCount.
UINT SurfaceBytes(D3DFORMAT format, UINT width, UINT height);

}  // namespace d3d9_formats
