// Dump text writer and reader. Text is escaped so that every dump is
// well-formed UTF-8 without TAB, LF or CR inside a cell; top-level rows whose
// first cell looks like a directive or a nested row are guarded.
#include "storage/dump_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <sstream>
#include <vector>

#include "storage/description.h"
#include "storage/file_system.h"

namespace sw::storage {
namespace {

const char kHex[] = "0123456789abcdef";

std::size_t Utf8Length(std::string_view s, std::size_t i) {
  auto at = [&](std::size_t k) -> int { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : -1; };
  auto in = [](int b, int lo, int hi) { return b >= lo && b <= hi; };
  const int b0 = at(0);
  if (in(b0, 0xC2, 0xDF)) return in(at(1), 0x80, 0xBF) ? 2 : 0;
  int lo = 0x80, hi = 0xBF;
  if (b0 == 0xE0) lo = 0xA0;
  if (b0 == 0xED) hi = 0x9F;
  if (in(b0, 0xE0, 0xEF)) return in(at(1), lo, hi) && in(at(2), 0x80, 0xBF) ? 3 : 0;
  lo = 0x80, hi = 0xBF;
  if (b0 == 0xF0) lo = 0x90;
  if (b0 == 0xF4) hi = 0x8F;
  if (in(b0, 0xF0, 0xF4)) return in(at(1), lo, hi) && in(at(2), 0x80, 0xBF) && in(at(3), 0x80, 0xBF) ? 4 : 0;
  return 0;
}

// Numbers as "%.9g" and "%.17g" write them in the "C" locale, whatever the
// process locale is.
std::string FormatG(double d, int precision) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, precision);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string FormatF(float f) {
  if (std::isnan(f)) return std::signbit(f) ? "-nan" : "nan";
  return FormatG(static_cast<double>(f), 9);
}

std::string FormatD(double d) {
  if (std::isnan(d)) return std::signbit(d) ? "-nan" : "nan";
  return FormatG(d, 17);
}

// A whole text as one number, read with the "C" locale's decimal point; an
// optional "+" is allowed as strtod allows it.
template <class T>
bool ParseWhole(std::string_view text, T* out) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
  if (ec == std::errc::result_out_of_range) {
    *out = text[0] == '-' ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
    return end == text.data() + text.size();
  }
  return ec == std::errc() && end == text.data() + text.size();
}

void AppendEscaped(std::string_view s, std::string* out);

