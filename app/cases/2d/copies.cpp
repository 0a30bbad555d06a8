// The copy tests: whole textures, sections and scrolls into the working
// texture (slot 6), shown next to their sources.
#include <algorithm>
#include <cmath>

#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/window/status_texts.h"
#include "app/cases/2d/random_values.h"
#include "app/cases/2d/test_frame.h"
#include "app/cases/2d/cases_2d.h"
#include "engine/vorn.h"

namespace {

constexpr int kTarget = 6;

struct Size {
  int w = 0, h = 0;
};

// Level 0 of a slot, or 0 x 0 for an empty one.
Size SlotSize(int slot) {
  Vorn& e = g_Engine;
  D3DSURFACE_DESC desc{};
  if (!e.m_pTextures || slot < 0 || slot >= e.m_nTextures || !e.m_pTextures[slot] ||
      FAILED(e.m_pTextures[slot]->GetLevelDesc(0, &desc)))
    return {};
  return {static_cast<int>(desc.Width), static_cast<int>(desc.Height)};
}

// A slot drawn as a screen bar in scaled coordinates.
void DrawSlot(int slot, float x1, float y1, float x2, float y2, float u1, float v1, float u2,
              float v2, float shade) {
  g_Engine.SetCurrentTexture(slot);
  g_Engine.DrawScreenTextureBar(x1, y1, x2, y2, u1, v1, u2, v2, shade, shade, shade, 1.0f);
}

// The picture half of a copy frame: the screen view with relative scaling
// forced on and an open scene, and the status texts on set-up.
void OpenPictureScene(bool init, const char* status, const char* mode) {
  SelectScreenView(true);
  OpenTestScene();
  if (init) {
    if (mode)
      SetStatusTexts(status, "", mode, nullptr);
    else
      SetStatusTexts(status, nullptr);
  }
}

// Slot 6 on the right half, from a pixel past the middle.
void DrawTargetHalf() {
  const float s = g_Engine.m_fScaleX;
  DrawSlot(kTarget, s, 1, 1, -1, 0, 0, 1, 1, 1.0f);
}

void EndPictureFrame() {
  UnbindTexture();
  EndTestFrame();
}

// A section (x, y, w, h) in texels of a source shown on the left half: the
// whole source dimmed, the section over it at full brightness.
struct Section {
  int x = 0, y = 0, w = 0, h = 0;
};

void DrawSourceWithSection(int slot, Section s) {
  DrawSlot(slot, -1, 1, 0, -1, 0, 0, 1, 1, 0.5f);
  const Size size = SlotSize(slot);
  if (size.w <= 0 || size.h <= 0) return;
  const float u1 = static_cast<float>(s.x) / size.w;
  const float v1 = static_cast<float>(s.y) / size.h;
  const float u2 = static_cast<float>(std::min(s.x + s.w, size.w)) / size.w;
  const float v2 = static_cast<float>(std::min(s.y + s.h, size.h)) / size.h;
  DrawSlot(slot, -1 + u1, 1 - 2 * v1, -1 + u2, 1 - 2 * v2, u1, v1, u2, v2, 1.0f);
}

// 0 to 1 along a sine of the frame counter with the given period.
float Wave(unsigned k, double period) { return static_cast<float>(std::sin(k / period) * 0.5 + 0.5); }

int g_wholeSource = 0;

int g_sectionSources[4] = {};
unsigned g_sectionFrames = 0;

Section g_fromSection;
int g_fromSource = 0;
unsigned g_fromFrames = 0;

Section g_toSection;
int g_toX = 0, g_toY = 0;
int g_toSource = 0;
unsigned g_toFrames = 0;

int g_scrollStep = 0, g_scrollAcross = 0, g_scrollDown = 0;

// x, and a width from it, for the section copy's Random and Static modes.
void RandomSpan(int extent, int& at, int& length) {
  at = RandomBelow(extent);
  const int r = RandomBelow(extent);
  length = r >= at ? at + 1 : RandomBelow(extent) + 1;
}

}  // namespace

