// The --show-mesh command: loads an X file through the engine as a static
// mesh or a skinned hierarchy and draws it under the engine's light with an
// orbiting camera, in a window or headless into a screenshot.
#pragma once

// Handles `vornel --show-mesh FILE.x [--skinned] [--method N]
// [--screenshot F.png] [--headless]`. Sets *handled when the arguments
// ask for it and returns the exit status: 0 when shown, 2 for a missing or
// malformed file or bad options.
int RunShowMeshCommand(int argc, char** argv, bool* handled);
