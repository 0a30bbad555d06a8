// Small helpers over Direct3D objects: release-and-null, float render
// state bits and logging a result by its name.
#pragma once

#include <cstring>

#include "log/event_log.h"
#include "platform/win32/windows.h"

// Releases a COM object if there is one and clears the pointer.
template <typename T>
inline void SafeRelease(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

// Releases a COM object if there is one, clears the pointer and logs the
// note that it is gone.
template <typename T>
inline void ReleaseLogged(T*& object, const char* note) {
  if (object) {
    object->Release();
    object = nullptr;
    LogText(note);
  }
}

// The bit pattern of a float, as float render states take it.
inline DWORD FloatBits(float f) {
  DWORD bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// Logs the symbolic name of a result as a plain entry.
void LogResultName(HRESULT hr);
