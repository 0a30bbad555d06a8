// The dialog tests: the in-scene alert box cycling its messages, and the
// mouse pointer with its position readout.
#include <cstdio>
#include <cstdlib>

#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/window/status_texts.h"
#include "app/cases/2d/test_frame.h"
#include "app/cases/2d/cases_2d.h"
#include "engine/vorn.h"
#include "log/event_log.h"

namespace {

constexpr const char* kFullScreenReminder =
    "!: Should not need to scale coords in full screen, this Logout line can be removed, just a "
    "reminder incase it does need to be scaled in fullscreen mode.";

const char* g_messages[4] = {};
int g_message = 0;
int g_lastButton = 0;  // the mouse button seen by the previous alert frame

void ClearTarget(D3DCOLOR colour) {
  g_Engine.m_pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                               colour, 1.0f, 0);
}

// The mouse position in back-buffer pixels: the window procedure stores it
// in client pixels of the view, which is presented scaled onto the back
// buffer's size. Full screen needs no scaling.
void MouseInBackBuffer(float& x, float& y) {
  Vorn& e = g_Engine;
  x = e.m_fMouseX;
  y = e.m_fMouseY;
  if (!e.m_bWindowed) {
    LogText(kFullScreenReminder);
    return;
  }
  const RECT& view = g_Harness.viewRect;
  if (view.right > 0) x = x * e.m_fScreenWidth / static_cast<float>(view.right);
  if (view.bottom > 0) y = y * e.m_fScreenHeight / static_cast<float>(view.bottom);
}

}  // namespace

void TestTAlert() {
  if (!DeviceReady()) return;
  Vorn& e = g_Engine;
  const bool init = BeginScreenFrame("void TestTAlert()");
  if (init) {
    g_messages[0] = "A Test Message";
    g_messages[1] = "Second Message";
    g_messages[2] = "Another Message but a bit longer.";
    g_messages[3] = "The last Message. Number 3.";
    SetStatusTexts("TestTAlert()", "", "", nullptr);
    UnbindTexture();
  }
  float x, y;
  MouseInBackBuffer(x, y);
  const int red = std::rand() % 100, green = std::rand() % 100, blue = std::rand() % 100;
  ClearTarget(D3DCOLOR_ARGB(255, red, green, blue));
  // A click is the frame in which the button goes down: a button held over
  // several frames answers once.
  const bool clicked = e.m_nMouseButton != 0 && g_lastButton == 0;
  g_lastButton = e.m_nMouseButton;
  const unsigned char result = e.TAlert(g_messages[g_message], x, y, clicked);
  if (result == 1)
    g_message = (g_message + 1) % 4;
  else if (result == 2)
    g_message = 0;
  EndTestFrame();
}

void TestMouse() {
  if (!DeviceReady()) return;
  Vorn& e = g_Engine;
  BeginScreenFrame("void TestMouse()");
  // Pointer and readout are placed in pixels.
  e.m_bRelativeScaling = false;
  ClearTarget(D3DCOLOR_ARGB(255, 0, 0, 48));
  e.m_nFirstChar = 0;
  // The start-up text grid, as the alert box leaves it: 80 x 50 cells.
  e.m_fTextColumns = 80.0f;
  e.m_fTextRows = 50.0f;
  float x, y;
  MouseInBackBuffer(x, y);
  char readout[64];
  std::snprintf(readout, sizeof readout, "mox=%06.3f:moy=%06.3f", x, y);
  const float white[4] = {1, 1, 1, 1};
  for (int i = 0; i < 4; ++i) e.m_TextColour[i] = white[i];
  e.SetCurrentTexture(0);
  // Beside the pointer's tip, below and to the right of the arrow.
  e.ScreenTPrint(readout, x + 20.0f, y + 20.0f, 0);
  UnbindTexture();
  e.DrawMousePointer(x, y);
  EndTestFrame();
}
