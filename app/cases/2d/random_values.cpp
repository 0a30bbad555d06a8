// Random coordinates, colour components and source slots of the 2D tests.
#include "app/cases/2d/random_values.h"

#include <cstdlib>

#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "engine/vorn.h"

int RandomBelow(int n) {
  const int r = std::rand();  // drawn even for an empty range, so the sequence stays in step
  return n > 1 ? r % n : 0;
}

float RandomScaled() { return static_cast<float>(std::rand() % 2000) / 1000.0f - 1.0f; }

float RandomScreenX() {
  if (g_Engine.m_bRelativeScaling) return RandomScaled();
  return static_cast<float>(RandomBelow(g_Harness.resolutionWidth));
}

float RandomScreenY() {
  if (g_Engine.m_bRelativeScaling) return RandomScaled();
  return static_cast<float>(RandomBelow(g_Harness.resolutionHeight));
}

float RandomComponent() { return static_cast<float>(std::rand() % 255) / 255.0f; }

int RandomSourceSlot() { return 1 + std::rand() % (4 + (g_Harness.copyFromTexture ? 1 : 0)); }
