// The structure-version check of Create.
#include "updater/structure_check.h"

#include <array>

#include "convert/job_key_exporter.h"
#include "cruisedb/columns.h"
#include "cruisedb/cruise_database.h"
#include "storage/file_system.h"
#include "storage/storage.h"
#include "updater/structure_updater.h"

namespace sw::updater {
namespace {

namespace config = cruisedb::config;
namespace table = cruisedb::table;
using platform::Icon;

}  // namespace

VersionReading ReadVersionForCheck(const std::filesystem::path& path, storage::FileSystem* fs) {
  VersionReading reading;
  storage::FileSystem* files = fs != nullptr ? fs : storage::FileSystem::Default();
  if (path.empty() || !files->Exists(path.string())) {
    reading.state = VersionReading::State::kMissing;
    return reading;
  }
  // Read-only: a current file in a folder the user cannot write (an
  // installed base dictionary) must pass. The update opens it for writing.
  auto opened = storage::Storage::Open(path, storage::Storage::Mode::ReadOnly, fs);
  if (!opened.ok()) {
    reading.detail = opened.status().message();
    reading.state = storage::IsInUse(opened.status()) ? VersionReading::State::kHeld
                                                                      : VersionReading::State::kNotOpened;
    return reading;
  }
  if (storage::Status verified = opened->Verify(); !verified.ok()) {
    reading.detail = verified.message();
    reading.state = VersionReading::State::kNotOpened;
    return reading;
  }
  if (!opened->HasView(table::GlobalConfigurationTable)) return reading;
  const storage::View view = opened->GetView(table::GlobalConfigurationTable);
  for (const auto& [block, key, value] : {std::array<std::string_view, 3>{"Block", "Key", "Value"},
                                          std::array<std::string_view, 3>{"sBlock", "sKey", "sValue"}}) {
    if (view.ColumnIndex(key) < 0) continue;
    const long row =
        view.Find(storage::Row().Set(block, std::string(config::General)).Set(key, std::string(config::StructureVersion)));
    if (row >= 0) {
      reading.state = VersionReading::State::kFound;
      reading.version =
          view.GetText(static_cast<std::size_t>(row), static_cast<std::size_t>(view.ColumnIndex(value)));
      return reading;
    }
  }
  return reading;
}

int CheckStructureVersion(const std::filesystem::path& path, std::string_view program_version,
                          std::string_view file_version, StructureUpdater& updater) {
  if (file_version > program_version) return -2;
  if (file_version == program_version) return -1;
  return updater.Update(path);
}

StructureCheck CheckStructure(const std::filesystem::path& path, const platform::Platform& platform,
                              const CheckOptions& options) {
  StructureCheck check;
  convert::Outcome& out = check.outcome;
  auto end = [&](convert::Result result) {
    check.go_on = false;
    out.result = result;
  };
  const VersionReading reading = ReadVersionForCheck(path, options.fs);
  check.version = reading.version;
  switch (reading.state) {
    case VersionReading::State::kMissing:
      // Nothing to check; the branch that uses the file reports it.
      check.code = StructureUpdater::kNoFile;
      out.result = convert::Result::kNothing;
      return check;
    case VersionReading::State::kHeld:
      check.code = StructureUpdater::kHeld;
      out.Say(convert::InUseMessage(storage::Status::Error(reading.detail)), "ERROR", Icon::kStop);
      end(convert::Result::kInUse);
      return check;
    case VersionReading::State::kNotOpened:
      check.code = StructureUpdater::kNotOpened;
      check.detail = reading.detail;
      out.Say("NOT A VALID DATA FILE!    \n      TRY AGAIN!", std::string(config::kProgramName), Icon::kStop);
      end(convert::Result::kRefused);
      return check;
    case VersionReading::State::kNone:
      // No version row at all: the version cannot be found. The file is left
      // as it is.
      check.code = StructureUpdater::kNoVersion;
      out.Say("Version number could not be found", "WARNING", Icon::kExclamation);
      end(convert::Result::kRefused);
      return check;
    case VersionReading::State::kFound:
      break;
  }

  StructureUpdater updater(platform.UserName(), platform.ComputerName(), options.fs);
  if (!options.backup_folder.empty()) updater.set_backup_folder(options.backup_folder);
  check.code = CheckStructureVersion(path, config::kCurrentStructureVersion, reading.version, updater);
  check.backup = updater.backup_name();
  switch (check.code) {
    case -1:
      out.result = convert::Result::kNothing;
      break;
    case -2:
      out.Say(
          "Did you know you have an\nout-of-date version of Stumpwright?\nCannot continuing processing\nPlease update "
          "the Stumpwright\nprogrtam with the current version",
          "ERROR", Icon::kStop);
      end(convert::Result::kRefused);
      break;
    case StructureUpdater::kUpdated:
      out.Say(std::string(options.success_text), "MESSAGE", Icon::kInformation);
      out.result = convert::Result::kDone;
      out.written.push_back(path);
      if (!check.backup.empty()) out.written.emplace_back(check.backup);
      break;
    case StructureUpdater::kNoVersion:
      out.Say("Version number could not be found", "WARNING", Icon::kExclamation);
      end(convert::Result::kRefused);
      break;
    case StructureUpdater::kUnknownVersion:
      out.Say("Current version number is unknown.\nFile cannot be updated.", "WARNING", Icon::kExclamation);
      end(convert::Result::kRefused);
      break;
    case StructureUpdater::kAlreadyCurrent:
      out.Say("Structure version is already current.\nCheck to see if you have the current version of Tallyworks.",
              "MESSAGE", Icon::kInformation);
      end(convert::Result::kRefused);
      break;
    case StructureUpdater::kDictionaryFailed:
      out.Say("Unknown problem with the data dictionary.\nPlease contact the Service Center.", "MESSAGE",
              Icon::kInformation);
      if (!updater.detail().empty()) {
        std::string text = updater.detail();
        if (!check.backup.empty()) text += "\nThe backup copy is " + check.backup;
        out.Say(text, "ERROR", Icon::kExclamation);
      }
      end(convert::Result::kFailed);
      break;
    case StructureUpdater::kHeld:
      out.Say(convert::InUseMessage(storage::Status::Error(updater.detail())), "ERROR", Icon::kStop);
      end(convert::Result::kInUse);
      break;
    case StructureUpdater::kBackupFailed:
      out.Say("The backup copy of\n" + path.string() + "\ncould not be made, so it was not updated:\n" +
                  updater.detail(),
              "ERROR", Icon::kStop);
      end(convert::Result::kFailed);
      break;
    case StructureUpdater::kNotWritable:
      out.Say("The structure of\n" + path.string() + "\ncannot be updated: the file cannot be written.\n" +
                  updater.detail(),
              "ERROR", Icon::kStop);
      end(convert::Result::kFailed);
      break;
    case StructureUpdater::kNotOpened:
      out.Say("NOT A VALID DATA FILE!    \n      TRY AGAIN!", std::string(config::kProgramName), Icon::kStop);
      end(convert::Result::kRefused);
      break;
    default:
      // An empty name or a file that has gone: the branch that uses the
      // file reports it.
      out.result = convert::Result::kNothing;
      break;
  }
  return check;
}

}  // namespace sw::updater
