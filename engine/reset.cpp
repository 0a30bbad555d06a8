// Device loss, reset and resolution change: releasing what a reset would
// invalidate, carrying default-pool textures across it, the cooperative
// level check with its caps report, and the final release.
#include <cstdio>

#include "engine/d3d9/com_helpers.h"
#include "engine/shadow_volume.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/message_box.h"

namespace {

// The window's last windowed placement, kept between resolution changes.
RECT g_WindowMemory = {0, 0, 0, 0};
bool g_WindowGeometrySet = false;

// Copies level 0 of one texture into level 0 of another, whole surfaces,
// point filtered. Failures are not examined: the texture comes back empty.
void CopyLevel0(IDirect3DTexture9* from, IDirect3DTexture9* to) {
  if (!from || !to) return;
  IDirect3DSurface9* src = nullptr;
  IDirect3DSurface9* dst = nullptr;
  from->GetSurfaceLevel(0, &src);
  to->GetSurfaceLevel(0, &dst);
  if (src && dst) D3DXLoadSurfaceFromSurface(dst, nullptr, nullptr, src, nullptr, nullptr, D3DX_FILTER_POINT, 0);
  SafeRelease(src);
  SafeRelease(dst);
}

// Replaces the slot's texture by a one-level texture of the record's size
// and format in the given usage and pool, carrying level 0 over through a
// managed copy.
void Recreate(IDirect3DDevice9* device, IDirect3DTexture9*& slot, const TextureBackup& b, DWORD usage,
              D3DPOOL pool) {
  const D3DFORMAT format = static_cast<D3DFORMAT>(b.Format);
  IDirect3DTexture9* temp = nullptr;
  D3DXCreateTexture(device, b.Width, b.Height, 1, 0, format, D3DPOOL_MANAGED, &temp);
  CopyLevel0(slot, temp);
  SafeRelease(slot);
  D3DXCreateTexture(device, b.Width, b.Height, 1, usage, format, pool, &slot);
  CopyLevel0(temp, slot);
  SafeRelease(temp);
}

}  // namespace

void ResetEngineGlobalsForTesting() {
  g_SceneAlertAnswer = IDRETRY;
  g_LoadAlertAnswer = IDRETRY;
  g_WorkingTextureFile = "pic5.bmp";
  g_WindowMemory = RECT{0, 0, 0, 0};
  g_WindowGeometrySet = false;
}

void Vorn::ClearVolatiles() {
  LogText("S: Vornel::ClearVolatiles()");
  SafeRelease(m_pRenderToSurface);
  SafeRelease(m_pRenderSurface);
  SafeRelease(m_pRenderToTexture);
  SafeRelease(m_pBackBuffer);
  for (FLATVNMesh& mesh : m_FlatMeshes) mesh.FLATRelease();
  ReleaseLogged(m_pPointSpriteVB, "POINTSPRITE buffer deleted");
  ReleaseLogged(m_pIndexBuffer, "INDEX buffer deleted");
  ReleaseLogged(m_p3DVB, "3DVERTEXBUFFER buffer deleted");
  ReleaseLogged(m_p2DVB, "2DVERTEXBUFFER buffer deleted");
  ReleaseLogged(m_pScreenVB, "SCREEN_VERTEX buffer deleted");
  ReleaseLogged(m_pTextureFileBuffer, "TextureFilebuffer deleted.");
  LogText("E: Vornel::ClearVolatiles()");
}

