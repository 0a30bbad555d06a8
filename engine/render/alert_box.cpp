// The in-scene alert box: a framed translucent panel with a message, two
// push buttons and the mouse pointer, drawn with the screen primitives.
#include <cstdio>

#include "engine/vorn.h"

namespace {

struct ButtonRect {
  float left, bottom, right, top;
};

// A button's rectangle in scaled 2D units, from its text-cell position.
ButtonRect RectOf(const Vorn& e, const AlertButton& b) {
  ButtonRect r;
  r.left = b.column * e.m_fCharWidth - 1.0f;
  r.right = r.left + b.width * e.m_fCharWidth;
  r.bottom = (1.0f - e.m_fCharHeight) - b.row * e.m_fCharHeight;
  r.top = r.bottom + b.height * e.m_fCharHeight;
  return r;
}

}  // namespace

D3DCOLOR Vorn::AlertButtonColour(AlertButtonList& list, int i) {
  const float* c = list.buttons[i].colour;
  return PackColour(c[0], c[1], c[2], c[3]);
}

bool Vorn::AlertButtonHit(AlertButtonList& list, int i, float x, float y) {
  const ButtonRect r = RectOf(*this, list.buttons[i]);
  return r.left <= x && x <= r.right && r.bottom <= y && y <= r.top;
}

int Vorn::AlertButtonUnderMouse(AlertButtonList& list, float x, float y) {
  for (int i = 0; i < list.count; ++i)
    if (AlertButtonHit(list, i, x, y)) return i;
  return -1;
}

void Vorn::DrawAlertButtons(AlertButtonList& list) {
  IDirect3DDevice9* d = m_pD3DDevice;
  if (!d) return;
  m_TextColour[0] = m_TextColour[1] = m_TextColour[2] = m_TextColour[3] = 1.0f;
  d->SetTexture(0, nullptr);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  const float pw = m_fScaleX, ph = m_fScaleY;
  for (int i = 0; i < list.count; ++i) {
    const ButtonRect r = RectOf(*this, list.buttons[i]);
    if (!list.buttons[i].pressed) {
      // The face colour as the device will see it: packed, then unpacked.
      const D3DCOLOR c = AlertButtonColour(list, i);
      DrawScreenBar(r.left, r.bottom, r.right, r.top, ((c >> 16) & 0xFF) / 255.0f,
                    ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f, (c >> 24) / 255.0f);
      DrawScreenLine(r.left - pw, r.bottom - ph, r.right + pw, r.bottom - ph, 0, 0, 0, 1);
      DrawScreenLine(r.left - pw, r.bottom - ph, r.left - pw, r.top, 0, 0, 0, 1);
      DrawScreenLine(r.right + pw, r.top, r.right + pw, r.bottom, 1, 1, 1, 1);
      DrawScreenLine(r.right + pw, r.top + ph, r.left - pw, r.top + ph, 1, 1, 1, 1);
    } else {
      DrawScreenBar(r.left, r.bottom, r.right, r.top, 1.0f, 0.3f, 0.3f, 1.0f);
      DrawScreenLine(r.left, r.bottom, r.right, r.bottom, 1, 1, 1, 1);
      DrawScreenLine(r.left, r.bottom, r.left, r.top, 1, 1, 1, 1);
      DrawScreenLine(r.right, r.top, r.right, r.bottom, 0, 0, 0, 1);
      DrawScreenLine(r.right, r.top, r.left, r.top, 0, 0, 0, 1);
    }
  }
  SetCurrentTexture(0);  // the font
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  for (int i = 0; i < list.count; ++i)
    ScreenTPrint(list.buttons[i].label, list.buttons[i].column, list.buttons[i].row, 0);
  d->SetTexture(0, nullptr);
}

