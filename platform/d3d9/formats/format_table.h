// The pixel formats the device knows, one row each: size, block layout,
// channel fields, kind and what each can be used for on this device. Every
// codec, copy and filter reads its facts from this row.
#pragma once

#include <cstdint>

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

// How a format stores its texels; picks the codec that reads the row.
enum class FormatKind : std::uint8_t {
  Packed,   // unsigned normalised bit fields in a little-endian word (RGB, alpha, luminance)
  Float,    // 16- or 32-bit float channels in the order r, g, b, a
  Palette,  // an 8-bit index into a palette (and an alpha byte for A8P8)
  Pair,     // two pixels in four bytes sharing chroma (YUV 4:2:2, RGBG)
  Block,    // 4 x 4 blocks (DXT)
  Depth,    // depth and stencil
  Index,    // index buffer formats
  Signed,   // signed bump-map formats, not converted
  Other,    // formats with no texels to convert (D3DFMT_A1)
};

// One channel: `bits` wide at bit `shift` of the pixel word (0 bits: the
// format lacks it). Float channels are 16 or 32 bits at their bit offset.
// Palette, pair and block formats give each channel's precision only; their
// codecs place the bits themselves.
struct ChannelField {
  std::uint8_t shift;
  std::uint8_t bits;
};

struct ChannelLayout {
  ChannelField r, g, b, a;
  ChannelField l;  // luminance, repeated into red, green and blue
  // Unused bits written as ones: the X byte of the X8 formats, so their
  // words read as opaque where they are taken for the A8 sibling. Other
  // unused bits are written as zero.
  ChannelField x = {};
};

// A row of the table. Columns are plain data so another renderer's mapping
// can be added as one more member at the end; rows that omit it leave it 0.
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
  FormatKind kind;
  ChannelLayout channels;
};

// The entry of a format, or null for an unknown value.
const FormatInfo* FindFormat(D3DFORMAT format);
// Every known format, in increasing value order; `count` receives the size.
const FormatInfo* AllFormats(UINT* count);
// "D3DFMT_..." for a known format, else null.
const char* FormatName(D3DFORMAT format);

bool HasUse(D3DFORMAT format, DWORD use);
inline bool IsBlockCompressed(const FormatInfo& f) { return f.block_bytes != 0; }
// Bytes of one pixel (2 for the two-pixel formats, four bytes a pair); 0 for
// block formats.
inline UINT BytesPerPixel(const FormatInfo& f) { return f.block_bytes ? 0 : f.bits_per_pixel / 8; }
// The texel codecs (rows, rectangles, filters) read and write this format.
inline bool HasTexelCodec(const FormatInfo& f) { return (f.uses & kUseRowCodec) || f.block_bytes != 0; }
bool HasTexelCodec(D3DFORMAT format);

// Bytes of one row (for DXT: one row of 4x4 blocks) of `width` pixels. Rows
// of uncompressed formats are padded to a multiple of four bytes. 0 for an
// unknown format.
UINT RowPitch(D3DFORMAT format, UINT width);
// Rows of storage for `height` pixels (height / 4 rounded up for DXT).
UINT RowCount(D3DFORMAT format, UINT height);
// RowPitch * RowCount.
UINT SurfaceBytes(D3DFORMAT format, UINT width, UINT height);

}  // namespace d3d9_formats