// Records still waiting for their restore (a reset that failed and is
// retried) are kept: the retry finds every texture managed already, and
// without the earlier records the textures would never return to their pool.
void Vorn::BackupTextures() {
  if (!m_pTextures || !m_pD3DDevice) return;
  auto recorded = [this](int index) {
    for (int k = 0; k < m_nTextureBackups; ++k)
      if (m_pTextureBackups[k].index == index) return true;
    return false;
  };
  int count = m_nTextureBackups;
  for (int i = 0; i < m_nTextures; ++i) {
    D3DSURFACE_DESC desc{};
    if (m_pTextures[i] && SUCCEEDED(m_pTextures[i]->GetLevelDesc(0, &desc)) &&
        desc.Pool != D3DPOOL_MANAGED && !recorded(i))
      ++count;
  }
  TextureBackup* records = new TextureBackup[count + 1]();
  for (int k = 0; k < m_nTextureBackups; ++k) records[k] = m_pTextureBackups[k];
  delete[] m_pTextureBackups;
  m_pTextureBackups = records;
  const int first = m_nTextureBackups;
  for (int i = 0; i < m_nTextures; ++i) {
    D3DSURFACE_DESC desc{};
    if (!m_pTextures[i] || FAILED(m_pTextures[i]->GetLevelDesc(0, &desc)) ||
        desc.Pool == D3DPOOL_MANAGED || recorded(i))
      continue;
    TextureBackup& b = m_pTextureBackups[m_nTextureBackups++];
    b.Format = desc.Format;
    b.Type = desc.Type;
    b.Usage = desc.Usage;
    b.Pool = desc.Pool;
    b.MultiSampleType = desc.MultiSampleType;
    b.MultiSampleQuality = desc.MultiSampleQuality;
    b.Width = desc.Width;
    b.Height = desc.Height;
    b.index = i;
  }

  for (int k = first; k < m_nTextureBackups; ++k) {
    const TextureBackup& b = m_pTextureBackups[k];
    IDirect3DTexture9*& slot = m_pTextures[b.index];
    if (m_bDumpTexturesOnReset) {
      char name[32];
      std::snprintf(name, sizeof name, "~before%03d.jpg", k);
      D3DXSaveTextureToFileA(name, D3DXIFF_BMP, slot, nullptr);
    }
    Recreate(m_pD3DDevice, slot, b, 0, D3DPOOL_MANAGED);
  }
}

void Vorn::RestoreTextures() {
  if (m_pTextures && m_pD3DDevice) {
    for (int k = 0; k < m_nTextureBackups; ++k) {
      const TextureBackup& b = m_pTextureBackups[k];
      if (b.index < 0 || b.index >= m_nTextures) continue;
      IDirect3DTexture9*& slot = m_pTextures[b.index];
      // A slot emptied or refilled since its backup is left as it is now.
      D3DSURFACE_DESC now{};
      if (!slot || FAILED(slot->GetLevelDesc(0, &now)) || now.Width != b.Width ||
          now.Height != b.Height || static_cast<DWORD>(now.Format) != b.Format)
        continue;
      Recreate(m_pD3DDevice, slot, b, b.Usage, static_cast<D3DPOOL>(b.Pool));
    }
  }
  delete[] m_pTextureBackups;
  m_pTextureBackups = nullptr;
  m_nTextureBackups = 0;
}

void Vorn::ReloadFlatMeshes() {
  for (FLATVNMesh& mesh : m_FlatMeshes) {
    mesh.FLATRelease();
    if (mesh.m_szFileName[0] != '\0') mesh.FLATLoad(mesh.m_szFileName);
  }
}

void Vorn::RefillShadowQuad() {
  if (m_pShadow) m_pShadow->RefillQuad(m_fScreenWidth, m_fScreenHeight);
}

