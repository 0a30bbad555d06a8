// Writing X8R8G8B8 pixels as an 8-bit RGB PNG file.
#pragma once

#include <cstdint>
#include <string>

// Rows top-down, `pitch` words a row. False with a message on failure
// (the file cannot be created, or libpng fails).
bool WritePixelsPng(const char* path, const std::uint32_t* pixels, int width, int height, int pitch,
                    std::string* error);
