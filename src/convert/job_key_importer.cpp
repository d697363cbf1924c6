// JobKeyImporter: a key file and its job file into a new cruise file.
//
// Cost is linear in the job file: the record readers keep hash indexes, the
// progress bar is touched only when its percentage changes, messages are
// pumped every few lines, each table is sorted once in memory, and the file
// is committed once, in its OutputSet temporary, then moved into place.
#include "convert/job_key_importer.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <system_error>
#include <vector>

#include "cruisedb/columns.h"
#include "cruisedb/cruise_tables.h"
#include "cruisedb/dictionary.h"
#include "cruisedb/settings.h"
#include "convert/job_key_exporter.h"
#include "legacy/files.h"
#include "legacy/jobfile/job_record_readers.h"
#include "legacy/keyfile/key_reader.h"
#include "legacy/keyfile/report_codes.h"
#include "legacy/line.h"
#include "storage/file_system.h"
#include "storage/output_set.h"

namespace sw::convert {
namespace {

namespace jobfile = legacy::jobfile;
using legacy::CountLines;
using legacy::LineReader;
using legacy::LineStats;
using legacy::keyfile::ReadEquationSections;
using legacy::keyfile::ReadReportCodes;
using legacy::keyfile::ReportList;
using legacy::keyfile::SectionsRead;
using legacy::keyfile::StoreLegacySettings;

namespace col = cruisedb::col;
namespace fs = std::filesystem;
using platform::Buttons;
using platform::Icon;

// Lines between two message pumps when the percentage does not change.
constexpr std::size_t kPumpInterval = 64;

// Puts the rows of a stored table into the engine's SortOn order on `keys`
// (ties broken by the other columns, then by position), moving each column
// once in memory.
storage::Status SortTable(storage::View& table, const std::vector<std::string>& keys) {
  auto sorted_view = table.SortOn(keys);
  if (!sorted_view.ok()) return sorted_view.status();
  const storage::View& sorted = sorted_view.value();
  std::vector<std::size_t> order(sorted.Size());
  for (std::size_t r = 0; r < order.size(); ++r) order[r] = sorted.BaseIndex(r);
  return table.Reorder(order);
}

struct CleanRule {
  std::vector<storage::StringColumn> trimmed;
  std::vector<storage::StringColumn> upper;
};

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

// Makes `v` upper case.
void Upper(std::string& v) {
  for (char& c : v)
    if (IsLower(c)) c = static_cast<char>(c - 'a' + 'A');
}

bool Lists(const std::vector<storage::StringColumn>& columns, const storage::StringColumn& column) {
  for (const auto& c : columns)
    if (c.name == column.name) return true;
  return false;
}

// Removes leading and trailing blanks from the `trimmed` columns and makes
// the `upper` columns upper case. Each column is read once, a column of
// both lists trimmed, then upper-cased; a cell is read in place and
// written only when it changes, so that the many cells that are already
// clean cost one read each and no copy.
storage::Status CleanTable(storage::View& table, const CleanRule& rule) {
  auto each = [&](const storage::StringColumn& column, bool trim, bool upper) -> storage::Status {
    const storage::BoundString bound = table.Bind(column);
    if (!bound.present()) return storage::Status::Ok();
    const std::size_t rows = table.Size();
    std::string scratch, value;
    for (std::size_t r = 0; r < rows; ++r) {
      const std::string_view text = bound.Peek(r, scratch);
      const bool blanks = trim && !text.empty() && (text.front() == ' ' || text.back() == ' ');
      if (!blanks && !(upper && std::any_of(text.begin(), text.end(), IsLower))) continue;
      value.assign(blanks ? TrimBlanks(text) : text);
      if (upper) Upper(value);
      storage::Status st = bound.Set(r, value);
      if (!st.ok()) return st;
    }
    return storage::Status::Ok();
  };
  for (const auto& column : rule.trimmed) {
    storage::Status st = each(column, true, Lists(rule.upper, column));
    if (!st.ok()) return st;
  }
  for (const auto& column : rule.upper) {
    if (Lists(rule.trimmed, column)) continue;
    storage::Status st = each(column, false, true);
    if (!st.ok()) return st;
  }
  return storage::Status::Ok();
}

storage::Status CleanTextColumns(cruisedb::CruiseTables& t) {
  const std::array<std::pair<storage::View*, CleanRule>, 8> rules{{
      {&t.cruise,
       {{col::SaleNo, col::CruiseNo, col::SaleName, col::Region, col::Forest, col::District, col::Purpose},
        {col::Purpose}}},
      {&t.strata, {{col::CruzMeth, col::Stratum, col::Description}, {}}},
      {&t.units, {{col::CutUnit, col::Description, col::LogMeth, col::PayUnit}, {}}},
      {&t.counts, {{col::CutUnit, col::Stratum, col::SG, col::Sp}, {}}},
      {&t.plots, {{col::Stratum, col::CutUnit, col::Plot}, {}}},
      {&t.subpopulations,
       {{col::Stratum, col::SG, col::Sp, col::UOMP, col::ProdP, col::ProdS, col::CL, col::LD}, {}}},
      {&t.trees,
       {{col::Stratum, col::CutUnit, col::Plot, col::Tree, col::SG, col::Sp, col::ProdP, col::ProdS, col::CL,
         col::CM, col::UOMP, col::ThreePcode, col::YC, col::ContrSpec, col::LD, col::TreeGrade, col::Clear, col::CR,
         col::MrchHtT, col::Remarks},
        {col::LD, col::YC, col::ContrSpec, col::CL, col::CM}}},
      {&t.logs, {{col::Stratum, col::CutUnit, col::Plot, col::Tree, col::LogNum}, {}}},
  }};
  for (const auto& [view, rule] : rules) {
    storage::Status st = CleanTable(*view, rule);
    if (!st.ok()) return st;
  }
  return storage::Status::Ok();
}

// Shows progress only when the percentage moves, and pumps messages every
// kPumpInterval lines and at each percentage step.
class LineProgress {
 public:
  LineProgress(progress::Progress& window, std::size_t lines)
      : window_(window), upper_(lines > 0 ? static_cast<int>(lines - 1) : 0) {}

