// Test hooks of the software Direct3D 9 device: the call trace, fault
// injection, a simulated device loss, the adapter's display-mode list and
// a count of live objects. Only tests and the headless tooling use these;
// the engine never does.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace d3d9_hooks {

// ---------------------------------------------------------------------------
// Call trace
// ---------------------------------------------------------------------------
//
// While the trace is on, every call through a Direct3D interface (the
// IDirect3D9 object, the device and every resource, AddRef and Release
// included) appends one record. Arguments are written as text, separated by
// ", ":
//   - enumerations by their constant name where the device knows it
//     ("D3DRS_LIGHTING", "D3DPT_TRIANGLELIST", "D3DFMT_X8R8G8B8",
//     "D3DPOOL_MANAGED", "D3DTS_WORLD", "D3DSAMP_MINFILTER",
//     "D3DTSS_ALPHAARG1"), otherwise as a decimal number;
//   - other integers in decimal, flag words (usage, lock, clear, FVF,
//     create flags) in hexadecimal with "0x";
//   - floats with %g;
//   - objects as "<Kind>#<serial>" (Device#1, Texture#4, Surface#7,
//     VertexBuffer#2, IndexBuffer#3, Direct3D#1, VertexDeclaration#1,
//     VertexShader#1), a null pointer as "NULL", an out-pointer as "&";
//   - structures in braces: RECT and D3DRECT "{l,t,r,b}", D3DVIEWPORT9
//     "{x,y,w,h,minz,maxz}", a matrix its 16 floats row by row, other
//     structures "{...}".
// Example: "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)" with result D3D_OK.
struct CallRecord {
  std::string method;  // the method name alone, e.g. "DrawPrimitive"
  std::string args;    // the arguments as described above
  HRESULT result;      // the returned HRESULT (D3D_OK for void methods; for
                       // AddRef, Release and counts: the returned number)
  // "method(args)".
  std::string Text() const { return method + "(" + args + ")"; }
};

void SetCallTrace(bool on);
bool CallTraceOn();
// The records since the last ClearCallTrace, oldest first.
std::vector<CallRecord> CallTrace();
// The same as "method(args)" texts.
std::vector<std::string> CallTraceTexts();
// How many records name this method.
std::size_t CallCount(const std::string& method);
void ClearCallTrace();

// ---------------------------------------------------------------------------
// Fault injection
// ---------------------------------------------------------------------------
//
// The next `count` calls of the named method (any method the trace names:
// "CreateDevice", "Reset", "TestCooperativeLevel", "Lock", "LockRect",
// "CreateTexture", "CreateVertexBuffer", "CreateIndexBuffer", "Present",
// "BeginScene", ...) return `result` without doing anything; out-pointers
// are cleared as a failing call clears them. "Lock" covers vertex and index
// buffers; "LockRect" covers textures and surfaces. Faults of the same
// method queue up in the order they were set. A faulted call is traced with
// the injected result.
void FailNextCalls(const std::string& method, HRESULT result, int count = 1);
// Calls still queued to fail for this method.
int PendingFaults(const std::string& method);
void ClearFaults();

// ---------------------------------------------------------------------------
// Device loss
// ---------------------------------------------------------------------------
//
// Loses every device: the next `lost_checks` calls of TestCooperativeLevel
// return D3DERR_DEVICELOST, the following ones D3DERR_DEVICENOTRESET until
// a Reset succeeds. While lost, Present returns D3DERR_DEVICELOST, and a
// Reset during the D3DERR_DEVICELOST phase fails with D3DERR_DEVICELOST.
// Drawing calls keep succeeding and draw nothing, as on Windows.
void SimulateDeviceLost(int lost_checks = 1);
bool DeviceLost();

// ---------------------------------------------------------------------------
// Adapter
// ---------------------------------------------------------------------------
//
// The one adapter reports, per format, a list of display modes (Format of
// each mode is set to the list's format). By default: D3DFMT_X8R8G8B8 with
// 640x480, 800x600, 1024x768, 1152x864, 1280x720, 1280x1024, 1600x1200,
// 1920x1080 and 1920x1200, each at 60 and 75 Hz; D3DFMT_R5G6B5 with
// 640x480, 800x600 and 1024x768 at 60 Hz; no other format. The desktop mode (GetAdapterDisplayMode) defaults to 1920x1080 at
// 60 Hz in D3DFMT_X8R8G8B8.
void SetDisplayModes(D3DFORMAT format, const std::vector<D3DDISPLAYMODE>& modes);
std::vector<D3DDISPLAYMODE> DisplayModes(D3DFORMAT format);
void SetDesktopMode(const D3DDISPLAYMODE& mode);
// Back to the default lists and desktop mode.
void RestoreDefaultDisplayModes();

// ---------------------------------------------------------------------------
// Bookkeeping
// ---------------------------------------------------------------------------

// Objects (the Direct3D object, devices, resources, declarations, shaders)
// created and not yet destroyed. A test that releases everything it made
// sees the count it started with.
int LiveObjectCount();

// Trace off and empty, no faults, no loss, default display modes, worker
// thread allowed.
void ResetAll();

// ---------------------------------------------------------------------------
// Worker thread
// ---------------------------------------------------------------------------

// Allows or forbids the rasterizer's second thread (allowed by default on
// machines with more than one core). Pictures are the same either way.
void SetWorkerThread(bool on);

}  // namespace d3d9_hooks
