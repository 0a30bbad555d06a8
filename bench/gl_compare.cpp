// The bench's workloads drawn once through the software device, the way
// the engine issues them, and once through OpenGL on Mesa's llvmpipe (EGL,
// no window): the same geometry from one seeded generator, the same states
// and resolution, every frame ending with its pixels copied into memory
// (Present; glFinish and glReadPixels); 3D workloads with the bench's
// linear vertex fog. Prints both frame rates, their
// ratio and the geometric mean. Refuses another GL renderer unless run
// with --any-renderer.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_device.h"
#include "platform/d3d9/d3d9.h"

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#ifndef GL_FRAMEBUFFER
#define GL_FRAMEBUFFER 0x8D40
#define GL_RENDERBUFFER 0x8D41
#define GL_COLOR_ATTACHMENT0 0x8CE0
#define GL_DEPTH_ATTACHMENT 0x8D00
#define GL_DEPTH_COMPONENT24 0x81A6
#endif

namespace {

constexpr int kW = 1024, kH = 768;

// ---------------------------------------------------------------------------
// Geometry shared by both sides.
// ---------------------------------------------------------------------------

struct ScreenVertex {  // XYZRHW | DIFFUSE | TEX1
  float x, y, z, rhw;
  std::uint32_t color;  // D3DCOLOR: bytes b, g, r, a
  float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Vertex3D {  // XYZ | NORMAL | DIFFUSE | TEX1
  float x, y, z;
  float nx, ny, nz;
  std::uint32_t color;
  float u, v;
};
constexpr DWORD k3DFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// What a workload draws: its primitives in one array, how they group into
// draws, and its states.
struct Workload {
  std::string name;
  bool three_d = false;
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  int per_draw = 0;  // primitives in each draw; all in one draw when 0
  int primitives = 0;
  std::vector<ScreenVertex> screen;
  std::vector<Vertex3D> space;
  bool textured = false, font = false;  // font: SRCALPHA / ONE text
  bool blend = true, depth = false, lit = false;
};

int VerticesPer(D3DPRIMITIVETYPE t) { return t == D3DPT_POINTLIST ? 1 : t == D3DPT_LINELIST ? 2 : 3; }

std::uint32_t Colour(std::mt19937& r, std::uint32_t alpha) { return (alpha << 24) | (r() & 0xffffff); }

// Axis-aligned quads as two triangles each.
void Quad(std::vector<ScreenVertex>& out, float x, float y, float w, float h, std::uint32_t c) {
  const ScreenVertex a{x, y, 0, 1, c, 0, 0}, b{x + w, y, 0, 1, c, 1, 0}, d{x, y + h, 0, 1, c, 0, 1},
      e{x + w, y + h, 0, 1, c, 1, 1};
  out.insert(out.end(), {a, b, d, b, e, d});
}

std::vector<Workload> MakeWorkloads() {
  std::mt19937 r(20261209);
  auto f = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(r); };
  std::vector<Workload> all;
  auto bars = [&](const char* name, int n, bool immediate, bool textured) {
    Workload w;
    w.name = name;
    w.textured = textured;
    for (int i = 0; i < n; ++i) Quad(w.screen, f(0, 960), f(0, 720), f(16, 128), f(16, 96), Colour(r, 0xc0));
    w.primitives = 2 * n;
    w.per_draw = immediate ? 2 : 0;
    all.push_back(w);
  };
  bars("immediate bars 100", 100, true, false);
  bars("render bars 1000", 1000, false, false);
  bars("textured bars 100", 100, true, true);
  {
    Workload w;
    w.name = "text 100 prints";
    w.textured = w.font = true;
    for (int p = 0; p < 100; ++p) {
      const float x = f(0, 800), y = f(0, 740);
      for (int c = 0; c < 11; ++c) Quad(w.screen, x + 16 * c, y, 16, 24, 0xffffffffu);
    }
    w.primitives = 2200;
    w.per_draw = 22;
    all.push_back(w);
  }
  auto lines = [&](const char* name, int n, bool immediate) {
    Workload w;
    w.name = name;
    w.type = D3DPT_LINELIST;
    for (int i = 0; i < n; ++i) {
      const std::uint32_t c = Colour(r, 0xff);
      w.screen.push_back({f(0, kW), f(0, kH), 0, 1, c, 0, 0});
      w.screen.push_back({f(0, kW), f(0, kH), 0, 1, c, 0, 0});
    }
    w.primitives = n;
    w.per_draw = immediate ? 1 : 0;
    all.push_back(w);
  };
  lines("immediate lines 100", 100, true);
  lines("render lines 1000", 1000, false);
  auto space = [&](const char* name, D3DPRIMITIVETYPE type, int n, bool textured, int per_draw) {
    Workload w;
    w.name = name;
    w.three_d = w.depth = true;
    w.blend = false;
    w.type = type;
    w.textured = textured;
    const int k = VerticesPer(type);
    for (int i = 0; i < n; ++i) {
      const float cx = f(-60, 60), cy = f(-40, 40), cz = f(-100, 0);
      for (int j = 0; j < k; ++j)
        w.space.push_back({cx + f(-4, 4), cy + f(-4, 4), cz + f(-4, 4), 0, 0, 1, Colour(r, 0xff), f(0, 1), f(0, 1)});
    }
    w.primitives = n;
    w.per_draw = per_draw;
    all.push_back(w);
  };
  space("3D points 16370", D3DPT_POINTLIST, 16370, false, 0);
  space("3D lines 8189", D3DPT_LINELIST, 8189, false, 0);
  space("3D polygons 5458", D3DPT_TRIANGLELIST, 5458, false, 0);
  space("3D textured polygons 5458", D3DPT_TRIANGLELIST, 5458, true, 0);
  space("immediate 3D polygons 1250", D3DPT_TRIANGLELIST, 1250, false, 1);
  {
    Workload w;
    w.name = "lit grid 5000";
    w.three_d = w.depth = w.lit = true;
    w.blend = false;
    const int nx = 50, ny = 50;
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        auto v = [&](int a, int b) {
          const float x = -50.f + 2.f * static_cast<float>(a), z = -120.f + 2.f * static_cast<float>(b);
          const float y = -20.f + 2.f * std::sin(0.3f * static_cast<float>(a + b));
          return Vertex3D{x, y, z, 0.f, 1.f, 0.f, 0xffc0c0c0u, 0, 0};
        };
        w.space.insert(w.space.end(), {v(i, j), v(i + 1, j), v(i, j + 1), v(i + 1, j), v(i + 1, j + 1), v(i, j + 1)});
      }
    w.primitives = 2 * nx * ny;
    all.push_back(w);
  }
  {
    Workload w;
    w.name = "empty frame";
    all.push_back(w);
  }
  return all;
}

