// Cruise files and base dictionaries as older programs wrote them, built
// through the storage engine: one shape per structure version, with a few
// realistic rows in every table. Shared by the updater, application and
// command-line tests.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cruisedb/columns.h"
#include "storage/storage.h"

namespace sw::test {

// The structure versions of the chain, oldest first; the last is current.
inline const std::vector<std::string>& StructureVersions() {
  static const std::vector<std::string> versions = {"01.15.2004", "10.31.2004", "04.01.2005",
                                                    "02.20.2007", "2008.12.19", "2010.03.18"};
  return versions;
}

struct OldColumn {
  std::string name;  // the dictionary's ColumnName (may hold a blank)
  char type;
  std::string used;
  int order1;
  std::vector<std::string> values;  // one per row, as text
  std::string description;
};

struct OldTable {
  std::string name;
  std::vector<OldColumn> columns;
  std::size_t rows = 0;
  // Columns stored in the table without a dictionary row.
  std::vector<OldColumn> undescribed = {};
};

// The tables of a file at structure version index `era` (0 = "01.15.2004").
inline std::vector<OldTable> OldTables(int era) {
  auto C = [](std::string name, char type, std::vector<std::string> values, std::string used = "Y", int order = 0) {
    return OldColumn{std::move(name), type, std::move(used), order, std::move(values), ""};
  };
  std::vector<OldTable> t;
  t.push_back({"CruiseTable",
               {C("SaleNo", 'S', {"12345"}), C("CruiseNo", 'S', {"07"}), C("SaleName", 'S', {"BEAR CREEK"}),
                C("Region", 'S', {"06"}), C("Forest", 'S', {"12"}), C("District", 'S', {"03"}),
                C("CalYear", 'S', {"2004"})},
               1});
  if (era >= 3) t.back().columns.push_back(C("Remarks", 'S', {"thinning"}));
  t.push_back({"CuttingUnitTable",
               {C("CutUnit", 'S', {"1", "2"}), C("Area", 'D', {"40.25", "123.5"}),
                C("Description", 'S', {"north", "south ridge"}), C("LogMeth", 'S', {"TRK", "HEL"}),
                C("PayUnit", 'S', {"A", "B"}), C("Error", 'I', {"0", "0"})},
               2});
  t.push_back({"StratumTable",
               {C("Stratum", 'S', {"01", "02"}), C("Description", 'S', {"DF mature", "PP young"}),
                C("CruzMeth", 'S', {"PCM", "STR"}), C("BAF", 'D', {"20", "0"}), C("FPSize", 'D', {"0", "0.1"}),
                C("Month", 'I', {"6", "7"}), C("Year", 'I', {"2003", "2003"}), C("Units", 'S', {"1,2", "2"})},
               2});
  t.push_back({"SubPopulationTable",
               {C("Stratum", 'S', {"01", "02"}), C("SG", 'S', {"1", "2"}), C("Sp", 'S', {"202", "122"}),
                C("UOMP", 'S', {"01", "03"}), C("UOMS", 'S', {"01", "01"}), C("Freq", 'I', {"5", "0"}),
                C("KZ", 'I', {"0", "120"}), C(era < 2 ? "MerchHtType" : "MrchHtT", 'S', {"F", "L"}),
                C(era < 2 ? "MerchHtLogLen" : "MrchHtLL", 'I', {"16", "32"}), C("AvgZForm", 'D', {"0.75", "0.8125"})},
               2});
  t.push_back({"CountTable",
               {C("CutUnit", 'S', {"1", "2"}), C("Stratum", 'S', {"01", "02"}), C("SG", 'S', {"1", "2"}),
                C("Sp", 'S', {"202", "122"}), C("Freq", 'I', {"5", "0"}), C("KZ", 'I', {"0", "120"}),
                C("Count", 'L', {"37", "500"}), C("SumKPI", 'L', {"0", "98765"})},
               2});
  const std::string link = era == 0 ? "Geospatial Link" : era < 4 ? "GeospatialLink" : "MetaData";
  t.push_back({"PlotTable",
               {C("Stratum", 'S', {"01", "01", "02"}), C("CutUnit", 'S', {"1", "1", "2"}),
                C("Plot", 'S', {"1", "2", "1"}), C("SlopePct", era < 4 ? 'I' : 'F', {"12", "-7", "45"}),
                C("Aspect", 'I', {"180", "90", "270"}), C(link, 'S', {"N45.1 W122.3", "", "gps lost"}),
                C("Remark", 'S', {"rocky", "", "wet"})},
               3});
  t.push_back({"TreeTable",
               {C("Stratum", 'S', {"01", "01", "02"}), C("CutUnit", 'S', {"1", "1", "2"}),
                C("Plot", 'S', {"1", "2", "1"}), C("Tree", 'S', {"1", "1", "3"}), C("Sp", 'S', {"202", "202", "122"}),
                C("TreeCnt", 'F', {"1", "2.5", "1"}), C("KPI", 'L', {"0", "0", "120"}),
                C("3Pcode", 'S', {"", "", "Y"}), C("SDefP", 'F', {"10", "0", "5.5"}), C("LD", 'S', {"L", "L", "D"}),
                C("CM", 'S', {"M", "C", "M"}), C("DBH", 'F', {"18.5", "22", "9.25"}),
                C("TotHt", 'F', {"110", "125.5", "60"}), C(era == 0 ? "ContSpec" : "ContrSpec", 'S', {"A", "", "B"}),
                C("TotCubicVol", 'D', {"85.125", "120.5", "12"}),
                C("GBDFTVolSP", 'D', {"1", "2", "3"}, era == 0 ? "N" : "Y"),
                C("NBDFTVolSP", 'D', {"4", "5", "6"}, era == 0 ? "N" : "Y"),
                C("GBDFTVolRP", 'D', {"7", "8", "9"}, era == 0 ? "N" : "Y"),
                C("XCoord", 'S', {"1", "2", "3"}, era < 4 ? "N" : "Y"),
                C("YCoord", 'S', {"4", "5", "6"}, era < 4 ? "N" : "Y"),
                C("ZCoord", 'S', {"7", "8", "9"}, era < 4 ? "N" : "Y"), C(link, 'S', {"photo 1", "", "photo 3"}),
                // A used column ordered before all others by a negative order.
                C("Remarks", 'S', {"fork at 30", "", "broken top"}, "Y", -1)},
               3});
  if (era >= 2) {
    for (const char* name : {"UserDef1", "UserDef2", "UserDef3"}) t.back().columns.push_back(C(name, 'S', {}, "N"));
    t.back().columns.push_back(C("CompoundSelection", 'I', {"0", "1", "0"}));
  }
  t.push_back({"LogTable",
               {C("Stratum", 'S', {"01", "01", "02"}), C("CutUnit", 'S', {"1", "1", "2"}),
                C("Plot", 'S', {"1", "1", "1"}), C("Tree", 'S', {"1", "1", "3"}), C("LogNum", 'S', {"1", "2", "1"}),
                C("Grade", 'S', {"2", "3", "1"}), C("Length", 'I', {"32", "16", "40"}),
                C("GBDFT", 'D', {"210.5", "90", "400.25"}), C("NCUFT", 'D', {"45.5", "20", "80"}),
                C("Value", 'F', {"125.5", "60", "300"})},
               3});
  t.push_back({"VolumeEquationTable",
               {C("VolEqSpecie", 'S', {"202", "122"}), C("VolEqPP", 'S', {"01", "01"}),
                C("VolEqNum", 'S', {"I00FW2W202", "I00FW2W122"}), C("VolEqStump", 'F', {"1", "0.5"}),
                C("VolEqTopDIBP", 'F', {"6", "5"})},
               2});
  t.push_back({"ValueEquationTable",
               {C("ValEqSpecie", 'S', {"202"}), C("ValEqPP", 'S', {"01"}), C("ValEqNum", 'S', {"1"}),
                C("ValEqCoef1", 'F', {"3.5"})},
               1});
  t.push_back({"WeightEquationTable",
               {C("WgtEqSpecie", 'S', {"202", "122"}), C("WgtEqPP", 'S', {"01", "01"}),
                C("WgtEqNum", 'S', {"1", "2"}), C(era < 2 ? "WgtEqLbsP" : "WgtEqFactor", 'F', {"62.5", "58"}),
                C(era < 2 ? "WgtEqLbsS" : "WgtEqPercent", 'F', {"100", "87.5"})},
               2,
               {C("WgtEqSP", 'S', {"DF", "PP"})}});
  if (era >= 1) t.back().columns.push_back(C("WgtEqLiveDead", 'S', {"L", "D"}));
  if (era >= 3) {
    t.back().columns.push_back(C("WgtEqFactor2", 'F', {"0", "12.25"}));
    t.back().columns.push_back(C("WgtEqPercent2", 'F', {"0", "50"}));
  }
  t.push_back({"QAEquationTable",
               {C("QAEqSpecie", 'S', {"202"}), C("QAEqNum", 'S', {"7"}), C("QAEqYear", 'I', {"2003"}),
                C("QAEqCoef1", 'F', {"1.5"})},
               1});
  t.push_back({"MessageLog",
               {C("MsgNum", 'S', {"26"}), C("Msg", 'S', {"Job and Key files converted to Cruise File"}),
                C("Date", 'S', {" 3/ 4/2004"}), C("Time", 'S', {"10: 5"}), C("Level", 'S', {"I"}),
                C("Note", 'S', {""}), C("Program", 'S', {"Processing"})},
               1});
  if (era >= 2) {
    for (const char* table : {"SubPopulationTable", "CountTable", "PlotTable", "LogTable", "CuttingUnitTable",
                              "StratumTable"}) {
      for (OldTable& x : t) {
        if (x.name == table) x.columns.push_back(C("CompoundSelection", 'I', {}, "N"));
      }
    }
    for (OldTable& x : t) {
      if (x.name == "SubPopulationTable") x.columns.push_back(C("DBH", 'F', {"12", "8.5"}));
    }
  }
  if (era >= 4) {
    for (OldTable& x : t) {
      if (x.name == "StratumTable") x.columns.push_back(C("Tally_Setup", 'S', {"", "by SG"}));
    }
  }
  // Order1 is the position in the table, unless a column sets its own.
  for (OldTable& table : t) {
    int position = 0;
    for (OldColumn& c : table.columns) {
      ++position;
      if (c.order1 == 0) c.order1 = position;
      if (c.description.empty()) c.description = c.name + " of " + table.name;
    }
  }
  return t;
}

inline std::string StoredName(std::string name) {
  std::string out;
  for (char c : name) {
    if (c != ' ') out += c;
  }
  return out;
}

// Writes a file of structure version index `era`. A base dictionary holds
// only the DataDictionary and the configuration table.
inline storage::Status WriteOldFile(const std::filesystem::path& path, int era, bool base_dictionary = false) {
  auto opened = storage::Storage::Open(path, storage::Storage::Mode::ReadWrite);
  if (!opened.ok()) return opened.status();
  storage::Storage& file = opened.value();
  auto dict = file.GetAs(cruisedb::kDataDictionaryDescription);
  if (!dict.ok()) return dict.status();
  const std::vector<OldTable> tables = OldTables(era);
  const bool old_config = era == 0;
  const std::vector<std::string> config_columns =
      old_config ? std::vector<std::string>{"sBlock", "sKey", "sValue"} : std::vector<std::string>{"Block", "Key", "Value"};
  for (const std::string& c : config_columns) {
    storage::Row row;
    row.Set(cruisedb::col::TableName, "GlobalConfigurationTable").Set(cruisedb::col::ColumnName, c);
    row.Set(cruisedb::col::FieldType, "S").Set(cruisedb::col::IsUsed, "Y").Set(cruisedb::col::Description, c);
    dict->Add(row);
  }
  for (const OldTable& table : tables) {
    for (const OldColumn& c : table.columns) {
      storage::Row row;
      row.Set(cruisedb::col::TableName, table.name)
          .Set(cruisedb::col::FieldType, std::string(1, c.type))
          .Set(cruisedb::col::Description, c.description)
          .Set(cruisedb::col::ColumnName, c.name)
          .Set(cruisedb::col::IsUsed, c.used)
          .Set(cruisedb::col::Length, std::int32_t{8})
          .Set(cruisedb::col::Order1, std::int32_t{c.order1});
      // The log's plot and tree rows carried further sort orders once.
      if (era == 0 && table.name == "LogTable" && (c.name == "Plot" || c.name == "Tree")) {
        for (const char* o : {"Order2", "Order5", "Order12"}) row.Set(o, std::int32_t{3});
      }
      if (table.name == "TreeTable" && c.name == "Stratum") row.Set("Order12", std::int32_t{1});
      if (table.name == "TreeTable" && c.name == "TreeCnt") row.Set("Order8", std::int32_t{era == 3 ? 2 : 0});
      dict->Add(row);
    }
  }
  auto config = file.GetAs("GlobalConfigurationTable[" + config_columns[0] + ":S," + config_columns[1] + ":S," +
                           config_columns[2] + ":S]");
  if (!config.ok()) return config.status();
  const std::string version = StructureVersions()[static_cast<std::size_t>(era)];
  for (const auto& [block, key, value] :
       std::vector<std::array<std::string, 3>>{{"General", "StructureVersion", version},
                                                {"General", "Setup", "CruiseDefault.stp"},
                                                {"Processing", "Region Number", "06"},
                                                {"Processing", "Reports", "A1"}}) {
    config->Add(storage::Row().Set(config_columns[0], block).Set(config_columns[1], key).Set(config_columns[2], value));
  }
  if (!base_dictionary) {
    for (const OldTable& table : tables) {
      std::string description = table.name + "[";
      std::vector<const OldColumn*> stored;
      for (const OldColumn& c : table.columns) {
        if (c.used == "Y" || c.used == "M") stored.push_back(&c);
      }
      for (const OldColumn& c : table.undescribed) stored.push_back(&c);
      for (const OldColumn* c : stored) {
        if (description.back() != '[') description += ",";
        description += c->name + ":" + std::string(1, c->type);
      }
      auto view = file.GetAs(description + "]");
      if (!view.ok()) return view.status();
      for (std::size_t r = 0; r < table.rows; ++r) view->Add();
      for (const OldColumn* c : stored) {
        const int index = view->ColumnIndex(c->name);
        for (std::size_t r = 0; r < c->values.size() && r < table.rows; ++r) {
          storage::Status st = view->Set(r, static_cast<std::size_t>(index), c->values[r]);
          if (!st.ok()) return st;
        }
      }
    }
  }
  return file.Commit();
}

// The rows of a table, each as column name -> text.
inline std::vector<std::map<std::string, std::string>> ReadRows(const storage::View& view) {
  std::vector<std::map<std::string, std::string>> rows(view.Size());
  for (std::size_t r = 0; r < view.Size(); ++r) {
    for (std::size_t c = 0; c < view.ColumnCount(); ++c) rows[r][view.ColumnAt(c).name] = view.GetText(r, c);
  }
  return rows;
}

}  // namespace sw::test
