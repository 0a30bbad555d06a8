// Engine start-up: the window, the display-mode survey, the Direct3D object
// and device with their fallbacks, and the start-up sequence.
#include <cstdio>
#include <cstring>

#include "engine/d3d9/com_helpers.h"
#include "engine/render/font_bitmap.h"
#include "engine/shadow_volume.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/resources.h"

namespace {

// Back-buffer formats surveyed by the first InitD3D, in increasing order.
// R5G6B5 (23) is not among them.
constexpr D3DFORMAT kCandidateFormats[] = {
    static_cast<D3DFORMAT>(20),  static_cast<D3DFORMAT>(21),  static_cast<D3DFORMAT>(22),
    static_cast<D3DFORMAT>(24),  static_cast<D3DFORMAT>(25),  static_cast<D3DFORMAT>(26),
    static_cast<D3DFORMAT>(29),  static_cast<D3DFORMAT>(30),  static_cast<D3DFORMAT>(31),
    static_cast<D3DFORMAT>(32),  static_cast<D3DFORMAT>(33),  static_cast<D3DFORMAT>(35),
    static_cast<D3DFORMAT>(36),  static_cast<D3DFORMAT>(62),  static_cast<D3DFORMAT>(63),
    static_cast<D3DFORMAT>(67),  static_cast<D3DFORMAT>(110), static_cast<D3DFORMAT>(111),
    static_cast<D3DFORMAT>(112), static_cast<D3DFORMAT>(113), static_cast<D3DFORMAT>(114),
    static_cast<D3DFORMAT>(115), static_cast<D3DFORMAT>(116),
};

// Removes entry `at` of the three parallel mode arrays; the slot behind the
// last entry becomes 0 in all three.
void RemoveMode(int* widths, int* heights, int* rates, int& count, int at) {
  for (int i = at; i < count - 1; ++i) {
    widths[i] = widths[i + 1];
    heights[i] = heights[i + 1];
    rates[i] = rates[i + 1];
  }
  --count;
  widths[count] = heights[count] = rates[count] = 0;
}

}  // namespace

StartupSettings g_StartupSettings;