// Row-vector perspective (right-handed, depth 0..1) and a view down -z.
void Projection(float* m) {
  const float n = 1.f, fz = 300.f, ys = 1.f / std::tan(0.5f * 0.785f), xs = ys * kH / kW;
  std::memset(m, 0, 16 * sizeof(float));
  m[0] = xs, m[5] = ys, m[10] = fz / (n - fz), m[11] = -1.f, m[14] = n * fz / (n - fz);
}

void Texels(std::vector<std::uint32_t>& t, bool font) {
  t.resize(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      t[y * 256 + x] = font ? (((x ^ y) & 8) ? 0xffffffffu : 0x00ffffffu)
                            : 0xff000000u | static_cast<std::uint32_t>(x * 0x10000 + y * 0x100 + (x ^ y));
}

// ---------------------------------------------------------------------------
// The device side.
// ---------------------------------------------------------------------------

struct DeviceSide {
  BenchDevice device{reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x61c0)), true};
  IDirect3DDevice9* dev = device.dev;
  IDirect3DVertexBuffer9* vb = nullptr;
  IDirect3DTexture9* tex = nullptr;
  IDirect3DTexture9* font = nullptr;

  DeviceSide() {
    dev->CreateVertexBuffer(4 * 1024 * 1024, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb,
                            nullptr);
    std::vector<std::uint32_t> t;
    for (int k = 0; k < 2; ++k) {
      IDirect3DTexture9*& out = k ? font : tex;
      dev->CreateTexture(256, 256, 1, 0, k ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &out, nullptr);
      Texels(t, k != 0);
      D3DLOCKED_RECT lr;
      out->LockRect(0, &lr, nullptr, 0);
      for (int y = 0; y < 256; ++y) std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, &t[y * 256], 1024);
      out->UnlockRect(0);
    }
  }
  ~DeviceSide() {
    dev->SetTexture(0, nullptr);
    dev->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();
    tex->Release();
    font->Release();
  }

  void Setup(const Workload& w) {
    dev->SetRenderState(D3DRS_LIGHTING, w.lit ? TRUE : FALSE);
    dev->SetRenderState(D3DRS_ZENABLE, w.depth ? D3DZB_TRUE : D3DZB_FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, w.blend ? TRUE : FALSE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, w.font ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    dev->SetTexture(0, w.textured ? (w.font ? font : tex) : nullptr);
    dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    dev->SetFVF(w.three_d ? k3DFvf : kScreenFvf);
    // The bench's 3D tests draw with linear vertex fog from 50 to 150.
    float start = 50.f, end = 150.f;
    DWORD sbits, ebits;
    std::memcpy(&sbits, &start, 4);
    std::memcpy(&ebits, &end, 4);
    dev->SetRenderState(D3DRS_FOGENABLE, w.three_d ? TRUE : FALSE);
    dev->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    dev->SetRenderState(D3DRS_FOGSTART, sbits);
    dev->SetRenderState(D3DRS_FOGEND, ebits);
    dev->SetRenderState(D3DRS_FOGCOLOR, 0xff6464f5u);
    if (w.three_d) {
      D3DMATRIX id{}, proj;
      for (int i = 0; i < 4; ++i) id.m[i][i] = 1.f;
      Projection(&proj._11);
      dev->SetTransform(D3DTS_WORLD, &id);
      dev->SetTransform(D3DTS_VIEW, &id);
      dev->SetTransform(D3DTS_PROJECTION, &proj);
      D3DMATERIAL9 m{};
      m.Diffuse = {1, 1, 1, 1};
      m.Ambient = {0.2f, 0.2f, 0.2f, 1};
      dev->SetMaterial(&m);
      D3DLIGHT9 l{};
      l.Type = D3DLIGHT_DIRECTIONAL;
      l.Diffuse = {1, 1, 1, 1};
      l.Direction = {0.3f, -1.f, -0.4f};
      dev->SetLight(0, &l);
      dev->LightEnable(0, TRUE);
    }
  }

  void Frame(const Workload& w) {
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | (w.depth ? D3DCLEAR_ZBUFFER : 0), 0xff202040u, 1.f, 0);
    dev->BeginScene();
    const UINT stride = w.three_d ? sizeof(Vertex3D) : sizeof(ScreenVertex);
    const BYTE* data = w.three_d ? reinterpret_cast<const BYTE*>(w.space.data())
                                 : reinterpret_cast<const BYTE*>(w.screen.data());
    const int k = VerticesPer(w.type);
    const int per = w.per_draw ? w.per_draw : w.primitives;
    dev->SetStreamSource(0, vb, 0, stride);
    for (int p = 0; p < w.primitives; p += per) {
      // Lock, copy, unlock, draw: the engine's way for every draw.
      const UINT bytes = static_cast<UINT>(per * k) * stride;
      void* out = nullptr;
      if (FAILED(vb->Lock(0, bytes, &out, D3DLOCK_DISCARD))) break;
      std::memcpy(out, data + static_cast<std::size_t>(p) * k * stride, bytes);
      vb->Unlock();
      dev->DrawPrimitive(w.type, 0, static_cast<UINT>(per));
    }
    dev->EndScene();
    dev->Present(nullptr, nullptr, nullptr, nullptr);
  }
};

