// The 2D, screen and dialog test cases: each draws callsPerFrame primitives
// of one kind (or one dialog frame) and presents the frame.
#pragma once

// Immediate primitives: one engine call per primitive.
void TestImmediateLines();
void TestImmediateBoxes();
void TestImmediateBars();
void TestImmediatePolygon();
void TestScreenImmediateLines();
void TestScreenImmediateBoxes();
void TestScreenImmediateBars();
void TestScreenImmediatePolygon();

// Prepared render lists: the primitives collected and drawn in one call.
void TestRenderPoints();
void TestRenderLines();
void TestRenderBoxes();
void TestRenderBars();
void TestRenderTextureBars();
void TestRenderPolygon();
void TestRenderPolygonCol();
void TestScreenRenderPoints();
void TestScreenRenderLines();
void TestScreenRenderBoxes();
void TestScreenRenderBars();
void TestScreenRenderTextureBars();
void TestScreenRenderPolygon();
void TestScreenRenderPolygonCol();

// Text.
void TestTPrint();
void TestScreenTPrint();
void TestTPrintPrepare();
void TestScreenTPrintPrepare();

// Texture copies and scrolling, into the working texture (slot 6).
void TestCopyTexture1_1();
void TestCopyTextureToSection();
void TestCopyFromTextureSection();
void TestCopyFromTextureSectionToLocation();
void TestScrollTexture();

// Dialogs.
void TestTAlert();
void TestMouse();
