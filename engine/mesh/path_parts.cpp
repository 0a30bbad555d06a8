// Splitting backslash paths into folder, title and extension, and finding
// the folder above a folder.
#include "engine/mesh/path_parts.h"

#include <cstdio>
#include <cstring>

namespace {

char* CopyRange(const char* from, int count) {
  char* out = new char[count + 5];
  std::memcpy(out, from, static_cast<std::size_t>(count));
  out[count] = '\0';
  return out;
}

}  // namespace

void PathParts::Free() {
  delete[] Folder;
  delete[] Title;
  delete[] Extension;
  delete[] work;
  Folder = Title = Extension = work = nullptr;
}

// The extension is looked for only after the last backslash, so a dot in a
// folder name never splits the path there, and a name without a dot keeps
// its whole title.
void SplitPath(PathParts& parts, const char* path) {
  if (!path) path = "";
  const int n = static_cast<int>(std::strlen(path));
  delete[] parts.work;
  parts.work = new char[n + 70]();
  int slash = n - 1;
  while (slash >= 0 && path[slash] != '\\') --slash;
  int dot = n - 1;
  while (dot > slash && path[dot] != '.') --dot;
  if (dot <= slash) dot = n;
  parts.start = slash + 1;
  parts.end = dot;
  parts.cursor = n;
  delete[] parts.Extension;
  parts.Extension = CopyRange(path + dot, n - dot);
  delete[] parts.Title;
  parts.Title = CopyRange(path + slash + 1, dot - slash - 1);
  delete[] parts.Folder;
  parts.Folder = CopyRange(path, slash < 0 ? 0 : slash);
}

const char* ParentFolder(const char* folder, PathParts& holder) {
  if (!folder) return nullptr;
  std::snprintf(holder.text, sizeof holder.text, "%s", folder);
  int i = static_cast<int>(std::strlen(holder.text));
  while (i > 0 && holder.text[i] != '\\') holder.text[i--] = '\0';
  holder.text[i] = '\0';
  return holder.text;
}

void BitmapsPath(char* out, int size, const char* parent, const char* title, const char* extension) {
  if (parent && parent[0] != '\0')
    std::snprintf(out, static_cast<std::size_t>(size), "%s\\%s\\%s%s", parent, "Bitmaps", title, extension);
  else
    std::snprintf(out, static_cast<std::size_t>(size), "%s\\%s%s", "Bitmaps", title, extension);
}
