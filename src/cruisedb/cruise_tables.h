// The tables of an open cruise file, obtained once with descriptions built
// from the file's own DataDictionary, for the converters that read or write
// them all (the Version 7 export, the job and key import).
//
// Not for: the structure updater's slot-based access.
#pragma once

#include <span>
#include <string_view>

#include "storage/storage.h"

namespace sw::cruisedb {

struct CruiseTables {
  storage::View dictionary;
  storage::View cruise;
  storage::View units;           // CuttingUnitTable
  storage::View strata;          // StratumTable
  storage::View counts;          // CountTable
  storage::View plots;           // PlotTable
  storage::View trees;           // TreeTable
  storage::View logs;            // LogTable
  storage::View subpopulations;  // SubPopulationTable
  storage::View volume;          // VolumeEquationTable
  storage::View value;           // ValueEquationTable
  storage::View weight;          // WeightEquationTable
  storage::View quality;         // QAEquationTable
  storage::View message_log;     // MessageLog
  storage::View config;          // GlobalConfigurationTable

  // The view of a table by its name; nullptr for a name not listed above.
  storage::View* ByName(std::string_view table_name);
};

// The order in which the Version 7 export obtains the tables.
std::span<const std::string_view> Version7ExportTables();

// Gets the DataDictionary with its fixed description, then every table named
// in `order` with the description built from it (restructuring stored tables
// whose shape differs). Tables not in `order` stay empty detached views.
storage::Result<CruiseTables> OpenCruiseTables(storage::Storage& storage, std::span<const std::string_view> order);

}  // namespace sw::cruisedb
