// WinMain run whole in-process on a recording backend and a virtual
// clock: the start-up in its order, the first view rectangle centred on
// the desktop, the splash of slot 6, and the exit code.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/dialogs/format_table.h"
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/frame/win_main.h"
#include "app/resources/resources.h"
#include "engine/render/render_list.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/clock.h"
#include "platform/win32/messages.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"
#include "tests/app/frame/recording_backend.h"

namespace app_test {
Vorn& ConstructEngine();
void DestroyEngine();
}  // namespace app_test

namespace {

using app_test::Quadrant;
using app_test::RecordingBackend;

// What the backend saw at one present into the main window.
struct PresentSeen {
  std::size_t trace;  // call-trace records before it: the index of its Present
  std::string lastLog;
  RECT view;
  bool resizeFlag;
  bool sharedRenderMade;
  bool formatsFilled;
  std::vector<DWORD> samples;  // the quadrant centres of the view, 0x00RRGGBB
};

class WinMainRun : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("vornel_winmain_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    InstallClock(&clock_);
    LogResetForTesting();
    d3d9_hooks::ResetAll();
    ResetEngineGlobalsForTesting();
    ResetMessageQueue();
    g_StartupSettings = StartupSettings{};
    g_Harness = HarnessState{};
    g_SharedRender = Render{};
    for (int i = 0; i < kFormatCount; ++i) FormatTable[i] = FormatEntry{};
    RegisterResources();
    auto backend = std::make_unique<RecordingBackend>();
    backend_ = backend.get();
    InstallBackend(std::move(backend));

    for (const char* name : {"pic1.jpg", "pic2.jpg", "pic3.bmp", "pic4.jpg"})
      app_test::WriteBitmap(name, 16, 16, [](int, int) { return 0x808080u; });
    app_test::WriteBitmap("pic5.bmp", 64, 32, [](int x, int y) { return Quadrant(x, y, 64, 32); });

    backend_->on_pixels = [this](HWND hwnd) {
      if (hwnd != g_Harness.mainWindow) return;
      PresentSeen seen{d3d9_hooks::CallTrace().size(), g_LogState.line, g_Harness.viewRect,
                       g_Engine.m_bResizeWindow, g_SharedRender.verts2D != nullptr,
                       FormatTable[0].name != nullptr, {}};
      ClientPixels p{};
      if (GetClientPixels(hwnd, &p)) {
        const RECT& v = g_Harness.viewRect;
        for (int q = 0; q < 4; ++q) {
          int x = (v.right - v.left) * (q % 2 ? 3 : 1) / 4, y = (v.bottom - v.top) * (q / 2 ? 3 : 1) / 4;
          seen.samples.push_back(x < p.width && y < p.height ? p.data[y * p.pitch + x] & 0xFFFFFFu : 0xDEADBEEF);
        }
      }
      presents_.push_back(seen);
    };
    backend_->on_status = [this](HWND) { statusChanges_.push_back(d3d9_hooks::CallTrace().size()); };
    backend_->on_queue_idle = [this](bool) {
      if (std::strstr(g_LogState.line, "STARTING MAIN LOOP")) loopStarted_ = true;
      if (!loopStarted_ || !IsWindow(g_Harness.mainWindow)) return false;
      if (++idlePasses_ == 1) {
        // The loop runs and no test is chosen: what the window shows now.
        RECT client{}, bar{};
        GetClientRect(g_Harness.mainWindow, &client);
        GetClientRect(g_Harness.statusBar, &bar);
        clientAtLoop_ = client;
        barAtLoop_ = bar;
        viewAtLoop_ = g_Harness.viewRect;
        resizeAtLoop_ = g_Engine.m_bResizeWindow;
        barVisibleAtLoop_ = IsWindowVisible(g_Harness.statusBar) != FALSE;
        ClientPixels p{};
        if (GetClientPixels(g_Harness.mainWindow, &p)) {
          const RECT& v = g_Harness.viewRect;
          for (int q = 0; q < 4; ++q) {
            int x = v.right * (q % 2 ? 3 : 1) / 4, y = v.bottom * (q / 2 ? 3 : 1) / 4;
            samplesAtLoop_.push_back(p.data[y * p.pitch + x] & 0xFFFFFFu);
          }
        }
      }
      if (idlePasses_ == 3) {
        PostMessageA(g_Harness.mainWindow, WM_COMMAND, 105, 0);  // "E&xit"
        return true;
      }
      return false;
    };
  }