  // After line `index` (from 0); true when the user cancelled.
  bool Advance(std::size_t index) {
    const int position = static_cast<int>(index);
    const int percent = progress::PercentOf(position, 0, upper_);
    const bool moved = percent != shown_ || index == 0 || position == upper_;
    if (moved) {
      shown_ = percent;
      window_.SetProgressPos(position);
    }
    if (moved || ++since_pump_ >= kPumpInterval) {
      since_pump_ = 0;
      window_.PumpMessages(true);
      return window_.IsCancelled();
    }
    return false;
  }

 private:
  progress::Progress& window_;
  int upper_;
  int shown_ = -1;
  std::size_t since_pump_ = 0;
};

std::string WriteFailureText(const fs::path& path, const std::string& why) {
  return "The cruise file could not be written:\n" + path.string() + "\n" + why +
         "\nNo cruise file was created; existing files are unchanged.";
}

// Malformed numeric fields and records that repeat an earlier key: how many,
// and the first twenty of each.
std::string InputProblemsText(const fs::path& job_path, const jobfile::Diagnostics& malformed,
                              const jobfile::Diagnostics& repeated) {
  constexpr std::size_t kListed = 20;
  std::string text = job_path.string() + "\n";
  if (!malformed.empty())
    text += std::to_string(malformed.size()) + " field" + (malformed.size() == 1 ? " is" : "s are") +
            " damaged (a number that is not one is read as far as it is one, else as 0; a line ends at a NUL "
            "byte):\n" +
            jobfile::ListDiagnostics(malformed, kListed);
  if (!repeated.empty())
    text += std::to_string(repeated.size()) + " record" + (repeated.size() == 1 ? " repeats" : "s repeat") +
            " the key of an earlier record:\n" + jobfile::ListDiagnostics(repeated, kListed);
  return text;
}

storage::Status AddProblemsLogEntry(storage::View& log, const ImportRequest& request, const std::string& text) {
  storage::Row row;
  row.Set(col::MsgNum, "27")
      .Set(col::Msg, "Job file has malformed fields or repeated records")
      .Set(col::Date, request.log_date)
      .Set(col::Time, request.log_time)
      .Set(col::Level, "W")
      .Set(col::Note, text)
      .Set(col::Program, "Processing");
  return log.Add(row) < 0 ? storage::Status::Error("the log entry could not be added") : storage::Status::Ok();
}

storage::Status AddLogEntry(storage::View& log, const ImportRequest& request) {
  storage::Row row;
  row.Set(col::MsgNum, "26")
      .Set(col::Msg, "Job and Key files converted to Cruise File")
      .Set(col::Date, request.log_date)
      .Set(col::Time, request.log_time)
      .Set(col::Level, "I")
      .Set(col::Note, "")
      .Set(col::Program, "Processing");
  return log.Add(row) < 0 ? storage::Status::Error("the log entry could not be added") : storage::Status::Ok();
}

}  // namespace

Outcome JobKeyImporter::Convert(const ImportRequest& request) {
  Outcome outcome;
  const std::string title(cruisedb::config::kProgramName);
  auto failed = [&](Result result, std::string text, std::string caption = "ERROR",
                    Icon icon = Icon::kStop) -> Outcome {
    outcome.result = result;
    outcome.Say(std::move(text), std::move(caption), icon);
    return outcome;
  };
  auto write_failure = [&](const storage::Status& st) {
    return storage::IsInUse(st) ? failed(Result::kInUse, InUseMessage(st))
                                : failed(Result::kFailed, WriteFailureText(request.cruise_path, st.message()));
  };

  // Every file of the conversion sits in the key file's folder.
  const fs::path folder = request.key_path.parent_path();
  if (request.job_path.parent_path() != folder || request.cruise_path.parent_path() != folder)
    return failed(Result::kRefused, "The job file " + request.job_path.string() +
                                        "\nis not in the folder of its key file. Nothing was converted.");

  storage::OutputSet set(fs_);
  legacy::MakeWritable(request.cruise_path);
  auto opened = set.AddStorage(request.cruise_path.string());
  if (!opened.ok()) return write_failure(opened.status());
  storage::Storage file = std::move(opened.value());

  // The dictionary and every table of the new file.
  cruisedb::NewCruiseFile schema =
      cruisedb::CreateCruiseSchema(file, request.base_dictionary, cruisedb::JobKeyImportTables());
  if (!schema.status.ok()) {
    outcome.result = Result::kNoBaseDictionary;
    outcome.Say(schema.status.message(), "ERROR", Icon::kStop);  // why, for the caller's message
    return outcome;
  }
  auto opened_tables = cruisedb::OpenCruiseTables(file, cruisedb::JobKeyImportTables());
  if (!opened_tables.ok()) return write_failure(opened_tables.status());
  cruisedb::CruiseTables& t = opened_tables.value();
  for (storage::View* v : {&t.volume, &t.value, &t.weight, &t.quality, &t.config, &t.message_log, &t.cruise,
                           &t.strata, &t.units, &t.plots, &t.counts, &t.trees, &t.subpopulations, &t.logs}) {
    storage::Status emptied = v->SetSize(0);
    if (!emptied.ok()) return write_failure(emptied);
  }

  // The key file: report list and settings, then the equation sections.
  LineReader key(request.key_path);
  if (!key.is_open())
    return failed(Result::kFailed, request.key_path.string() + "\nNOT FOUND.  EXIT NOW!", title, Icon::kExclamation);
  ReportList reports = ReadReportCodes(key);
  storage::Status st = StoreLegacySettings(t.config, reports.codes, request.key_path.string(),
                                           request.job_path.string(), request.report_path.string(), request.region);
  key.Rewind();
  SectionsRead sections = ReadEquationSections(key, t.volume, t.value, t.weight, t.quality);
  if (st.ok()) st = sections.status;
  if (!st.ok()) return write_failure(st);

  // The job file and its line count for the progress range.
  const LineStats stats = CountLines(request.job_path);
  LineReader job(request.job_path);
  if (!stats.opened || !job.is_open())
    return failed(Result::kFailed, request.job_path.string() + "\nNOT FOUND.  EXIT NOW!", title, Icon::kExclamation);
  job_lines_ = stats.lines;
  jobfile::JobTables job_tables{t.cruise, t.units,          t.strata, t.counts,         t.plots,
                                t.trees,  t.subpopulations, t.logs,   storage::View(), storage::View()};
  jobfile::JobRecordReaders readers(job_tables,
                                    jobfile::JobFileContext{request.version == 6 ? 6 : 7, request.region,
                                                            request.cruise_type});
  readers.Reserve(job_lines_);

  // The record loop, reporting progress.
  progress_.SetProgressRange(0, job_lines_ > 0 ? static_cast<int>(job_lines_ - 1) : 0, 1);
  progress_.SetMessageText("%s", kCreatingMessage);
  {
    LineProgress progress(progress_, job_lines_);
    std::string line;
    std::size_t index = 0;
    while (job.ReadLine(line)) {
      readers.ReadRecord(line, index + 1);
      if (progress.Advance(index++)) return failed(Result::kCancelled, kProgressCancelledMessage, title, Icon::kInformation);
    }
  }

  // Damaged input is never passed over in silence: listed in a warning and
  // in the file's log, or, when strict, refused.
  std::string problems;
  if (!readers.diagnostics().empty() || !readers.repeats().empty()) {
    problems = InputProblemsText(request.job_path, readers.diagnostics(), readers.repeats());
    if (request.strict)
      return failed(Result::kMalformed, problems + "No cruise file was created; existing files are unchanged.");
    outcome.Say(problems + "The cruise file was created with these values.", "WARNING", Icon::kExclamation);
  }

  // Units of each stratum and log counts of each tree.
  platform_.ShowMessage({kStillProcessingMessage, "MESSAGE", Icon::kInformation, Buttons::kOk});
  st = readers.Finish();
  if (!st.ok()) return write_failure(st);

  // Trees and logs sorted by their keys.
  const bool long_file = job_lines_ > kLongJobFileLines;
  if (long_file) platform_.ShowMessage({kSortingMessage, "MESSAGE", Icon::kInformation, Buttons::kOk});
  {
    platform::WaitCursor wait(platform_);
    const std::vector<std::string> tree_keys{std::string(col::Stratum.name), std::string(col::CutUnit.name),
                                             std::string(col::Plot.name), std::string(col::Tree.name)};
    std::vector<std::string> log_keys = tree_keys;
    log_keys.emplace_back(col::LogNum.name);
    st = SortTable(t.trees, tree_keys);
    if (st.ok()) st = SortTable(t.logs, log_keys);
    // Text columns trimmed, codes upper-cased.
    if (st.ok()) st = CleanTextColumns(t);
  }
  if (!st.ok()) return write_failure(st);
  if (long_file) platform_.ShowMessage({kAlmostDoneMessage, "MESSAGE", Icon::kInformation, Buttons::kOk});

  // Settings and the log entry, then the one commit into the temporary.
  namespace config = cruisedb::config;
  st = cruisedb::WriteSetting(t.config, config::General, config::MRU, config::kProgramName);
  if (st.ok()) st = cruisedb::WriteSetting(t.config, config::General, config::Setup, config::kBaseDictionaryFileName);
  if (st.ok()) st = cruisedb::WriteSetting(t.config, config::General, config::StructureVersion, schema.base_version);
  if (st.ok() && request.version != 0) st = AddLogEntry(t.message_log, request);
  if (st.ok() && !problems.empty()) st = AddProblemsLogEntry(t.message_log, request, problems);
  if (st.ok()) st = file.Commit();
  if (!st.ok()) return write_failure(st);
  outcome.written.push_back(request.cruise_path);

  // The key and job files may be replaced below (a Version 6 pair), which
  // Windows refuses while they are open.
  key.Close();
  job.Close();

  // A Version 6 pair is rewritten from the tables just filled, in the
  // same set: the new cruise file and the rewritten pair land together.
  if (request.version == 6) {
    Version6Rewrite rewrite{request.region, request.job_path, request.key_path, request.report_path, {}, {}};
    Outcome rewritten = JobKeyExporter(platform_, fs_).AddVersion6Rewrite(set, rewrite, t);
    for (auto& m : rewritten.messages) outcome.messages.push_back(std::move(m));
    if (!rewritten.ok()) {
      outcome.result = rewritten.result;
      return outcome;
    }
    renamed_key_ = rewrite.kept_key;
    renamed_job_ = rewrite.job_path.string();
    for (auto& w : rewritten.written) outcome.written.push_back(std::move(w));
  }
  st = set.Commit();
  if (!st.ok()) {
    outcome.written.clear();
    return write_failure(st);
  }
  outcome.result = Result::kDone;
  return outcome;
}

}  // namespace sw::convert
