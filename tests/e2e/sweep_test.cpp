// The sweep as a whole program: `vornel --run-all` over three tests leaves
// the bench's own RESULTS.TXT and its reports, `--compare` reads them back,
// and bad input stops it with one line and status 2.
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/program_fixture.h"

namespace fs = std::filesystem;

namespace {

class Sweep : public e2e::Program {
 protected:
  void SetUp() override {
    e2e::Program::SetUp();
    CopyAssets();
  }
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream s(text);
  std::string part;
  while (std::getline(s, part, separator)) parts.push_back(part);
  return parts;
}

// Width and height from a PNG's IHDR chunk; 0 x 0 for anything else.
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0 || png.compare(12, 4, "IHDR") != 0) return {0, 0};
  auto word = [&](std::size_t at) {
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(png[at + i]);
    return v;
  };
  return {word(16), word(20)};
}

TEST_F(Sweep, ThreeTestsLeaveResultsCsvChartFramesContactSheetAndResultsTxt) {
  ASSERT_EQ(Run("--run-all --headless --seconds 1 --calls 1 --tests 32899,32773,32869 --out out"), 0) << stderr_;

  // Progress while it ran, and a normal shut-down.
  EXPECT_NE(stderr_.find("sweep: test 3 of 3: "), std::string::npos) << stderr_;
  const std::string log = Read("Logfile.txt");
  const std::string last = "END : Vorn::~Vorn()";
  ASSERT_GT(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last);

  // results.csv: the facts, then one row per test in table order.
  const std::string csv = Read("out/results.csv");
  ASSERT_EQ(csv.rfind("# vornel sweep results\n", 0), 0u) << csv;
  for (const char* key : {"# date: ", "# renderer: Vornel software rasterizer\n", "# renderer version: ",
                          "# worker threads: ", "# caps: ", "# back buffer: ", "# compiler: ", "# flags: ",
                          "# build type: ", "# commit: ", "# cpu: ", "# cores: ", "# load average at start: "})
    EXPECT_NE(csv.find(std::string("\n") + key), std::string::npos) << key;
  std::vector<std::string> lines = Split(csv, '\n');
  std::size_t columns = 0;
  while (columns < lines.size() && lines[columns].rfind("#", 0) == 0) ++columns;
  ASSERT_LT(columns, lines.size());
  EXPECT_EQ(lines[columns].rfind("test,command_id,menu_path,mode,calls,first_second,samples,median_fps,", 0), 0u);
  ASSERT_EQ(lines.size(), columns + 4) << csv;
  const char* ids[] = {"32773", "32869", "32899"};
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> f = Split(lines[columns + 1 + i], ',');
    ASSERT_EQ(f.size(), 12u) << lines[columns + 1 + i];
    SCOPED_TRACE(f[0]);
    EXPECT_EQ(f[0].rfind("void Test", 0), 0u);
    names.push_back(f[0]);
    EXPECT_EQ(f[1], ids[i]);
    EXPECT_EQ(f[2].rfind("&Tests/", 0), 0u);
    EXPECT_EQ(f[3], "random");
    EXPECT_EQ(f[4], "1");
    EXPECT_FALSE(f[5].empty());  // the partial first second
    ASSERT_FALSE(f[6].empty());  // at least one whole second
    const double median = std::atof(f[7].c_str());
    EXPECT_GT(median, 0.0);
    EXPECT_LE(std::atof(f[8].c_str()), median);
    EXPECT_GE(std::atof(f[9].c_str()), median);
    EXPECT_EQ(std::atof(f[10].c_str()), median);
    EXPECT_GT(PngSize(Read("out/" + f[11])).first, 0u) << f[11];
  }

  // RESULTS.TXT as the bench writes it: one line per statistics entry at
  // one call per frame, naming the same tests.
  const std::vector<std::string> results = Split(Read("RESULTS.TXT"), '\n');
  int stat_lines = 0;
  for (std::size_t at = log.find("TestStat void "); at != std::string::npos; at = log.find("TestStat void ", at + 1))
    ++stat_lines;
  EXPECT_EQ(static_cast<int>(results.size()), stat_lines);
  for (const std::string& name : names) {
    const std::string word = name.substr(5) + " ";
    int found = 0;
    for (const std::string& line : results) found += line.rfind(word, 0) == 0;
    EXPECT_GE(found, 2) << word;
  }

  // The chart and the contact sheet.
  const std::string svg = Read("out/results.svg");
  EXPECT_NE(svg.find("<svg xmlns="), std::string::npos);
  EXPECT_NE(svg.find("Calls per frame: 1"), std::string::npos);
  EXPECT_NE(svg.find(">2D Tests/Lines/Render Lines</text>"), std::string::npos);
  auto [w, h] = PngSize(Read("out/contact.png"));
  EXPECT_GE(w, 3u * 256);
  EXPECT_GE(h, 192u);

  // The table on stdout.
  EXPECT_EQ(stdout_.rfind("test ", 0), 0u) << stdout_;
  EXPECT_NE(stdout_.find("2D Tests/Lines/Render Lines  random      1"), std::string::npos) << stdout_;
  EXPECT_EQ(Split(stdout_, '\n').size(), 2u + 3u) << stdout_;

  // A run compared with itself: every ratio 1, nothing marked.
  ASSERT_EQ(Run("--compare out/results.csv out/results.csv"), 0) << stderr_;
  EXPECT_NE(stdout_.find("1.000"), std::string::npos) << stdout_;
  EXPECT_NE(stdout_.find("0 of 3 tests in both runs marked"), std::string::npos) << stdout_;
}

