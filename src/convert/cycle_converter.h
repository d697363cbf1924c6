// Cycle file to cruise files: every section of a chosen measurement cycle
// becomes a cruise file named after its header (prefix, "_", cycle, year,
// ".crz") in the output folder, with the cruise, strata, plots, trees and
// volume equations of its records, one default cutting unit and count row,
// and the processing settings. All files are written together or none.
//
// Not for: choosing the cycles (the Create command asks the platform).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "convert/outcome.h"
#include "cyclefile/cycle_reader.h"
#include "platform/platform.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::convert {

// The volume-equation area code and digit of a region-8 forest and district.
struct Region8Codes {
  std::string area;   // 2 characters or empty
  std::string digit;  // 1 character or empty
};
Region8Codes Region8CodesFor(std::string_view forest, std::string_view district);

// The two region-8 volume equation numbers of a species.
std::string Region8FirstEquation(const Region8Codes& codes, std::string_view species);
std::string Region8SecondEquation(const Region8Codes& codes, std::string_view species);

// "prefix_cycleYEAR.crz": the cycle without its leading blanks.
std::string CruiseFileNameOf(const cyclefile::CycleHeader& header);

class CycleFileImporter {
 public:
  // `fs` is for tests that inject file failures; null means the real one.
  explicit CycleFileImporter(platform::Platform& platform, storage::FileSystem* fs = nullptr)
      : platform_(platform), fs_(fs) {}

  // Converts every section whose cycle and year equal one of `chosen`
  // (each distinct choice once) into `output_folder`. Asks before an
  // existing file is replaced.
  Outcome Convert(const std::filesystem::path& cycle_file, const std::filesystem::path& base_dictionary,
                  const std::vector<cyclefile::CycleEntry>& chosen, const std::filesystem::path& output_folder);

 private:
  platform::Platform& platform_;
  storage::FileSystem* fs_;
};

}  // namespace sw::convert
