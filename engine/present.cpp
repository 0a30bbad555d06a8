// Frame presentation: clearing, opening and closing scenes, and presenting
// the back buffer whole or scaled into a rectangle of the window.
#include "engine/vorn.h"
#include "log/event_log.h"

void Vorn::ClearScreen() {
  if (!m_pD3DDevice) return;
  m_pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000,
                      1.0f, 0);
}

HRESULT Vorn::BeginScene() {
  if (m_bInScene) return D3DERR_INVALIDCALL;
  m_bInScene = true;  // stays set even if the device refuses
  return m_pD3DDevice ? m_pD3DDevice->BeginScene() : D3DERR_INVALIDCALL;
}

HRESULT Vorn::EndScene() {
  if (!m_bInScene) return D3DERR_INVALIDCALL;
  m_bInScene = false;
  return m_pD3DDevice ? m_pD3DDevice->EndScene() : D3DERR_INVALIDCALL;
}

void Vorn::ScreenSwap() {
  if (m_bInScene) {
    LogText("!: Screenswap during a scene is not allowed");
    return;
  }
  // The result is not examined: CheckDeviceCaps notices a lost device.
  if (m_pD3DDevice) m_pD3DDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void Vorn::ScreenSwap(int right, int bottom) {
  if (m_bInScene) {
    LogText("!: Screenswap during a scene is not allowed");
    return;
  }
  if (m_PresentParams.SwapEffect == D3DSWAPEFFECT_COPY) {
    RECT destination = {0, 0, right, bottom};
    if (m_pD3DDevice) m_pD3DDevice->Present(nullptr, &destination, m_hwnd, nullptr);
    return;
  }
  if (!m_bPainting) LogText("#: Cannot flip a screen section, defaulting to ScreenSwap()");
  ScreenSwap();
}
