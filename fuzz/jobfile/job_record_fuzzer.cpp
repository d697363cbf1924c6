// Fuzzes the job-file record parser and formatter (pure text, no storage):
// every line of the input is identified for both versions and parsed and
// formatted with every layout. Version 6 layouts keep the text of the line,
// so for them formatting the parsed line must give the line back (cut at a
// NUL byte, padded or cut to the layout's width).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/line.h"

using namespace sw::legacy::jobfile;

namespace {

std::size_t Width(const RecordLayout& layout) {
  std::size_t end = layout.fields.empty() ? 0 : layout.fields.back().end;
  if (!layout.groups.empty()) {
    const GroupSpec& g = layout.groups.back();
    end = g.start + g.fields.back().end;
  }
  return end;
}

bool KeepsText(const RecordLayout& layout) {
  return layout.name.substr(0, 2) == "V6";
}

// A parsed number is exactly what the C library's conversion of its text
// gives (a value that is not finite read as 0), whatever shortcut the parser
// takes for plain numbers.
void CheckNumber(const FieldSpec& def, const std::string& text, double real, std::int64_t whole) {
  switch (def.conv) {
    case Conv::Real: {
      double expected = sw::legacy::Atof(text);
      if (!std::isfinite(expected)) expected = 0.0;
      if (std::memcmp(&expected, &real, sizeof real) != 0) __builtin_trap();
      break;
    }
    case Conv::Int:
      if (whole != sw::legacy::Atoi(text)) __builtin_trap();
      break;
    case Conv::Long:
      if (whole != sw::legacy::Atol(text)) __builtin_trap();
      break;
    default:
      break;
  }
}

void CheckLine(std::string_view line) {
  Diagnostics diagnostics;
  JobRecord record;
  for (int version : {6, 7}) {
    const RecordLayout* layout = ReadingLayout(IdentifyRecord(line, version), version);
    if (layout != nullptr) record.Parse(*layout, line, 1, &diagnostics);
  }
  // The listing shown to the user escapes every byte it cannot show.
  for (char c : ListDiagnostics(diagnostics, 20))
    if (c != '\n' && (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)) __builtin_trap();
  for (const RecordLayout* layout : layouts::kAll) {
    record.Parse(*layout, line, 1, &diagnostics);
    for (std::size_t i = 0; i < layout->fields.size(); ++i)
      CheckNumber(layout->fields[i], record.Text(i), record.Real(i), record.Whole(i));
    for (std::size_t g = 0; g < record.GroupCount(); ++g)
      for (std::size_t i = 0; i < layout->groups[g].fields.size(); ++i) {
        const FieldValue& v = record.GroupField(g, i);
        CheckNumber(layout->groups[g].fields[i], v.text, v.real, v.whole);
      }
    std::string out = record.Format();
    JobRecord again;
    again.Parse(*layout, out);
    (void)again.Format();
    if (!KeepsText(*layout)) continue;
    std::string_view cut = line.substr(0, line.find('\0'));
    std::string expected(cut.substr(0, Width(*layout)));
    // Groups past the end of the line are not parsed, so they are not written.
    std::size_t written = out.size();
    expected.resize(Width(*layout), ' ');
    if (out != expected.substr(0, written)) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    CheckLine(text.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