// Collects dump text and hands it on in pieces of about a megabyte (or keeps
// all of it when there is no stream).
class Writer {
 public:
  explicit Writer(std::ostream* os) : os_(os) {}
  std::string& text() { return text_; }
  void MaybeFlush() {
    if (os_ && text_.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (!os_) return;
    os_->write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }
  bool good() const { return !os_ || os_->good(); }

 private:
  std::ostream* os_;
  std::string text_;
};

void AppendCell(const View& v, std::size_t row, std::size_t col, Type type, std::string* out) {
  if (type == Type::Subview) {
    *out += '[';
    *out += std::to_string(v.Subview(row, col).Size());
    *out += ']';
    return;
  }
  const Value val = v.Get(row, col);
  switch (type) {
    case Type::String: AppendEscaped(std::get<std::string>(val), out); return;
    case Type::Int: *out += std::to_string(std::get<std::int32_t>(val)); return;
    case Type::Long: *out += std::to_string(std::get<std::int64_t>(val)); return;
    case Type::Float: *out += FormatF(std::get<float>(val)); return;
    case Type::Double: *out += FormatD(std::get<double>(val)); return;
    case Type::Bytes:
      for (auto b : std::get<Bytes>(val)) {
        *out += kHex[b >> 4];
        *out += kHex[b & 15];
      }
      return;
    case Type::Subview: return;
  }
}

void DumpRows(const View& v, int depth, Writer* w) {
  const std::size_t n = v.ColumnCount();
  std::vector<ColumnInfo> info;
  for (std::size_t c = 0; c < n; ++c) info.push_back(v.ColumnAt(c));
  std::string& out = w->text();
  for (std::size_t r = 0; r < v.Size(); ++r) {
    if (depth > 0) {
      out.append(static_cast<std::size_t>(depth), '>');
      out += '\t';
    }
    for (std::size_t c = 0; c < n; ++c) {
      if (c) out += '\t';
      const std::size_t at = out.size();
      AppendCell(v, r, c, info[c].type, &out);
      if (c == 0 && depth == 0) {
        // A first cell that reads like a directive or a nested row is guarded.
        const std::string_view cell = std::string_view(out).substr(at);
        if (cell.rfind(">", 0) == 0) out.replace(at, 1, "\\x3e");
        else if (cell.rfind("VIEW ", 0) == 0) out.replace(at, 1, "\\x56");
        else if (cell.rfind("FIELD ", 0) == 0) out.replace(at, 1, "\\x46");
      }
    }
    out += '\n';
    for (std::size_t c = 0; c < n; ++c) {
      if (info[c].type == Type::Subview) DumpRows(v.Subview(r, c), depth + 1, w);
    }
    w->MaybeFlush();
  }
}

// The whole dump through `w`. Every view is decoded and checked before any
// text is handed on, then decoded again when its turn comes and released
// after it: a damaged file gives an error and no output, and memory holds
// one view at a time.
Status Dump(Storage& s, Writer* w) {
  const auto properties = s.Properties();
  for (const auto& [info, value] : properties) {
    if (info.type != Type::Subview) continue;
    Status st = s.Load(info.name, true);
    if (!st.ok()) return st;
  }
  AppendEscaped(s.Description(), &w->text());
  w->text() += '\n';
  for (const auto& [info, value] : properties) {
    std::string& out = w->text();
    if (info.type != Type::Subview) {
      out += "FIELD ";
      AppendEscaped(info.name, &out);
      out += ':';
      out += static_cast<char>(info.type);
      out += '\t';
      if (info.type == Type::Int) out += std::to_string(std::get<std::int32_t>(value));
      else out += FormatF(std::get<float>(value));
      out += '\n';
      continue;
    }
    {
      const View v = s.GetView(info.name);
      out += "VIEW ";
      AppendEscaped(info.name, &out);
      out += '\n';
      for (std::size_t c = 0; c < v.ColumnCount(); ++c) {
        const ColumnInfo ci = v.ColumnAt(c);
        if (c) out += '\t';
        AppendEscaped(ci.name, &out);
        out += ':';
        out += static_cast<char>(ci.type);
      }
      out += '\n';
      DumpRows(v, 0, w);
    }
    Status st = s.Load(info.name, true);
    if (!st.ok()) return st;
  }
  w->Flush();
  if (!w->good()) return Status::Error("the dump text could not be written");
  return Status::Ok();
}

// ---------------------------------------------------------------- restore ---

class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  bool Next(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t nl = text_.find('\n', pos_);
    if (nl == std::string_view::npos) return false;  // every line ends in LF
    *line = text_.substr(pos_, nl - pos_);
    // A text edited on Windows may end its lines in CR LF; a CR inside a
    // value is always written escaped, so a bare one here is a line end.
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    pos_ = nl + 1;
    ++number_;
    return true;
  }
  bool Peek(std::string_view* line) const {
    Lines copy = *this;
    return copy.Next(line);
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  int number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 0;
};

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = s.find(sep, start);
    if (at == std::string_view::npos) {
      out.push_back(s.substr(start));
      return out;
    }
    out.push_back(s.substr(start, at - start));
    start = at + 1;
  }
}

class Restorer {
 public:
  explicit Restorer(Lines* lines) : lines_(lines) {}

  Status Error(const std::string& what) const {
    return Status::Error("dump line " + std::to_string(lines_->number()) + ": " + what);
  }

  Status SetCell(View& v, std::size_t row, std::size_t col, Type type, std::string_view text) {
    switch (type) {
      case Type::String: {
        auto s = UnescapeText(text);
        if (!s.ok()) return Error(s.status().message());
        return v.Set(row, col, Value(std::move(s.value())));
      }
      case Type::Int: case Type::Long: {
        const std::string t(text);
        char* end = nullptr;
        errno = 0;
        const long long x = std::strtoll(t.c_str(), &end, 10);
        if (t.empty() || *end || errno) return Error("bad integer \"" + t + "\"");
        if (type == Type::Int) {
          if (x < INT32_MIN || x > INT32_MAX) return Error("integer out of range \"" + t + "\"");
          return v.Set(row, col, Value(static_cast<std::int32_t>(x)));
        }
        return v.Set(row, col, Value(static_cast<std::int64_t>(x)));
      }
      case Type::Float: case Type::Double: {
        const std::string t(text);
        if (t == "nan" || t == "-nan") {
          const bool neg = t[0] == '-';
          if (type == Type::Float) {
            const std::uint32_t bits = neg ? 0xFFC00000u : 0x7FC00000u;
            float f;
            std::memcpy(&f, &bits, 4);
            return v.Set(row, col, Value(f));
          }
          const std::uint64_t bits = neg ? 0xFFF8000000000000ull : 0x7FF8000000000000ull;
          double d;
          std::memcpy(&d, &bits, 8);
          return v.Set(row, col, Value(d));
        }
        if (type == Type::Float) {
          float f = 0;
          if (!ParseWhole(t, &f)) return Error("bad number \"" + t + "\"");
          return v.Set(row, col, Value(f));
        }
        double d = 0;
        if (!ParseWhole(t, &d)) return Error("bad number \"" + t + "\"");
        return v.Set(row, col, Value(d));
      }
      case Type::Bytes: {
        if (text.size() % 2) return Error("bad hex bytes");
        Bytes b;
        for (std::size_t i = 0; i < text.size(); i += 2) {
          const char* h1 = std::strchr(kHex, text[i]);
          const char* h2 = std::strchr(kHex, text[i + 1]);
          if (!text[i] || !text[i + 1] || !h1 || !h2) return Error("bad hex bytes");
          b.push_back(static_cast<std::uint8_t>(((h1 - kHex) << 4) | (h2 - kHex)));
        }
        return v.Set(row, col, Value(std::move(b)));
      }
      case Type::Subview: return Status::Ok();
    }
    return Status::Ok();
  }

