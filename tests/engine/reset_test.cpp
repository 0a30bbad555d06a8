// Device loss, reset and resolution change: every result branch of the
// reset, textures carried across it, the dumps, and the cooperative level.
#include <cstdio>
#include <filesystem>

#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

TEST_F(EngineTest, SetRezResizesAndKeepsDefaultPoolTextures) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 1, 64, 32);
  MakeDefaultPoolTexture(e, 7, 16, 16);
  e.SetRez(800, 600);
  EXPECT_FALSE(e.m_bQuit);
  EXPECT_EQ(e.m_PresentParams.BackBufferWidth, 800u);
  EXPECT_FLOAT_EQ(e.m_fScaleX, 2.01f / 800.0f);
  EXPECT_FLOAT_EQ(e.m_fScaleY, 2.01f / 600.0f);
  EXPECT_EQ(CountLines("reset is D3D_OK. Windowed status=1"), 2);  // start-up had one
  for (int slot : {1, 7}) {
    ASSERT_NE(e.m_pTextures[slot], nullptr);
    D3DSURFACE_DESC d{};
    e.m_pTextures[slot]->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Pool, D3DPOOL_DEFAULT) << slot;
    EXPECT_EQ(d.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET)) << slot;
    EXPECT_EQ(e.m_pTextures[slot]->GetLevelCount(), 1u);
  }
  EXPECT_EQ(Texel(e, e.m_pTextures[1], 5, 9), 0xFF010905u);
  EXPECT_EQ(Texel(e, e.m_pTextures[7], 15, 15), 0xFF070F0Fu);
  EXPECT_EQ(e.m_pTextureBackups, nullptr);
  EXPECT_NE(e.m_pScreenVB, nullptr);  // the scene was rebuilt
}

TEST_F(EngineTest, DumpsNameEachDefaultPoolTextureAndHoldBitmaps) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 2, 8, 8);
  MakeDefaultPoolTexture(e, 3, 8, 8);
  MakeDefaultPoolTexture(e, 8, 8, 8);
  e.m_bDumpTexturesOnReset = true;
  e.SetRez(1024, 768);
  for (const char* name : {"~before000.jpg", "~before001.jpg", "~before002.jpg"}) {
    ASSERT_TRUE(std::filesystem::exists(name)) << name;
    std::FILE* f = std::fopen(name, "rb");
    char magic[2] = {};
    ASSERT_EQ(std::fread(magic, 1, 2, f), 2u);
    std::fclose(f);
    EXPECT_EQ(magic[0], 'B');
    EXPECT_EQ(magic[1], 'M');
  }
  EXPECT_FALSE(std::filesystem::exists("~before003.jpg"));
}

TEST_F(EngineTest, ManagedTexturesNeedNoBackups) {
  Vorn& e = StartEngine();
  e.m_bDumpTexturesOnReset = true;
  e.SetRez(800, 600);
  EXPECT_FALSE(std::filesystem::exists("~before000.jpg"));  // the font is managed
}

TEST_F(EngineTest, InvalidCallRetriesOnceAt640x480) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 1, 8, 8);
  d3d9_hooks::FailNextCalls("Reset", D3DERR_INVALIDCALL);
  e.SetRez(1600, 900);
  EXPECT_EQ(CountLines("--->>  WARNING  <<--- :Invalid call. Windowed status=1"), 1);
  EXPECT_EQ(e.m_PresentParams.BackBufferWidth, 640u);
  EXPECT_FLOAT_EQ(e.m_fScreenHeight, 480.0f);
  D3DSURFACE_DESC d{};
  e.m_pTextures[1]->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Pool, D3DPOOL_DEFAULT);  // the retry succeeded and restored it
  // One release at start-up, then one for each attempt here.
  EXPECT_EQ(CountLines("START : Vornel::ClearVolatiles()"), 3);
}

TEST_F(EngineTest, InvalidCallAt640x480EndsWithManagedTextures) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 1, 8, 8);
  d3d9_hooks::FailNextCalls("Reset", D3DERR_INVALIDCALL);
  std::size_t mark = LogLines().size();
  e.SetRez(640, 480);
  std::vector<std::string> lines = LogLines();
  int inits = 0;
  for (std::size_t i = mark; i < lines.size(); ++i)
    if (lines[i].find("START : Vorn::InitScene()") != std::string::npos) ++inits;
  EXPECT_EQ(inits, 1);
  D3DSURFACE_DESC d{};
  e.m_pTextures[1]->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
  EXPECT_FALSE(e.m_bQuit);
  EXPECT_NE(e.m_pScreenVB, nullptr);
}

