// Scene resources: the shared vertex and index buffers, the texture file
// buffer, the render texture and the default states.
#include <cstdio>
#include <cstring>

#include "engine/d3d9/com_helpers.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/message_box.h"

namespace {

constexpr UINT kVerticesPerBuffer = 16384;
constexpr UINT kIndexBufferBytes = 2000;  // 1,000 16-bit indices
constexpr UINT kSpriteVertices = 3;
constexpr DWORD kTextureFileBufferBytes = 0x100000;


}  // namespace

void Vorn::ShowAlert(const char* text) {
  if (g_SceneAlertAnswer != IDRETRY) return;
  const char* caption = m_szCaption[0] ? m_szCaption : "Vornel";
  g_SceneAlertAnswer = MessageBoxA(m_hwnd, text, caption, MB_RETRYCANCEL | MB_ICONHAND);
}

bool Vorn::InitScene() {
  LogText("S: Vorn::InitScene()");
  std::snprintf(m_szCaption, sizeof m_szCaption, "%s", "Vornel::InitScene()");
  IDirect3DDevice9* d = m_pD3DDevice;
  if (!d) {
    // Without a device there is nothing to build; callers see a failure.
    LogText("E: Vorn::InitScene() no device");
    return true;
  }

  D3DXMatrixPerspectiveFovRH(&m_matProjection3D, m_fFieldOfView, m_fAspect, m_fNearZ, m_fFarZ);
  d->SetTransform(D3DTS_PROJECTION, &m_matProjection3D);

  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFF);
  d->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);

  const DWORD filterCaps = m_Caps.TextureFilterCaps;
  for (DWORD s = 0; s < 8; ++s) {
    d->SetSamplerState(s, D3DSAMP_MINFILTER, (filterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC)
                                                 ? D3DTEXF_ANISOTROPIC
                                                 : D3DTEXF_LINEAR);
    d->SetSamplerState(s, D3DSAMP_MAGFILTER, (filterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC)
                                                 ? D3DTEXF_ANISOTROPIC
                                                 : D3DTEXF_LINEAR);
    d->SetSamplerState(s, D3DSAMP_MIPFILTER,
                       (filterCaps & D3DPTFILTERCAPS_MIPFLINEAR) ? D3DTEXF_LINEAR : D3DTEXF_POINT);
    if (m_dwAnisotrophy > 0)
      d->SetSamplerState(s, D3DSAMP_MAXANISOTROPY, m_dwAnisotrophy);
    else
      LogText("#: m_dwAnisotrophy is < 1");
  }

  d->SetRenderState(D3DRS_RANGEFOGENABLE, TRUE);
  d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  d->SetRenderState(D3DRS_FOGCOLOR, 0xFF6464F5);
  d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  d->SetRenderState(D3DRS_FOGSTART, FloatBits(m_fFarZ * 0.7f));
  d->SetRenderState(D3DRS_FOGEND, FloatBits(m_fFarZ));
  d->SetRenderState(D3DRS_FOGENABLE, TRUE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

  m_nScreenStride = 28;
  m_n2DStride = 24;
  m_n3DStride = 40;
  m_nSpriteStride = 20;

  ReleaseLogged(m_pPointSpriteVB, "POINTSPRITE buffer deleted");
  ReleaseLogged(m_pScreenVB, "SCREEN_VERTEX buffer deleted");
  ReleaseLogged(m_pIndexBuffer, "INDEX buffer deleted");
  ReleaseLogged(m_p3DVB, "3DVERTEXBUFFER buffer deleted");
  ReleaseLogged(m_p2DVB, "2DVERTEXBUFFER buffer deleted");

  // A failed creation: the alert (while not cancelled), its log line and
  // the result's name; the buffers made before it stay.
  auto fail = [this](HRESULT hr, const char* alert, const char* line) {
    if (g_SceneAlertAnswer == IDRETRY)
      g_SceneAlertAnswer = MessageBoxA(m_hwnd, alert, m_szCaption, MB_RETRYCANCEL | MB_ICONHAND);
    LogText(line);
    LogResultName(hr);
    return true;
  };

  const UINT screenBytes = m_nScreenStride * kVerticesPerBuffer;
  HRESULT hr = d->CreateVertexBuffer(screenBytes, 0, kFvfScreen, D3DPOOL_MANAGED, &m_pScreenVB, nullptr);
  if (FAILED(hr))
    return fail(hr, "VB create Screen failed!", "E: Vorn::InitScene() failed to create Screen VB");
  LogInt("Created ScreenVertexbuffer of size %d", static_cast<int>(screenBytes));

  const UINT bytes2D = m_n2DStride * kVerticesPerBuffer;
  hr = d->CreateVertexBuffer(bytes2D, 0, kFvf2D, D3DPOOL_MANAGED, &m_p2DVB, nullptr);
  if (FAILED(hr)) return fail(hr, "VB create 2D failed!", "E: Vorn::InitScene() failed to create 2D VB");
  LogInt("Created 2DVertexbuffer of size %d", static_cast<int>(bytes2D));

  const UINT bytes3D = m_n3DStride * kVerticesPerBuffer;
  hr = d->CreateVertexBuffer(bytes3D, 0, kFvf3D, D3DPOOL_MANAGED, &m_p3DVB, nullptr);
  if (FAILED(hr)) return fail(hr, "VB create 3D failed!", "E: Vorn::InitScene() failed to create 3D VB");
  LogInt("Created 3DVertexbuffer of size %d", static_cast<int>(bytes3D));

  hr = d->CreateIndexBuffer(kIndexBufferBytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &m_pIndexBuffer, nullptr);
  if (FAILED(hr)) return fail(hr, "IB create failed!", "E: Vorn::InitScene() failed to create IB");
  LogUnsigned("Created Indexbuffer of size %d", kIndexBufferBytes);

  const UINT spriteBytes = m_nSpriteStride * kSpriteVertices;
  hr = d->CreateVertexBuffer(spriteBytes, 0, kFvfSprite, D3DPOOL_MANAGED, &m_pPointSpriteVB, nullptr);
  if (FAILED(hr)) return fail(hr, "PSVB create 3D failed!", "E: Vorn::InitScene() failed to create PSVB");
  LogInt("Created PointSpritebuffer of size %d", static_cast<int>(spriteBytes));

  d->SetIndices(m_pIndexBuffer);
  if (!m_pBackBuffer) d->GetRenderTarget(0, &m_pBackBuffer);

  ReleaseLogged(m_pTextureFileBuffer, "m_pTextureFileBuffer deleted.");
  if (SUCCEEDED(D3DXCreateBuffer(kTextureFileBufferBytes, &m_pTextureFileBuffer)))
    LogText("m_pTextureFileBuffer created.");
  else
    LogText("!: m_pTextureFilebuffer failed to create!");

  d->SetRenderTarget(0, m_pBackBuffer);

  SafeRelease(m_pRenderToTexture);
  hr = D3DXCreateTexture(d, m_nRenderTextureWidth, m_nRenderTextureHeight, 1, D3DUSAGE_RENDERTARGET,
                         D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &m_pRenderToTexture);
  if (FAILED(hr)) {
    ShowAlert("Failed to create a m_pRenderToTexture for a rendersurface.");
    LogText("E: Vorn::InitScene() failed to create m_pRenderToTexture for a rendersurface.");
    LogResultName(hr);
    return false;
  }

  SafeRelease(m_pRenderSurface);
  m_pRenderToTexture->GetSurfaceLevel(0, &m_pRenderSurface);
  D3DSURFACE_DESC desc{};
  if (m_pRenderSurface) m_pRenderSurface->GetDesc(&desc);

  if (!m_pRenderToSurface) {
    hr = D3DXCreateRenderToSurface(d, desc.Width, desc.Height, desc.Format, TRUE, D3DFMT_D16,
                                   &m_pRenderToSurface);
    if (FAILED(hr)) {
      ShowAlert("Failed to create the offscreen render surface.");
      LogText("E: Vorn::InitScene() failed to create the offscreen render surface.");
      LogResultName(hr);
      return false;
    }
  }

  d->SetRenderTarget(0, m_pRenderSurface);
  ClearScreen();
  BeginScene();
  Set2DView(0.0f, 0.0f, 0.0f);
  TPrint("RENDER TEXTURE", 1.0f, 1.0f);
  EndScene();

  d->SetRenderTarget(0, m_pBackBuffer);
  LogText("E: Vorn::InitScene()");
  return false;
}
