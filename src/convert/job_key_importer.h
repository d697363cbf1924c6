// JobKeyImporter: a key file and its job file into a new cruise file beside
// the job file; a Version 6 pair is then rewritten as a Version 7 pair, the
// old files kept as ".V6.key" and ".V6.job". The cruise file is built in an
// OutputSet temporary, and the rewritten files join the same set, so that a
// cancel, a refusal or a failure leaves every existing file as it was.
// (How a driver is written: see convert/job_key_exporter.h.)
//
// Not for: the checks and questions before the import (the Create command).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "convert/outcome.h"
#include "platform/platform.h"
#include "progress/progress.h"
#include "storage/storage.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::convert {

// What the Create command hands over.
struct ImportRequest {
  int version = 0;  // 6 or 7 (0: neither; read as Version 7 records)
  std::filesystem::path job_path;
  std::filesystem::path cruise_path;
  std::string region;  // two characters
  std::filesystem::path key_path;
  std::filesystem::path report_path;
  std::filesystem::path base_dictionary;
  std::string cruise_type;  // one character
  // Date and time of the "26" MessageLog entry of the new file.
  std::string log_date;
  std::string log_time;
};

class JobKeyImporter {
 public:
  // `fs` is for tests that inject file failures; null means the real one.
  JobKeyImporter(platform::Platform& platform, progress::Progress& progress, storage::FileSystem* fs = nullptr)
      : platform_(platform), progress_(progress), fs_(fs) {}

  // Runs the conversion. kDone: the cruise file (and for Version 6 the four
  // rewritten and kept files) are in place; any other result changed nothing.
  Outcome Convert(const ImportRequest& request);

  // After a Version 6 conversion: the names the old files were kept under.
  const std::string& renamed_key() const { return renamed_key_; }
  const std::string& renamed_job() const { return renamed_job_; }
  std::size_t job_lines() const { return job_lines_; }

 private:
  platform::Platform& platform_;
  progress::Progress& progress_;
  storage::FileSystem* fs_;
  std::string renamed_key_;
  std::string renamed_job_;
  std::size_t job_lines_ = 0;
};

// The import's texts, shown as they are.
inline constexpr char kStillProcessingMessage[] = "Still processing...\nClick OK to finish";
inline constexpr char kSortingMessage[] = "Sorting data, click OK to continue....";
inline constexpr char kAlmostDoneMessage[] = "Almost done....click OK";
inline constexpr char kProgressCancelledMessage[] = "Progress Cancelled";
inline constexpr char kCreatingMessage[] = "Creating the cruise file.......";
// Job files with more lines than this get the sorting and "Almost done" messages.
inline constexpr std::size_t kLongJobFileLines = 5000;

}  // namespace sw::convert
