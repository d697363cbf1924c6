// Default volume equation numbers for the short equation codes of Version 6
// volume records: the regional code tables and the rules that build a number
// for the forest codes of regions 8 and 9.
//
// Not for: reading records or choosing calculation flags (key_records.h).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace sw::legacy::keyfile {

// One row of a regional table: a Version 6 code and its equation number.
struct DefaultEquationEntry {
  std::string_view code;
  std::string_view number;
};

// The table of a region (1 to 7, 10 or 12); empty for any other region.
std::span<const DefaultEquationEntry> DefaultEquationTable(int region);

// The ten-character equation number for `code`, given the key file's region
// text and the record's species, or "BLANK" when no rule applies. Regions 1
// to 7 search their own table and the following ones up to 7, then build a
// region 8 number; region 10 falls back on table 12.
std::string DefaultVolumeEquation(std::string_view species, std::string_view region, std::string_view code);

}  // namespace sw::legacy::keyfile
