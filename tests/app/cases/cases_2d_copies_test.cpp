// The copy tests: the working texture's picture on the right half of the
// view, its sources on the left as the tests place them.
#include <set>

#include "tests/app/cases/cases_2d_fixture.h"

namespace {

using app_test::kSlotColours;
using app_test::Tests2DTest;

bool IsPictureColour(DWORD c) {
  for (int slot = 1; slot <= 4; ++slot)
    if (c == (kSlotColours[slot] & 0xFFFFFF)) return true;
  return false;
}

// Each channel halved, as the dimmed source shows it (rounding either way).
bool IsDimmed(DWORD dim, DWORD full) {
  for (int shift : {0, 8, 16}) {
    const int d = (dim >> shift) & 0xFF, f = (full >> shift) & 0xFF;
    if (d < f / 2 - 1 || d > f / 2 + 1) return false;
  }
  return true;
}

class Tests2DCopies : public Tests2DTest {};

TEST_F(Tests2DCopies, WholeCopyShowsItsSourceLeftAndTheWorkingTextureRight) {
  Select(32826, 'r', 10);
  for (int i = 0; i < 3; ++i) {
    Frame();
    const DWORD left = Pixel(256, 384);
    EXPECT_TRUE(IsPictureColour(left)) << std::hex << left;
    EXPECT_EQ(Pixel(510, 384), left);
    // The last copy's source is the one shown.
    EXPECT_EQ(Pixel(514, 384), left);
    EXPECT_EQ(Pixel(1020, 10), left);
    EXPECT_FALSE(g_Engine.m_bPainting);
  }
}

TEST_F(Tests2DCopies, StaticCopiesKeepOnePictureSourceFromFrameToFrame) {
  for (UINT id : {32826u, 32827u}) {
    Select(id, 's', 1);
    Frame();
    const DWORD left = Pixel(128, 192);
    EXPECT_TRUE(IsPictureColour(left)) << id << " copies a picture, not the font";
    for (int i = 0; i < 5; ++i) {
      Frame();
      EXPECT_EQ(Pixel(128, 192), left) << id;
      EXPECT_EQ(Pixel(640, 192), left) << id;
    }
  }
}

TEST_F(Tests2DCopies, SectionsOfTheWorkingTextureMatchTheirQuadrants) {
  Select(32827, 'r', 1);
  std::set<DWORD> colours;
  for (int i = 0; i < 4; ++i) {
    Frame();
    const int quadrant[4][2] = {{128, 192}, {384, 192}, {128, 576}, {384, 576}};
    for (const auto& q : quadrant) {
      const DWORD source = Pixel(q[0], q[1]);
      EXPECT_TRUE(IsPictureColour(source)) << std::hex << source;
      // Slot 6 spans the right half: its quadrant at the same place.
      EXPECT_EQ(Pixel(512 + q[0], q[1]), source) << q[0] << "," << q[1];
      colours.insert(source);
    }
  }
  EXPECT_GT(colours.size(), 1u) << "Random chooses the sources anew";
}

TEST_F(Tests2DCopies, DefinedSectionsFollowTheirCorners) {
  Select(32827, 'd', 1);
  Frame();
  // Frame 1: a = sin(1/200)/2.2 + 0.5 and b = cos(1/400)/2.2 + 0.5, so on
  // the 64 x 64 target the top sections end at texel row 61.
  const DWORD topLeft = Pixel(128, 192), bottomLeft = Pixel(128, 576);
  const DWORD topRight = Pixel(384, 192), bottomRight = Pixel(384, 576);
  EXPECT_EQ(Pixel(512 + 80, 60 * 12), topLeft);      // texel (10, 60)
  EXPECT_EQ(Pixel(512 + 80, 62 * 12 + 6), bottomLeft);  // texel (10, 62)
  EXPECT_EQ(Pixel(512 + 40 * 8, 60 * 12), topRight);  // texel (40, 60)
  EXPECT_EQ(Pixel(512 + 40 * 8, 62 * 12 + 6), bottomRight);  // texel (40, 62)
}

TEST_F(Tests2DCopies, SectionCopiesShowTheSourceDimmedWithTheSectionBright) {
  int dimmed = 0;
  for (UINT id : {32828u, 32841u}) {
    for (char mode : {'r', 'd'}) {
      Select(id, mode, 10);
      Frame();
      Frame();
      // The left half: the dimmed source, and the section at full colour.
      DWORD full = 0;
      for (int y = 4; y < 768 && !full; y += 8)
        for (int x = 4; x < 508 && !full; x += 8)
          if (IsPictureColour(Pixel(x, y))) full = Pixel(x, y);
      ASSERT_NE(full, 0u) << id << mode;
      for (int y = 4; y < 768; y += 8)
        for (int x = 4; x < 508; x += 8) {
          const DWORD p = Pixel(x, y);
          if (p == full) continue;
          EXPECT_TRUE(IsDimmed(p, full)) << id << mode << " " << x << "," << y << std::hex << " " << p;
          ++dimmed;
        }
    }
  }
  EXPECT_GT(dimmed, 0);
  // A stretched section of a one-colour source is that colour.
  Select(32828, 'r', 1);
  Frame();
  EXPECT_TRUE(IsPictureColour(Pixel(768, 384)));
}

}  // namespace
