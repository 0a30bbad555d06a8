// The results extraction: a word scanner over the event log. Words are
// read into 256-byte buffers with a width limit, so an overlong word is
// split instead of overrunning the buffer.
#include "app/frame/results_file.h"

#include <cstdio>
#include <cstring>

#include "platform/win32/files.h"

namespace {

// Reads one blank-separated word; false at the end of the file.
bool ReadWord(std::FILE* in, char (&word)[256]) { return std::fscanf(in, "%255s", word) == 1; }

}  // namespace

bool WriteResultsFile(const char* logName, const char* resultsName) {
  std::FILE* in = OpenFile(logName, "rt");
  if (!in) return false;
  std::FILE* out = OpenFile(resultsName, "wt");
  if (!out) {
    std::fclose(in);
    return false;
  }
  char word[256];
  char function[256];
  while (ReadWord(in, word)) {
    if (std::strcmp(word, "TestStat") != 0) continue;
    if (!ReadWord(in, word)) break;  // first word of the test name
    if (std::strcmp(word, "No") == 0) continue;
    if (!ReadWord(in, function)) break;  // the test function with its brackets
    if (!ReadWord(in, word) || !ReadWord(in, word) || !ReadWord(in, word)) break;  // ":" "Calls" N
    if (std::strcmp(word, "1") != 0) continue;
    if (!ReadWord(in, word) || !ReadWord(in, word)) break;  // "@" and "<n>FPS"
    std::size_t length = std::strlen(word);
    word[length >= 3 ? length - 3 : 0] = '\0';
    std::fprintf(out, "%s ", function);
    std::fprintf(out, "%s\n", word);
  }
  std::fclose(out);
  std::fclose(in);
  return true;
}
