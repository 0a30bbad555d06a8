// The render-list tests: one list per frame in Random, the shared record
// drawn again (with or without a copy) in the Not Random modes.
#include <algorithm>
#include <cmath>
#include <string>

#include "tests/app/cases/cases_2d_fixture.h"

namespace {

using app_test::Tests2DTest;

struct ListCase {
  UINT id;
  const char* primitive;
  unsigned perShape;  // primitives per shape
};

// Every render-list test with the primitive its list draws.
constexpr ListCase kLists[] = {
    {32799, "D3DPT_POINTLIST", 1},    {32773, "D3DPT_LINELIST", 1},
    {32776, "D3DPT_LINELIST", 4},     {32777, "D3DPT_TRIANGLELIST", 2},
    {32778, "D3DPT_TRIANGLELIST", 2}, {32783, "D3DPT_TRIANGLELIST", 1},
    {32824, "D3DPT_TRIANGLELIST", 1}, {32866, "D3DPT_POINTLIST", 1},
    {32869, "D3DPT_LINELIST", 1},     {32871, "D3DPT_LINELIST", 4},
    {32874, "D3DPT_TRIANGLELIST", 2}, {32875, "D3DPT_TRIANGLELIST", 2},
    {32878, "D3DPT_TRIANGLELIST", 1}, {32879, "D3DPT_TRIANGLELIST", 1},
};

std::string Draw(const ListCase& c, unsigned calls) {
  return "DrawPrimitive(" + std::string(c.primitive) + ", 0, " + std::to_string(c.perShape * calls) + ")";
}

class Tests2DLists : public Tests2DTest {};

TEST_F(Tests2DLists, RandomDrawsEveryShapeOfTheFrameFromOneLock) {
  for (const ListCase& c : kLists) {
    for (unsigned calls : {1u, 10u}) {
      Select(c.id, 'r', calls);
      TracedFrame();
      EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 1u) << c.id << " at " << calls;
      EXPECT_EQ(d3d9_hooks::CallCount("DrawPrimitive"), 1u) << c.id << " at " << calls;
      EXPECT_EQ(Calls(Draw(c, calls)), 1) << c.id << " at " << calls;
      EXPECT_EQ(d3d9_hooks::CallCount("Present"), 1u) << c.id;
      EXPECT_FALSE(g_Engine.m_bInScene) << c.id;
    }
  }
}

TEST_F(Tests2DLists, NotRandomDrawsTheSharedListTwiceOnSetUpThenOncePerFrame) {
  for (const ListCase& c : kLists) {
    for (signed char noCopy : {static_cast<signed char>(0), static_cast<signed char>(-1)}) {
      g_Harness.noCopyRenderBuffer = noCopy;
      Select(c.id, 's', 3);
      TracedFrame();
      EXPECT_EQ(d3d9_hooks::CallCount("Lock"), noCopy == 0 ? 2u : 1u) << c.id;
      EXPECT_EQ(Calls(Draw(c, 3)), 2) << c.id;
      EXPECT_FALSE(g_Harness.needsInit);
      // Later frames: a copy only while "Copy Render &Buffer" is checked.
      TracedFrame();
      EXPECT_EQ(d3d9_hooks::CallCount("Lock"), noCopy == 0 ? 1u : 0u) << c.id << " " << int{noCopy};
      EXPECT_EQ(Calls(Draw(c, 3)), 1) << c.id;
    }
  }
}

TEST_F(Tests2DLists, ARebuiltBufferGetsTheSharedListOnceMoreBeforeRedrawsWithoutCopy) {
  g_Harness.noCopyRenderBuffer = -1;
  for (UINT id : {32777u, 32874u}) {
    Select(id, 's', 10);
    Frame();
    TracedFrame();
    EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 0u) << id;
    g_Engine.SetRez(800, 600);  // releases and rebuilds the vertex buffers
    TracedFrame();
    EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 1u) << id;
    EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 20)"), 1) << id;
    TracedFrame();
    EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 0u) << id;
    g_Engine.SetRez(1024, 768);
  }
}

