// JobFileWriter: writes a Version 7 job file from the cruise tables, for the
// export of a cruise file and for the rewrite of a Version 6 job file after
// its import (the old file is kept as ".V6.job").
//
// Not for: record layouts (job_layouts.h holds the one description of each
// record that the readers use too).
#pragma once

#include <filesystem>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

namespace sw::legacy::jobfile {

// The (KPI, count) pairs of the records that carry `kpi` and `count`: one
// pair while the KPI fits in 5 columns, else 99999 with count 0 as often as
// 99999 goes into it and the rest with the count. Empty when the split would
// take more than kMaxKpiRecords records (such a KPI is refused).
inline constexpr std::int64_t kMaxKpiRecords = 10000;
std::vector<std::pair<std::int64_t, std::int64_t>> SplitKpi(std::int64_t kpi, std::int64_t count);

}  // namespace sw::legacy::jobfile
