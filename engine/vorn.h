// Vorn: the engine object. It owns the Direct3D device and the window it
// draws into, the shared vertex buffers, the texture table, the render
// target, the scratch arrays and the meshes. One global instance.
#pragma once

#include "engine/mesh/flat_mesh.h"
#include "engine/mesh/skinned_mesh.h"
#include "engine/render/alert_button.h"
#include "engine/render/render_list.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/win32/windows.h"
#include "platform/win32/window.h"

class ShadowVolume;

// One texture that lived outside the managed pool before a reset: its
// level-0 description as read before the reset, and its table slot.
struct TextureBackup {
  DWORD Format;
  DWORD Type;
  DWORD Usage;
  DWORD Pool;
  DWORD MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
  int index;
};

class Vorn {
 public:
  explicit Vorn(const char* applicationName);
  ~Vorn();
  Vorn(const Vorn&) = delete;
  Vorn& operator=(const Vorn&) = delete;

  // [start-up]
  void InitWindow(WNDCLASSEXA wc);
  int TestAdaptor(DWORD format);
  bool InitD3D();  // true on failure
  IDirect3DDevice9* GetDevice() { return m_pD3DDevice; }

  // [scene resources]
  bool InitScene();  // true on failure
  void ShowAlert(const char* text);

  // [reset]
  void SetRez(int width, int height);
  void ClearVolatiles();
  void BackupTextures();
  void RestoreTextures();
  bool CheckDeviceCaps();  // true when the device was not usable
  void KillD3D();

  // [presentation]
  void ClearScreen();
  HRESULT BeginScene();
  HRESULT EndScene();
  void ScreenSwap();
  void ScreenSwap(int right, int bottom);

  // [views]
  void Set2DView(float scaleX, float scaleY, float scaleZ);
  void Set3DView(float fieldOfView, float aspect);
  float RelativeToPixelX(float x) const;
  float RelativeToPixelY(float y) const;

  // [textures]
  void TextureBuffers();
  bool LoadTexture(const char* file, int index);
  bool LoadTexture(const char* file, int index, int width, int height);
  bool LoadTexture();  // the working texture or the default bitmap
  void ReleaseTexture(int index);

  // [texture copies] between table slots, by drawing (render path) or by
  // D3DX surface copies
  void SetScreenCopyState(bool relative);
  void SetCurrentTexture(int index);
  void RestoreBackBuffer();
  void CopyTexture(int src, int dest);
  void CopyTexture(int src, int dest, int x, int y, int w, int h);
  void CopyTexture(int src, float fx, float fy, float fw, float fh);
  void CopyTextureSection(int src, int dest, int x, int y, int w, int h);
  void CopyTextureSectionTo(int src, int dest, int sx, int sy, int w, int h, int dx, int dy);
  void ScrollTexture(int dx, int dy);