  // Reads `count` rows (or, at depth 0, rows up to the next directive).
  Status Rows(View& v, int depth, std::size_t count) {
    if (depth > 64) return Error("rows nested too deeply");
    std::vector<ColumnInfo> info;
    for (std::size_t c = 0; c < v.ColumnCount(); ++c) info.push_back(v.ColumnAt(c));
    for (std::size_t k = 0; depth > 0 ? k < count : true; ++k) {
      std::string_view line;
      if (depth == 0) {
        if (!lines_->Peek(&line) || line.rfind("VIEW ", 0) == 0 || line.rfind("FIELD ", 0) == 0) return Status::Ok();
      }
      if (!lines_->Next(&line)) return Error("missing nested rows at the end");
      if (depth > 0) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab != static_cast<std::size_t>(depth) ||
            line.substr(0, tab).find_first_not_of('>') != std::string_view::npos) {
          return Error("expected a row at nesting depth " + std::to_string(depth));
        }
        line.remove_prefix(tab + 1);
      }
      const auto cells = info.empty() ? std::vector<std::string_view>{} : Split(line, '\t');
      if (info.empty() && !line.empty()) return Error("cells in a view without columns");
      if (cells.size() != info.size()) return Error("expected " + std::to_string(info.size()) + " cells");
      const long row = v.Add();
      if (row < 0) return Error("cannot add a row");
      std::vector<std::size_t> nested(info.size(), 0);
      for (std::size_t c = 0; c < info.size(); ++c) {
        if (info[c].type == Type::Subview) {
          const auto cell = cells[c];
          if (cell.size() < 3 || cell.front() != '[' || cell.back() != ']') return Error("bad subview cell");
          const std::string n(cell.substr(1, cell.size() - 2));
          char* end = nullptr;
          const unsigned long x = std::strtoul(n.c_str(), &end, 10);
          if (*end || n.empty() || n[0] == '-' || x > 0x7FFFFFFF) return Error("bad subview cell");
          nested[c] = x;
          continue;
        }
        Status st = SetCell(v, static_cast<std::size_t>(row), c, info[c].type, cells[c]);
        if (!st.ok()) return st;
      }
      for (std::size_t c = 0; c < info.size(); ++c) {
        if (info[c].type != Type::Subview || nested[c] == 0) continue;
        View sub = v.Subview(static_cast<std::size_t>(row), c);
        Status st = Rows(sub, depth + 1, nested[c]);
        if (!st.ok()) return st;
      }
    }
    return Status::Ok();
  }

 private:
  Lines* lines_;
};

void AppendEscaped(std::string_view s, std::string* out) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b >= 0x20 && b <= 0x7E && b != '\\') {
      // Runs of plain characters go in one piece.
      std::size_t k = i + 1;
      while (k < s.size() && static_cast<unsigned char>(s[k]) >= 0x20 && static_cast<unsigned char>(s[k]) <= 0x7E &&
             s[k] != '\\') {
        ++k;
      }
      out->append(s.substr(i, k - i));
      i = k;
      continue;
    }
    if (b == '\\') { *out += "\\\\"; ++i; continue; }
    if (b == '\t') { *out += "\\t"; ++i; continue; }
    if (b == '\n') { *out += "\\n"; ++i; continue; }
    if (b == '\r') { *out += "\\r"; ++i; continue; }
    if (b >= 0x80) {
      const std::size_t n = Utf8Length(s, i);
      if (n) {
        out->append(s.substr(i, n));
        i += n;
        continue;
      }
    }
    *out += "\\x";
    *out += kHex[b >> 4];
    *out += kHex[b & 15];
    ++i;
  }
}

}  // namespace

