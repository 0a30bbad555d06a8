// Reading picture files (BMP, JPEG, PNG, TGA) from memory into an Image, and
// writing an Image as BMP or PNG. Every reader checks each size and offset
// against the bytes it was given: a bad file gives false, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/d3dx/image/image.h"

namespace d3dx_image {

// The kind of picture the bytes hold, decided from their contents alone
// (a file named ".jpg" may well hold a bitmap). TGA has no signature; it is
// the guess for anything whose header is a plausible TGA header.
std::optional<FileKind> DetectKind(const std::uint8_t* data, std::size_t size);

// Each returns true and fills `out` on success; false for data that is not
// a well-formed picture of its kind. `out` is unspecified after a failure.
bool ReadBmp(const std::uint8_t* data, std::size_t size, Image& out);
bool ReadJpeg(const std::uint8_t* data, std::size_t size, Image& out);
bool ReadPng(const std::uint8_t* data, std::size_t size, Image& out);
bool ReadTga(const std::uint8_t* data, std::size_t size, Image& out);

// DetectKind, then the matching reader.
bool ReadImage(const std::uint8_t* data, std::size_t size, Image& out);

// A bottom-up Windows bitmap: 24 bits per pixel, or with `keepAlpha` 32 bits
// with a BITMAPV5HEADER whose masks include alpha.
std::vector<std::uint8_t> WriteBmp(const Image& image, bool keepAlpha);

// An 8-bit RGB or RGBA PNG. Empty on failure.
std::vector<std::uint8_t> WritePng(const Image& image, bool keepAlpha);

}  // namespace d3dx_image
