// Texture copies and scrolling between table slots: the render path draws
// the source as a screen quad into a render-target destination, the D3DX
// path copies surfaces.
#include <algorithm>
#include <cstdio>

#include "engine/d3d9/com_helpers.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/message_box.h"

namespace {

int g_SectionAlertAnswer = IDRETRY;

struct DeviceFilters {
  DWORD mag, min, mip;
};

// The device filters that stand for a D3DX copy filter.
DeviceFilters FiltersFor(DWORD copyFilter) {
  switch (copyFilter) {
    case D3DX_FILTER_NONE:
    case D3DX_FILTER_POINT: return {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT};
    case D3DX_FILTER_LINEAR: return {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR};
    default: return {D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR};
  }
}

D3DSURFACE_DESC Level0(IDirect3DTexture9* t) {
  D3DSURFACE_DESC d{};
  if (t) t->GetLevelDesc(0, &d);
  return d;
}

IDirect3DSurface9* Surface0(IDirect3DTexture9* t) {
  IDirect3DSurface9* s = nullptr;
  if (t) t->GetSurfaceLevel(0, &s);
  return s;
}

// The limits are compared unsigned: a negative start makes the sum large.
UINT UnsignedMin(int a, UINT b) { return std::min(static_cast<UINT>(a), b); }

}  // namespace

void Vorn::SetScreenCopyState(bool relative) {
  if (m_pD3DDevice) {
    m_pD3DDevice->SetFVF(kFvfScreen);
    m_pD3DDevice->SetStreamSource(0, m_pScreenVB, 0, m_nScreenStride);
    m_pD3DDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
  }
  m_bRelativeScaling = relative;
}

void Vorn::SetCurrentTexture(int index) {
  if (m_pD3DDevice && ValidSlot(index)) m_pD3DDevice->SetTexture(0, m_pTextures[index]);
  m_nCurrentTexture = index;
}

void Vorn::RestoreBackBuffer() {
  if (m_pD3DDevice) m_pD3DDevice->SetRenderTarget(0, m_pBackBuffer);
}

void Vorn::RenderCopy(IDirect3DTexture9* src, int srcIndex, IDirect3DSurface9* target, bool clear,
                      const CopyQuad& q, bool setMaxMipLevel, bool pointFilter) {
  IDirect3DDevice9* d = m_pD3DDevice;
  if (!d || !target) return;
  const bool relative = m_bRelativeScaling;
  const int current = m_nCurrentTexture;
  d->SetRenderTarget(0, target);
  if (clear) d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
  d->SetTexture(0, src);
  m_nCurrentTexture = srcIndex;

  const D3DSAMPLERSTATETYPE saved[] = {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_MAGFILTER,
                                       D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER, D3DSAMP_MAXMIPLEVEL};
  const int count = setMaxMipLevel ? 6 : 5;
  DWORD values[6] = {};
  for (int i = 0; i < count; ++i) d->GetSamplerState(0, saved[i], &values[i]);
  DeviceFilters f = FiltersFor(m_CopyFilter);
  if (pointFilter) f.mag = f.min = D3DTEXF_POINT;
  d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  d->SetSamplerState(0, D3DSAMP_MAGFILTER, f.mag);
  d->SetSamplerState(0, D3DSAMP_MINFILTER, f.min);
  d->SetSamplerState(0, D3DSAMP_MIPFILTER, f.mip);
  if (setMaxMipLevel) d->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);

  SetScreenCopyState(false);
  if (!m_bInScene) {
    m_bInScene = true;
    d->BeginScene();
  }
  DrawScreenTextureBar(q.x1, q.y1, q.x2, q.y2, q.u1, q.v1, q.u2, q.v2, 1.0f, 1.0f, 1.0f, 1.0f);
  if (m_bInScene) {
    m_bInScene = false;
    d->EndScene();
  }
  RestoreBackBuffer();
  SetCurrentTexture(current);
  for (int i = 0; i < count; ++i) d->SetSamplerState(0, saved[i], values[i]);
  m_bRelativeScaling = relative;
}

void Vorn::MakeCopyDestination(int src, int dest, const char* note, bool renderTarget) {
  if (!m_bPainting) LogText(note);
  const D3DSURFACE_DESC s = Level0(m_pTextures[src]);
  const DWORD usage = renderTarget ? D3DUSAGE_RENDERTARGET : s.Usage;
  const D3DPOOL pool = renderTarget ? D3DPOOL_DEFAULT : s.Pool;
  D3DXCreateTexture(m_pD3DDevice, s.Width, s.Height, 0, usage, s.Format, pool, &m_pTextures[dest]);
}

