// The rules of the screen and 2D cases that the pictures alone do not
// show: the scroll's counters and turns, when the section copies choose
// their sources and sections, the alert's clear and reminder, the mouse
// readout, the screen texts, the text grid, the prepared-text counts and
// one colour counter per case. Random values are replayed from a seed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/cases/2d/colour_counter.h"
#include "tests/app/cases/cases_2d_fixture.h"
#include "tests/app/cases/cases_rules_helpers.h"

namespace app_test {
namespace {

constexpr UINT kScroll = 32840, kToSection = 32827, kFromSection = 32828;
constexpr UINT kAlert = 32886, kMouse = 32890;
constexpr UINT kTPrint = 32830, kTPrintPrepare = 32831, kScreenTPrint = 32888,
               kScreenTPrintPrepare = 32889;

// The reminder as the log writes it, after its "!: " mark.
constexpr const char* kReminder =
    "Should not need to scale coords in full screen, this Logout line can be removed, just a "
    "reminder incase it does need to be scaled in fullscreen mode.";

// A texel that says where it comes from: its slot in red, x in green and y
// in blue.
DWORD PatternTexel(int slot, int x, int y) {
  return 0xFF000000u | static_cast<DWORD>(slot) << 16 | static_cast<DWORD>(x) << 8 |
         static_cast<DWORD>(y);
}

class Tests2DRules : public Tests2DTest {
 protected:
  // A managed texture of `w` x `h` pattern texels in `slot`.
  static void MakePattern(int slot, UINT w, UINT h) {
    MakeTexture(slot, w, h, [slot](UINT x, UINT y) {
      return PatternTexel(slot, static_cast<int>(x), static_cast<int>(y));
    });
  }

  static DWORD WorkingTexel(int x, int y) { return Texel(g_Engine.m_pTextures[6], x, y); }

  // The packed colour of every counter value, to tell a counter's value from
  // a vertex colour.
  static const std::map<D3DCOLOR, unsigned>& CounterOfColour() {
    static const std::map<D3DCOLOR, unsigned> map = [] {
      std::map<D3DCOLOR, unsigned> m;
      ColourCounter c;
      for (unsigned i = 0; i < 64u * 64 * 64; ++i) {
        const CounterColour k = c.Next();
        m[PackColour(k.r, k.g, k.b, k.a)] = i;
      }
      return m;
    }();
    return map;
  }
  static long CounterOf(D3DCOLOR colour) {
    const auto it = CounterOfColour().find(colour);
    return it == CounterOfColour().end() ? -1 : static_cast<long>(it->second);
  }

