#include "growthmodel/species.h"

#include <system_error>

#include "cruisedb/columns.h"

namespace sw::growthmodel {

namespace col = cruisedb::col;
using storage::Result;
using storage::Row;
using storage::Status;
using storage::Storage;

namespace {

std::string_view TrimLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  return line;
}

std::string LineError(std::size_t number, const std::string& what) {
  return "line " + std::to_string(number) + ": " + what;
}

}  // namespace

std::string SpeciesViewName(std::string_view variant_code) { return std::string(variant_code) + "species"; }

std::string MissingSpeciesFileMessage(const std::filesystem::path& path) {
  return path.string() + " is missing!\nCannot continue without it";
}

Result<std::vector<SpeciesTable>> ParseSpeciesSource(std::string_view text) {
  std::vector<SpeciesTable> tables;
  std::size_t number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = TrimLineEnd(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) return Status::Error(LineError(number, "a table line is [NAME]"));
      std::string name(line.substr(1, line.size() - 2));
      if (name.find_first_of("[],: ") != std::string::npos)
        return Status::Error(LineError(number, "the table name \"" + name + "\" is not a view name"));
      for (const auto& table : tables) {
        if (storage::EqualText(table.view_name, name))
          return Status::Error(LineError(number, "table " + name + " is listed twice"));
      }
      tables.push_back({name, {}});
      continue;
    }
    if (tables.empty()) return Status::Error(LineError(number, "a species row before the first [table] line"));
    std::size_t first = line.find('|');
    std::size_t second = first == std::string_view::npos ? first : line.find('|', first + 1);
    if (second == std::string_view::npos || line.find('|', second + 1) != std::string_view::npos)
      return Status::Error(LineError(number, "expected FIAcode|SpeciesName|GROspeciesCode"));
    tables.back().rows.push_back({std::string(line.substr(0, first)),
                                  std::string(line.substr(first + 1, second - first - 1)),
                                  std::string(line.substr(second + 1))});
  }
  return tables;
}

Status WriteSpeciesFile(const std::filesystem::path& path, const std::vector<SpeciesTable>& tables) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return Status::Error(path.string() + " already exists");
  auto opened = Storage::Open(path, Storage::Mode::ReadWrite);
  if (!opened) return opened.status();
  for (const auto& table : tables) {
    auto view = opened->GetAs(table.view_name + "[FIAcode:S,SpeciesName:S,GROspeciesCode:S]");
    if (!view) return view.status();
    for (const auto& row : table.rows) {
      Row values;
      values.Set(col::FIAcode, row.fia_code).Set(col::SpeciesName, row.name).Set(col::GROspeciesCode, row.gro_code);
      if (view->Add(values) < 0) return Status::Error("cannot add a row to " + table.view_name);
    }
  }
  return opened->Commit();
}

Result<SpeciesFile> SpeciesFile::Open(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return Status::Error(MissingSpeciesFileMessage(path));
  auto opened = Storage::Open(path, Storage::Mode::ReadOnly);
  if (!opened) {
    return Status::Error(path.string() + " cannot be read: " + opened.status().message() +
                         "\nCannot continue without it");
  }
  // Decode every view now, so a damaged file is refused before any output.
  if (auto verified = opened->Verify(); !verified) {
    return Status::Error(path.string() + " cannot be read: " + verified.message() + "\nCannot continue without it");
  }
  return SpeciesFile(std::move(*opened));
}

std::string SpeciesFile::Translate(std::string_view variant_code, std::string_view fia_code) {
  // An empty code names no species: rows without an inventory code (hybrid
  // spruce) never translate an equation that lacks its number.
  if (fia_code.empty()) return "";
  std::string name = SpeciesViewName(variant_code);
  if (!storage_.HasView(name)) return "";
  storage::View view = storage_.GetView(name);
  long row = view.Find(Row().Set(col::FIAcode, std::string(fia_code)));
  if (row < 0) return "";
  return view.Bind(col::GROspeciesCode).Get(static_cast<std::size_t>(row));
}

std::string TranslateSpecies(const std::filesystem::path& species_file, std::string_view variant_code,
                             std::string_view fia_code, std::string* message) {
  auto file = SpeciesFile::Open(species_file);
  if (!file) {
    if (message) *message = file.status().message();
    return "ERROR";
  }
  return file->Translate(variant_code, fia_code);
}

}  // namespace sw::growthmodel
