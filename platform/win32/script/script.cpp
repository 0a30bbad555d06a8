// The script parser: words, numbers, key names and the checks of each
// command's arguments.
#include "platform/win32/script/script.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/win32/message_box.h"
#include "platform/win32/messages.h"

namespace {

std::string LowerOf(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ParseNumber(const std::string& word, long long lo, long long hi, long long* out) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(word.c_str(), &end, 0);
  if (errno || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

struct NamedKey {
  const char* name;
  int vk;
};
constexpr NamedKey kKeys[] = {
    {"space", VK_SPACE},   {"enter", VK_RETURN},   {"return", VK_RETURN}, {"home", VK_HOME},
    {"end", VK_END},       {"escape", VK_ESCAPE},  {"esc", VK_ESCAPE},    {"tab", VK_TAB},
    {"backspace", VK_BACK}, {"delete", VK_DELETE}, {"insert", VK_INSERT}, {"pageup", VK_PRIOR},
    {"pagedown", VK_NEXT}, {"left", VK_LEFT},      {"right", VK_RIGHT},   {"up", VK_UP},
    {"down", VK_DOWN},     {"pause", VK_PAUSE},    {"/", VK_OEM_2},       {";", VK_OEM_1},
    {"=", VK_OEM_PLUS},    {",", VK_OEM_COMMA},    {"-", VK_OEM_MINUS},   {".", VK_OEM_PERIOD},
};

}  // namespace

bool SplitScriptLine(const std::string& line, std::vector<std::string>* words) {
  words->clear();
  std::string word;
  bool in_word = false, quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
        word += line[++i];
      } else if (c == '\\' && i + 1 < line.size() && line[i + 1] == 't') {
        word += '\t';
        ++i;
      } else {
        word += c;
      }
      continue;
    }
    if (c == '#') break;
    if (c == ' ' || c == '\t' || c == '\r') {
      if (in_word) words->push_back(word);
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '"')
      quoted = true;
    else
      word += c;
  }
  if (quoted) return false;
  if (in_word) words->push_back(word);
  return true;
}

bool ParseKeyName(const std::string& name, ScriptKey* key) {
  ScriptKey k;
  std::string rest = name;
  // Modifiers come first, each followed by "+"; a lone "+" is not a key here.
  for (;;) {
    size_t plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 >= rest.size()) break;
    std::string mod = LowerOf(rest.substr(0, plus));
    if (mod == "alt")
      k.alt = true;
    else if (mod == "ctrl" || mod == "control")
      k.ctrl = true;
    else if (mod == "shift")
      k.shift = true;
    else
      return false;
    rest = rest.substr(plus + 1);
  }
  std::string lower = LowerOf(rest);
  if (rest == "?") {
    k.vk = VK_OEM_2;
    k.shift = true;
  } else if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
    k.vk = std::toupper(static_cast<unsigned char>(rest[0]));
  } else if (lower.size() >= 2 && lower[0] == 'f' && std::isdigit(static_cast<unsigned char>(lower[1]))) {
    long long n = 0;
    if (!ParseNumber(lower.substr(1), 1, 12, &n)) return false;
    k.vk = VK_F1 + static_cast<int>(n) - 1;
  } else {
    for (const NamedKey& nk : kKeys)
      if (lower == nk.name) k.vk = nk.vk;
    if (!k.vk) return false;
  }
  *key = k;
  return true;
}

