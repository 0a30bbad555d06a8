// The dialog tests: the alert's messages move on with its buttons, and the
// mouse pointer lands where the mouse is on the back buffer.
#include <string>

#include "tests/app/cases/cases_2d_fixture.h"

namespace {

using app_test::Tests2DTest;

class Tests2DDialogs : public Tests2DTest {
 protected:
  // The message the alert shows, told by its glyph count (two triangles a
  // character): 14 for the first two, 33 and 27 for the others.
  int MessageLength() {
    TracedFrame();
    for (int length : {14, 33, 27})
      if (Calls("DrawPrimitive(D3DPT_TRIANGLELIST, 0, " + std::to_string(2 * length) + ")") == 1)
        return length;
    return -1;
  }

  // A press at a pixel held for some frames, and the frame of its release.
  void Click(float x, float y, int frames_held = 1) {
    g_Engine.m_fMouseX = x;
    g_Engine.m_fMouseY = y;
    g_Engine.m_nMouseButton = 1;
    for (int i = 0; i < frames_held; ++i) Frame();
    g_Engine.m_nMouseButton = 0;
    Frame();
  }
};

// At 1024 x 768 " Next" spans pixels 422 to 480 across and 415 to 430 down,
// " 1st" 550 to 608.
TEST_F(Tests2DDialogs, AlertMovesOnWithNextAndBackWithFirst) {
  Select(32886, 'r', 1);
  Frame();
  EXPECT_EQ(MessageLength(), 14);
  g_Engine.m_fMouseX = 450;
  g_Engine.m_fMouseY = 422;
  EXPECT_EQ(MessageLength(), 14) << "hovering is no click";
  Click(512, 300);
  EXPECT_EQ(MessageLength(), 14) << "a click beside the buttons";
  Click(450, 422);
  EXPECT_EQ(MessageLength(), 14);  // "Second Message"
  Click(450, 422);
  EXPECT_EQ(MessageLength(), 33);
  Click(450, 422, 5);
  EXPECT_EQ(MessageLength(), 27) << "a button held down answers once";
  Click(450, 422);
  EXPECT_EQ(MessageLength(), 14) << "after the fourth comes the first";
  Click(450, 422);
  Click(450, 422);
  EXPECT_EQ(MessageLength(), 33);
  Click(580, 422);
  EXPECT_EQ(MessageLength(), 14) << "\" 1st\" goes back to the first";
  Click(450, 422);
  EXPECT_EQ(MessageLength(), 14);
  Click(450, 422);
  EXPECT_EQ(MessageLength(), 33) << "and from there on again";
}

TEST_F(Tests2DDialogs, MousePointerIsScaledFromTheViewToTheBackBuffer) {
  Select(32890, 'r', 1);
  g_Engine.m_fMouseX = 300;
  g_Engine.m_fMouseY = 200;
  Frame();
  EXPECT_EQ(g_Harness.testName, "void TestMouse()");
  EXPECT_EQ(Pixel(303, 201), 0xFFFFFFu) << "inside the white arrow";
  EXPECT_EQ(Pixel(100, 700), 0x000030u) << "the clear colour";
  // In a view of half the back buffer's size the same client position is
  // twice as far into the back buffer, which the view shows halved.
  g_Harness.viewRect = {0, 0, 512, 384};
  Frame();
  EXPECT_EQ(Pixel(302, 201), 0xFFFFFFu);
  EXPECT_EQ(Pixel(152, 101), 0x000030u) << "the last frame's pointer is cleared";
}

}  // namespace
