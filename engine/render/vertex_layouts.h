// The four vertex layouts of the engine's coordinate spaces and their FVFs.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

// Scaled 2D space: x and y from -1 to +1, z always 0.
struct Vertex2D {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};

// Screen space: pre-transformed pixels, z 0 and rhw 1.
struct VertexScreen {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};

// 3D space: world positions with a normal and two colours.
struct Vertex3D {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR diffuse;
  D3DCOLOR specular;
  float u, v;
};

// Point sprites: a world position with its own point size.
struct VertexSprite {
  float x, y, z;
  float size;
  D3DCOLOR colour;
};

static_assert(sizeof(Vertex2D) == 24);
static_assert(sizeof(VertexScreen) == 28);
static_assert(sizeof(Vertex3D) == 40);
static_assert(sizeof(VertexSprite) == 20);

constexpr DWORD kFvf2D = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;                    // 0x142
constexpr DWORD kFvfScreen = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;             // 0x144
constexpr DWORD kFvf3D = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;  // 0x1D2
constexpr DWORD kFvfSprite = D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE;               // 0x62
