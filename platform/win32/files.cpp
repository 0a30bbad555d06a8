// Path translation and case-insensitive lookup for the program's files.
#include "platform/win32/files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

std::string g_fault_name;
int g_fault_count = 0;

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `folder` equal to `name` without regard to case, or empty.
std::string FindWithoutCase(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  if (tail.size() > text.size()) return false;
  return ::strcasecmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

}  // namespace

std::string TranslatePath(const char* path) {
  if (!path) return {};
  std::string given(path);
  for (char& c : given)
    if (c == '\\') c = '/';
  if (given.empty() || Exists(given)) return given;

  // Walk the components, resolving each against the folder built so far.
  std::string result;
  std::size_t pos = 0;
  if (given[0] == '/') {
    result = "/";
    pos = 1;
  }
  bool resolving = true;
  while (pos <= given.size()) {
    std::size_t slash = given.find('/', pos);
    if (slash == std::string::npos) slash = given.size();
    std::string part = given.substr(pos, slash - pos);
    if (!part.empty()) {
      std::string candidate = result + part;
      if (resolving && !Exists(candidate) && part != "." && part != "..") {
        std::string folder = result.empty() ? std::string(".") : result;
        std::string match = FindWithoutCase(folder, part);
        if (!match.empty())
          candidate = result + match;
        else
          resolving = false;  // nothing below a missing folder can exist
      }
      result = candidate;
    }
    if (slash < given.size()) result += '/';
    pos = slash + 1;
  }
  return result;
}

std::FILE* OpenFile(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  std::string translated = TranslatePath(path);
  if (g_fault_count > 0 && EndsWithNoCase(translated, g_fault_name)) {
    --g_fault_count;
    return nullptr;
  }
  // Text and binary mode are the same here; "t" is not a C mode letter.
  std::string c_mode;
  for (const char* m = mode; *m; ++m)
    if (*m != 't') c_mode += *m;
  return std::fopen(translated.c_str(), c_mode.c_str());
}

bool FileExists(const char* path) { return path && Exists(TranslatePath(path)); }

void FailNextOpens(const char* name, int count) {
  g_fault_name = name ? name : "";
  g_fault_count = count > 0 ? count : 0;
}
