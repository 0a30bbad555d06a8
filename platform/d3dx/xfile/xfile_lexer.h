// Tokens of a text X file: names, numbers, strings, GUIDs and braces;
// commas and semicolons only separate values and are skipped.
#pragma once

#include <cstddef>
#include <string>

namespace d3dx_xfile {

enum class TokenKind { End, Name, Number, String, Guid, Open, Close, Bad };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // a name, a string's contents or a GUID's text
  double number = 0.0;
};

class Lexer {
 public:
  Lexer(const char* data, std::size_t size) : p_(data), end_(data + size) {}
  // The next token; Bad for an unterminated string or GUID or a character
  // that starts no token, End at the end of the data.
  Token Next();

 private:
  void SkipBlanks();
  const char* p_;
  const char* end_;
};

}  // namespace d3dx_xfile
