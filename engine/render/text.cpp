// Text printed from the font texture as glyph quads in scaled 2D space.
#include "engine/vorn.h"

void Vorn::TPrint(const char* text, float column, float row) {
  if (!text || text[0] == '\0' || !m_pD3DDevice) return;
  m_pD3DDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  m_TextRender.count2D = 0;
  // Positions advance in double so that whole cells add up exactly: with the
  // default cell 84 characters fit, and the 85th starts at 1.1.
  double x = static_cast<double>(m_fCharWidth) * column - 1.0;
  const float y = (1.0f - m_fCharHeight) - m_fCharHeight * row;  // bottom edge of the row
  for (const char* c = text; *c != '\0' && x < 1.1f; ++c) {
    const unsigned g = (static_cast<unsigned char>(*c) - m_nFirstChar + (m_bUpperGlyphs ? 128u : 0u)) & 0xFFu;
    const float u = static_cast<float>(g % 16) * 0.0625f;
    const float v = static_cast<float>(g / 16) * 0.0625f;
    const float left = static_cast<float>(x);
    PrepareTextureBar(m_TextRender, left, y, left + m_fCharWidth, y + m_fCharHeight, u, v + 0.062f,
                      u + 0.0582f, v + 0.002f, m_TextColour[0], m_TextColour[1], m_TextColour[2],
                      m_TextColour[3]);
    x += m_fCharWidth;
  }
  if (m_TextRender.count2D == 0) return;
  DrawList(m_p2DVB, m_TextRender.verts2D, m_TextRender.count2D, m_n2DStride, 0, D3DPT_TRIANGLELIST, 3,
           true, false);
}
