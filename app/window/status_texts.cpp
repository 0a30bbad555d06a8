// SetStatusTexts: logs each non-empty text, divides the status bar evenly
// over the view's width and sets the non-empty texts into their parts.
#include "app/window/status_texts.h"

#include <cstdarg>

#include "app/frame/harness_state.h"
#include "log/event_log.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/window.h"

void SetStatusTexts(const char* first, ...) {
  const char* texts[kMaxStatusTexts];
  int n = 0;
  va_list args;
  va_start(args, first);
  for (const char* text = first; text != nullptr; text = va_arg(args, const char*)) {
    if (n < kMaxStatusTexts) texts[n++] = text;
  }
  va_end(args);

  for (int i = 0; i < n; ++i) {
    if (texts[i][0] != '\0') LogText(texts[i]);
  }
  HWND bar = g_Harness.mainWindow
                 ? reinterpret_cast<HWND>(GetWindowLongPtrA(g_Harness.mainWindow, GWL_USERDATA))
                 : nullptr;
  if (!bar) bar = g_Harness.statusBar;
  int width = g_Harness.viewRect.right / n;
  int edges[kMaxStatusTexts];
  for (int i = 0; i < n; ++i) edges[i] = (i + 1) * width;
  SendMessageA(bar, SB_SETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(edges));
  for (int i = 0; i < n; ++i) {
    if (texts[i][0] != '\0') SendMessageA(bar, SB_SETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(texts[i]));
  }
  g_Harness.statusPartCount = n;
}
