// The menu commands through the window procedure, one family a test: what
// each sets on the device, in HarnessState and the engine, and the check
// marks that show it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/dialogs/format_table.h"
#include "platform/win32/open_file_dialog.h"
#include "tests/app/window/window_fixture.h"

namespace {

using app_test::FloatBits;
using app_test::WindowTest;
using Commands = WindowTest;

// Pixels of the presented view that are black.
std::size_t BlackPixels(const std::vector<DWORD>& picture) {
  std::size_t n = 0;
  for (DWORD p : picture) n += p == 0;
  return n;
}

TEST_F(Commands, ClearScreenAndHomeClearToOpaqueBlackAndAskForAPaint) {
  IDirect3DDevice9* d = g_Engine.m_pD3DDevice;
  const std::string clear = "Clear(0, NULL, 0x7, 0xff000000, 1, 0)";
  for (int way = 0; way < 2; ++way) {
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    g_Engine.ScreenSwap(1024, 768);
    while (PaintIfAsked()) {
    }
    ASSERT_EQ(Pixel(500, 400), 0xFFFFFFu);
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    if (way == 0) {
      Command(ids::kClearScreen);
    } else {
      // Home, through the accelerators of the main loop's pass.
      PostMessageA(hwnd_, WM_KEYDOWN, VK_HOME, 0);
      RunFrame();
    }
    d3d9_hooks::SetCallTrace(false);
    EXPECT_EQ(Calls(clear), 1) << way;
    // The window is invalidated; its paint presents the black target.
    EXPECT_TRUE(PaintIfAsked()) << way;
    EXPECT_EQ(Pixel(500, 400), 0x000000u) << way;
  }

  // A test that does not clear draws over the black.
  Select(32773, 'r', 100);  // "&Render Lines"
  Frame();
  const std::size_t black = BlackPixels(Picture());
  EXPECT_GT(black, Picture().size() / 2);
  EXPECT_LT(black, Picture().size());
}

TEST_F(Commands, SwapEffectCommandsCheckTheirItemResetAndTurnLightingOff) {
  g_Harness.resolutionWidth = 800;
  g_Harness.resolutionHeight = 600;
  struct Case {
    UINT id, other;
    D3DSWAPEFFECT effect;
  };
  for (const Case& c : {Case{ids::kSwapFlip, ids::kSwapCopy, D3DSWAPEFFECT_FLIP},
                        Case{ids::kSwapCopy, ids::kSwapFlip, D3DSWAPEFFECT_COPY}}) {
    SetMenuCheck(true, c.other);
    SetMenuCheck(false, c.id);
    g_Engine.m_pD3DDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    Command(c.id);
    d3d9_hooks::SetCallTrace(false);
    EXPECT_TRUE(Checked(c.id)) << c.id;
    EXPECT_FALSE(Checked(c.other)) << c.id;
    EXPECT_EQ(g_Engine.m_PresentParams.SwapEffect, c.effect);
    const int reset = LastCall("Reset(");
    EXPECT_GE(reset, 0) << c.id;
    EXPECT_GT(LastCall("SetRenderState(D3DRS_LIGHTING, 0)"), reset) << c.id;
    EXPECT_EQ(State(D3DRS_LIGHTING), static_cast<DWORD>(FALSE)) << c.id;
  }
  EXPECT_EQ(CountLogLines("SetRez(800,600)"), 2u);
}

TEST_F(Commands, ResizeWindowAndDumpTexturesToggleTheirFlagAndMark) {
  const bool resize = g_Engine.m_bResizeWindow;
  for (int i = 1; i <= 2; ++i) {
    Command(ids::kResizeWindow);
    const bool expected = i % 2 ? !resize : resize;
    EXPECT_EQ(g_Engine.m_bResizeWindow, expected) << i;
    EXPECT_EQ(Checked(ids::kResizeWindow), expected) << i;
  }
  ASSERT_FALSE(Checked(ids::kDumpTextures));
  Command(ids::kDumpTextures);
  EXPECT_TRUE(Checked(ids::kDumpTextures));
  EXPECT_TRUE(g_Engine.m_bDumpTexturesOnReset);
  // The flag follows the mark, whatever it held.
  g_Engine.m_bDumpTexturesOnReset = false;
  Command(ids::kDumpTextures);
  EXPECT_FALSE(Checked(ids::kDumpTextures));
  EXPECT_FALSE(g_Engine.m_bDumpTexturesOnReset);
}

TEST_F(Commands, ScaleSpritesFlipsTheDevicesPointScalingAndShowsIt) {
  ASSERT_EQ(State(D3DRS_POINTSCALEENABLE), static_cast<DWORD>(FALSE));
  Command(ids::kScaleSprites);
  EXPECT_EQ(State(D3DRS_POINTSCALEENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(State(D3DRS_POINTSIZE), 0u);
  EXPECT_EQ(State(D3DRS_POINTSIZE_MIN), FloatBits(1.0f));
  EXPECT_EQ(State(D3DRS_POINTSCALE_A), FloatBits(0.0f));
  EXPECT_EQ(State(D3DRS_POINTSCALE_B), FloatBits(0.0f));
  EXPECT_EQ(State(D3DRS_POINTSCALE_C), FloatBits(1.0f));
  EXPECT_TRUE(Checked(ids::kScaleSprites));

  Command(ids::kScaleSprites);
  EXPECT_EQ(State(D3DRS_POINTSCALEENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(State(D3DRS_POINTSIZE_MIN), FloatBits(0.0f));
  EXPECT_EQ(State(D3DRS_POINTSCALE_A), FloatBits(1.0f));
  EXPECT_EQ(State(D3DRS_POINTSCALE_C), FloatBits(0.0f));
  EXPECT_FALSE(Checked(ids::kScaleSprites));

  // The device's state decides, not what the command did last.
  g_Engine.m_pD3DDevice->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
  Command(ids::kScaleSprites);
  EXPECT_EQ(State(D3DRS_POINTSCALEENABLE), static_cast<DWORD>(FALSE));
  EXPECT_FALSE(Checked(ids::kScaleSprites));
}

TEST_F(Commands, FastCopyCopyFiltersAndTextureFiltersSetTheirValuesAndMarks) {
  const bool fast = g_Engine.m_bFastCopy;
  for (int i = 1; i <= 2; ++i) {
    Command(ids::kAllowFastCopy);
    InitMenu();
    EXPECT_EQ(g_Engine.m_bFastCopy, i % 2 ? !fast : fast) << i;
    EXPECT_EQ(Checked(ids::kAllowFastCopy), g_Engine.m_bFastCopy) << i;
  }
  for (UINT i = 0; i < 5; ++i) {
    Command(ids::kCopyFilterNone + i);
    EXPECT_EQ(g_Engine.m_CopyFilter, i + 1);
    InitMenu();
    for (UINT j = 0; j < 5; ++j) EXPECT_EQ(Checked(ids::kCopyFilterNone + j), i == j) << i << " " << j;
  }
  for (UINT i = 0; i < 3; ++i) {
    Command(ids::kFilterPoint + i);
    EXPECT_EQ(g_Harness.textureFilter, i + 1);
    InitMenu();
    for (UINT j = 0; j < 3; ++j) EXPECT_EQ(Checked(ids::kFilterPoint + j), i == j) << i << " " << j;
    // The next frame draws with it.
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    RunFrame();
    d3d9_hooks::SetCallTrace(false);
    std::vector<std::string> t = d3d9_hooks::CallTraceTexts();
    std::size_t mag = 0;
    while (mag < t.size() && t[mag].rfind("SetSamplerState(0, D3DSAMP_MAGFILTER, ", 0) != 0) ++mag;
    ASSERT_LT(mag + 1, t.size());
    EXPECT_EQ(t[mag], "SetSamplerState(0, D3DSAMP_MAGFILTER, " + std::to_string(i < 2 ? i + 1 : 2) + ")") << i;
    EXPECT_EQ(t[mag + 1], "SetSamplerState(0, D3DSAMP_MINFILTER, " + std::to_string(i + 1) + ")") << i;
  }
}

TEST_F(Commands, FillAndShadeCommandsSetTheDeviceStateAndTheirMarks) {
  struct Case {
    UINT id;
    D3DRENDERSTATETYPE state;
    DWORD value;
  };
  const Case cases[] = {
      {ids::kFillPoint, D3DRS_FILLMODE, D3DFILL_POINT},       {ids::kFillWireFrame, D3DRS_FILLMODE, D3DFILL_WIREFRAME},
      {ids::kFillSolid, D3DRS_FILLMODE, D3DFILL_SOLID},       {ids::kShadeFlat, D3DRS_SHADEMODE, D3DSHADE_FLAT},
      {ids::kShadeGouraud, D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
  };
  const int fillModes[] = {2, 1, 0};
  for (int i = 0; i < 5; ++i) {
    const Case& c = cases[i];
    Command(c.id);
    EXPECT_EQ(State(c.state), c.value) << c.id;
    if (i < 3) {
      EXPECT_EQ(g_Harness.fillMode, fillModes[i]) << c.id;
    }
    if (i >= 3) {
      EXPECT_EQ(g_Harness.flatShading, c.id == ids::kShadeFlat) << c.id;
    }
    InitMenu();
    EXPECT_TRUE(Checked(c.id)) << c.id;
  }
  InitMenu();
  EXPECT_FALSE(Checked(ids::kFillPoint));
  EXPECT_FALSE(Checked(ids::kFillWireFrame));
  EXPECT_FALSE(Checked(ids::kShadeFlat));
}

// Slot 6 before a command, with a reference of the test's own so that the
// command's release shows.
class HeldTexture {
 public:
  explicit HeldTexture(IDirect3DTexture9* t) : t_(t) {
    if (t_) t_->AddRef();
  }
  // The references left once the test's own goes: 0 when the command
  // released the texture.
  ULONG Drop() {
    ULONG left = t_ ? t_->Release() : 0;
    t_ = nullptr;
    return left;
  }
  ~HeldTexture() { Drop(); }

 private:
  IDirect3DTexture9* t_;
};

D3DSURFACE_DESC SlotDesc(int slot) {
  D3DSURFACE_DESC desc{};
  if (IDirect3DTexture9* t = g_Engine.m_pTextures[slot]) t->GetLevelDesc(0, &desc);
  return desc;
}

TEST_F(Commands, CopyTargetCommandsReloadSlotSixAndNameTheTarget) {
  for (const char* name : {"pic1.jpg", "pic2.jpg", "pic3.bmp", "pic4.jpg", "pic5.bmp"})
    app_test::WriteBitmap(name, 20, 20, [](int, int) { return 0x336699u; });
  struct Case {
    UINT id;
    UINT width, height;
  };
  const Case cases[] = {{ids::kTexture1, 256, 512}, {ids::kTexture2, 512, 256}, {ids::kTexture3, 512, 512},
                        {ids::kTexture4, 256, 256}, {ids::kTexture5, 48, 48}};
  for (int i = 0; i < 5; ++i) {
    HeldTexture before(g_Engine.m_pTextures[6]);
    g_Harness.needsInit = false;
    Command(cases[i].id);
    EXPECT_EQ(before.Drop(), 0u) << i;
    D3DSURFACE_DESC desc = SlotDesc(6);
    EXPECT_EQ(desc.Width, cases[i].width) << i;
    EXPECT_EQ(desc.Height, cases[i].height) << i;
    EXPECT_EQ(g_Harness.copyTarget, i);
    EXPECT_TRUE(g_Harness.needsInit);
    InitMenu();
    EXPECT_TRUE(Checked(cases[i].id)) << i;
  }

  // "&User Defined Texture": slot 6 made from the dialog's settings.
  FillFormatTable();
  UserTextureSettings& u = g_Harness.userTexture;
  u.width = 64;
  u.height = 32;
  u.formatIndex = FindFormat("D3DFMT_A8R8G8B8");
  u.usage = 0;
  u.pool = D3DPOOL_SYSTEMMEM;
  HeldTexture before(g_Engine.m_pTextures[6]);
  g_Harness.needsInit = false;
  Command(ids::kUserTexture);
  EXPECT_EQ(before.Drop(), 0u);
  ASSERT_NE(g_Engine.m_pTextures[6], nullptr);
  D3DSURFACE_DESC desc = SlotDesc(6);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 32u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(g_Engine.m_pTextures[6]->GetLevelCount(), 7u);  // a full chain
  EXPECT_EQ(g_Harness.copyTarget, 5);
  EXPECT_TRUE(g_Harness.needsInit);
  InitMenu();
  EXPECT_TRUE(Checked(ids::kUserTexture));
  EXPECT_FALSE(Checked(ids::kTexture5));

  // "Copy From Texture" toggles.
  for (int i = 1; i <= 2; ++i) {
    Command(ids::kCopyFromTexture);
    EXPECT_EQ(g_Harness.copyFromTexture, i == 1);
    InitMenu();
    EXPECT_EQ(Checked(ids::kCopyFromTexture), i == 1);
  }
}

TEST_F(Commands, LoadTextureAsksForABitmapAndLoadsItIntoSlotFiveAtItsSize) {
  app_test::WriteBitmap("chosen.bmp", 64, 16, [](int, int) { return 0xFF8000u; });
  const std::string chosen = (dir_ / "chosen.bmp").string();
  backend_->open_file_path = chosen;
  MakePicture(5, 8, 8, 0xFF000000);
  HeldTexture before(g_Engine.m_pTextures[5]);
  Command(ids::kLoadTexture);
  EXPECT_EQ(before.Drop(), 0u);
  D3DSURFACE_DESC desc = SlotDesc(5);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 16u);

  ASSERT_EQ(backend_->open_file_requests.size(), 1u);
  const OPENFILENAMEA& ofn = backend_->open_file_requests[0];
  EXPECT_EQ(ofn.lStructSize, 88u);
  EXPECT_EQ(ofn.hwndOwner, g_Engine.m_hwnd);
  EXPECT_EQ(ofn.nFilterIndex, 2u);
  EXPECT_EQ(ofn.Flags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                                          OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
  EXPECT_STREQ(ofn.lpstrInitialDir, "/0");
  EXPECT_EQ(ofn.lpstrFileTitle, nullptr);
  EXPECT_EQ(ofn.nMaxFile, 512u);
  ASSERT_EQ(CountFileFilters(ofn.lpstrFilter), 3);
  const char* pairs[3][2] = {{"All", "*.*"}, {"Bitmaps (*.bmp)", "*.bmp"}, {"Jpegs (*.jpg)", "*.jpg"}};
  for (int i = 0; i < 3; ++i) {
    FileFilter f = FileFilterAt(ofn.lpstrFilter, i);
    EXPECT_STREQ(f.name, pairs[i][0]);
    EXPECT_STREQ(f.pattern, pairs[i][1]);
  }

  // Cancelled, the dialog finds the last choice in its buffer and slot 5
  // keeps its picture.
  backend_->open_file_path.clear();
  IDirect3DTexture9* loaded = g_Engine.m_pTextures[5];
  Command(ids::kLoadTexture);
  ASSERT_EQ(backend_->open_file_buffers.size(), 2u);
  EXPECT_EQ(backend_->open_file_buffers[1], chosen);
  EXPECT_EQ(g_Engine.m_pTextures[5], loaded);
}

}  // namespace
