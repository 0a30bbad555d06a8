// The immediate tests: per call one counter colour, the random corners and
// one immediate engine call ("Random Only").
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/window/status_texts.h"
#include "app/cases/2d/colour_counter.h"
#include "app/cases/2d/random_values.h"
#include "app/cases/2d/test_frame.h"
#include "app/cases/2d/cases_2d.h"
#include "engine/vorn.h"

namespace {

using TwoCorners = void (Vorn::*)(float, float, float, float, float, float, float, float);
using Triangle = void (Vorn::*)(float, float, float, float, float, float, float, float, float, float);
using Coordinate = float (*)();

struct ImmediateTest {
  const char* signature;  // the test name
  const char* status;     // the first status text
  bool screen;
};

bool Begin(const ImmediateTest& t) {
  const bool init = t.screen ? BeginScreenFrame(t.signature) : BeginScaledFrame(t.signature);
  if (init) {
    SetStatusTexts(t.status, "", "Random Only", nullptr);
    UnbindTexture();
  }
  return init;
}

// Lines, boxes and bars: four coordinates per call, x1, y1, x2, y2 drawn in
// that order.
void RunCorners(const ImmediateTest& t, ColourCounter& counter, TwoCorners draw) {
  if (!DeviceReady()) return;
  Begin(t);
  const Coordinate cx = t.screen ? RandomScreenX : RandomScaled;
  const Coordinate cy = t.screen ? RandomScreenY : RandomScaled;
  Vorn& e = g_Engine;
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) {
    const CounterColour c = counter.Next();
    const float x1 = cx(), y1 = cy(), x2 = cx(), y2 = cy();
    (e.*draw)(x1, y1, x2, y2, c.r, c.g, c.b, c.a);
  }
  EndTestFrame();
}

void RunTriangles(const ImmediateTest& t, ColourCounter& counter, Triangle draw) {
  if (!DeviceReady()) return;
  Begin(t);
  const Coordinate cx = t.screen ? RandomScreenX : RandomScaled;
  const Coordinate cy = t.screen ? RandomScreenY : RandomScaled;
  Vorn& e = g_Engine;
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) {
    const CounterColour c = counter.Next();
    const float x1 = cx(), y1 = cy(), x2 = cx(), y2 = cy(), x3 = cx(), y3 = cy();
    (e.*draw)(x1, y1, x2, y2, x3, y3, c.r, c.g, c.b, c.a);
  }
  EndTestFrame();
}

ColourCounter g_lines, g_boxes, g_bars, g_polygons;
ColourCounter g_screenLines, g_screenBoxes, g_screenBars, g_screenPolygons;

}  // namespace

void TestImmediateLines() {
  RunCorners({"void TestImmediateLines()", "TestImmediateLines()", false}, g_lines, &Vorn::DrawLine);
}

void TestImmediateBoxes() {
  RunCorners({"void TestImmediateBoxes()", "TestImmediateBoxs()", false}, g_boxes, &Vorn::DrawBox);
}

void TestImmediateBars() {
  RunCorners({"void TestImmediateBars()", "TestImmediateBars()", false}, g_bars, &Vorn::DrawBar);
}

void TestImmediatePolygon() {
  RunTriangles({"void TestImmediatePolygon()", "TestImmediatePolygon()", false}, g_polygons,
               &Vorn::DrawPoly);
}

void TestScreenImmediateLines() {
  RunCorners({"void TestScreenImmediateLines()", "TestScreenImmediateLines()", true}, g_screenLines,
             &Vorn::DrawScreenLine);
}

void TestScreenImmediateBoxes() {
  RunCorners({"void TestScreenImmediateBoxes()", "TestScreenImmediateBoxs()", true}, g_screenBoxes,
             &Vorn::DrawScreenBox);
}

// The screen bars show the boxes' status text.
void TestScreenImmediateBars() {
  RunCorners({"void TestScreenImmediateBars()", "TestScreenImmediateBoxs()", true}, g_screenBars,
             &Vorn::DrawScreenBar);
}

void TestScreenImmediatePolygon() {
  RunTriangles({"void TestScreenImmediatePolygon()", "TestScreenImmediatePolygon()", true},
               g_screenPolygons, &Vorn::DrawScreenPoly);
}
