// Client pixel buffers by window handle.
#include "platform/win32/window_pixels.h"

#include <unordered_map>
#include <vector>

namespace {

struct Buffer {
  std::vector<std::uint32_t> pixels;
  int width = 0;
  int height = 0;
};

std::unordered_map<HWND, Buffer>& Buffers() {
  static std::unordered_map<HWND, Buffer> buffers;
  return buffers;
}

ClientPixelsListener g_listener = nullptr;

}  // namespace

void SetClientPixelsSize(HWND hwnd, int width, int height) {
  if (!hwnd) return;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  Buffer& b = Buffers()[hwnd];
  if (b.width == width && b.height == height && !b.pixels.empty()) return;
  b.width = width;
  b.height = height;
  b.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
}

void ReleaseClientPixels(HWND hwnd) { Buffers().erase(hwnd); }

bool GetClientPixels(HWND hwnd, ClientPixels* out) {
  auto it = Buffers().find(hwnd);
  if (it == Buffers().end() || !out) return false;
  Buffer& b = it->second;
  out->data = b.pixels.data();
  out->width = b.width;
  out->height = b.height;
  out->pitch = b.width;
  return true;
}

void ClientPixelsChanged(HWND hwnd) {
  if (g_listener) g_listener(hwnd);
}

void SetClientPixelsListener(ClientPixelsListener listener) { g_listener = listener; }
