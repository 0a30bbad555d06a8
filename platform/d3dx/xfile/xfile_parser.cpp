// Parsing text X files into data objects; template declarations are
// skipped, since the loaders know the layouts of the templates they read.
#include "platform/d3dx/xfile/xfile_parser.h"

#include <cstring>

#include "platform/d3dx/xfile/xfile_lexer.h"

namespace d3dx_xfile {
namespace {

// Deeper nesting than any exporter writes is taken as a broken file, which
// also keeps the recursion of the parser and its users bounded.
constexpr int kMaxDepth = 64;

class Parser {
 public:
  Parser(const char* data, std::size_t size) : lexer_(data, size) { Advance(); }

  bool ParseTop(Document* doc) {
    while (tok_.kind != TokenKind::End) {
      if (tok_.kind != TokenKind::Name) return false;
      if (tok_.text == "template") {
        if (!SkipTemplate()) return false;
        continue;
      }
      DataObject o;
      if (!ParseObject(&o, 0)) return false;
      doc->objects.push_back(std::move(o));
    }
    return true;
  }

 private:
  void Advance() { tok_ = lexer_.Next(); }

  // template Name { <GUID> members [restrictions] }
  bool SkipTemplate() {
    Advance();
    if (tok_.kind != TokenKind::Name) return false;
    Advance();
    if (tok_.kind != TokenKind::Open) return false;
    int depth = 0;
    do {
      if (tok_.kind == TokenKind::Open) ++depth;
      if (tok_.kind == TokenKind::Close) --depth;
      // Array brackets and restrictions need no reading: only the braces count.
      if (tok_.kind == TokenKind::End) return false;
      Advance();
    } while (depth > 0);
    return true;
  }

  // At the template name: Type [name] [<GUID>] { body }
  bool ParseObject(DataObject* o, int depth) {
    if (depth > kMaxDepth) return false;
    o->type = tok_.text;
    Advance();
    if (tok_.kind == TokenKind::Name) {
      o->name = tok_.text;
      Advance();
    }
    if (tok_.kind == TokenKind::Guid) Advance();
    if (tok_.kind != TokenKind::Open) return false;
    Advance();
    for (;;) {
      switch (tok_.kind) {
        case TokenKind::Close:
          Advance();
          return true;
        case TokenKind::Number:
          o->numbers.push_back(tok_.number);
          Advance();
          break;
        case TokenKind::String:
          o->strings.push_back(tok_.text);
          Advance();
          break;
        case TokenKind::Open: {
          // { Name }, { <GUID> } or { Name <GUID> }: a reference.
          Advance();
          DataObject ref;
          ref.reference = true;
          if (tok_.kind == TokenKind::Name) {
            ref.name = tok_.text;
            Advance();
          }
          if (tok_.kind == TokenKind::Guid) Advance();
          if (tok_.kind != TokenKind::Close) return false;
          Advance();
          o->children.push_back(std::move(ref));
          break;
        }
        case TokenKind::Name: {
          DataObject child;
          if (!ParseObject(&child, depth + 1)) return false;
          o->children.push_back(std::move(child));
          break;
        }
        default:
          return false;  // End, Bad or a stray GUID
      }
    }
  }

  Lexer lexer_;
  Token tok_;
};

const DataObject* FindIn(const std::vector<DataObject>& objects, const std::string& name) {
  for (const DataObject& o : objects) {
    if (!o.reference && o.name == name) return &o;
    if (const DataObject* found = FindIn(o.children, name)) return found;
  }
  return nullptr;
}

}  // namespace

const DataObject* Document::Find(const std::string& name) const {
  return name.empty() ? nullptr : FindIn(objects, name);
}

const DataObject* Document::Resolve(const DataObject& o) const {
  return o.reference ? Find(o.name) : &o;
}

bool ParseDocument(const char* data, std::size_t size, Document* out) {
  *out = Document{};
  // "xof 0303txt 0032": magic, version, format, float size.
  if (!data || size < 16 || std::memcmp(data, "xof ", 4) != 0) return false;
  if (std::memcmp(data + 8, "txt ", 4) != 0) return false;  // binary and compressed files are not read
  if (std::memcmp(data + 12, "0032", 4) != 0 && std::memcmp(data + 12, "0064", 4) != 0) return false;
  Parser parser(data + 16, size - 16);
  if (!parser.ParseTop(out)) {
    *out = Document{};
    return false;
  }
  return true;
}

}  // namespace d3dx_xfile
