// The facts a sweep's results start with: the renderer as its device
// reports itself, the back buffer, the build, the machine and the date.
#pragma once

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/d3d9.h"

using Facts = std::vector<std::pair<std::string, std::string>>;

// Name, version, device type, worker threads and the caps that bound the
// tests, read from the Direct3D object and the device; the back buffer
// from the presentation parameters. Missing objects give "unknown".
Facts DeviceFacts(IDirect3D9* direct3d, UINT adapter, IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS& present);

// Compiler, flags, build type, commit; CPU model and core count.
Facts BuildAndHostFacts();

// The host's load averages over 1, 5 and 15 minutes ("0.52 0.61 0.70"),
// or "unknown": a busy machine gives low frame rates.
std::string LoadAverages();

// "2026-12-09T01:44:05Z".
std::string UtcDate(std::time_t when);

// A driver version as Windows prints it: "9.0.0.1".
std::string DriverVersionText(LARGE_INTEGER version);
