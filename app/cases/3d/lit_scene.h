// What the lit polygon variants share: the colour of the primitive being
// drawn, the point light's set-up, the lit eye with the light's path, and
// the marker drawn at the light.
#pragma once

#include "app/cases/3d/frame.h"

// The colour of the polygon tests' primitives, r, g, b, a.
struct PolyColour {
  float r, g, b, a;
};
extern PolyColour g_PolyColour;

// A new grey level (L, L, L, 1) for the shared colour, drawn in r, g, b
// order.
void PickPolyColour();

// The white point light at the origin with its specular power of 40, handed
// to the device as light 0 and switched on.
void SetUpPointLight();

// Instead of the orbit: the eye (0, 140 sin(a / 3.2), 100), the light moved
// along its path, and lighting with specular highlights, the diffuse and
// ambient colour from the vertices and the specular colour from the
// material.
void LitCameraAndLight(Camera3D& camera);

// Lighting off, the identity world and three white lines of length 2
// crossing at the light.
void DrawLightMarker(Camera3D& camera);
