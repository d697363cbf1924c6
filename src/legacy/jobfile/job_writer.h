// JobFileWriter: writes a Version 7 job file from the cruise tables, for the
// export of a cruise file and for the rewrite of a Version 6 job file after
// its import (the old file is kept as ".V6.job").
//
// Not for: record layouts (job_layouts.h holds the one description of each
// record that the readers use too).
#pragma once

#include <filesystem>
#include <string>

#include "cruisedb/cruise_tables.h"
#include "platform/platform.h"

namespace sw::legacy::jobfile {

class JobFileWriter {
 public:
  explicit JobFileWriter(platform::Platform& platform) : platform_(platform) {}

  // Export: writes every record group to `job_path`. False when the user
  // declined to replace the file or it could not be written (the user has
  // been told); an existing file is then left as it was.
  bool WriteJobFile(const std::filesystem::path& job_path, const cruisedb::CruiseTables& tables);

  // After a Version 6 import: renames `job_path` to its ".V6.job" name, then
  // writes the Version 7 file under `job_path`. Returns the job file name,
  // or "-1" when the user declined or the files could not be written.
  std::string RewriteVersion6JobFile(const std::filesystem::path& job_path, const cruisedb::CruiseTables& tables);

 private:
  platform::Platform& platform_;
};

}  // namespace sw::legacy::jobfile
