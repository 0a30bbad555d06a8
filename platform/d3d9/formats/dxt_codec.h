// Block compression DXT1 to DXT5: decoding one 4 x 4 block into ARGB texels
// and encoding 16 ARGB texels into one block. Needs nothing but <cstdint>.
#pragma once

#include <cstdint>

namespace d3d9_formats {

enum class BlockKind : std::uint8_t { Dxt1, Dxt2, Dxt3, Dxt4, Dxt5 };

// The block kind of a DXT format, given as its FOURCC format value
// ('DXT1' ... 'DXT5'); false for any other format.
bool BlockKindOfFourCC(std::uint32_t format, BlockKind* kind);

// Bytes one 4 x 4 block takes: 8 for DXT1, 16 for the others.
constexpr int BlockBytes(BlockKind kind) { return kind == BlockKind::Dxt1 ? 8 : 16; }

// Decodes a block into 16 texels 0xAARRGGBB, row by row. DXT2 and DXT4 hold
// colours premultiplied by alpha; they come back divided out again.
void DecodeBlock(BlockKind kind, const std::uint8_t* block, std::uint32_t texels[16]);

// Decodes a whole width x height picture of blocks (`pitch` bytes a block
// row) into ARGB texels, `width` a row; blocks past the edge give only the
// texels inside it.
void DecodeBlockPicture(BlockKind kind, const std::uint8_t* bits, int pitch, unsigned width, unsigned height,
                        std::uint32_t* texels);

// Encodes 16 texels 0xAARRGGBB, row by row. DXT1 keeps one bit of alpha:
// texels with alpha below 128 become transparent black.
void EncodeBlock(BlockKind kind, const std::uint32_t texels[16], std::uint8_t* block);

}  // namespace d3d9_formats