void Vorn::SetRez(int width, int height) {
  char size[64];
  std::snprintf(size, sizeof size, "%d,%d", width, height);
  LogString("S: Vorn::SetRez(%s)", size);
  std::snprintf(m_szCaption, sizeof m_szCaption, "%s", "Vorn::SetRez(int,int)");

  for (;;) {
    m_fScreenWidth = static_cast<float>(width);
    m_fScreenHeight = static_cast<float>(height);
    m_PresentParams.BackBufferWidth = static_cast<UINT>(m_fScreenWidth);
    m_PresentParams.BackBufferHeight = static_cast<UINT>(m_fScreenHeight);
    if (m_bWindowed && g_WindowGeometrySet) {
      g_WindowMemory.left = 0;
      g_WindowMemory.top = 0;
    }
    m_PresentParams.Windowed = m_bWindowed;
    if (m_bWindowed) m_PresentParams.hDeviceWindow = m_hwnd;

    ClearVolatiles();
    if (!m_PresentParams.Windowed && g_WindowGeometrySet) GetWindowRect(m_hwnd, &g_WindowMemory);
    BackupTextures();

    if (!m_pD3DDevice) {
      // No device to reset: the start-up failure has been reported already.
      LogText("!: Vorn::SetRez() without a device");
      LogText("E: Vorn::SetRez()");
      return;
    }

    HRESULT hr = m_pD3DDevice->Reset(&m_PresentParams);
    if (hr == D3D_OK) {
      LogInt("reset is D3D_OK. Windowed status=%d", m_bWindowed);
      m_fScaleX = 2.01f / m_fScreenWidth;
      m_fScaleY = 2.01f / m_fScreenHeight;
      InitScene();
      CheckDeviceCaps();
      m_pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                          0xFF000000, 1.0f, 0);
      ScreenSwap();
      m_pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                          0xFF000000, 1.0f, 0);
      RestoreTextures();
      ReloadFlatMeshes();
      RefillShadowQuad();

      if (m_bWindowed && m_bResizeWindow) {
        SetWindowLongA(m_hwnd, GWL_STYLE, WS_OVERLAPPEDWINDOW);
        SetWindowPos(m_hwnd, HWND_NOTOPMOST, 0, 0, m_DesktopRect.right, m_DesktopRect.bottom,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED);
        if (g_WindowMemory.right != 0 && g_WindowMemory.bottom != 0) {
          SetWindowPos(m_hwnd, HWND_NOTOPMOST, g_WindowMemory.left, g_WindowMemory.top,
                       g_WindowMemory.right - g_WindowMemory.left,
                       g_WindowMemory.bottom - g_WindowMemory.top, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
        } else {
          SetWindowPos(m_hwnd, HWND_NOTOPMOST, (m_DesktopRect.right - width) / 2,
                       (m_DesktopRect.bottom - height) / 2, width, height,
                       SWP_SHOWWINDOW | SWP_FRAMECHANGED);
        }
        g_WindowGeometrySet = true;
      } else if (m_bWindowed) {
        g_WindowGeometrySet = true;
      } else {
        SetWindowLongA(m_hwnd, GWL_STYLE, WS_POPUP | WS_BORDER | WS_SYSMENU);
        SetWindowPos(m_hwnd, HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        g_WindowGeometrySet = false;
      }
    } else if (hr == D3DERR_INVALIDCALL) {
      LogInt("#:Invalid call. Windowed status=%d", m_bWindowed);
      if (width != 640 || height != 480) {
        width = 640;
        height = 480;
        continue;  // the whole sequence again at 640 x 480
      }
      InitScene();
      CheckDeviceCaps();
    } else if (hr == D3DERR_DRIVERINTERNALERROR) {
      LogInt("#:Reset is D3DERR_DRIVERINTERNALERROR Windowed status=%d", m_bWindowed);
      MessageBoxA(m_hwnd, "Driver Internal Error.", "Vorn::SetRez()", MB_OK);
      m_bQuit = true;
    } else if (hr == D3DERR_OUTOFVIDEOMEMORY) {
      LogInt("#:Reset is D3DERR_OUTOFVIDEOMEMORY Windowed status=%d", m_bWindowed);
      MessageBoxA(m_hwnd, "Out of Video Memory.", "Vorn::SetRez()", MB_OK);
      m_bQuit = true;
    } else if (hr == D3DERR_DEVICENOTRESET || hr == D3DERR_DEVICELOST) {
      if (hr == D3DERR_DEVICENOTRESET) {
        LogInt("#:Reset is D3DERR_DEVICENOTRESET. Windowed status=%d", m_bWindowed);
        ReloadFlatMeshes();
      }
      LogInt("Reset is D3DERR_DEVICELOST. Windowed status=%d", m_bWindowed);
      m_bQuit = true;
    }
    break;
  }
  LogText("E: Vorn::SetRez()");
}

