// --show-mesh: one mesh file, loaded by the engine's static or skinned
// loader, drawn under the engine's light by a camera that circles it.
#include "app/mesh_viewer/show_mesh.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/frame/engine_instance.h"
#include "app/resources/resources.h"
#include "engine/mesh/frame_records.h"
#include "engine/vorn.h"
#include "platform/win32/backend_select.h"
#include "platform/win32/clock.h"
#include "platform/win32/messages.h"
#include "platform/win32/png_file.h"
#include "platform/win32/resources.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace {

constexpr const char* kUsage =
    "usage: vornel --show-mesh FILE.x [--skinned] [--method N] [--screenshot F.png] [--headless]\n"
    "  --skinned         load the file as a skinned frame hierarchy\n"
    "  --method N        skinning method: 0 blended, 1 indexed, 2 software,\n"
    "                    3 indexed vertex programs, 4 indexed effect (default 1)\n"
    "  --screenshot F    draw one frame into the PNG file F and end\n"
    "  --headless        no window system (needs --screenshot to show anything)\n";

struct ShowOptions {
  std::string file;
  bool skinned = false;
  // Indexed by default: the blended and software paths stop at the
  // engine's "uncoded bit" notices once per run.
  int method = SkinIndexed;
  std::string screenshot;
  bool headless = false;
};

// -1 to go on, otherwise the exit status.
int Parse(int argc, char** argv, ShowOptions* o) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--show-mesh") == 0 && i + 1 < argc) {
      o->file = argv[++i];
    } else if (std::strcmp(a, "--skinned") == 0) {
      o->skinned = true;
    } else if (std::strcmp(a, "--method") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long m = std::strtol(argv[++i], &end, 10);
      if (!end || *end != '\0' || m < 0 || m > SkinIndexedEffect) {
        std::fprintf(stderr, "vornel: --method takes 0 to 4, not '%s'\n", argv[i]);
        return 2;
      }
      o->method = static_cast<int>(m);
    } else if (std::strcmp(a, "--screenshot") == 0 && i + 1 < argc) {
      o->screenshot = argv[++i];
    } else if (std::strcmp(a, "--headless") == 0) {
      o->headless = true;
    } else if (std::strcmp(a, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "vornel: unknown option '%s'\n%s", a, kUsage);
      return 2;
    }
  }
  if (o->file.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return -1;
}

LRESULT CALLBACK ViewerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The engine's path convention uses backslashes.
std::string EnginePath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

// Centre and radius of the positions of a mesh (12-byte positions first).
void Bounds(ID3DXMesh* mesh, const D3DXMATRIX* place, D3DXVECTOR3* centre, float* radius) {
  BYTE* v = nullptr;
  const DWORD n = mesh->GetNumVertices(), stride = mesh->GetNumBytesPerVertex();
  if (n == 0 || FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&v)))) return;
  D3DXVECTOR3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
  for (DWORD i = 0; i < n; ++i) {
    D3DXVECTOR3 p;
    std::memcpy(&p, v + static_cast<std::size_t>(i) * stride, 12);
    if (place) D3DXVec3TransformCoord(&p, &p, place);
    lo.x = std::fmin(lo.x, p.x), lo.y = std::fmin(lo.y, p.y), lo.z = std::fmin(lo.z, p.z);
    hi.x = std::fmax(hi.x, p.x), hi.y = std::fmax(hi.y, p.y), hi.z = std::fmax(hi.z, p.z);
  }
  mesh->UnlockVertexBuffer();
  *centre = D3DXVECTOR3((lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2);
  const float dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
  *radius = std::fmax(0.01f, 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz));
}

// The first container of a frame tree, or null.
VNMeshContainer* FirstContainer(VNFrame* f) {
  while (f) {
    if (f->pMeshContainer) return static_cast<VNMeshContainer*>(f->pMeshContainer);
    if (VNMeshContainer* c = FirstContainer(static_cast<VNFrame*>(f->pFrameFirstChild))) return c;
    f = static_cast<VNFrame*>(f->pFrameSibling);
  }
  return nullptr;
}

void DrawFrame(Vorn& e, const ShowOptions& o, const D3DXVECTOR3& centre, float radius, float angle) {
  IDirect3DDevice9* d = e.m_pD3DDevice;
  const float distance = radius * 2.8f;
  D3DXVECTOR3 eye(centre.x + distance * std::sin(angle), centre.y + radius * 0.6f,
                  centre.z - distance * std::cos(angle));
  D3DXVECTOR3 up(0, 1, 0);
  D3DXMATRIX view, projection, identity;
  D3DXMatrixLookAtLH(&view, &eye, &centre, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.8f, e.m_fScreenWidth / e.m_fScreenHeight, radius * 0.05f,
                             radius * 10.0f);
  D3DXMatrixIdentity(&identity);
  d->SetTransform(D3DTS_VIEW, &view);
  d->SetTransform(D3DTS_PROJECTION, &projection);
  d->SetTransform(D3DTS_WORLD, &identity);
  d->SetFVF(0);
  d->SetRenderState(D3DRS_LIGHTING, TRUE);
  d->SetRenderState(D3DRS_ZENABLE, TRUE);
  d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  d->SetRenderState(D3DRS_FOGENABLE, FALSE);
  d->SetRenderState(D3DRS_AMBIENT, 0xFF404040);
  d->SetLight(0, &e.m_Light);
  d->LightEnable(0, TRUE);
  // The engine's light shines straight up, so it only lights what faces
  // down; a second light from the camera shows the rest of the mesh.
  D3DLIGHT9 fill{};
  fill.Type = D3DLIGHT_DIRECTIONAL;
  fill.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
  fill.Direction = {centre.x - eye.x, centre.y - eye.y, centre.z - eye.z};
  d->SetLight(1, &fill);
  d->LightEnable(1, TRUE);
  d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
  d->BeginScene();
  if (o.skinned) {
    e.m_Meshes[0].Draw();
  } else {
    FLATVNMesh& m = e.m_FlatMeshes[0];
    for (DWORD i = 0; i < m.m_NumMaterials; ++i) {
      d->SetMaterial(&m.m_pMaterials[i]);
      d->SetTexture(0, m.m_ppTextures[i]);
      m.m_pMesh->DrawSubset(i);
    }
  }
  d->EndScene();
  d->Present(nullptr, nullptr, nullptr, nullptr);
}

