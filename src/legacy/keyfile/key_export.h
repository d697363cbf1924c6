// The body of a Version 7 key file from the tables of a cruise file, and the
// header lines of its two uses: the export of a cruise file to Version 7 key
// and job files, and the rewrite of a Version 6 key file after its import.
//
// Not for: the job file (jobfile/job_writer.h), reading key files, or
// writing files (the conversions in convert/ choose names and write them).
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "cruisedb/cruise_tables.h"
#include "legacy/jobfile/export_files.h"

namespace sw::legacy::keyfile {

// The export's three header lines: the region followed by the CruiseType of
// the first CruiseTable row, then the cruise file's bare name with ".job"
// and with ".out". A CruiseTable without rows is noted in `report`.
std::string ExportKeyHeader(std::string_view region, const std::filesystem::path& cruise_path,
                            const cruisedb::CruiseTables& tables, ExportReport& report);

// The Version 6 rewrite's header: the region alone, then the bare names of
// the job and report files.
std::string Version6KeyHeader(std::string_view region, const std::filesystem::path& job_path,
                              const std::filesystem::path& report_path);

// Writes `header`, the report list, the four equation sections and "END" to
// `out`. A value that does not fit its columns is refused in `report` and
// nothing is written; false then.
bool WriteKeyFile(const std::string& header, const cruisedb::CruiseTables& tables, ExportReport& report,
                  std::ostream& out);

}  // namespace sw::legacy::keyfile