void TestCopyTexture1_1() {
  if (!DeviceReady()) return;
  Vorn& e = g_Engine;
  e.m_bPainting = true;  // so that the present of a section warns of nothing
  const bool init = NameAndLightFrame("void TestCopyTexture1_1()");
  for (unsigned i = 0; i <= g_Harness.callsPerFrame; ++i) {
    // Static and Defined keep the last source; the font (slot 0) stands for
    // none chosen yet.
    if (g_Harness.random || g_wholeSource == 0) g_wholeSource = RandomSourceSlot();
    e.CopyTexture(g_wholeSource, kTarget);
  }
  OpenPictureScene(init, "TestCopyTexture1_1()", nullptr);
  DrawSlot(g_wholeSource, -1, 1, -e.m_fScaleX, -1, 0, 0, 1, 1, 1.0f);
  DrawTargetHalf();
  EndPictureFrame();
  e.m_bPainting = false;
}

void TestCopyTextureToSection() {
  if (!DeviceReady()) return;
  const bool init = NameAndLightFrame("void TestCopyTextureToSection()");
  float x[4] = {0, 0.5f, 0, 0.5f}, y[4] = {0, 0, 0.5f, 0.5f};
  float w[4] = {0.5f, 0.5f, 0.5f, 0.5f}, h[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  bool choose = g_Harness.random;
  if (g_Harness.defined) {
    const unsigned k = ++g_sectionFrames;
    const float a = static_cast<float>(std::sin(k / 200.0) / 2.2 + 0.5);
    const float b = static_cast<float>(std::cos(k / 400.0) / 2.2 + 0.5);
    const float x2[4] = {0, a, 0, a}, y2[4] = {0, 0, b, b};
    const float w2[4] = {a, 1 - a, a, 1 - a}, h2[4] = {b, b, 1 - b, 1 - b};
    for (int i = 0; i < 4; ++i) x[i] = x2[i], y[i] = y2[i], w[i] = w2[i], h[i] = h2[i];
    choose = init || k % 3000 == 1;
  }
  // Static keeps the last sources, once there are any.
  if (choose || g_sectionSources[0] == 0)
    for (int& source : g_sectionSources) source = RandomSourceSlot();

  Vorn& e = g_Engine;
  for (unsigned c = 0; c < g_Harness.callsPerFrame; ++c)
    for (int i = 0; i < 4; ++i) e.CopyTexture(g_sectionSources[i], x[i], y[i], w[i], h[i]);

  OpenPictureScene(init, "TestCopyTextureToSection()", g_Harness.defined ? "Defined" : "Random");
  const float s = e.m_fScaleX;
  DrawSlot(g_sectionSources[0], -1, 1, -0.5f, 0, 0, 0, 1, 1, 1.0f);
  DrawSlot(g_sectionSources[1], -0.5f, 1, -s, 0, 0, 0, 1, 1, 1.0f);
  DrawSlot(g_sectionSources[2], -1, 0, -0.5f, -1, 0, 0, 1, 1, 1.0f);
  DrawSlot(g_sectionSources[3], -0.5f, 0, -s, -1, 0, 0, 1, 1, 1.0f);
  DrawTargetHalf();
  EndPictureFrame();
}

void TestCopyFromTextureSection() {
  if (!DeviceReady()) return;
  const bool init = NameAndLightFrame("void TestCopyFromTextureSection()");
  Section& s = g_fromSection;
  if (g_Harness.defined) {
    // A section between a quarter and a half of the source on each axis,
    // gliding over it; the source changes every 10000 frames.
    const unsigned k = ++g_fromFrames;
    g_fromSource = 1 + static_cast<int>((k / 10000) % 4);
    const Size size = SlotSize(g_fromSource);
    s.w = 1 + static_cast<int>(size.w * (0.25f + 0.25f * Wave(k, 230.0)));
    s.h = 1 + static_cast<int>(size.h * (0.25f + 0.25f * Wave(k + 500, 310.0)));
    s.x = static_cast<int>(std::max(size.w - s.w, 0) * Wave(k, 150.0));
    s.y = static_cast<int>(std::max(size.h - s.h, 0) * Wave(k + 300, 190.0));
  } else {
    g_fromSource = RandomSourceSlot();
    const Size size = SlotSize(g_fromSource);
    RandomSpan(size.w, s.x, s.w);
    RandomSpan(size.h, s.y, s.h);
  }
  Vorn& e = g_Engine;
  e.CopyTexture(g_fromSource, kTarget);
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i)
    e.CopyTextureSection(g_fromSource, kTarget, s.x, s.y, s.w, s.h);

  if (g_Harness.defined)
    OpenPictureScene(init, "TestCopyFromTextureSection()", "Defined");
  else
    OpenPictureScene(init, "TestCopyFromtextureSection()", "Random");
  DrawSourceWithSection(g_fromSource, s);
  DrawTargetHalf();
  EndPictureFrame();
}

