// The text files that drive the simulator and the visualisation program
// besides the tree data: the keyword file of a unit, the batch lines that
// run the simulator on it, and the location and stand list files of a
// cruise. Each writer returns the file's text; names carry no folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/storage.h"

namespace sw::growthmodel {

// The values of the first CruiseTable row the writers use.
struct CruiseHeader {
  std::string cruise_no;
  std::string sale_name;
  std::string region;
  std::string forest;
  std::string district;
  std::string cal_year;
};
CruiseHeader ReadCruiseHeader(const storage::View& cruise);

// `CalYear`, or `current_year` when it is empty or a single blank.
std::string InventoryYear(const CruiseHeader& cruise, int current_year);

// The name with its last `from` suffix replaced by `to` ("x.gro" -> "x.kwd").
std::string ReplaceSuffix(std::string_view name, std::string_view from, std::string_view to);

std::string KeywordFileName(std::string_view tree_data_file_name);    // .gro -> .kwd
std::string ResponseFileName(std::string_view keyword_file_name);     // .kwd -> .rsp
std::string OutputFileName(std::string_view keyword_file_name);       // .kwd -> .out
std::string LocationFileName(std::string_view cruise_no);             // "Cruz" + CruiseNo + ".loc"
std::string StandListFileName(std::string_view location_file_name);   // .loc -> .slf

inline constexpr char kBatchFileFirstLine[] = "rem Biomass reports on all cutting units selected.\n";

std::string KeywordFileText(std::string_view tree_data_file_name, const CruiseHeader& cruise,
                            std::string_view variant_code, int current_year);

// The seven lines that run the simulator for one unit's keyword file.
std::string BatchLines(std::string_view keyword_file_name, std::string_view variant_code);

// The single record of the location file (no line end).
std::string LocationFileText(const CruiseHeader& cruise, std::string_view stand_list_file_name);

// One unit of the stand list: its code as written in the file names and
// its area.
struct StandListUnit {
  std::string unit;
  double area = 0;
};

// The A and B records of each unit; `year` is the inventory year.
std::string StandListText(const std::vector<StandListUnit>& units, const CruiseHeader& cruise,
                          std::string_view variant_code, std::string_view year);

}  // namespace sw::growthmodel