  void TearDown() override {
    app_test::DestroyEngine();
    UnregisterClassA("VORNELTESTS", nullptr);
    InstallBackend(nullptr);
    ResetMessageQueue();
    d3d9_hooks::ResetAll();
    InstallClock(nullptr);
    LogResetForTesting();
    g_Harness = HarnessState{};
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  int Run() {
    app_test::ConstructEngine();
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW);
    d3d9_hooks::SetCallTrace(false);
    trace_ = d3d9_hooks::CallTraceTexts();
    std::ifstream in(kLogFileName);
    std::stringstream s;
    s << in.rdbuf();
    log_ = s.str();
    return code;
  }

  // Index of the first trace record at or after `from` that starts with
  // `text`; the trace's size when there is none.
  std::size_t Find(const std::string& text, std::size_t from = 0) const {
    for (std::size_t i = from; i < trace_.size(); ++i)
      if (trace_[i].rfind(text, 0) == 0) return i;
    return trace_.size();
  }

  VirtualClock clock_{1286000000};
  std::filesystem::path dir_, old_;
  RecordingBackend* backend_ = nullptr;
  std::vector<PresentSeen> presents_;
  std::vector<std::size_t> statusChanges_;
  std::vector<std::string> trace_;
  std::string log_;
  bool loopStarted_ = false;
  int idlePasses_ = 0;
  RECT clientAtLoop_{}, barAtLoop_{}, viewAtLoop_{};
  bool resizeAtLoop_ = true;
  bool barVisibleAtLoop_ = false;
  std::vector<DWORD> samplesAtLoop_;
};

// The presents the backend saw, the one made when the window was created
// (before any Direct3D call) left out.
std::vector<PresentSeen> Presents(const std::vector<PresentSeen>& seen, const std::vector<std::string>& trace) {
  std::vector<PresentSeen> out;
  for (const PresentSeen& p : seen)
    if (p.trace < trace.size() && trace[p.trace].rfind("Present(", 0) == 0) out.push_back(p);
  return out;
}

TEST_F(WinMainRun, StartsUpInItsOrder) {
  ASSERT_EQ(Run(), 0);
  // The log: the engine's first entry, the application name, the engine's
  // start-up with the immediate interval, the first status text, the last
  // device check, the banner.
  std::size_t constructed = log_.find("END : Vorn::Vorn()");
  std::size_t name = log_.find("] Vornel Tests V0.5\n");
  std::size_t startup = log_.find("START : Vorn::InitWindow");
  std::size_t status = log_.find("] No Test Running\n");
  std::size_t lastCheck = log_.rfind("Maximum symult. RTarget is");
  std::size_t banner = log_.find(
      "\n\n********************************* STARTING MAIN LOOP ****************************************\n\n");
  ASSERT_NE(constructed, std::string::npos);
  ASSERT_NE(banner, std::string::npos);
  EXPECT_LT(constructed, name);
  EXPECT_LT(name, startup);
  EXPECT_LT(startup, log_.find("PINT:-2147483648"));
  EXPECT_LT(startup, status);
  EXPECT_LT(status, lastCheck);
  EXPECT_LT(lastCheck, banner);
  EXPECT_STREQ(g_Harness.title, "VornelTests");
  EXPECT_STREQ(g_Harness.windowClass, "VORNELTESTS");
  EXPECT_NE(g_Harness.accelerators, nullptr);

  // The device calls after the engine's last device creation, in order.
  std::size_t at = 0;
  for (std::size_t i = 0; i < trace_.size(); ++i)
    if (trace_[i].rfind("CreateDevice(", 0) == 0) at = i;
  ASSERT_GT(at, 0u);
  // Client area above the status bar, once the bar is shown.
  const std::string finalRect = "{0,0," + std::to_string(clientAtLoop_.right) + "," +
                                std::to_string(clientAtLoop_.bottom - barAtLoop_.bottom - 1) + "}";
  const std::vector<std::string> steps = {
      "SetRenderState(D3DRS_ZENABLE, 0)",
      "SetRenderState(D3DRS_CULLMODE, 1)",
      "Present(NULL, {0,0,1312,884}, ",
      "CreateTexture(256, 512, 10, 0x1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, ",
      "CreateTexture(512, 256, 10, 0x1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, ",
      "CreateTexture(512, 512, 10, 0x1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, ",
      "CreateTexture(256, 256, 9, 0x1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, ",
      "CreateTexture(64, 32, 7, 0x1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, ",  // pic5 at its own size
      "LightEnable(0, 1)",
      "SetTransform(D3DTS_PROJECTION, {1,0,0,0,0,1,0,0,0,0,1,0,0,0,-0,1})",  // the scaled 2D view
      "SetTexture(0, Texture#",
      "BeginScene()",
      "DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)",
      "EndScene()",
      "Present(NULL, {0,0,1312,884}, ",
      "Present(NULL, " + finalRect + ", ",
      "TestCooperativeLevel()",
  };
  std::vector<std::size_t> where;
  for (const std::string& step : steps) {
    at = Find(step, at);
    ASSERT_LT(at, trace_.size()) << "missing in order: " << step;
    where.push_back(at++);
  }
  const std::size_t splash = where[14], measured = where[15];
  // Nothing but the splash's own calls between its first and last.
  EXPECT_EQ(Find("Present(", where[8]), splash);
  EXPECT_EQ(measured, splash + 1);

  // The status text is set between the splash and the measured view.
  EXPECT_TRUE(std::any_of(statusChanges_.begin(), statusChanges_.end(),
                          [&](std::size_t s) { return s > splash && s <= measured; }));

  // What held at the presents: the resize flag until the last device
  // check, the format table filled before the engine starts, the shared
  // Render record made before the splash.
  std::vector<PresentSeen> presents = Presents(presents_, trace_);
  auto seenAt = [&](std::size_t index) {
    for (const PresentSeen& p : presents)
      if (p.trace == index) return p;
    ADD_FAILURE() << "no present seen at " << index;
    return PresentSeen{};
  };
  const PresentSeen first = seenAt(where[2]), atSplash = seenAt(splash);
  EXPECT_TRUE(first.resizeFlag);
  EXPECT_TRUE(first.formatsFilled);
  EXPECT_FALSE(first.sharedRenderMade);
  EXPECT_TRUE(atSplash.sharedRenderMade);
  EXPECT_TRUE(atSplash.lastLog.find("No Test Running") == std::string::npos);
  EXPECT_FALSE(resizeAtLoop_);
  EXPECT_EQ(viewAtLoop_.bottom, clientAtLoop_.bottom - barAtLoop_.bottom - 1);
  EXPECT_TRUE(barVisibleAtLoop_);
}

