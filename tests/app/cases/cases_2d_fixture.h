// A fixture for the 2D, screen and dialog test cases: an engine started on
// a 1024 x 768 window with a status bar, one-colour pictures in slots 1 to
// 4, a working texture in slot 6, the shared Render record as the program
// creates it, and helpers that run frames and read the trace and pixels.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame/harness_state.h"
#include "app/cases/case_table.h"
#include "tests/app/app_engine_fixture.h"
#include "engine/render/render_list.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/clock.h"
#include "platform/win32/menu.h"
#include "platform/win32/message_box.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace app_test {

// The pictures' colours, slot 1 to 4, and the working texture's.
constexpr D3DCOLOR kSlotColours[5] = {0, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
constexpr D3DCOLOR kWorkingColour = 0xFF808080;

class Tests2DTest : public AppEngineTest {
 protected:
  void SetUp() override {
    AppEngineTest::SetUp();
    if (HasFatalFailure()) return;
    for (int slot = 1; slot <= 4; ++slot) MakePicture(slot, 32, 32, kSlotColours[slot]);
    MakePicture(6, 64, 64, kWorkingColour);
    g_SharedRender = Render{};
    g_SharedRender.max2D = g_SharedRender.maxScreen = 6408;
    g_SharedRender.verts2D = new Vertex2D[6409]();
    g_SharedRender.vertsScreen = new VertexScreen[6409]();
    g_SharedRender.engine = &g_Engine;
  }

  void TearDown() override {
    g_SharedRender.Free();
    if (menu_) DestroyMenu(menu_);
    AppEngineTest::TearDown();
  }

  // Chooses a test as its menu item does, in a mode: 'r' Random, 's'
  // Static, 'd' Defined.
  static void Select(UINT id, char mode = 'r', unsigned calls = 1) {
    g_Harness.selectedTest = id;
    g_Harness.random = mode == 'r';
    g_Harness.defined = mode == 'd';
    g_Harness.callsPerFrame = calls;
    g_Harness.needsInit = true;
  }

  void Frame() {
    clock_.AdvanceMilliseconds(20);
    TestFunction run = FindTest(g_Harness.selectedTest);
    ASSERT_NE(run, nullptr) << g_Harness.selectedTest;
    run();
  }

  // One frame with the device's call trace recording it alone.
  void TracedFrame() {
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    Frame();
    d3d9_hooks::SetCallTrace(false);
  }

  // The trace's name of a texture ("Texture#7"), learnt by binding it once.
  static std::string TraceName(IDirect3DTexture9* t) {
    const bool on = d3d9_hooks::CallTraceOn();
    d3d9_hooks::SetCallTrace(true);
    const std::size_t before = d3d9_hooks::CallTrace().size();
    g_Engine.m_pD3DDevice->SetTexture(0, t);
    const std::vector<d3d9_hooks::CallRecord> trace = d3d9_hooks::CallTrace();
    d3d9_hooks::SetCallTrace(on);
    for (std::size_t i = before; i < trace.size(); ++i)
      if (trace[i].method == "SetTexture") return trace[i].args.substr(trace[i].args.find(", ") + 2);
    return "?";
  }

  // All presented pixels.
  std::vector<DWORD> Picture() const {
    ClientPixels p{};
    std::vector<DWORD> out;
    if (!GetClientPixels(hwnd_, &p)) return out;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) out.push_back(p.data[y * p.pitch + x] & 0x00FFFFFFu);
    return out;
  }

  std::vector<std::string> StatusTexts() const {
    std::vector<std::string> texts;
    for (const StatusBarPart& part : StatusBarParts(bar_)) texts.push_back(part.text);
    return texts;
  }

  // Empties the status bar: one part without text.
  void BlankStatus() {
    int edges[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    SendMessageA(bar_, SB_SETPARTS, 10, reinterpret_cast<LPARAM>(edges));
    for (WPARAM i = 0; i < 10; ++i) SendMessageA(bar_, SB_SETTEXT, i, reinterpret_cast<LPARAM>(""));
    SendMessageA(bar_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(edges));
  }

  // How many lines of the event log contain `text`.
  static std::size_t CountLogLines(const std::string& text) {
    std::ifstream in(kLogFileName);
    std::string line;
    std::size_t n = 0;
    while (std::getline(in, line)) n += line.find(text) != std::string::npos;
    return n;
  }

  // A menu holding "Use Relative Scaling", captured as WM_INITMENU does.
  void UseRelativeScaling(bool on) {
    if (!menu_) {
      menu_ = CreatePopupMenu();
      AppendMenuA(menu_, MF_STRING, 32880, "Use Relative Scaling");
    }
    CheckMenuItem(menu_, 32880, on ? MF_CHECKED : MF_UNCHECKED);
    g_Harness.menu = menu_;
  }

  HMENU menu_ = nullptr;
};

}  // namespace app_test