bool ParseScript(const std::string& text, Script* out, std::string* error) {
  out->steps.clear();
  std::istringstream in(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& what) {
    if (error) *error = "script:" + std::to_string(number) + ": " + what;
    return false;
  };
  std::vector<std::string> w;
  while (std::getline(in, line)) {
    ++number;
    if (!SplitScriptLine(line, &w)) return fail("unterminated quoted text");
    if (w.empty()) continue;
    ScriptStep s;
    s.line = number;
    const std::string& cmd = w[0];
    size_t args = w.size() - 1;
    auto need = [&](size_t n, const char* usage) {
      if (args == n) return true;
      fail(std::string("expected ") + usage);
      return false;
    };
    if (cmd == "command") {
      if (!need(1, "command ID")) return false;
      if (!ParseNumber(w[1], 1, 0xFFFF, &s.number)) return fail("command id \"" + w[1] + "\" is not a number from 1 to 65535");
      s.op = ScriptOp::kCommand;
    } else if (cmd == "menu") {
      if (!need(1, "menu \"PATH\"")) return false;
      if (w[1].empty()) return fail("empty menu path");
      s.op = ScriptOp::kMenu;
      s.text = w[1];
    } else if (cmd == "key") {
      if (!need(1, "key NAME")) return false;
      if (!ParseKeyName(w[1], &s.key)) return fail("unknown key \"" + w[1] + "\"");
      s.op = ScriptOp::kKey;
    } else if (cmd == "mouse") {
      if (args >= 1 && w[1] == "move") {
        if (!need(3, "mouse move X Y")) return false;
        if (!ParseNumber(w[2], 0, 32767, &s.number) || !ParseNumber(w[3], 0, 32767, &s.number2))
          return fail("mouse position must be two numbers from 0 to 32767");
        s.op = ScriptOp::kMouseMove;
      } else if (args >= 1 && (w[1] == "down" || w[1] == "up")) {
        if (!need(2, "mouse down|up left|right")) return false;
        if (w[2] != "left" && w[2] != "right") return fail("mouse button must be left or right, not \"" + w[2] + "\"");
        s.op = w[1] == "down" ? ScriptOp::kMouseDown : ScriptOp::kMouseUp;
        s.right = w[2] == "right";
      } else {
        return fail("expected mouse move X Y, mouse down left|right or mouse up left|right");
      }
    } else if (cmd == "frames") {
      if (!need(1, "frames N")) return false;
      if (!ParseNumber(w[1], 0, 1000000000, &s.number)) return fail("frame count \"" + w[1] + "\" is not a number");
      s.op = ScriptOp::kFrames;
    } else if (cmd == "sleep") {
      if (!need(1, "sleep MS")) return false;
      if (!ParseNumber(w[1], 0, 86400000, &s.number)) return fail("milliseconds \"" + w[1] + "\" is not a number");
      s.op = ScriptOp::kSleep;
    } else if (cmd == "answer") {
      if (!need(1, "answer ok|cancel|retry")) return false;
      static const struct {
        const char* word;
        int id;
      } kAnswers[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"retry", IDRETRY}, {"yes", IDYES},
                      {"no", IDNO}, {"abort", IDABORT},   {"ignore", IDIGNORE}};
      for (auto& a : kAnswers)
        if (LowerOf(w[1]) == a.word) s.answer = a.id;
      if (!s.answer) return fail("unknown answer \"" + w[1] + "\" (ok, cancel or retry)");
      s.op = ScriptOp::kAnswer;
    } else if (cmd == "open-file") {
      if (!need(1, "open-file PATH or open-file cancel")) return false;
      s.op = ScriptOp::kOpenFile;
      // A quoted "cancel" is a file of that name.
      s.cancel = w[1] == "cancel" && line.find("\"cancel\"") == std::string::npos;
      s.text = w[1];
      if (!s.cancel && s.text.empty()) return fail("empty file name");
    } else if (cmd == "dialog" || (cmd.size() > 7 && cmd.compare(cmd.size() - 7, 7, "-dialog") == 0)) {
      size_t first = 1;
      s.text = cmd;
      if (cmd == "dialog") {
        if (args < 1) return fail("expected dialog NAME key=value ... ok|cancel");
        s.text = w[1];
        first = 2;
      }
      if (w.size() <= first) return fail("expected ok or cancel at the end of " + cmd);
      const std::string& last = w.back();
      if (last != "ok" && last != "cancel") return fail("expected ok or cancel at the end, not \"" + last + "\"");
      s.answer = last == "ok" ? IDOK : IDCANCEL;
      for (size_t i = first; i + 1 < w.size(); ++i) {
        size_t eq = w[i].find('=');
        if (eq == std::string::npos || eq == 0) return fail("expected key=value, not \"" + w[i] + "\"");
        s.fields.emplace_back(w[i].substr(0, eq), w[i].substr(eq + 1));
      }
      s.op = ScriptOp::kDialog;
    } else if (cmd == "screenshot" || cmd == "screenshot-window" || cmd == "dump-menu" || cmd == "dump-status") {
      if (!need(1, (cmd + " FILE").c_str())) return false;
      if (w[1].empty()) return fail("empty file name");
      s.op = cmd == "screenshot"          ? ScriptOp::kScreenshot
             : cmd == "screenshot-window" ? ScriptOp::kScreenshotWindow
             : cmd == "dump-menu"         ? ScriptOp::kDumpMenu
                                          : ScriptOp::kDumpStatus;
      s.text = w[1];
    } else if (cmd == "quit") {
      if (!need(0, "no arguments after quit")) return false;
      s.op = ScriptOp::kQuit;
    } else {
      return fail("unknown command \"" + cmd + "\"");
    }
    out->steps.push_back(std::move(s));
  }
  return true;
}

bool LoadScript(const char* path, Script* out, std::string* error) {
  std::ifstream file(path ? path : "", std::ios::binary);
  if (!file) {
    if (error) *error = std::string("script:0: cannot read \"") + (path ? path : "") + "\"";
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  return ParseScript(text.str(), out, error);
}
