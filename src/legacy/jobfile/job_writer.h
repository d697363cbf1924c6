// The Version 7 job file from the cruise tables, for the export of a cruise
// file and for the rewrite of a Version 6 job file after its import (the
// conversions in convert/ decide the file names and write the file).
//
// Not for: record layouts (job_layouts.h holds the one description of each
// record that the readers use too).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cruisedb/cruise_tables.h"
#include "legacy/jobfile/export_files.h"

namespace sw::legacy::jobfile {

// Writes every record group of a Version 7 job file to `out`. Values that
// cannot be written without shifting their record are listed in `report`
// (the text is then not to be used); things the user should know about a
// file that was written are noted there. False when a value was refused.
bool WriteJobFile(const cruisedb::CruiseTables& tables, ExportReport& report, std::ostream& out);

// Told after each count and tree row: the rows done and all such rows. When
// it returns false the writing stops at once; WriteJobFile then returns
// false and the text written so far is not a job file.
using RowProgress = std::function<bool(std::size_t done, std::size_t total)>;
bool WriteJobFile(const cruisedb::CruiseTables& tables, ExportReport& report, std::ostream& out,
                  const RowProgress& progress);


// An empty string with room for about the job file of `tables`, so that a
// std::ostringstream made from it does not grow and copy piece by piece.
std::string JobFileBuffer(const cruisedb::CruiseTables& tables);

}  // namespace sw::legacy::jobfile

namespace sw::legacy::jobfile {

// The (KPI, count) pairs of the records that carry `kpi` and `count`: one
// pair while the KPI fits in 5 columns, else 99999 with count 0 as often as
// 99999 goes into it and the rest with the count. Empty when the split would
// take more than kMaxKpiRecords records (such a KPI is refused).
inline constexpr std::int64_t kMaxKpiRecords = 10000;
std::vector<std::pair<std::int64_t, std::int64_t>> SplitKpi(std::int64_t kpi, std::int64_t count);

}  // namespace sw::legacy::jobfile