void Vorn::InitWindow(WNDCLASSEXA wc) {
  LogText("S: Vorn::InitWindow");
  InitCommonControls();
  GetClientRect(GetDesktopWindow(), &m_DesktopRect);
  // The harness has registered this class already; that failure is expected.
  RegisterClassExA(&wc);
  if (!m_hwnd) {
    m_hwnd = CreateWindowExA(0, "ClassName", "Vornel new Tests", WS_POPUP | WS_VISIBLE, 0, 0,
                             m_DesktopRect.right, m_DesktopRect.bottom, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  } else {
    SetWindowTextA(m_hwnd, "Vornel new Tests");
  }
  if (!m_hwnd) {
    MessageBoxA(nullptr, "Failed to get a window handle.", "Vorn.InitWindow()", MB_OK);
    LogText("!: Failed to get Window Handle, no window created!!!");
  }
  ShowWindow(m_hwnd, SW_SHOW);
  LogText("E: Vorn.InitWindow()");
}

int Vorn::TestAdaptor(DWORD format) {
  LogText("S: Vornel::TestAdaptor(DWORD format)");
  if (m_Adapter == -1) {
    LogText("!: No Adapter specified. m_Adapter==-1 in TestAdapter()");
    return -1;
  }
  LogText("Running GetAdapterModeCount();;");
  const D3DFORMAT fmt = static_cast<D3DFORMAT>(format);
  m_nModes = m_pDirect3DObject
                 ? static_cast<int>(m_pDirect3DObject->GetAdapterModeCount(m_Adapter, fmt))
                 : 0;
  if (m_nModes == 0) {
    LogInt("D3D format %d not supported", static_cast<int>(format));
    LogText("E: Vornel::TestAdaptor(DWORD format)");
    return 0;
  }
  LogInt("Testing D3D Format %d", static_cast<int>(format));
  delete[] m_pModeWidths;
  delete[] m_pModeHeights;
  m_pModeWidths = new int[m_nModes + 2]();
  m_pModeHeights = new int[m_nModes + 2]();
  int* rates = new int[m_nModes + 2]();

  for (int i = 0; i < m_nModes; ++i) {
    if (FAILED(m_pDirect3DObject->EnumAdapterModes(m_Adapter, fmt, i, &m_CurrentMode))) {
      LogText("Mode Enum Failure in Vorn::InitD3D()");
      m_pModeWidths[i] = 640;
      m_pModeHeights[i] = 480;
      rates[i] = 60;
    } else {
      char line[128];
      std::snprintf(line, sizeof line, "Display Mode %dx%d %dHz Valid.", m_CurrentMode.Width,
                    m_CurrentMode.Height, m_CurrentMode.RefreshRate);
      LogText(line);
      m_pModeWidths[i] = static_cast<int>(m_CurrentMode.Width);
      m_pModeHeights[i] = static_cast<int>(m_CurrentMode.Height);
      rates[i] = static_cast<int>(m_CurrentMode.RefreshRate);
    }
  }

  // A resolution listed at several refresh rates loses its 60 Hz entries;
  // one listed only at 60 Hz keeps exactly one.
  bool removed = true;
  while (removed) {
    removed = false;
    for (int a = 0; a < m_nModes && !removed; ++a)
      for (int c = 0; c < m_nModes && !removed; ++c) {
        if (a == c) continue;
        if (m_pModeWidths[a] == m_pModeWidths[c] && m_pModeHeights[a] == m_pModeHeights[c] &&
            rates[c] == 60) {
          RemoveMode(m_pModeWidths, m_pModeHeights, rates, m_nModes, c);
          removed = true;
        }
      }
  }

  // 640 x 480 goes first.
  if (m_pModeWidths[0] != 640 && m_pModeHeights[0] != 480) {
    for (int i = 1; i < m_nModes; ++i) {
      if (m_pModeWidths[i] == 640 && m_pModeHeights[i] == 480) {
        std::swap(m_pModeWidths[0], m_pModeWidths[i]);
        std::swap(m_pModeHeights[0], m_pModeHeights[i]);
        std::swap(rates[0], rates[i]);
        break;
      }
    }
  }

  // 1280 x 720 is always offered, last.
  m_pModeWidths[m_nModes] = 1280;
  m_pModeHeights[m_nModes] = 720;
  rates[m_nModes] = 0;
  ++m_nModes;

  LogInt("Modes Available %d", m_nModes);
  for (int i = 0; i < m_nModes; ++i) {
    char line[128];
    std::snprintf(line, sizeof line, "Mode %d : %dx%d @ %d", i + 1, m_pModeWidths[i],
                  m_pModeHeights[i], rates[i]);
    LogText(line);
  }
  LogText("E: Vornel::TestAdaptor(DWORD format)");
  delete[] rates;
  return m_nModes;
}

bool Vorn::InitD3D() {
  LogInt("S: Vorn::InitD3D(%d)", m_Adapter);
  if (m_Adapter == -1) {
    LogText("!: No adapter specified. m_Adapter==-1 in InitD3D()");
    return true;
  }
  if (!m_hwnd) {
    MessageBoxA(nullptr, "No window initialised for app", "m_hwnd is invalid", MB_OK);
    LogText("E: Vorn::InitD3D()");
    Sleep(200);
    return true;
  }

  SafeRelease(m_pDirect3DObject);
  m_pDirect3DObject = Direct3DCreate9(D3D_SDK_VERSION);
  if (!m_pDirect3DObject) {
    MessageBoxA(m_hwnd, "Direct3DCreate9() failed!", "InitD3D()", MB_OK);
    m_bDeviceReady = false;
    LogText("E: Vorn::InitD3D()");
    Sleep(200);
    return true;
  }

  if (m_ChosenFormat == 0) {
    int best = 0;
    D3DFORMAT chosen = D3DFMT_UNKNOWN;
    for (D3DFORMAT candidate : kCandidateFormats) {
      Sleep(2);
      int count = TestAdaptor(candidate);
      if (count > best) {  // ties keep the earlier format
        best = count;
        chosen = candidate;
      }
    }
    m_ChosenFormat = chosen;
    m_PresentParams.BackBufferFormat = chosen;
    LogInt("Format %d chosen.", static_cast<int>(chosen));
    TestAdaptor(chosen);
  } else {
    if (TestAdaptor(D3DFMT_X8R8G8B8) <= 0) return true;
    m_PresentParams.BackBufferFormat = D3DFMT_X8R8G8B8;
  }

  LogInt("Creating Device in TestAdaptor. (%d)", m_Adapter);
  LogInt("BBF :%d", static_cast<int>(m_PresentParams.BackBufferFormat));
  LogInt(";%d x", static_cast<int>(m_PresentParams.BackBufferWidth));
  LogInt(";%d @", static_cast<int>(m_PresentParams.BackBufferHeight));
  LogInt(";%d Hz", static_cast<int>(m_PresentParams.FullScreen_RefreshRateInHz));
  LogInt(";PINT:%d", static_cast<int>(m_PresentParams.PresentationInterval));

  SafeRelease(m_pBackBuffer);
  SafeRelease(m_pRenderSurface);
  SafeRelease(m_pD3DDevice);

  HRESULT hr = m_pDirect3DObject->CreateDevice(
      m_Adapter, m_DeviceType, m_hwnd,
      m_dwVertexProcessing | D3DCREATE_FPU_PRESERVE | D3DCREATE_MULTITHREADED, &m_PresentParams,
      &m_pD3DDevice);
  if (FAILED(hr)) {
    LogText("!: CreateDevice() 1st fail in InitD3D()");
    char text[128];
    std::snprintf(text, sizeof text, "m_pDirect3DObject->CreateDevice() failed! (%d)", hr);
    if (hr == D3DERR_INVALIDCALL) {
      LogText("D3DERR_DRIVERINVALIDCAL switching to software vertex");
      m_dwVertexProcessing = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
      hr = m_pDirect3DObject->CreateDevice(
          m_Adapter, m_DeviceType, m_hwnd,
          m_dwVertexProcessing | D3DCREATE_FPU_PRESERVE | D3DCREATE_MULTITHREADED,
          &m_PresentParams, &m_pD3DDevice);
      if (FAILED(hr)) {
        MessageBoxA(m_hwnd, text, "InitD3D()", MB_OK);
        m_bDeviceReady = false;
        LogText("!: InitD3D() 2nd fail, cannot create device!");
        LogText("E: Vorn::InitD3D()");
        return true;
      }
    } else {
      LogText("!: cannot create device.");
      if (hr == D3DERR_OUTOFVIDEOMEMORY)
        LogText("D3DERR_OUTOFVIDEOMEMORY");
      else if (hr == D3DERR_NOTAVAILABLE)
        LogText("D3DERR_NOTAVAILABLE");
      else
        LogString("Unknown error %s", DXGetErrorString9A(hr));
      m_bDeviceReady = false;
      LogText("E: Vorn::InitD3D()");
      return true;
    }
  }

  LogText("CreateDevice() succedded!.");
  m_bDeviceReady = true;
  m_pD3DDevice->GetDeviceCaps(&m_Caps);

  if (m_Caps.StencilCaps & D3DSTENCILCAPS_TWOSIDED)
    LogText("Supports 2 sided stecils.");
  else
    LogText("!: Not Supported: 2 sided stecils.");
  if (!(m_Caps.StencilCaps & D3DSTENCILCAPS_INCR)) LogText("!: Not Supported: D3DSTENCILCAPS_INCR.");
  if (!(m_Caps.StencilCaps & D3DSTENCILCAPS_REPLACE))
    LogText("!: Not Supported: D3DSTENCILCAPS_REPLACE.");
  if (!(m_Caps.StencilCaps & D3DSTENCILCAPS_KEEP)) LogText("!: Not Supported: D3DSTENCILCAPS_KEEP.");

  if (!(m_Caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC)) {
    LogText("#: Not Supported: D3DPTFILTERCAPS_MAGFANISOTROPIC.");
    m_dwAnisotrophy = 0;
  } else {
    m_dwAnisotrophy = m_Caps.MaxAnisotropy;
  }

  for (int i = 0; i < 10; ++i) {
    m_Meshes[i].m_pEngine = this;
    LogInt("Mesh[%d].this set.", i);
  }
  for (int i = 0; i < 8; ++i) {
    m_FlatMeshes[i].m_pEngine = this;
    LogInt("FLATMesh[%d].this set.", i);
  }
  LogText("Mesh pointers set.");

  if (InitScene()) {
    LogText("!: Initscene() failed in InitD3D().");
    LogText("E: Vorn::InitD3D().");
    return true;
  }

  delete m_pShadow;
  m_pShadow = new ShadowVolume();

  LogText("CheckDeviceCaps() called from Startup().");
  if (CheckDeviceCaps()) {
    LogText("!: CheckDeviceCaps() failed in InitD3D().");
    LogText("E: Vorn::InitD3D().");
    return true;
  }

  m_Light = D3DLIGHT9{};
  LogText("E: Vorn::InitD3D().");
  return false;
}

bool Startup(Vorn& engine, WNDCLASSEXA wc) {
  engine.m_WindowClass = wc;
  engine.m_hwnd = g_StartupSettings.mainWindow;
  engine.InitWindow(wc);

  engine.m_bWindowed = true;
  engine.m_PresentParams.Windowed = TRUE;
  if (!engine.m_hwnd) return false;

  engine.m_Adapter = 0;
  engine.InitD3D();

  engine.m_bWindowed = true;
  engine.m_PresentParams.Windowed = TRUE;
  engine.SetRez(g_StartupSettings.width, g_StartupSettings.height);

  engine.TextureBuffers();
  engine.InitD3D();

  engine.Set2DView(1.0f, 1.0f, 1.0f);

  IDirect3DDevice9* device = engine.m_pD3DDevice;
  if (device) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  }

  D3DLIGHT9& light = engine.m_Light;
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  light.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
  light.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
  engine.SetSpecular(1.0f, 1.0f, 1.0f, 1.0f, 40.0f);
  light.Range = 1000.0f;
  light.Position = {0.0f, 0.0f, 0.0f};
  light.Direction = {0.0f, 1.0f, 0.0f};
  light.Attenuation0 = 1.0f;
  light.Attenuation1 = 0.0f;
  light.Attenuation2 = 0.0f;
  if (device) device->SetLight(0, &light);

  if (device && engine.m_pTextures && engine.m_nTextures > 0) {
    D3DXCreateTextureFromFileInMemory(device, kFontBitmap, kFontBitmapSize, &engine.m_pTextures[0]);
  }

  engine.m_bUpperGlyphs = false;
  engine.m_TextColour[0] = engine.m_TextColour[1] = engine.m_TextColour[2] = 1.0f;
  engine.m_TextColour[3] = 1.0f;
  engine.m_fTextColumns = 80.0f;
  engine.m_fTextRows = 50.0f;
  engine.m_fCharWidth = 0.025f;
  engine.m_fCharHeight = 0.04f;

  engine.m_Viewport.X = 0;
  engine.m_Viewport.Y = 0;
  engine.m_Viewport.Width = static_cast<DWORD>(engine.m_fScreenWidth);
  engine.m_Viewport.Height = static_cast<DWORD>(engine.m_fScreenHeight);
  engine.m_Viewport.MinZ = 0.01f;
  engine.m_Viewport.MaxZ = 1.0f;
  if (device) device->SetViewport(&engine.m_Viewport);
  return true;
}
