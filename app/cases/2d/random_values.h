// The random values of the 2D tests, all drawn from the runtime's unseeded
// rand() so that every run draws the same sequence.
#pragma once

// A scaled coordinate, -1.0 to 0.999.
float RandomScaled();
// A screen coordinate: pixels (rand() mod the chosen resolution's width or
// height) or, while the engine's relative-scaling flag is on, a scaled
// coordinate.
float RandomScreenX();
float RandomScreenY();
// A colour component, 0.0 to 254/255.
float RandomComponent();
// A picture slot to copy or draw from: 1 to 4, or 1 to 5 while "Copy From
// Texture" is on.
int RandomSourceSlot();
// rand() mod n, with n below 1 taken as 1 so that an empty range gives 0.
int RandomBelow(int n);
