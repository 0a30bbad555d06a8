// The present seam: each window owns a buffer of client pixels that the
// Direct3D device writes on Present and the window's backend shows.
#pragma once

#include <cstdint>

#include "platform/win32/windows.h"

// A window's client pixels: X8R8G8B8 words, rows top-down, `pitch` words a
// row. Valid until the window's pixels are resized or released.
struct ClientPixels {
  std::uint32_t* data;
  int width;
  int height;
  int pitch;
};

// Gives a window a client pixel buffer of the given size (black), or
// resizes the one it has. Window code calls this as client areas change.
void SetClientPixelsSize(HWND hwnd, int width, int height);
// Forgets a window's pixels (the window was destroyed).
void ReleaseClientPixels(HWND hwnd);
// The window's pixels, or false when the window has none.
bool GetClientPixels(HWND hwnd, ClientPixels* out);
// Tells the window's backend that new pixels are ready to be shown.
void ClientPixelsChanged(HWND hwnd);

// The backend's hook for ClientPixelsChanged; null for none.
using ClientPixelsListener = void (*)(HWND hwnd);
void SetClientPixelsListener(ClientPixelsListener listener);
