// The readable text source of the base dictionary (data/*.txt) and the
// writer that compiles it into "CruiseDefault.stp" at build time.
//
// Not for: loading a base dictionary into a cruise file (dictionary.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "storage/storage.h"

namespace sw::cruisedb {

struct DictionarySourceRow {
  std::string table_name;
  std::string column_name;
  std::string field_type;
  std::string is_used;
  int length = 0;
  std::string description;
  int order = 0;  // position of the column in its table, from 1
};

struct SettingSourceRow {
  std::string block;
  std::string key;
  std::string value;
};

// Lines of "|"-separated fields; "#" comment lines and the header line (the
// first non-comment line) are skipped. Errors name the line.
storage::Result<std::vector<DictionarySourceRow>> ParseDictionarySource(std::string_view text);
storage::Result<std::vector<SettingSourceRow>> ParseSettingsSource(std::string_view text);

// Writes a new base dictionary file (DataDictionary and
// GlobalConfigurationTable) at `path`, which must not exist yet.
storage::Status WriteBaseDictionary(const std::filesystem::path& path, const std::vector<DictionarySourceRow>& rows,
                                    const std::vector<SettingSourceRow>& settings);

}  // namespace sw::cruisedb
