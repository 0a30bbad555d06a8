// The five variants of the polygon tests and how the selected menu id
// names them: the immediate ids 32894 to 32902 and the render ids 32895 to
// 32903 each step by two through the same five.
#pragma once

#include "platform/win32/windows.h"

enum class PolyVariant { kPlain, kTextured, kLit, kTexturedLit, kTriLit };

constexpr UINT kFirstImmediatePolyId = 32894;
constexpr UINT kFirstRenderPolyId = 32895;

// The variant of `id` counted from `firstId`; an id outside the five draws
// the plain variant.
constexpr PolyVariant PolyVariantOf(UINT id, UINT firstId) {
  if (id < firstId || (id - firstId) % 2 != 0 || (id - firstId) / 2 > 4) return PolyVariant::kPlain;
  return static_cast<PolyVariant>((id - firstId) / 2);
}

constexpr bool IsLit(PolyVariant v) {
  return v == PolyVariant::kLit || v == PolyVariant::kTexturedLit || v == PolyVariant::kTriLit;
}

constexpr bool IsTextured(PolyVariant v) {
  return v == PolyVariant::kTextured || v == PolyVariant::kTexturedLit;
}
