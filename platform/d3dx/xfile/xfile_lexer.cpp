// Splitting a text X file into tokens.
#include "platform/d3dx/xfile/xfile_lexer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace d3dx_xfile {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void Lexer::SkipBlanks() {
  while (p_ < end_) {
    const char c = *p_;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == '\0') {
      ++p_;
    } else if (c == '#' || (c == '/' && p_ + 1 < end_ && p_[1] == '/')) {
      while (p_ < end_ && *p_ != '\n') ++p_;
    } else {
      return;
    }
  }
}

Token Lexer::Next() {
  SkipBlanks();
  Token t;
  if (p_ >= end_) return t;
  const char c = *p_;
  if (c == '{') {
    ++p_;
    t.kind = TokenKind::Open;
    return t;
  }
  if (c == '}') {
    ++p_;
    t.kind = TokenKind::Close;
    return t;
  }
  if (c == '"') {
    const char* start = ++p_;
    while (p_ < end_ && *p_ != '"') ++p_;
    if (p_ >= end_) {
      t.kind = TokenKind::Bad;
      return t;
    }
    t.kind = TokenKind::String;
    t.text.assign(start, p_);
    ++p_;
    return t;
  }
  if (c == '<') {
    const char* start = ++p_;
    while (p_ < end_ && *p_ != '>') ++p_;
    if (p_ >= end_) {
      t.kind = TokenKind::Bad;
      return t;
    }
    t.kind = TokenKind::Guid;
    t.text.assign(start, p_);
    ++p_;
    return t;
  }
  const bool signedNumber = (c == '-' || c == '+' || c == '.') && p_ + 1 < end_ &&
                            (IsDigit(p_[1]) || (p_[1] == '.' && p_ + 2 < end_ && IsDigit(p_[2])));
  if (IsDigit(c) || signedNumber) {
    // Copy the number's characters so strtod never reads past the data.
    const char* start = p_;
    while (p_ < end_ && (IsDigit(*p_) || *p_ == '.' || *p_ == '-' || *p_ == '+' || *p_ == 'e' || *p_ == 'E'))
      ++p_;
    std::string text(start, p_);
    char* stop = nullptr;
    t.number = std::strtod(text.c_str(), &stop);
    t.kind = (stop && *stop == '\0' && std::isfinite(t.number)) ? TokenKind::Number : TokenKind::Bad;
    return t;
  }
  if (IsNameChar(c)) {
    const char* start = p_;
    while (p_ < end_ && IsNameChar(*p_)) ++p_;
    t.kind = TokenKind::Name;
    t.text.assign(start, p_);
    return t;
  }
  t.kind = TokenKind::Bad;
  ++p_;
  return t;
}

}  // namespace d3dx_xfile
