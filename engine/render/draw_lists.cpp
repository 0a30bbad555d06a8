// Drawing prepared Render lists: one lock of the list's bytes at the start
// of the shared buffer, one copy and one draw per list, or a redraw of what
// the buffer already holds.
#include <algorithm>

#include "engine/render/buffer_fill.h"
#include "engine/vorn.h"
#include "platform/win32/message_box.h"

bool Vorn::DrawList(IDirect3DVertexBuffer9* vb, const void* vertices, int available, int stride,
                    int vertcount, D3DPRIMITIVETYPE type, int perPrimitive, bool switchTo2D,
                    bool switchOnRedraw) {
  if (!m_pD3DDevice) return false;
  if (vertcount == -1) {
    // The buffer still holds what its last lock wrote. Nothing is locked
    // here, so this path never reports a failed lock; without a buffer
    // there is nothing to draw again.
    if (switchTo2D && switchOnRedraw && !m_b2DViewActive) Set2DView(1.0f, 1.0f, 1.0f);
    if (vb) m_pD3DDevice->DrawPrimitive(type, 0, static_cast<UINT>(available / perPrimitive));
    return true;
  }
  if (!vb || !vertices) return false;
  // A count beyond the list is cut to the list, never read past it.
  const int n = vertcount == 0 ? available : std::min(vertcount, available);
  // An empty list copies nothing (a lock of 0 bytes would take the whole
  // buffer) and draws nothing, but still leaves the 2D view selected, so
  // the draw that follows does not depend on the view before it.
  if (n > 0 && !FillBuffer(vb, vertices, static_cast<UINT>(n * stride))) return false;
  if (switchTo2D && !m_b2DViewActive) Set2DView(1.0f, 1.0f, 1.0f);
  if (n > 0) m_pD3DDevice->DrawPrimitive(type, 0, static_cast<UINT>(n / perPrimitive));
  return true;
}

void Vorn::DrawRenderPoints(Render& R, int vertcount) {
  DrawList(m_p2DVB, R.verts2D, R.count2D, m_n2DStride, vertcount, D3DPT_POINTLIST, 1, false, false);
}

void Vorn::DrawScreenRenderPoints(Render& R, int vertcount) {
  DrawList(m_pScreenVB, R.vertsScreen, R.countScreen, m_nScreenStride, vertcount, D3DPT_POINTLIST, 1,
           false, false);
}

void Vorn::DrawRenderLines(Render& R, int vertcount) {
  DrawList(m_p2DVB, R.verts2D, R.count2D, m_n2DStride, vertcount, D3DPT_LINELIST, 2, true, true);
}

void Vorn::DrawRenderBoxes(Render& R, int vertcount) {
  DrawList(m_p2DVB, R.verts2D, R.count2D, m_n2DStride, vertcount, D3DPT_LINELIST, 2, true, false);
}

void Vorn::DrawScreenRenderLines(Render& R, int vertcount) {
  DrawList(m_pScreenVB, R.vertsScreen, R.countScreen, m_nScreenStride, vertcount, D3DPT_LINELIST, 2,
           false, false);
}

void Vorn::DrawRenderBars(Render& R, int vertcount) {
  DrawList(m_p2DVB, R.verts2D, R.count2D, m_n2DStride, vertcount, D3DPT_TRIANGLELIST, 3, true, false);
}

void Vorn::DrawRenderPolys(Render& R, int vertcount) {
  DrawList(m_p2DVB, R.verts2D, R.count2D, m_n2DStride, vertcount, D3DPT_TRIANGLELIST, 3, true, false);
}

void Vorn::DrawScreenRenderBars(Render& R, int vertcount) {
  DrawList(m_pScreenVB, R.vertsScreen, R.countScreen, m_nScreenStride, vertcount,
           D3DPT_TRIANGLELIST, 3, false, false);
}

void Vorn::DrawRenderText(Render& R) {
  DrawList(m_p2DVB, R.verts2D, R.count2D, m_n2DStride, 0, D3DPT_TRIANGLELIST, 3, true, false);
}

void Vorn::DrawScreenRenderText(Render& R) {
  DrawList(m_pScreenVB, R.vertsScreen, R.countScreen, m_nScreenStride, 0, D3DPT_TRIANGLELIST, 3,
           false, false);
}

void Vorn::DrawPoly3D(Render& R, int vertcount, D3DPRIMITIVETYPE type) {
  if (!DrawList(m_p3DVB, R.verts3D, R.count3D, m_n3DStride, vertcount, type, 3, false, false))
    MessageBoxA(nullptr,
                "Failed to lock\nVornel::DrawPoly3D(Render &R,int vertcount,D3DPRIMITIVETYPE DT)",
                "Fail!", MB_OK);
}
