// Text printed from the font texture as glyph quads, in scaled 2D space by
// character cell or in screen space by pixel or cell, immediately or
// prepared into a caller's list.
#include <cstring>

#include "engine/vorn.h"

namespace {

// Texture insets of a glyph's top and bottom edge within its cell: the
// immediate prints and the prepared prints cut their cells differently.
constexpr float kPrintTop = 0.002f;
constexpr float kPrintBottom = 0.062f;
constexpr float kPrepareTop = 0.01f;
constexpr float kPrepareBottom = 0.0605f;
constexpr float kGlyphWidth = 0.0582f;  // the rightmost part of each cell is cut off

struct Cell {
  float u, v;
};

Cell GlyphCell(unsigned char code, unsigned char firstChar, bool upper) {
  const unsigned g = (code - firstChar + (upper ? 128u : 0u)) & 0xFFu;
  return {static_cast<float>(g % 16) * 0.0625f, static_cast<float>(g / 16) * 0.0625f};
}

}  // namespace

// Positions advance in double so that whole cells add up exactly: with the
// default cell 84 characters fit, and the 85th starts at 1.1.
void Vorn::PrepareCellText(Render& R, const char* text, double x, float row, float top,
                           float bottom) {
  const float y = (1.0f - m_fCharHeight) - m_fCharHeight * row;  // bottom edge of the row
  const float* c = m_TextColour;
  for (const char* p = text; *p != '\0' && x < 1.1; ++p, x += m_fCharWidth) {
    const Cell cell = GlyphCell(static_cast<unsigned char>(*p), m_nFirstChar, m_bUpperGlyphs);
    const float left = static_cast<float>(x);
    // y grows upwards: the first corner is the bottom-left one.
    PrepareTextureBar(R, left, y, left + m_fCharWidth, y + m_fCharHeight, cell.u, cell.v + bottom,
                      cell.u + kGlyphWidth, cell.v + top, c[0], c[1], c[2], c[3]);
  }
}

void Vorn::PrepareScreenCellText(Render& R, const char* text, double x, float row, float top,
                                 float bottom) {
  const float y = (1.0f - m_fCharHeight) - m_fCharHeight * row;
  const float* c = m_TextColour;
  for (const char* p = text; *p != '\0' && x < 1.1; ++p, x += m_fCharWidth) {
    const Cell cell = GlyphCell(static_cast<unsigned char>(*p), m_nFirstChar, m_bUpperGlyphs);
    const float left = static_cast<float>(x);
    PrepareScreenTextureBar(R, left, y, left + m_fCharWidth, y + m_fCharHeight, cell.u,
                            cell.v + bottom, cell.u + kGlyphWidth, cell.v + top, c[0], c[1], c[2],
                            c[3]);
  }
}

void Vorn::PreparePixelText(Render& R, const char* text, float x, float y, float top, float bottom) {
  const float cw = m_fScreenWidth / m_fTextColumns;
  const float ch = m_fScreenHeight / m_fTextRows;
  const float* c = m_TextColour;
  for (const char* p = text; *p != '\0' && x <= m_fScreenWidth + cw; ++p, x += cw) {
    const Cell cell = GlyphCell(static_cast<unsigned char>(*p), m_nFirstChar, m_bUpperGlyphs);
    // y grows downwards: the first corner is the top-left one.
    PrepareScreenTextureBar(R, x, y, x + cw, y + ch, cell.u, cell.v + top, cell.u + kGlyphWidth,
                            cell.v + bottom, c[0], c[1], c[2], c[3]);
  }
}

void Vorn::TPrint(const char* text, float column, float row) {
  if (!text || text[0] == '\0' || !m_pD3DDevice) return;
  m_pD3DDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  m_TextRender.count2D = 0;
  PrepareCellText(m_TextRender, text, static_cast<double>(m_fCharWidth) * column - 1.0, row,
                  kPrintTop, kPrintBottom);
  // Even with every glyph off the screen the 2D view is selected.
  DrawList(m_p2DVB, m_TextRender.verts2D, m_TextRender.count2D, m_n2DStride, 0, D3DPT_TRIANGLELIST, 3,
           true, false);
}

void Vorn::ScreenTPrint(const char* text, float x, float y, unsigned char align) {
  if (!text || text[0] == '\0' || !m_pD3DDevice) return;
  m_pD3DDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  m_TextRender.countScreen = 0;
  const float n = static_cast<float>(std::strlen(text));
  if (m_bRelativeScaling) {
    double start = 0.0;  // an unknown alignment starts at 0 of the current mode
    if (align == 0) start = static_cast<double>(m_fCharWidth) * x - 1.0;
    if (align == 1) start = static_cast<double>(m_fCharWidth) * x - 1.0 - n * 0.5 * m_fCharWidth;
    PrepareScreenCellText(m_TextRender, text, start, y, kPrintTop, kPrintBottom);
  } else {
    const float cw = m_fScreenWidth / m_fTextColumns;
    float start = 0.0f;
    if (align == 0) start = x;
    if (align == 1) start = x - n * 0.5f * cw;
    if (start > m_fScreenWidth + cw) return;  // nothing to draw, nothing locked
    PreparePixelText(m_TextRender, text, start, y, kPrintTop, kPrintBottom);
  }
  if (m_TextRender.countScreen == 0) return;
  DrawList(m_pScreenVB, m_TextRender.vertsScreen, m_TextRender.countScreen, m_nScreenStride, 0,
           D3DPT_TRIANGLELIST, 3, false, false);
}

void Vorn::TPreparePrint(Render& R, const char* text, float column, float row) {
  if (!text) return;
  PrepareCellText(R, text, static_cast<double>(m_fCharWidth) * column - 1.0, row, kPrepareTop,
                  kPrepareBottom);
}

void Vorn::ScreenTPreparePrint(Render& R, const char* text, float x, float y) {
  if (!text) return;
  if (m_bRelativeScaling)
    PrepareScreenCellText(R, text, static_cast<double>(m_fCharWidth) * x - 1.0, y, kPrepareTop,
                          kPrepareBottom);
  else
    PreparePixelText(R, text, x, y, kPrepareTop, kPrepareBottom);
}
