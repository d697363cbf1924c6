// Key file into a cruise file: the legacy settings rows of
// GlobalConfigurationTable and the rows of the four equation tables.
//
// Not for: parsing (key_parser.h, report_codes.h do that into structs) or
// obtaining the tables (the import driver does).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "legacy/keyfile/key_parser.h"
#include "legacy/keyfile/report_codes.h"
#include "legacy/line.h"
#include "storage/storage.h"

namespace sw::legacy::keyfile {

// Appends, Block "Processing": "Legacy Key File", "Legacy Job File",
// "Legacy Report File", "Region Number", then one "Reports" row per code
// that is not empty and does not start with a blank.
storage::Status StoreLegacySettings(storage::View& config, const std::vector<std::string>& codes,
                                    std::string_view key_file, std::string_view job_file,
                                    std::string_view report_file, std::string_view region);

// Appends the parsed equations to the four tables.
storage::Status StoreEquations(const KeyEquations& equations, storage::View& volume, storage::View& value,
                               storage::View& weight, storage::View& quality);

// Reads line 1 and the equation sections (the caller rewinds the file first)
// and appends the rows. Returns what the key file lacked or repeated, and a
// storage failure if there was one; the tables of sections that are missing
// stay empty.
struct SectionsRead {
  storage::Status status;
  std::vector<std::string> messages;
};
SectionsRead ReadEquationSections(LineReader& file, storage::View& volume, storage::View& value,
                                  storage::View& weight, storage::View& quality);

}  // namespace sw::legacy::keyfile
