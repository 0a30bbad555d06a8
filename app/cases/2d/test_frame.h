// The common frame of a 2D test: its name, the lighting, the scaled or
// screen view, the scene, the status texts, and the present at the end.
#pragma once

// False while the engine has no device (its start-up failed): the tests
// then draw nothing.
bool DeviceReady();

// Steps 1 to 4 of a frame: on set-up the test's signature text as the test
// name; light 0 on and lighting off; the view; a scene opened unless one is
// open. Returns whether this is the set-up frame (needsInit as it was when
// the frame began).
bool BeginScaledFrame(const char* signature);
bool BeginScreenFrame(const char* signature);

// Steps 1 and 2 alone, for the copy tests, whose copies run outside the
// scene: returns whether this is the set-up frame.
bool NameAndLightFrame(const char* signature);
// Step 4 alone: a scene opened unless one is open.
void OpenTestScene();

// The screen view's three device calls with the relative-scaling flag given
// (the screen tests read it from "Use Relative Scaling"; the copy tests
// force it on).
void SelectScreenView(bool relative);

// Light 0 on, lighting off.
void SetTestLighting();

// Binds no texture to stage 0, as the untextured primitives want.
void UnbindTexture();

// Step 7: the scene closed if open, the frame presented into the view and
// needsInit cleared.
void EndTestFrame();
