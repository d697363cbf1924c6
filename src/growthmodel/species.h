// The species data file "GROvariantSpecies.mk4": one view per variant
// ("AKspecies", ...) translating the inventory species codes of a cruise
// into the variant's own species codes. It ships beside the programs,
// compiled from a readable text source, and users may replace it, so the
// reader takes whatever rows it holds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/storage.h"

namespace sw::growthmodel {

inline constexpr char kSpeciesFileName[] = "GROvariantSpecies.mk4";

// The view of a variant: its code followed by "species".
std::string SpeciesViewName(std::string_view variant_code);

// The message when the species file is not there: the path, then
// " is missing!\nCannot continue without it".
std::string MissingSpeciesFileMessage(const std::filesystem::path& path);

struct SpeciesRow {
  std::string fia_code;
  std::string name;
  std::string gro_code;
};

struct SpeciesTable {
  std::string view_name;  // e.g. "AKspecies"
  std::vector<SpeciesRow> rows;
};

// The text source: "[XXspecies]" starts a table, then one line per row
// "FIAcode|SpeciesName|GROspeciesCode"; blank lines and lines starting with
// '#' are skipped. An error names the line.
storage::Result<std::vector<SpeciesTable>> ParseSpeciesSource(std::string_view text);

// Writes the tables as a new storage file at `path` (which must not exist)
// and commits it.
storage::Status WriteSpeciesFile(const std::filesystem::path& path, const std::vector<SpeciesTable>& tables);

// An open species file for one export: opened read-only once, every
// translation then searches the variant's view.
class SpeciesFile {
 public:
  // A missing file gives MissingSpeciesFileMessage; a damaged one names the
  // path and the problem.
  static storage::Result<SpeciesFile> Open(const std::filesystem::path& path);

  // The variant's code for the species: the GROspeciesCode of the first
  // row, in view order, whose FIAcode equals `fia_code` (no trimming, no
  // numeric comparison; letter case does not count, as in every lookup of
  // the engine); "" when there is none or the variant has no view.
  std::string Translate(std::string_view variant_code, std::string_view fia_code);

 private:
  explicit SpeciesFile(storage::Storage storage) : storage_(std::move(storage)) {}
  storage::Storage storage_;
};

// Opens the file, translates one code and closes it again: "ERROR" (and
// `message` set) when the file is missing or cannot be read.
std::string TranslateSpecies(const std::filesystem::path& species_file, std::string_view variant_code,
                             std::string_view fia_code, std::string* message = nullptr);

}  // namespace sw::growthmodel
