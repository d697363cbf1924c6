// Parsing and formatting of structure descriptions. Names may hold any byte
// but , [ ] : and are kept as given; type letters are case-insensitive and
// written upper-case; M is read as B.
#include "storage/description.h"

namespace sw::storage {
namespace {

bool IsSpecial(char c) { return c == ',' || c == '[' || c == ']' || c == ':'; }

class Parser {
 public:
  Parser(std::string_view text, bool strict) : text_(text), strict_(strict) {}

  std::string_view text_;
  std::size_t pos_ = 0;
  bool strict_;
  std::string error_;

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return text_[pos_]; }

  std::string Name() {
    const std::size_t start = pos_;
    while (!AtEnd() && !IsSpecial(Peek())) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  bool Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }

  // field ("," field)* up to "]" (or the end when top_level).
  bool FieldList(std::vector<FieldDef>* out, int depth, bool top_level) {
    if (depth > kMaxNesting) return Fail("the description is nested too deeply");
    for (;;) {
      FieldDef f;
      if (!Field(&f, depth)) return false;
      bool duplicate = false;
      for (const auto& e : *out) duplicate = duplicate || EqualText(e.name, f.name);
      if (!duplicate) out->push_back(std::move(f));
      if (AtEnd()) {
        if (!top_level && strict_) return true;  // a missing "]" is accepted
        if (!top_level) return Fail("missing \"]\" in the description");
        return true;
      }
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      if (Peek() == ']') {
        if (top_level) return Fail("unexpected \"]\" in the description");
        return true;
      }
      return Fail("unexpected \"" + std::string(1, Peek()) + "\" in the description");
    }
  }

  bool Field(FieldDef* f, int depth) {
    f->name = Name();
    char letter = 0;
    if (!AtEnd() && Peek() == ':') {
      ++pos_;
      if (!AtEnd() && !IsSpecial(Peek())) letter = Peek();
      while (!AtEnd() && Peek() != ',' && Peek() != '[' && Peek() != ']') ++pos_;
      if (letter == 0) return Fail("column \"" + f->name + "\" has no type letter");
    }
    if (!AtEnd() && Peek() == '[') {
      ++pos_;
      f->type = Type::Subview;
      if (text_.substr(pos_, 2) == "^]") {
        pos_ += 2;
        f->recursive = true;
        return true;
      }
      if (!AtEnd() && Peek() == ']') {
        ++pos_;
        return true;
      }
      if (!FieldList(&f->sub, depth + 1, false)) return false;
      if (!AtEnd()) ++pos_;  // the "]"
      return true;
    }
    if (letter == 0) {
      f->type = Type::String;
      return true;
    }
    switch (letter) {
      case 'S': case 's': f->type = Type::String; return true;
      case 'I': case 'i': f->type = Type::Int; return true;
      case 'L': case 'l': f->type = Type::Long; return true;
      case 'F': case 'f': f->type = Type::Float; return true;
      case 'D': case 'd': f->type = Type::Double; return true;
      case 'B': case 'b': case 'M': case 'm': f->type = Type::Bytes; return true;
      case 'V': case 'v': f->type = Type::Subview; return true;
      default:
        return Fail("column \"" + f->name + "\" has the unknown type letter \"" + std::string(1, letter) + "\"");
    }
  }
};

}  // namespace

Result<std::vector<FieldDef>> ParseStoredDescription(std::string_view text) {
  std::vector<FieldDef> fields;
  if (text.empty()) return fields;
  Parser p(text, false);
  if (!p.FieldList(&fields, 0, true)) return Status::Error("bad structure description: " + p.error_);
  return fields;
}

Result<FieldDef> ParseViewDescription(std::string_view text, bool* has_bracket) {
  FieldDef view;
  view.type = Type::Subview;
  Parser p(text, true);
  view.name = p.Name();
  *has_bracket = !p.AtEnd() && p.Peek() == '[';
  if (!*has_bracket) {
    if (!p.AtEnd()) return Status::Error("bad view description \"" + std::string(text) + "\"");
    return view;
  }
  ++p.pos_;
  if (!p.AtEnd() && p.Peek() == ']') return view;
  if (text.substr(p.pos_, 2) == "^]") {
    view.recursive = true;
    return view;
  }
  if (!p.FieldList(&view.sub, 1, false)) {
    return Status::Error("bad view description \"" + std::string(text) + "\": " + p.error_);
  }
  return view;  // text after "]" is ignored
}

std::string FormatField(const FieldDef& f) {
  if (f.type == Type::Subview) {
    if (f.recursive) return f.name + "[^]";
    return f.name + "[" + FormatFields(f.sub) + "]";
  }
  return f.name + ":" + std::string(1, static_cast<char>(f.type));
}

std::string FormatFields(const std::vector<FieldDef>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    out += FormatField(fields[i]);
  }
  return out;
}

bool SameShape(const std::vector<FieldDef>& a, const std::vector<FieldDef>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!EqualText(a[i].name, b[i].name) || a[i].type != b[i].type || a[i].recursive != b[i].recursive) return false;
    if (!SameShape(a[i].sub, b[i].sub)) return false;
  }
  return true;
}

}  // namespace sw::storage
