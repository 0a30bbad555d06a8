// The one message queue of the program: posted and input messages, the
// quit state, paint messages, sending, dispatching and key translation.
#include <cctype>
#include <deque>

#include "platform/win32/backend.h"
#include "platform/win32/clock.h"
#include "platform/win32/messages.h"
#include "platform/win32/ui_state.h"

namespace {

std::deque<MSG> g_queue;
bool g_quit_posted = false;
int g_quit_code = 0;
LONGLONG g_passes = 0;
DWORD g_message_time = 0;
bool g_keys[256] = {};
int g_modal_depth = 0;

bool InRange(UINT message, UINT lo, UINT hi) {
  if (lo == 0 && hi == 0) return true;
  return message >= lo && message <= hi;
}

bool ForWindow(HWND target, HWND filter) {
  if (!filter) return true;
  if (target == filter) return true;
  // Messages for a window's children match the window too.
  for (WindowRecord* w = FindWindowRecord(target); w && !w->top_level; w = FindWindowRecord(w->parent))
    if (w->parent == filter) return true;
  return false;
}

void CountPass() {
  if (g_modal_depth == 0) ++g_passes;
}

// Takes one message without waiting; see PeekMessageA for the order.
bool Take(LPMSG msg, HWND hwnd, UINT lo, UINT hi, UINT remove) {
  if (Backend* b = ActiveBackend()) {
    b->ProcessEvents();
    if (g_modal_depth == 0 && g_queue.empty()) b->QueueIdle(false);
  }
  for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
    if (!ForWindow(it->hwnd, hwnd) || !InRange(it->message, lo, hi)) continue;
    *msg = *it;
    if (remove & PM_REMOVE) {
      g_queue.erase(it);
      NoteKeyMessage(*msg);
    }
    g_message_time = msg->time;
    return true;
  }
  if (g_quit_posted && InRange(WM_QUIT, lo, hi)) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_quit_code), 0, timeGetTime(), {0, 0}};
    if (remove & PM_REMOVE) g_quit_posted = false;
    return true;
  }
  if (InRange(WM_PAINT, lo, hi)) {
    for (HWND h : AllWindows()) {
      WindowRecord* w = FindWindowRecord(h);
      if (!w || !w->invalid || !w->visible || !ForWindow(h, hwnd)) continue;
      *msg = MSG{h, WM_PAINT, 0, 0, timeGetTime(), {0, 0}};
      return true;
    }
  }
  return false;
}

char CharOfKey(int vk, bool shift, bool ctrl) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return static_cast<char>(vk - 'A' + 1);
    return static_cast<char>(shift ? vk : std::tolower(vk));
  }
  if (vk >= '0' && vk <= '9') {
    static const char kShifted[] = ")!@#$%^&*(";
    return shift ? kShifted[vk - '0'] : static_cast<char>(vk);
  }
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    default: return 0;
  }
}

}  // namespace

// [SECTION] Shared hooks

int& ModalDepth() { return g_modal_depth; }

void DropMessagesFor(HWND hwnd) {
  for (auto it = g_queue.begin(); it != g_queue.end();)
    it = it->hwnd == hwnd ? g_queue.erase(it) : it + 1;
}

void NoteKeyMessage(const MSG& msg) {
  auto vk = static_cast<unsigned>(msg.wParam) & 0xFF;
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: g_keys[vk] = true; break;
    case WM_KEYUP:
    case WM_SYSKEYUP: g_keys[vk] = false; break;
    case WM_LBUTTONDOWN: g_keys[VK_LBUTTON] = true; break;
    case WM_LBUTTONUP: g_keys[VK_LBUTTON] = false; break;
    case WM_RBUTTONDOWN: g_keys[VK_RBUTTON] = true; break;
    case WM_RBUTTONUP: g_keys[VK_RBUTTON] = false; break;
    default: break;
  }
}

// [SECTION] Taking messages

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove) {
  if (!msg) return FALSE;
  CountPass();
  return Take(msg, hwnd, filter_min, filter_max, remove) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filter_min, UINT filter_max) {
  if (!msg) return -1;
  CountPass();
  for (;;) {
    if (Take(msg, hwnd, filter_min, filter_max, PM_REMOVE)) return msg->message == WM_QUIT ? FALSE : TRUE;
    if (Backend* b = ActiveBackend()) {
      if (g_modal_depth == 0 && b->QueueIdle(true)) continue;
      if (b->WaitForEvents()) continue;
    }
    // Nothing can ever arrive: end the loop instead of hanging.
    *msg = MSG{nullptr, WM_QUIT, 0, 0, timeGetTime(), {0, 0}};
    return FALSE;
  }
}

DWORD GetMessageTime() { return g_message_time; }

LONGLONG MainLoopPasses() { return g_passes; }

void ResetMessageQueue() {
  g_queue.clear();
  g_quit_posted = false;
  g_quit_code = 0;
  for (bool& k : g_keys) k = false;
}

// [SECTION] Sending and posting

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w || !w->proc) return 0;
  return w->proc(hwnd, message, wParam, lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !FindWindowRecord(hwnd)) return FALSE;
  g_queue.push_back(MSG{hwnd, message, wParam, lParam, timeGetTime(), {0, 0}});
  return TRUE;
}

void PostQuitMessage(int exit_code) {
  g_quit_posted = true;
  g_quit_code = exit_code;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  char c = CharOfKey(static_cast<int>(msg->wParam), shift, ctrl);
  if (!c) return FALSE;
  UINT char_message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  // The character is the next message taken, ahead of what is queued.
  g_queue.push_front(MSG{msg->hwnd, char_message, static_cast<WPARAM>(static_cast<unsigned char>(c)),
                         msg->lParam, msg->time, msg->pt});
  return TRUE;
}

SHORT GetKeyState(int virtual_key) {
  return g_keys[virtual_key & 0xFF] ? static_cast<SHORT>(-32768) : static_cast<SHORT>(0);
}
