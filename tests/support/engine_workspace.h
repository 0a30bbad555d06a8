// The ground every engine-level test stands on: a temporary working folder
// (the log and pictures land there), a virtual clock, a fresh log and fresh
// device hooks, message boxes answered by a script and recorded, and a
// 1024 x 768 main window for the engine to adopt. The engine tests and the
// harness tests build their fixtures on it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"

namespace test_support {

struct Box {
  std::string caption;
  std::string text;
  UINT type;
};

// Every message box of the running test, and the answers still to give
// (the box's first button once they run out).
inline std::vector<Box> g_boxes;
inline std::deque<int> g_answers;

inline int ScriptedBox(HWND, const char* text, const char* caption, UINT type) {
  g_boxes.push_back({caption, text, type});
  if (g_answers.empty()) return FirstButtonOf(type);
  const int answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}

inline LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The engine settings the harness gives before start-up: a copying swap
// chain presented at once, and 256 x 256 render textures.
inline void ApplyHarnessPresentSettings(Vorn& e) {
  e.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
  e.m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  e.m_nRenderTextureWidth = 256;
  e.m_nRenderTextureHeight = 256;
}

class EngineWorkspace : public ::testing::Test {
 protected:
  // `prefix` names the temporary folder, with the suite and test names.
  explicit EngineWorkspace(const char* prefix) : prefix_(prefix) {}

  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() / (prefix_ + std::to_string(::getpid()) + "_" +
                                                     info->test_suite_name() + "_" + info->name());
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

  // Call after the fixture's engine is gone.
  void TearDown() override {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    UnregisterClassA("VORNELTESTS", nullptr);
    SetMessageBoxHandler(nullptr);
    d3d9_hooks::ResetAll();
    InstallClock(nullptr);
    LogResetForTesting();
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  VirtualClock clock_{1286000000};
  std::filesystem::path dir_, old_;
  WNDCLASSEXA wc_{};
  HWND hwnd_ = nullptr;

 private:
  std::string prefix_;
};

}  // namespace test_support
