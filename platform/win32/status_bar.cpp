// The status bar control: its class, parts and texts, and its layout along
// the bottom of the parent's client area.
#include "platform/win32/status_bar.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "platform/win32/backend.h"
#include "platform/win32/ui_state.h"
#include "platform/win32/window.h"

namespace {

// A status bar's parts: the right edges as SB_SETPARTS gave them (-1: to
// the end) and the text of each part.
struct StatusBarState {
  std::vector<int> edges;
  std::vector<std::string> texts;
};

std::map<HWND, StatusBarState>& Bars() {
  static std::map<HWND, StatusBarState> bars;
  return bars;
}

void ForgetStatusBar(HWND hwnd) { Bars().erase(hwnd); }

void Changed(HWND hwnd) {
  if (Backend* b = ActiveBackend()) b->StatusBarChanged(hwnd);
}

// A status bar places itself at the bottom of its parent, full width.
void LayOut(HWND hwnd) {
  WindowRecord* w = FindWindowRecord(hwnd);
  RECT parent{};
  if (!w || !GetClientRect(w->parent, &parent)) return;
  SetWindowPos(hwnd, nullptr, 0, parent.bottom - kStatusBarHeight, parent.right, kStatusBarHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT StatusBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return 0;
  StatusBarState& bar = Bars()[hwnd];
  switch (message) {
    case WM_CREATE:
      bar.edges = {-1};
      bar.texts.assign(1, "");
      LayOut(hwnd);
      return 0;
    case WM_SIZE:
      // The parent sends WM_SIZE with zeros after it changed size; only that
      // form lays the bar out again (a bar's own resize must not loop).
      if (wParam == 0 && lParam == 0) LayOut(hwnd);
      Changed(hwnd);
      return 0;
    case SB_SETPARTS: {
      int n = static_cast<int>(wParam);
      const int* edges = reinterpret_cast<const int*>(lParam);
      if (n <= 0 || n > kStatusBarMaxParts || !edges) return FALSE;
      bar.edges.assign(edges, edges + n);
      if (bar.texts.size() < static_cast<size_t>(n)) bar.texts.resize(static_cast<size_t>(n));
      Changed(hwnd);
      return TRUE;
    }
    case SB_GETPARTS: {
      int n = static_cast<int>(bar.edges.size());
      int* out = reinterpret_cast<int*>(lParam);
      if (out)
        for (int i = 0; i < std::min<int>(n, static_cast<int>(wParam)); ++i) out[i] = bar.edges[static_cast<size_t>(i)];
      return n;
    }
    case SB_SETTEXTA: {
      auto part = static_cast<size_t>(wParam & 0xFF);
      if (part >= static_cast<size_t>(kStatusBarMaxParts)) return FALSE;
      if (bar.texts.size() <= part) bar.texts.resize(part + 1);
      bar.texts[part] = lParam ? reinterpret_cast<const char*>(lParam) : "";
      Changed(hwnd);
      return TRUE;
    }
    case SB_GETTEXTA:
    case SB_GETTEXTLENGTHA: {
      auto part = static_cast<size_t>(wParam & 0xFF);
      std::string text = part < bar.texts.size() ? bar.texts[part] : "";
      if (message == SB_GETTEXTA && lParam) std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
      return static_cast<LRESULT>(text.size());
    }
    case SB_GETRECT: {
      auto part = static_cast<size_t>(wParam);
      RECT* r = reinterpret_cast<RECT*>(lParam);
      if (!r || part >= bar.edges.size()) return FALSE;
      int left = part == 0 ? 0 : bar.edges[part - 1];
      int right = bar.edges[part] < 0 ? w->client_width : bar.edges[part];
      *r = RECT{left, 0, right, w->client_height};
      return TRUE;
    }
    case WM_SETTEXT:
      if (bar.texts.empty()) bar.texts.resize(1);
      bar.texts[0] = lParam ? reinterpret_cast<const char*>(lParam) : "";
      Changed(hwnd);
      return DefWindowProcA(hwnd, message, wParam, lParam);
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterStatusBarClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = StatusBarProc;
  wc.lpszClassName = STATUSCLASSNAMEA;
  RegisterClassExA(&wc);
  AddWindowForgetter(ForgetStatusBar);
}

std::vector<StatusBarPart> StatusBarParts(HWND status_bar) {
  std::vector<StatusBarPart> out;
  auto it = Bars().find(status_bar);
  if (it == Bars().end()) return out;
  const StatusBarState& bar = it->second;
  for (size_t i = 0; i < bar.edges.size(); ++i)
    out.push_back(StatusBarPart{bar.edges[i], i < bar.texts.size() ? bar.texts[i] : ""});
  return out;
}

HWND FindStatusBar(HWND parent) {
  WindowRecord* p = FindWindowRecord(parent);
  if (!p) return nullptr;
  for (HWND c : p->children) {
    WindowRecord* w = FindWindowRecord(c);
    if (w && w->class_name == STATUSCLASSNAMEA) return c;
  }
  return nullptr;
}
