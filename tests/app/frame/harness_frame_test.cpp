// The bench's frame driven directly: the results extraction on crafted
// logs, the status-text facility, the format table's order, the menu's
// check marks, and one pass of the main loop (the texture filter around
// the test call, the per-second statistics).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "app/window/command_ids.h"
#include "app/dialogs/format_table.h"
#include "app/frame/main_loop.h"
#include "app/window/main_window.h"
#include "app/window/menu_checks.h"
#include "app/resources/resources.h"
#include "app/frame/results_file.h"
#include "app/window/status_texts.h"
#include "tests/app/cases/cases_2d_fixture.h"

namespace {

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

using app_test::Tests2DTest;
using HarnessFrame = Tests2DTest;

TEST_F(HarnessFrame, ResultsKeepOnlyOneCallLinesOfNamedTestsInLogOrder) {
  WriteFile("Logfile.txt",
            "Vornel Tests V0.5\n"
            "[01:00:00(0001)] TestStat No Test : Calls 1 @ 900FPS\n"
            "[01:00:01(0002)] TestStat void TestRenderLines() : Calls 1 @ 57FPS\n"
            "[01:00:02(0003)] TestStat void TestRenderLines() : Calls 10 @ 12FPS\n"
            "[01:00:03(0004)]  TestStat void TestTPrint() : Calls 1 @ 1234FPS\n"
            "[01:00:04(0005)] TestStat void TestTPrint() : Calls 100 @ 3FPS\n"
            "[01:00:05(0006)] TestStat void TestMouse() : Calls 1 @ 7FPS");
  ASSERT_TRUE(WriteResultsFile("logfile.txt", "RESULTS.TXT"));
  EXPECT_EQ(ReadFile("RESULTS.TXT"), "TestRenderLines() 57\nTestTPrint() 1234\nTestMouse() 7\n");
}

TEST_F(HarnessFrame, ResultsOfOtherCallCountsOrAMissingLogStayEmpty) {
  WriteFile("Logfile.txt", "[01:00:01(0002)] TestStat void TestRenderLines() : Calls 10 @ 12FPS\n");
  ASSERT_TRUE(WriteResultsFile("logfile.txt", "RESULTS.TXT"));
  EXPECT_EQ(ReadFile("RESULTS.TXT"), "");

  std::remove("Logfile.txt");
  std::remove("RESULTS.TXT");
  EXPECT_FALSE(WriteResultsFile("logfile.txt", "RESULTS.TXT"));
  EXPECT_FALSE(std::ifstream("RESULTS.TXT").good());
}

TEST_F(HarnessFrame, ResultsScanSurvivesOverlongWordsAndATruncatedLastLine) {
  std::string log = "TestStat void T" + std::string(1000, 'x') + "() : Calls 1 @ 5FPS\n";
  log += "TestStat void TestRenderLines() : Calls 1 @ 5";  // cut short: "5" loses its last characters
  log += "\nTestStat void TestTPrint() : Calls";
  WriteFile("Logfile.txt", log);
  ASSERT_TRUE(WriteResultsFile("logfile.txt", "RESULTS.TXT"));
  std::string results = ReadFile("RESULTS.TXT");
  EXPECT_NE(results.find("TestRenderLines() \n"), std::string::npos) << results;
  EXPECT_EQ(results.find("TestTPrint()"), std::string::npos) << results;
}

TEST_F(HarnessFrame, StatusTextsDivideTheBarAndSkipEmptyTextsAndAnyPastTen) {
  g_Harness.viewRect = {0, 0, 1000, 700};
  BlankStatus();
  SetStatusTexts("A", "", "C", nullptr);
  std::vector<StatusBarPart> parts = StatusBarParts(bar_);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].text, "A");
  EXPECT_EQ(parts[1].text, "");
  EXPECT_EQ(parts[2].text, "C");
  EXPECT_EQ(parts[0].right, 333);
  EXPECT_EQ(parts[2].right, 999);
  EXPECT_EQ(g_Harness.statusPartCount, 3);

  // An empty text leaves what its part showed.
  SetStatusTexts("", "B", "", nullptr);
  parts = StatusBarParts(bar_);
  EXPECT_EQ(parts[0].text, "A");
  EXPECT_EQ(parts[1].text, "B");
  EXPECT_EQ(CountLogLines("] B"), 1u);

  SetStatusTexts("1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", nullptr);
  EXPECT_EQ(g_Harness.statusPartCount, 10);
  EXPECT_EQ(StatusBarParts(bar_).size(), 10u);
  EXPECT_EQ(CountLogLines("] 11"), 0u);
}