int Show(const ShowOptions& o) {
  if (!o.headless && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
    std::fputs("vornel: no display found; run with --headless\n", stderr);
    return 2;
  }
  std::FILE* f = std::fopen(o.file.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "vornel: --show-mesh: cannot open '%s'\n", o.file.c_str());
    return 2;
  }
  std::fclose(f);
  RegisterResources();
  std::string error;
  int status = InitBackend(o.headless ? BackendKind::kHeadless : BackendKind::kQt, nullptr, &error);
  if (status != 0) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return status;
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ViewerProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ClassName";
  RegisterClassExA(&wc);
  HWND hwnd = CreateWindowExA(0, "ClassName", "Vornel new Tests", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                              600, nullptr, nullptr, wc.hInstance, nullptr);
  g_StartupSettings.mainWindow = hwnd;
  g_StartupSettings.width = 800;
  g_StartupSettings.height = 600;
  Vorn& e = g_Engine;
  e.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
  e.m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  if (!hwnd || !Startup(e, wc)) {
    std::fputs("vornel: --show-mesh: the engine did not start\n", stderr);
    ShutdownBackend();
    return 2;
  }

  D3DXVECTOR3 centre(0, 0, 0);
  float radius = 1.0f;
  const std::string path = EnginePath(o.file);
  if (o.skinned) {
    VNMesh& m = e.m_Meshes[0];
    const HRESULT hr = m.Load(path.c_str(), static_cast<SkinningMethod>(o.method));
    VNMeshContainer* c = SUCCEEDED(hr) ? FirstContainer(m.m_pFrameRoot) : nullptr;
    if (!c) {
      std::fprintf(stderr, "vornel: --show-mesh: '%s' is not a mesh hierarchy we can read (%s)\n", o.file.c_str(),
                   FAILED(hr) ? DXGetErrorString9A(hr) : "no mesh in it");
      ShutdownBackend();
      return 2;
    }
    ID3DXMesh* shape = c->pLoadedMesh ? c->pLoadedMesh : c->MeshData.pMesh;
    Bounds(shape, nullptr, &centre, &radius);
    std::printf("show-mesh: %s: skinned, method %d, %lu vertices, %lu faces, %lu materials, %lu bones\n",
                o.file.c_str(), o.method, static_cast<unsigned long>(shape->GetNumVertices()),
                static_cast<unsigned long>(shape->GetNumFaces()), static_cast<unsigned long>(c->NumMaterials),
                static_cast<unsigned long>(c->pSkinInfo ? c->pSkinInfo->GetNumBones() : 0));
  } else {
    FLATVNMesh& m = e.m_FlatMeshes[0];
    m.FLATLoad(path.c_str());
    if (!m.m_bLoaded || !m.m_pMesh) {
      std::fprintf(stderr, "vornel: --show-mesh: '%s' is not a mesh we can read\n", o.file.c_str());
      ShutdownBackend();
      return 2;
    }
    Bounds(m.m_pMesh, nullptr, &centre, &radius);
    int textures = 0;
    for (DWORD i = 0; i < m.m_NumMaterials; ++i) textures += m.m_ppTextures[i] != nullptr;
    std::printf("show-mesh: %s: %lu vertices, %lu faces, %lu materials, %d textures found\n", o.file.c_str(),
                static_cast<unsigned long>(m.m_pMesh->GetNumVertices()),
                static_cast<unsigned long>(m.m_pMesh->GetNumFaces()), static_cast<unsigned long>(m.m_NumMaterials),
                textures);
  }
  std::fflush(stdout);

  if (!o.screenshot.empty() || o.headless) {
    DrawFrame(e, o, centre, radius, 0.6f);
    if (!o.screenshot.empty()) {
      ClientPixels p{};
      std::string why;
      if (!GetClientPixels(hwnd, &p) ||
          !WritePixelsPng(o.screenshot.c_str(), p.data, p.width, p.height, p.pitch, &why)) {
        std::fprintf(stderr, "vornel: --screenshot: cannot write '%s' %s\n", o.screenshot.c_str(), why.c_str());
        status = 2;
      }
    }
  } else {
    // The camera turns a tenth of a circle a second until the window closes.
    const DWORD start = timeGetTime();
    for (;;) {
      MSG msg{};
      bool quit = false;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) quit = true;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (quit || !IsWindow(hwnd)) break;
      DrawFrame(e, o, centre, radius, 0.6f + 0.6283f * static_cast<float>(timeGetTime() - start) / 1000.0f);
      Sleep(15);
    }
  }
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  ShutdownBackend();
  return status;
}

}  // namespace

int RunShowMeshCommand(int argc, char** argv, bool* handled) {
  *handled = false;
  bool asked = false;
  for (int i = 1; i < argc; ++i) asked = asked || std::strcmp(argv[i], "--show-mesh") == 0;
  if (!asked) return 0;
  *handled = true;
  ShowOptions options;
  const int status = Parse(argc, argv, &options);
  if (status >= 0) return status;
  return Show(options);
}
