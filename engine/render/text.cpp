// Text printed from the font texture as glyph quads in scaled 2D space.
#include <cstring>

#include "engine/vorn.h"

void Vorn::TPrint(const char* text, float column, float row) {
  if (!text || text[0] == '\0' || !m_pD3DDevice) return;
  m_pD3DDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  m_TextRender.count2D = 0;
  float x = m_fCharWidth * column - 1.0f;
  const float y = (1.0f - m_fCharHeight) - m_fCharHeight * row;  // bottom edge of the row
  for (const char* c = text; *c != '\0' && x < 1.1f; ++c) {
    const unsigned g = (static_cast<unsigned char>(*c) - m_nFirstChar + (m_bUpperGlyphs ? 128u : 0u)) & 0xFFu;
    const float u = static_cast<float>(g % 16) * 0.0625f;
    const float v = static_cast<float>(g / 16) * 0.0625f;
    PrepareTextureBar(m_TextRender, x, y, x + m_fCharWidth, y + m_fCharHeight, u, v + 0.062f,
                      u + 0.0582f, v + 0.002f, m_TextColour[0], m_TextColour[1], m_TextColour[2],
                      m_TextColour[3]);
    x += m_fCharWidth;
  }
  if (!m_p2DVB || m_TextRender.count2D == 0) return;
  const UINT bytes = static_cast<UINT>(m_TextRender.count2D * m_n2DStride);
  void* data = nullptr;
  if (FAILED(m_p2DVB->Lock(0, bytes, &data, 0)) || !data) return;
  std::memcpy(data, m_TextRender.verts2D, bytes);
  m_p2DVB->Unlock();
  if (!m_b2DViewActive) Set2DView(1.0f, 1.0f, 1.0f);
  m_pD3DDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(m_TextRender.count2D / 3));
}