  // The last DrawPrimitive's primitive count, or -1.
  static int LastTriangleCount() {
    int n = -1;
    for (const d3d9_hooks::CallRecord& c : d3d9_hooks::CallTrace())
      if (c.method == "DrawPrimitive" && c.args.rfind("D3DPT_TRIANGLELIST, 0, ", 0) == 0)
        n = std::stoi(c.args.substr(23));
    return n;
  }
};

// ---------------------------------------------------------------------------
// TestScrollTexture
// ---------------------------------------------------------------------------

// The scroll of the Random and Static modes: a fresh copy of a random
// source and a direction k = rand() mod 4 on set-up and once the picture
// has moved further than slot 6's width (h) or height (v); one texel per
// call, (1, 0), (-1, 0), (0, 1) or (0, -1).
struct ScrollReplay {
  int slot = 0, k = 0, h = 0, v = 0, steps = 0;
  std::size_t next = 0;
  void Calls(const std::vector<int>& r, int calls, bool setUp, int width, int height) {
    for (int i = 0; i < calls; ++i) {
      if ((setUp && i == 0) || h > width || v > height) {
        slot = 1 + r[next++] % 4;
        k = r[next++] % 4;
        h = v = steps = 0;
      }
      ++steps;
      (k < 2 ? h : v) += 1;
    }
  }
};

// A scroll by (dx, dy) leaves at (x, y) what was at (x + dx, y - dy): slot
// 6 after a displacement (X, Y) is read where the source still covers it.
void ExpectScrolledBy(int slot, int X, int Y, int width, int height, const std::string& what) {
  const int px = X >= 0 ? 0 : width - 1, py = Y >= 0 ? height - 1 : 0;
  const int sx = px + X, sy = py - Y;
  ASSERT_TRUE(sx >= 0 && sx < width && sy >= 0 && sy < height) << what;
  EXPECT_EQ(Texel(g_Engine.m_pTextures[6], px, py), PatternTexel(slot, sx, sy))
      << what << std::hex << " got " << Texel(g_Engine.m_pTextures[6], px, py);
}

TEST_F(Tests2DRules, ScrollCountsItsStepsAndRefreshesPastTheWorkingTexturesSize) {
  constexpr int kW = 64, kH = 32;  // the width refreshes after 65 steps, the height after 33
  g_Engine.m_CopyFilter = D3DX_FILTER_POINT;
  for (int slot : {1, 2, 3, 4, 6}) MakePattern(slot, kW, kH);
  static constexpr int kDx[4] = {1, -1, 0, 0}, kDy[4] = {0, 0, 1, -1};
  bool seen[4] = {};
  int refreshes = 0;
  for (unsigned seed = 1; seed <= 24; ++seed) {
    // Two frames: the counters go on from one frame to the next.
    for (unsigned calls : {50u, 120u}) {
      const std::vector<int> r = SeededRands(seed, 64);
      Select(kScroll, 'r', calls);
      ScrollReplay replay;
      Frame();
      replay.Calls(r, static_cast<int>(calls), true, kW, kH);
      Frame();
      replay.Calls(r, static_cast<int>(calls), false, kW, kH);
      seen[replay.k] = true;
      refreshes += replay.next > 2;
      const std::string what = "seed " + std::to_string(seed) + " calls " + std::to_string(calls);
      ExpectScrolledBy(replay.slot, replay.steps * kDx[replay.k], replay.steps * kDy[replay.k], kW,
                       kH, what);
      EXPECT_EQ(RandsDrawnSince(seed, 64), static_cast<int>(replay.next)) << what;
    }
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]) << "all four directions";
  EXPECT_GT(refreshes, 0);
}

TEST_F(Tests2DRules, DefinedScrollFollowsItsSineAndCosineSteps) {
  constexpr int kW = 64, kH = 64;
  g_Engine.m_CopyFilter = D3DX_FILTER_POINT;
  for (int slot : {1, 2, 3, 4, 6}) MakePattern(slot, kW, kH);
  for (unsigned seed : {3u, 8u, 21u}) {
    const std::vector<int> r = SeededRands(seed, 2);
    Select(kScroll, 'd', 12);
    Frame();
    // Set-up: a source and k = rand() mod 4; each call k + 1 and a step of
    // 3 sin(k / 25) across and 3 cos(k / 25) down, truncated.
    int k = r[1] % 4, X = 0, Y = 0;
    for (int i = 0; i < 12; ++i) {
      ++k;
      X += static_cast<int>(3 * std::sin(k / 25.0));
      Y += static_cast<int>(3 * std::cos(k / 25.0));
    }
    ExpectScrolledBy(1 + r[0] % 4, X, Y, kW, kH, "seed " + std::to_string(seed));
    // Defined counts no steps: however far it moves, no fresh picture.
    std::srand(seed);
    g_Harness.callsPerFrame = 200;
    Frame();
    EXPECT_EQ(RandsDrawnSince(seed, 8), 0);
  }
}

// ---------------------------------------------------------------------------
// TestCopyTextureToSection and TestCopyFromTextureSection
// ---------------------------------------------------------------------------

TEST_F(Tests2DRules, DefinedSectionCopiesChooseNewSourcesOnSetUpAndEvery3000Frames) {
  // A small back buffer and view keep the thousands of frames short.
  g_Engine.SetRez(64, 48);
  g_Harness.viewRect = {0, 0, 64, 48};
  for (int slot = 1; slot <= 4; ++slot) MakePicture(slot, 8, 8, kSlotColours[slot]);
  MakePicture(6, 8, 8, kWorkingColour);
  const unsigned seed = 11;
  auto sourcesChosen = [&] {
    std::srand(seed);
    Frame();
    const int drawn = RandsDrawnSince(seed, 8);
    EXPECT_TRUE(drawn == 0 || drawn == 4) << drawn;
    return drawn == 4;
  };
  Select(kToSection, 'd', 1);
  EXPECT_TRUE(sourcesChosen()) << "set-up chooses";
  int first = 0;
  while (first < 3001 && !sourcesChosen()) ++first;
  ASSERT_LT(first, 3000) << "a choice within 3000 frames";
  int gap = 0;
  while (gap < 3001 && !sourcesChosen()) ++gap;
  EXPECT_EQ(gap, 2999) << "the next choice comes 3000 frames later";
  // Choosing the test again chooses at once.
  Select(kToSection, 'd', 1);
  EXPECT_TRUE(sourcesChosen());
  // Random chooses every frame, Static keeps its sources.
  Select(kToSection, 'r', 1);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(sourcesChosen());
  Select(kToSection, 's', 1);
  Frame();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(sourcesChosen());
  g_Engine.SetRez(1024, 768);
}

// x := rand() mod W; r := rand() mod W; w := x + 1 if r >= x, otherwise a
// further rand() mod W + 1; y and h the same with H. W and H are the
// source's own size; the section is copied over the whole of slot 6.
TEST_F(Tests2DRules, SectionCopyDrawsItsSectionFromTheSourcesOwnSize) {
  constexpr UINT kSizes[5][2] = {{0, 0}, {64, 64}, {48, 40}, {40, 56}, {56, 48}};
  g_Engine.m_CopyFilter = D3DX_FILTER_POINT;
  for (int slot = 1; slot <= 4; ++slot) MakePattern(slot, kSizes[slot][0], kSizes[slot][1]);
  MakePattern(6, 64, 64);
  int wide = 0, drawnAgain = 0;
  for (unsigned seed = 1; seed <= 30; ++seed) {
    const std::vector<int> r = SeededRands(seed, 8);
    Select(kFromSection, 's', 3);
    Frame();
    std::size_t i = 0;
    const int slot = 1 + r[i++] % 4;
    const int W = static_cast<int>(kSizes[slot][0]), H = static_cast<int>(kSizes[slot][1]);
    auto span = [&](int extent, int& at, int& length) {
      at = r[i++] % extent;
      const int again = r[i++] % extent;
      if (again >= at) {
        length = at + 1;
        ++wide;
      } else {
        length = r[i++] % extent + 1;
        ++drawnAgain;
      }
    };
    int x, w, y, h;
    span(W, x, w);
    span(H, y, h);
    const std::string what = "seed " + std::to_string(seed);
    EXPECT_EQ(WorkingTexel(0, 0), PatternTexel(slot, x, y)) << what << std::hex << " " << WorkingTexel(0, 0);
    EXPECT_EQ(WorkingTexel(63, 63), PatternTexel(slot, std::min(x + w, W) - 1, std::min(y + h, H) - 1))
        << what << std::hex << " " << WorkingTexel(63, 63);
    EXPECT_EQ(RandsDrawnSince(seed, 8), static_cast<int>(i)) << what;
  }
  EXPECT_GT(wide, 0);
  EXPECT_GT(drawnAgain, 0);
}

// ---------------------------------------------------------------------------
// TestTAlert and TestMouse
// ---------------------------------------------------------------------------

TEST_F(Tests2DRules, AlertClearsToARandomDarkColourAndRemindsOnlyInFullScreen) {
  for (unsigned seed : {2u, 5u, 9u}) {
    const std::vector<int> r = SeededRands(seed, 3);
    Select(kAlert, 'r', 10);
    TracedFrame();
    const D3DCOLOR dark = D3DCOLOR_ARGB(255, r[0] % 100, r[1] % 100, r[2] % 100);
    int clears = 0;
    for (const d3d9_hooks::CallRecord& c : d3d9_hooks::CallTrace())
      if (c.method == "Clear") {
        ++clears;
        char colour[16];
        std::snprintf(colour, sizeof colour, "0x%08x", static_cast<unsigned>(dark));
        EXPECT_EQ(c.args, "0, NULL, 0x7, " + std::string(colour) + ", 1, 0") << seed;
      }
    EXPECT_EQ(clears, 1) << "once a frame, whatever the calls per frame";
  }
  EXPECT_EQ(CountLogLines(kReminder), 0u);
  // Full screen: the alert and the mouse test log their reminder each frame.
  g_Engine.m_bWindowed = false;
  for (UINT id : {kAlert, kMouse}) {
    Select(id, 'r', 1);
    Frame();
    Frame();
  }
  g_Engine.m_bWindowed = true;
  EXPECT_EQ(CountLogLines(kReminder), 4u);
}

TEST_F(Tests2DRules, MouseReadoutGivesTheBackBufferPositionWithThreeDecimals) {
  Select(kMouse, 'r', 1);
  const Render& text = g_Engine.m_TextRender;
  g_Engine.m_fMouseX = 300;
  g_Engine.m_fMouseY = 200;
  Frame();
  EXPECT_EQ(GlyphText(text.vertsScreen, text.countScreen), "mox=300.000:moy=200.000");
  g_Engine.m_fMouseX = 5.5f;
  g_Engine.m_fMouseY = 7.25f;
  Frame();
  EXPECT_EQ(GlyphText(text.vertsScreen, text.countScreen), "mox=05.500:moy=07.250");
  // A view of half the back buffer: the client position is twice as far in.
  g_Harness.viewRect = {0, 0, 512, 384};
  g_Engine.m_fMouseX = 150;
  g_Engine.m_fMouseY = 100;
  Frame();
  EXPECT_EQ(GlyphText(text.vertsScreen, text.countScreen), "mox=300.000:moy=200.000");
}

// ---------------------------------------------------------------------------
// The text cases
// ---------------------------------------------------------------------------

TEST_F(Tests2DRules, ScreenPrintSaysScreenSpaceInPixelsAndScaledInCells) {
  const Render& text = g_Engine.m_TextRender;
  for (bool relative : {false, true}) {
    UseRelativeScaling(relative);
    const std::string expected = relative ? "Scaled" : "Screen Space";
    Select(kScreenTPrint, 'r', 1);
    int whole = 0;
    for (int i = 0; i < 20; ++i) {
      Frame();
      const std::string printed = GlyphText(text.vertsScreen, text.countScreen);
      // Glyphs past the right edge are dropped.
      ASSERT_FALSE(printed.empty());
      EXPECT_EQ(expected.rfind(printed, 0), 0u) << printed;
      whole += printed == expected;
    }
    EXPECT_GT(whole, 10) << expected;
  }
}

// Every text starts with its 'H': its first glyph's corner names its cell.
struct CellStats {
  int texts = 0, maxColumn = -1, maxRow = -1;
  bool onGrid = true;
};

TEST_F(Tests2DRules, TextCasesPrintOnAFortyByTwentyGridOfTheirOwn) {
  Vorn& e = g_Engine;
  // Whatever another caller left, the text cases set their grid each frame.
  e.m_fCharWidth = 0.025f;
  e.m_fCharHeight = 0.04f;
  e.m_fTextColumns = 80;
  e.m_fTextRows = 50;
  e.m_bUpperGlyphs = true;
  e.m_nFirstChar = 32;
  Select(kTPrintPrepare, 's', 100);
  Frame();
  EXPECT_EQ(e.m_fTextColumns, 40.0f);
  EXPECT_EQ(e.m_fTextRows, 20.0f);
  EXPECT_EQ(e.m_fCharWidth, 0.05f);
  EXPECT_EQ(e.m_fCharHeight, 0.1f);
  EXPECT_FALSE(e.m_bUpperGlyphs);
  EXPECT_EQ(e.m_nFirstChar, 0);

  const Render& list = g_SharedRender;
  const std::string glyphs = GlyphText(list.verts2D, list.count2D);
  CellStats s;
  for (std::size_t g = 0; g < glyphs.size(); ++g) {
    const Vertex2D* q = &list.verts2D[g * 6];
    // Cells 0.05 wide and 0.1 high; (x1, y1) is the bottom-left corner.
    EXPECT_NEAR(q[1].x - q[0].x, 0.05f, 1e-5f);
    EXPECT_NEAR(q[2].y - q[0].y, 0.1f, 1e-5f);
    if (glyphs[g] != 'H') continue;
    ++s.texts;
    const double column = (q[0].x + 1.0) / 0.05, row = (0.9 - q[0].y) / 0.1;
    s.onGrid = s.onGrid && std::fabs(column - std::round(column)) < 1e-3 &&
               std::fabs(row - std::round(row)) < 1e-3 && column > -0.5 && column < 39.5 &&
               row > -0.5 && row < 19.5;
    s.maxColumn = std::max(s.maxColumn, static_cast<int>(std::lround(column)));
    s.maxRow = std::max(s.maxRow, static_cast<int>(std::lround(row)));
  }
  // A text near the right edge is cut short, so look for a whole one.
  EXPECT_NE(glyphs.find("Hello There"), std::string::npos);
  EXPECT_GE(s.texts, 90);
  EXPECT_TRUE(s.onGrid);
  EXPECT_GE(s.maxColumn, 30);
  EXPECT_GE(s.maxRow, 15);

  // In pixels a cell is a fortieth of the width and a twentieth of the
  // height: 25.6 x 38.4 at 1024 x 768.
  UseRelativeScaling(false);
  Select(kScreenTPrintPrepare, 's', 10);
  Frame();
  const VertexScreen* q = list.vertsScreen;
  ASSERT_GE(list.countScreen, 6);
  EXPECT_NEAR(q[1].x - q[0].x, 25.6f, 1e-3f);
  EXPECT_NEAR(q[2].y - q[0].y, 38.4f, 1e-3f);
  // The immediate print uses the same cells.
  Select(kTPrint, 'r', 1);
  Frame();
  const Vertex2D* t = e.m_TextRender.verts2D;
  EXPECT_EQ(GlyphText(t, e.m_TextRender.count2D).substr(0, 1), "H");
  EXPECT_NEAR(t[1].x - t[0].x, 0.05f, 1e-5f);
  EXPECT_NEAR(t[2].y - t[0].y, 0.1f, 1e-5f);
}

// Random prepares callsPerFrame copies into a list of its own, as many as
// the vertex buffer takes in one lock: at 800 calls the list fills to the
// last whole glyph below 16,383 vertices, more than the shared record's
// 6,408.
TEST_F(Tests2DRules, RandomPreparedTextDrawsEveryCopyThatFitsOneLock) {
  for (UINT id : {kTPrintPrepare, kScreenTPrintPrepare}) {
    for (bool relative : {false, true}) {
      if (id == kTPrintPrepare && relative) continue;
      UseRelativeScaling(relative);
      for (unsigned calls : {1u, 100u, 800u}) {
        const std::string what = std::to_string(id) + (relative ? " relative " : " ") + std::to_string(calls);
        Select(id, 'r', calls);
        TracedFrame();
        const int triangles = LastTriangleCount();
        ASSERT_GT(triangles, 0) << what;
        // The drawn list is what the buffer holds after the frame.
        std::string drawn;
        if (id == kTPrintPrepare) {
          const auto v = BufferedVertices<Vertex2D>(g_Engine.m_p2DVB, triangles * 3);
          drawn = GlyphText(v.data(), static_cast<int>(v.size()));
        } else {
          const auto v = BufferedVertices<VertexScreen>(g_Engine.m_pScreenVB, triangles * 3);
          drawn = GlyphText(v.data(), static_cast<int>(v.size()));
        }
        const long texts = std::count(drawn.begin(), drawn.end(), 'H');
        if (calls < 800) {
          EXPECT_EQ(texts, static_cast<long>(calls)) << what;
        } else {
          EXPECT_EQ(triangles, 16380 / 3) << what;
          EXPECT_GT(texts, 248) << what;
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Colour counters
// ---------------------------------------------------------------------------

// Each case that colours by counting steps its own counter, one value per
// primitive, whatever ran in between.
TEST_F(Tests2DRules, EachCaseStepsAColourCounterOfItsOwn) {
  struct ListCase {
    UINT id;
    bool screen;
    int shapeVertices;
  };
  const ListCase lines{32773, false, 2}, boxes{32776, false, 8}, screenLines{32869, true, 2},
      screenBars{32874, true, 6};
  // The counter values of a Static frame's shapes, read from the shared list.
  auto counters = [&](const ListCase& c, unsigned calls) {
    Select(c.id, 's', calls);
    Frame();
    std::vector<long> out;
    for (unsigned i = 0; i < calls; ++i) {
      const int at = static_cast<int>(i) * c.shapeVertices;
      out.push_back(CounterOf(c.screen ? g_SharedRender.vertsScreen[at].colour : g_SharedRender.verts2D[at].colour));
    }
    return out;
  };
  const std::vector<long> a = counters(lines, 3);
  ASSERT_GE(a[0], 0);
  EXPECT_EQ(a[1], a[0] + 1);
  EXPECT_EQ(a[2], a[0] + 2);
  const std::vector<long> b = counters(boxes, 5);
  const std::vector<long> c = counters(screenLines, 4);
  const std::vector<long> d = counters(screenBars, 2);
  EXPECT_EQ(counters(lines, 2)[0], a[2] + 1);
  EXPECT_EQ(counters(boxes, 1)[0], b[4] + 1);
  EXPECT_EQ(counters(screenLines, 1)[0], c[3] + 1);
  EXPECT_EQ(counters(screenBars, 1)[0], d[1] + 1);

  // The immediate cases: the last primitive's colour is what the buffer
  // holds after the frame.
  auto lastImmediate = [&](UINT id, bool screen, unsigned calls) {
    Select(id, 'r', calls);
    Frame();
    if (screen) return CounterOf(BufferedVertices<VertexScreen>(g_Engine.m_pScreenVB, 1)[0].colour);
    return CounterOf(BufferedVertices<Vertex2D>(g_Engine.m_p2DVB, 1)[0].colour);
  };
  const long l = lastImmediate(32772, false, 4);
  const long x = lastImmediate(32775, false, 6);
  const long s = lastImmediate(32868, true, 3);
  EXPECT_EQ(lastImmediate(32772, false, 2), l + 2);
  EXPECT_EQ(lastImmediate(32775, false, 1), x + 1);
  EXPECT_EQ(lastImmediate(32868, true, 5), s + 5);
}

}  // namespace
}  // namespace app_test
