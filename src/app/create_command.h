// The Create command: routes the chosen file to its conversion, asks before
// an existing output is replaced, and reports the outcome. A ".crz" file
// becomes Version 7 key and job files; a ".key" file and the job file it
// names become a cruise file beside the job file.
//
// Not for: the conversions themselves (convert/), or ending the program: an
// outcome that must end it is returned, and the window or the command line
// turns it into an exit code after the message has been shown.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_dialog.h"
#include "platform/platform.h"
#include "platform/unit_variant_prompt.h"
#include "storage/storage.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::app {

// The selection list of a cycle file: one entry per header line, in file
// order, shown as Cycle, two blanks, CycleYear.
platform::CycleSelectRequest CycleSelectRequestOf(std::string_view cycle_file_text);

// How a Create command ended.
enum class CreateOutcome {
  kNothing,           // no file chosen, or no conversion for its name
  kDone,              // converted
  kReadOnlyMedium,    // the chosen file cannot be made writable: the program ends
  kCorruptLine,       // a key or job file line over 105 characters: the program ends with 1
  kInputRefused,      // a file missing, not valid, or with conflicting unit acres
  kDeclined,          // the user answered No; nothing was changed
  kCancelled,         // the user cancelled the import; nothing was changed
  kNoBaseDictionary,  // the base dictionary could not be read
  kFailed,            // a file could not be written; nothing was changed
  kInUse,             // a file is held by another program; nothing was changed
  kMalformed,         // strict: the job file holds malformed fields or repeated records; nothing was changed
  kChoiceMissing,     // the growth-model dialog's OK had no units or no variant
  kStructureStopped,  // a structure check ended the command (newer, unknown or no version, failed update)
};

// True for the outcomes after which the program must end.
bool EndsProgram(CreateOutcome outcome);

// The Create command's today and now: "%2d/%2d/%4d" and "%2d:%2d".
std::string TodayText(const std::tm& local);
std::string NowText(const std::tm& local);

// What Create reads from the first three lines of a key file.
struct KeyHeader {
  std::string region;       // two characters, e.g. "06"
  std::string cruise_type;  // "V" or " "
  std::string job_name;     // line 2 as written
  std::filesystem::path job_path;
  std::filesystem::path report_path;
  std::filesystem::path cruise_path;  // the job path with the extension ".crz"
};
// Region: line 1's first two characters without leading blanks, "0" put in
// front of a number 1 to 9. Cruise type: the third character when it is "V"
// or "v". A one-digit region followed at once by "V" ("6V") gives "06" and "V".
std::string RegionOf(std::string_view line1);
std::string CruiseTypeOf(std::string_view line1);
KeyHeader ReadKeyHeader(const std::filesystem::path& key_path);

// True when a job file name from a key file would reach outside the key
// file's folder: it holds a "/" or "\\", a drive (":"), or is "." or "..".
bool JobNameLeavesFolder(std::string_view name);

// 6 or 7 by the first line whose first character is "6" or "7"; 0 when none.
int DetectJobVersion(const std::filesystem::path& job_path);

// Makes the file writable; when that fails tells the user and returns false.
bool CheckWritableMedium(platform::Platform& platform, const std::filesystem::path& path);

// False when the file cannot be read or has a line over 105 characters.
bool CheckLineLengths(const std::filesystem::path& path);
// Which line of such a file is too long: "<path>: line 7 has 106
// characters; at most 105 are allowed" ("" when none is).
std::string LongLineText(const std::filesystem::path& path);

// True when a stratum-unit record ("4") gives a unit of a cutting-unit
// record ("2") other acres. The two are compared by the job file format's
// one acres rule (legacy::jobfile::UnitAcresAgree), the rule the export
// writes 4A acres by. No limit on the lines.
bool HasConflictingUnitAcres(const std::filesystem::path& job_path);

// Appends ("26", msg, date, time, "I", "", "Processing") to the cruise
// file's MessageLog and commits.
storage::Status AppendLogEntry(const std::filesystem::path& cruise_path, std::string_view msg, std::string_view date,
                               std::string_view time);

struct CreateOptions {
  // Stop after the structure checks (and any update), before any conversion.
  bool check_only = false;
  // Where backup copies of updated files go; empty: the current directory.
  std::filesystem::path backup_folder;
};

class CreateCommand {
 public:
  // `fs` is for tests that inject file failures; null means the real one.
  explicit CreateCommand(storage::FileSystem* fs = nullptr, CreateOptions options = {})
      : fs_(fs), options_(std::move(options)) {}

  // Backup copies made by the structure checks of the last Run.
  const std::vector<std::string>& backups() const { return backups_; }

  // The unit and variant dialog of the growth-model export; without one the
  // export finds no dialog to show and does nothing.
  void SetUnitVariantPrompt(platform::UnitVariantPrompt* prompt) { unit_variant_prompt_ = prompt; }

  CreateOutcome Run(MainDialog& dialog);
  // Runs with a given local time (tests).
  CreateOutcome Run(MainDialog& dialog, const std::tm& local);

 private:
  CreateOutcome ExportCruiseFile(MainDialog& dialog, const std::tm& local);
  CreateOutcome ImportKeyFile(MainDialog& dialog, const std::tm& local);
  CreateOutcome ImportCycleFile(MainDialog& dialog);
  CreateOutcome ImportDumpFile(MainDialog& dialog);
  // Checks a file's structure version, updating an older file; shows the
  // messages. False when the command ends here.
  bool CheckStructure(MainDialog& dialog, const std::string& path, std::string_view success_text,
                      CreateOutcome* outcome);

  CreateOutcome ExportGrowthModel(MainDialog& dialog, const std::tm& local);

  storage::FileSystem* fs_;
  platform::UnitVariantPrompt* unit_variant_prompt_ = nullptr;
  CreateOptions options_;
  std::vector<std::string> backups_;
};

// Installs the Create command into the dialog; `done` sees each outcome.
// `unit_variant_prompt` shows the growth-model export's dialog; `backups`
// sees the backup copies the structure checks made.
void InstallCreateCommand(MainDialog& dialog, std::function<void(CreateOutcome)> done = {},
                          platform::UnitVariantPrompt* unit_variant_prompt = nullptr, CreateOptions options = {},
                          std::function<void(const std::vector<std::string>&)> backups = {});

}  // namespace sw::app
