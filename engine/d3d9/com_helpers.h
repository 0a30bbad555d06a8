// Small helpers over Direct3D objects: release-and-null and logging a
// result by its name.
#pragma once

#include "platform/win32/windows.h"

// Releases a COM object if there is one and clears the pointer.
template <typename T>
inline void SafeRelease(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

// Logs the symbolic name of a result as a plain entry.
void LogResultName(HRESULT hr);
