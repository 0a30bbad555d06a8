// The 3D test cases the main loop calls once per frame while their menu
// item under "&3D Tests" is selected.
#pragma once

// 16,370 random points, uploaded once and drawn from the 3D buffer.
void Test3DPoints();
// 800 lines of their own colours per repetition, one engine call each.
void TestImmediate3DLines();
// 8,189 random lines, uploaded once and drawn from the 3D buffer.
void TestRender3DLines();
// The grid of triangles, one engine call each; the variant (plain,
// textured, lit, textured and lit, tri-lit) is the selected test's id.
void TestImmediate3DPolys();
// Random triangles or the lit grid from a prepared list, one draw per
// repetition; the variant is the selected test's id.
void TestRender3DPolys();
// 100 point sprites once per frame.
void TestSprites();
