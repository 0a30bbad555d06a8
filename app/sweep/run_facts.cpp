// Gathering the facts of a sweep from the device, the build and the host.
#include "app/sweep/run_facts.h"

#include <cstdio>
#include <fstream>
#include <thread>

#include "app/sweep/build_info.h"
#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/raster/raster_worker.h"

namespace {

std::string ShaderVersion(DWORD v) {
  return std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

const char* DeviceTypeName(D3DDEVTYPE type) {
  switch (type) {
    case D3DDEVTYPE_HAL: return "HAL";
    case D3DDEVTYPE_REF: return "REF";
    case D3DDEVTYPE_SW: return "SW";
    default: return "other";
  }
}

std::string CpuModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) != 0) continue;
    std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::size_t start = line.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? "unknown" : line.substr(start);
  }
  return "unknown";
}

}  // namespace

std::string DriverVersionText(LARGE_INTEGER version) {
  const unsigned long long v = static_cast<unsigned long long>(version.QuadPart);
  return std::to_string((v >> 48) & 0xFFFF) + "." + std::to_string((v >> 32) & 0xFFFF) + "." +
         std::to_string((v >> 16) & 0xFFFF) + "." + std::to_string(v & 0xFFFF);
}

std::string LoadAverages() {
  std::ifstream loadavg("/proc/loadavg");
  std::string one, five, fifteen;
  if (!(loadavg >> one >> five >> fifteen)) return "unknown";
  return one + " " + five + " " + fifteen;
}

std::string UtcDate(std::time_t when) {
  std::tm utc{};
  gmtime_r(&when, &utc);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return buffer;
}

Facts DeviceFacts(IDirect3D9* direct3d, UINT adapter, IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS& present) {
  Facts f;
  D3DADAPTER_IDENTIFIER9 id{};
  if (direct3d && SUCCEEDED(direct3d->GetAdapterIdentifier(adapter, 0, &id))) {
    f.emplace_back("renderer", id.Description);
    f.emplace_back("renderer version", std::string(id.Driver) + " " + DriverVersionText(id.DriverVersion));
  } else {
    f.emplace_back("renderer", "unknown");
    f.emplace_back("renderer version", "unknown");
  }
  // The device draws on the calling thread and, where it is worth it, on
  // one raster worker beside it.
  f.emplace_back("worker threads", d3d9_impl::RasterWorker::Available() ? "1" : "0");
  D3DCAPS9 caps{};
  if (device && SUCCEEDED(device->GetDeviceCaps(&caps))) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "device type %s; max texture %lux%lu; max anisotropy %lu; texture stages %lu; lights %lu; "
                  "max primitives %lu; max vertex index %lu; max point size %g; vertex shader %s; pixel shader %s",
                  DeviceTypeName(caps.DeviceType), static_cast<unsigned long>(caps.MaxTextureWidth),
                  static_cast<unsigned long>(caps.MaxTextureHeight), static_cast<unsigned long>(caps.MaxAnisotropy),
                  static_cast<unsigned long>(caps.MaxSimultaneousTextures),
                  static_cast<unsigned long>(caps.MaxActiveLights), static_cast<unsigned long>(caps.MaxPrimitiveCount),
                  static_cast<unsigned long>(caps.MaxVertexIndex), static_cast<double>(caps.MaxPointSize),
                  ShaderVersion(caps.VertexShaderVersion).c_str(), ShaderVersion(caps.PixelShaderVersion).c_str());
    f.emplace_back("caps", text);
  } else {
    f.emplace_back("caps", "unknown");
  }
  const char* name = d3d9_formats::FormatName(present.BackBufferFormat);
  const std::string format = name ? name : "format " + std::to_string(present.BackBufferFormat);
  f.emplace_back("back buffer", std::to_string(present.BackBufferWidth) + " x " +
                                    std::to_string(present.BackBufferHeight) + " " + format);
  return f;
}

Facts BuildAndHostFacts() {
  BuildInfo b = ThisBuild();
  Facts f;
  f.emplace_back("compiler", b.compiler);
  f.emplace_back("flags", b.flags);
  f.emplace_back("build type", b.buildType);
  f.emplace_back("commit", b.commit);
  f.emplace_back("cpu", CpuModel());
  f.emplace_back("cores", std::to_string(std::thread::hardware_concurrency()));
  return f;
}
