// A fixture for engine tests: a temporary working folder, a virtual clock,
// the device's hooks reset, scripted message-box answers and a 1024 x 768
// main window for the engine to adopt.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace engine_test {

struct Box {
  std::string caption;
  std::string text;
  UINT type;
};

inline std::vector<Box> g_boxes;
inline std::deque<int> g_answers;

inline int ScriptedBox(HWND, const char* text, const char* caption, UINT type) {
  g_boxes.push_back({caption, text, type});
  if (g_answers.empty()) return FirstButtonOf(type);
  int answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}

inline LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Makes a one-level X8R8G8B8 texture in `slot` (a default-pool render
// target, or a managed texture) filled with a
// pattern that tells every texel apart.
inline void MakeDefaultPoolTexture(Vorn& e, int slot, UINT w, UINT h, bool renderTarget = true) {
  ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, w, h, 1, renderTarget ? D3DUSAGE_RENDERTARGET : 0,
                              D3DFMT_X8R8G8B8, renderTarget ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED,
                              &e.m_pTextures[slot]),
            D3D_OK);
  IDirect3DTexture9* staging = nullptr;
  ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, w, h, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &staging), D3D_OK);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(staging->LockRect(0, &lr, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < h; ++y)
    for (UINT x = 0; x < w; ++x)
      static_cast<DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x] = 0xFF000000u | (slot << 16) | (y << 8) | x;
  staging->UnlockRect(0);
  IDirect3DSurface9* src = nullptr;
  IDirect3DSurface9* dst = nullptr;
  staging->GetSurfaceLevel(0, &src);
  e.m_pTextures[slot]->GetSurfaceLevel(0, &dst);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(dst, nullptr, nullptr, src, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
  src->Release();
  dst->Release();
  staging->Release();
}

// Reads texel (x, y) of level 0 through a managed copy.
inline DWORD Texel(Vorn& e, IDirect3DTexture9* t, UINT x, UINT y) {
  D3DSURFACE_DESC d{};
  t->GetLevelDesc(0, &d);
  IDirect3DTexture9* copy = nullptr;
  D3DXCreateTexture(e.m_pD3DDevice, d.Width, d.Height, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &copy);
  IDirect3DSurface9* src = nullptr;
  IDirect3DSurface9* dst = nullptr;
  t->GetSurfaceLevel(0, &src);
  copy->GetSurfaceLevel(0, &dst);
  D3DXLoadSurfaceFromSurface(dst, nullptr, nullptr, src, nullptr, nullptr, D3DX_FILTER_NONE, 0);
  D3DLOCKED_RECT lr{};
  copy->LockRect(0, &lr, nullptr, D3DLOCK_READONLY);
  DWORD texel = static_cast<const DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x];
  copy->UnlockRect(0);
  src->Release();
  dst->Release();
  copy->Release();
  return texel;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("vornel_engine_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    InstallClock(&clock_);
    LogResetForTesting();
    d3d9_hooks::ResetAll();
    g_boxes.clear();
    g_answers.clear();
    SetMessageBoxHandler(ScriptedBox);
    ResetEngineGlobalsForTesting();
    g_StartupSettings = StartupSettings{};

    wc_ = WNDCLASSEXA{};
    wc_.cbSize = sizeof(WNDCLASSEXA);
    wc_.lpfnWndProc = PlainWindowProc;
    wc_.lpszClassName = "VORNELTESTS";
    RegisterClassExA(&wc_);
    hwnd_ = CreateWindowExA(0, "VORNELTESTS", "VornelTests", WS_POPUP, 0, 0, 1024, 768, nullptr,
                            nullptr, nullptr, nullptr);
    g_StartupSettings.mainWindow = hwnd_;
  }

  void TearDown() override {
    engine_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    UnregisterClassA("VORNELTESTS", nullptr);
    SetMessageBoxHandler(nullptr);
    d3d9_hooks::ResetAll();
    InstallClock(nullptr);
    LogResetForTesting();
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  // Constructs the engine as the program does, with the harness's settings.
  Vorn& MakeEngine() {
    engine_ = std::make_unique<Vorn>("Vornel Tests V0.5");
    engine_->m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
    engine_->m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    engine_->m_nRenderTextureWidth = 256;
    engine_->m_nRenderTextureHeight = 256;
    return *engine_;
  }

  Vorn& StartEngine() {
    Vorn& e = MakeEngine();
    EXPECT_TRUE(Startup(e, wc_));
    return e;
  }

  static std::string LogFile() {
    std::ifstream in(kLogFileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The log's entries after its header, one string per line, with every
  // time stamp written as [T] so lines compare without the clock.
  static std::vector<std::string> LogLines() {
    std::string f = LogFile();
    std::size_t start = f.find("\n\n", f.find("Start Type"));
    f = start == std::string::npos ? f : f.substr(start + 2);
    static const std::regex stamp(R"(\[\d\d:\d\d:\d\d\(\d{4,}\)\] )");
    f = std::regex_replace(f, stamp, "[T] ");
    std::vector<std::string> lines;
    std::stringstream s(f);
    std::string line;
    while (std::getline(s, line)) lines.push_back(line);
    if (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
    return lines;
  }

  // How many log lines contain `text`.
  static int CountLines(const std::string& text) {
    int n = 0;
    for (const std::string& line : LogLines())
      if (line.find(text) != std::string::npos) ++n;
    return n;
  }

  // Lines of the log from the first containing `from` on.
  static std::vector<std::string> LinesFrom(const std::string& from) {
    std::vector<std::string> all = LogLines();
    for (std::size_t i = 0; i < all.size(); ++i)
      if (all[i].find(from) != std::string::npos) return {all.begin() + i, all.end()};
    return {};
  }

  VirtualClock clock_{1286000000};
  std::filesystem::path dir_, old_;
  WNDCLASSEXA wc_{};
  HWND hwnd_ = nullptr;
  std::unique_ptr<Vorn> engine_;
};

}  // namespace engine_test