void Vorn::DrawMousePointer(float x, float y) {
  IDirect3DDevice9* d = m_pD3DDevice;
  if (!d) return;
  const float s = m_fPointerScale;
  d->SetTexture(0, nullptr);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  auto arrow = [&](float X, float Y, float r, float g, float b, float a) {
    DrawScreenPoly(X, Y, X + 16 * s, Y, X + 4 * s, Y + 4 * s, r, g, b, a);
    DrawScreenPoly(X, Y, X, Y + 16 * s, X + 4 * s, Y + 4 * s, r, g, b, a);
  };
  arrow(x - 3 * s, y + 3 * s, 0.1f, 0.1f, 0.1f, 0.6f);  // the shadow
  arrow(x, y, 1, 1, 1, 1);
  DrawScreenLine(x - 1, y - 1, x + 17 * s, y - 1, 0, 0, 0, 1);
  DrawScreenLine(x - 1, y - 1, x - 1, y + 17 * s, 0, 0, 0, 1);
  DrawScreenLine(x + 5 * s, y + 4 * s, x + 17 * s, y - 1, 0, 0, 0, 1);
  DrawScreenLine(x + 5 * s, y + 4 * s, x - 1, y + 17 * s, 0, 0, 0, 1);
}

unsigned char Vorn::TAlert(const char* text, float mouseX, float mouseY, bool clicked) {
  IDirect3DDevice9* d = m_pD3DDevice;
  if (!d) return 0;
  const unsigned char firstChar = m_nFirstChar;
  const bool relative = m_bRelativeScaling;

  d->SetFVF(kFvfScreen);
  d->SetStreamSource(0, m_pScreenVB, 0, m_nScreenStride);
  d->SetRenderState(D3DRS_FOGENABLE, FALSE);
  m_bRelativeScaling = true;
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  m_fTextColumns = 80.0f;
  m_fTextRows = 50.0f;
  m_fCharWidth = 0.025f;
  m_fCharHeight = 0.04f;
  d->SetTexture(0, nullptr);

  AlertButtonList list{new AlertButton[2](), 2};
  const char* labels[2] = {" Next", " 1st"};
  const float columns[2] = {33.0f, 43.0f};
  for (int i = 0; i < 2; ++i) {
    AlertButton& b = list.buttons[i];
    b.pressed = false;
    b.column = columns[i];
    b.row = 27.0f;
    b.width = 4.5f;
    b.height = 1.0f;
    b.colour[0] = b.colour[1] = b.colour[2] = 0.5f;
    b.colour[3] = 0.7f;
    std::snprintf(b.label, sizeof b.label, "%-39s", labels[i]);
  }

  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  m_nFirstChar = 0;
  DrawScreenBar(-0.51f, -0.21f, 0.49f, 0.19f, 0.2f, 0.2f, 0.2f, 0.7f);  // the shadow
  DrawScreenBar(-0.5f, -0.2f, 0.5f, 0.2f, 0.8f, 0.8f, 0.8f, 0.7f);
  DrawScreenBox(-0.5f, -0.2f, 0.5f, 0.2f, 0, 0, 0, 1);
  for (int k = 3; k <= 5; ++k)
    DrawScreenBox(-0.5f + k * m_fScaleX, -0.2f + k * m_fScaleY, 0.5f - k * m_fScaleX, 0.2f - k * m_fScaleY,
                  0, 0, 0, 1);
  DrawAlertButtons(list);

  SetCurrentTexture(0);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  ScreenTPrint(text, 40.0f, 23.0f, 1);

  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  m_bRelativeScaling = false;
  DrawMousePointer(mouseX, mouseY);

  m_bUpperGlyphs = false;
  m_bRelativeScaling = relative;
  m_nFirstChar = firstChar;

  unsigned char result = 0;
  if (clicked) {
    const float hw = m_fScreenWidth / 2.0f, hh = m_fScreenHeight / 2.0f;
    const int i = AlertButtonUnderMouse(list, (mouseX - hw) / hw, -(mouseY - hh) / hh);
    if (i >= 0) result = static_cast<unsigned char>(i + 1);
  }
  delete[] list.buttons;
  return result;
}