TEST_F(WinMainRun, TheFirstViewIsTheCentredRectangleTruncated) {
  backend_->desktop = {0, 0, 801, 601};  // narrower than 1024: the halves are negative
  ASSERT_EQ(Run(), 0);
  std::vector<PresentSeen> presents = Presents(presents_, trace_);
  ASSERT_GE(presents.size(), 2u);
  // The engine's own present first, then the one after the render states.
  const PresentSeen& firstView = presents[1];
  EXPECT_EQ(trace_[firstView.trace].rfind("Present(NULL, {0,0,912,684}, ", 0), 0u) << trace_[firstView.trace];
  EXPECT_EQ(firstView.view.left, -111);  // 400.5 - 512, truncated
  EXPECT_EQ(firstView.view.top, -83);
  EXPECT_EQ(firstView.view.right, 912);
  EXPECT_EQ(firstView.view.bottom, 684);
}

TEST_F(WinMainRun, TheSplashShowsSlotSixOverTheWholeViewAndStays) {
  ASSERT_EQ(Run(), 0);
  const std::vector<DWORD> quadrants = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  std::vector<PresentSeen> presents = Presents(presents_, trace_);
  ASSERT_GE(presents.size(), 4u);
  EXPECT_EQ(presents[2].samples, quadrants);  // the splash, in the centred view
  EXPECT_EQ(presents[3].samples, quadrants);  // presented again into the measured view
  EXPECT_EQ(samplesAtLoop_, quadrants);       // and still there while no test runs
}

TEST_F(WinMainRun, ReturnsTheWParamOfTheLastMessage) {
  EXPECT_EQ(Run(), 0);  // PostQuitMessage(0) of WM_DESTROY
  app_test::DestroyEngine();
  UnregisterClassA("VORNELTESTS", nullptr);
  ResetEngineGlobalsForTesting();
  LogResetForTesting();
  g_Harness = HarnessState{};
  loopStarted_ = false;
  idlePasses_ = 0;
  // A later quit message with another code is what the loop takes last.
  backend_->on_destroyed = [](HWND hwnd) {
    if (hwnd == g_Harness.mainWindow) PostQuitMessage(7);
  };
  EXPECT_EQ(Run(), 7);
  EXPECT_EQ(g_Harness.lastMessage.message, static_cast<UINT>(WM_QUIT));
}

}  // namespace
