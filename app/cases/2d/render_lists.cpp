// The render-list tests: Random prepares callsPerFrame shapes into a local
// list each frame and draws it; Static and Defined prepare the shared record
// once on set-up and draw it again every frame, copying it or not as "Copy
// Render &Buffer" says.
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/window/status_texts.h"
#include "app/cases/2d/colour_counter.h"
#include "app/cases/2d/held_list.h"
#include "app/cases/2d/local_render.h"
#include "app/cases/2d/random_values.h"
#include "app/cases/2d/test_frame.h"
#include "app/cases/2d/cases_2d.h"
#include "engine/vorn.h"

namespace {

using ListDraw = void (Vorn::*)(Render&, int);

struct ListTest {
  const char* signature;
  const char* randomStatus;  // first status text in Random mode
  const char* staticStatus;  // ... in the Not Random modes
  const char* staticMode;    // third status text in the Not Random modes
  bool screen;
  bool textured;  // draws from one random source slot per frame
  int shapeVertices;
  void (*prepare)(Render&);  // one random shape, with its own colour counter
  ListDraw draw;
};

void Run(const ListTest& t) {
  if (!DeviceReady()) return;
  Vorn& e = g_Engine;
  const bool init = t.screen ? BeginScreenFrame(t.signature) : BeginScaledFrame(t.signature);
  const bool random = g_Harness.random;
  if (init) {
    SetStatusTexts(random ? t.randomStatus : t.staticStatus, "", random ? "Random" : t.staticMode,
                   nullptr);
    if (!t.textured) UnbindTexture();
  }
  // An empty slot binds no texture, so its bars come out plain.
  if (t.textured) e.SetCurrentTexture(RandomSourceSlot());

  const unsigned calls = g_Harness.callsPerFrame;
  if (random) {
    // Room for every shape of the frame and one spare vertex besides, as the
    // prepare operations' fullness test needs.
    LocalRender list(t.screen, t.shapeVertices * static_cast<int>(calls) + 2, &e);
    for (unsigned i = 0; i < calls; ++i) t.prepare(list.get());
    (e.*t.draw)(list.get(), 0);
  } else {
    Render& shared = g_SharedRender;
    IDirect3DVertexBuffer9* buffer = t.screen ? e.m_pScreenVB : e.m_p2DVB;
    if (g_Harness.needsInit) {
      if (t.screen)
        shared.ClearScreenList();
      else
        shared.Clear2D();
      for (unsigned i = 0; i < calls; ++i) t.prepare(shared);
      g_Harness.needsInit = false;
      // The set-up frame copies the new list, so that a frame that does not
      // copy (-1) finds it in the vertex buffer.
      (e.*t.draw)(shared, 0);
      MarkBufferHolds(buffer, shared);
    }
    int vertices = g_Harness.noCopyRenderBuffer;
    // A buffer rebuilt since (a reset, a new resolution) holds no list.
    if (vertices == -1 && !BufferHolds(buffer, shared)) vertices = 0;
    (e.*t.draw)(shared, vertices);
    if (vertices == 0) MarkBufferHolds(buffer, shared);
  }
  EndTestFrame();
}

// Scaled coordinates for the scaled variants, screen ones for the others.
template <bool Screen>
float X() {
  return Screen ? RandomScreenX() : RandomScaled();
}
template <bool Screen>
float Y() {
  return Screen ? RandomScreenY() : RandomScaled();
}

// The scaled call or its screen twin, one signature for both.
template <bool Screen, typename Call>
Call Pick(Call scaled, Call screen) {
  return Screen ? screen : scaled;
}

template <bool Screen>
void PreparePoint(Render& R) {
  static ColourCounter counter;
  const CounterColour c = counter.Next();
  const float x = X<Screen>(), y = Y<Screen>();
  (g_Engine.*Pick<Screen>(&Vorn::PreparePoint, &Vorn::PrepareScreenPoint))(R, x, y, c.r, c.g, c.b,
                                                                          c.a);
}

using CornerPrepare = void (Vorn::*)(Render&, float, float, float, float, float, float, float,
                                     float);

// Lines, boxes and bars: one counter colour and two random corners, x1, y1,
// x2, y2 drawn in that order. Each instantiation keeps its own counter.
template <bool Screen, CornerPrepare Scaled, CornerPrepare OnScreen>
void PrepareCorners(Render& R) {
  static ColourCounter counter;
  const CounterColour c = counter.Next();
  const float x1 = X<Screen>(), y1 = Y<Screen>(), x2 = X<Screen>(), y2 = Y<Screen>();
  (g_Engine.*Pick<Screen>(Scaled, OnScreen))(R, x1, y1, x2, y2, c.r, c.g, c.b, c.a);
}

template <bool Screen>
void PrepareLine(Render& R) {
  PrepareCorners<Screen, &Vorn::PrepareLine, &Vorn::PrepareScreenLine>(R);
}

template <bool Screen>
void PrepareBox(Render& R) {
  PrepareCorners<Screen, &Vorn::PrepareBox, &Vorn::PrepareScreenBox>(R);
}

template <bool Screen>
void PrepareBar(Render& R) {
  PrepareCorners<Screen, &Vorn::PrepareBar, &Vorn::PrepareScreenBar>(R);
}

// Bars over the whole texture, (0, 0) to (1, 1).
template <bool Screen>
void PrepareTextureBar(Render& R) {
  static ColourCounter counter;
  const CounterColour c = counter.Next();
  const float x1 = X<Screen>(), y1 = Y<Screen>(), x2 = X<Screen>(), y2 = Y<Screen>();
  (g_Engine.*Pick<Screen>(&Vorn::PrepareTextureBar, &Vorn::PrepareScreenTextureBar))(
      R, x1, y1, x2, y2, 0, 0, 1, 1, c.r, c.g, c.b, c.a);
}

// Untextured triangles: their texture coordinates stay 0.
template <bool Screen>
void PreparePoly(Render& R) {
  static ColourCounter counter;
  const CounterColour c = counter.Next();
  const float x1 = X<Screen>(), y1 = Y<Screen>(), x2 = X<Screen>(), y2 = Y<Screen>(),
              x3 = X<Screen>(), y3 = Y<Screen>();
  (g_Engine.*Pick<Screen>(&Vorn::PreparePoly, &Vorn::PrepareScreenPoly))(
      R, x1, y1, x2, y2, x3, y3, 0, 0, 0, 0, 0, 0, c.r, c.g, c.b, c.a);
}

// The corners first, then a random opaque colour for each corner in turn.
template <bool Screen>
void PreparePolyCol(Render& R) {
  const float x1 = X<Screen>(), y1 = Y<Screen>(), x2 = X<Screen>(), y2 = Y<Screen>(),
              x3 = X<Screen>(), y3 = Y<Screen>();
  const float r1 = RandomComponent(), g1 = RandomComponent(), b1 = RandomComponent();
  const float r2 = RandomComponent(), g2 = RandomComponent(), b2 = RandomComponent();
  const float r3 = RandomComponent(), g3 = RandomComponent(), b3 = RandomComponent();
  (g_Engine.*Pick<Screen>(&Vorn::PreparePolyCol, &Vorn::PrepareScreenPolyCol))(
      R, x1, y1, x2, y2, x3, y3, r1, g1, b1, 1, r2, g2, b2, 1, r3, g3, b3, 1);
}

}  // namespace

