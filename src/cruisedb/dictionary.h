// New cruise files take their schema from the base dictionary
// "CruiseDefault.stp": its DataDictionary rows are copied into the new file,
// and every table is then obtained with a description built from them.
//
// Not for: restructuring old files (the structure updater does that).
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "storage/storage.h"

namespace sw::cruisedb {

class DictionaryLoader {
 public:
  // Appends every DataDictionary row of the base file (all 25 columns) to
  // `dictionary_view` and remembers the base file's structure version.
  // Sets status to -1 and copies nothing when the base file cannot be read
  // or is not a usable base dictionary (error() then says why).
  void LoadBaseDictionary(storage::View& dictionary_view, int& status, const std::filesystem::path& base_file_name);

  // ("General", "StructureVersion") of the base file, or "NO DATE FOUND".
  const std::string& base_version() const { return base_version_; }
  const std::string& error() const { return error_; }

 private:
  std::string base_version_ = "NO DATE FOUND";
  std::string error_;
};

// tableName[col:T,...] from the dictionary rows of that table whose IsUsed is
// "Y" or "M", in dictionary order. A table without any used row gives
// tableName[] (a view without columns). An error when the rows cannot be
// selected (memory exhausted).
storage::Result<std::string> BuildTableDescription(std::string_view table_name, const storage::View& dictionary_view);

// Obtains a table of a cruise file with the description built from its
// dictionary; WeightEquationTable always gets a WgtEqSP string column.
storage::Result<storage::View> GetTable(storage::Storage& storage, std::string_view table_name,
                                        const storage::View& dictionary_view);

// The tables a job and key import obtains, in that order.
std::span<const std::string_view> JobKeyImportTables();

// Creates a new cruise file's schema: the DataDictionary from the base
// dictionary, then every table of `tables` in order. The storage must be
// open read-write and hold no DataDictionary rows yet.
struct NewCruiseFile {
  storage::Status status;
  std::string base_version;
};
NewCruiseFile CreateCruiseSchema(storage::Storage& storage, const std::filesystem::path& base_file_name,
                                 std::span<const std::string_view> tables);

}  // namespace sw::cruisedb
