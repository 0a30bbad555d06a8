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

#include "app/engine_instance.h"
#include "app/harness_state.h"
#include "app/test_table.h"
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

// The executable's engine storage (tests_3d_engine.cpp).
Vorn& ConstructEngine();
void DestroyEngine();

// The pictures' colours, slot 1 to 4, and the working texture's.
constexpr D3DCOLOR kSlotColours[5] = {0, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
constexpr D3DCOLOR kWorkingColour = 0xFF808080;

inline LRESULT CALLBACK PlainProc2D(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline int FirstButton2D(HWND, const char*, const char*, UINT type) { return FirstButtonOf(type); }

class Tests2DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("vornel_app2d_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    InstallClock(&clock_);
    LogResetForTesting();
    d3d9_hooks::ResetAll();
    SetMessageBoxHandler(FirstButton2D);
    ResetEngineGlobalsForTesting();
    g_StartupSettings = StartupSettings{};

    wc_ = WNDCLASSEXA{};
    wc_.cbSize = sizeof(WNDCLASSEXA);
    wc_.lpfnWndProc = PlainProc2D;
    wc_.lpszClassName = "VORNELTESTS";
    RegisterClassExA(&wc_);
    hwnd_ = CreateWindowExA(0, "VORNELTESTS", "VornelTests", WS_POPUP, 0, 0, 1024, 768, nullptr,
                            nullptr, nullptr, nullptr);
    InitCommonControls();
    bar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(104), nullptr, nullptr);
    g_StartupSettings.mainWindow = hwnd_;

    Vorn& e = ConstructEngine();
    e.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
    e.m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    e.m_nRenderTextureWidth = 256;
    e.m_nRenderTextureHeight = 256;
    ASSERT_TRUE(Startup(e, wc_));
    ASSERT_NE(e.m_pD3DDevice, nullptr);
    for (int slot = 1; slot <= 4; ++slot) MakePicture(slot, 32, 32, kSlotColours[slot]);
    MakePicture(6, 64, 64, kWorkingColour);

    g_Harness = HarnessState{};
    g_Harness.viewRect = {0, 0, 1024, 768};
    g_Harness.statusBar = bar_;
    g_SharedRender = Render{};
    g_SharedRender.max2D = g_SharedRender.maxScreen = 6408;
    g_SharedRender.verts2D = new Vertex2D[6409]();
    g_SharedRender.vertsScreen = new VertexScreen[6409]();
    g_SharedRender.engine = &e;
  }

  void TearDown() override {
    g_SharedRender.Free();
    if (menu_) DestroyMenu(menu_);
    DestroyEngine();
    if (hwnd_) DestroyWindow(hwnd_);
    UnregisterClassA("VORNELTESTS", nullptr);
    SetMessageBoxHandler(nullptr);
    d3d9_hooks::ResetAll();
    InstallClock(nullptr);
    LogResetForTesting();
    g_Harness = HarnessState{};
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  // A managed texture of one colour in `slot`.
  static void MakePicture(int slot, UINT w, UINT h, D3DCOLOR colour) {
    Vorn& e = g_Engine;
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, w, h, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t),
              D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) static_cast<DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x] = colour;
    t->UnlockRect(0);
    if (e.m_pTextures[slot]) e.m_pTextures[slot]->Release();
    e.m_pTextures[slot] = t;
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

  static int Calls(const std::string& text) {
    int n = 0;
    for (const std::string& t : d3d9_hooks::CallTraceTexts()) n += t == text;
    return n;
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

  // The presented pixel at (x, y) as 0x00RRGGBB.
  DWORD Pixel(int x, int y) const {
    ClientPixels p{};
    if (!GetClientPixels(hwnd_, &p) || x < 0 || y < 0 || x >= p.width || y >= p.height) return 0xDEADBEEF;
    return p.data[y * p.pitch + x] & 0x00FFFFFFu;
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

  VirtualClock clock_{1286000000};
  std::filesystem::path dir_, old_;
  WNDCLASSEXA wc_{};
  HWND hwnd_ = nullptr;
  HWND bar_ = nullptr;
  HMENU menu_ = nullptr;
};

}  // namespace app_test
