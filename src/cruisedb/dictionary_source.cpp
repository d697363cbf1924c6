// Parses the base dictionary's text source and writes the storage file.
#include "cruisedb/dictionary_source.h"

#include <charconv>
#include <map>

#include "cruisedb/columns.h"
#include "cruisedb/settings.h"

namespace sw::cruisedb {

using storage::Result;
using storage::Row;
using storage::Status;

namespace {

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t bar = line.find('|', start);
    fields.emplace_back(line.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return fields;
}

// Calls `on_row(fields, line_number)` for every data line; returns the first error.
template <class F>
Status ForEachDataLine(std::string_view text, std::size_t field_count, F on_row) {
  bool header_seen = false;
  std::size_t line_number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (!header_seen) {
      header_seen = true;
      continue;
    }
    std::vector<std::string> fields = SplitFields(line);
    if (fields.size() != field_count)
      return Status::Error("line " + std::to_string(line_number) + ": expected " + std::to_string(field_count) +
                           " fields separated by |, found " + std::to_string(fields.size()));
    Status s = on_row(fields, line_number);
    if (!s) return s;
  }
  return Status::Ok();
}

}  // namespace

Result<std::vector<DictionarySourceRow>> ParseDictionarySource(std::string_view text) {
  std::vector<DictionarySourceRow> rows;
  std::map<std::string, int> positions;
  Status s = ForEachDataLine(text, 6, [&](const std::vector<std::string>& f, std::size_t line) {
    DictionarySourceRow row{f[0], f[1], f[2], f[3], 0, f[5], 0};
    if (row.field_type.size() != 1 || std::string_view("SILFD").find(row.field_type[0]) == std::string_view::npos)
      return Status::Error("line " + std::to_string(line) + ": type letter must be one of S I L F D");
    auto [ptr, ec] = std::from_chars(f[4].data(), f[4].data() + f[4].size(), row.length);
    if (ec != std::errc() || ptr != f[4].data() + f[4].size())
      return Status::Error("line " + std::to_string(line) + ": length is not a number");
    row.order = ++positions[row.table_name];
    rows.push_back(std::move(row));
    return Status::Ok();
  });
  if (!s) return s;
  return rows;
}

Result<std::vector<SettingSourceRow>> ParseSettingsSource(std::string_view text) {
  std::vector<SettingSourceRow> rows;
  Status s = ForEachDataLine(text, 3, [&](const std::vector<std::string>& f, std::size_t) {
    rows.push_back({f[0], f[1], f[2]});
    return Status::Ok();
  });
  if (!s) return s;
  return rows;
}

Status WriteBaseDictionary(const std::filesystem::path& path, const std::vector<DictionarySourceRow>& rows,
                           const std::vector<SettingSourceRow>& settings) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return Status::Error(path.string() + " exists already");
  auto storage = storage::Storage::Open(path, storage::Storage::Mode::ReadWrite);
  if (!storage) return storage.status();
  auto dictionary = storage->GetAs(kDataDictionaryDescription);
  if (!dictionary) return dictionary.status();
  for (const DictionarySourceRow& r : rows) {
    if (dictionary->Add(Row()
                            .Set(col::TableName, r.table_name)
                            .Set(col::FieldType, r.field_type)
                            .Set(col::Description, r.description)
                            .Set(col::ColumnName, r.column_name)
                            .Set(col::IsUsed, r.is_used)
                            .Set(col::Length, r.length)
                            .Set(col::Order1, r.order)) < 0)
      return Status::Error("cannot add a dictionary row");
  }
  auto config = storage->GetAs("GlobalConfigurationTable[Block:S,Key:S,Value:S]");
  if (!config) return config.status();
  for (const SettingSourceRow& s : settings) {
    Status st = WriteSetting(*config, s.block, s.key, s.value);
    if (!st) return st;
  }
  return storage->Commit();
}

}  // namespace sw::cruisedb
