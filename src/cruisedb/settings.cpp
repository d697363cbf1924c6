// GlobalConfigurationTable settings rows.
#include "cruisedb/settings.h"

#include "cruisedb/columns.h"

namespace sw::cruisedb {

using storage::Row;

namespace {
Row SettingPattern(std::string_view block, std::string_view key) {
  return Row().Set(col::Block, std::string(block)).Set(col::Key, std::string(key));
}
}  // namespace

std::optional<std::string> ReadSetting(const storage::View& config, std::string_view block, std::string_view key) {
  long row = config.Find(SettingPattern(block, key));
  if (row < 0) return std::nullopt;
  return config.Bind(col::Value).Get(static_cast<std::size_t>(row));
}

storage::Status WriteSetting(storage::View& config, std::string_view block, std::string_view key,
                             std::string_view value) {
  long row = config.Find(SettingPattern(block, key));
  if (row < 0) return AddSetting(config, block, key, value);
  return config.Bind(col::Value).Set(static_cast<std::size_t>(row), std::string(value));
}

storage::Status AddSetting(storage::View& config, std::string_view block, std::string_view key,
                           std::string_view value) {
  if (config.Add(SettingPattern(block, key).Set(col::Value, std::string(value))) < 0)
    return storage::Status::Error("cannot add a row to GlobalConfigurationTable");
  return storage::Status::Ok();
}

}  // namespace sw::cruisedb
