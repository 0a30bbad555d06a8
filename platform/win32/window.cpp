// Window classes and windows: the records behind the handles, creation and
// destruction, geometry, text, window longs and painting.
#include "platform/win32/window.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/win32/backend.h"
#include "platform/win32/file_handles.h"
#include "platform/win32/menu.h"
#include "platform/win32/resources.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/ui_state.h"
#include "platform/win32/window_pixels.h"

namespace {

struct ClassRecord {
  WNDCLASSEXA wc{};
  std::string name;
  std::string menu_name;  // when the class menu is given by name
  bool menu_by_name = false;
};

std::string Lower(const char* s) {
  std::string out = s ? s : "";
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::map<std::string, ClassRecord>& Classes() {
  static std::map<std::string, ClassRecord> classes;
  return classes;
}

std::map<HWND, std::unique_ptr<WindowRecord>>& Windows() {
  static std::map<HWND, std::unique_ptr<WindowRecord>> windows;
  return windows;
}

std::vector<HWND>& CreationOrder() {
  static std::vector<HWND> order;
  return order;
}

std::vector<WindowForgetter>& Forgetters() {
  static std::vector<WindowForgetter> forgetters;
  return forgetters;
}

// Handles count up from a small base and are never reused, so a stale
// handle never reaches a newer window, and every handle fits in 32 bits.
ULONG_PTR g_next_handle = 0x10000;
// The desktop's handle lies below every window handle.
HWND const kDesktop = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x8000));
int g_headless_desktop_width = 1920;
int g_headless_desktop_height = 1080;

RECT DesktopRectNow() {
  if (Backend* b = ActiveBackend()) return b->DesktopRect();
  return HeadlessDesktopRect();
}

// Recomputes the client size from the window rectangle and tells pixels
// and window procedure about a change.
void ApplyRect(WindowRecord* w, const RECT& rect, bool send_size) {
  w->rect = rect;
  RECT insets = FrameInsets(w->style, w->top_level && w->menu != nullptr);
  int cw = std::max<int>(0, (rect.right - rect.left) - insets.left - insets.right);
  int ch = std::max<int>(0, (rect.bottom - rect.top) - insets.top - insets.bottom);
  bool changed = cw != w->client_width || ch != w->client_height;
  w->client_width = cw;
  w->client_height = ch;
  if (w->top_level) SetClientPixelsSize(w->handle, cw, ch);
  if (changed && send_size) SendMessageA(w->handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
}

}  // namespace

// [SECTION] Shared records

WindowRecord* FindWindowRecord(HWND hwnd) {
  auto it = Windows().find(hwnd);
  return it == Windows().end() ? nullptr : it->second.get();
}

std::vector<HWND> AllWindows() { return CreationOrder(); }

void AddWindowForgetter(WindowForgetter forget) {
  auto& all = Forgetters();
  if (std::find(all.begin(), all.end(), forget) == all.end()) all.push_back(forget);
}

RECT FrameInsets(DWORD style, bool has_menu) {
  RECT r{0, 0, 0, 0};
  int border = 0;
  if (style & WS_THICKFRAME)
    border = 8;
  else if (style & (WS_BORDER | WS_DLGFRAME))
    border = 1;
  r.left = r.right = r.bottom = border;
  r.top = border;
  if ((style & WS_CAPTION) == WS_CAPTION) r.top += 23;
  if (has_menu) r.top += 20;
  return r;
}

void NotifyWindowChanged(HWND hwnd) {
  if (Backend* b = ActiveBackend()) b->WindowChanged(hwnd);
}

// [SECTION] Classes

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string key = Lower(wc->lpszClassName);
  if (Classes().count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  ClassRecord rec;
  rec.wc = *wc;
  rec.name = wc->lpszClassName;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) {
    rec.menu_name = wc->lpszMenuName;
    rec.menu_by_name = true;
  }
  Classes()[key] = rec;
  static ATOM next_atom = 0xC000;
  return next_atom++;
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE) {
  if (!class_name) return FALSE;
  std::string key = Lower(class_name);
  auto it = Classes().find(key);
  if (it == Classes().end()) return FALSE;
  for (HWND h : CreationOrder())
    if (Lower(FindWindowRecord(h)->class_name.c_str()) == key) return FALSE;  // still in use
  Classes().erase(it);
  return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR class_name, WNDCLASSEXA* out) {
  if (!class_name || !out) return FALSE;
  auto it = Classes().find(Lower(class_name));
  if (it == Classes().end()) return FALSE;
  *out = it->second.wc;
  out->lpszClassName = it->second.name.c_str();
  return TRUE;
}

