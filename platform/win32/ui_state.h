// The records behind window handles, shared by the files of the window
// code. What only one kind of window has (a status bar's parts, a dialog's
// state, a combo box's list) is kept by that control's own file. Not for use
// outside platform/win32.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/messages.h"
#include "platform/win32/window.h"

struct WindowRecord {
  HWND handle = nullptr;
  std::string class_name;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  std::string text;
  RECT rect{};  // window rectangle: desktop pixels, or the parent's client pixels
  int client_width = 0;
  int client_height = 0;
  HWND parent = nullptr;  // parent of a child, owner of a top-level window
  HMENU menu = nullptr;   // menu bar of a top-level window
  int id = 0;             // child id
  LONG_PTR user_data = 0;
  bool visible = false;
  bool enabled = true;
  bool invalid = false;
  bool destroying = false;
  bool top_level = true;
  bool is_dialog = false;  // made by DialogBox*: never the main window
  std::vector<HWND> children;
};

WindowRecord* FindWindowRecord(HWND hwnd);
// Every live window, in creation order.
std::vector<HWND> AllWindows();

// The non-client insets of a window of this style.
RECT FrameInsets(DWORD style, bool has_menu);

// A file that keeps its own records of windows registers a function that
// drops a window's record; DestroyWindow calls each one last, as the
// window's own record goes.
using WindowForgetter = void (*)(HWND hwnd);
void AddWindowForgetter(WindowForgetter forget);

// Hooks between the parts of the window code.
// Depth of modal loops (dialogs); passes are counted only at depth 0.
int& ModalDepth();
// Removes every queued message for this window; used when it is destroyed.
void DropMessagesFor(HWND hwnd);
// Called by DestroyWindow for a window's menu.
void DestroyMenuOfWindow(HMENU menu);
// Notifies the backend, if any.
void NotifyWindowChanged(HWND hwnd);
void NotifyMenuChanged(HMENU menu);
void NotifyControlChanged(HWND hwnd);
// Looks up the window whose menu bar (or one of its popups) this is.
HWND OwnerOfMenu(HMENU menu);
// Updates the key state as a key message leaves the queue.
void NoteKeyMessage(const MSG& msg);
