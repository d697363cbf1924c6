// Writes a Version 7 key file from the tables of a cruise file: the export
// of a cruise file to Version 7 key and job files, and the rewrite of a
// Version 6 key file after its import (the old file is kept as ".V6.key").
//
// Not for: the job file (jobfile/job_writer.h) or reading key files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "cruisedb/cruise_tables.h"
#include "platform/platform.h"

namespace sw::legacy::keyfile {

// Export: writes the key file beside the cruise file (its extension replaced
// by ".key") and returns the job file path to be written next (extension
// ".job"). Nothing when the user declined to replace a file or the file
// could not be written (the user has been told); no file is then changed.
std::optional<std::filesystem::path> ExportKeyFile(platform::Platform& platform, std::string_view region,
                                                   const std::filesystem::path& cruise_path,
                                                   const cruisedb::CruiseTables& tables);

// Version 6 rewrite: renames the key file to its ".V6.key" name and writes a
// Version 7 key file under the old name. Returns the ".V6.key" name, or "-1"
// when the user declined or the files could not be written (every existing
// file is then left as it was).
std::string RewriteVersion6KeyFile(platform::Platform& platform, std::string_view region,
                                   const std::filesystem::path& job_path, const std::filesystem::path& key_path,
                                   const std::filesystem::path& report_path, const cruisedb::CruiseTables& tables);

}  // namespace sw::legacy::keyfile
