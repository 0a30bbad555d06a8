// The main loop. Free-running it polls for at most one message a pass;
// "On &Messages" waits for one before each frame. The statistics count
// passes per wall-clock second: the pass that writes a line is not
// counted, and the seconds compared are those of the latest clock reading
// of either the loop or the log.
#include "app/frame/main_loop.h"

#include <cstdio>

#include "app/frame/engine_instance.h"
#include "app/frame/frame_timer.h"
#include "app/frame/harness_state.h"
#include "app/cases/case_table.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/accelerators.h"
#include "platform/win32/clock.h"
#include "platform/win32/messages.h"

namespace {

constexpr int kSavedSamplerStates = 11;  // D3DSAMP_ADDRESSU .. D3DSAMP_SRGBTEXTURE

void Handle(MSG& msg) {
  if (!TranslateAcceleratorA(g_Harness.mainWindow, g_Harness.accelerators, &msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void TakeMessage() {
  MSG& msg = g_Harness.lastMessage;
  if (g_Harness.freeRunning) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) Handle(msg);
    return;
  }
  GetMessageA(&msg, nullptr, 0, 0);
  if (msg.message != WM_QUIT) {
    Handle(msg);
    g_FrameTimer.Start();
  }
}

void CountFrame() {
  HarnessState& h = g_Harness;
  if (h.stepping) {
    h.running = false;
    Sleep(46);
    return;
  }
  if (!h.fpsLogging) return;
  if (LastLocalTime.tm_sec != h.savedTime.tm_sec) {
    h.savedTime = LastLocalTime;
    char line[512];
    FormatStatLine(line, sizeof line, h.testName.c_str(), h.callsPerFrame, h.frameCount);
    LogText(line);
    h.frameCount = 0;
  } else {
    ClockLocalTime(ClockCalendarTime(), &LastLocalTime);
    ++h.frameCount;
  }
}

}  // namespace

void FormatStatLine(char* out, int size, const char* testName, unsigned calls, unsigned frames) {
  std::snprintf(out, static_cast<std::size_t>(size), "TestStat %s : Calls %u @ %uFPS", testName, calls, frames);
}

void RunFrame() {
  TakeMessage();

  IDirect3DDevice9* device = g_Engine.m_pD3DDevice;
  const bool haveSaved = device != nullptr;
  DWORD saved[kSavedSamplerStates] = {};
  if (haveSaved) {
    for (int i = 0; i < kSavedSamplerStates; ++i) {
      device->GetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(D3DSAMP_ADDRESSU + i), &saved[i]);
    }
    DWORD filter = g_Harness.textureFilter;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter < 2 ? filter : 2);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
  }

  if (g_Harness.running && !g_Engine.m_bQuit) {
    if (TestFunction test = FindTest(g_Harness.selectedTest)) test();
  }

  // Restored on the device that is there now, should the test have
  // replaced it.
  device = g_Engine.m_pD3DDevice;
  if (haveSaved && device) {
    for (int i = 0; i < kSavedSamplerStates; ++i) {
      device->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(D3DSAMP_ADDRESSU + i), saved[i]);
    }
  }
  CountFrame();
}

void RunMainLoop() {
  do {
    RunFrame();
  } while (!g_Engine.m_bQuit);
}

void DrainMessages() {
  MSG& msg = g_Harness.lastMessage;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) Handle(msg);
}
