// The clock service and the program's file opening.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/clock.h"
#include "platform/win32/files.h"
#include "platform/win32/message_box.h"

namespace fs = std::filesystem;

TEST(VirtualClock, SleepAndAdvanceMoveEveryTimeFunctionTogether) {
  VirtualClock clock(1000);
  ScopedClock scoped(&clock);
  LARGE_INTEGER f, c0, c1;
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  ASSERT_TRUE(QueryPerformanceCounter(&c0));
  DWORD t0 = timeGetTime();
  Sleep(1500);
  ASSERT_TRUE(QueryPerformanceCounter(&c1));
  EXPECT_EQ(timeGetTime() - t0, 1500u);
  EXPECT_EQ((c1.QuadPart - c0.QuadPart) * 1000 / f.QuadPart, 1500);
  EXPECT_EQ(ClockCalendarTime(), 1001);
  EXPECT_EQ(clock.SleptMilliseconds(), 1500);
  std::tm tm{};
  ClockLocalTime(ClockCalendarTime(), &tm);
  EXPECT_EQ(tm.tm_year, 70);
  EXPECT_EQ(tm.tm_sec, 41);  // 1001 s = 00:16:41
  EXPECT_EQ(tm.tm_min, 16);
}

TEST(VirtualClock, ScopeRestoresTheSystemClock) {
  VirtualClock clock(5);
  {
    ScopedClock scoped(&clock);
    EXPECT_EQ(ClockCalendarTime(), 5);
  }
  EXPECT_GT(ClockCalendarTime(), 1000000000);
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vornel_files_" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "Bitmaps");
    std::ofstream(dir_ / "Logfile.txt") << "log";
    std::ofstream(dir_ / "Bitmaps" / "Grass.JPG") << "jpg";
  }
  void TearDown() override {
    FailNextOpens(nullptr, 0);
    fs::remove_all(dir_);
  }
  std::string P(const std::string& rel) { return (dir_ / rel).string(); }
  fs::path dir_;
};

TEST_F(FilesTest, NamesResolveWithoutRegardToCaseAndBackslashes) {
  EXPECT_EQ(TranslatePath(P("logfile.txt").c_str()), P("Logfile.txt"));
  EXPECT_EQ(TranslatePath((dir_.string() + "\\bitmaps\\grass.jpg").c_str()), P("Bitmaps/Grass.JPG"));
  std::FILE* f = OpenFile(P("LOGFILE.TXT").c_str(), "rt");
  ASSERT_NE(f, nullptr);
  char buf[8] = {};
  EXPECT_EQ(std::fread(buf, 1, 7, f), 3u);
  std::fclose(f);
  EXPECT_STREQ(buf, "log");
  EXPECT_TRUE(FileExists(P("BITMAPS\\GRASS.jpg").c_str()));
  EXPECT_FALSE(FileExists(P("missing\\grass.jpg").c_str()));
  EXPECT_EQ(OpenFile(nullptr, "r"), nullptr);
}

TEST_F(FilesTest, NewFilesKeepTheirNameAsGiven) {
  std::FILE* f = OpenFile(P("Results.TXT").c_str(), "wt");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(fs::exists(dir_ / "Results.TXT"));
  EXPECT_EQ(TranslatePath(P("nodir/new.txt").c_str()), P("nodir/new.txt"));
}

TEST_F(FilesTest, InjectedOpenFailuresCountDown) {
  FailNextOpens("logfile.txt", 2);
  EXPECT_EQ(OpenFile(P("Logfile.txt").c_str(), "a"), nullptr);
  std::FILE* other = OpenFile(P("Bitmaps/Grass.JPG").c_str(), "r");
  EXPECT_NE(other, nullptr);  // other files are unaffected
  if (other) std::fclose(other);
  EXPECT_EQ(OpenFile(P("Logfile.txt").c_str(), "a"), nullptr);
  std::FILE* f = OpenFile(P("Logfile.txt").c_str(), "a");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
}

TEST(MessageBoxDefault, LineFormAndFirstButton) {
  EXPECT_EQ(MessageBoxLine("Cap", "two\nlines", IDRETRY), "MessageBox [Cap] two\\nlines -> IDRETRY");
  EXPECT_EQ(FirstButtonOf(MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
  EXPECT_EQ(FirstButtonOf(MB_OK), IDOK);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Failed", "Caption", MB_OK), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MessageBox [Caption] Failed -> IDOK\n");
}
