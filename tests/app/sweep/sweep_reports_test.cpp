// The sweep's pictures and table: the chart's axes and bars, thumbnails
// that keep their shape and colour, the contact sheet from PNG files, and
// the closing table.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/sweep/contact_sheet.h"
#include "app/sweep/results_chart.h"
#include "app/sweep/results_table.h"
#include "platform/d3dx/image/image_io.h"
#include "platform/win32/png_file.h"

namespace {

SweepRow Row(unsigned id, std::string path, unsigned calls, std::vector<unsigned> counts) {
  SweepRow r;
  r.testName = "void T()";
  r.commandId = id;
  r.menuPath = std::move(path);
  r.mode = "random";
  r.calls = calls;
  r.seconds = SplitFirstSecond(counts);
  r.stats = ComputeStats(r.seconds.samples);
  return r;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(SweepChart, AxesAreLinearUnlessTheValuesSpanMoreThanTwentyTimes) {
  ChartAxis linear = ChooseAxis({12, 130, 53});
  EXPECT_FALSE(linear.logarithmic);
  EXPECT_EQ(linear.low, 0.0);
  EXPECT_GE(linear.high, 130.0);
  EXPECT_LT(linear.high, 200.0);
  EXPECT_EQ(linear.ticks.front(), 0.0);
  EXPECT_EQ(linear.ticks.back(), linear.high);
  EXPECT_DOUBLE_EQ(linear.Position(linear.high / 2), 0.5);

  ChartAxis log = ChooseAxis({3, 4500, 0});
  EXPECT_TRUE(log.logarithmic);
  EXPECT_EQ(log.low, 1.0);
  EXPECT_EQ(log.high, 10000.0);
  EXPECT_EQ(log.ticks.size(), 5u);
  EXPECT_DOUBLE_EQ(log.Position(100.0), 0.5);
  EXPECT_EQ(log.Position(0.0), 0.0);

  ChartAxis empty = ChooseAxis({});
  EXPECT_FALSE(empty.logarithmic);
  EXPECT_GT(empty.high, empty.low);
}

TEST(SweepChart, OneBarPerMeasuredTestGroupedByCalls) {
  SweepResults r;
  r.facts = {{"renderer", "Vornel <soft> & fast"}};
  r.rows = {Row(1, "&Tests/&2D Tests/&Render Lines", 1, {5, 100, 110}),
            Row(2, "&Tests/&2D Tests/R&ender Bars", 1, {5, 3000, 3100}),
            Row(1, "&Tests/&2D Tests/&Render Lines", 10, {5, 40, 44}),
            Row(2, "&Tests/&2D Tests/R&ender Bars", 10, {5})};
  const std::string svg = FormatResultsSvg(r);
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  EXPECT_NE(svg.find("Calls per frame: 1 (logarithmic scale)"), std::string::npos);
  EXPECT_NE(svg.find("Calls per frame: 10<"), std::string::npos);
  EXPECT_NE(svg.find("Vornel &lt;soft&gt; &amp; fast"), std::string::npos);
  EXPECT_EQ(svg.find("<soft>"), std::string::npos);
  EXPECT_EQ(Count(svg, ">2D Tests/Render Lines</text>"), 2);
  EXPECT_EQ(Count(svg, "class=\"whisker\""), 3);
  EXPECT_EQ(Count(svg, "no full second measured"), 1);
}

TEST(SweepContactSheet, ThumbnailsKeepTheirShapeAndAverageTheirPixels) {
  // 4 x 2: left half red, right half blue, one green pixel.
  std::vector<std::uint32_t> px = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF,
                                   0xFF0000, 0xFF0000, 0x0000FF, 0x00FF00};
  SheetPixels t = FitPicture(px.data(), 4, 2, 2, 2);
  ASSERT_EQ(t.width, 2);
  ASSERT_EQ(t.height, 1);
  EXPECT_EQ(t.pixels[0], 0xFF0000u);
  EXPECT_EQ(t.pixels[1], 0x003FBFu);  // three blue and one green, averaged
  SheetPixels tall = FitPicture(px.data(), 4, 2, 100, 10);
  EXPECT_EQ(tall.width, 20);
  EXPECT_EQ(tall.height, 10);
  EXPECT_TRUE(FitPicture(nullptr, 4, 2, 2, 2).pixels.empty());
}

TEST(SweepContactSheet, SheetHoldsEachFrameAndMarksMissingOnes) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vornel_sweep_sheet_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::vector<std::uint32_t> red(64 * 48, 0xFF2010), teal(64 * 48, 0x10C0C0);
  std::string error;
  ASSERT_TRUE(WritePixelsPng((dir / "a.png").c_str(), red.data(), 64, 48, 64, &error)) << error;
  ASSERT_TRUE(WritePixelsPng((dir / "b.png").c_str(), teal.data(), 64, 48, 64, &error)) << error;
  std::vector<ContactItem> items = {{(dir / "a.png").string(), "2D: Render Lines", "32773 calls 1"},
                                    {(dir / "b.png").string(), "3D: Points", "32891 calls 1"},
                                    {(dir / "gone.png").string(), "3D: Sprites", "32914 calls 1"}};
  ContactSheetLayout layout;
  layout.thumbWidth = 64;
  layout.thumbHeight = 48;
  layout.columns = 2;
  SheetPixels sheet = ComposeContactSheet("heading", items, layout);
  ASSERT_GT(sheet.width, 2 * 64);
  auto at = [&](int x, int y) { return sheet.pixels[static_cast<std::size_t>(y) * sheet.width + x]; };
  // Cells in rows of two: a and b side by side, the missing one below a.
  const int x0 = 12, y0 = 30, cell_w = 64 + 12, cell_h = 48 + 2 * 14 + 4 + 12;
  EXPECT_EQ(at(x0 + 32, y0 + 24), 0xFF2010u);
  EXPECT_EQ(at(x0 + cell_w + 32, y0 + 24), 0x10C0C0u);
  EXPECT_EQ(at(x0 + 2, y0 + cell_h + 2), 0x505050u);
  EXPECT_EQ(sheet.height, y0 + 2 * cell_h + 12);
  // The label under a thumbnail has ink in it.
  bool ink = false;
  for (int y = y0 + 48; y < y0 + 48 + 28; ++y)
    for (int x = x0; x < x0 + 64; ++x) ink = ink || at(x, y) != 0x202226u;
  EXPECT_TRUE(ink);

  ASSERT_TRUE(WriteContactSheet((dir / "contact.png").string(), "heading", items, &error)) << error;
  std::ifstream file(dir / "contact.png", std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  d3dx_image::Image back;
  ASSERT_TRUE(d3dx_image::ReadPng(bytes.data(), bytes.size(), back));
  EXPECT_GT(back.width, 2 * 256);
  EXPECT_FALSE(WriteContactSheet((dir / "none" / "c.png").string(), "h", items, &error));
  std::filesystem::remove_all(dir);
}

TEST(SweepTable, ListsEachRowWithItsMedianSpreadAndPrimitives) {
  SweepResults r;
  r.rows = {Row(32773, "&Tests/&2D Tests/&Lines/&Render Lines", 10, {5, 100, 111}),
            Row(32914, "&Tests/&3D Tests/&Sprites", 1, {5})};
  const std::string table = FormatResultsTable(r);
  EXPECT_EQ(table.rfind("test", 0), 0u);
  EXPECT_NE(table.find("2D Tests/Lines/Render Lines  random     10       105.5  100-111          1055\n"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("3D Tests/Sprites             random      1           -        -             -\n"), std::string::npos)
      << table;
}

}  // namespace
