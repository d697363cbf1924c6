// Settings rows of GlobalConfigurationTable (Block, Key, Value).
//
// Not for: the structure updater's older column names (sBlock, sKey, sValue).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "storage/storage.h"

namespace sw::cruisedb {

// Value of the first row with that Block and Key, if any.
std::optional<std::string> ReadSetting(const storage::View& config, std::string_view block, std::string_view key);

// A single-row setting: the Value of the first row with that Block and Key
// is replaced, or a row is added when there is none.
storage::Status WriteSetting(storage::View& config, std::string_view block, std::string_view key,
                             std::string_view value);

// Appends a row (for keys with one row per value, such as "Reports").
storage::Status AddSetting(storage::View& config, std::string_view block, std::string_view key,
                           std::string_view value);

}  // namespace sw::cruisedb
