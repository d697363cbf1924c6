// The growth-model export of a processed cruise file: what the unit and
// variant dialog offers, and what one press of its OK button writes. All
// files of one export go beside the cruise file and are written together or
// not at all; the cruise file itself is only read.
//
// Not for: the dialog (platform/unit_variant_prompt.h, gui/) or the order of
// the Create command (app/).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "convert/outcome.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::convert {

inline constexpr char kProrationFileName[] = "IntCruiseTables.lpp";
inline constexpr char kAllUnitsEntry[] = " ALL UNITS";
inline constexpr char kNoDescription[] = "no description available";

inline constexpr char kBlankLocationMessage[] =
    "Region or Forest or District is blank.\nMost GRO variants require\nat least Forest.\nComplete these fields\nand "
    "try again!";
inline constexpr char kNoExpansionFactorsMessage[] =
    "CANNOT CONTINUE - expansion factors not detected in current file\nProcess in Tallyworks and try again!";
inline constexpr char kNoVariantMessage[] = "NO VARIANT SELECTED!\nPlease select a variant\nbefore clicking OK";
inline constexpr char kNoUnitsMessage[] = "NO UNITS SELECTED!\nPlease select at least one unit";

// The growth-model check of the Create command: Region, Forest and District
// of the first CruiseTable row must all be filled. The "CANNOT CONTINUE"
// message when one is empty (or the file cannot be read), nothing otherwise.
std::optional<platform::Message> CheckCruiseLocation(const std::filesystem::path& cruise_path);

// What the dialog shows when it opens.
struct UnitVariantOffer {
  std::string unit_count;                  // "%4d"
  std::vector<std::string> unit_entries;   // " ALL UNITS" first, then "CutUnit -- Description" sorted
  std::vector<std::string> variant_names;  // offered for the cruise's region, sorted
};

// Reads the cruise file for the dialog. Refused (with the message to show,
// after which the dialog closes) when TreeTable has no ExpanFac column or
// its expansion factors sum to 0, or when the file cannot be read.
struct ExportStart {
  Outcome outcome;  // kDone when the dialog may open
  UnitVariantOffer offer;
};
ExportStart StartGrowthModelExport(const std::filesystem::path& cruise_path);

// The list order of the dialog: letters compared without regard to case,
// byte by byte otherwise.
void SortListEntries(std::vector<std::string>& entries);

// The chosen-units list for the selected entries: " ALL UNITS" stays, any
// other entry gives the text before its " -- " (the unit code as written).
std::vector<std::string> ChosenUnits(const std::vector<std::string>& selected_entries);

struct ExportRequest {
  std::filesystem::path cruise_path;
  std::filesystem::path species_file;  // GROvariantSpecies.mk4 beside the programs
  std::vector<std::string> units;      // the chosen-units list
  std::string variant_name;            // "" when none is chosen
  int current_year = 2000;             // for a cruise without a calendar year
  storage::FileSystem* fs = nullptr;   // null: the real one
};

struct ExportResult {
  Outcome outcome;
  // The dialog closes after this export (the species file could not be read).
  bool close_dialog = false;
  std::filesystem::path folder;  // where the files went
};

// One press of OK. Writes, beside the cruise file, the batch file (named as
// the cruise file with the extension ".bat") and for each exported unit its
// tree data, keyword file and batch lines, then the location and stand list
// files. Without a variant or units, only the batch file's first line is
// written and the warning returned (kRefused). Every other refusal or
// failure writes nothing.
ExportResult ExportGrowthModel(const ExportRequest& request);

}  // namespace sw::convert
