// GetOpenFileNameA: asks the backend for a path and fills the
// caller's OPENFILENAMEA without ever writing past its buffers.
#include "platform/win32/open_file_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/backend.h"
#include "platform/win32/files.h"

namespace {

DWORD g_last_error = 0;

}  // namespace

int CountFileFilters(const char* filter) {
  int n = 0;
  if (!filter) return 0;
  for (const char* p = filter; *p;) {
    const char* pattern = p + std::strlen(p) + 1;
    if (!*pattern) break;
    ++n;
    p = pattern + std::strlen(pattern) + 1;
  }
  return n;
}

FileFilter FileFilterAt(const char* filter, int index) {
  const char* p = filter;
  for (int i = 0; p && *p; ++i) {
    const char* pattern = p + std::strlen(p) + 1;
    if (!*pattern) break;
    if (i == index) return FileFilter{p, pattern};
    p = pattern + std::strlen(pattern) + 1;
  }
  return FileFilter{"", ""};
}

BOOL CompleteOpenFileName(LPOPENFILENAMEA ofn, const char* path) {
  std::string p = path ? path : "";
  if (p.empty()) return FALSE;
  if ((ofn->Flags & OFN_FILEMUSTEXIST) && !FileExists(p.c_str())) {
    std::fprintf(stderr, "open-file: \"%s\" does not exist; the dialog is cancelled\n", p.c_str());
    return FALSE;
  }
  if (!ofn->lpstrFile || p.size() + 1 > ofn->nMaxFile) {
    g_last_error = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::memcpy(ofn->lpstrFile, p.c_str(), p.size() + 1);
  size_t slash = p.find_last_of("/\\");
  size_t name_at = slash == std::string::npos ? 0 : slash + 1;
  ofn->nFileOffset = static_cast<WORD>(name_at);
  size_t dot = p.find_last_of('.');
  ofn->nFileExtension = dot == std::string::npos || dot < name_at ? 0 : static_cast<WORD>(dot + 1);
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
    std::string title = p.substr(name_at);
    size_t n = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
    std::memcpy(ofn->lpstrFileTitle, title.data(), n);
    ofn->lpstrFileTitle[n] = '\0';
  }
  return TRUE;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) {
  g_last_error = 0;
  if (!ofn || ofn->lStructSize == 0) {
    g_last_error = CDERR_STRUCTSIZE;
    return FALSE;
  }
  std::string path;
  bool chosen = false;
  if (Backend* b = ActiveBackend())
    chosen = b->ShowOpenFileDialog(*ofn, &path);
  if (!chosen) return FALSE;
  return CompleteOpenFileName(ofn, path.c_str());
}

DWORD CommDlgExtendedError() { return g_last_error; }
