// JobKeyExporter: the conversions that write Version 7 key and job files from
// the tables of a cruise file: the export of a cruise file (beside it, same
// name, ".key" and ".job"), and the Version 6 rewrite that ends the import of
// a Version 6 pair (the old files kept as ".V6.key" and ".V6.job").
//
// How a conversion driver is written (every driver in convert/ follows it):
//   1. It reads its inputs and computes every output in memory or in a
//      storage::OutputSet temporary; a format's readers and writers
//      (legacy/, cyclefile/, ...) do the parsing and the text.
//   2. Questions ("... already exists\nDO YOU WANT TO DELETE IT?") and the
//      pauses that wait for OK go through platform::Platform, progress
//      through progress::Progress; everything else the user should read is
//      put into the Outcome with Say() and shown by the application layer.
//   3. Every output file goes through one storage::OutputSet:
//        storage::OutputSet set(fs);
//        auto st = set.WriteText(path, [&](std::ostream& out) { ... });
//        auto crz = set.AddStorage(path);  // a new storage to build in
//        ... crz->Commit(); st = set.Commit();
//      Returning before set.Commit() leaves every file as it was.
//   4. It returns a convert::Outcome: the Result, the messages in order, the
//      files written. It never ends the program and never throws.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "convert/outcome.h"
#include "cruisedb/cruise_tables.h"
#include "platform/platform.h"
#include "storage/output_set.h"
#include "storage/storage.h"

namespace sw::convert {

// The texts of these conversions, shown as they are.
inline constexpr char kExportKeyDeclined[] = "Rename the keyfile and    \n job file and rerun the program!";
inline constexpr char kExportJobDeclined[] = "Rename the jobfile and    \n  keyfile and rerun the program!";
inline constexpr char kRewriteDeclined[] = "Cannot continue with program\nEXIT NOW!";

// What the Version 6 rewrite adds to the import's output set.
struct Version6Rewrite {
  std::string region;
  std::filesystem::path job_path;
  std::filesystem::path key_path;
  std::filesystem::path report_path;
  // Filled by the rewrite: the names the Version 6 files are kept under.
  std::string kept_key;
  std::string kept_job;
};

// The message that a file is in use: `status` is an IsInUse status.
std::string InUseMessage(const storage::Status& status);

class JobKeyExporter {
 public:
  // `fs` null means the real file system.
  explicit JobKeyExporter(platform::Platform& platform, storage::FileSystem* fs = nullptr)
      : platform_(platform), fs_(fs) {}

  // The export of an open cruise file (opened read-write: its lock is held)
  // to Version 7 key and job files beside it. When both are in place, the
  // "25" log entry dated `date` `time` and the "General"/"MRU" setting are
  // committed to the cruise file. `summary` of the outcome is the success
  // message; `written` the key and job files.
  Outcome Export(storage::Storage& cruise_file, const std::filesystem::path& cruise_path, std::string_view date,
                 std::string_view time);

  // Adds to `set` the Version 6 rewrite after an import: copies of the old
  // key and job files under their ".V6" names (an existing one replaced only
  // when the user agrees) and the Version 7 files under the old names, from
  // `tables`. kDone when all four were added; otherwise nothing is to be
  // committed and the outcome says why.
  Outcome AddVersion6Rewrite(storage::OutputSet& set, Version6Rewrite& rewrite,
                             const cruisedb::CruiseTables& tables);

 private:
  bool ConfirmReplace(const std::filesystem::path& target, std::string_view declined, Outcome& outcome);
  storage::FileSystem* files();

  platform::Platform& platform_;
  storage::FileSystem* fs_;
};

// The tables the export reads, opened so that no stored column or view is
// lost: a column the DataDictionary does not describe (or a table it has no
// rows for, or a file without a dictionary) keeps its stored shape.
storage::Result<cruisedb::CruiseTables> OpenTablesKeepingColumns(storage::Storage& file);

}  // namespace sw::convert
