// Helpers for the tests that hold the cases' rules: the unseeded rand()
// replayed from a known seed, buffer and texture read-back, and glyph
// quads read back as text.
#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/render/vertex_layouts.h"
#include "platform/d3d9/d3d9.h"

namespace app_test {

// The first n values rand() gives after srand(seed); the generator is left
// seeded again, so that the code under test draws the same values.
inline std::vector<int> SeededRands(unsigned seed, std::size_t n) {
  std::srand(seed);
  std::vector<int> values(n);
  for (int& v : values) v = std::rand();
  std::srand(seed);
  return values;
}

// How many values were drawn since srand(seed), told by the next one; -1
// when it is none of the first n + 1.
inline int RandsDrawnSince(unsigned seed, std::size_t n) {
  const int next = std::rand();
  const std::vector<int> values = SeededRands(seed, n + 1);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] == next) return static_cast<int>(i);
  return -1;
}

// The first n vertices a vertex buffer holds.
template <typename Vertex>
std::vector<Vertex> BufferedVertices(IDirect3DVertexBuffer9* buffer, int n) {
  std::vector<Vertex> out(static_cast<std::size_t>(n > 0 ? n : 0));
  void* data = nullptr;
  if (out.empty() || !buffer ||
      FAILED(buffer->Lock(0, static_cast<UINT>(n * sizeof(Vertex)), &data, D3DLOCK_READONLY)) || !data)
    return {};
  std::memcpy(out.data(), data, out.size() * sizeof(Vertex));
  buffer->Unlock();
  return out;
}

// The glyph codes of a list of glyph quads (six vertices each): the font's
// 16 x 16 cells are 0.0625 wide and high in texture space, and every quad's
// first vertex lies inside its cell.
template <typename Vertex>
std::string GlyphText(const Vertex* v, int vertices) {
  std::string text;
  for (int i = 0; i + 5 < vertices; i += 6) {
    const int column = static_cast<int>(std::lround(v[i].u / 0.0625f));
    const int row = static_cast<int>(v[i].v / 0.0625f);
    text.push_back(static_cast<char>(row * 16 + column));
  }
  return text;
}

// A texel of a texture's level 0 as 0xAARRGGBB.
inline DWORD Texel(IDirect3DTexture9* t, int x, int y) {
  D3DLOCKED_RECT lr{};
  if (!t || FAILED(t->LockRect(0, &lr, nullptr, D3DLOCK_READONLY))) return 0;
  const DWORD c = static_cast<const DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x];
  t->UnlockRect(0);
  return c;
}

}  // namespace app_test
