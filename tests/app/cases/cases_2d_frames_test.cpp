// Every 2D, screen and dialog test in every mode: one present per frame,
// the scene closed and set-up done once.
#include "app/cases/case_table.h"
#include "tests/app/cases/cases_2d_fixture.h"

namespace {

using app_test::Tests2DTest;

class Tests2DFrames : public Tests2DTest {};

TEST_F(Tests2DFrames, EveryTestRunsInEveryModeWithOnePresentPerFrame) {
  for (bool relative : {false, true}) {
    UseRelativeScaling(relative);
    for (const TestEntry& row : TestRows2D()) {
      // Only the screen tests read "Use Relative Scaling".
      const bool scaled = row.id < 32866 || row.id == 32884;
      if (relative && scaled) continue;
      for (char mode : {'r', 's', 'd'}) {
        Select(row.id, mode, 3);
        for (int frame = 0; frame < 2; ++frame) {
          TracedFrame();
          ASSERT_EQ(d3d9_hooks::CallCount("Present"), 1u) << row.id << mode;
          ASSERT_EQ(d3d9_hooks::CallCount("BeginScene"), d3d9_hooks::CallCount("EndScene")) << row.id;
          ASSERT_FALSE(g_Engine.m_bInScene) << row.id << mode;
          ASSERT_FALSE(g_Harness.needsInit) << row.id;
          ASSERT_FALSE(g_Engine.m_bPainting) << row.id;
        }
        EXPECT_NE(g_Harness.testName, "No Test") << row.id;
      }
    }
  }
}

// The lists at the most calls per frame: the text lists are cut to what the
// vertex buffer takes in one lock, the shape lists hold every shape.
TEST_F(Tests2DFrames, EightHundredCallsFitTheListsAndTheBuffers) {
  for (UINT id : {32776u, 32831u, 32889u}) {
    for (char mode : {'r', 's'}) {
      Select(id, mode, 800);
      TracedFrame();
      for (const d3d9_hooks::CallRecord& c : d3d9_hooks::CallTrace())
        if (c.method == "Lock") {
          EXPECT_EQ(c.result, D3D_OK) << id << mode << " " << c.args;
        }
      EXPECT_GE(d3d9_hooks::CallCount("DrawPrimitive"), 1u) << id << mode;
    }
  }
  // Slot 5 empty with "Copy From Texture": the copies skip the missing source.
  g_Harness.copyFromTexture = true;
  for (UINT id : {32826u, 32827u, 32828u, 32841u, 32840u}) {
    Select(id, 'r', 10);
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_FALSE(g_Engine.m_bInScene) << id;
  }
}

}  // namespace