  // [immediate 2D primitives] one lock, copy and draw per shape
  void DrawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void DrawScreenLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void DrawBox(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void DrawScreenBox(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void DrawBar(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void DrawScreenBar(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void DrawTextureBar(float x1, float y1, float x2, float y2, float u1, float v1, float u2, float v2,
                      float r, float g, float b, float a);
  void DrawScreenTextureBar(float x1, float y1, float x2, float y2, float u1, float v1, float u2,
                            float v2, float r, float g, float b, float a);
  void DrawPoly(float x1, float y1, float x2, float y2, float x3, float y3, float r, float g, float b,
                float a);
  void DrawScreenPoly(float x1, float y1, float x2, float y2, float x3, float y3, float r, float g,
                      float b, float a);

  // [prepared lists] shapes appended to a Render record
  void PreparePoint(Render& R, float x, float y, float r, float g, float b, float a);
  void PrepareScreenPoint(Render& R, float x, float y, float r, float g, float b, float a);
  void PrepareLine(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void PrepareScreenLine(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b,
                         float a);
  void PrepareBox(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void PrepareScreenBox(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b,
                        float a);
  void PrepareBar(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void PrepareScreenBar(Render& R, float x1, float y1, float x2, float y2, float r, float g, float b,
                        float a);
  void PrepareTextureBar(Render& R, float x1, float y1, float x2, float y2, float u1, float v1,
                         float u2, float v2, float r, float g, float b, float a);
  void PrepareScreenTextureBar(Render& R, float x1, float y1, float x2, float y2, float u1,
                               float v1, float u2, float v2, float r, float g, float b, float a);
  void PreparePoly(Render& R, float x1, float y1, float x2, float y2, float x3, float y3, float u1,
                   float v1, float u2, float v2, float u3, float v3, float r, float g, float b, float a);
  void PrepareScreenPoly(Render& R, float x1, float y1, float x2, float y2, float x3, float y3,
                         float u1, float v1, float u2, float v2, float u3, float v3, float r, float g,
                         float b, float a);
  void PreparePolyCol(Render& R, float x1, float y1, float x2, float y2, float x3, float y3, float r1,
                      float g1, float b1, float a1, float r2, float g2, float b2, float a2, float r3,
                      float g3, float b3, float a3);
  void PrepareScreenPolyCol(Render& R, float x1, float y1, float x2, float y2, float x3, float y3,
                            float r1, float g1, float b1, float a1, float r2, float g2, float b2,
                            float a2, float r3, float g3, float b3, float a3);
  void PreparePoint3D(Render& R, float x, float y, float z, float r, float g, float b, float a);
  void PrepareLine3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2, float r,
                     float g, float b, float a);

  // [list drawing] vertcount -1: draw again what the buffer holds; 0: the
  // whole list; n: its first n vertices
  void DrawRenderPoints(Render& R, int vertcount);
  void DrawScreenRenderPoints(Render& R, int vertcount);
  void DrawRenderLines(Render& R, int vertcount);
  void DrawRenderBoxes(Render& R, int vertcount);
  void DrawScreenRenderLines(Render& R, int vertcount);
  void DrawRenderBars(Render& R, int vertcount);
  void DrawRenderPolys(Render& R, int vertcount);
  void DrawScreenRenderBars(Render& R, int vertcount);
  void DrawRenderText(Render& R);
  void DrawScreenRenderText(Render& R);
  void DrawPoly3D(Render& R, int vertcount, D3DPRIMITIVETYPE type);

  // [text] glyph quads from the font texture the caller has bound
  void TPrint(const char* text, float column, float row);
  void ScreenTPrint(const char* text, float x, float y, unsigned char align);
  void TPreparePrint(Render& R, const char* text, float column, float row);
  void ScreenTPreparePrint(Render& R, const char* text, float x, float y);

  // [alert box and mouse pointer] TAlert returns 0, or the clicked
  // button's index + 1
  unsigned char TAlert(const char* text, float mouseX, float mouseY, bool clicked);
  void DrawAlertButtons(AlertButtonList& list);
  void DrawMousePointer(float x, float y);
  D3DCOLOR AlertButtonColour(AlertButtonList& list, int i);
  bool AlertButtonHit(AlertButtonList& list, int i, float x, float y);
  int AlertButtonUnderMouse(AlertButtonList& list, float x, float y);

  // [3D primitives] immediate: one lock, copy and draw per shape
  void DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2, float r, float g,
                  float b, float a);
  void DrawPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                           float y3, float z3, float r, float g, float b, float a);
  void DrawTexturedPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2,
                                   float x3, float y3, float z3, float u1, float v1, float u2,
                                   float v2, float u3, float v3, float r, float g, float b, float a);
  void DrawLitPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                              float y3, float z3, float nx, float ny, float nz, float sr, float sg,
                              float sb, float sa, float r, float g, float b, float a);
  void DrawTriLitPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2,
                                 float x3, float y3, float z3, float nx1, float ny1, float nz1,
                                 float nx2, float ny2, float nz2, float nx3, float ny3, float nz3,
                                 float sr, float sg, float sb, float sa, float r, float g, float b,
                                 float a);
  void DrawTexturedLitPoly3DImmediate(float x1, float y1, float z1, float x2, float y2, float z2,
                                      float x3, float y3, float z3, float u1, float v1, float u2,
                                      float v2, float u3, float v3, float nx, float ny, float nz,
                                      float sr, float sg, float sb, float sa, float r, float g,
                                      float b, float a);
  // [3D lists]
  void PreparePoly3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                     float y3, float z3, float u1, float v1, float u2, float v2, float u3, float v3,
                     float r, float g, float b, float a);
  void PrepareLitPoly3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2,
                        float x3, float y3, float z3, float u1, float v1, float u2, float v2,
                        float u3, float v3, float nx, float ny, float nz, float sr, float sg,
                        float sb, float sa, float r, float g, float b, float a);
  void PrepareTriLitPoly3D(Render& R, float x1, float y1, float z1, float x2, float y2, float z2,
                           float x3, float y3, float z3, float u1, float v1, float u2, float v2,
                           float u3, float v3, float nx1, float ny1, float nz1, float nx2,
                           float ny2, float nz2, float nx3, float ny3, float nz3, float sr,
                           float sg, float sb, float sa, float r, float g, float b, float a);
  // One point sprite of the given size.
  void DrawSprite(float x, float y, float z, float size, float r, float g, float b, float a);

  // [light and fog]
  void SetSpecular(float r, float g, float b, float a, float power);
  void SetLight(D3DLIGHTTYPE type, const float diffuse[4], const float specular[4],
                const float ambient[4], float specularPower, const D3DVECTOR* position,
                const D3DVECTOR* direction, float range, float attenuation0, float attenuation1,
                float attenuation2);
  void SetFog(float start, float end, unsigned char red, unsigned char green, unsigned char blue);
  // Point sizes from the distance (on) or fixed (off), for the sprites.
  void SetPointScaling(bool on);

  // ---- fields, in declaration order ----
  bool m_bWindowed;
  HWND m_hwnd;
  bool m_b2DViewActive;
  float m_TextColour[4];
  bool m_bUpperGlyphs;
  unsigned char m_MipLevels;
  bool m_bInScene;
  bool m_bPainting;
  bool m_bFastCopy;
  D3DFORMAT m_ChosenFormat;
  DWORD m_CopyFilter;
  D3DCOLOR m_ColourKey;
  bool m_bQuit;
  bool m_bRelativeScaling;
  bool m_bDumpTexturesOnReset;
  bool m_bResizeWindow;
  char m_szCaption[255];
  float m_fMouseX, m_fMouseY;
  int m_nMouseButton;
  float m_fSpriteSize;
  float m_fAspect, m_fFieldOfView, m_fNearZ, m_fFarZ;
  float m_fPointerScale;
  float m_fScreenWidth, m_fScreenHeight;
  DWORD m_dwVertexProcessing;
  DWORD m_dwAnisotrophy;
  RECT m_DesktopRect;
  TextureBackup* m_pTextureBackups;
  int m_nTextureBackups;
  D3DFORMAT m_BackBufferFormat;
  D3DFORMAT m_DepthFormat;
  D3DMULTISAMPLE_TYPE m_MultiSampleType;
  bool m_bDeviceReady;
  IDirect3D9* m_pDirect3DObject;
  IDirect3DDevice9* m_pD3DDevice;
  D3DDEVTYPE m_DeviceType;
  D3DPRESENT_PARAMETERS m_PresentParams;
  D3DCAPS9 m_Caps;
  D3DDISPLAYMODE m_CurrentMode;
  int m_nModes;
  int* m_pModeWidths;
  int* m_pModeHeights;
  int m_Adapter;
  D3DXMATRIX m_matProjection3D;
  D3DXMATRIX m_matOrtho2D;
  IDirect3DVertexBuffer9* m_p3DVB;
  IDirect3DVertexBuffer9* m_pScreenVB;
  IDirect3DVertexBuffer9* m_p2DVB;
  IDirect3DVertexBuffer9* m_pPointSpriteVB;
  IDirect3DIndexBuffer9* m_pIndexBuffer;
  D3DLIGHT9 m_Light;
  D3DMATERIAL9 m_Material;
  IDirect3DTexture9** m_pTextures;
  IDirect3DTexture9* m_pRenderToTexture;
  IDirect3DSurface9* m_pRenderSurface;
  IDirect3DSurface9* m_pBackBuffer;
  ID3DXRenderToSurface* m_pRenderToSurface;
  ID3DXBuffer* m_pTextureFileBuffer;
  unsigned char* m_pScreenVerts;
  unsigned char* m_p2DVerts;
  unsigned char* m_p3DVerts;
  unsigned char* m_pSpriteVerts;
  D3DVIEWPORT9 m_Viewport;
  int m_nScreenStride, m_n2DStride, m_n3DStride, m_nSpriteStride;
  int m_nTextures;
  int m_nRenderTextureWidth, m_nRenderTextureHeight;
  float m_fScaleX, m_fScaleY;
  Render m_TextRender;
  FLATVNMesh m_FlatMeshes[8];
  VNMesh m_Meshes[10];
  WNDCLASSEXA m_WindowClass;
  ShadowVolume* m_pShadow;
  int m_nCurrentTexture;
  unsigned char m_nFirstChar;
  DWORD m_TexturePool, m_TextureUsage, m_TextureFormat;
  float m_fCharWidth, m_fCharHeight, m_fTextColumns, m_fTextRows;

 private:
  void KillWindow();
  // The render path of the copies: draws texture `src` as one screen quad
  // into `target` with clamped addressing and the copy filters.
  struct CopyQuad {
    float x1, y1, x2, y2, u1, v1, u2, v2;
  };
  void RenderCopy(IDirect3DTexture9* src, int srcIndex, IDirect3DSurface9* target, bool clear,
                  const CopyQuad& quad, bool setMaxMipLevel, bool pointFilter);
  // Creates a missing copy destination from the source's attributes.
  void MakeCopyDestination(int src, int dest, const char* note, bool renderTarget);
  bool ValidSlot(int index) const { return m_pTextures && index >= 0 && index < m_nTextures; }
  // The glyph loops shared by the print operations; `top`/`bottom` are the
  // texture insets of the glyph's top and bottom edge within its cell.
  void PrepareCellText(Render& R, const char* text, double x, float row, float top, float bottom);
  void PrepareScreenCellText(Render& R, const char* text, double x, float row, float top,
                             float bottom);
  void PreparePixelText(Render& R, const char* text, float x, float y, float top, float bottom);
  // The immediate primitives' common tail: copies the first n scratch
  // vertices into the start of the buffer and draws them.
  void DrawScratch2D(int n, D3DPRIMITIVETYPE type, UINT count);
  void DrawScratchScreen(int n, D3DPRIMITIVETYPE type, UINT count);
  void DrawScratch3D(int n, D3DPRIMITIVETYPE type);
  // The list draws' common path; false when the lock failed.
  bool DrawList(IDirect3DVertexBuffer9* vb, const void* vertices, int available, int stride,
                int vertcount, D3DPRIMITIVETYPE type, int perPrimitive, bool switchTo2D,
                bool switchOnRedraw);
  void ReloadFlatMeshes();
  void RefillShadowQuad();
};

