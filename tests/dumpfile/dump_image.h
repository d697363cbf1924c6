// Writes a storage as a dump file image (for tests and benchmarks): per
// view a "[Name]" line, its description, the column names, then one line
// per row with "^" for commas, "!" for line feeds and one blank for "".
#pragma once

#include <cstdio>
#include <string>

#include "storage/storage.h"

namespace sw::test {

inline std::string DumpEncode(const std::string& text) {
  if (text.empty()) return " ";
  std::string out = text;
  for (char& c : out) {
    if (c == ',') c = '^';
    else if (c == '\n') c = '!';
  }
  return out;
}

inline void AppendDumpValue(std::string& out, const storage::Value& v) {
  char buffer[64];
  if (auto* s = std::get_if<std::string>(&v)) {
    out += DumpEncode(*s);
  } else if (auto* i = std::get_if<std::int32_t>(&v)) {
    out += std::to_string(*i);
  } else if (auto* l = std::get_if<std::int64_t>(&v)) {
    out += std::to_string(*l);
  } else if (auto* f = std::get_if<float>(&v)) {
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(*f));
    out += buffer;
  } else if (auto* d = std::get_if<double>(&v)) {
    std::snprintf(buffer, sizeof buffer, "%.17g", *d);
    out += buffer;
  }
}

inline std::string DumpImageOf(storage::Storage& s) {
  std::string text;
  for (const std::string& name : s.ViewNames()) {
    storage::View v = s.GetView(name);
    text += "[" + name + "]\n" + name + "[" + v.Describe() + "]\n";
    for (std::size_t c = 0; c < v.ColumnCount(); ++c) text += (c ? "," : "") + v.ColumnAt(c).name;
    text += "\n";
    for (std::size_t r = 0; r < v.Size(); ++r) {
      for (std::size_t c = 0; c < v.ColumnCount(); ++c) {
        if (c) text += ',';
        AppendDumpValue(text, v.Get(r, c));
      }
      text += "\n";
    }
  }
  return text;
}

}  // namespace sw::test
