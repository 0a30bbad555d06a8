// The registry: a store that is empty unless a test fills it, read with
// RegOpenKeyExA / RegQueryValueExA.
#pragma once

#include <string>

#include "platform/win32/file_handles.h"
#include "platform/win32/windows.h"

using LSTATUS = LONG;
using REGSAM = DWORD;
using PHKEY = HKEY*;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000000))))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000001))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000002))))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000003))))

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_READ = 0x20019;
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD ERROR_MORE_DATA = 234;

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM access, PHKEY result);
// Copies the value into data when it fits (*size in, bytes written out);
// ERROR_MORE_DATA with the needed size when it does not. A null data asks
// only for type and size.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size);
LSTATUS RegCloseKey(HKEY key);

// Test seams: a string value (REG_SZ, stored with its terminator) under a
// root key and a path of subkeys ("Software\\Vendor"); names compare
// without regard to case. ClearRegistry empties the store.
void SetRegistryString(HKEY root, const std::string& sub_key, const std::string& value_name,
                       const std::string& value);
void ClearRegistry();
