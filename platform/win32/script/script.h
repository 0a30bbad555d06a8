// The script language that drives a run: one command a line, parsed into a
// list of steps with their line numbers.
#pragma once

#include <string>
#include <utility>
#include <vector>

enum class ScriptOp {
  kCommand,           // command ID
  kMenu,              // menu "PATH"
  kKey,               // key NAME
  kMouseMove,         // mouse move X Y
  kMouseDown,         // mouse down left|right
  kMouseUp,           // mouse up left|right
  kFrames,            // frames N
  kSleep,             // sleep MS
  kAnswer,            // answer ok|cancel|retry|yes|no|abort|ignore
  kOpenFile,          // open-file PATH | open-file cancel
  kDialog,            // texture-dialog key=value ... ok|cancel (any NAME-dialog of a description)
  kScreenshot,        // screenshot FILE
  kScreenshotWindow,  // screenshot-window FILE
  kDumpMenu,          // dump-menu FILE
  kDumpStatus,        // dump-status FILE
  kQuit,              // quit
};

// A key with its modifiers, as `key` names it.
struct ScriptKey {
  int vk = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

struct ScriptStep {
  int line = 0;
  ScriptOp op = ScriptOp::kQuit;
  std::string text;      // menu path, file, dialog command name
  long long number = 0;  // command id, frames, milliseconds, x
  long long number2 = 0; // y
  bool right = false;    // mouse button
  int answer = 0;        // IDOK, IDCANCEL, ... (answer); IDOK / IDCANCEL (dialog)
  bool cancel = false;   // open-file cancel
  ScriptKey key;
  std::vector<std::pair<std::string, std::string>> fields;  // dialog input
};

struct Script {
  std::vector<ScriptStep> steps;
};

// Parses a whole script. On failure returns false and sets *error to
// "script:LINE: what is wrong".
bool ParseScript(const std::string& text, Script* out, std::string* error);
// Reads and parses a file; an unreadable file is an error too.
bool LoadScript(const char* path, Script* out, std::string* error);
// "Space", "Enter", "Home", "Alt+/", "Alt+?", "Ctrl+Shift+F1", "a", ...
bool ParseKeyName(const std::string& name, ScriptKey* key);
// Splits a line into words: blanks separate, double quotes group (also
// inside a word, as in key="two words"), \" and \\ and \t escape inside
// quotes, # outside quotes starts a comment. False for an open quote.
bool SplitScriptLine(const std::string& line, std::vector<std::string>* words);