void Vorn::CopyTexture(int src, int dest) {
  if (!ValidSlot(src) || !ValidSlot(dest) || !m_pTextures[src]) return;
  if (!m_pTextures[dest])
    MakeCopyDestination(src, dest,
                        "#: Destination texture was NULL, making new texture from source attributes "
                        "(Vorn::CopyTexture(src,dest)",
                        m_bFastCopy || m_TextureUsage == D3DUSAGE_RENDERTARGET);
  if (!m_pTextures[dest]) return;
  const D3DSURFACE_DESC dd = Level0(m_pTextures[dest]);
  IDirect3DSurface9* from = Surface0(m_pTextures[src]);
  IDirect3DSurface9* to = Surface0(m_pTextures[dest]);
  if ((dd.Usage & D3DUSAGE_RENDERTARGET) && m_bFastCopy) {
    const CopyQuad q = {0, 0, static_cast<float>(dd.Width), static_cast<float>(dd.Height), 0, 0, 1, 1};
    RenderCopy(m_pTextures[src], src, to, true, q, false, false);
  } else if (from && to) {
    D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, m_CopyFilter, 0);
  }
  SafeRelease(from);
  SafeRelease(to);
}

void Vorn::CopyTexture(int src, int dest, int x, int y, int w, int h) {
  if (!ValidSlot(src) || !ValidSlot(dest) || !m_pTextures[src]) return;
  bool render = false;
  if (!m_pTextures[dest]) {
    MakeCopyDestination(src, dest,
                        "#: Destination texture was NULL, making new texture from source attributes "
                        "(Vorn::CopyTexture(src,dest,int,int,int,int)",
                        true);
    render = true;
  }
  if (!m_pTextures[dest]) return;
  const D3DSURFACE_DESC dd = Level0(m_pTextures[dest]);
  render = render || ((dd.Usage & D3DUSAGE_RENDERTARGET) && m_bFastCopy);
  const UINT right = UnsignedMin(x + w, dd.Width);
  const UINT bottom = UnsignedMin(y + h, dd.Height);
  IDirect3DSurface9* from = Surface0(m_pTextures[src]);
  IDirect3DSurface9* to = Surface0(m_pTextures[dest]);
  if (render) {
    const CopyQuad q = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(right),
                        static_cast<float>(bottom), 0, 0, 1, 1};
    RenderCopy(m_pTextures[src], src, to, false, q, true, false);
  } else if (from && to) {
    const RECT rect = {x, y, static_cast<LONG>(right), static_cast<LONG>(bottom)};
    D3DXLoadSurfaceFromSurface(to, nullptr, &rect, from, nullptr, nullptr, m_CopyFilter, 0);
  }
  SafeRelease(from);
  SafeRelease(to);
}

void Vorn::CopyTexture(int src, float fx, float fy, float fw, float fh) {
  if (!ValidSlot(6) || !m_pTextures[6]) return;
  const D3DSURFACE_DESC d = Level0(m_pTextures[6]);
  const float W = static_cast<float>(d.Width);
  const float H = static_cast<float>(d.Height);
  CopyTexture(src, 6, static_cast<int>(fx * W), static_cast<int>(fy * H), static_cast<int>(fw * W),
              static_cast<int>(fh * H));
}

void Vorn::CopyTextureSection(int src, int dest, int x, int y, int w, int h) {
  if (!ValidSlot(src) || !ValidSlot(dest) || !m_pTextures[src]) return;
  bool render = false;
  if (!m_pTextures[dest]) {
    MakeCopyDestination(src, dest,
                        "#: Destination texture was NULL, making new texture from source attributes "
                        "(Vorn::CopyTextureSection(src,dest,int,int,int,int)",
                        true);
    render = true;
  }
  if (!m_pTextures[dest]) return;
  const D3DSURFACE_DESC sd = Level0(m_pTextures[src]);
  const D3DSURFACE_DESC dd = Level0(m_pTextures[dest]);
  render = render || ((dd.Usage & D3DUSAGE_RENDERTARGET) && m_bFastCopy);
  const UINT x2 = UnsignedMin(x + w, sd.Width);
  const UINT y2 = UnsignedMin(y + h, sd.Height);
  IDirect3DSurface9* from = Surface0(m_pTextures[src]);
  IDirect3DSurface9* to = Surface0(m_pTextures[dest]);
  if (render) {
    const float sw = static_cast<float>(sd.Width), sh = static_cast<float>(sd.Height);
    const CopyQuad q = {0, 0, static_cast<float>(dd.Width), static_cast<float>(dd.Height), x / sw, y / sh,
                        static_cast<float>(x2) / sw, static_cast<float>(y2) / sh};
    RenderCopy(m_pTextures[src], src, to, true, q, false, false);
  } else {
    if (!from || !to)
      LogText("!: Src or Dest Surface is NULL in Vornel::CopyTextureSection(int srci,int desti,int,int,int,int)");
    const RECT rect = {x, y, static_cast<LONG>(x2), static_cast<LONG>(y2)};
    HRESULT hr = (from && to)
                     ? D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, &rect, m_CopyFilter, 0)
                     : D3DERR_INVALIDCALL;
    if (FAILED(hr) && g_SectionAlertAnswer == IDRETRY)
      g_SectionAlertAnswer = MessageBoxA(m_hwnd, "The RECT specified is of zero area.", m_szCaption,
                                         MB_RETRYCANCEL | MB_ICONINFORMATION);
  }
  SafeRelease(from);
  SafeRelease(to);
}

