// The three forms the 3D tests draw their random numbers in, all from the
// C runtime's rand(), never seeded, so every run draws the same scene.
#pragma once

#include <cstdlib>

// A coordinate from -50.0 to 49.5 in steps of 0.5.
inline float RandomCoordinate() { return static_cast<float>((std::rand() % 200 - 100) * 0.5); }

// A bright channel from 0.5 to 0.995.
inline float RandomBrightChannel() { return static_cast<float>((std::rand() % 100 + 100) / 200.0); }

// A channel from 0.0 to 254/255.
inline float RandomChannel() { return static_cast<float>((std::rand() % 255) / 255.0); }