TEST_F(Sweep, CompareShowsRatiosMarksAndTestsOfOneRun) {
  const std::string head =
      "# vornel sweep results\n# date: d\n"
      "test,command_id,menu_path,mode,calls,first_second,samples,median_fps,min_fps,max_fps,"
      "median_primitives_per_second,frame\n";
  Write("a.csv", head +
                     "void TestRenderLines(),32773,&Tests/&2D Tests/&Lines/&Render Lines,random,1,5,100 101 99,100,99,"
                     "101,100,f1.png\n"
                     "void TestSprites(),32914,&Tests/&3D Tests/&Sprites,random,1,5,50 50,50,50,50,50,f2.png\n");
  Write("b.csv", head +
                     "void TestRenderLines(),32773,&Tests/&2D Tests/&Lines/&Render Lines,random,1,5,120 121 119,120,"
                     "119,121,120,f1.png\n"
                     "void Test3DPoints(),32891,&Tests/&3D Tests/&Points,random,1,5,7 7,7,7,7,7,f3.png\n");
  ASSERT_EQ(Run("--compare a.csv b.csv"), 0) << stderr_;
  EXPECT_NE(stdout_.find("1.200  * faster"), std::string::npos) << stdout_;
  EXPECT_NE(stdout_.find("only in A:\n  3D Tests/Sprites  random  calls 1"), std::string::npos) << stdout_;
  EXPECT_NE(stdout_.find("only in B:\n  3D Tests/Points  random  calls 1"), std::string::npos) << stdout_;
  ASSERT_EQ(Run("--compare a.csv b.csv --threshold 25"), 0) << stderr_;
  EXPECT_EQ(stdout_.find("* faster"), std::string::npos) << stdout_;
}

TEST_F(Sweep, BadInputStopsWithOneLineAndStatusTwo) {
  Write("foreign.csv", "name,fps\nlines,100\n");
  Write("good.csv",
        "# vornel sweep results\n"
        "test,command_id,menu_path,mode,calls,first_second,samples,median_fps,min_fps,max_fps,"
        "median_primitives_per_second,frame\n");
  struct Case {
    std::string args;
    std::string says;
  };
  for (const Case& c : {
           Case{"--run-all --headless --tests 32773,1", "no test has the id 1"},
           Case{"--run-all --headless --calls 1,7", "'7' is not a calls-per-frame value"},
           Case{"--run-all --headless --calls one", "'one'"},
           Case{"--run-all --headless --seconds 0", "--seconds"},
           Case{"--compare foreign.csv good.csv", "not a vornel results file"},
           Case{"--compare good.csv missing.csv", "cannot read 'missing.csv'"},
           Case{"--compare good.csv", "needs two results files"},
       }) {
    EXPECT_EQ(Run(c.args), 2) << c.args;
    EXPECT_NE(stderr_.find(c.says), std::string::npos) << c.args << ": " << stderr_;
    EXPECT_EQ(Split(stderr_, '\n').size(), 1u) << c.args << ": " << stderr_;
  }
  EXPECT_EQ(Run("--run-all --tests 32773", "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"), 2);
  EXPECT_NE(stderr_.find("--headless"), std::string::npos) << stderr_;
  EXPECT_FALSE(fs::exists(dir_ / "results.csv"));
}

}  // namespace
