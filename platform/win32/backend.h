// The narrow interface between the Windows subset and what shows it: the
// Qt backend (real windows) or the headless backend (windows as data).
#pragma once

#include <memory>
#include <string>

#include "platform/win32/open_file_dialog.h"
#include "platform/win32/windows.h"

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;
  // The desktop window's client rectangle.
  virtual RECT DesktopRect() = 0;

  // Called after the window code changed its records; the backend reads
  // what it shows through the ordinary calls (GetWindowTextA, GetMenu,
  // StatusBarParts, GetClientPixels, ...).
  virtual void WindowCreated(HWND) {}
  virtual void WindowDestroyed(HWND) {}
  // Text, style, visibility, enabled state or geometry changed.
  virtual void WindowChanged(HWND) {}
  // The window's menu bar was replaced, or an item's text or state changed.
  virtual void MenuChanged(HWND) {}
  virtual void StatusBarChanged(HWND) {}
  virtual void PixelsChanged(HWND) {}
  // A dialog control's text, list or selection changed.
  virtual void ControlChanged(HWND) {}
  // A modal dialog is about to run its loop (after WM_INITDIALOG) / ended.
  // Called only when ShowsDialogs() is true.
  virtual void DialogStarted(HWND) {}
  virtual void DialogEnded(HWND) {}

  // Turns pending events into posted messages; never blocks.
  virtual void ProcessEvents() {}
  // Blocks until some event may have arrived. False when none ever can.
  virtual bool WaitForEvents() { return false; }

  // The queue is empty at the main loop's level (no modal loop runs), after
  // ProcessEvents. `waiting` is true when the loop waits for a message
  // (GetMessageA). True when something was posted. A user's input arrives
  // through ProcessEvents instead, so by default nothing is.
  virtual bool QueueIdle(bool /*waiting*/) { return false; }
  // The loop of a dialog this backend shows (DialogStarted) found nothing
  // queued. True: look for messages again; false: nobody can answer any
  // more, and the dialog is cancelled. By default it waits for events.
  virtual bool DialogIdle(HWND /*dialog*/) { return WaitForEvents(); }

  // The answer of a message box: a button id.
  virtual int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;
  // The answer of an open-file dialog: true with the chosen path, false for
  // cancel.
  virtual bool ShowOpenFileDialog(const OPENFILENAMEA& ofn, std::string* path) = 0;
  // True when dialogs are shown to a user; false: they are cancelled.
  virtual bool ShowsDialogs() const = 0;

  // Writes the whole window (frame, menu bar, status bar) as PNG. False
  // with a message when it cannot.
  virtual bool ScreenshotWindow(HWND hwnd, const std::string& path, std::string* error) = 0;
};

// The backend's user resized a top-level window's client area: the window
// code takes the new size, resizes the pixels, sends WM_SIZE and marks the
// window for painting.
void NotifyClientResized(HWND hwnd, int width, int height);

// Makes `backend` the one the window code talks to (null: none, which
// behaves as headless), routes message boxes and pixel updates to it, and
// destroys the previous one. Takes ownership.
void InstallBackend(std::unique_ptr<Backend> backend);
Backend* ActiveBackend();
// Takes the active backend out without destroying it, leaving none; a
// backend that wraps another installs itself around what this returns.
std::unique_ptr<Backend> ReleaseBackend();
