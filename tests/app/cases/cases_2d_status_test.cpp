// The names and status texts the 2D tests show, the bench's own typing
// errors included.
#include <string>
#include <vector>

#include "tests/app/cases/cases_2d_fixture.h"

namespace {

using app_test::Tests2DTest;

struct StatusCase {
  UINT id;
  char mode;
  const char* name;
  std::vector<std::string> parts;
};

const StatusCase kCases[] = {
    {32772, 'r', "void TestImmediateLines()", {"TestImmediateLines()", "", "Random Only"}},
    {32775, 's', "void TestImmediateBoxes()", {"TestImmediateBoxs()", "", "Random Only"}},
    {32884, 'r', "void TestImmediateBars()", {"TestImmediateBars()", "", "Random Only"}},
    {32872, 'r', "void TestScreenImmediateBoxes()", {"TestScreenImmediateBoxs()", "", "Random Only"}},
    {32873, 'r', "void TestScreenImmediateBars()", {"TestScreenImmediateBoxs()", "", "Random Only"}},
    {32773, 's', "void TestRenderLines()", {"TestRenderLines()", "", "Not Random"}},
    {32869, 'r', "void TestScreenRenderLines()", {"TestRenderLines()", "", "Random"}},
    {32783, 'r', "oid TestRenderPolygon()", {"TestRenderPolygon()", "", "Random"}},
    {32783, 'd', "oid TestRenderPolygon()", {"TestRenderPolgon()", "", "Not Random"}},
    {32878, 's', "void TestScreenRenderPolygon()", {"TestScreenRenderPolgon()", "", "Not Random"}},
    {32778, 's', "void TestRenderTextureBars()", {"TestRenderTextureBars()", "", "Non Random"}},
    {32875, 's', "void TestScreenRenderTextureBars()", {"TestScreenRenderTextureBars()", "", "Not Random"}},
    {32824, 's', "void TestRenderPolygonCol()", {"TestRenderPolygonCol()", "", "Non Random"}},
    {32879, 'd', "void TestScreenRenderPolygonCol()", {"TestScreenRenderPolygonCol()", "", "Non Random"}},
    {32830, 'r', "void TestTPrint()", {"TestTPrint()", "Transparent Text OFF", ""}},
    {32889, 's', "void TestScreenTPrintPrepare()", {"TestScreenTPrintPrepare()", "Transparent Text OFF", "Not Random"}},
    {32826, 'r', "void TestCopyTexture1_1()", {"TestCopyTexture1_1()"}},
    {32827, 's', "void TestCopyTextureToSection()", {"TestCopyTextureToSection()", "", "Random"}},
    {32827, 'd', "void TestCopyTextureToSection()", {"TestCopyTextureToSection()", "", "Defined"}},
    {32828, 'r', "void TestCopyFromTextureSection()", {"TestCopyFromtextureSection()", "", "Random"}},
    {32828, 'd', "void TestCopyFromTextureSection()", {"TestCopyFromTextureSection()", "", "Defined"}},
    {32841, 's', "void TestCopyFromTextureSectionToLocation()", {"TestCopytextureSectionToLocation()", "", "Random"}},
    {32841, 'd', "void TestCopyFromTextureSectionToLocation()", {"TestCopyTextureSectionToLocation()", "", "Defined"}},
    {32840, 'd', "void TestScrollTexture()", {"TestScrolltexture()", "", "Random"}},
    {32886, 'r', "void TestTAlert()", {"TestTAlert()", "", ""}},
};

class Tests2DStatus : public Tests2DTest {};

TEST_F(Tests2DStatus, SetUpNamesTheTestAndSetsItsStatusTexts) {
  for (const StatusCase& c : kCases) {
    // Earlier parts stay where a text is empty: start each case blank.
    BlankStatus();
    Select(c.id, c.mode, 1);
    Frame();
    EXPECT_EQ(g_Harness.testName, c.name) << c.id << " " << c.mode;
    EXPECT_EQ(StatusTexts(), c.parts) << c.id << " " << c.mode;
    EXPECT_FALSE(g_Harness.needsInit) << c.id;
  }
}

TEST_F(Tests2DStatus, TransparentTextIsNamedAndItsBlendRestoredAfterTheFrame) {
  g_Harness.transparentText = true;
  Select(32888, 'r', 10);
  TracedFrame();
  EXPECT_EQ(StatusTexts()[1], "Transparent Text ON");
  EXPECT_GE(Calls("SetRenderState(D3DRS_DESTBLEND, 2)"), 1);  // D3DBLEND_ONE
  DWORD dest = 0;
  g_Engine.m_pD3DDevice->GetRenderState(D3DRS_DESTBLEND, &dest);
  EXPECT_EQ(dest, static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
  g_Harness.transparentText = false;
  Select(32888, 'r', 10);
  TracedFrame();
  EXPECT_EQ(Calls("SetRenderState(D3DRS_DESTBLEND, 2)"), 0);
}

TEST_F(Tests2DStatus, LaterFramesLeaveTheStatusBarAlone) {
  Select(32776, 'r', 1);
  Frame();
  BlankStatus();
  const std::size_t lines = CountLogLines("TestRenderBoxes()");
  Frame();
  EXPECT_EQ(StatusTexts(), std::vector<std::string>{""});
  EXPECT_EQ(CountLogLines("TestRenderBoxes()"), lines);
}

}  // namespace
