// JobKeyExporter: Version 7 key and job files from a cruise file (see
// job_key_exporter.h).
#include "convert/job_key_exporter.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "cruisedb/columns.h"
#include "cruisedb/dictionary.h"
#include "cruisedb/settings.h"
#include "legacy/files.h"
#include "legacy/jobfile/export_files.h"
#include "legacy/jobfile/job_writer.h"
#include "legacy/keyfile/key_export.h"

namespace sw::convert {
namespace {

namespace col = cruisedb::col;
namespace fs = std::filesystem;
using platform::Button;
using platform::Buttons;
using platform::Icon;

constexpr char kCaption[] = "Stumpwright";

// The description to obtain a stored view by without losing a column: the
// stored columns in their stored order (with the type `description` gives
// a column it names, else the stored type), then the columns only
// `description` names. A stored view with a column no description can name
// (a subview) gives its bare name: it is then used as stored.
std::string KeepingStoredColumns(storage::Storage& file, const std::string& description) {
  const std::size_t open = description.find('[');
  if (open == std::string::npos || description.back() != ']') return description;
  const std::string name = description.substr(0, open);
  if (!file.HasView(name)) return description;
  std::vector<std::pair<std::string, std::string>> named;  // name, type letter
  std::stringstream items(description.substr(open + 1, description.size() - open - 2));
  for (std::string item; std::getline(items, item, ',');) {
    const std::size_t colon = item.find(':');
    named.emplace_back(item.substr(0, colon), colon == std::string::npos ? "S" : item.substr(colon + 1));
  }
  std::vector<bool> used(named.size(), false);
  std::string columns;
  const storage::View stored = file.GetView(name);
  for (std::size_t i = 0; i < stored.ColumnCount(); ++i) {
    const storage::ColumnInfo info = stored.ColumnAt(i);
    if (info.type == storage::Type::Subview) return name;
    std::string type(1, static_cast<char>(info.type));
    for (std::size_t k = 0; k < named.size(); ++k) {
      if (!used[k] && storage::EqualText(named[k].first, info.name)) {
        used[k] = true;
        type = named[k].second;
        break;
      }
    }
    columns += (columns.empty() ? "" : ",") + info.name + ":" + type;
  }
  for (std::size_t k = 0; k < named.size(); ++k) {
    if (!used[k]) columns += (columns.empty() ? "" : ",") + named[k].first + ":" + named[k].second;
  }
  return name + "[" + columns + "]";
}

// Obtains a view without losing a stored column. A stored view with a column
// a description cannot name (a subview) keeps its stored shape; a view the
// file does not hold and the description gives no columns stays a detached
// empty view, so that the export adds nothing to the file for it.
storage::Result<storage::View> GetKeeping(storage::Storage& file, const std::string& description) {
  const std::string keeping = KeepingStoredColumns(file, description);
  if (keeping.find('[') == std::string::npos) return file.GetView(keeping);
  if (keeping.ends_with("[]") && !file.HasView(keeping.substr(0, keeping.size() - 2))) return storage::View();
  return file.GetAs(keeping);
}

std::string ReadWhole(const fs::path& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  ok = static_cast<bool>(in) || in.eof();
  return std::move(out).str();
}

}  // namespace

std::string InUseMessage(const storage::Status& status) {
  return "A file is in use by another program:\n" + status.message() +
         "\nClose it there and try again; no file was changed.";
}

storage::Result<cruisedb::CruiseTables> OpenTablesKeepingColumns(storage::Storage& file) {
  cruisedb::CruiseTables tables;
  // A file without a dictionary gets none: its tables keep their stored shapes.
  if (file.HasView(cruisedb::table::DataDictionary)) {
    auto dictionary = GetKeeping(file, std::string(cruisedb::kDataDictionaryDescription));
    if (!dictionary.ok()) return dictionary.status();
    tables.dictionary = dictionary.value();
  }
  for (std::string_view name : cruisedb::Version7ExportTables()) {
    auto built = cruisedb::BuildTableDescription(name, tables.dictionary);
    if (!built.ok()) return built.status();
    std::string description = std::move(built.value());
    // The log entry of the export needs MessageLog's columns even when the
    // dictionary has no rows for it.
    if (name == cruisedb::table::MessageLog && description.ends_with("[]"))
      description = std::string(cruisedb::kMessageLogDescription);
    if (name == cruisedb::table::GlobalConfigurationTable && description.ends_with("[]"))
      description = std::string(name) + "[Block:S,Key:S,Value:S]";
    if (name == cruisedb::table::WeightEquationTable && description.find("WgtEqSP") == std::string::npos)
      description.insert(description.size() - 1, description.ends_with("[]") ? "WgtEqSP:S" : ",WgtEqSP:S");
    auto view = GetKeeping(file, description);
    if (!view.ok()) return view.status();
    *tables.ByName(name) = view.value();
  }
  return tables;
}

storage::FileSystem* JobKeyExporter::files() { return fs_ != nullptr ? fs_ : storage::FileSystem::Default(); }

// A target that exists but cannot be made writable is replaced only when the
// user agrees.
bool JobKeyExporter::ConfirmReplace(const fs::path& target, std::string_view declined, Outcome& outcome) {
  std::error_code ec;
  if (!fs::exists(target, ec) || legacy::MakeWritable(target)) return true;
  if (platform_.ShowMessage({legacy::AlreadyExistsQuestion(target), kCaption, Icon::kQuestion, Buttons::kYesNo}) ==
      Button::kYes)
    return true;
  outcome.result = Result::kDeclined;
  outcome.Say(std::string(declined), kCaption, Icon::kInformation);
  return false;
}

Outcome JobKeyExporter::Export(storage::Storage& cruise_file, const fs::path& cruise_path, std::string_view date,
                               std::string_view time, progress::Progress* progress) {
  Outcome outcome;
  auto cancelled = [&] {
    outcome.result = Result::kCancelled;
    outcome.Say("Progress Cancelled", kCaption, Icon::kInformation);
    return outcome;
  };
  auto opened = OpenTablesKeepingColumns(cruise_file);
  if (!opened.ok()) {
    outcome.result = Result::kRefused;
    outcome.Say("NOT A VALID DATA FILE!    \n      TRY AGAIN!\n" + opened.status().message(), kCaption, Icon::kStop);
    return outcome;
  }
  cruisedb::CruiseTables& t = opened.value();
  const std::string region = t.cruise.Bind(col::Region).Get(0);
  const fs::path key_path = legacy::ReplaceExtension(cruise_path, ".key");
  const fs::path job_path = legacy::ReplaceExtension(cruise_path, ".job");

  // Both texts are made before either file is touched.
  legacy::ExportReport key_report;
  std::ostringstream key_text;
  const std::string header = legacy::keyfile::ExportKeyHeader(region, cruise_path, t, key_report);
  legacy::ExportReport job_report;
  std::ostringstream job_text(legacy::jobfile::JobFileBuffer(t));
  // The bar follows the count and tree rows; messages are pumped when the
  // percentage moves and every few rows, so that Cancel and Ctrl-C work.
  int shown_percent = -1;
  std::size_t since_pump = 0;
  const legacy::jobfile::RowProgress follow = [&](std::size_t done, std::size_t total) {
    const int upper = total > 0 ? static_cast<int>(total - 1) : 0;
    const int position = static_cast<int>(done - 1);
    if (shown_percent < 0) {
      progress->SetProgressRange(0, upper, 1);
      progress->SetMessageText("%s", kWritingJobFileMessage);
    }
    const int percent = progress::PercentOf(position, 0, upper);
    const bool moved = percent != shown_percent || position == upper;
    if (moved) {
      shown_percent = percent;
      progress->SetProgressPos(position);
    }
    if (moved || ++since_pump >= 64) {
      since_pump = 0;
      progress->PumpMessages(true);
    }
    return !progress->IsCancelled();
  };
  const bool key_written = legacy::keyfile::WriteKeyFile(header, t, key_report, key_text);
  const bool job_written = key_written && (progress != nullptr
                                               ? legacy::jobfile::WriteJobFile(t, job_report, job_text, follow)
                                               : legacy::jobfile::WriteJobFile(t, job_report, job_text));
  if (progress != nullptr && progress->IsCancelled()) return cancelled();
  if (!key_written || !job_written) {
    outcome.result = Result::kRefused;
    if (key_report.refused()) outcome.Say(key_report.RefusalText(key_path), "ERROR", Icon::kStop);
    if (job_report.refused()) outcome.Say(job_report.RefusalText(job_path), "ERROR", Icon::kStop);
    return outcome;
  }
  if (!ConfirmReplace(key_path, kExportKeyDeclined, outcome) || !ConfirmReplace(job_path, kExportJobDeclined, outcome))
    return outcome;
  if (progress != nullptr) {
    progress->PumpMessages(true);
    if (progress->IsCancelled()) return cancelled();
  }

  storage::OutputSet set(files());
  auto text = [](const std::ostringstream& s) {
    return [&s](std::ostream& out) { return static_cast<bool>(out << s.view()); };
  };
  storage::Status st = set.WriteText(key_path.string(), text(key_text));
  if (st.ok()) st = set.WriteText(job_path.string(), text(job_text));
  if (st.ok()) st = set.Commit();
  if (!st.ok()) {
    outcome.result = storage::IsInUse(st) ? Result::kInUse : Result::kFailed;
    outcome.Say(storage::IsInUse(st) ? InUseMessage(st)
                                     : "The Version 7 key and job files could not be written:\n" + st.message() +
                                           "\nNo file was changed.",
                "ERROR", Icon::kStop);
    return outcome;
  }
  outcome.written = {key_path, job_path};
  if (key_report.note_count() > 0) outcome.Say(key_report.NotesText(key_path), "WARNING", Icon::kExclamation);
  if (job_report.note_count() > 0) outcome.Say(job_report.NotesText(job_path), "WARNING", Icon::kExclamation);

  std::string key_file_path = key_path.string();
  outcome.summary = "Version 7 key and job files             \nhave been created\n" + key_file_path + "\n" +
                    job_path.string();
  outcome.Say(outcome.summary, kCaption, Icon::kInformation);

  namespace config = cruisedb::config;
  storage::Row row;
  row.Set(col::MsgNum, "25")
      .Set(col::Msg, "Cruise file converted to Version 7 job and key")
      .Set(col::Date, std::string(date))
      .Set(col::Time, std::string(time))
      .Set(col::Level, "I")
      .Set(col::Note, "")
      .Set(col::Program, "Processing");
  st = t.message_log.Add(row) < 0 ? storage::Status::Error("the log entry could not be added") : storage::Status::Ok();
  if (st.ok()) st = cruisedb::WriteSetting(t.config, config::General, config::MRU, config::kProgramName);
  if (st.ok()) st = cruise_file.Commit();
  if (!st.ok()) {
    outcome.result = Result::kFailed;
    outcome.Say("The log entry could not be written to\n" + cruise_path.string() + "\n" + st.message(), "ERROR",
                Icon::kStop);
    return outcome;
  }
  outcome.result = Result::kDone;
  return outcome;
}

Outcome JobKeyExporter::AddVersion6Rewrite(storage::OutputSet& set, Version6Rewrite& rewrite,
                                           const cruisedb::CruiseTables& tables) {
  Outcome outcome;
  const fs::path kept_key = legacy::ReplaceExtension(rewrite.key_path, ".V6.key");
  const fs::path kept_job = legacy::ReplaceExtension(rewrite.job_path, ".V6.job");

  legacy::ExportReport key_report;
  std::ostringstream key_text;
  legacy::ExportReport job_report;
  std::ostringstream job_text(legacy::jobfile::JobFileBuffer(tables));
  const std::string header = legacy::keyfile::Version6KeyHeader(rewrite.region, rewrite.job_path, rewrite.report_path);
  if (!legacy::keyfile::WriteKeyFile(header, tables, key_report, key_text) ||
      !legacy::jobfile::WriteJobFile(tables, job_report, job_text)) {
    outcome.result = Result::kRefused;
    if (key_report.refused()) outcome.Say(key_report.RefusalText(rewrite.key_path), "ERROR", Icon::kStop);
    if (job_report.refused()) outcome.Say(job_report.RefusalText(rewrite.job_path), "ERROR", Icon::kStop);
    return outcome;
  }

  // The old files are copied under their ".V6" names; an existing copy is
  // replaced only when the user agrees. Each copy is added before the file
  // that replaces its original, so it is moved into place first.
  auto keep = [&](const fs::path& original, const fs::path& kept) -> bool {
    std::error_code ec;
    if (fs::exists(kept, ec) &&
        platform_.ShowMessage({legacy::AlreadyExistsQuestion(kept), kCaption, Icon::kQuestion, Buttons::kYesNo}) !=
            Button::kYes) {
      outcome.result = Result::kDeclined;
      outcome.Say(kRewriteDeclined, kCaption, Icon::kExclamation);
      return false;
    }
    bool read = false;
    const std::string bytes = ReadWhole(original, read);
    storage::Status st = read ? set.WriteText(kept.string(), [&](std::ostream& out) { return static_cast<bool>(out << bytes); })
                              : storage::Status::Error("cannot read " + original.string());
    if (!st.ok()) {
      outcome.result = storage::IsInUse(st) ? Result::kInUse : Result::kFailed;
      outcome.Say(storage::IsInUse(st) ? InUseMessage(st)
                                       : original.string() + " cannot be kept as " + kept.string() + ":\n" + st.message(),
                  "ERROR", Icon::kStop);
      return false;
    }
    return true;
  };
  auto write = [&](const fs::path& target, const std::ostringstream& text) -> bool {
    storage::Status st = set.WriteText(target.string(), [&](std::ostream& out) { return static_cast<bool>(out << text.view()); });
    if (!st.ok()) {
      outcome.result = storage::IsInUse(st) ? Result::kInUse : Result::kFailed;
      outcome.Say(storage::IsInUse(st) ? InUseMessage(st) : target.string() + " cannot be written:\n" + st.message(),
                  "ERROR", Icon::kStop);
      return false;
    }
    return true;
  };
  if (!keep(rewrite.key_path, kept_key) || !write(rewrite.key_path, key_text)) return outcome;
  if (!keep(rewrite.job_path, kept_job) || !write(rewrite.job_path, job_text)) return outcome;
  rewrite.kept_key = kept_key.string();
  rewrite.kept_job = kept_job.string();
  if (key_report.note_count() > 0) outcome.Say(key_report.NotesText(rewrite.key_path), "WARNING", Icon::kExclamation);
  if (job_report.note_count() > 0) outcome.Say(job_report.NotesText(rewrite.job_path), "WARNING", Icon::kExclamation);
  outcome.written = {kept_key, rewrite.key_path, kept_job, rewrite.job_path};
  outcome.result = Result::kDone;
  return outcome;
}

}  // namespace sw::convert
