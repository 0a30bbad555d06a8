// Block compression DXT1 to DXT5: decoding one 4 x 4 block into ARGB texels
// and encoding 16 ARGB texels into one block. Needs nothing but <cstdint>.
#pragma once

#include <cstdint>

namespace d3d9_formats {

enum class BlockKind : std::uint8_t { Dxt1, Dxt2, Dxt3, Dxt4, Dxt5 };

// Bytes one 4 x 4 block takes: 8 for DXT1, 16 for the others.
constexpr int BlockBytes(BlockKind kind) { return kind == BlockKind::Dxt1 ? 8 : 16; }

// Decodes a block into 16 texels 0xAARRGGBB, row by row. DXT2 and DXT4 hold
// colours premultiplied by alpha; they come back divided out again.
void DecodeBlock(BlockKind kind, const std::uint8_t* block, std::uint32_t texels[16]);

// Encodes 16 texels 0xAARRGGBB, row by row. DXT1 keeps one bit of alpha:
// texels with alpha below 128 become transparent black.
void EncodeBlock(BlockKind kind, const std::uint32_t texels[16], std::uint8_t* block);

}  // namespace d3d9_formats
