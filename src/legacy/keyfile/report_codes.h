// The report list of a key file: the report lines after the three header
// lines, the conversion of Version 6 report codes, and the report lines as
// the Version 7 writer lays them out.
//
// Not for: the settings rows that hold the codes in a cruise file
// (key_reader.h, key_writer.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "legacy/line.h"

namespace sw::legacy::keyfile {

inline constexpr std::size_t kMaxReportCodes = 40;

struct ReportList {
  std::vector<std::string> codes;  // at most kMaxReportCodes codes, and " " for each empty piece
  std::size_t kept = 0;            // codes other than " "
  std::size_t dropped = 0;         // codes beyond kMaxReportCodes, not kept
  bool version6 = false;           // the codes were converted from Version 6
};

// Splits one report line at its commas: blanks are not part of any code and
// an empty piece is the entry " ".
std::vector<std::string> SplitReportLine(std::string_view line);

// True when the list holds a Version 7 code (a known prefix or four characters).
bool IsVersion7ReportList(const std::vector<std::string>& codes);

// One Version 6 code in its Version 7 form.
std::string ConvertReportCode(std::string_view code);

// Converts the list when it is a Version 6 list; returns true when it did.
bool ConvertReportCodes(std::vector<std::string>& codes);

// Reads lines 1 to 3 and the report lines from the start of a key file.
// Lines 4 and 5 are report lines unless they are section headers; later
// lines are taken as well while they look like report lines (hold a comma
// and no "/"), so that a list written over three lines survives. The first
// section header ends the list, so an empty list (a blank line, which the
// line reader skips) never takes an equation record for report codes.
ReportList ReadReportCodes(LineReader& reader);

// The report lines of a Version 7 key file for these codes, each line ending
// in a line end; an empty list gives one empty line. Blanks inside a stored
// code are dropped, and a code of blanks alone is not written.
std::string FormatReportLines(const std::vector<std::string>& codes);

}  // namespace sw::legacy::keyfile