// [SECTION] Creation and destruction

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  RegisterStatusBarClass();
  auto cls = Classes().find(Lower(class_name));
  if (cls == Classes().end()) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  bool child = (style & WS_CHILD) != 0;
  if (child && !FindWindowRecord(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto rec = std::make_unique<WindowRecord>();
  HWND hwnd = reinterpret_cast<HWND>(g_next_handle);
  g_next_handle += 4;
  WindowRecord* w = rec.get();
  w->handle = hwnd;
  w->class_name = cls->second.name;
  w->proc = cls->second.wc.lpfnWndProc;
  w->instance = instance;
  w->style = style & ~WS_VISIBLE;
  w->ex_style = ex_style;
  w->text = window_name ? window_name : "";
  w->parent = parent;
  w->top_level = !child;
  if (child) {
    w->id = static_cast<int>(reinterpret_cast<ULONG_PTR>(menu));
  } else {
    w->menu = menu;
    if (!w->menu) {
      const ClassRecord& c = cls->second;
      if (c.menu_by_name)
        w->menu = LoadMenuA(instance, c.menu_name.c_str());
      else if (c.wc.lpszMenuName)
        w->menu = LoadMenuA(instance, c.wc.lpszMenuName);
    }
  }
  RECT r;
  if (!child && (x == CW_USEDEFAULT || width == CW_USEDEFAULT)) {
    RECT desk = DesktopRectNow();
    int dw = desk.right - desk.left, dh = desk.bottom - desk.top;
    if (x == CW_USEDEFAULT) x = y = 26;
    if (width == CW_USEDEFAULT) {
      width = dw * 3 / 4;
      height = dh * 3 / 4;
    }
  }
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = height = 0;
  r = RECT{x, y, x + width, y + height};
  Windows()[hwnd] = std::move(rec);
  CreationOrder().push_back(hwnd);
  if (child) FindWindowRecord(parent)->children.push_back(hwnd);
  ApplyRect(w, r, false);
  if (Backend* b = ActiveBackend()) b->WindowCreated(hwnd);

  CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                   window_name, class_name, ex_style};
  if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  w = FindWindowRecord(hwnd);
  if (!w) return nullptr;  // destroyed by its own WM_CREATE
  SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->client_width, w->client_height));
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w || w->destroying) return FALSE;
  w->destroying = true;
  if (w->visible) {
    w->visible = false;
    NotifyWindowChanged(hwnd);
  }
  SendMessageA(hwnd, WM_DESTROY, 0, 0);
  // Children after their parent, as Windows does; owned top-level windows
  // (dialogs) go with their owner too.
  std::vector<HWND> doomed = FindWindowRecord(hwnd)->children;
  for (HWND h : CreationOrder()) {
    WindowRecord* o = FindWindowRecord(h);
    if (o && o->top_level && o->parent == hwnd && h != hwnd) doomed.push_back(h);
  }
  for (HWND c : doomed) DestroyWindow(c);
  w = FindWindowRecord(hwnd);
  SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
  if (Backend* b = ActiveBackend()) b->WindowDestroyed(hwnd);
  if (w->top_level) {
    ReleaseClientPixels(hwnd);
    if (w->menu) DestroyMenuOfWindow(w->menu);
  }
  if (WindowRecord* p = FindWindowRecord(w->parent)) {
    auto& ch = p->children;
    ch.erase(std::remove(ch.begin(), ch.end(), hwnd), ch.end());
  }
  DropMessagesFor(hwnd);
  auto& order = CreationOrder();
  order.erase(std::remove(order.begin(), order.end(), hwnd), order.end());
  for (WindowForgetter forget : Forgetters()) forget(hwnd);
  Windows().erase(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return FindWindowRecord(hwnd) != nullptr || hwnd == kDesktop; }

