// Finding a media file: as given, in the current folder, or in the DirectX
// SDK media folder named by the registry.
#include <cstring>

#include "engine/mesh/allocate_hierarchy.h"
#include "platform/win32/file_handles.h"
#include "platform/win32/registry.h"
#include "platform/win32/windows.h"

namespace {

constexpr DWORD kPath = 260;

bool Exists(const char* path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

void CopyCut(char* out, const char* from) {
  std::strncpy(out, from, kPath - 1);
  out[kPath - 1] = '\0';
}

}  // namespace

HRESULT GetSdkMediaFolder(char* out) {
  if (!out) return E_INVALIDARG;
  out[0] = '\0';
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX SDK", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return E_FAIL;
  DWORD size = kPath;
  const LSTATUS status =
      RegQueryValueExA(key, "DX9SDK Samples Path", nullptr, nullptr, reinterpret_cast<LPBYTE>(out), &size);
  out[kPath - 1] = '\0';
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) {
    out[0] = '\0';
    return E_FAIL;
  }
  const char* media = "\\Media\\";
  if (std::strlen(out) + std::strlen(media) >= kPath) return E_INVALIDARG;
  std::strcat(out, media);
  return S_OK;
}

HRESULT FindMediaFile(char* out, const char* name) {
  if (!name || !out) return E_INVALIDARG;
  out[0] = '\0';
  char base[kPath] = {};
  char* filePart = nullptr;
  const DWORD n = GetFullPathNameA(name, kPath, out, &filePart);
  if (n == 0 || n >= kPath) return E_FAIL;
  if (filePart) CopyCut(base, filePart);
  if (Exists(out)) return S_OK;
  if (base[0] != '\0' && Exists(base)) {
    CopyCut(out, base);
    return S_OK;
  }
  HRESULT hr = GetSdkMediaFolder(out);
  if (FAILED(hr)) return hr;
  if (std::strlen(out) + std::strlen(base) >= kPath) return E_INVALIDARG;
  std::strcat(out, base);
  if (Exists(out)) return S_OK;
  CopyCut(out, name);
  return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}
