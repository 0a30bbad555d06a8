// A fixture for the 3D test cases: an engine started on a 1024 x 768
// window as the program starts it, plain green test pictures in slots 1 to
// 4, a virtual clock driving the frame timer, and helpers that select a
// test, run its frames and read the presented pixels.
#pragma once

#include <cmath>
#include <string>

#include "app/frame/frame_timer.h"
#include "app/frame/harness_state.h"
#include "app/cases/case_table.h"
#include "tests/app/app_engine_fixture.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace app_test {

constexpr UINT kPoints = 32891, kImmediateLines = 32892, kRenderLines = 32893, kSprites = 32914;
constexpr UINT kImmediatePolys[5] = {32894, 32896, 32898, 32900, 32902};
constexpr UINT kRenderPolys[5] = {32895, 32897, 32899, 32901, 32903};
constexpr D3DCOLOR kPictureColour = 0xFF00FF00;

class Tests3DTest : public AppEngineTest {
 protected:
  void SetUp() override {
    AppEngineTest::SetUp();
    if (HasFatalFailure()) return;
    for (int slot = 1; slot <= 4; ++slot) MakePicture(slot);
    g_FrameTimer = FrameTimer{};
    g_FrameTimer.Start();
  }

  // A managed 32 x 32 texture of one colour in `slot`.
  static void MakePicture(int slot) { AppEngineTest::MakePicture(slot, 32, 32, kPictureColour); }

  // Chooses a test as its menu item does.
  static void Select(UINT id, unsigned calls = 1) {
    g_Harness.selectedTest = id;
    g_Harness.callsPerFrame = calls;
    g_Harness.needsInit = true;
  }

  // One frame of the selected test, `ms` milliseconds after the last one,
  // with the texture filter the main loop sets around each test.
  void Frame(LONGLONG ms = 20) {
    clock_.AdvanceMilliseconds(ms);
    const DWORD filter = g_Harness.textureFilter;
    g_Engine.m_pD3DDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, filter < 2 ? filter : 2);
    g_Engine.m_pD3DDevice->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    TestFunction run = FindTest(g_Harness.selectedTest);
    ASSERT_NE(run, nullptr) << g_Harness.selectedTest;
    run();
  }

  // One frame with the device's call trace recording it alone.
  void TracedFrame(LONGLONG ms = 20) {
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    Frame(ms);
    d3d9_hooks::SetCallTrace(false);
  }

  // The view transform the device holds now.
  static D3DMATRIX View() {
    D3DMATRIX m{};
    g_Engine.m_pD3DDevice->GetTransform(D3DTS_VIEW, &m);
    return m;
  }

  // The orbit angle (modulo 2 pi) of the eye a view looks from: its third
  // column points from the origin towards the eye.
  static double OrbitAngle(const D3DMATRIX& v) { return std::atan2(v._13, v._33); }

};

}  // namespace app_test
