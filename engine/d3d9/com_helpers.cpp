// Logging Direct3D results by name.
#include "engine/d3d9/com_helpers.h"

#include "log/event_log.h"
#include "platform/d3dx/d3dx9.h"

void LogResultName(HRESULT hr) { LogText(DXGetErrorString9A(hr)); }
