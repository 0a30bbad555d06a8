// The event log's exact bytes: header, kinds, nesting, joining, fragments,
// retries, limits.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "log/event_log.h"
#include "platform/win32/clock.h"
#include "platform/win32/files.h"
#include "platform/win32/message_box.h"

namespace fs = std::filesystem;

namespace {

// 1286000000 s after the epoch is 2010-10-02 06:13:20 UTC.
constexpr std::time_t kStart = 1286000000;

int g_boxes = 0;
std::string g_box_caption;
std::string g_box_text;
int CountingBox(HWND, const char* text, const char* caption, UINT) {
  ++g_boxes;
  g_box_caption = caption;
  g_box_text = text;
  return IDOK;
}

class EventLog : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("vornel_log_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    fs::current_path(dir_);
    InstallClock(&clock_);
    LogResetForTesting();
    LogSetApplicationName("Vornel Tests V0.5");
    g_boxes = 0;
    SetMessageBoxHandler(CountingBox);
  }
  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    FailNextOpens(nullptr, 0);
    InstallClock(nullptr);
    LogResetForTesting();
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  static std::string File() {
    std::ifstream in(kLogFileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The file after its header (which ends in a blank line).
  static std::string Body() {
    std::string f = File();
    std::size_t end = f.find("\n\n", f.find("Start Type"));
    return end == std::string::npos ? f : f.substr(end + 2);
  }
  VirtualClock clock_{kStart};
  fs::path dir_, old_;
};

TEST_F(EventLog, HeaderThenFirstEntry) {
  EXPECT_TRUE(LogText("S: Vorn::Vorn()"));
  std::string expected = std::string("Vornel Tests V0.5\n============================\n[Event log]\n-----------\n\n") +
                         "Compiled on " + __DATE__ + " at ";
  std::string f = File();
  ASSERT_EQ(f.substr(0, expected.size()), expected);
  std::size_t created = f.find("\nLogfile Created at ");
  ASSERT_NE(created, std::string::npos);
  EXPECT_EQ(f.substr(created),
            "\nLogfile Created at 06:13:20 on 02:10:2010\nVersion 0.0.4.2238\nStart Type NULL\n\n"
            "\n[06:13:20(0000)] START : Vorn::Vorn()");
}

TEST_F(EventLog, StartTypeNamesTheFirstCaller) {
  EXPECT_TRUE(LogInt("value %d", 7));
  EXPECT_NE(File().find("Start Type INT\n\n\n[06:13:20(0000)] value 7"), std::string::npos);
  // A second creation leaves the file alone.
  std::string before = File();
  EXPECT_FALSE(LogCreate("CHAR"));
  EXPECT_EQ(File(), before);
}

TEST_F(EventLog, StartEndPairsJoinOnOneLine) {
  LogText("S: Vorn::TextureBuffers()");
  clock_.AdvanceMilliseconds(1000);
  LogText("E: Vorn::TextureBuffers");
  EXPECT_EQ(Body(), "\n[06:13:20(0000)] START : Vorn::TextureBuffers()...[06:13:21(0001)] END : Vorn::TextureBuffers");
}

TEST_F(EventLog, NestedEntriesIndentOneBlankPerLevel) {
  LogText("S: Outer");
  LogText("S: Inner");
  LogText("plain");
  LogText("E: Inner");
  LogText("E: Outer");
  EXPECT_EQ(Body(),
            "\n[06:13:20(0000)] START : Outer"
            "\n[06:13:20(0001)]  START : Inner"
            "\n[06:13:20(0002)]   plain"
            "\n[06:13:20(0003)]  END : Inner"
            "\n[06:13:20(0004)] END : Outer");
}

TEST_F(EventLog, DepthStaysWithinZeroToNineteen) {
  for (int i = 0; i < 20; ++i) LogText("S: x");
  EXPECT_EQ(g_LogState.depth, 19);
  LogText("deep");
  EXPECT_NE(File().find("(0020)] " + std::string(19, ' ') + "deep"), std::string::npos);
  for (int i = 0; i < 21; ++i) LogText("E: x");
  EXPECT_EQ(g_LogState.depth, 0);
  LogText("S: again");
  EXPECT_NE(File().find("(0042)] START : again"), std::string::npos);
  EXPECT_EQ(g_LogState.depth, 1);
}

TEST_F(EventLog, ContinuationFragmentsAndNullEvents) {
  LogText("Running GetAdapterModeCount();;");  // first entry: continues nothing
  LogText("BBF :21");
  LogInt(";%d x", 640);
  LogInt(";%d @", 480);
  LogText("");
  LogText("done;;");
  LogText("single;");
  EXPECT_EQ(Body(),
            " [06:13:20(0000)] Running GetAdapterModeCount()"
            "\n[06:13:20(0001)] BBF :21"
            "640 x480 @NULL EVENT...why???"
            " [06:13:20(0002)] done"
            "\n[06:13:20(0003)] single;");
  EXPECT_EQ(g_LogState.sequence, 4);
}

TEST_F(EventLog, ContinuedLinesHaveNoIndent) {
  LogText("S: f");
  LogText("more;;");
  LogText("E: f");
  EXPECT_EQ(Body(), "\n[06:13:20(0000)] START : f [06:13:20(0001)] more\n[06:13:20(0002)] END : f");
}

TEST_F(EventLog, KindTexts) {
  LogText("M: m");
  LogText("W: WM_DESTROY");
  LogText("#: careful");
  LogText("!: broken");
  LogText("Q: unknown kind");
  EXPECT_EQ(Body(),
            "\n[06:13:20(0000)] MESSAGE : m"
            "\n[06:13:20(0001)] WINDOWS_MESSAGE : WM_DESTROY"
            "\n[06:13:20(0002)] --->>  WARNING  <<--- : careful"
            "\n[06:13:20(0003)] ---ERROR--- : broken"
            "\n[06:13:20(0004)] Q: unknown kind");
}

TEST_F(EventLog, RetriesWriteRecoveryNotes) {
  LogText("first");
  FailNextOpens(kLogFileName, 1);
  EXPECT_TRUE(LogText("second"));
  FailNextOpens(kLogFileName, 2);
  EXPECT_TRUE(LogText("third"));
  EXPECT_EQ(Body(),
            "\n[06:13:20(0000)] first"
            "1st stage MAJOR LOGFILE WRITE ERROR RECOVERED!!!!\n[06:13:20(0001)] second"
            "2nd stage MAJOR LOGFILE WRITE ERROR RECOVERED!!!!\n[06:13:20(0002)] third");
  EXPECT_EQ(clock_.SleptMilliseconds(), 300);
  EXPECT_EQ(g_boxes, 0);
}

TEST_F(EventLog, ThreeFailedOpensLoseTheEntryAndShowABox) {
  LogText("first");
  FailNextOpens(kLogFileName, 3);
  EXPECT_FALSE(LogText("lost"));
  EXPECT_EQ(g_boxes, 1);
  EXPECT_EQ(g_box_caption, "Failed to write to log file!");
  EXPECT_EQ(g_box_text, "\n[06:13:20(0001)] lost");
  EXPECT_TRUE(LogText("next"));
  EXPECT_EQ(Body(), "\n[06:13:20(0000)] first\n[06:13:20(0002)] next");
}

TEST_F(EventLog, LongTextsAreCutNeverOverrun) {
  std::string longMessage(2000, 'x');
  LogText(("S:" + longMessage).c_str());
  std::string line = Body();
  EXPECT_LE(line.size(), static_cast<std::size_t>(LogState::kLineSize - 1));
  EXPECT_EQ(line.substr(0, 24), "\n[06:13:20(0000)] START ");
  LogString("%s", longMessage.c_str());
  EXPECT_LE(std::strlen(g_LogState.line), static_cast<std::size_t>(LogState::kLineSize - 1));

  std::string folder(600, 'f');
  const char* joined = JoinPath(folder.c_str(), "name.x");
  EXPECT_EQ(std::strlen(joined), 511u);
  EXPECT_STREQ(JoinPath("meshes/", "tree.x"), "meshes/tree.x");
}

TEST_F(EventLog, JoinPathWithNullFolderLogsAndKeepsTheName) {
  EXPECT_STREQ(JoinPath(nullptr, "tree.x"), "tree.x");
  EXPECT_EQ(Body(), "\n[06:13:20(0000)] ---ERROR--- : path is null");
}

TEST_F(EventLog, LastLocalTimeFollowsEveryEntry) {
  LogText("a");
  clock_.AdvanceMilliseconds(61000);
  LogText("b");
  EXPECT_EQ(LastLocalTime.tm_min, 14);
  EXPECT_EQ(LastLocalTime.tm_sec, 21);
}

}  // namespace
