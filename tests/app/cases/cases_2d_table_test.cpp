// The 2D rows of the test table, the colour counter and the random values.
#include <gtest/gtest.h>

#include <set>

#include "app/frame/harness_state.h"
#include "app/cases/case_table.h"
#include "app/cases/2d/colour_counter.h"
#include "app/cases/2d/random_values.h"
#include "tests/app/cases/cases_2d_fixture.h"

namespace {

TEST(Tests2DTable, HoldsEveryScreen2DAndDialogIdInAscendingOrder) {
  const std::set<UINT> expected = {32772, 32773, 32775, 32776, 32777, 32778, 32781, 32783, 32799,
                                   32824, 32826, 32827, 32828, 32830, 32831, 32840, 32841, 32866,
                                   32868, 32869, 32871, 32872, 32873, 32874, 32875, 32877, 32878,
                                   32879, 32884, 32886, 32888, 32889, 32890};
  std::set<UINT> seen;
  UINT last = 0;
  std::set<TestFunction> functions;
  for (const TestEntry& row : TestRows2D()) {
    EXPECT_GT(row.id, last);
    last = row.id;
    EXPECT_NE(row.run, nullptr) << row.id;
    seen.insert(row.id);
    functions.insert(row.run);
    EXPECT_EQ(FindTest(row.id), row.run) << row.id;
  }
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(functions.size(), expected.size()) << "each id has a test of its own";
}

TEST(Tests2DColourCounter, StepsThroughTheCubeRedFirstAndWraps) {
  ColourCounter c;
  CounterColour first = c.Next();
  EXPECT_EQ(first.r, 0.0f);
  EXPECT_EQ(first.g, 0.0f);
  EXPECT_EQ(first.b, 0.0f);
  EXPECT_EQ(first.a, 1.0f);
  EXPECT_EQ(c.Next().r, 1.0f / 64);
  for (int i = 2; i < 64; ++i) c.Next();
  CounterColour green = c.Next();  // 64
  EXPECT_EQ(green.r, 0.0f);
  EXPECT_EQ(green.g, 1.0f / 64);
  for (int i = 65; i < 4096 + 4095; ++i) c.Next();
  CounterColour last = c.Next();  // 8191: red 63, green 63, blue 1
  EXPECT_EQ(last.r, 63.0f / 64);
  EXPECT_EQ(last.g, 63.0f / 64);
  EXPECT_EQ(last.b, 1.0f / 64);
  while (c.count() != 64u * 64 * 64) c.Next();
  CounterColour wrapped = c.Next();
  EXPECT_EQ(wrapped.r + wrapped.g + wrapped.b, 0.0f);
}

class Tests2DRandom : public app_test::Tests2DTest {};

TEST_F(Tests2DRandom, ScreenCoordinatesFollowTheResolutionOrTheScaledRange) {
  g_Harness.resolutionWidth = 640;
  g_Harness.resolutionHeight = 3;
  g_Engine.m_bRelativeScaling = false;
  for (int i = 0; i < 2000; ++i) {
    const float x = RandomScreenX(), y = RandomScreenY();
    ASSERT_GE(x, 0.0f);
    ASSERT_LT(x, 640.0f);
    ASSERT_EQ(x, static_cast<float>(static_cast<int>(x)));
    ASSERT_GE(y, 0.0f);
    ASSERT_LT(y, 3.0f);
  }
  g_Engine.m_bRelativeScaling = true;
  for (int i = 0; i < 2000; ++i) {
    const float x = RandomScreenX();
    ASSERT_GE(x, -1.0f);
    ASSERT_LE(x, 0.999f);
  }
  // A resolution of nothing gives 0 rather than a division by zero.
  g_Engine.m_bRelativeScaling = false;
  g_Harness.resolutionWidth = 0;
  EXPECT_EQ(RandomScreenX(), 0.0f);
}

TEST_F(Tests2DRandom, SourceSlotsIncludeSlotFiveOnlyWithCopyFromTexture) {
  std::set<int> off, on;
  for (int i = 0; i < 500; ++i) off.insert(RandomSourceSlot());
  g_Harness.copyFromTexture = true;
  for (int i = 0; i < 500; ++i) on.insert(RandomSourceSlot());
  EXPECT_EQ(off, (std::set<int>{1, 2, 3, 4}));
  EXPECT_EQ(on, (std::set<int>{1, 2, 3, 4, 5}));
}

}  // namespace
