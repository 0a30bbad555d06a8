// The 3D tests' table rows, names and the primitives each draws per frame
// and per repetition, read from the device's call trace.
#include <algorithm>

#include "app/cases/3d/cases_3d.h"
#include "tests/app/cases/cases_3d_fixture.h"

namespace app_test {
namespace {

TEST(Tests3DTable, RowsAscendAndEachPolygonTestServesItsFiveVariants) {
  std::span<const TestEntry> rows = TestRows3D();
  ASSERT_EQ(rows.size(), 14u);
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                             [](const TestEntry& a, const TestEntry& b) { return a.id < b.id; }));
  EXPECT_EQ(FindTest(kPoints), &Test3DPoints);
  EXPECT_EQ(FindTest(kImmediateLines), &TestImmediate3DLines);
  EXPECT_EQ(FindTest(kRenderLines), &TestRender3DLines);
  EXPECT_EQ(FindTest(kSprites), &TestSprites);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(FindTest(kImmediatePolys[i]), &TestImmediate3DPolys);
    EXPECT_EQ(FindTest(kRenderPolys[i]), &TestRender3DPolys);
  }
  EXPECT_EQ(FindTest(32904), nullptr);
}

TEST_F(Tests3DTest, PointsAreUploadedOnceAndThenDrawnFromTheBuffer) {
  Select(kPoints);
  TracedFrame();
  EXPECT_EQ(g_Harness.testName, "void Test3DPoints()");
  EXPECT_FALSE(g_Harness.needsInit);
  // The set-up's upload draws once, then the frame's one repetition.
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_POINTLIST, 0, 16370)"), 2);
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 1u);
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 1u);

  g_Harness.callsPerFrame = 10;
  TracedFrame();
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_POINTLIST, 0, 16370)"), 10);
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 0u);
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 1u);
  EXPECT_EQ(Calls("SetRenderState(D3DRS_FOGENABLE, 0)"), 1);
}

TEST_F(Tests3DTest, ImmediateLinesDrawEightHundredPerRepetition) {
  Select(kImmediateLines);
  TracedFrame();
  EXPECT_EQ(g_Harness.testName, "void TestImmediate3DLines()");
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_LINELIST, 0, 1)"), 800);
  Select(kImmediateLines, 10);
  TracedFrame();
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_LINELIST, 0, 1)"), 8000);
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 8000u);
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 1u);
  EXPECT_EQ(d3d9_hooks::CallCount("BeginScene"), 1u);
}

TEST_F(Tests3DTest, RenderLinesDrawTheirWholeListPerRepetitionWithDepthOn) {
  Select(kRenderLines, 10);
  TracedFrame();
  EXPECT_EQ(g_Harness.testName, "void TestRender3DLines()");
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_LINELIST, 0, 8189)"), 11);  // the upload and ten
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 1u);
  TracedFrame();
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_LINELIST, 0, 8189)"), 10);
  DWORD z = 0;
  g_Engine.m_pD3DDevice->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_TRUE));
}

TEST_F(Tests3DTest, ImmediatePolysDrawTheirGridInEveryVariant) {
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(kImmediatePolys[i]);
    const bool lit = i >= 2;
    Select(kImmediatePolys[i]);
    TracedFrame();
    EXPECT_EQ(g_Harness.testName, "void TestImmediate3DPolys(" + std::to_string(kImmediatePolys[i]) + ")");
    EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1)"), 25 * 25 * 2);
    // The lit variants mark their light with three lines, lighting off.
    EXPECT_EQ(Calls("DrawPrimitive(D3DPT_LINELIST, 0, 1)"), lit ? 3 : 0);
    EXPECT_EQ(Calls("SetRenderState(D3DRS_LIGHTING, 1)"), lit ? 1 : 0);
    IDirect3DBaseTexture9* bound = nullptr;
    g_Engine.m_pD3DDevice->GetTexture(0, &bound);
    const bool textured = i == 1 || i == 3;
    EXPECT_EQ(bound != nullptr, textured);
    if (bound) {
      EXPECT_GE(g_Engine.m_nCurrentTexture, 1);
      EXPECT_LE(g_Engine.m_nCurrentTexture, 4);
      bound->Release();
    }
  }
  Select(kImmediatePolys[4], 10);
  TracedFrame();
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1)"), 10 * 25 * 25 * 2);
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 1u);
}

TEST_F(Tests3DTest, RenderPolysDrawTheirListAndTheLitGridFillsItFromTwoCalls) {
  Select(kRenderPolys[0]);
  TracedFrame();
  EXPECT_EQ(g_Harness.testName, "void TestRender3DPolys(32895)");
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5458)"), 1);
  // Random triangles fill the screen many times over; the lit grid below
  // shows the repetitions.
  Select(kRenderPolys[1]);
  TracedFrame();
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5458)"), 1);
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 1u);  // the draw copies the list

  for (int i = 2; i < 5; ++i) {
    SCOPED_TRACE(kRenderPolys[i]);
    Select(kRenderPolys[i], 1);
    TracedFrame();
    EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5000)"), 1);
    EXPECT_EQ(Calls("DrawPrimitive(D3DPT_LINELIST, 0, 1)"), 3);
    Select(kRenderPolys[i], 2);
    TracedFrame();
    EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5459)"), 2);
  }
  Select(kRenderPolys[2], 10);
  TracedFrame();
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5459)"), 10);
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 10u + 3u);  // each draw copies; the marker's lines
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 1u);
}

TEST_F(Tests3DTest, SpritesDrawTheirHundredOnceAFrame) {
  Select(kSprites, 10);
  TracedFrame();
  EXPECT_EQ(g_Harness.testName, "void TestSprites()");
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_POINTLIST, 0, 1)"), 100);
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 1u);
  EXPECT_EQ(Calls("SetRenderState(D3DRS_FOGENABLE, 0)"), 0);  // sprites leave fog alone
}

}  // namespace
}  // namespace app_test