void TestCopyFromTextureSectionToLocation() {
  if (!DeviceReady()) return;
  const bool init = NameAndLightFrame("void TestCopyFromTextureSectionToLocation()");
  const Size target = SlotSize(kTarget);
  Section& s = g_toSection;
  if (g_Harness.defined) {
    // The source and the section's size are renewed now and then; the
    // section and its place glide over source and target.
    const unsigned k = ++g_toFrames;
    if (init || k % 6000 == 1) {
      g_toSource = RandomSourceSlot();
      s.w = 1 + RandomBelow(target.w / 2);
      s.h = 1 + RandomBelow(target.h / 2);
    }
    const Size size = SlotSize(g_toSource);
    s.x = static_cast<int>(std::max(size.w - s.w, 0) * Wave(k, 130.0));
    s.y = static_cast<int>(std::max(size.h - s.h, 0) * Wave(k + 200, 190.0));
    g_toX = static_cast<int>(std::max(target.w - s.w, 0) * Wave(k, 170.0));
    g_toY = static_cast<int>(std::max(target.h - s.h, 0) * Wave(k + 400, 210.0));
  } else {
    g_toSource = RandomSourceSlot();
    const Size size = SlotSize(g_toSource);
    g_toX = RandomBelow(target.w);
    g_toY = RandomBelow(target.h);
    s.w = 1 + RandomBelow(target.w - g_toX);
    s.h = 1 + RandomBelow(target.h - g_toY);
    s.x = RandomBelow(size.w);
    s.y = RandomBelow(size.h);
  }
  Vorn& e = g_Engine;
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i)
    e.CopyTextureSectionTo(g_toSource, kTarget, s.x, s.y, s.w, s.h, g_toX, g_toY);

  if (g_Harness.defined)
    OpenPictureScene(init, "TestCopyTextureSectionToLocation()", "Defined");
  else
    OpenPictureScene(init, "TestCopytextureSectionToLocation()", "Random");
  DrawSourceWithSection(g_toSource, s);
  DrawTargetHalf();
  EndPictureFrame();
}

void TestScrollTexture() {
  if (!DeviceReady()) return;
  const bool init = NameAndLightFrame("void TestScrollTexture()");
  Vorn& e = g_Engine;
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) {
    const Size size = SlotSize(kTarget);
    if (g_Harness.needsInit || g_scrollAcross > size.w || g_scrollDown > size.h) {
      // A fresh picture and a new direction once the old one has moved a
      // whole width or height.
      g_scrollAcross = 0;
      g_scrollDown = 0;
      e.CopyTexture(RandomSourceSlot(), kTarget);
      g_Harness.needsInit = false;
      g_scrollStep = RandomBelow(4);
    }
    if (g_Harness.defined) {
      const double k = ++g_scrollStep;
      e.ScrollTexture(static_cast<int>(3 * std::sin(k / 25)), static_cast<int>(3 * std::cos(k / 25)));
      continue;
    }
    const int step = g_scrollStep % 4;
    static constexpr int kDx[4] = {1, -1, 0, 0}, kDy[4] = {0, 0, 1, -1};
    e.ScrollTexture(kDx[step], kDy[step]);
    if (step < 2)
      ++g_scrollAcross;
    else
      ++g_scrollDown;
  }
  OpenPictureScene(init, "TestScrolltexture()", "Random");
  DrawSlot(kTarget, -1, 1, 1, -1, 0, 0, 1, 1, 1.0f);
  EndPictureFrame();
}
