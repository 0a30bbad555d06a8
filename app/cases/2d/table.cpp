// The rows of TestTable for the 2D, screen and dialog tests.
#include "app/cases/case_table.h"
#include "app/cases/2d/cases_2d.h"

namespace {

constexpr TestEntry kRows[] = {
    {32772, TestImmediateLines},
    {32773, TestRenderLines},
    {32775, TestImmediateBoxes},
    {32776, TestRenderBoxes},
    {32777, TestRenderBars},
    {32778, TestRenderTextureBars},
    {32781, TestImmediatePolygon},
    {32783, TestRenderPolygon},
    {32799, TestRenderPoints},
    {32824, TestRenderPolygonCol},
    {32826, TestCopyTexture1_1},
    {32827, TestCopyTextureToSection},
    {32828, TestCopyFromTextureSection},
    {32830, TestTPrint},
    {32831, TestTPrintPrepare},
    {32840, TestScrollTexture},
    {32841, TestCopyFromTextureSectionToLocation},
    {32866, TestScreenRenderPoints},
    {32868, TestScreenImmediateLines},
    {32869, TestScreenRenderLines},
    {32871, TestScreenRenderBoxes},
    {32872, TestScreenImmediateBoxes},
    {32873, TestScreenImmediateBars},
    {32874, TestScreenRenderBars},
    {32875, TestScreenRenderTextureBars},
    {32877, TestScreenImmediatePolygon},
    {32878, TestScreenRenderPolygon},
    {32879, TestScreenRenderPolygonCol},
    {32884, TestImmediateBars},
    {32886, TestTAlert},
    {32888, TestScreenTPrint},
    {32889, TestScreenTPrintPrepare},
    {32890, TestMouse},
};

}  // namespace

std::span<const TestEntry> TestRows2D() { return kRows; }