// ---------------------------------------------------------------------------
// The OpenGL side.
// ---------------------------------------------------------------------------

using GenFn = void (*)(GLsizei, GLuint*);
using BindFn = void (*)(GLenum, GLuint);
using StorageFn = void (*)(GLenum, GLenum, GLsizei, GLsizei);
using AttachFn = void (*)(GLenum, GLenum, GLenum, GLuint);

struct GlSide {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  GLuint textures[2] = {};
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(static_cast<std::size_t>(kW) * kH * 4);
  std::string renderer;

  bool Open() {
    auto get_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!get_display) return false;
    display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    // Rendering goes to a framebuffer object: no surface, and no config
    // when the display offers none for that.
    const EGLint attrs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
    EGLConfig config = EGL_NO_CONFIG_KHR;
    EGLint n = 0;
    if (!eglChooseConfig(display, attrs, &config, 1, &n) || n < 1) config = EGL_NO_CONFIG_KHR;
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) return false;
    const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer = r ? r : "";
    // An off-screen target of the bench's size with a depth buffer.
    auto gen_fb = reinterpret_cast<GenFn>(eglGetProcAddress("glGenFramebuffers"));
    auto bind_fb = reinterpret_cast<BindFn>(eglGetProcAddress("glBindFramebuffer"));
    auto gen_rb = reinterpret_cast<GenFn>(eglGetProcAddress("glGenRenderbuffers"));
    auto bind_rb = reinterpret_cast<BindFn>(eglGetProcAddress("glBindRenderbuffer"));
    auto storage = reinterpret_cast<StorageFn>(eglGetProcAddress("glRenderbufferStorage"));
    auto attach = reinterpret_cast<AttachFn>(eglGetProcAddress("glFramebufferRenderbuffer"));
    if (!gen_fb || !bind_fb || !gen_rb || !bind_rb || !storage || !attach) return false;
    GLuint fb, rb[2];
    gen_fb(1, &fb);
    bind_fb(GL_FRAMEBUFFER, fb);
    gen_rb(2, rb);
    bind_rb(GL_RENDERBUFFER, rb[0]);
    storage(GL_RENDERBUFFER, GL_RGBA8, kW, kH);
    attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
    bind_rb(GL_RENDERBUFFER, rb[1]);
    storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kW, kH);
    attach(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
    glViewport(0, 0, kW, kH);
    glGenTextures(2, textures);
    std::vector<std::uint32_t> t;
    for (int k = 0; k < 2; ++k) {
      Texels(t, k != 0);
      glBindTexture(GL_TEXTURE_2D, textures[k]);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_BGRA, GL_UNSIGNED_BYTE, t.data());
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    return glGetError() == GL_NO_ERROR;
  }
  ~GlSide() {
    if (display != EGL_NO_DISPLAY) {
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
      eglTerminate(display);
    }
  }

  void Setup(const Workload& w) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (w.three_d) {
      float m[16];
      Projection(m);
      glMatrixMode(GL_PROJECTION);
      glLoadMatrixf(m);  // row vectors in D3D order are GL's column-major form
      glMatrixMode(GL_MODELVIEW);
    } else {
      glMatrixMode(GL_PROJECTION);
      glOrtho(0, kW, kH, 0, -1, 1);
      glMatrixMode(GL_MODELVIEW);
    }
    (w.three_d ? glEnable : glDisable)(GL_FOG);
    const float fog_colour[4] = {0x64 / 255.f, 0x64 / 255.f, 0xf5 / 255.f, 1.f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 50.f);
    glFogf(GL_FOG_END, 150.f);
    glFogfv(GL_FOG_COLOR, fog_colour);
    (w.depth ? glEnable : glDisable)(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    (w.blend ? glEnable : glDisable)(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, w.font ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    (w.textured ? glEnable : glDisable)(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[w.font ? 1 : 0]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (w.lit) {
      glEnable(GL_LIGHTING);
      glEnable(GL_LIGHT0);
      const float dir[4] = {-0.3f, 1.f, 0.4f, 0.f}, white[4] = {1, 1, 1, 1}, ambient[4] = {0.2f, 0.2f, 0.2f, 1};
      glLightfv(GL_LIGHT0, GL_POSITION, dir);
      glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
      glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
      glEnable(GL_COLOR_MATERIAL);
    } else {
      glDisable(GL_LIGHTING);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    (w.textured ? glEnableClientState : glDisableClientState)(GL_TEXTURE_COORD_ARRAY);
    (w.lit ? glEnableClientState : glDisableClientState)(GL_NORMAL_ARRAY);
    if (w.three_d) {
      const Vertex3D* v = w.space.data();
      glVertexPointer(3, GL_FLOAT, sizeof(Vertex3D), &v->x);
      glNormalPointer(GL_FLOAT, sizeof(Vertex3D), &v->nx);
      glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(Vertex3D), &v->color);
      glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex3D), &v->u);
    } else {
      const ScreenVertex* v = w.screen.data();
      glVertexPointer(2, GL_FLOAT, sizeof(ScreenVertex), &v->x);
      glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(ScreenVertex), &v->color);
      glTexCoordPointer(2, GL_FLOAT, sizeof(ScreenVertex), &v->u);
    }
  }

  void Frame(const Workload& w) {
    glClearColor(0.125f, 0.125f, 0.25f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT | (w.depth ? GL_DEPTH_BUFFER_BIT : 0));
    const GLenum mode = w.type == D3DPT_POINTLIST ? GL_POINTS : w.type == D3DPT_LINELIST ? GL_LINES : GL_TRIANGLES;
    const int k = VerticesPer(w.type);
    const int per = w.per_draw ? w.per_draw : w.primitives;
    for (int p = 0; p < w.primitives; p += per) glDrawArrays(mode, p * k, per * k);
    glFinish();
    glReadPixels(0, 0, kW, kH, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  }
};