void Vorn::CopyTextureSectionTo(int src, int dest, int sx, int sy, int w, int h, int dx, int dy) {
  if (!ValidSlot(src) || !ValidSlot(dest) || !m_pTextures[src]) return;
  if (!m_pTextures[dest]) {
    if (g_LoadAlertAnswer == IDRETRY)
      g_LoadAlertAnswer = MessageBoxA(
          m_hwnd,
          "Destination texture is NULL,\nCannot copy to a section of nothing!\n Create a texture of the "
          "required size before calling this function\n[search for CTSD1]",
          m_szCaption, MB_RETRYCANCEL | MB_ICONEXCLAMATION);
    return;
  }
  if (w == 0 || h == 0) return;
  const D3DSURFACE_DESC sd = Level0(m_pTextures[src]);
  const D3DSURFACE_DESC dd = Level0(m_pTextures[dest]);
  const int sw = static_cast<int>(sd.Width), sh = static_cast<int>(sd.Height);
  const int dw = static_cast<int>(dd.Width), dh = static_cast<int>(dd.Height);
  const bool render = (dd.Usage & D3DUSAGE_RENDERTARGET) && m_bFastCopy;
  if (render) {
    if (sx + w > sw) w = sw - sx;
    if (sy + h > sh) h = sh - sy;
  }
  if (dy + h > dh) h = dh - dy;
  if (dy < 0) {
    sy -= dy;
    h += dy;
    dy = 0;
  }
  if (dx + w > dw) w = dw - dx;
  if (dx < 0) {
    sx -= dx;
    w += dx;
    dx = 0;
  }
  if (w <= 0 || h <= 0) return;
  IDirect3DSurface9* from = Surface0(m_pTextures[src]);
  IDirect3DSurface9* to = Surface0(m_pTextures[dest]);
  if (render) {
    const float fw = static_cast<float>(sw), fh = static_cast<float>(sh);
    const CopyQuad q = {static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dx + w),
                        static_cast<float>(dy + h), sx / fw, sy / fh, (sx + w) / fw, (sy + h) / fh};
    RenderCopy(m_pTextures[src], src, to, false, q, false, false);
  } else if (from && to) {
    const RECT dr = {dx, dy, dx + w, dy + h};
    const RECT sr = {sx, sy, sx + w, sy + h};
    D3DXLoadSurfaceFromSurface(to, nullptr, &dr, from, nullptr, &sr, m_CopyFilter, 0);
  }
  SafeRelease(from);
  SafeRelease(to);
}

void Vorn::ScrollTexture(int dx, int dy) {
  if (!ValidSlot(6) || !m_pTextures[6] || !m_pD3DDevice) return;
  IDirect3DTexture9*& slot = m_pTextures[6];
  const D3DSURFACE_DESC d = Level0(slot);
  const float W = static_cast<float>(d.Width), H = static_cast<float>(d.Height);
  if ((d.Usage & D3DUSAGE_RENDERTARGET) && m_bFastCopy) {
    IDirect3DTexture9* scrolled = nullptr;
    HRESULT hr = D3DXCreateTexture(m_pD3DDevice, d.Width, d.Height, 0, D3DUSAGE_RENDERTARGET, d.Format,
                                   D3DPOOL_DEFAULT, &scrolled);
    if (FAILED(hr) || !scrolled) {
      LogResultName(hr);
      return;
    }
    // Edge pixels repeat into the uncovered strip: addressing is clamped.
    IDirect3DSurface9* to = Surface0(scrolled);
    const CopyQuad q = {0, 0, W, H, dx / W, -dy / H, 1.0f + dx / W, 1.0f - dy / H};
    RenderCopy(slot, 6, to, false, q, false, true);
    SafeRelease(to);
    SafeRelease(slot);
    slot = scrolled;
    SetCurrentTexture(6);
    return;
  }
  // The D3DX path copies the slot onto itself; the uncovered strip keeps
  // its old pixels.
  const LONG w = static_cast<LONG>(d.Width), h = static_cast<LONG>(d.Height);
  const LONG ax = std::min<LONG>(std::abs(dx), w), ay = std::min<LONG>(std::abs(dy), h);
  RECT sr = {0, 0, w, h}, dr = {0, 0, w, h};
  if (dx > 0) sr.left = ax, dr.right = w - ax;
  if (dx < 0) sr.right = w - ax, dr.left = ax;
  if (dy > 0) sr.bottom = h - ay, dr.top = ay;
  if (dy < 0) sr.top = ay, dr.bottom = h - ay;
  IDirect3DSurface9* s = Surface0(slot);
  if (s) D3DXLoadSurfaceFromSurface(s, nullptr, &dr, s, nullptr, &sr, D3DX_FILTER_POINT, 0);
  SafeRelease(s);
}