TEST_F(HarnessFrame, FormatTableIsSortedByNameWithItsValues) {
  FillFormatTable();
  for (int i = 0; i + 1 < kFormatCount; ++i) {
    EXPECT_LT(std::string(FormatTable[i].name), std::string(FormatTable[i + 1].name)) << i;
  }
  EXPECT_STREQ(FormatTable[0].name, "D3DFMT_A16B16G16R16");
  EXPECT_STREQ(FormatTable[kFormatCount - 1].name, "D3DFMT_YUY2");
  EXPECT_EQ(FormatTable[kFormatCount].name, nullptr);
  EXPECT_EQ(FormatTable[FindFormat("D3DFMT_R8G8B8")].value, 20);
  EXPECT_EQ(FormatTable[FindFormat("D3DFMT_A32B32G32R32F")].value, 116);
  EXPECT_EQ(FormatTable[FindFormat("D3DFMT_DXT1")].value, static_cast<D3DFORMAT>(MAKEFOURCC('D', 'X', 'T', '1')));
  EXPECT_EQ(FindFormat("D3DFMT_NONE"), -1);
}

TEST_F(HarnessFrame, CheckMarksShowTheSettingsAndTheDeviceCullMode) {
  HMENU menu = LoadMenuFromTemplate(MainMenuTemplate());
  g_Harness.menu = menu;
  g_Harness.callsPerFrame = 200;
  g_Harness.random = false;
  g_Harness.defined = true;
  g_Harness.copyTarget = 5;
  g_Harness.textureFilter = 3;
  g_Harness.noCopyRenderBuffer = -1;
  g_Harness.freeRunning = false;
  g_Harness.resolutionId = 32910;
  g_Engine.m_CopyFilter = 5;
  g_Engine.m_pD3DDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  UpdateCheckMarks();
  EXPECT_TRUE(IsMenuChecked(32818));   // "&200"
  EXPECT_FALSE(IsMenuChecked(32816));  // "1&0", checked in the resource
  EXPECT_TRUE(IsMenuChecked(ids::kDefined));
  EXPECT_FALSE(IsMenuChecked(ids::kRandom));
  EXPECT_FALSE(IsMenuChecked(ids::kStatic));
  EXPECT_TRUE(IsMenuChecked(ids::kUserTexture));
  EXPECT_FALSE(IsMenuChecked(ids::kTexture1));
  EXPECT_TRUE(IsMenuChecked(ids::kFilterAnisotropic));
  EXPECT_TRUE(IsMenuChecked(ids::kCopyFilterBox));
  EXPECT_FALSE(IsMenuChecked(ids::kCopyRenderBuffer));
  EXPECT_TRUE(IsMenuChecked(ids::kOnMessages));
  EXPECT_TRUE(IsMenuChecked(32910));
  EXPECT_FALSE(IsMenuChecked(32906));
  EXPECT_TRUE(IsMenuChecked(ids::kCullCcw));
  EXPECT_TRUE(IsMenuChecked(ids::kCullCcw2));
  EXPECT_FALSE(IsMenuChecked(ids::kCullCw2));

  // A calls value the menu does not offer checks none of its items.
  g_Harness.callsPerFrame = 7;
  UpdateCheckMarks();
  for (UINT id = ids::kCalls1; id <= ids::kCalls800; ++id) EXPECT_FALSE(IsMenuChecked(id)) << id;
  g_Harness.menu = nullptr;
  DestroyMenu(menu);
}

TEST_F(HarnessFrame, AnisotropicFilterHoldsOnlyDuringTheTestCall) {
  IDirect3DDevice9* d = g_Engine.m_pD3DDevice;
  d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_NONE);
  d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  g_Harness.textureFilter = 3;
  g_Harness.selectedTest = 0;
  d3d9_hooks::ClearCallTrace();
  d3d9_hooks::SetCallTrace(true);
  RunFrame();
  d3d9_hooks::SetCallTrace(false);
  std::vector<std::string> t = d3d9_hooks::CallTraceTexts();
  ASSERT_EQ(t.size(), 11u + 2u + 11u);
  EXPECT_EQ(t[11], "SetSamplerState(0, D3DSAMP_MAGFILTER, 2)");
  EXPECT_EQ(t[12], "SetSamplerState(0, D3DSAMP_MINFILTER, 3)");
  EXPECT_EQ(t[13], "SetSamplerState(0, D3DSAMP_ADDRESSU, 2)");

  DWORD value = 0;
  d->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_NONE));
  d->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
}

