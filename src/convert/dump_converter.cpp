#include "convert/dump_converter.h"

#include <system_error>
#include <vector>

#include "convert/job_key_exporter.h"
#include "dumpfile/dump_reader.h"
#include "legacy/files.h"
#include "storage/description.h"
#include "storage/output_set.h"

namespace sw::convert {
namespace {

namespace fs = std::filesystem;
using platform::Icon;

constexpr char kProgramTitle[] = "Stumpwright";

bool EndsWithDmp(const std::string& name) {
  if (name.size() < 4) return false;
  std::string last = name.substr(name.size() - 4);
  for (char& c : last) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return last == ".dmp";
}

}  // namespace

fs::path DumpImporter::TargetOf(const fs::path& dump_file) {
  const std::string name = dump_file.filename().string();
  if (!EndsWithDmp(name) || name.size() == 4) return fs::path();
  return dump_file.parent_path() / name.substr(0, name.size() - 4);
}

Outcome DumpImporter::Convert(const fs::path& dump_file) {
  Outcome outcome;
  auto fail = [&outcome](Result result, std::string text) {
    outcome.result = result;
    outcome.Say(std::move(text), "ERROR", Icon::kStop);
    return outcome;
  };
  const fs::path target = TargetOf(dump_file);
  if (target.empty()) {
    return fail(Result::kRefused, dump_file.string() + "\nis not named like a dump file (\".crz.dmp\").");
  }
  std::error_code ec;
  if (!fs::is_regular_file(dump_file, ec)) {
    return fail(Result::kFailed, dump_file.string() + "\ncannot be read: " +
                                     (fs::exists(dump_file, ec) ? "it is not a file" : "no such file") +
                                     "\nNo cruise file was created.");
  }
  dumpfile::DumpReader reader(dump_file);
  if (!reader.is_open()) {
    return fail(Result::kFailed,
                dump_file.string() + "\ncannot be read: it cannot be opened\nNo cruise file was created.");
  }

  if (fs::exists(target, ec)) {
    if (!fs::is_regular_file(target, ec)) {
      return fail(Result::kRefused, target.string() + "\nis not a file and cannot be replaced.\nNo cruise file was created.");
    }
    const platform::Button answer = platform_.ShowMessage(
        {"Cruise File exists \nDO YOU WANT TO DELETE IT?", kProgramTitle, Icon::kQuestion, platform::Buttons::kYesNo});
    if (answer != platform::Button::kYes) {
      outcome.result = Result::kDeclined;
      return outcome;
    }
    if (!legacy::MakeWritable(target)) {
      outcome.result = Result::kFailed;
      outcome.Say("File cannot be removed!", kProgramTitle, Icon::kInformation);
      return outcome;
    }
  }

  storage::OutputSet outputs(fs_);
  std::size_t lost_rows = 0;
  {
    auto opened = outputs.AddStorage(target.string());
    if (!opened.ok()) {
      if (storage::IsInUse(opened.status())) {
        outcome.result = Result::kInUse;
        outcome.Say(InUseMessage(opened.status()), "ERROR", Icon::kStop);
        return outcome;
      }
      return fail(Result::kFailed, target.string() + "\ncannot be written: " + opened.status().message() +
                                       "\nNo cruise file was created.");
    }
    storage::Storage& storage = opened.value();
    platform::WaitCursor wait(platform_);
    storage::View current;
    bool have_table = false;
    std::vector<storage::Type> types;
    for (;;) {
      dumpfile::DumpReader::Item item = reader.Next();
      if (item.kind == dumpfile::DumpReader::Item::Kind::kEnd) break;
      if (item.kind == dumpfile::DumpReader::Item::Kind::kTable) {
        // A description without "[" would delete a view: refuse it first.
        bool bracket = false;
        auto fields = storage::ParseViewDescription(item.description, &bracket);
        storage::Result<storage::View> view = storage::Status::Error("it has no column list");
        if (fields.ok() && bracket) view = storage.GetAs(item.description);
        if (!view.ok()) {
          std::string shown = item.description.substr(0, 80);
          if (shown.size() < item.description.size()) shown += "...";
          const std::string why = fields.ok() ? view.status().message() : fields.status().message();
          return fail(Result::kRefused, dump_file.string() + "\nline " + std::to_string(item.line_number + 1) +
                                            ": the table description \"" + shown + "\" cannot be used:\n" +
                                            why.substr(0, 120) + "\nNo cruise file was created.");
        }
        current = view.value();
        have_table = true;
        types.clear();
        for (const storage::FieldDef& field : fields->sub) types.push_back(field.type);
        continue;
      }
      if (!have_table) {
        ++lost_rows;  // rows before the first table belong to no table
        continue;
      }
      const std::vector<storage::Value> values = dumpfile::SplitRow(item.line, types);
      const long row = current.Add();
      if (row < 0) return fail(Result::kFailed, "A row could not be added.\nNo cruise file was created.");
      for (std::size_t c = 0; c < values.size(); ++c) {
        if (std::holds_alternative<std::monostate>(values[c])) continue;
        const storage::Status st = current.Set(static_cast<std::size_t>(row), c, values[c]);
        if (!st.ok()) {
          return fail(Result::kFailed, dump_file.string() + "\nline " + std::to_string(item.line_number) + ": " +
                                           st.message() + "\nNo cruise file was created.");
        }
      }
    }
    if (!have_table) {
      return fail(Result::kRefused, dump_file.string() + "\nholds no table (no line with \"[\").\nNo cruise file was created.");
    }
    if (reader.failed()) {
      return fail(Result::kFailed, dump_file.string() + "\ncannot be read to its end.\nNo cruise file was created.");
    }
    const storage::Status st = storage.Commit();
    if (!st.ok()) {
      return fail(Result::kFailed, target.string() + "\ncannot be written: " + st.message() +
                                       "\nNo cruise file was created.");
    }
  }
  const storage::Status committed = outputs.Commit();
  if (!committed.ok() && storage::IsInUse(committed)) {
    outcome.result = Result::kInUse;
    outcome.Say(InUseMessage(committed), "ERROR", Icon::kStop);
    return outcome;
  }
  if (!committed.ok()) {
    return fail(Result::kFailed, target.string() + "\ncannot be put in place: " + committed.message() +
                                     "\nNo cruise file was created; an existing file is unchanged.");
  }
  outcome.result = Result::kDone;
  outcome.written.push_back(target);
  if (lost_rows > 0) {
    outcome.Say(std::to_string(lost_rows) + " line(s) before the first table of\n" + dump_file.string() +
                    "\nbelong to no table and were not converted.",
                "WARNING", Icon::kExclamation);
  }
  return outcome;
}

}  // namespace sw::convert
