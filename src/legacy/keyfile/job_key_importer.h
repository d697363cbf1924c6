// JobKeyImporter: a key file and its job file into a new cruise file.
// The file is built under a temporary name beside the target and moved into
// place only when the conversion has succeeded, so that a cancelled or
// failed import leaves an existing cruise file as it was and no half-built
// file behind. A Version 6 pair is then rewritten as a Version 7 pair.
//
// Not for: the questions asked before the import (the Create command).
#pragma once

#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "storage/storage.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::legacy::keyfile {

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
};

// The name the cruise file is built under until it is complete.
std::filesystem::path BuildingPath(const std::filesystem::path& cruise_path);

class JobKeyImporter {
 public:
  static constexpr int kDone = 0;
  static constexpr int kNoBaseDictionary = -1;  // nothing written; the caller tells the user
  static constexpr int kStopped = -2;           // cancelled or a rewrite refused; the user has been told
  static constexpr int kFailed = -3;            // a file could not be read or written; the user has been told

  // `fs` is for tests that inject file failures; null means the real one.
  explicit JobKeyImporter(platform::Platform& platform, storage::FileSystem* fs = nullptr)
      : platform_(platform), fs_(fs) {}

  // Runs the conversion. For a Version 6 pair the two out-texts receive the
  // names the old key and job files were kept under.
  int Convert(const ImportRequest& request, std::string& renamed_key, std::string& renamed_job);

  bool cancelled() const { return cancelled_; }
  std::size_t job_lines() const { return job_lines_; }

 private:
  int Build(const ImportRequest& request, const std::filesystem::path& building);
  int RewriteVersion6(const ImportRequest& request, std::string& renamed_key, std::string& renamed_job);
  void ReportWriteFailure(const std::filesystem::path& path, const std::string& why);
  storage::FileSystem& files();

  platform::Platform& platform_;
  storage::FileSystem* fs_;
  bool cancelled_ = false;
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

}  // namespace sw::legacy::keyfile
