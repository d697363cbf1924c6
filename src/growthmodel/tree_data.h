// The simulator's tree data file of one cutting unit: one fixed-column line
// per measured tree of the unit's strata, with trees per acre from the
// processing program's expansion factors and its proration table.
//
// Not for: writing files. The text is returned; the export driver writes
// every file of one export together or none of them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "growthmodel/species.h"
#include "storage/storage.h"

namespace sw::growthmodel {

// Unit codes and other codes the export compares: blanks on both sides do
// not count ("  1" and "1" are one unit); letter case does not count either,
// as in every comparison of the storage engine.
std::string TrimBlanks(std::string_view text);
bool SameCode(std::string_view a, std::string_view b);

// A name part taken from the cruise file (CruiseNo, a unit code) that can
// stand in a file name: no path separator, drive colon, wildcard, quote,
// angle bracket, pipe or control character. "" when it can, otherwise why not.
std::string FileNamePartProblem(std::string_view part);

// "Cruz" + CruiseNo + "_" + unit + ".gro".
std::string TreeDataFileName(std::string_view cruise_no, std::string_view unit);

// The views the writer reads.
struct CruiseViews {
  storage::View cruise;    // CruiseTable
  storage::View strata;    // StratumTable
  storage::View units;     // CuttingUnitTable
  storage::View trees;     // TreeTable
  storage::View plots;     // PlotTable
  storage::View volume;    // VolumeEquationTable
};

// One stratum of a unit and the unit's acres (`Area` of its
// CuttingUnitTable row; 0 when it has none).
struct UnitStratum {
  std::string stratum;
  double acres = 0;
};

// The strata whose `Units` list names the unit, in StratumTable order. List
// items and the unit are compared with blanks removed on both sides.
std::vector<UnitStratum> StrataOfUnit(const CruiseViews& views, std::string_view unit);

// `Area` of the first CuttingUnitTable row whose CutUnit is the unit
// (blanks removed); nothing when there is none.
std::optional<double> UnitArea(const storage::View& units, std::string_view unit);

// The values of one tree line before formatting. Optional fields are
// written as blanks of their width when empty.
struct TreeLine {
  std::string plot;
  std::string tree;
  double trees_per_acre = 0;
  std::optional<int> history;  // 1 live, 6 dead
  std::string species;         // the variant's code, "" when none
  double dbh = 0;
  std::optional<double> height;  // none: six blanks
  int crown_ratio = 0;           // integer value of CR
  double sdef_primary = 0;
  double sdef_secondary = 0;
  std::optional<int> tree_class;  // 2 cut, 1 leave
  std::optional<int> slope;       // none: slope and aspect blank
  int aspect = 0;
};

// The line with its line end, 60 characters, or an error naming the value
// that does not fit its columns. Values the simulator caps are capped
// (defects and slope at 99, both at 0 from below); trees per acre of 1000 or
// more keep their columns with fewer decimals, a DBH of 100 or more is
// written without decimals ("100."); anything else too wide is refused,
// since a wider field would shift every later column.
storage::Result<std::string> FormatTreeLine(const TreeLine& line);

// The crown code of column 35: blank for 0 and below, 1 for 1-10, ... 9
// above 80.
char CrownCode(int crown_ratio);

struct TreeDataFile {
  std::string file_name;
  std::string text;
  // The unit has strata but no acres (Area 0, negative or no CuttingUnitTable
  // row): nothing is written for it.
  bool no_acres = false;
  // Trees without a proration row, written with proration 1, as
  // "stratum S plot P tree T".
  std::vector<std::string> unprorated;
  // Species groups whose species has no volume equation or no code in the
  // variant, written with a blank species code.
  std::vector<std::string> untranslated;
};

// The tree data file of `unit` for the variant. `proration` is the PROtable
// view of the proration file. Errors: a value that does not fit its columns
// (naming the tree) or a failed read.
storage::Result<TreeDataFile> WriteTreeDataFile(std::string_view unit, const CruiseViews& views,
                                                const storage::View& proration, std::string_view variant_code,
                                                SpeciesFile& species);

}  // namespace sw::growthmodel
