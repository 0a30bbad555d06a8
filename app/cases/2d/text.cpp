// The text tests: "Hello There" (or the screen texts) in random colours at
// random cells of a 40 x 20 grid, printed at once or prepared into a list,
// over a dimmed picture drawn in the set-up frame.
#include <cstring>

#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/window/status_texts.h"
#include "app/cases/2d/local_render.h"
#include "app/cases/2d/random_values.h"
#include "app/cases/2d/test_frame.h"
#include "app/cases/2d/cases_2d.h"
#include "engine/vorn.h"

namespace {

constexpr const char* kHello = "Hello There";
constexpr int kColumns = 40;
constexpr int kRows = 20;
constexpr int kBackgroundSlot = 3;
// Every glyph is one textured bar of six vertices.
constexpr int kGlyphVertices = 6;

void SetTextGrid() {
  Vorn& e = g_Engine;
  e.m_fTextColumns = static_cast<float>(kColumns);
  e.m_fTextRows = static_cast<float>(kRows);
  e.m_fCharWidth = 0.05f;
  e.m_fCharHeight = 0.1f;
  e.m_bUpperGlyphs = false;
  e.m_nFirstChar = 0;
}

void SetRandomTextColour() {
  const float r = RandomComponent(), g = RandomComponent(), b = RandomComponent();
  float* c = g_Engine.m_TextColour;
  c[0] = r;
  c[1] = g;
  c[2] = b;
  c[3] = 1.0f;
}

// The dimmed slot-3 picture over the whole view.
void DrawBackground(bool screen) {
  Vorn& e = g_Engine;
  e.SetCurrentTexture(kBackgroundSlot);
  if (!screen) {
    e.DrawTextureBar(-1, 1, 1, -1, 0, 0, 1, 1, 0.5f, 0.5f, 0.5f, 1.0f);
  } else if (e.m_bRelativeScaling) {
    e.DrawScreenTextureBar(-1, 1, 1, -1, 0, 0, 1, 1, 0.5f, 0.5f, 0.5f, 1.0f);
  } else {
    e.DrawScreenTextureBar(0, 0, static_cast<float>(g_Harness.resolutionWidth),
                           static_cast<float>(g_Harness.resolutionHeight), 0, 0, 1, 1, 0.5f, 0.5f,
                           0.5f, 1.0f);
  }
  e.m_nCurrentTexture = 0;
}

// The frame up to the text itself: the grid, the view, the status texts and
// background on set-up, the blend factors and the font.
void BeginTextFrame(bool screen, const char* signature, const char* status, const char* mode) {
  SetTextGrid();
  const bool init = screen ? BeginScreenFrame(signature) : BeginScaledFrame(signature);
  IDirect3DDevice9* d = g_Engine.m_pD3DDevice;
  if (init) {
    SetStatusTexts(status, g_Harness.transparentText ? "Transparent Text ON" : "Transparent Text OFF",
                   mode, nullptr);
    DrawBackground(screen);
  }
  // Additive text: the black cell backgrounds add nothing.
  if (g_Harness.transparentText) {
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  }
  // The prepared lists draw without the print operations' blend switch.
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetTexture(0, g_Engine.m_pTextures ? g_Engine.m_pTextures[0] : nullptr);
}

void EndTextFrame() {
  IDirect3DDevice9* d = g_Engine.m_pD3DDevice;
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  EndTestFrame();
}

// One screen text at a random cell while relative scaling is on, otherwise
// at a random pixel. Printed at once it says where it is ("Scaled" or
// "Screen Space"); prepared it is the scaled test's "Hello There".
void PrepareOrPrintScreen(Render* list) {
  Vorn& e = g_Engine;
  SetRandomTextColour();
  const bool relative = e.m_bRelativeScaling;
  const int x = relative ? RandomBelow(kColumns) : RandomBelow(g_Harness.resolutionWidth);
  const int y = relative ? RandomBelow(kRows) : RandomBelow(g_Harness.resolutionHeight);
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  if (list)
    e.ScreenTPreparePrint(*list, kHello, fx, fy);
  else
    e.ScreenTPrint(relative ? "Scaled" : "Screen Space", fx, fy, 0);
}

void PrepareOrPrintScaled(Render* list) {
  SetRandomTextColour();
  const float column = static_cast<float>(RandomBelow(kColumns));
  const float row = static_cast<float>(RandomBelow(kRows));
  if (list)
    g_Engine.TPreparePrint(*list, kHello, column, row);
  else
    g_Engine.TPrint(kHello, column, row);
}

void RunPrint(bool screen, const char* signature, const char* status) {
  if (!DeviceReady()) return;
  BeginTextFrame(screen, signature, status, "");
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) {
    if (screen)
      PrepareOrPrintScreen(nullptr);
    else
      PrepareOrPrintScaled(nullptr);
  }
  EndTextFrame();
}

void PrepareTexts(bool screen, Render& list) {
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) {
    if (screen)
      PrepareOrPrintScreen(&list);
    else
      PrepareOrPrintScaled(&list);
  }
}

void DrawTexts(bool screen, Render& list) {
  if (screen)
    g_Engine.DrawScreenRenderText(list);
  else
    g_Engine.DrawRenderText(list);
}

void RunPrepare(bool screen, const char* signature, const char* status) {
  if (!DeviceReady()) return;
  const bool random = g_Harness.random;
  BeginTextFrame(screen, signature, status, random ? "Random" : "Not Random");
  if (random) {
    // Room for every text of the frame, as far as the vertex buffer takes
    // it in one lock (LocalRender caps the size); texts past that are
    // dropped glyph by glyph.
    const int glyphs = static_cast<int>(std::strlen(kHello));
    const int wanted = glyphs * kGlyphVertices * static_cast<int>(g_Harness.callsPerFrame) + 2;
    LocalRender list(screen, wanted, &g_Engine);
    PrepareTexts(screen, list.get());
    DrawTexts(screen, list.get());
  } else {
    Render& shared = g_SharedRender;
    if (g_Harness.needsInit) {
      if (screen)
        shared.ClearScreenList();
      else
        shared.Clear2D();
      PrepareTexts(screen, shared);
      g_Harness.needsInit = false;
    }
    DrawTexts(screen, shared);
  }
  EndTextFrame();
}

}  // namespace

void TestTPrint() { RunPrint(false, "void TestTPrint()", "TestTPrint()"); }

void TestScreenTPrint() { RunPrint(true, "void TestScreenTPrint()", "TestScreenTPrint()"); }

void TestTPrintPrepare() { RunPrepare(false, "void TestTPrintPrepare()", "TestTPrintPrepare()"); }

void TestScreenTPrintPrepare() {
  RunPrepare(true, "void TestScreenTPrintPrepare()", "TestScreenTPrintPrepare()");
}