void TestRenderPoints() {
  Run({"void TestRenderPoints()", "TestRenderPoints()", "TestRenderPoints()", "Not Random", false,
       false, 1, PreparePoint<false>, &Vorn::DrawRenderPoints});
}

void TestRenderLines() {
  Run({"void TestRenderLines()", "TestRenderLines()", "TestRenderLines()", "Not Random", false,
       false, 2, PrepareLine<false>, &Vorn::DrawRenderLines});
}

void TestRenderBoxes() {
  Run({"void TestRenderBoxes()", "TestRenderBoxes()", "TestRenderBoxes()", "Not Random", false,
       false, 8, PrepareBox<false>, &Vorn::DrawRenderBoxes});
}

void TestRenderBars() {
  Run({"void TestRenderBars()", "TestRenderBars()", "TestRenderBars()", "Not Random", false, false,
       6, PrepareBar<false>, &Vorn::DrawRenderBars});
}

void TestRenderTextureBars() {
  Run({"void TestRenderTextureBars()", "TestRenderTextureBars()", "TestRenderTextureBars()",
       "Non Random", false, true, 6, PrepareTextureBar<false>, &Vorn::DrawRenderBars});
}

// The scaled polygon test's signature lacks its first letter, and its Not
// Random status text a letter of the name: both are the bench's own texts.
void TestRenderPolygon() {
  Run({"oid TestRenderPolygon()", "TestRenderPolygon()", "TestRenderPolgon()", "Not Random", false,
       false, 3, PreparePoly<false>, &Vorn::DrawRenderPolys});
}

void TestRenderPolygonCol() {
  Run({"void TestRenderPolygonCol()", "TestRenderPolygonCol()", "TestRenderPolygonCol()",
       "Non Random", false, false, 3, PreparePolyCol<false>, &Vorn::DrawRenderPolys});
}

void TestScreenRenderPoints() {
  Run({"void TestScreenRenderPoints()", "TestScreenRenderPoints()", "TestScreenRenderPoints()",
       "Not Random", true, false, 1, PreparePoint<true>, &Vorn::DrawScreenRenderPoints});
}

// Both line variants show the scaled test's status text.
void TestScreenRenderLines() {
  Run({"void TestScreenRenderLines()", "TestRenderLines()", "TestRenderLines()", "Not Random", true,
       false, 2, PrepareLine<true>, &Vorn::DrawScreenRenderLines});
}

void TestScreenRenderBoxes() {
  Run({"void TestScreenRenderBoxes()", "TestScreenRenderBoxes()", "TestScreenRenderBoxes()",
       "Not Random", true, false, 8, PrepareBox<true>, &Vorn::DrawScreenRenderLines});
}

void TestScreenRenderBars() {
  Run({"void TestScreenRenderBars()", "TestScreenRenderBars()", "TestScreenRenderBars()",
       "Not Random", true, false, 6, PrepareBar<true>, &Vorn::DrawScreenRenderBars});
}

void TestScreenRenderTextureBars() {
  Run({"void TestScreenRenderTextureBars()", "TestScreenRenderTextureBars()",
       "TestScreenRenderTextureBars()", "Not Random", true, true, 6, PrepareTextureBar<true>,
       &Vorn::DrawScreenRenderBars});
}

void TestScreenRenderPolygon() {
  Run({"void TestScreenRenderPolygon()", "TestScreenRenderPolygon()", "TestScreenRenderPolgon()",
       "Not Random", true, false, 3, PreparePoly<true>, &Vorn::DrawScreenRenderBars});
}

void TestScreenRenderPolygonCol() {
  Run({"void TestScreenRenderPolygonCol()", "TestScreenRenderPolygonCol()",
       "TestScreenRenderPolygonCol()", "Non Random", true, false, 3, PreparePolyCol<true>,
       &Vorn::DrawScreenRenderBars});
}
