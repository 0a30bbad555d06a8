// Texture copies and scrolling on both paths: destinations made on demand,
// texels moved where they belong, clipping and the zero-area alert.
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

// The pattern MakeDefaultPoolTexture writes at (x, y) of a slot.
DWORD Pattern(int slot, UINT x, UINT y) { return 0xFF000000u | (slot << 16) | (y << 8) | x; }

TEST_F(EngineTest, CopyMakesAMissingDestinationFromTheSource) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 1, 64, 128, false);
  e.CopyTexture(1, 6);
  EXPECT_EQ(CountLines("making new texture from source attributes (Vorn::CopyTexture(src,dest)"), 1);
  ASSERT_NE(e.m_pTextures[6], nullptr);
  D3DSURFACE_DESC d{};
  e.m_pTextures[6]->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Width, 64u);
  EXPECT_EQ(d.Height, 128u);
  EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);  // fast copy off: the source's own pool
  EXPECT_EQ(Texel(e, e.m_pTextures[6], 7, 100), Pattern(1, 7, 100));
}

TEST_F(EngineTest, RenderAndD3DXPathsCopyTheSameTexels) {
  Vorn& e = StartEngine();
  for (bool fast : {false, true}) {
    MakeDefaultPoolTexture(e, 2, 32, 32);
    MakeDefaultPoolTexture(e, 6, 32, 32);
    e.m_bFastCopy = fast;
    e.m_CopyFilter = D3DX_FILTER_POINT;
    e.CopyTexture(2, 6);
    for (UINT p : {0u, 5u, 31u}) EXPECT_EQ(Texel(e, e.m_pTextures[6], p, 31 - p), Pattern(2, p, 31 - p)) << fast;
    // Into a rectangle at half size. D3DX point-samples each texel's centre,
    // so (8 + x, 4 + y) takes source texel (2x + 1, 2y + 1); drawing with
    // pixel centres at integer coordinates takes (2x, 2y).
    e.CopyTexture(2, 6, 8, 4, 16, 16);
    const UINT k = fast ? 0 : 1;
    EXPECT_EQ(Texel(e, e.m_pTextures[6], 8 + 3, 4 + 5), Pattern(2, 6 + k, 10 + k)) << fast;
    EXPECT_EQ(Texel(e, e.m_pTextures[6], 30, 30), Pattern(2, 30, 30)) << fast;  // outside it
    e.ReleaseTexture(2);
    e.ReleaseTexture(6);
  }
  EXPECT_EQ(e.m_nCurrentTexture, 0);
}

TEST_F(EngineTest, SectionToClipsAtTheDestinationEdges) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 3, 32, 32, false);
  MakeDefaultPoolTexture(e, 6, 32, 32, false);
  e.CopyTextureSectionTo(3, 6, 4, 2, 8, 8, -10, 0);
  // Columns 4..11 of the source start 10 to the left: source column 14 would
  // be needed at destination 0, but the section only held 8 columns.
  EXPECT_EQ(Texel(e, e.m_pTextures[6], 0, 0), Pattern(6, 0, 0));
  e.CopyTextureSectionTo(3, 6, 4, 2, 16, 8, -10, 20);
  EXPECT_EQ(Texel(e, e.m_pTextures[6], 0, 20), Pattern(3, 14, 2));
  EXPECT_EQ(Texel(e, e.m_pTextures[6], 5, 27), Pattern(3, 19, 9));
  EXPECT_EQ(Texel(e, e.m_pTextures[6], 6, 20), Pattern(6, 6, 20));
  e.ReleaseTexture(6);
  g_boxes.clear();
  e.CopyTextureSectionTo(3, 6, 0, 0, 4, 4, 0, 0);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_NE(g_boxes[0].text.find("[search for CTSD1]"), std::string::npos);
}

TEST_F(EngineTest, ZeroAreaSectionsAlertUntilCancelled) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 3, 16, 16, false);
  MakeDefaultPoolTexture(e, 6, 16, 16, false);
  g_boxes.clear();
  g_answers = {IDCANCEL};
  e.CopyTextureSection(3, 6, 4, 4, 0, 5);
  e.CopyTextureSection(3, 6, 4, 4, 5, 0);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "The RECT specified is of zero area.");
  e.CopyTextureSection(3, 6, 4, 4, 8, 8);  // a real section fills the whole destination
  EXPECT_EQ(Texel(e, e.m_pTextures[6], 0, 0), Pattern(3, 4, 4));
  EXPECT_EQ(Texel(e, e.m_pTextures[6], 15, 15), Pattern(3, 11, 11));
}

TEST_F(EngineTest, ScrollingMovesThePictureOnBothPaths) {
  Vorn& e = StartEngine();
  for (bool fast : {false, true}) {
    MakeDefaultPoolTexture(e, 6, 32, 32, fast);
    e.m_bFastCopy = fast;
    e.ScrollTexture(0, 0);
    EXPECT_EQ(Texel(e, e.m_pTextures[6], 9, 17), Pattern(6, 9, 17)) << fast;
    e.ScrollTexture(3, 2);  // left by 3, down by 2
    EXPECT_EQ(Texel(e, e.m_pTextures[6], 0, 2), Pattern(6, 3, 0)) << fast;
    EXPECT_EQ(Texel(e, e.m_pTextures[6], 20, 30), Pattern(6, 23, 28)) << fast;
    // The uncovered strip repeats the edge (render) or keeps old pixels (D3DX).
    EXPECT_EQ(Texel(e, e.m_pTextures[6], 31, 10), fast ? Pattern(6, 31, 8) : Pattern(6, 31, 10)) << fast;
    EXPECT_EQ(e.m_nCurrentTexture, fast ? 6 : 0);
    e.ReleaseTexture(6);
  }
}

}  // namespace
}  // namespace engine_test
