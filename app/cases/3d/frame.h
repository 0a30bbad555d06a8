// The frame every 3D test runs: its name on set-up, the light and the 3D
// view, fog and the stored view on set-up, the orbiting camera advanced by
// wall-clock time, the clear, the scene and the present.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9.h"

// What each 3D test keeps for the whole run.
struct Camera3D {
  double angle = 0.0;     // radians, advanced by elapsed time
  D3DXMATRIX world{};     // zero until the first set-up
  D3DXMATRIX view{};
};

// Angle rates in radians per second of wall-clock time.
constexpr double kOrbitRate = 0.25;
constexpr double kImmediatePolyRate = 0.5;

// The device every step draws with, or null before start-up.
IDirect3DDevice9* Device3D();

// Names the test on set-up, switches light 0 on with lighting off and
// selects the 3D view at the chosen resolution's aspect. False (and the
// set-up request dropped) when there is no device to draw with.
//
// A resolution or swap-effect change resets the device, which forgets the
// textures, material, light and buffer contents a set-up gave it, and
// rebuilds the engine's 3D buffer without the mark FinishSetUp left on it:
// such a frame does the set-up again.
bool StartFrame3D(const std::string& testName);

// Marks the 3D buffer as set up for and clears the set-up request.
void FinishSetUp();

// The set-up every test but the sprites shares: black linear fog from 50
// to 150, an identity world and the stored view.
void CommonSetUp3D(Camera3D& camera);

// The view from `eye` at the origin with the y axis pointing down.
void LookAtOrigin(Camera3D& camera, const D3DXVECTOR3& eye);

// The eye orbiting the origin at the camera's angle.
void OrbitCamera(Camera3D& camera);

// Advances the angle by the seconds since the timer's last reading.
void AdvanceAngle(Camera3D& camera, double rate);

// Sets the view, clears target, depth and stencil to black and opens the
// scene unless one is open.
void ClearAndOpenScene(const Camera3D& camera);

// Closes the scene, presents into the view and, unless told not to,
// switches fog off again.
void CloseAndPresent(bool fogOff);

// Binds one of the test pictures (slots 1 to 4, or 1 to 5 with "Copy From
// Texture"), chosen by rand(), and makes it the current texture.
void BindRandomPicture();

// The world turned about the y axis by sin(angle), set on the device.
void SwingWorld(Camera3D& camera);

// The identity world, set on the device.
void ResetWorld(Camera3D& camera);
