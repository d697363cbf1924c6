// StructureUpdater: brings a cruise file (or a base dictionary) written for
// an older structure version, step by step, to the current one. A backup copy
// is made and checked before anything is changed; every step ends with a
// MessageLog entry and a commit, so a failure leaves the file at the last
// version whose step completed.
//
// Not for: telling the user anything (structure_check.h turns the codes into
// messages).
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sw::storage {
class FileSystem;
}

namespace sw::updater {

// The structure version this program writes and updates to.
inline constexpr std::string_view kUpdaterVersion = "2010.03.18";

class StructureUpdater {
 public:
  enum Code {
    kUpdated = 0,           // at the current (or the requested stop) version
    kNoFileName = 1,
    kNoFile = 2,
    kHeld = 3,              // another program holds the file
    kNoVersion = 4,         // no configuration table, or not exactly one StructureVersion row
    kUnknownVersion = 5,    // the version is not in the chain
    kAlreadyCurrent = 6,
    kDictionaryFailed = 7,  // a step's edits failed; the file stays at the last completed version
    kBackupFailed = 8,      // the backup copy could not be made; nothing was changed
    kNotOpened = 9,         // not a storage file, truncated or damaged; nothing was changed
    kNotWritable = 10,      // a readable file that cannot be opened for writing; nothing was changed
  };

  // `user` and `computer` form the log entries' note; empty ones become
  // "unknown user" and "unknown PC".
  StructureUpdater(std::string user, std::string computer, storage::FileSystem* fs = nullptr);

  // Backup copies go to this folder (the current directory by default).
  void set_backup_folder(std::filesystem::path folder) { backup_folder_ = std::move(folder); }
  // Fixes the time of the log entries (tests).
  void set_clock(std::optional<std::tm> local) { clock_ = local; }

  Code Update(const std::filesystem::path& file_name, std::string_view stop_version = {});

  // After Update: the backup copy made (empty when none), the version the
  // file was found at and the one it was left at, and what went wrong.
  const std::string& backup_name() const { return backup_name_; }
  const std::string& found_version() const { return found_version_; }
  const std::string& final_version() const { return final_version_; }
  const std::string& detail() const { return detail_; }
  const std::string& note() const { return note_; }

 private:
  storage::FileSystem* fs_;
  std::string note_;
  std::filesystem::path backup_folder_;
  std::optional<std::tm> clock_;
  std::string backup_name_;
  std::string found_version_;
  std::string final_version_;
  std::string detail_;
};

}  // namespace sw::updater
