// A fixture for engine tests: the common workspace (tests/support) with an
// engine of the test's own, and readers of the log it writes.
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
#include "tests/support/engine_workspace.h"

namespace engine_test {

using test_support::Box;
using test_support::g_answers;
using test_support::g_boxes;

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

class EngineTest : public test_support::EngineWorkspace {
 protected:
  EngineTest() : EngineWorkspace("vornel_engine_") {}

  void TearDown() override {
    engine_.reset();
    EngineWorkspace::TearDown();
  }

  // Constructs the engine as the program does, with the harness's settings.
  Vorn& MakeEngine() {
    engine_ = std::make_unique<Vorn>("Vornel Tests V0.5");
    test_support::ApplyHarnessPresentSettings(*engine_);
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

  std::unique_ptr<Vorn> engine_;
};

}  // namespace engine_test