TEST_F(EngineTest, FatalResetResultsSetTheQuitFlag) {
  struct Case {
    HRESULT hr;
    const char* line;
    const char* box;
  } cases[] = {
      {D3DERR_DEVICELOST, "Reset is D3DERR_DEVICELOST. Windowed status=1", nullptr},
      {D3DERR_DRIVERINTERNALERROR, ":Reset is D3DERR_DRIVERINTERNALERROR Windowed status=1", "Driver Internal Error."},
      {D3DERR_OUTOFVIDEOMEMORY, ":Reset is D3DERR_OUTOFVIDEOMEMORY Windowed status=1", "Out of Video Memory."},
      {D3DERR_DEVICENOTRESET, ":Reset is D3DERR_DEVICENOTRESET. Windowed status=1", nullptr},
  };
  Vorn& e = StartEngine();
  for (const Case& c : cases) {
    e.m_bQuit = false;
    g_boxes.clear();
    d3d9_hooks::FailNextCalls("Reset", c.hr);
    e.SetRez(800, 600);
    EXPECT_TRUE(e.m_bQuit) << c.line;
    EXPECT_EQ(CountLines(c.line), 1) << c.line;
    if (c.box) {
      ASSERT_EQ(g_boxes.size(), 1u);
      EXPECT_EQ(g_boxes[0].text, c.box);
      EXPECT_EQ(g_boxes[0].caption, "Vorn::SetRez()");
    } else {
      EXPECT_TRUE(g_boxes.empty());
    }
  }
  EXPECT_EQ(CountLines("Reset is D3DERR_DEVICELOST. Windowed status=1"), 2);  // NOTRESET goes on to it
}

TEST_F(EngineTest, CheckDeviceCapsOnLostAndNotResetDevices) {
  Vorn& e = StartEngine();
  EXPECT_FALSE(e.CheckDeviceCaps());
  EXPECT_GE(CountLines("Maximum Texture Width is  : "), 1);
  EXPECT_GE(CountLines("Maximum symult. RTarget is: "), 1);

  d3d9_hooks::SimulateDeviceLost(1);
  EXPECT_TRUE(e.CheckDeviceCaps());
  EXPECT_EQ(CountLines("Test Coop. has LOST THE 3D DEVICE. CheckDeviceCaps()"), 1);
  // Now the device wants a reset: the volatiles go, the reset runs, the
  // report follows and the answer is still "not usable".
  int reports = CountLines("Maximum Texture Width is  : ");
  EXPECT_TRUE(e.CheckDeviceCaps());
  EXPECT_EQ(CountLines("Test Coop. requires a reset. CheckDeviceCaps()"), 1);
  EXPECT_EQ(CountLines("Maximum Texture Width is  : "), reports + 1);
  EXPECT_EQ(e.m_pScreenVB, nullptr);  // the caller rebuilds the scene
  EXPECT_FALSE(e.CheckDeviceCaps());

  d3d9_hooks::SimulateDeviceLost(0);
  d3d9_hooks::FailNextCalls("Reset", D3DERR_INVALIDCALL);
  EXPECT_TRUE(e.CheckDeviceCaps());
  EXPECT_EQ(CountLines("Reset() failed! INVALID CALL CheckDeviceCaps()"), 1);
}

}  // namespace
}  // namespace engine_test

namespace engine_test {
namespace {

TEST_F(EngineTest, ResizeToResolutionCentresTheWindowOnTheDesktop) {
  Vorn& e = StartEngine();
  RECT before{};
  GetWindowRect(hwnd_, &before);
  e.SetRez(800, 600);  // without the resize setting the window stays
  RECT same{};
  GetWindowRect(hwnd_, &same);
  EXPECT_EQ(same.right - same.left, before.right - before.left);

  e.m_bResizeWindow = true;
  e.SetRez(800, 600);
  RECT r{};
  GetWindowRect(hwnd_, &r);
  EXPECT_EQ(r.left, (e.m_DesktopRect.right - 800) / 2);
  EXPECT_EQ(r.top, (e.m_DesktopRect.bottom - 600) / 2);
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
}

}  // namespace
}  // namespace engine_test
