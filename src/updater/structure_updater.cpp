// The structure version chain.
#include "updater/structure_updater.h"

#include <system_error>

#include "cruisedb/columns.h"
#include "cruisedb/cruise_database.h"
#include "storage/storage.h"
#include "updater/dictionary_edits.h"

namespace sw::updater {
namespace {

namespace col = cruisedb::col;
namespace table = cruisedb::table;
namespace config = cruisedb::config;
using cruisedb::CruiseDatabase;

constexpr std::string_view kProgram = "CruiseUpdater";

// The configuration columns of older files and their current names.
constexpr std::pair<std::string_view, std::string_view> kOldConfigColumns[] = {
    {"sBlock", "Block"}, {"sKey", "Key"}, {"sValue", "Value"}};

}  // namespace

StructureUpdater::StructureUpdater(std::string user, std::string computer, storage::FileSystem* fs)
    : fs_(fs),
      note_((user.empty() ? std::string("unknown user") : user) + " on " +
            (computer.empty() ? std::string("unknown PC") : computer)) {
  std::error_code ec;
  backup_folder_ = std::filesystem::current_path(ec);
}

StructureUpdater::Code StructureUpdater::Update(const std::filesystem::path& file_name, std::string_view stop_version) {
  backup_name_.clear();
  found_version_.clear();
  final_version_.clear();
  detail_.clear();
  if (file_name.empty()) return kNoFileName;
  CruiseDatabase db(fs_);
  db.set_clock(clock_);
  if (!db.FileExists(file_name)) return kNoFile;
  // The open takes the file's exclusive lock and keeps it to the end, so no
  // other program changes the file between the backup and the last step.
  if (const int opened = db.Open(file_name); opened != 0) {
    detail_ = db.last_error();
    if (opened == CruiseDatabase::kHeld) return kHeld;
    // Readable but not writable: a permission, not a damaged file.
    auto readable = storage::Storage::Open(file_name, storage::Storage::Mode::ReadOnly, fs_);
    return readable.ok() && readable->Verify().ok() ? kNotWritable : kNotOpened;
  }

  int config = db.OpenView(table::GlobalConfigurationTable);
  if (config < 0) return kNoVersion;
  const bool old_columns = db.ColumnIndex(config, "sKey") >= 0 && db.ColumnIndex(config, col::Key.name) < 0;
  const std::string_view block = old_columns ? "sBlock" : col::Block.name;
  const std::string_view key = old_columns ? "sKey" : col::Key.name;
  const std::string_view value = old_columns ? "sValue" : col::Value.name;
  const std::string criteria = std::string(block) + "=" + std::string(config::General) + "," + std::string(key) + "=" +
                               std::string(config::StructureVersion);
  int selected = db.Query(table::GlobalConfigurationTable, "", criteria, value, "");
  storage::View* selection = db.SlotView(selected);
  if (selection == nullptr || selection->Size() != 1 || selection->ColumnCount() != 1) return kNoVersion;
  db.GetString(selected, 0, 0, &found_version_);
  final_version_ = found_version_;
  if (found_version_ == kUpdaterVersion) return kAlreadyCurrent;
  if (!stop_version.empty() && found_version_ == stop_version) return kUpdated;

  // Nothing is changed before a checked backup copy exists.
  if (db.MakeBackupCopy(file_name, &backup_name_, "BAK", backup_folder_) != 0) {
    detail_ = db.last_error();
    return kBackupFailed;
  }

  if (old_columns) {
    db.CloseView(selected);
    db.CloseView(config);
    for (const auto& [old_name, new_name] : kOldConfigColumns) {
      const int renamed = db.RenameColumn(table::GlobalConfigurationTable, old_name, new_name, "S");
      if (renamed == CruiseDatabase::kRenameNotWritten) {
        detail_ = "The configuration table could not be updated; the file stays at structure version " +
                  found_version_ + ".\n" + db.last_error();
        return kDictionaryFailed;
      }
    }
    config = db.OpenView(table::GlobalConfigurationTable);
    selected = db.Query(table::GlobalConfigurationTable, "", "Block=General,Key=StructureVersion", "Value", "");
    selection = db.SlotView(selected);
    if (config < 0 || selection == nullptr || selection->Size() != 1 || selection->ColumnCount() != 1) {
      return kNoVersion;
    }
  }

  DictionaryEditor editor(db);
  if (!editor.ok()) {
    detail_ = "The file has no data dictionary.";
    return kDictionaryFailed;
  }
  const auto chain = VersionChain();
  // Each pass moves the file one version on; the bound stops a version that
  // does not advance from looping.
  for (std::size_t pass = 0; pass <= chain.size(); ++pass) {
    std::string version;
    db.GetString(selected, 0, 0, &version);
    final_version_ = version;
    if (version == kUpdaterVersion || (!stop_version.empty() && version == stop_version)) return kUpdated;
    const VersionStep* step = nullptr;
    for (const VersionStep& s : chain) {
      if (s.from == version) step = &s;
    }
    if (step == nullptr) return kUnknownVersion;
    if (!step->edits(editor)) {
      detail_ = "The update from " + std::string(step->from) + " to " + std::string(step->to) +
                " failed; the file stays at structure version " + version + ".";
      if (!db.last_error().empty()) detail_ += "\n" + db.last_error();
      return kDictionaryFailed;
    }
    std::string written;
    if (db.SetString(selected, 0, 0, step->to) != 0 || db.GetString(selected, 0, 0, &written) != 0 ||
        written != step->to) {
      detail_ = "The structure version could not be set to " + std::string(step->to) + ".";
      return kDictionaryFailed;
    }
    const std::string message = "Updated version from " + std::string(step->from) + " to " + std::string(step->to) +
                                " by updater " + std::string(kUpdaterVersion);
    if (db.WriteLogMessage(message, "I", note_, kProgram) != 0) {
      detail_ = "The update from " + std::string(step->from) + " to " + std::string(step->to) +
                " could not be written; the file stays at structure version " + version + ".\n" + db.last_error();
      return kDictionaryFailed;
    }
  }
  detail_ = "The structure version did not advance.";
  return kDictionaryFailed;
}

}  // namespace sw::updater
