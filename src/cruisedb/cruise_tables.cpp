// Obtaining all tables of a cruise file at once.
#include "cruisedb/cruise_tables.h"

#include <array>

#include "cruisedb/columns.h"
#include "cruisedb/dictionary.h"

namespace sw::cruisedb {

storage::View* CruiseTables::ByName(std::string_view name) {
  if (name == table::CruiseTable) return &cruise;
  if (name == table::CuttingUnitTable) return &units;
  if (name == table::StratumTable) return &strata;
  if (name == table::CountTable) return &counts;
  if (name == table::PlotTable) return &plots;
  if (name == table::TreeTable) return &trees;
  if (name == table::LogTable) return &logs;
  if (name == table::SubPopulationTable) return &subpopulations;
  if (name == table::VolumeEquationTable) return &volume;
  if (name == table::ValueEquationTable) return &value;
  if (name == table::WeightEquationTable) return &weight;
  if (name == table::QAEquationTable) return &quality;
  if (name == table::MessageLog) return &message_log;
  if (name == table::GlobalConfigurationTable) return &config;
  if (name == table::DataDictionary) return &dictionary;
  return nullptr;
}

std::span<const std::string_view> Version7ExportTables() {
  static constexpr std::array<std::string_view, 14> kTables{
      table::CruiseTable,        table::StratumTable,        table::CuttingUnitTable,   table::CountTable,
      table::PlotTable,          table::TreeTable,           table::LogTable,           table::SubPopulationTable,
      table::VolumeEquationTable, table::ValueEquationTable, table::WeightEquationTable, table::QAEquationTable,
      table::MessageLog,         table::GlobalConfigurationTable};
  return kTables;
}

storage::Result<CruiseTables> OpenCruiseTables(storage::Storage& storage, std::span<const std::string_view> order) {
  CruiseTables tables;
  auto dictionary = storage.GetAs(kDataDictionaryDescription);
  if (!dictionary) return dictionary.status();
  tables.dictionary = *dictionary;
  for (std::string_view name : order) {
    storage::View* slot = tables.ByName(name);
    if (slot == nullptr) return storage::Status::Error("unknown table " + std::string(name));
    auto view = GetTable(storage, name, tables.dictionary);
    if (!view) return view.status();
    *slot = *view;
  }
  return tables;
}

}  // namespace sw::cruisedb
