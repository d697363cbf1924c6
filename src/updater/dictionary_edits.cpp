// Dictionary edits per structure version.
#include "updater/dictionary_edits.h"

#include <array>

#include "cruisedb/columns.h"

namespace sw::updater {
namespace {

namespace col = cruisedb::col;
namespace table = cruisedb::table;
using cruisedb::CruiseDatabase;

// The order in which tables stand in a dictionary; new rows are placed by it.
constexpr std::array<std::string_view, 13> kCanonicalOrder = {
    table::CruiseTable,        table::CuttingUnitTable,   table::StratumTable,      table::SubPopulationTable,
    table::CountTable,         table::PlotTable,          table::TreeTable,         table::LogTable,
    table::VolumeEquationTable, table::ValueEquationTable, table::WeightEquationTable, table::QAEquationTable,
    table::MessageLog,
};

constexpr std::string_view kOrder1 = "Order1";

// ------------------------------------------------ 01.15.2004 to 10.31.2004 ---

bool From20040115(DictionaryEditor& e) {
  if (e.IsColumnUsed(table::TreeTable, "TotCubicVol")) {
    for (std::string_view column : {"GBDFTVolSP", "NBDFTVolSP", "GBDFTVolRP"}) {
      if (!e.SetColumnUsed(table::TreeTable, column, "Y")) return false;
    }
  }
  if (!e.RenameColumn(table::TreeTable, "ContSpec", col::ContrSpec.name, "")) return false;
  if (!e.RenameDictionaryColumn(table::TreeTable, "ContSpec", col::ContrSpec.name)) return false;
  for (std::string_view column : {col::Plot.name, col::Tree.name}) {
    for (std::string_view field : {"Order2", "Order3", "Order4", "Order5", "Order6", "Order7", "Order8", "Order9",
                                   "Order10", "Order11", "Order12"}) {
      e.SetDictionaryField({table::LogTable, column, field, "0"});
    }
  }
  // A table made from the dictionary row holds the column with its blank; a
  // rebuild has already removed it. Either way the values stay with the row.
  for (std::string_view t : {table::TreeTable, table::PlotTable}) {
    if (!e.RenameColumn(t, "Geospatial Link", "GeospatialLink", "")) return false;
    if (!e.RenameDictionaryColumn(t, "Geospatial Link", "GeospatialLink")) return false;
  }
  return true;
}

// ------------------------------------------------ 10.31.2004 to 04.01.2005 ---

constexpr NewDictionaryRow kRows20050401[] = {
    {table::SubPopulationTable, "DBH", "F", "DBH outside bark", "Y", 5, "0", "120", "Y"},
    {table::SubPopulationTable, "CompoundSelection", "I", "Compound selection", "N", 1, "", "", "N"},
    {table::TreeTable, "UserDef1", "S", "User defined 1", "N", 65, "", "", "Y"},
    {table::TreeTable, "UserDef2", "S", "User defined 2", "N", 65, "", "", "Y"},
    {table::TreeTable, "UserDef3", "S", "User defined 3", "N", 65, "", "", "Y"},
    {table::TreeTable, "CompoundSelection", "I", "Compound selection", "Y", 1, "", "", "N"},
    {table::CountTable, "CompoundSelection", "I", "Compound selection", "N", 1, "", "", "N"},
    {table::PlotTable, "CompoundSelection", "I", "Compound selection", "N", 1, "", "", "N"},
    {table::LogTable, "CompoundSelection", "I", "Compound selection", "N", 1, "", "", "N"},
    {table::CuttingUnitTable, "CompoundSelection", "I", "Compound selection", "N", 1, "", "", "N"},
    {table::StratumTable, "CompoundSelection", "I", "Compound selection", "N", 1, "", "", "N"},
    {table::WeightEquationTable, "WgtEqLiveDead", "S", "Weight Live Dead code", "Y", 1, "", "", "N"},
};

struct Rename {
  std::string_view table;
  std::string_view old_name;
  std::string_view new_name;
};

constexpr Rename kRenames20050401[] = {
    {table::SubPopulationTable, "MerchHtType", "MrchHtT"},
    {table::SubPopulationTable, "MerchHtLogLen", "MrchHtLL"},
    {table::WeightEquationTable, "WgtEqLbsP", "WgtEqFactor"},
    {table::WeightEquationTable, "WgtEqLbsS", "WgtEqPercent"},
};

bool From20041031(DictionaryEditor& e) {
  for (const NewDictionaryRow& row : kRows20050401) {
    // Only the weight equations' live/dead column may already be there.
    const bool added = row.column == col::WgtEqLiveDead.name ? e.AddDictionaryRowIfMissing(row) : e.AddDictionaryRow(row);
    if (!added) return false;
  }
  for (std::string_view t : {table::SubPopulationTable, table::TreeTable, table::WeightEquationTable}) {
    if (!e.Restructure(t)) return false;
  }
  for (const Rename& r : kRenames20050401) {
    if (!e.RenameColumn(r.table, r.old_name, r.new_name, "")) return false;
    if (!e.RenameDictionaryColumn(r.table, r.old_name, r.new_name)) return false;
  }
  return true;
}

// ------------------------------------------------ 04.01.2005 to 02.20.2007 ---

constexpr NewDictionaryRow kWeightRows20070220[] = {
    {table::WeightEquationTable, "WgtEqFactor2", "F", "Weight equation weight factor secondary", "Y", 9, "0",
     "999999.99", "N"},
    {table::WeightEquationTable, "WgtEqPercent2", "F", "Weight equation percent removed secondary", "Y", 9, "0",
     "999999.99", "N"},
};
constexpr NewDictionaryRow kRemarksRow20070220 = {table::CruiseTable, "Remarks", "S", "Remarks", "Y", 100, "", "", "Y"};

constexpr DictionaryFieldEdit kDescriptions20070220[] = {
    {table::WeightEquationTable, "WgtEqFactor", "Description", "Weight equation weight factor primary"},
    {table::WeightEquationTable, "WgtEqPercent", "Description", "Weight equation percent removed primary"},
};
constexpr DictionaryFieldEdit kFields20070220[] = {
    {table::TreeTable, "Stratum", "Order12", "0"},
    {table::TreeTable, "TreeCnt", "DefaultValue", "V1"},
    {table::TreeTable, "CompoundSelection", "IsUsed", "Y"},
};

bool From20050401(DictionaryEditor& e) {
  const std::string structure = e.db().StructureDescription();
  for (const NewDictionaryRow& row : kWeightRows20070220) {
    if (!e.AddDictionaryRowIfMissing(row)) return false;
  }
  if (!e.Restructure(table::WeightEquationTable)) return false;
  for (const DictionaryFieldEdit& edit : kDescriptions20070220) e.SetDictionaryField(edit);
  // A second Remarks row would only shadow the first.
  if (!e.AddDictionaryRowIfMissing(kRemarksRow20070220)) return false;
  for (std::string_view t : {table::CruiseTable, table::MessageLog}) {
    if (structure.find(t) != std::string::npos && !e.Restructure(t)) return false;
  }
  if (e.db().RewriteAllFields(table::DataDictionary) != 0) return false;
  for (const DictionaryFieldEdit& edit : kFields20070220) e.SetDictionaryField(edit);
  return true;
}

// ------------------------------------------------ 02.20.2007 to 2008.12.19 ---

constexpr DictionaryFieldEdit kSortOrders20081219[] = {
    {table::SubPopulationTable, "UOMS", "Order1", "0"},
    {table::TreeTable, "TreeCnt", "Order8", "4", true},
    {table::TreeTable, "KPI", "Order8", "0"},
    {table::TreeTable, "3Pcode", "Order8", "0"},
    {table::TreeTable, "SDefP", "Order8", "0"},
    {table::TreeTable, "LD", "Order8", "0"},
    {table::TreeTable, "DBH", "Order8", "3"},
    {table::TreeTable, "TotHt", "Order8", "0"},
    {table::TreeTable, "CM", "Order7", "8", true},
    {table::TreeTable, "KPI", "Order7", "9", true},
    {table::CountTable, "Freq", "Order7", "7", true},
    {table::CountTable, "SumKPI", "Order7", "0"},
};
constexpr NewDictionaryRow kTallySetupRow = {table::StratumTable, "Tally_Setup", "S", "Tally Setup", "Y", 0, "", "", "Y"};

bool From20070220(DictionaryEditor& e) {
  for (const DictionaryFieldEdit& edit : kSortOrders20081219) e.SetDictionaryField(edit);
  if (!e.AddDictionaryRowIfMissing(kTallySetupRow)) return false;
  // The stored values move with the name, so that the rebuild below keeps
  // them under MetaData.
  for (std::string_view t : {table::TreeTable, table::PlotTable}) {
    if (!e.HasDictionaryRow(t, col::MetaData.name) && !e.RenameColumn(t, "GeospatialLink", col::MetaData.name, "S")) {
      return false;
    }
    e.SetDictionaryField({t, col::MetaData.name, "Description", "MetaData"});
  }
  for (std::string_view column : {col::MetaData.name, col::XCoord.name, col::YCoord.name, col::ZCoord.name}) {
    if (!e.SetColumnUsed(table::TreeTable, column, "Y")) return false;
  }
  e.SetDictionaryField({table::PlotTable, col::SlopePct.name, "FieldType", "F"});
  return e.Restructure(table::TreeTable) && e.Restructure(table::PlotTable);
}

// ------------------------------------------------ 2008.12.19 to 2010.03.18 ---

constexpr NewDictionaryRow kRows20100318[] = {
    {table::WeightEquationTable, "BioPr", "S", "Biomass product", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioEqFol", "I", "Biomass equation foliage", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioMoistFol", "F", "Biomass moisture foliage", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioRemvFol", "F", "Biomass removed foliage", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioEqLBr", "I", "Biomass equation live branches", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioMoistLBr", "F", "Biomass moisture live branches", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioRemvLBr", "F", "Biomass removed live branches", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioEqDBr", "I", "Biomass equation dead branches", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioMoistDBr", "F", "Biomass moisture dead branches", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioRemvDBr", "F", "Biomass removed dead branches", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioEqTotTree", "I", "Biomass equation total tree", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioMoistTotTree", "F", "Biomass moisture total tree", "Y", 0, "", "", "N"},
    {table::WeightEquationTable, "BioRemvTotTree", "F", "Biomass removed total tree", "Y", 0, "", "", "N"},
    {table::TreeTable, "WgtPP", "D", "Primary product weight", "Y", 7, "", "", "N"},
    {table::TreeTable, "WgtSP", "D", "Secondary product weight", "Y", 7, "", "", "N"},
    {table::TreeTable, "BioPr", "S", "Biomass Product", "Y", 2, "", "", "N"},
    {table::TreeTable, "WgtBAT", "D", "Biomass total stem", "Y", 7, "", "", "N"},
    {table::TreeTable, "WgtBBL", "D", "Biomass live branches", "Y", 7, "", "", "N"},
    {table::TreeTable, "WgtBBD", "D", "Biomass dead branches", "Y", 7, "", "", "N"},
    {table::TreeTable, "WgtBFT", "D", "Biomass foliage", "Y", 7, "", "", "N"},
};

bool From20081219(DictionaryEditor& e) {
  for (const NewDictionaryRow& row : kRows20100318) {
    if (!e.AddDictionaryRowIfMissing(row)) return false;
  }
  return e.Restructure(table::TreeTable) && e.Restructure(table::WeightEquationTable);
}

constexpr VersionStep kChain[] = {
    {"01.15.2004", "10.31.2004", From20040115}, {"10.31.2004", "04.01.2005", From20041031},
    {"04.01.2005", "02.20.2007", From20050401}, {"02.20.2007", "2008.12.19", From20070220},
    {"2008.12.19", "2010.03.18", From20081219},
};

}  // namespace

std::span<const VersionStep> VersionChain() { return kChain; }
std::span<const NewDictionaryRow> RowsAddedIn20050401() { return kRows20050401; }
std::span<const NewDictionaryRow> RowsAddedIn20100318() { return kRows20100318; }

// ------------------------------------------------------------------ editor ---

DictionaryEditor::DictionaryEditor(CruiseDatabase& db) : db_(db) {
  int slot = -1;
  slot_ = db_.HasView(table::DataDictionary, &slot) ? slot : db_.OpenView(table::DataDictionary);
}

std::vector<std::size_t> DictionaryEditor::Rows(std::string_view table, std::string_view column) {
  std::vector<std::size_t> rows;
  storage::View* dictionary = db_.SlotView(slot_);
  if (dictionary == nullptr) return rows;
  auto selected = dictionary->Select(
      storage::Row().Set(col::TableName, std::string(table)).Set(col::ColumnName, std::string(column)));
  if (!selected.ok()) return rows;
  const storage::View found = selected.value();
  for (std::size_t r = 0; r < found.Size(); ++r) rows.push_back(found.BaseIndex(r));
  return rows;
}

bool DictionaryEditor::IsColumnUsed(std::string_view table, std::string_view column) {
  const std::vector<std::size_t> rows = Rows(table, column);
  if (rows.empty()) return false;
  std::string used;
  db_.GetString(slot_, rows.front(), db_.ColumnIndex(slot_, col::IsUsed.name), &used);
  return used != "N" && used != "n";
}

bool DictionaryEditor::HasDictionaryRow(std::string_view table, std::string_view column) {
  return !Rows(table, column).empty();
}

bool DictionaryEditor::SetColumnUsed(std::string_view table, std::string_view column, std::string_view value) {
  SetDictionaryField({table, column, col::IsUsed.name, value});
  return db_.Commit() == 0;
}

void DictionaryEditor::SetDictionaryField(const DictionaryFieldEdit& edit) {
  const int field = db_.ColumnIndex(slot_, edit.field);
  if (field < 0) return;
  for (std::size_t row : Rows(edit.table, edit.column)) {
    if (edit.only_when_zero) {
      std::int64_t current = 0;
      db_.GetLong(slot_, row, field, &current);
      if (current != 0) continue;
    }
    db_.SetString(slot_, row, field, edit.value);
  }
}

bool DictionaryEditor::AddDictionaryRow(const NewDictionaryRow& row) {
  storage::View* dictionary = db_.SlotView(slot_);
  if (dictionary == nullptr) return false;
  const int name_col = dictionary->ColumnIndex(col::TableName.name);
  auto first_and_last = [&](std::string_view t) {
    long first = -1;
    long last = -1;
    for (std::size_t r = 0; r < dictionary->Size(); ++r) {
      if (storage::EqualText(dictionary->GetText(r, static_cast<std::size_t>(name_col)), t)) {
        if (first < 0) first = static_cast<long>(r);
        last = static_cast<long>(r);
      }
    }
    return std::pair<long, long>(first, last);
  };
  std::size_t position = dictionary->Size();
  if (const long last = first_and_last(row.table).second; last >= 0) {
    position = static_cast<std::size_t>(last + 1);
  } else {
    bool after = false;
    for (std::string_view t : kCanonicalOrder) {
      if (storage::EqualText(t, row.table)) {
        after = true;
      } else if (after) {
        if (const long first = first_and_last(t).first; first >= 0) {
          position = static_cast<std::size_t>(first);
          break;
        }
      }
    }
  }
  storage::Row values;
  values.Set(col::TableName, std::string(row.table))
      .Set(col::FieldType, std::string(row.field_type))
      .Set(col::Description, std::string(row.description))
      .Set(col::ColumnName, std::string(row.column))
      .Set(col::IsUsed, std::string(row.is_used))
      .Set(col::Length, static_cast<std::int32_t>(row.length))
      .Set(col::Min, std::string(row.min))
      .Set(col::Max, std::string(row.max))
      .Set(col::FieldEdit, std::string(row.field_edit));
  return dictionary->InsertAt(position, values).ok();
}

bool DictionaryEditor::AddDictionaryRowIfMissing(const NewDictionaryRow& row) {
  return HasDictionaryRow(row.table, row.column) || AddDictionaryRow(row);
}

bool DictionaryEditor::RenameColumn(std::string_view table, std::string_view old_name, std::string_view new_name,
                                    std::string_view type_letter) {
  return db_.RenameColumn(table, old_name, new_name, type_letter) != CruiseDatabase::kRenameNotWritten;
}

bool DictionaryEditor::RenameDictionaryColumn(std::string_view table, std::string_view old_name,
                                              std::string_view new_name) {
  const std::vector<std::size_t> rows = Rows(table, old_name);
  if (rows.size() != 1) return true;
  db_.SetString(slot_, rows.front(), db_.ColumnIndex(slot_, col::ColumnName.name), new_name);
  return db_.Commit() == 0;
}

bool DictionaryEditor::Restructure(std::string_view table) { return db_.RestructureView(table, kOrder1) != -3; }

}  // namespace sw::updater
