// Full path names, file handles for existence tests, the last-error code
// and debug output.
#include "platform/win32/file_handles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/files.h"

namespace {

DWORD g_last_error = 0;

struct FileHandle {
  std::FILE* file;
};

}  // namespace

DWORD GetLastError() { return g_last_error; }
void SetLastError(DWORD error) { g_last_error = error; }

DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) {
  if (file_part) *file_part = nullptr;
  if (!name || !*name) {
    g_last_error = ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::string given = name;
  for (char& c : given)
    if (c == '\\') c = '/';
  std::error_code ec;
  std::string base = std::filesystem::current_path(ec).string();
  std::string joined = given[0] == '/' ? given : base + "/" + given;
  // Resolve "." and ".." by hand: the file need not exist.
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= joined.size()) {
    size_t slash = joined.find('/', at);
    if (slash == std::string::npos) slash = joined.size();
    std::string part = joined.substr(at, slash - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = slash + 1;
  }
  std::string full;
  for (const std::string& p : parts) full += "/" + p;
  if (parts.empty()) full.push_back('/');
  if (given.back() == '/' && full != "/") full += "/";
  auto needed = static_cast<DWORD>(full.size() + 1);
  if (!buffer || size < needed) return needed;
  std::memcpy(buffer, full.c_str(), needed);
  if (file_part && full.back() != '/') *file_part = buffer + full.find_last_of('/') + 1;
  return needed - 1;
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  if (!name) {
    g_last_error = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  const char* mode = nullptr;
  switch (disposition) {
    case OPEN_EXISTING: mode = (access & GENERIC_WRITE) ? "r+b" : "rb"; break;
    case CREATE_ALWAYS: mode = "wb"; break;
    case OPEN_ALWAYS: mode = FileExists(name) ? "r+b" : "w+b"; break;
    case CREATE_NEW:
      if (FileExists(name)) {
        g_last_error = ERROR_ACCESS_DENIED;
        return INVALID_HANDLE_VALUE;
      }
      mode = "w+b";
      break;
    default: g_last_error = ERROR_NOT_SUPPORTED; return INVALID_HANDLE_VALUE;
  }
  std::FILE* f = OpenFile(name, mode);
  if (!f) {
    g_last_error = FileExists(name) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  g_last_error = ERROR_SUCCESS;
  return new FileHandle{f};
}

BOOL CloseHandle(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) {
    g_last_error = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  auto* h = static_cast<FileHandle*>(handle);
  std::fclose(h->file);
  delete h;
  return TRUE;
}

void OutputDebugStringA(LPCSTR text) {
  static const bool enabled = std::getenv("VORNEL_DEBUG_OUTPUT") != nullptr;
  if (enabled && text) std::fputs(text, stderr);
}
