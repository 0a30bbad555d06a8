// The recording side of the test hooks: every interface method runs its
// body through Traced(), which records the call while the trace is on and
// returns an injected fault instead when one is queued for the method.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

#include "platform/d3d9/com/com_object.h"
#include "platform/d3d9/d3d9.h"

namespace d3d9_impl {

// True while the trace is on or a fault is queued; the only cost of the
// hooks on an ordinary call is this one load.
extern bool g_hooks_active;

void RecordCall(const char* method, std::string args, HRESULT result);
// Takes one queued fault of the method, if any.
bool TakeFault(const char* method, HRESULT* result);

// Device-loss simulation state (test_hooks.h).
struct LossState {
  bool lost = false;
  int lost_checks_left = 0;  // TestCooperativeLevel calls still answering DEVICELOST
};
LossState& Loss();

// ---------------------------------------------------------------------------
// Argument texts
// ---------------------------------------------------------------------------

// A flag word, printed in hexadecimal.
struct Hex {
  DWORD value;
};

std::string EnumName(D3DRENDERSTATETYPE v);
std::string EnumName(D3DSAMPLERSTATETYPE v);
std::string EnumName(D3DTEXTURESTAGESTATETYPE v);
std::string EnumName(D3DTRANSFORMSTATETYPE v);
std::string EnumName(D3DPRIMITIVETYPE v);
std::string EnumName(D3DFORMAT v);
std::string EnumName(D3DPOOL v);
std::string EnumName(D3DDEVTYPE v);
std::string EnumName(D3DRESOURCETYPE v);
std::string EnumName(D3DBACKBUFFER_TYPE v);
std::string EnumName(D3DTEXTUREFILTERTYPE v);
std::string EnumName(D3DMULTISAMPLE_TYPE v);

std::string ObjectText(const void* object, const ObjectIdentity* identity);
std::string StructText(const RECT* r);
std::string StructText(const D3DRECT* r);
std::string StructText(const D3DVIEWPORT9* v);
std::string StructText(const D3DMATRIX* m);
std::string StructText(const POINT* p);

template <class T>
std::string ArgText(const T& v) {
  if constexpr (std::is_same_v<T, Hex>) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%x", static_cast<unsigned>(v.value));
    return b;
  } else if constexpr (std::is_same_v<T, float>) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", static_cast<double>(v));
    return b;
  } else if constexpr (std::is_enum_v<T>) {
    return EnumName(v);
  } else if constexpr (std::is_integral_v<T>) {
    return std::to_string(v);
  } else if constexpr (std::is_pointer_v<T>) {
    using P = std::remove_cv_t<std::remove_pointer_t<T>>;
    if (!v) return "NULL";
    if constexpr (std::is_pointer_v<P> || std::is_same_v<P, void> || std::is_arithmetic_v<P> ||
                  std::is_enum_v<P>) {
      return "&";  // out-pointers and raw data
    } else if constexpr (std::is_same_v<P, RECT> || std::is_same_v<P, D3DRECT> || std::is_same_v<P, D3DVIEWPORT9> ||
                         std::is_same_v<P, D3DMATRIX> || std::is_same_v<P, POINT>) {
      return StructText(v);
    } else if constexpr (std::is_polymorphic_v<P>) {
      return ObjectText(v, dynamic_cast<const ObjectIdentity*>(v));
    } else {
      return "{...}";
    }
  } else {
    return "?";
  }
}

template <class... A>
std::string ArgList(const A&... a) {
  std::string out;
  ((out += (out.empty() ? "" : ", "), out += ArgText(a)), ...);
  return out;
}

// On an injected fault, out-pointers are cleared as a failing call does.
template <class T>
void ClearIfOut(const T& v) {
  if constexpr (std::is_pointer_v<T>) {
    using P = std::remove_cv_t<std::remove_pointer_t<T>>;
    if constexpr (std::is_pointer_v<P>)
      if (v) *v = nullptr;
  }
}

template <class F, class... A>
HRESULT TracedSlow(const char* method, F& body, const A&... args) {
  HRESULT hr;
  if (TakeFault(method, &hr)) {
    (ClearIfOut(args), ...);
  } else {
    hr = body();
  }
  if (g_hooks_active) RecordCall(method, ArgList(args...), hr);
  return hr;
}

// Runs an HRESULT method body with the hooks.
template <class F, class... A>
inline HRESULT Traced(const char* method, F&& body, const A&... args) {
  if (!g_hooks_active) return body();
  return TracedSlow(method, body, args...);
}

// Runs a method body that returns a value or nothing; traced, never faulted.
template <class F, class... A>
inline auto TracedValue(const char* method, F&& body, const A&... args) {
  using R = decltype(body());
  if constexpr (std::is_void_v<R>) {
    body();
    if (g_hooks_active) RecordCall(method, ArgList(args...), D3D_OK);
  } else {
    R r = body();
    if (g_hooks_active) {
      HRESULT as_result;
      if constexpr (std::is_pointer_v<R>) as_result = r ? 1 : 0;
      else as_result = static_cast<HRESULT>(r);
      RecordCall(method, ArgList(args...), as_result);
    }
    return r;
  }
}

}  // namespace d3d9_impl
