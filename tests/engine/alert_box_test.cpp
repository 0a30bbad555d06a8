// The in-scene alert box: which clicks hit which button, what it leaves
// behind, and how it looks.
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

DWORD Pixel(HWND hwnd, int x, int y) {
  ClientPixels p{};
  if (!GetClientPixels(hwnd, &p) || x < 0 || y < 0 || x >= p.width || y >= p.height) return 0xDEADBEEF;
  return p.data[y * p.pitch + x] & 0x00FFFFFFu;
}

TEST_F(EngineTest, AlertClicksFindTheirButtons) {
  Vorn& e = StartEngine();
  e.SetRez(800, 600);
  e.m_fCharWidth = 0.1f;  // changed by a caller; the alert resets the grid
  e.m_nFirstChar = 32;
  e.BeginScene();
  EXPECT_EQ(e.TAlert("Hello", 350, 330, true), 1);
  EXPECT_EQ(e.TAlert("Hello", 450, 330, true), 2);
  EXPECT_EQ(e.TAlert("Hello", 400, 300, true), 0);
  EXPECT_EQ(e.TAlert("Hello", 350, 330, false), 0);
  e.EndScene();
  EXPECT_FLOAT_EQ(e.m_fCharWidth, 0.025f);
  EXPECT_EQ(e.m_nFirstChar, 32);
  EXPECT_FALSE(e.m_bRelativeScaling);

  AlertButton b{};
  b.column = 33;
  b.row = 27;
  b.width = 4.5f;
  b.height = 1;
  AlertButtonList list{&b, 1};
  const float left = 33 * e.m_fCharWidth - 1.0f;
  const float bottom = (1.0f - e.m_fCharHeight) - 27 * e.m_fCharHeight;
  EXPECT_TRUE(e.AlertButtonHit(list, 0, left, bottom));  // edges count as inside
  EXPECT_EQ(e.AlertButtonUnderMouse(list, left - 0.001f, bottom), -1);
}

TEST_F(EngineTest, AlertAndPointerDrawOverTheScene) {
  Vorn& e = StartEngine();
  e.SetRez(800, 600);
  e.ClearScreen();
  e.BeginScene();
  e.TAlert("Texture copied", 600, 450, false);
  e.m_fPointerScale = 2.0f;
  e.DrawMousePointer(100, 100);
  e.EndScene();
  e.ScreenSwap();
  // The window is 1024 x 768, the frame 800 x 600 stretched onto it.
  auto at = [&](float x, float y) { return Pixel(hwnd_, static_cast<int>(x * 1024 / 800), static_cast<int>(y * 768 / 600)); };
  EXPECT_EQ(at(10, 10), 0u);                     // outside the panel: untouched
  const DWORD panel = at(250, 260);              // the translucent grey panel
  EXPECT_GT(panel & 0xFF, 0x80u);
  EXPECT_EQ(at(126, 101), 0xFFFFFFu);            // the doubled arrow reaches past 30 pixels
  EXPECT_NE(at(140, 101), 0xFFFFFFu);
}

}  // namespace
}  // namespace engine_test
