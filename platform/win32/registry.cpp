// The registry store: empty unless a test fills it.
#include "platform/win32/registry.h"

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

std::string RootName(HKEY root) { return std::to_string(reinterpret_cast<ULONG_PTR>(root)); }

std::map<std::string, std::map<std::string, Value>>& Store() {
  static std::map<std::string, std::map<std::string, Value>> store;
  return store;
}

// Open keys name their path in the store.
std::map<HKEY, std::string>& OpenKeys() {
  static std::map<HKEY, std::string> keys;
  return keys;
}
ULONG_PTR g_next_key = 0x40000;

bool IsRoot(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_USERS;
}

bool PathOf(HKEY key, std::string* path) {
  if (IsRoot(key)) {
    *path = RootName(key);
    return true;
  }
  auto it = OpenKeys().find(key);
  if (it == OpenKeys().end()) return false;
  *path = it->second;
  return true;
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD, REGSAM, PHKEY result) {
  if (!result) return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
  *result = nullptr;
  std::string path;
  if (!PathOf(key, &path)) return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
  if (sub_key && *sub_key) path += "\\" + Lower(sub_key);
  // A key exists when it holds values or lies above one that does.
  bool exists = false;
  for (auto& [k, values] : Store())
    if (k == path || k.compare(0, path.size() + 1, path + "\\") == 0) exists = true;
  if (!exists) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
  HKEY h = reinterpret_cast<HKEY>(g_next_key);
  g_next_key += 4;
  OpenKeys()[h] = path;
  *result = h;
  return static_cast<LSTATUS>(ERROR_SUCCESS);
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  std::string path;
  if (!PathOf(key, &path)) return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
  if (data && !size) return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
  auto k = Store().find(path);
  if (k == Store().end()) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
  auto v = k->second.find(Lower(value_name ? value_name : ""));
  if (v == k->second.end()) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
  if (type) *type = v->second.type;
  auto needed = static_cast<DWORD>(v->second.data.size());
  if (data) {
    if (*size < needed) {
      *size = needed;
      return static_cast<LSTATUS>(ERROR_MORE_DATA);
    }
    std::memcpy(data, v->second.data.data(), needed);
  }
  if (size) *size = needed;
  return static_cast<LSTATUS>(ERROR_SUCCESS);
}

LSTATUS RegCloseKey(HKEY key) {
  if (IsRoot(key)) return static_cast<LSTATUS>(ERROR_SUCCESS);
  return OpenKeys().erase(key) ? static_cast<LSTATUS>(ERROR_SUCCESS) : static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
}

void SetRegistryString(HKEY root, const std::string& sub_key, const std::string& value_name,
                       const std::string& value) {
  Value v;
  v.type = REG_SZ;
  v.data.assign(value.begin(), value.end());
  v.data.push_back(0);
  Store()[RootName(root) + "\\" + Lower(sub_key)][Lower(value_name)] = v;
}

void ClearRegistry() {
  Store().clear();
  OpenKeys().clear();
}