std::string EscapeText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  AppendEscaped(s, &out);
  return out;
}

Result<std::string> UnescapeText(std::string_view t) {
  std::string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '\\') {
      out += t[i];
      continue;
    }
    if (i + 1 >= t.size()) return Status::Error("a backslash ends the text");
    const char e = t[++i];
    if (e == '\\') out += '\\';
    else if (e == 't') out += '\t';
    else if (e == 'n') out += '\n';
    else if (e == 'r') out += '\r';
    else if (e == 'x' && i + 2 < t.size() + 0 && i + 2 <= t.size() - 1 + 1) {
      if (i + 2 >= t.size() + 1) return Status::Error("short \\x escape");
      const char* h1 = i + 1 < t.size() ? std::strchr(kHex, t[i + 1]) : nullptr;
      const char* h2 = i + 2 < t.size() ? std::strchr(kHex, t[i + 2]) : nullptr;
      if (!h1 || !h2 || !t[i + 1] || !t[i + 2]) return Status::Error("bad \\x escape");
      out += static_cast<char>(((h1 - kHex) << 4) | (h2 - kHex));
      i += 2;
    } else {
      return Status::Error("unknown escape \\" + std::string(1, e));
    }
  }
  return out;
}

std::string DumpStorage(const Storage& storage) {
  Writer w(nullptr);
  (void)Dump(const_cast<Storage&>(storage), &w);  // a view that cannot be decoded dumps as empty, as before
  return std::move(w.text());
}

Status DumpStorageTo(Storage& storage, std::ostream& out) {
  try {
    Writer w(&out);
    return Dump(storage, &w);
  } catch (const std::bad_alloc&) {
    return Status::Error("out of memory while dumping");
  }
}

Result<std::string> DumpFile(const std::filesystem::path& path) {
  if (!FileSystem::Default()->Exists(path.string())) return Status::Error("\"" + path.string() + "\" does not exist");
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  if (!s.ok()) return s.status();
  Writer w(nullptr);
  Status st = Dump(s.value(), &w);
  if (!st.ok()) return st;
  return std::move(w.text());
}

Status DumpFileTo(const std::filesystem::path& path, std::ostream& out) {
  if (!FileSystem::Default()->Exists(path.string())) return Status::Error("\"" + path.string() + "\" does not exist");
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  if (!s.ok()) return s.status();
  return DumpStorageTo(s.value(), out);
}

Status RestoreDump(std::string_view text, const std::filesystem::path& out) {
  try {
    if (FileSystem::Default()->Exists(out.string())) {
      return Status::Error("\"" + out.string() + "\" exists already; it is not overwritten");
    }
    Lines lines(text);
    std::string_view first;
    if (!lines.Next(&first)) return Status::Error("dump line 1: the description line is missing");
    auto desc = UnescapeText(first);
    if (!desc.ok()) return Status::Error("dump line 1: " + desc.status().message());
    auto fields = ParseStoredDescription(desc.value());
    if (!fields.ok()) return Status::Error("dump line 1: " + fields.status().message());
    auto storage = Storage::Open(out, Storage::Mode::ReadWrite);
    if (!storage.ok()) return storage.status();
    Restorer restorer(&lines);
    for (const auto& f : fields.value()) {
      std::string_view line;
      if (!lines.Next(&line)) return Status::Error("the dump ends before property \"" + f.name + "\"");
      if (f.type != Type::Subview) {
        return Status::Error("dump line " + std::to_string(lines.number()) + ": top-level non-view property \"" + f.name + "\" is not written");
      }
      if (line.rfind("VIEW ", 0) != 0) return restorer.Error("expected VIEW " + f.name);
      auto name = UnescapeText(line.substr(5));
      if (!name.ok() || name.value() != f.name) return restorer.Error("expected VIEW " + f.name);
      if (!lines.Next(&line)) return restorer.Error("missing header line");
      auto view = storage->GetAs(FormatField(f));
      if (!view.ok()) return view.status();
      Status st = restorer.Rows(view.value(), 0, 0);
      if (!st.ok()) return st;
    }
    if (!lines.AtEnd()) return Status::Error("dump line " + std::to_string(lines.number() + 1) + ": unexpected text after the last view");
    if (fields.value().empty()) {
      storage = Status::Error("released");  // drop the writer's lock on the path first
      auto created = FileSystem::Default()->Create(out.string());  // a 0-byte file is an empty storage
      return created.ok() ? Status::Ok() : created.status();
    }
    return storage->Commit();
  } catch (const std::exception& e) {
    return Status::Error(e.what());
  }
}

}  // namespace sw::storage