bool Vorn::CheckDeviceCaps() {
  if (!m_pD3DDevice) return true;
  bool wasReset = false;
  HRESULT hr = m_pD3DDevice->TestCooperativeLevel();
  if (hr == D3DERR_DEVICELOST) {
    LogText("Test Coop. has LOST THE 3D DEVICE. CheckDeviceCaps()");
    return true;
  }
  if (hr == D3DERR_DEVICENOTRESET) {
    ClearVolatiles();
    LogText("Test Coop. requires a reset. CheckDeviceCaps()");
    hr = m_pD3DDevice->Reset(&m_PresentParams);
    switch (hr) {
      case D3DERR_DRIVERINTERNALERROR:
        LogText("Reset() failed! DRIVERINTERNALERROR CheckDeviceCaps()");
        return true;
      case D3DERR_OUTOFVIDEOMEMORY:
        LogText("Reset() failed! OUTOFVIDEOMEMORY CheckDeviceCaps()");
        return true;
      case E_OUTOFMEMORY:
        LogText("Reset() failed! OUTOFMEMORY CheckDeviceCaps()");
        return true;
      case D3DERR_DEVICELOST:
        LogText("Reset() failed! DEVICELOST CheckDeviceCaps()");
        return true;
      case D3DERR_INVALIDCALL:
        LogText("Reset() failed! INVALID CALL CheckDeviceCaps()");
        return true;
      default:
        break;
    }
    if (FAILED(hr)) return false;
    wasReset = true;  // the report follows, but the device was not usable
  } else if (hr != D3D_OK) {
    return false;
  }

  m_pD3DDevice->GetDeviceCaps(&m_Caps);
  if (!(m_Caps.RasterCaps & D3DPRASTERCAPS_FOGRANGE))
    LogText("!: range-based fog not supported! CheckDeviceCaps()");
  if (m_Caps.RasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR)
    LogText("#: Can do hidden surface removal. Define no ZBuffer surface but enable the zbuffer to use this");
  if (!(m_Caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP)) LogText("#: Cannot do cubemaps");
  if (m_Caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP_POW2) LogText("#: Cubemap dimensions must be powers of 2");
  if (m_Caps.TextureCaps & D3DPTEXTURECAPS_PERSPECTIVE) LogText("#: Perspective correct textures supported");
  if (m_Caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP) LogText("#: Can do volume textures");
  if (m_Caps.TextureCaps & D3DPTEXTURECAPS_VOLUMEMAP_POW2) LogText("#: Volume textures must be powers of 2");
  LogInt("Maximum Texture Width is  : %d", static_cast<int>(m_Caps.MaxTextureWidth));
  LogInt("Maximum Texture Height is : %d", static_cast<int>(m_Caps.MaxTextureHeight));
  LogInt("Maximum Volume Extent is  : %d", static_cast<int>(m_Caps.MaxVolumeExtent));
  LogInt("Maximum Point Size is     : %d", static_cast<int>(m_Caps.MaxPointSize));
  LogInt("Maximum Number of prims is: %d", static_cast<int>(m_Caps.MaxPrimitiveCount));
  LogInt("Maximum symult. RTarget is: %d", static_cast<int>(m_Caps.NumSimultaneousRTs));
  RefillShadowQuad();
  return wasReset;
}

void Vorn::KillD3D() {
  LogText("S: KillD3D()");
  ClearVolatiles();
  if (m_pTextures) {
    for (int i = 0; i < m_nTextures; ++i) SafeRelease(m_pTextures[i]);
    delete[] m_pTextures;
    m_pTextures = nullptr;
  }
  m_nTextures = 0;
  ReleaseLogged(m_pScreenVB, "SCREEN_VERTEX buffer deleted");
  ReleaseLogged(m_p2DVB, "2DVERTEXBUFFER buffer deleted");
  ReleaseLogged(m_p3DVB, "3DVERTEXBUFFER buffer deleted");
  ReleaseLogged(m_pPointSpriteVB, "POINTSPRITE buffer deleted");
  ReleaseLogged(m_pIndexBuffer, "INDEXBUFFER buffer deleted");
  SafeRelease(m_pDirect3DObject);
  SafeRelease(m_pD3DDevice);
  delete[] m_pModeWidths;
  delete[] m_pModeHeights;
  m_pModeWidths = m_pModeHeights = nullptr;
  delete[] m_pTextureBackups;  // records of a reset that never succeeded
  m_pTextureBackups = nullptr;
  m_nTextureBackups = 0;
  LogText("E: KillD3D()");
}