// [SECTION] Visibility, text and relations

BOOL ShowWindow(HWND hwnd, int command) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  BOOL was = w->visible ? TRUE : FALSE;
  bool show = command != SW_HIDE;
  if (show != w->visible) {
    w->visible = show;
    if (show) {
      w->style |= WS_VISIBLE;
      w->invalid = true;
    } else {
      w->style &= ~WS_VISIBLE;
    }
    NotifyWindowChanged(hwnd);
  }
  return was;
}

BOOL IsWindowVisible(HWND hwnd) {
  WindowRecord* w = FindWindowRecord(hwnd);
  return w && w->visible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  if (w->invalid && w->visible) SendMessageA(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  BOOL was_disabled = w->enabled ? FALSE : TRUE;
  if (w->enabled != (enable != FALSE)) {
    w->enabled = enable != FALSE;
    if (w->enabled)
      w->style &= ~WS_DISABLED;
    else
      w->style |= WS_DISABLED;
    SendMessageA(hwnd, WM_ENABLE, enable, 0);
    NotifyWindowChanged(hwnd);
  }
  return was_disabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  WindowRecord* w = FindWindowRecord(hwnd);
  return w && w->enabled ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!FindWindowRecord(hwnd)) return FALSE;
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  if (!FindWindowRecord(hwnd) || !buffer || size <= 0) return 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  if (!FindWindowRecord(hwnd)) return 0;
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND GetParent(HWND hwnd) {
  WindowRecord* w = FindWindowRecord(hwnd);
  return w ? w->parent : nullptr;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w || !buffer || size <= 0) return 0;
  size_t n = std::min<size_t>(w->class_name.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, w->class_name.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

HWND GetDesktopWindow() { return kDesktop; }

void NotifyClientResized(HWND hwnd, int width, int height) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w || !w->top_level || (width == w->client_width && height == w->client_height)) return;
  RECT in = FrameInsets(w->style, w->menu != nullptr);
  RECT r{w->rect.left, w->rect.top, w->rect.left + in.left + width + in.right,
         w->rect.top + in.top + height + in.bottom};
  ApplyRect(w, r, true);
  w->invalid = true;
}

void SetHeadlessDesktopSize(int width, int height) {
  g_headless_desktop_width = width;
  g_headless_desktop_height = height;
}

RECT HeadlessDesktopRect() { return RECT{0, 0, g_headless_desktop_width, g_headless_desktop_height}; }

HWND MainScriptWindow() {
  for (HWND h : CreationOrder()) {
    WindowRecord* w = FindWindowRecord(h);
    if (w->top_level && !w->is_dialog && !w->destroying) return h;
  }
  return nullptr;
}

// [SECTION] Geometry

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  if (!rect) return FALSE;
  if (hwnd == kDesktop) {
    RECT d = DesktopRectNow();
    *rect = RECT{0, 0, d.right - d.left, d.bottom - d.top};
    return TRUE;
  }
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  *rect = RECT{0, 0, w->client_width, w->client_height};
  return TRUE;
}

