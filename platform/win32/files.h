// Opening the program's own files by the names it gives them: backslashes
// become slashes, and a name that does not exist as given is looked up
// without regard to case within its folder.
#pragma once

#include <cstdio>
#include <string>

// The path on this system for a path the program gives: separators turned
// into slashes, and each component that does not exist as given replaced by
// the first entry of its folder that matches it without regard to case.
// Components that match nothing are kept as given, so a new file keeps the
// name the program chose.
std::string TranslatePath(const char* path);

// fopen through TranslatePath. Returns null for a null path or mode.
std::FILE* OpenFile(const char* path, const char* mode);

// True when the translated path names an existing file or folder.
bool FileExists(const char* path);

// Test seam: the next `count` calls of OpenFile whose translated path ends in
// `name` (compared without regard to case) fail as if the file were locked.
// A count of 0 clears the fault.
void FailNextOpens(const char* name, int count);
