// The rows of TestTable for the 3D tests, in ascending id order; each
// polygon test serves its five variants.
#include "app/cases/case_table.h"
#include "app/cases/3d/cases_3d.h"

namespace {

constexpr TestEntry kRows[] = {
    {32891, Test3DPoints},         {32892, TestImmediate3DLines}, {32893, TestRender3DLines},
    {32894, TestImmediate3DPolys}, {32895, TestRender3DPolys},    {32896, TestImmediate3DPolys},
    {32897, TestRender3DPolys},    {32898, TestImmediate3DPolys}, {32899, TestRender3DPolys},
    {32900, TestImmediate3DPolys}, {32901, TestRender3DPolys},    {32902, TestImmediate3DPolys},
    {32903, TestRender3DPolys},    {32914, TestSprites},
};

}  // namespace

std::span<const TestEntry> TestRows3D() { return kRows; }
