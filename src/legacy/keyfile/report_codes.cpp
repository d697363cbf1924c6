// Report list reading, Version 6 code conversion and report line layout
// (see report_codes.h).
#include "legacy/keyfile/report_codes.h"

#include <array>

#include "legacy/keyfile/section_headers.h"

namespace sw::legacy::keyfile {
namespace {

// Blanks are not part of any report code: "A 02" is the code "A02".
std::string WithoutBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// R and S codes: one character gives prefix+"5"; "1..." and "2..." give
// prefix+"6"/"7" and the rest without its first character.
std::string ConvertTallyCode(std::string_view prefix, std::string_view rest) {
  if (rest.size() == 1) return std::string(prefix) + "5" + std::string(rest);
  if (!rest.empty() && rest[0] == '1') return std::string(prefix) + "6" + std::string(rest.substr(1));
  if (!rest.empty() && rest[0] == '2') return std::string(prefix) + "7" + std::string(rest.substr(1));
  return std::string(rest);
}

// A line whose second character is "O", "A" or "E" holds no report codes.
bool LooksLikeHeader(std::string_view line) {
  return line.size() > 1 && (line[1] == 'O' || line[1] == 'A' || line[1] == 'E');
}

// The empty entry after each line's closing comma does not take one of the
// places for codes, so that forty codes written over three lines all fit.
void AddCodes(ReportList& list, std::string_view line) {
  for (std::string& code : SplitReportLine(line)) {
    if (code == " ") {
      list.codes.push_back(std::move(code));
    } else if (list.kept < kMaxReportCodes) {
      list.codes.push_back(std::move(code));
      ++list.kept;
    } else {
      ++list.dropped;
    }
  }
}

}  // namespace

std::vector<std::string> SplitReportLine(std::string_view line) {
  std::vector<std::string> codes;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    const std::string_view piece = line.substr(start, comma == std::string_view::npos ? line.npos : comma - start);
    std::string code = WithoutBlanks(piece);
    codes.push_back(code.empty() ? std::string(" ") : std::move(code));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return codes;
}

bool IsVersion7ReportList(const std::vector<std::string>& codes) {
  static constexpr std::array<std::string_view, 7> kPrefixes = {"DP", "CP", "DS", "CS", "UC", "TC", "TL"};
  for (const std::string& code : codes) {
    if (code.empty()) continue;
    if (code.size() == 4) return true;
    for (std::string_view prefix : kPrefixes)
      if (code.starts_with(prefix)) return true;
  }
  return false;
}

std::string ConvertReportCode(std::string_view code) {
  if (code.empty()) return std::string(code);
  const std::string rest(code.substr(1));
  const char second = code.size() > 1 ? code[1] : '\0';
  switch (Upper(code[0])) {
    case ' ': {
      std::string out;
      for (char c : code)
        if (c != ' ') out += c;
      return out;
    }
    case 'C': return (second == 'P' || second == 'S') ? std::string(code) : "DP" + rest;
    case 'D': return (second == 'P' || second == 'S') ? std::string(code) : "CP" + rest;
    case 'H': return "DS" + rest;
    case 'I': return "CS" + rest;
    case 'L': return "UC" + rest;
    case 'N': return "TC" + rest;
    case 'P': return "TL" + rest;
    case 'Q': return "R00" + rest;
    case 'R': return ConvertTallyCode("TC", rest);
    case 'S': return ConvertTallyCode("TL", rest);
    case 'V': return "R70" + rest;
    case 'W': return "R40" + rest;
    case 'X': return "R30" + rest;
    case 'Y': return "R90" + rest;
    case 'Z': return "L" + rest;
    default: return std::string(code);
  }
}

bool ConvertReportCodes(std::vector<std::string>& codes) {
  if (IsVersion7ReportList(codes)) return false;
  for (std::string& code : codes) code = ConvertReportCode(code);
  return true;
}

ReportList ReadReportCodes(LineReader& reader) {
  ReportList list;
  std::string line;
  for (int header_line = 0; header_line < 3; ++header_line)
    if (!reader.ReadLine(line)) return list;
  for (int report_line = 4; reader.ReadLine(line); ++report_line) {
    if (IsSectionHeaderLine(line)) break;
    if (report_line > 5 && (line.find(',') == std::string::npos || line.find('/') != std::string::npos)) break;
    if (!LooksLikeHeader(line)) AddCodes(list, line);
  }
  list.version6 = ConvertReportCodes(list.codes);
  return list;
}

std::string FormatReportLines(const std::vector<std::string>& codes) {
  std::string out;
  std::size_t length = 0;
  for (const std::string& stored : codes) {
    const std::string code = WithoutBlanks(stored);
    if (code.empty()) continue;  // would read back as an empty entry
    length += code.size();
    if (length < 80) {
      out += code + ",";
      length += 1;
    } else if (length == 80) {
      out += code + "\n";
      length = 0;
    } else {
      out += "\n" + code + ",";
      length = code.size() + 1;
    }
  }
  out += "\n";
  return out;
}

}  // namespace sw::legacy::keyfile
