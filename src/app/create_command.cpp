// The Create command: routes the chosen file to its conversion.
#include "app/create_command.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "convert/cycle_converter.h"
#include "convert/dump_converter.h"
#include "app/growth_model_command.h"
#include "growthmodel/species.h"
#include "convert/job_key_exporter.h"
#include "convert/job_key_importer.h"
#include "cruisedb/columns.h"
#include "cruisedb/settings.h"
#include "cyclefile/cycle_reader.h"
#include "legacy/files.h"
#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/jobfile/unit_acres.h"
#include "legacy/line.h"
#include "progress/progress_window.h"
#include "storage/file_system.h"
#include "storage/utf8_path.h"
#include "updater/structure_check.h"
#include "updater/structure_updater.h"

namespace sw::app {
namespace {

namespace col = cruisedb::col;
namespace fs = std::filesystem;
using platform::Button;
using platform::Buttons;
using platform::Icon;

constexpr std::size_t kLongestLine = 105;

Button Show(platform::Platform& platform, const std::string& text, Icon icon, Buttons buttons = Buttons::kOk) {
  return platform.ShowMessage({text, kProgramTitle, icon, buttons});
}

bool EndsWith(std::string_view text, std::string_view a, std::string_view b) {
  if (text.size() < 3) return false;
  const std::string_view last = text.substr(text.size() - 3);
  return last == a || last == b;
}

storage::Status AddLogRow(storage::View& log, std::string_view num, std::string_view msg, std::string_view date,
                          std::string_view time) {
  storage::Row row;
  row.Set(col::MsgNum, std::string(num))
      .Set(col::Msg, std::string(msg))
      .Set(col::Date, std::string(date))
      .Set(col::Time, std::string(time))
      .Set(col::Level, "I")
      .Set(col::Note, "")
      .Set(col::Program, "Processing");
  return log.Add(row) < 0 ? storage::Status::Error("the log entry could not be added") : storage::Status::Ok();
}

// Shows a conversion's messages in order.
void ShowAll(platform::Platform& platform, const convert::Outcome& outcome) {
  for (const platform::Message& m : outcome.messages) platform.ShowMessage(m);
}

CreateOutcome FromResult(convert::Result result) {
  switch (result) {
    case convert::Result::kDone: return CreateOutcome::kDone;
    case convert::Result::kNothing: return CreateOutcome::kNothing;
    case convert::Result::kDeclined: return CreateOutcome::kDeclined;
    case convert::Result::kCancelled: return CreateOutcome::kCancelled;
    case convert::Result::kRefused: return CreateOutcome::kInputRefused;
    case convert::Result::kInUse: return CreateOutcome::kInUse;
    case convert::Result::kFailed: return CreateOutcome::kFailed;
    case convert::Result::kNoBaseDictionary: return CreateOutcome::kNoBaseDictionary;
    case convert::Result::kMalformed: return CreateOutcome::kMalformed;
  }
  return CreateOutcome::kFailed;
}

}  // namespace

bool EndsProgram(CreateOutcome outcome) {
  return outcome == CreateOutcome::kReadOnlyMedium || outcome == CreateOutcome::kCorruptLine;
}

std::string TodayText(const std::tm& local) {
  return legacy::Format("%2d/%2d/%4d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
}

std::string NowText(const std::tm& local) { return legacy::Format("%2d:%2d", local.tm_hour, local.tm_min); }

std::string RegionOf(std::string_view line1) {
  std::string_view two = line1.substr(0, 2);
  if (two.size() == 2 && two[0] >= '1' && two[0] <= '9' && (two[1] == 'V' || two[1] == 'v')) {
    return legacy::NormaliseRegion(two.substr(0, 1));  // a one-digit region followed at once by the cruise type
  }
  const std::size_t first = two.find_first_not_of(' ');
  std::string region = first == std::string_view::npos ? std::string() : std::string(two.substr(first));
  const std::size_t last = region.find_last_not_of(' ');
  const std::string digits = last == std::string::npos ? std::string() : region.substr(0, last + 1);
  if (digits.size() == 1 && digits[0] >= '1' && digits[0] <= '9') return legacy::NormaliseRegion(digits);
  return region;
}

std::string CruiseTypeOf(std::string_view line1) {
  if (line1.size() >= 3 && (line1[2] == 'V' || line1[2] == 'v')) return std::string(1, line1[2]);
  if (line1.size() >= 2 && line1[0] >= '1' && line1[0] <= '9' && (line1[1] == 'V' || line1[1] == 'v')) {
    return std::string(1, line1[1]);
  }
  return " ";
}

KeyHeader ReadKeyHeader(const fs::path& key_path) {
  legacy::LineReader reader(key_path);
  std::string lines[3];
  for (std::string& line : lines) reader.ReadLine(line);
  KeyHeader header;
  header.region = RegionOf(lines[0]);
  header.cruise_type = CruiseTypeOf(lines[0]);
  header.job_name = lines[1];
  const fs::path folder = key_path.parent_path();
  if (!folder.empty()) {
    header.job_path = folder / storage::Utf8Path(lines[1]);
    header.report_path = folder / storage::Utf8Path(lines[2]);
    header.cruise_path = header.job_path;
    header.cruise_path.replace_extension(".crz");
  }
  return header;
}

bool JobNameLeavesFolder(std::string_view name) {
  return name.find_first_of("/\\:") != std::string_view::npos || name == "." || name == "..";
}

int DetectJobVersion(const fs::path& job_path) {
  legacy::LineReader reader(job_path);
  std::string line;
  while (reader.ReadLine(line)) {
    if (line.empty()) continue;
    if (line[0] == '6') return 6;
    if (line[0] == '7') return 7;
  }
  return 0;
}

bool CheckWritableMedium(platform::Platform& platform, const fs::path& path) {
  if (legacy::MakeWritable(path)) return true;
  Show(platform, "Is this file on a CD rom?\nIf so, please copy to your PC and\nprocess from there.",
       Icon::kExclamation);
  return false;
}

std::string LongLineText(const fs::path& path) {
  const legacy::LineStats stats = legacy::CountLines(path, kLongestLine);
  if (!stats.opened) return path.string() + " cannot be read";
  if (stats.first_over_limit == 0) return "";
  return path.string() + ": line " + std::to_string(stats.first_over_limit) + " has " +
         std::to_string(stats.first_over_limit_length) + " characters; at most " + std::to_string(kLongestLine) +
         " are allowed";
}

bool CheckLineLengths(const fs::path& path) {
  const legacy::LineStats stats = legacy::CountLines(path);
  return stats.opened && stats.longest <= kLongestLine;
}

bool HasConflictingUnitAcres(const fs::path& job_path) {
  namespace layouts = legacy::jobfile::layouts;
  std::unordered_map<std::string, std::vector<double>> unit_acres;  // "2" records
  std::vector<std::pair<std::string, double>> stratum_units;        // "4" records
  legacy::LineReader reader(job_path);
  std::string line;
  legacy::jobfile::JobRecord record;
  while (reader.ReadLine(line)) {
    if (line.empty()) continue;
    if (line[0] == '2') {
      record.Parse(layouts::kUnit2A, line);
      unit_acres[record.Text(layouts::u2CutUnit)].push_back(record.Real(layouts::u2Area));
    } else if (line[0] == '4') {
      record.Parse(layouts::kStratumUnit4A, line);
      stratum_units.emplace_back(record.Text(layouts::su4CutUnit), record.Real(layouts::su4UnitAcres));
    }
  }
  for (const auto& [unit, acres] : stratum_units) {
    auto found = unit_acres.find(unit);
    if (found == unit_acres.end()) continue;
    for (const double area : found->second) {
      if (!legacy::jobfile::UnitAcresAgree(area, acres)) return true;
    }
  }
  return false;
}

storage::Status AppendLogEntry(const fs::path& cruise_path, std::string_view msg, std::string_view date,
                               std::string_view time) {
  if (!fs::exists(cruise_path)) return storage::Status::Error(cruise_path.string() + " does not exist");
  auto opened = storage::Storage::Open(cruise_path, storage::Storage::Mode::ReadWrite);
  if (!opened.ok()) return opened.status();
  auto log = opened->GetAs(cruisedb::kMessageLogDescription);
  if (!log.ok()) return log.status();
  storage::Status st = AddLogRow(log.value(), "26", msg, date, time);
  return st.ok() ? opened->Commit() : st;
}

CreateOutcome CreateCommand::Run(MainDialog& dialog) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return Run(dialog, local);
}

CreateOutcome CreateCommand::Run(MainDialog& dialog, const std::tm& local) {
  ShellState& state = dialog.state();
  backups_.clear();
  CreateOutcome outcome = CreateOutcome::kNothing;
  if (!state.SelectedPath.empty()) {
    const fs::path selected = storage::Utf8Path(state.SelectedPath);
    if (!CheckWritableMedium(dialog.platform(), selected)) return CreateOutcome::kReadOnlyMedium;
    legacy::MakeWritable(selected);
    legacy::MakeWritable(selected.parent_path());
  }
  // The base dictionary is checked on every Create, even with no file chosen.
  if (!CheckStructure(dialog, state.base_dictionary_path, updater::kBaseDictionaryUpdated, &outcome)) return outcome;
  if (state.SelectedPath.empty()) return outcome;
  if (options_.check_only) {
    if (EndsWith(state.SelectedPath, "CRZ", "crz") &&
        !CheckStructure(dialog, state.SelectedPath, updater::kFileStructureUpdated, &outcome)) {
      return outcome;
    }
    return CreateOutcome::kDone;
  }
  if (EndsWith(state.SelectedPath, "WPX", "wpx")) return ImportCycleFile(dialog);
  if (EndsWith(state.SelectedPath, "CRZ", "crz")) {
    outcome = ExportCruiseFile(dialog, local);
  } else if (EndsWith(state.SelectedPath, "KEY", "key")) {
    outcome = ImportKeyFile(dialog, local);
  }
  const std::string& path = state.SelectedPath;
  if (path.size() >= 8 && (path.ends_with(".crz.dmp") || path.ends_with(".CRZ.DMP"))) {
    outcome = ImportDumpFile(dialog);
  }
  return outcome;
}

CreateOutcome CreateCommand::ExportCruiseFile(MainDialog& dialog, const std::tm& local) {
  ShellState& state = dialog.state();
  platform::Platform& platform = dialog.platform();
  const fs::path cruise_path = storage::Utf8Path(state.SelectedPath);
  if (CreateOutcome stopped; !CheckStructure(dialog, state.SelectedPath, updater::kFileStructureUpdated, &stopped)) {
    return stopped;
  }
  std::error_code ec;
  auto opened = fs::is_regular_file(cruise_path, ec)
                    ? storage::Storage::Open(cruise_path, storage::Storage::Mode::ReadWrite, fs_)
                    : storage::Result<storage::Storage>(storage::Status::Error("no such file"));
  if (!opened.ok() && storage::IsInUse(opened.status())) {
    // Another program holds the file open for writing: not a damaged file.
    platform.ShowMessage({convert::InUseMessage(opened.status()), "ERROR", Icon::kStop, Buttons::kOk});
    return CreateOutcome::kInUse;
  }
  if (!opened.ok() || opened->ViewNames().empty()) {
    // A missing file is reported the same way and is not created.
    Show(platform, "NOT A VALID DATA FILE!    \n      TRY AGAIN!", Icon::kStop);
    state.SelectedPath.clear();
    return CreateOutcome::kInputRefused;
  }
  storage::Storage& file = opened.value();
  // The growth-model export comes first; a refusal there ends the command.
  if (state.GroOption == 1) {
    const CreateOutcome gro = ExportGrowthModel(dialog, local);
    if (gro != CreateOutcome::kDone && gro != CreateOutcome::kNothing) return gro;
    if (state.Version7Option != 1) return gro;
  }
  // The export shows the import's progress window: the bar follows the rows
  // written, and Cancel (Ctrl-C on the command line) leaves every file as it was.
  progress::ProgressWindow window(platform, "Progress");
  window.LayoutWindow(1, progress::ProgressWindow::kDefaultWidth);
  window.BeginModal("Progress");
  const convert::Outcome outcome =
      convert::JobKeyExporter(platform, fs_).Export(file, cruise_path, TodayText(local), NowText(local), &window);
  window.Close();
  if (!outcome.summary.empty()) {
    fs::path key_path = cruise_path;
    key_path.replace_extension(".key");
    state.KeyFilePath = key_path.string();
    state.last_message = outcome.summary;
  }
  ShowAll(platform, outcome);
  return FromResult(outcome.result);
}

CreateOutcome CreateCommand::ExportGrowthModel(MainDialog& dialog, const std::tm& local) {
  if (unit_variant_prompt_ == nullptr) return CreateOutcome::kNothing;
  const ShellState& state = dialog.state();
  GrowthModelJob job;
  job.cruise_path = state.SelectedPath;
  // The species file ships beside the programs, where the base dictionary is.
  job.species_file = fs::path(state.base_dictionary_path).parent_path() / growthmodel::kSpeciesFileName;
  job.current_year = local.tm_year + 1900;
  job.fs = fs_;
  switch (RunGrowthModelExport(dialog.platform(), *unit_variant_prompt_, job)) {
    case GrowthModelOutcome::kExported: return CreateOutcome::kDone;
    case GrowthModelOutcome::kNoExport: return CreateOutcome::kNothing;
    case GrowthModelOutcome::kNoChoice: return CreateOutcome::kChoiceMissing;
    case GrowthModelOutcome::kRefused: return CreateOutcome::kInputRefused;
    case GrowthModelOutcome::kFailed: return CreateOutcome::kFailed;
    case GrowthModelOutcome::kInUse: return CreateOutcome::kInUse;
  }
  return CreateOutcome::kFailed;
}

CreateOutcome CreateCommand::ImportKeyFile(MainDialog& dialog, const std::tm& local) {
  ShellState& state = dialog.state();
  platform::Platform& platform = dialog.platform();
  const fs::path key_path = storage::Utf8Path(state.KeyFilePath);
  {
    legacy::LineReader key(key_path);
    std::error_code ec;
    if (!key.is_open() || !fs::is_regular_file(key_path, ec)) {
      Show(platform, state.KeyFilePath + "\nNOT FOUND.  EXIT NOW!", Icon::kExclamation);
      return CreateOutcome::kInputRefused;
    }
  }
  if (!CheckLineLengths(key_path)) {
    state.long_line = LongLineText(key_path);
    Show(platform, "KEY FILE IS CORRUPT!\nCANNOT CONTINUE!", Icon::kStop);
    return CreateOutcome::kCorruptLine;
  }
  const KeyHeader header = ReadKeyHeader(key_path);
  if (JobNameLeavesFolder(header.job_name)) {
    // Nothing outside the key file's folder is read, written or renamed.
    platform.ShowMessage({"The key file names the job file\n" + header.job_name +
                              "\nwith a folder or a drive. A job file must be named without one,\n"
                              "beside its key file. Nothing was converted.",
                          "ERROR", Icon::kStop, Buttons::kOk});
    return CreateOutcome::kInputRefused;
  }
  legacy::MakeWritable(header.job_path);
  std::error_code ec;
  if (header.job_path.empty() || !fs::is_regular_file(header.job_path, ec) ||
      !legacy::LineReader(header.job_path).is_open()) {
    Show(platform, header.job_path.string() + "\nNOT FOUND.  EXIT NOW!", Icon::kExclamation);
    return CreateOutcome::kInputRefused;
  }
  platform::WaitCursor wait(platform);
  if (!CheckLineLengths(header.job_path)) {
    state.long_line = LongLineText(header.job_path);
    Show(platform, "JOB FILE IS CORRUPT!\nCANNOT CONTINUE!", Icon::kStop);
    return CreateOutcome::kCorruptLine;
  }
  if (fs::exists(header.cruise_path, ec)) {
    if (Show(platform, "Cruise File exists \nDO YOU WANT TO DELETE IT?", Icon::kQuestion, Buttons::kYesNo) !=
        Button::kYes) {
      return CreateOutcome::kDeclined;
    }
    // The old file is replaced only when the new one is complete.
    if (!legacy::MakeWritable(header.cruise_path) || !fs::is_regular_file(header.cruise_path, ec)) {
      Show(platform, "File cannot be removed!", Icon::kInformation);
      return CreateOutcome::kFailed;
    }
  }
  const int version = DetectJobVersion(header.job_path);
  if (version == 7 && HasConflictingUnitAcres(header.job_path)) {
    Show(platform, "Conflicting unit acres\nCannot convert this file!", Icon::kStop);
    return CreateOutcome::kInputRefused;
  }
  if (version == 0) {
    // Nothing in the file is a Version 6 or 7 record: refuse rather than
    // make an empty cruise file.
    platform.ShowMessage({header.job_path.string() + "\nholds no Version 6 or Version 7 job records.\n"
                                                     "No cruise file was created.",
                          "ERROR", Icon::kStop, Buttons::kOk});
    return CreateOutcome::kInputRefused;
  }

  convert::ImportRequest request;
  request.version = version;
  request.job_path = header.job_path;
  request.cruise_path = header.cruise_path;
  request.region = header.region;
  request.key_path = key_path;
  request.report_path = header.report_path;
  request.base_dictionary = storage::Utf8Path(state.base_dictionary_path);
  request.cruise_type = header.cruise_type;
  request.log_date = TodayText(local);
  request.log_time = NowText(local);
  request.strict = state.strict;
  progress::ProgressWindow window(platform, "Progress");
  window.LayoutWindow(1, progress::ProgressWindow::kDefaultWidth);
  window.BeginModal("Progress");
  convert::JobKeyImporter importer(platform, window, fs_);
  convert::Outcome outcome = importer.Convert(request);
  window.Close();
  if (outcome.result == convert::Result::kNoBaseDictionary) {
    if (fs::exists(state.base_dictionary_path, ec)) {
      // There, but not readable: say so, and why, rather than "not found".
      std::string why;
      for (const platform::Message& m : outcome.messages) why += "\n" + m.text;
      Show(platform, "Basic Data Dictionary file\n(CruiseDefault.stp) could not be read:\n" +
                         state.base_dictionary_path + why + "\nEXIT NOW!",
           Icon::kExclamation);
    } else {
      Show(platform, "Basic Data Dictionary file\n(CruiseDefault.stp) could not be found.\nEXIT NOW!",
           Icon::kExclamation);
    }
    return CreateOutcome::kNoBaseDictionary;
  }
  ShowAll(platform, outcome);
  if (!outcome.ok()) return FromResult(outcome.result);
  state.last_message = "Cruise File Created \n" + header.cruise_path.string() + "      ";
  Show(platform, state.last_message, Icon::kInformation);
  if (version == 6) {
    Show(platform, "Version 6 files renamed\nKeyFile = " + importer.renamed_key() + "   \nJobFile = " +
                       importer.renamed_job() + "   ",
         Icon::kInformation);
  }
  return CreateOutcome::kDone;
}

bool CreateCommand::CheckStructure(MainDialog& dialog, const std::string& path, std::string_view success_text,
                                   CreateOutcome* outcome) {
  const updater::StructureCheck check =
      updater::CheckStructure(path, dialog.platform(), {success_text, options_.backup_folder, fs_});
  if (check.code == updater::StructureUpdater::kNotOpened && path == dialog.state().base_dictionary_path) {
    // There, but not readable: say so, and why, rather than "not found".
    dialog.platform().ShowMessage({"Basic Data Dictionary file\n(CruiseDefault.stp) could not be read:\n" + path +
                                       (check.detail.empty() ? "" : "\n" + check.detail) + "\nEXIT NOW!",
                                   std::string(cruisedb::config::kProgramName), Icon::kExclamation,
                                   platform::Buttons::kOk});
    *outcome = CreateOutcome::kNoBaseDictionary;
    return false;
  }
  for (const platform::Message& message : check.outcome.messages) dialog.platform().ShowMessage(message);
  if (!check.backup.empty()) backups_.push_back(check.backup);
  if (check.go_on) return true;
  switch (check.outcome.result) {
    case convert::Result::kInUse: *outcome = CreateOutcome::kInUse; break;
    case convert::Result::kFailed:
      *outcome = check.code == updater::StructureUpdater::kBackupFailed ||
                         check.code == updater::StructureUpdater::kNotWritable
                     ? CreateOutcome::kFailed
                     : CreateOutcome::kStructureStopped;
      break;
    default:
      *outcome = CreateOutcome::kStructureStopped;
      if (check.code == updater::StructureUpdater::kNotOpened) {
        const bool base = path == dialog.state().base_dictionary_path;
        *outcome = base ? CreateOutcome::kNoBaseDictionary : CreateOutcome::kInputRefused;
        if (!base) dialog.state().SelectedPath.clear();
      }
      break;
  }
  return false;
}

platform::CycleSelectRequest CycleSelectRequestOf(std::string_view cycle_file_text) {
  const cyclefile::CycleScan scan = cyclefile::ScanCycles(cycle_file_text);
  platform::CycleSelectRequest request;
  request.count = scan.count;
  for (const cyclefile::CycleEntry& entry : scan.entries) {
    request.entries.push_back(entry.cycle + "  " + entry.cycle_year);
    request.cycles.emplace_back(entry.cycle, entry.cycle_year);
  }
  return request;
}

CreateOutcome CreateCommand::ImportCycleFile(MainDialog& dialog) {
  ShellState& state = dialog.state();
  platform::Platform& platform = dialog.platform();
  std::string text;
  std::string why;
  if (!cyclefile::LoadCycleFile(state.SelectedPath, text, why)) {
    platform.ShowMessage({state.SelectedPath + "\ncannot be read: " + why + "\nNo cruise files were created.", "ERROR",
                          Icon::kStop, Buttons::kOk});
    return CreateOutcome::kInputRefused;
  }
  const platform::CycleSelectRequest request = CycleSelectRequestOf(text);
  text.clear();
  const platform::CycleSelection selection = platform.SelectCycles(request);
  if (!selection) return CreateOutcome::kCancelled;
  std::vector<cyclefile::CycleEntry> chosen;
  for (std::size_t index : *selection) {
    if (index >= request.cycles.size()) continue;
    const cyclefile::CycleEntry entry{request.cycles[index].first, request.cycles[index].second};
    if (std::find(chosen.begin(), chosen.end(), entry) == chosen.end()) chosen.push_back(entry);
  }
  if (chosen.empty()) return CreateOutcome::kCancelled;
  std::error_code ec;
  const convert::Outcome outcome = convert::CycleFileImporter(platform, fs_).Convert(
      state.SelectedPath, state.base_dictionary_path, chosen, fs::current_path(ec));
  ShowAll(platform, outcome);
  if (!outcome.ok()) return FromResult(outcome.result);
  Show(platform, "Cruise files have been created", Icon::kInformation);
  return CreateOutcome::kDone;
}

CreateOutcome CreateCommand::ImportDumpFile(MainDialog& dialog) {
  platform::Platform& platform = dialog.platform();
  const convert::Outcome outcome = convert::DumpImporter(platform, fs_).Convert(dialog.state().SelectedPath);
  if (outcome.ok()) {
    platform.ShowMessage({"Vantor dump file has been converted\nFilename is " + outcome.written.front().string(),
                          "NOTIFY", Icon::kInformation, Buttons::kOk});
    ShowAll(platform, outcome);
    return CreateOutcome::kDone;
  }
  ShowAll(platform, outcome);
  // The warning names an existing cruise file: shown when that was the reason.
  const bool kept_existing = outcome.result == convert::Result::kDeclined ||
                             (!outcome.messages.empty() && outcome.messages.front().text == "File cannot be removed!");
  if (kept_existing) {
    platform.ShowMessage({"Could not convert the dump file\nThe cruise object already exists\nTry renaming or removing it",
                          "WARNING", Icon::kExclamation, Buttons::kOk});
  }
  return FromResult(outcome.result);
}

void InstallCreateCommand(MainDialog& dialog, std::function<void(CreateOutcome)> done,
                          platform::UnitVariantPrompt* unit_variant_prompt, CreateOptions options,
                          std::function<void(const std::vector<std::string>&)> backups) {
  dialog.SetCreateHandler([done = std::move(done), unit_variant_prompt, options = std::move(options),
                           backups = std::move(backups)](MainDialog& d) {
    CreateCommand command(nullptr, options);
    command.SetUnitVariantPrompt(unit_variant_prompt);
    const CreateOutcome outcome = command.Run(d);
    if (backups) backups(command.backups());
    if (done) done(outcome);
  });
}

}  // namespace sw::app