// What the harness hands the engine before Startup: its main window (the
// engine creates a window of its own only when given none) and the screen
// size of the first resolution change.
struct StartupSettings {
  HWND mainWindow = nullptr;
  int width = 1024;
  int height = 768;
};
extern StartupSettings g_StartupSettings;

// The start-up sequence the main loop runs once; false when no window
// could be had.
bool Startup(Vorn& engine, WNDCLASSEXA wc);

// Colour packing shared by every primitive: r, g, b, a in 0..1 to a
// D3DCOLOR word.
D3DCOLOR PackColour(float r, float g, float b, float a);

// normalize((p - r) x (q - r)) into out.
D3DXVECTOR3& ComputeFaceNormal(D3DXVECTOR3& out, const D3DXVECTOR3& p, const D3DXVECTOR3& q,
                               const D3DXVECTOR3& r);

// The engine's retry/cancel alert answers, process-wide; IDRETRY until the
// user has chosen Cancel once.
extern int g_SceneAlertAnswer;
extern int g_LoadAlertAnswer;

// The working texture's file: "pic5.bmp" until it fails to load once, then
// the default bitmap.
extern const char* g_WorkingTextureFile;

// Process-wide engine state (alert answers, the working texture's file, the
// remembered window placement) back to its start values, for tests.
void ResetEngineGlobalsForTesting();
