// The engine object's construction, defaults and destruction.
#include "engine/vorn.h"

#include <cstring>

#include "engine/d3d9/com_helpers.h"
#include "engine/shadow_volume.h"
#include "log/event_log.h"
#include "platform/win32/resources.h"

int g_SceneAlertAnswer = 4;  // IDRETRY
int g_LoadAlertAnswer = 4;   // IDRETRY

namespace {

constexpr int kScreenScratchBytes = 4200;  // 150 VertexScreen
constexpr int k2DScratchBytes = 3600;      // 150 Vertex2D
constexpr int k3DScratchBytes = 6000;      // 150 Vertex3D
constexpr int kSpriteScratchBytes = 300;   // 15 VertexSprite
constexpr int kTextCapacity = 800;

}  // namespace

Vorn::Vorn(const char* applicationName)
    : m_bWindowed(false),
      m_hwnd(nullptr),
      m_b2DViewActive(false),
      m_TextColour{0, 0, 0, 0},
      m_bUpperGlyphs(false),
      m_MipLevels(0),
      m_bInScene(false),
      m_bPainting(false),
      m_bFastCopy(false),
      m_ChosenFormat(D3DFMT_UNKNOWN),
      m_CopyFilter(2),  // D3DX_FILTER_POINT
      m_ColourKey(0xFFFF00FF),
      m_bQuit(false),
      m_bRelativeScaling(false),
      m_bDumpTexturesOnReset(false),
      m_bResizeWindow(false),
      m_szCaption{},
      m_fMouseX(0),
      m_fMouseY(0),
      m_nMouseButton(0),
      m_fSpriteSize(0),
      m_fAspect(50.0f / 27.0f),
      m_fFieldOfView(0.8f),
      m_fNearZ(0.02f),
      m_fFarZ(2400.0f),
      m_fPointerScale(1.0f),
      m_fScreenWidth(800.0f),
      m_fScreenHeight(600.0f),
      m_dwVertexProcessing(D3DCREATE_MIXED_VERTEXPROCESSING),
      m_dwAnisotrophy(0),
      m_DesktopRect{},
      m_pTextureBackups(nullptr),
      m_nTextureBackups(0),
      m_BackBufferFormat(D3DFMT_A8R8G8B8),
      m_DepthFormat(D3DFMT_D24X8),
      m_MultiSampleType(D3DMULTISAMPLE_NONE),
      m_bDeviceReady(false),
      m_pDirect3DObject(nullptr),
      m_pD3DDevice(nullptr),
      m_DeviceType(D3DDEVTYPE_HAL),
      m_PresentParams{},
      m_Caps{},
      m_CurrentMode{},
      m_nModes(0),
      m_pModeWidths(nullptr),
      m_pModeHeights(nullptr),
      m_Adapter(-1),
      m_matProjection3D{},
      m_matOrtho2D{},
      m_p3DVB(nullptr),
      m_pScreenVB(nullptr),
      m_p2DVB(nullptr),
      m_pPointSpriteVB(nullptr),
      m_pIndexBuffer(nullptr),
      m_Light{},
      m_Material{},
      m_pTextures(nullptr),
      m_pRenderToTexture(nullptr),
      m_pRenderSurface(nullptr),
      m_pBackBuffer(nullptr),
      m_pRenderToSurface(nullptr),
      m_pTextureFileBuffer(nullptr),
      m_pScreenVerts(nullptr),
      m_p2DVerts(nullptr),
      m_p3DVerts(nullptr),
      m_pSpriteVerts(nullptr),
      m_Viewport{},
      m_nScreenStride(0),
      m_n2DStride(0),
      m_n3DStride(0),
      m_nSpriteStride(0),
      m_nTextures(0),
      m_nRenderTextureWidth(0),
      m_nRenderTextureHeight(0),
      m_fScaleX(0.0025125f),
      m_fScaleY(0.00335f),
      m_TextRender{},
      m_WindowClass{},
      m_pShadow(nullptr),
      m_nCurrentTexture(0),
      m_nFirstChar(32),
      m_TexturePool(D3DPOOL_MANAGED),
      m_TextureUsage(0),
      m_TextureFormat(D3DFMT_X8R8G8B8),
      m_fCharWidth(0),
      m_fCharHeight(0),
      m_fTextColumns(0),
      m_fTextRows(0) {
  LogSetApplicationName(applicationName ? applicationName : "Unknown App");
  LogText("S: Vorn::Vorn()");

  m_pScreenVerts = new unsigned char[kScreenScratchBytes]();
  m_p2DVerts = new unsigned char[k2DScratchBytes]();
  m_p3DVerts = new unsigned char[k3DScratchBytes]();
  m_pSpriteVerts = new unsigned char[kSpriteScratchBytes]();

  m_TextRender.max2D = kTextCapacity;
  m_TextRender.maxScreen = kTextCapacity;
  m_TextRender.verts2D = new Vertex2D[kTextCapacity + 1]();
  m_TextRender.vertsScreen = new VertexScreen[kTextCapacity + 1]();
  m_TextRender.Clear2D();
  m_TextRender.ClearScreenList();
  m_TextRender.engine = this;

  m_Viewport.X = 0;
  m_Viewport.Y = 0;
  m_Viewport.Width = static_cast<DWORD>(m_fScreenWidth);
  m_Viewport.Height = static_cast<DWORD>(m_fScreenHeight);
  m_Viewport.MinZ = 0.1f;
  m_Viewport.MaxZ = 1.0f;

  m_PresentParams.BackBufferWidth = static_cast<UINT>(m_fScreenWidth);
  m_PresentParams.BackBufferHeight = static_cast<UINT>(m_fScreenHeight);
  m_PresentParams.BackBufferFormat = m_BackBufferFormat;
  m_PresentParams.BackBufferCount = 1;
  m_PresentParams.MultiSampleType = m_MultiSampleType;
  m_PresentParams.MultiSampleQuality = 0;
  m_PresentParams.SwapEffect = D3DSWAPEFFECT_FLIP;
  m_PresentParams.hDeviceWindow = m_hwnd;
  m_PresentParams.Windowed = m_bWindowed;
  m_PresentParams.EnableAutoDepthStencil = TRUE;
  m_PresentParams.AutoDepthStencilFormat = D3DFMT_D24S8;
  m_PresentParams.Flags = 0;
  m_PresentParams.FullScreen_RefreshRateInHz = 0;
  m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_ONE;

  for (FLATVNMesh& mesh : m_FlatMeshes) mesh.m_szFileName[0] = '\0';

  LogInt("------Vorn =%d", static_cast<int>(reinterpret_cast<std::intptr_t>(m_pD3DDevice)));
  LogText("E: Vorn::Vorn()");
}

Vorn::~Vorn() {
  LogText("S: Vorn::~Vorn()");
  delete m_pShadow;  // releases its two resources first
  m_pShadow = nullptr;

  delete[] m_pScreenVerts;
  delete[] m_p2DVerts;
  delete[] m_p3DVerts;
  delete[] m_pSpriteVerts;
  m_pScreenVerts = m_p2DVerts = m_p3DVerts = m_pSpriteVerts = nullptr;

  KillD3D();

  for (VNMesh& mesh : m_Meshes) mesh.DestroyHierarchy();

  KillWindow();
  LogText("E: Vorn::~Vorn()");
  m_TextRender.Free();
}

void Vorn::KillWindow() {
  LogText("S: KillWindow()");
  UnregisterClassA("ClassName", GetModuleHandleA(nullptr));
  LogText("E: KillWindow()");
}
