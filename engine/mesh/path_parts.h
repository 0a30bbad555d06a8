// PathParts: a backslash path split into folder, title and extension, and
// the folder above a folder; the mesh texture searches build their
// fallback paths from these.
#pragma once

struct PathParts {
  char* Folder = nullptr;     // the path before its last backslash
  char* Title = nullptr;      // between the last backslash and the last dot
  char* Extension = nullptr;  // the last dot and what follows
  int cursor = 0, start = 0, end = 0;
  char* work = nullptr;  // scratch, path length + 70 bytes
  char text[512] = {};   // receives ParentFolder's result

  PathParts() = default;
  ~PathParts() { Free(); }
  PathParts(const PathParts&) = delete;
  PathParts& operator=(const PathParts&) = delete;
  void Free();
};

// Fills the folder, title and extension of `path`. A path without a
// backslash has an empty folder and its whole name as title; a name
// without a dot has an empty extension.
void SplitPath(PathParts& parts, const char* path);

// The text of `folder` before its last backslash, in `holder.text`; empty
// when it has none; null for a null folder.
const char* ParentFolder(const char* folder, PathParts& holder);

// "<parent>\Bitmaps\<title><extension>", or "Bitmaps\<title><extension>"
// (the current folder's) when the parent is empty, so a fallback never
// turns into a path from the root.
void BitmapsPath(char* out, int size, const char* parent, const char* title, const char* extension);