// The desktop position of a window's client origin.
static POINT ClientOrigin(WindowRecord* w) {
  RECT in = FrameInsets(w->style, w->top_level && w->menu);
  POINT p{w->rect.left + in.left, w->rect.top + in.top};
  if (!w->top_level)
    if (WindowRecord* parent = FindWindowRecord(w->parent)) {
      POINT q = ClientOrigin(parent);
      p.x += q.x;
      p.y += q.y;
    }
  return p;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (!rect) return FALSE;
  if (hwnd == kDesktop) {
    *rect = DesktopRectNow();
    return TRUE;
  }
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  RECT r = w->rect;
  // A child's rectangle is kept in its parent's client pixels; it is
  // reported in desktop pixels, as Windows does.
  if (!w->top_level)
    if (WindowRecord* parent = FindWindowRecord(w->parent)) {
      POINT o = ClientOrigin(parent);
      r = RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
    }
  *rect = r;
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD) {
  if (!rect) return FALSE;
  RECT in = FrameInsets(style, menu != FALSE);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  RECT r = w->rect;
  if (!(flags & SWP_NOMOVE)) {
    r.right += x - r.left;
    r.bottom += y - r.top;
    r.left = x;
    r.top = y;
  }
  if (!(flags & SWP_NOSIZE)) {
    r.right = r.left + std::max(0, cx);
    r.bottom = r.top + std::max(0, cy);
  }
  ApplyRect(w, r, true);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (FindWindowRecord(hwnd)) {
    FindWindowRecord(hwnd)->invalid = !(flags & SWP_NOREDRAW) || FindWindowRecord(hwnd)->invalid;
    NotifyWindowChanged(hwnd);
  }
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!point || !w) return FALSE;
  POINT o = ClientOrigin(w);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

// [SECTION] Window longs

ULONG_PTR GetClassLongPtrA(HWND hwnd, int index) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return 0;
  auto cls = Classes().find(Lower(w->class_name.c_str()));
  if (cls == Classes().end()) return 0;
  if (index == GCLP_HICON) return reinterpret_cast<ULONG_PTR>(cls->second.wc.hIcon);
  if (index == GCLP_HICONSM) return reinterpret_cast<ULONG_PTR>(cls->second.wc.hIconSm);
  return 0;
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent);
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->ex_style);
    case GWL_USERDATA: return w->user_data;
    default: SetLastError(ERROR_INVALID_PARAMETER); return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = GetWindowLongPtrA(hwnd, index);
  switch (index) {
    case GWL_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWL_ID: w->id = static_cast<int>(value); break;
    case GWL_STYLE:
      // WS_VISIBLE follows ShowWindow; the frame follows at the next
      // SetWindowPos (SWP_FRAMECHANGED), as on Windows.
      w->style = (static_cast<DWORD>(value) & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
      NotifyWindowChanged(hwnd);
      break;
    case GWL_EXSTYLE: w->ex_style = static_cast<DWORD>(value); break;
    case GWL_USERDATA: w->user_data = value; break;
    default: return 0;
  }
  return old;
}

LONG GetWindowLongA(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrA(hwnd, index)); }

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
  // Styles and handles are unsigned 32-bit values; keep them so. An id
  // keeps its sign.
  LONG_PTR v = index == GWL_ID ? static_cast<LONG_PTR>(value) : static_cast<LONG_PTR>(static_cast<DWORD>(value));
  return static_cast<LONG>(SetWindowLongPtrA(hwnd, index, v));
}

// [SECTION] Painting

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
  if (!hwnd) {
    for (HWND h : CreationOrder())
      if (FindWindowRecord(h)->top_level) FindWindowRecord(h)->invalid = true;
    return TRUE;
  }
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  w->invalid = true;
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return FALSE;
  w->invalid = false;
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w || !paint) return nullptr;
  std::memset(paint, 0, sizeof(*paint));
  paint->rcPaint = RECT{0, 0, w->client_width, w->client_height};
  paint->hdc = reinterpret_cast<HDC>(w->handle);
  w->invalid = false;
  return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT*) {
  if (!FindWindowRecord(hwnd)) return FALSE;
  if (Backend* b = ActiveBackend()) b->PixelsChanged(hwnd);
  return TRUE;
}

// [SECTION] Default procedure

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return 0;
  switch (message) {
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      NotifyWindowChanged(hwnd);
      return TRUE;
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(lParam);
      if (!buf || wParam == 0) return 0;
      size_t n = std::min<size_t>(w->text.size(), wParam - 1);
      std::memcpy(buf, w->text.data(), n);
      buf[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    default: return 0;
  }
}

// [SECTION] Common controls, cursors

void InitCommonControls() { RegisterStatusBarClass(); }

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  RegisterStatusBarClass();
  return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
  if (IS_INTRESOURCE(name) && reinterpret_cast<ULONG_PTR>(name) == 32512)
    return reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(0x7F00));
  return nullptr;
}
