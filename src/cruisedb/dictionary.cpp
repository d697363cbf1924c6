// Base dictionary loading and table descriptions for new cruise files.
#include "cruisedb/dictionary.h"

#include <array>
#include <fstream>
#include <vector>

#include "cruisedb/columns.h"
#include "cruisedb/settings.h"

namespace sw::cruisedb {

using storage::Row;
using storage::Status;
using storage::View;

namespace {

bool IsUsedColumn(std::string_view is_used) { return is_used == "Y" || is_used == "M"; }

}  // namespace

void DictionaryLoader::LoadBaseDictionary(View& dictionary_view, int& status,
                                          const std::filesystem::path& base_file_name) {
  error_.clear();
  {
    std::ifstream probe(base_file_name, std::ios::binary);
    if (!probe) {
      status = -1;
      error_ = "cannot open " + base_file_name.string();
      return;
    }
  }
  auto base = storage::Storage::Open(base_file_name, storage::Storage::Mode::ReadOnly);
  if (!base) {
    status = -1;
    error_ = base.status().message();
    return;
  }
  // A base file without a DataDictionary view would give cruise files with
  // an empty schema: refuse it rather than copy nothing.
  if (!base->HasView(table::DataDictionary)) {
    status = -1;
    error_ = base_file_name.string() + " holds no DataDictionary view";
    return;
  }
  auto source = base->GetAs(kDataDictionaryDescription);
  if (!source) {
    status = -1;
    error_ = source.status().message();
    return;
  }
  if (source->Size() == 0) {
    status = -1;
    error_ = base_file_name.string() + " holds no DataDictionary rows";
    return;
  }

  struct Pair {
    int from;
    int to;
  };
  std::vector<Pair> columns;
  for (std::size_t i = 0; i < dictionary_view.ColumnCount(); ++i) {
    int from = source->ColumnIndex(dictionary_view.ColumnAt(i).name);
    if (from >= 0) columns.push_back({from, static_cast<int>(i)});
  }
  for (std::size_t row = 0; row < source->Size(); ++row) {
    long added = dictionary_view.Add();
    if (added < 0) {
      status = -1;
      error_ = "cannot add dictionary rows";
      return;
    }
    for (const Pair& p : columns) {
      Status s = dictionary_view.Set(static_cast<std::size_t>(added), static_cast<std::size_t>(p.to),
                                     source->Get(row, static_cast<std::size_t>(p.from)));
      if (!s) {
        status = -1;
        error_ = s.message();
        return;
      }
    }
  }

  base_version_ = "NO DATE FOUND";
  if (base->HasView(table::GlobalConfigurationTable)) {
    View config = base->GetView(table::GlobalConfigurationTable);
    if (auto version = ReadSetting(config, config::General, config::StructureVersion)) base_version_ = *version;
  }
  // The base file is released without commit.
}

storage::Result<std::string> BuildTableDescription(std::string_view table_name, const View& dictionary_view) {
  std::string description(table_name);
  description += '[';
  auto selected = dictionary_view.Select(Row().Set(col::TableName, std::string(table_name)));
  if (!selected.ok()) return selected.status();
  const View& rows = selected.value();
  auto column_name = rows.Bind(col::ColumnName);
  auto field_type = rows.Bind(col::FieldType);
  auto is_used = rows.Bind(col::IsUsed);
  bool any = false;
  for (std::size_t i = 0; i < rows.Size(); ++i) {
    if (!IsUsedColumn(is_used.Get(i))) continue;
    description += column_name.Get(i);
    description += ':';
    description += field_type.Get(i);
    description += ',';
    any = true;
  }
  // A table without a used column becomes a view without columns.
  if (any) description.back() = ']';
  else description += ']';
  return description;
}

storage::Result<View> GetTable(storage::Storage& storage, std::string_view table_name, const View& dictionary_view) {
  auto built = BuildTableDescription(table_name, dictionary_view);
  if (!built.ok()) return built.status();
  std::string description = std::move(built.value());
  if (table_name == table::WeightEquationTable && description.find("WgtEqSP") == std::string::npos) {
    std::string forced = description.back() == ']' && description[description.size() - 2] == '[' ? "WgtEqSP:S"
                                                                                                   : ",WgtEqSP:S";
    description.insert(description.size() - 1, forced);
  }
  return storage.GetAs(description);
}

std::span<const std::string_view> JobKeyImportTables() {
  static constexpr std::array<std::string_view, 14> kTables{
      table::VolumeEquationTable, table::ValueEquationTable, table::WeightEquationTable, table::QAEquationTable,
      table::GlobalConfigurationTable, table::MessageLog, table::CruiseTable, table::StratumTable,
      table::CuttingUnitTable, table::PlotTable, table::CountTable, table::TreeTable, table::SubPopulationTable,
      table::LogTable};
  return kTables;
}

NewCruiseFile CreateCruiseSchema(storage::Storage& storage, const std::filesystem::path& base_file_name,
                                 std::span<const std::string_view> tables) {
  NewCruiseFile result;
  auto dictionary = storage.GetAs(kDataDictionaryDescription);
  if (!dictionary) {
    result.status = dictionary.status();
    return result;
  }
  DictionaryLoader loader;
  int status = 0;
  loader.LoadBaseDictionary(*dictionary, status, base_file_name);
  if (status == -1) {
    result.status = Status::Error(loader.error());
    return result;
  }
  result.base_version = loader.base_version();
  for (std::string_view table : tables) {
    auto view = GetTable(storage, table, *dictionary);
    if (!view) {
      result.status = view.status();
      return result;
    }
  }
  return result;
}

}  // namespace sw::cruisedb
