// The structure-version check that Create runs on the base dictionary and on
// a chosen cruise file before either is used: read the file's version,
// refuse a file newer than the program, update an older one, and say what
// happened in the messages the user sees.
//
// Not for: the update itself (structure_updater.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>


#include "convert/outcome.h"
#include "platform/platform.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::updater {

// What a file says about its structure version.
struct VersionReading {
  enum class State {
    kFound,      // `version` holds the StructureVersion value
    kNone,       // a storage without a StructureVersion row
    kMissing,    // no such file
    kHeld,       // another program holds the file
    kNotOpened,  // not a storage file, truncated or damaged
  };
  State state = State::kNone;
  std::string version;
  std::string detail;  // why the file could not be read
};

// The Value of ("General", "StructureVersion") in GlobalConfigurationTable,
// looked for under Block/Key/Value and then under sBlock/sKey/sValue.
VersionReading ReadVersionForCheck(const std::filesystem::path& path, storage::FileSystem* fs = nullptr);

// -2 when `file_version` is greater than `program_version` (byte-wise),
// -1 when they are equal, otherwise the updater's code.
int CheckStructureVersion(const std::filesystem::path& path, std::string_view program_version,
                          std::string_view file_version, class StructureUpdater& updater);

// Success texts of the two checks.
inline constexpr std::string_view kBaseDictionaryUpdated = "Base dictionary structure has been updated";
inline constexpr std::string_view kFileStructureUpdated = "File structure has been updated";

struct CheckOptions {
  std::string_view success_text;
  std::filesystem::path backup_folder;  // empty: the current directory
  storage::FileSystem* fs = nullptr;
};

struct StructureCheck {
  int code = -1;        // -1 current, -2 newer than the program, else the updater's code
  bool go_on = true;    // false: Create ends here
  std::string backup;   // the backup copy made, if any
  std::string version;  // the version the file was found at
  std::string detail;   // why the file could not be read
  convert::Outcome outcome;  // the messages to show, in order
};

// Reads the version, compares it with the program's, runs the updater when
// the file is older, and gives the messages for the result.
StructureCheck CheckStructure(const std::filesystem::path& path, const platform::Platform& platform,
                              const CheckOptions& options);

}  // namespace sw::updater
