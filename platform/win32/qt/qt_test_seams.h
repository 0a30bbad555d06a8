// Acting on the Qt backend's real widgets as a user would, for tests: menu
// clicks, keys, mouse clicks, closing, and reading what is shown. This
// header names no Qt type; the library behind it links Qt Test.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/windows.h"

// Clicks the title of menu-bar popup `index`; true when the popup shows.
bool QtTestOpenMenu(HWND hwnd, int index);
// Clicks the item with this command id in the open popup; true when found.
bool QtTestClickMenuItem(HWND hwnd, UINT id);
// True when the item of this command id shows a check mark.
bool QtTestMenuItemChecked(HWND hwnd, UINT id);
// The menu-bar titles and the texts of popup `index` as Qt holds them.
std::vector<std::string> QtTestMenuTitles(HWND hwnd);
std::vector<std::string> QtTestPopupTexts(HWND hwnd, int index);
// A key press and release on the client area; `key` is a key sequence in
// Qt's portable text form ("Space", "Home", "Alt+/").
void QtTestKeyClick(HWND hwnd, const char* key);
// A mouse move to, and a click at, client pixel (x, y).
void QtTestMouseClick(HWND hwnd, int x, int y, bool right);
// Closes the window with its frame's close button.
void QtTestCloseWindow(HWND hwnd);
// The client widget's size, and a pixel of the window as drawn (0xRRGGBB).
bool QtTestClientSize(HWND hwnd, int* width, int* height);
unsigned QtTestClientPixel(HWND hwnd, int x, int y);
// Where the Qt window's parts lie, in the window's own pixels (frame
// aside): its size, the menu bar's and the client widget's rectangles.
struct QtTestWindowLayout {
  int width;
  int height;
  RECT menu_bar;
  RECT client;
};
bool QtTestGetWindowLayout(HWND hwnd, QtTestWindowLayout* layout);
// Resizes the Qt window as its window system would (a user's drag, or a
// late answer to an earlier request) and waits until Qt has delivered it.
bool QtTestWindowSystemResize(HWND hwnd, int width, int height);
// The status bar widget's geometry in its parent's client pixels.
bool QtTestStatusBarGeometry(HWND status_bar, RECT* rect);
// True while a Qt window exists for the handle and is visible.
bool QtTestWindowVisible(HWND hwnd);

// Runs `action` from Qt's event handling after `ms` milliseconds, so a test
// can act on a dialog while the dialog's own loop waits.
void QtTestRunLater(int ms, std::function<void()> action);
// Types text into a dialog's edit or combo box, replacing what it held.
bool QtTestDialogType(HWND dialog, int id, const char* text);
// Clicks a dialog's button.
bool QtTestDialogClick(HWND dialog, int id);
// The text a dialog's control shows.
std::string QtTestDialogText(HWND dialog, int id);
// Answers the open message box by clicking the button with this text ("&"
// marks ignored); false when no box or no such button is open.
bool QtTestAnswerMessageBox(const char* button);
// Answers the open file dialog with a path, or cancels it for null.
bool QtTestAnswerFileDialog(const char* path);
