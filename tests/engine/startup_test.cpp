// Engine construction and start-up: the log, the display-mode survey, the
// back-buffer format choice and the device creation fallbacks.
#include <fstream>

#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

D3DDISPLAYMODE Mode(UINT w, UINT h, UINT hz) { return D3DDISPLAYMODE{w, h, hz, D3DFMT_X8R8G8B8}; }

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

TEST_F(EngineTest, ConstructionWritesTheHeaderAndBalancedEntries) {
  MakeEngine();
  std::string f = LogFile();
  EXPECT_EQ(f.rfind("Vornel Tests V0.5\n====", 0), 0u);
  EXPECT_NE(f.find("Start Type NULL\n"), std::string::npos);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"[T] START : Vorn::Vorn()",
                                                  "[T]  ------Vorn =0",
                                                  "[T] END : Vorn::Vorn()"}));
  EXPECT_EQ(engine_->m_PresentParams.BackBufferWidth, 800u);
  EXPECT_EQ(engine_->m_PresentParams.AutoDepthStencilFormat, D3DFMT_D24S8);
  EXPECT_EQ(engine_->m_TextRender.max2D, 800);
  EXPECT_EQ(engine_->m_TextRender.engine, engine_.get());
  EXPECT_FLOAT_EQ(engine_->m_fAspect, 50.0f / 27.0f);
}