TEST_F(Tests2DLists, StaticLinesKeepThePictureWhileRandomAddsALineEachFrame) {
  g_Engine.m_pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
  Select(32773, 's', 1);
  Frame();
  const std::vector<DWORD> first = Picture();
  ASSERT_FALSE(first.empty());
  const auto drawn = [](const std::vector<DWORD>& p) {
    return std::count_if(p.begin(), p.end(), [](DWORD v) { return v != 0xFFFFFF; });
  };
  EXPECT_GT(drawn(first), 0);
  for (int i = 0; i < 3; ++i) {
    Frame();
    EXPECT_EQ(Picture(), first) << "static frame " << i;
  }

  g_Harness.random = true;
  g_Harness.needsInit = true;
  std::vector<DWORD> before = first;
  for (int i = 0; i < 3; ++i) {
    Frame();
    const std::vector<DWORD> now = Picture();
    EXPECT_GT(drawn(now), drawn(before)) << "random frame " << i << " adds a line";
    // The lines of earlier frames stay (a new line may cross a few pixels).
    long kept = 0, old = 0;
    for (std::size_t p = 0; p < now.size(); ++p)
      if (before[p] != 0xFFFFFF) ++old, kept += now[p] != 0xFFFFFF;
    EXPECT_GE(kept, old * 9 / 10);
    before = now;
  }
}

TEST_F(Tests2DLists, TextureBarsTakeSlotFiveOnlyWithCopyFromTexture) {
  MakePicture(5, 16, 16, 0xFFFF00FF);
  const std::string slot5 = "SetTexture(0, " + TraceName(g_Engine.m_pTextures[5]) + ")";
  for (UINT id : {32778u, 32875u}) {
    for (bool fromTexture : {false, true}) {
      g_Harness.copyFromTexture = fromTexture;
      Select(id, 'r', 1);
      int hits = 0;
      for (int i = 0; i < 30; ++i) {
        TracedFrame();
        hits += Calls(slot5);
      }
      if (fromTexture)
        EXPECT_GT(hits, 0) << id;
      else
        EXPECT_EQ(hits, 0) << id;
    }
  }
  // With nothing loaded into slot 5 its bars are drawn untextured.
  g_Engine.m_pTextures[5]->Release();
  g_Engine.m_pTextures[5] = nullptr;
  Select(32778, 'r', 1);
  int plain = 0;
  for (int i = 0; i < 30; ++i) {
    TracedFrame();
    plain += Calls("SetTexture(0, NULL)");
  }
  EXPECT_GT(plain, 0);
}

// Every prepared text starts with the glyph of 'H' (code 72: cell column
// 8, row 4); glyphs past the right edge are dropped.
TEST_F(Tests2DLists, PreparedTextIsHelloThereInBothVariants) {
  for (bool relative : {false, true}) {
    UseRelativeScaling(relative);
    Select(32831, 's', 10);
    Frame();
    ASSERT_GT(g_SharedRender.count2D, 0);
    EXPECT_FLOAT_EQ(g_SharedRender.verts2D[0].u, 0.5f);
    Select(32889, 's', 10);
    Frame();
    ASSERT_GT(g_SharedRender.countScreen, 0);
    EXPECT_LE(g_SharedRender.countScreen, 10 * 11 * 6);
    EXPECT_FLOAT_EQ(g_SharedRender.vertsScreen[0].u, 0.5f) << relative;
  }
}

TEST_F(Tests2DLists, ScreenListsTakeRelativeScalingFromTheMenu) {
  for (bool relative : {false, true}) {
    UseRelativeScaling(relative);
    Select(32869, 's', 200);
    Frame();
    EXPECT_EQ(g_Engine.m_bRelativeScaling, relative);
    ASSERT_EQ(g_SharedRender.countScreen, 400);
    bool fractional = false;
    for (int i = 0; i < g_SharedRender.countScreen; ++i) {
      const VertexScreen& v = g_SharedRender.vertsScreen[i];
      ASSERT_GE(v.x, 0.0f);
      ASSERT_LE(v.x, 1024.0f);
      ASSERT_GE(v.y, 0.0f);
      ASSERT_LE(v.y, 768.0f);
      fractional |= v.x != std::floor(v.x);
    }
    // Pixel mode draws whole pixels; relative mode converts scaled values.
    EXPECT_EQ(fractional, relative);
  }
}

}  // namespace