TEST_F(HarnessFrame, StatisticsCountPassesPerSecondLeavingOutThePassThatWrites) {
  g_Harness.fpsLogging = true;
  g_Harness.testName = "void TestRenderLines()";
  g_Harness.callsPerFrame = 10;
  ClockLocalTime(ClockCalendarTime(), &LastLocalTime);
  g_Harness.savedTime = LastLocalTime;
  for (int pass = 0; pass < 41; ++pass) {  // ten passes a second for four seconds
    clock_.AdvanceMilliseconds(100);
    RunFrame();
  }
  std::vector<std::string> lines;
  std::ifstream in(kLogFileName);
  for (std::string line; std::getline(in, line);)
    if (line.find("TestStat") != std::string::npos) lines.push_back(line.substr(line.find("TestStat")));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "TestStat void TestRenderLines() : Calls 10 @ 10FPS");
  EXPECT_EQ(lines[1], "TestStat void TestRenderLines() : Calls 10 @ 9FPS");
  EXPECT_EQ(lines[3], "TestStat void TestRenderLines() : Calls 10 @ 9FPS");
}

TEST_F(HarnessFrame, SteppingCountsNothingAndClearsRunning) {
  g_Harness.fpsLogging = true;
  g_Harness.stepping = true;
  ClockLocalTime(ClockCalendarTime(), &LastLocalTime);
  g_Harness.savedTime = LastLocalTime;
  for (int pass = 0; pass < 30; ++pass) {
    clock_.AdvanceMilliseconds(100);
    RunFrame();
  }
  EXPECT_FALSE(g_Harness.running);
  EXPECT_EQ(g_Harness.frameCount, 0u);
  EXPECT_EQ(CountLogLines("TestStat"), 0u);
  EXPECT_GE(clock_.SleptMilliseconds(), 30 * 46);
}

// Draw calls of the test frames since the trace was cleared.
int DrawCalls() {
  int n = 0;
  for (const std::string& t : d3d9_hooks::CallTraceTexts()) n += t.rfind("DrawPrimitive(", 0) == 0;
  return n;
}

TEST_F(HarnessFrame, StepRunsOneFrameEachTimeAndResumeRunsOn) {
  HandleCommand(hwnd_, WM_COMMAND, 32773, 0);  // "&Render Lines", Random: one draw a frame
  EXPECT_EQ(g_Harness.selectedTest, 32773u);
  EXPECT_TRUE(g_Harness.needsInit);
  d3d9_hooks::ClearCallTrace();
  d3d9_hooks::SetCallTrace(true);
  HandleCommand(hwnd_, WM_COMMAND, ids::kStep, 0);
  for (int i = 0; i < 5; ++i) RunFrame();
  EXPECT_EQ(DrawCalls(), 1);
  HandleCommand(hwnd_, WM_COMMAND, ids::kStep, 0);
  for (int i = 0; i < 5; ++i) RunFrame();
  EXPECT_EQ(DrawCalls(), 2);
  EXPECT_EQ(StatusTexts().back(), "Stepping");
  HandleCommand(hwnd_, WM_COMMAND, ids::kResume, 0);
  for (int i = 0; i < 5; ++i) RunFrame();
  d3d9_hooks::SetCallTrace(false);
  EXPECT_EQ(DrawCalls(), 7);
  EXPECT_EQ(StatusTexts()[3], "Free Running");
}

TEST_F(HarnessFrame, IdsOfTheTestRangesWithoutATestStopTheRunningTest) {
  HandleCommand(hwnd_, WM_COMMAND, 32773, 0);
  RunFrame();
  for (UINT id : {32774u, 32799u + 0u, 32999u}) {
    if (FindTest(id)) continue;  // 32799 is a test of its own
    HandleCommand(hwnd_, WM_COMMAND, id, 0);
    EXPECT_EQ(g_Harness.selectedTest, id);
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    RunFrame();
    d3d9_hooks::SetCallTrace(false);
    EXPECT_EQ(DrawCalls(), 0) << id;
  }
  // Ids outside those ranges are not commands of the bench.
  g_Harness.selectedTest = 32773;
  EXPECT_FALSE(HandleCommand(hwnd_, WM_COMMAND, 32790, 0));
  EXPECT_EQ(g_Harness.selectedTest, 32773u);
}

TEST_F(HarnessFrame, CallsPerFrameCommandsSetTheCountAndLogIt) {
  HandleCommand(hwnd_, WM_COMMAND, 32819, 0);
  EXPECT_EQ(g_Harness.callsPerFrame, 500u);
  EXPECT_TRUE(g_Harness.needsInit);
  EXPECT_EQ(CountLogLines("Calls per frame=500"), 1u);
  HandleCommand(hwnd_, WM_COMMAND, ids::kCopyRenderBuffer, 0);
  EXPECT_EQ(g_Harness.noCopyRenderBuffer, -1);
  HandleCommand(hwnd_, WM_COMMAND, ids::kCopyRenderBuffer, 0);
  EXPECT_EQ(g_Harness.noCopyRenderBuffer, 0);
}

}  // namespace