// The whole start-up log, time stamps masked, against the reviewed text in
// data/startup_log.txt. Its caps lines follow what the device reports; when
// the device gains features, rewrite it with VORNEL_WRITE_GOLDEN=<file>,
// read the difference, and copy it over.
TEST_F(EngineTest, StartupLogMatchesTheReference) {
  StartEngine();
  std::vector<std::string> expected = ReadLines(std::string(VORNEL_TEST_DATA) + "/startup_log.txt");
  std::vector<std::string> actual = LogLines();
  if (const char* out = std::getenv("VORNEL_WRITE_GOLDEN")) {
    std::ofstream o(out);
    for (const std::string& line : actual) o << line << "\n";
  }
  ASSERT_FALSE(expected.empty());
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i)
    ASSERT_EQ(actual[i], expected[i]) << "line " << i + 1;
  EXPECT_EQ(actual.size(), expected.size());
  EXPECT_EQ(g_LogState.depth, 0);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(EngineTest, StartupCreatesTheDeviceTwiceAndEndsIn2DView) {
  d3d9_hooks::SetCallTrace(true);
  Vorn& e = StartEngine();
  EXPECT_EQ(d3d9_hooks::CallCount("CreateDevice"), 2u);
  ASSERT_NE(e.m_pD3DDevice, nullptr);
  EXPECT_TRUE(e.m_bDeviceReady);
  EXPECT_EQ(e.m_ChosenFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(e.m_PresentParams.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(e.m_PresentParams.BackBufferWidth, 1024u);
  EXPECT_EQ(e.m_nTextures, 10);
  EXPECT_NE(e.m_pTextures[0], nullptr);  // the font
  EXPECT_TRUE(e.m_b2DViewActive);
  EXPECT_EQ(e.m_Viewport.Width, 1024u);
  EXPECT_FLOAT_EQ(e.m_Viewport.MinZ, 0.01f);
  EXPECT_EQ(e.m_Light.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(e.m_Material.Power, 40.0f);
  EXPECT_EQ(CountLines("CreateDevice() succedded!."), 2);
  char title[64] = {};
  GetWindowTextA(hwnd_, title, sizeof title);
  EXPECT_STREQ(title, "Vornel new Tests");
}

TEST_F(EngineTest, ModeSurveyDropsDuplicate60HzAndAppends720p) {
  d3d9_hooks::SetDisplayModes(D3DFMT_X8R8G8B8, {Mode(800, 600, 60), Mode(800, 600, 75), Mode(1024, 768, 60)});
  Vorn& e = MakeEngine();
  e.m_pDirect3DObject = Direct3DCreate9(D3D_SDK_VERSION);
  e.m_Adapter = 0;
  EXPECT_EQ(e.TestAdaptor(D3DFMT_X8R8G8B8), 3);
  EXPECT_EQ(e.m_pModeWidths[0], 800);
  EXPECT_EQ(e.m_pModeHeights[0], 600);
  EXPECT_EQ(e.m_pModeWidths[1], 1024);
  EXPECT_EQ(e.m_pModeWidths[2], 1280);
  EXPECT_EQ(e.m_pModeHeights[2], 720);
  std::vector<std::string> tail = LinesFrom("Modes Available");
  ASSERT_GE(tail.size(), 4u);
  EXPECT_EQ(tail[0], "[T]  Modes Available 3");
  EXPECT_EQ(tail[1], "[T]  Mode 1 : 800x600 @ 75");
  EXPECT_EQ(tail[2], "[T]  Mode 2 : 1024x768 @ 60");
  EXPECT_EQ(tail[3], "[T]  Mode 3 : 1280x720 @ 0");
}

TEST_F(EngineTest, ModeSurveyMoves640x480FirstAndKeepsOrderOtherwise) {
  d3d9_hooks::SetDisplayModes(D3DFMT_X8R8G8B8, {Mode(1024, 768, 75), Mode(1280, 720, 60), Mode(640, 480, 75)});
  d3d9_hooks::SetDisplayModes(D3DFMT_R5G6B5, {Mode(1280, 720, 60), Mode(800, 600, 60)});
  Vorn& e = MakeEngine();
  e.m_pDirect3DObject = Direct3DCreate9(D3D_SDK_VERSION);
  e.m_Adapter = 0;
  EXPECT_EQ(e.TestAdaptor(D3DFMT_X8R8G8B8), 4);
  EXPECT_EQ(e.m_pModeWidths[0], 640);
  EXPECT_EQ(e.m_pModeWidths[1], 1280);
  EXPECT_EQ(e.m_pModeWidths[2], 1024);
  EXPECT_EQ(e.m_pModeWidths[3], 1280);
  // No 640 x 480: the adapter's order stays; 1280 x 720 comes twice.
  EXPECT_EQ(e.TestAdaptor(D3DFMT_R5G6B5), 3);
  EXPECT_EQ(e.m_pModeWidths[0], 1280);
  EXPECT_EQ(e.m_pModeWidths[1], 800);
  EXPECT_EQ(e.m_pModeWidths[2], 1280);
  EXPECT_EQ(e.TestAdaptor(D3DFMT_A8R8G8B8), 0);
  EXPECT_EQ(CountLines("D3D format 21 not supported"), 1);
  e.m_Adapter = -1;
  EXPECT_EQ(e.TestAdaptor(D3DFMT_X8R8G8B8), -1);
}

TEST_F(EngineTest, FormatSurveyTieKeepsTheEarlierFormat) {
  const std::vector<D3DDISPLAYMODE> two = {Mode(800, 600, 60), Mode(1024, 768, 60)};
  d3d9_hooks::SetDisplayModes(D3DFMT_X8R8G8B8, two);
  d3d9_hooks::SetDisplayModes(D3DFMT_A8R8G8B8, two);
  d3d9_hooks::SetDisplayModes(D3DFMT_R5G6B5, {Mode(800, 600, 60), Mode(1024, 768, 60), Mode(640, 480, 60)});
  Vorn& e = MakeEngine();
  e.m_hwnd = hwnd_;
  e.m_Adapter = 0;
  e.InitD3D();
  // R5G6B5 is not a candidate; A8R8G8B8 (21) comes before X8R8G8B8 (22).
  EXPECT_EQ(e.m_ChosenFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(CountLines("Format 21 chosen."), 1);
}

TEST_F(EngineTest, InitD3DWithoutAdapterOrWindowFails) {
  Vorn& e = MakeEngine();
  EXPECT_TRUE(e.InitD3D());
  EXPECT_EQ(e.m_pDirect3DObject, nullptr);
  EXPECT_EQ(CountLines("---ERROR--- : No adapter specified. m_Adapter==-1 in InitD3D()"), 1);
  e.m_Adapter = 0;
  EXPECT_TRUE(e.InitD3D());
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, "m_hwnd is invalid");
  EXPECT_EQ(g_boxes[0].text, "No window initialised for app");
  EXPECT_EQ(clock_.SleptMilliseconds(), 200);
}

TEST_F(EngineTest, InvalidCallSwitchesToSoftwareVertexProcessingForGood) {
  d3d9_hooks::FailNextCalls("CreateDevice", D3DERR_INVALIDCALL);
  d3d9_hooks::SetCallTrace(true);
  Vorn& e = MakeEngine();
  e.m_hwnd = hwnd_;
  e.m_Adapter = 0;
  EXPECT_FALSE(e.InitD3D());
  EXPECT_EQ(e.m_dwVertexProcessing, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  std::vector<std::string> creates;
  for (const auto& r : d3d9_hooks::CallTrace())
    if (r.method == "CreateDevice") creates.push_back(r.args);
  ASSERT_EQ(creates.size(), 2u);
  EXPECT_NE(creates[0].find("0x86"), std::string::npos);
  EXPECT_NE(creates[1].find("0x26"), std::string::npos);
  EXPECT_EQ(CountLines("D3DERR_DRIVERINVALIDCAL switching to software vertex"), 1);
  // Later creations keep software vertex processing.
  d3d9_hooks::ClearCallTrace();
  e.InitD3D();
  for (const auto& r : d3d9_hooks::CallTrace()) {
    if (r.method == "CreateDevice") {
      EXPECT_NE(r.args.find("0x26"), std::string::npos);
    }
  }
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(EngineTest, TwoFailedCreationsShowOneBoxAndFail) {
  d3d9_hooks::FailNextCalls("CreateDevice", D3DERR_INVALIDCALL, 2);
  Vorn& e = MakeEngine();
  e.m_hwnd = hwnd_;
  e.m_Adapter = 0;
  EXPECT_TRUE(e.InitD3D());
  EXPECT_FALSE(e.m_bDeviceReady);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, "InitD3D()");
  EXPECT_EQ(g_boxes[0].text, "m_pDirect3DObject->CreateDevice() failed! (-2005530516)");
  std::vector<std::string> tail = LinesFrom("1st fail");
  ASSERT_GE(tail.size(), 4u);
  EXPECT_EQ(tail[1], "[T]  D3DERR_DRIVERINVALIDCAL switching to software vertex");
  EXPECT_EQ(tail[2], "[T]  ---ERROR--- : InitD3D() 2nd fail, cannot create device!");
  EXPECT_EQ(tail[3], "[T] END : Vorn::InitD3D()");
}

TEST_F(EngineTest, OtherCreationFailuresAreNamed) {
  d3d9_hooks::FailNextCalls("CreateDevice", D3DERR_NOTAVAILABLE);
  d3d9_hooks::FailNextCalls("CreateDevice", E_FAIL);
  Vorn& e = MakeEngine();
  e.m_hwnd = hwnd_;
  e.m_Adapter = 0;
  EXPECT_TRUE(e.InitD3D());
  EXPECT_TRUE(e.InitD3D());
  EXPECT_EQ(CountLines("]  D3DERR_NOTAVAILABLE"), 1);
  EXPECT_EQ(CountLines("Unknown error E_FAIL"), 1);
  EXPECT_EQ(CountLines("cannot create device."), 2);
  EXPECT_EQ(e.m_dwVertexProcessing, static_cast<DWORD>(D3DCREATE_MIXED_VERTEXPROCESSING));
}

TEST_F(EngineTest, DestructionReleasesEverythingAndBalancesTheLog) {
  int before = d3d9_hooks::LiveObjectCount();
  StartEngine();
  engine_.reset();
  EXPECT_EQ(d3d9_hooks::LiveObjectCount(), before);
  std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "[T] END : Vorn::~Vorn()");
  EXPECT_EQ(g_LogState.depth, 0);
  EXPECT_EQ(CountLines("START : KillWindow()...[T] END : KillWindow()"), 1);
}

}  // namespace
}  // namespace engine_test