// Frames a second of `frame` over about `seconds`, after a few to warm up.
double Rate(const std::function<void()>& frame, double seconds) {
  for (int i = 0; i < 3; ++i) frame();
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  int frames = 0;
  double elapsed = 0;
  do {
    frame();
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds);
  return frames / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  bool any_renderer = false;
  double seconds = 1.0;
  std::string only;  // run the workloads whose names contain this
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--any-renderer") any_renderer = true;
    else if (a == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
    else if (a == "--only" && i + 1 < argc) only = argv[++i];
    else {
      std::fprintf(stderr, "usage: gl_compare [--seconds S] [--only TEXT] [--any-renderer]\n");
      return 2;
    }
  }
  if (!(seconds > 0)) seconds = 1.0;
  GlSide gl;
  if (!gl.Open()) {
    std::fprintf(stderr, "gl_compare: no OpenGL context through EGL (surfaceless Mesa)\n");
    return 1;
  }
  if (gl.renderer.find("llvmpipe") == std::string::npos && !any_renderer) {
    std::fprintf(stderr, "gl_compare: the GL renderer is \"%s\", not llvmpipe; run with --any-renderer to time it\n",
                 gl.renderer.c_str());
    return 1;
  }
  DeviceSide device;
  const std::vector<Workload> workloads = MakeWorkloads();
  std::printf("%-30s %12s %12s %8s\n", "workload", "device fps", "GL fps", "ratio");
  double log_sum = 0;
  int count = 0;
  for (const Workload& w : workloads) {
    if (!only.empty() && w.name.find(only) == std::string::npos) continue;
    device.Setup(w);
    const double d = Rate([&] { device.Frame(w); }, seconds);
    gl.Setup(w);
    const double g = Rate([&] { gl.Frame(w); }, seconds);
    const double ratio = g > 0 ? d / g : 0;
    std::printf("%-30s %12.1f %12.1f %8.2f\n", w.name.c_str(), d, g, ratio);
    std::fflush(stdout);
    if (ratio > 0) log_sum += std::log(ratio), ++count;
  }
  std::printf("%-30s %12s %12s %8.2f\n", "geometric mean", "", "", count ? std::exp(log_sum / count) : 0.0);
  std::printf("GL renderer: %s\n", gl.renderer.c_str());
  return 0;
}
