// Each structure step on a file of its version: the whole DataDictionary
// afterwards equals the one before with exactly the step's rows added and
// fields changed, and the stored tables follow.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "cruisedb/columns.h"
#include "support/temp_dir.h"
#include "updater/dictionary_edits.h"
#include "updater/old_cruise_files.h"
#include "updater/structure_updater.h"

namespace sw::updater {
namespace {

namespace fs = std::filesystem;
using storage::Storage;
using Rows = std::vector<std::map<std::string, std::string>>;

Rows Read(const fs::path& path, std::string_view table) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  EXPECT_TRUE(file.ok());
  return test::ReadRows(file->GetView(table));
}

std::string Describe(const fs::path& path, std::string_view table) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  return file->GetView(table).Describe();
}

// The dictionary rows a test expects, edited like the step edits the file.
class ExpectedDictionary {
 public:
  explicit ExpectedDictionary(Rows rows) : rows_(std::move(rows)) {}

  std::map<std::string, std::string>& Row(std::string_view table, std::string_view column) {
    for (auto& row : rows_) {
      if (row.at("TableName") == table && row.at("ColumnName") == column) return row;
    }
    ADD_FAILURE() << "no dictionary row " << table << "." << column;
    static std::map<std::string, std::string> none;
    return none;
  }
  void Set(std::string_view table, std::string_view column, std::string_view field, std::string value) {
    Row(table, column)[std::string(field)] = std::move(value);
  }
  // A new row directly after the table's last row.
  void Add(const NewDictionaryRow& r) {
    std::map<std::string, std::string> row = rows_.front();
    for (auto& [k, v] : row) v = k.rfind("Order", 0) == 0 ? "0" : "";
    row["TableName"] = r.table;
    row["ColumnName"] = r.column;
    row["FieldType"] = r.field_type;
    row["Description"] = r.description;
    row["IsUsed"] = r.is_used;
    row["Length"] = std::to_string(r.length);
    row["Min"] = r.min;
    row["Max"] = r.max;
    row["FieldEdit"] = r.field_edit;
    auto last = std::find_if(rows_.rbegin(), rows_.rend(), [&](const auto& x) { return x.at("TableName") == r.table; });
    ASSERT_NE(last, rows_.rend()) << r.table;
    rows_.insert(last.base(), row);
  }
  const Rows& rows() const { return rows_; }

 private:
  Rows rows_;
};

class StepTest : public ::testing::Test {
 protected:
  // A file at structure version index `era`, its dictionary before the step.
  fs::path Make(int era) {
    path_ = dir_ / "sale.crz";
    EXPECT_TRUE(test::WriteOldFile(path_, era).ok());
    era_ = era;
    return path_;
  }
  // Runs exactly the step from the file's version to the next.
  void RunStep() {
    StructureUpdater updater("forester", "ranger-pc");
    updater.set_backup_folder(dir_.path());
    ASSERT_EQ(updater.Update(path_, test::StructureVersions()[era_ + 1]), StructureUpdater::kUpdated)
        << updater.detail();
    EXPECT_EQ(Read(path_, "GlobalConfigurationTable")[0].at("Value"), test::StructureVersions()[era_ + 1]);
  }
  void ExpectDictionary(const ExpectedDictionary& expected) {
    const Rows actual = Read(path_, "DataDictionary");
    ASSERT_EQ(actual.size(), expected.rows().size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
      EXPECT_EQ(actual[i], expected.rows()[i]) << "dictionary row " << i;
    }
  }

  test::TempDir dir_;
  fs::path path_;
  int era_ = 0;
};

TEST_F(StepTest, From20040115) {
  Make(0);
  ExpectedDictionary expected(Read(path_, "DataDictionary"));
  RunStep();
  // The configuration columns of the oldest files take their current names.
  for (const char* c : {"Block", "Key", "Value"}) {
    expected.Set("GlobalConfigurationTable", std::string("s") + c, "ColumnName", c);
  }
  for (const char* c : {"GBDFTVolSP", "NBDFTVolSP", "GBDFTVolRP"}) expected.Set("TreeTable", c, "IsUsed", "Y");
  expected.Set("TreeTable", "ContSpec", "ColumnName", "ContrSpec");
  for (const char* c : {"Plot", "Tree"}) {
    for (int o = 2; o <= 12; ++o) expected.Set("LogTable", c, "Order" + std::to_string(o), "0");
  }
  expected.Set("TreeTable", "Geospatial Link", "ColumnName", "GeospatialLink");
  expected.Set("PlotTable", "Geospatial Link", "ColumnName", "GeospatialLink");
  ExpectDictionary(expected);

  // Values stay with the renamed columns; the volume columns switched on
  // come into the table with the rebuild.
  const Rows trees = Read(path_, "TreeTable");
  EXPECT_EQ(trees[0].at("ContrSpec"), "A");
  EXPECT_EQ(trees[2].at("ContrSpec"), "B");
  EXPECT_EQ(trees[0].at("GeospatialLink"), "photo 1");
  EXPECT_EQ(trees[2].at("GeospatialLink"), "photo 3");
  EXPECT_EQ(trees[1].count("GBDFTVolSP"), 1u);
  EXPECT_EQ(Read(path_, "PlotTable")[0].at("GeospatialLink"), "N45.1 W122.3");
  EXPECT_EQ(Read(path_, "PlotTable")[2].at("GeospatialLink"), "gps lost");
  EXPECT_EQ(Describe(path_, "GlobalConfigurationTable"), "Block:S,Key:S,Value:S");
}

TEST_F(StepTest, From20040115WithTheTotalVolumeUnused) {
  Make(0);
  {
    auto file = Storage::Open(path_, Storage::Mode::ReadWrite);
    storage::View dict = file->GetView("DataDictionary");
    const long row = dict.Find(storage::Row().Set("TableName", "TreeTable").Set("ColumnName", "TotCubicVol"));
    ASSERT_TRUE(dict.Set(static_cast<std::size_t>(row), dict.ColumnIndex("IsUsed"), std::string("N")).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  RunStep();
  ExpectedDictionary after(Read(path_, "DataDictionary"));
  for (const char* c : {"GBDFTVolSP", "NBDFTVolSP", "GBDFTVolRP"}) EXPECT_EQ(after.Row("TreeTable", c).at("IsUsed"), "N");
}

TEST_F(StepTest, From20041031) {
  Make(1);
  ExpectedDictionary expected(Read(path_, "DataDictionary"));
  RunStep();
  for (const NewDictionaryRow& row : RowsAddedIn20050401()) {
    if (row.column != "WgtEqLiveDead") expected.Add(row);  // the file has it already
  }
  expected.Set("SubPopulationTable", "MerchHtType", "ColumnName", "MrchHtT");
  expected.Set("SubPopulationTable", "MerchHtLogLen", "ColumnName", "MrchHtLL");
  expected.Set("WeightEquationTable", "WgtEqLbsP", "ColumnName", "WgtEqFactor");
  expected.Set("WeightEquationTable", "WgtEqLbsS", "ColumnName", "WgtEqPercent");
  ExpectDictionary(expected);

  const Rows pops = Read(path_, "SubPopulationTable");
  EXPECT_EQ(pops[0].at("MrchHtT"), "F");
  EXPECT_EQ(pops[1].at("MrchHtT"), "L");
  EXPECT_EQ(pops[0].at("MrchHtLL"), "16");
  EXPECT_EQ(pops[1].at("MrchHtLL"), "32");
  EXPECT_EQ(pops[0].count("MerchHtType"), 0u);
  EXPECT_EQ(pops[0].at("DBH"), "0");  // new column, default value
  const Rows weights = Read(path_, "WeightEquationTable");
  EXPECT_EQ(weights[0].at("WgtEqFactor"), "62.5");
  EXPECT_EQ(weights[1].at("WgtEqPercent"), "87.5");
  EXPECT_EQ(weights[1].at("WgtEqSP"), "PP");  // kept by every rebuild
  EXPECT_EQ(weights[1].at("WgtEqLiveDead"), "D");
  EXPECT_EQ(Read(path_, "TreeTable")[1].at("CompoundSelection"), "0");
}

TEST_F(StepTest, From20050401) {
  Make(2);
  ExpectedDictionary want(Read(path_, "DataDictionary"));
  RunStep();
  want.Add({"WeightEquationTable", "WgtEqFactor2", "F", "Weight equation weight factor secondary", "Y", 9, "0",
            "999999.99", "N"});
  want.Add({"WeightEquationTable", "WgtEqPercent2", "F", "Weight equation percent removed secondary", "Y", 9, "0",
            "999999.99", "N"});
  want.Set("WeightEquationTable", "WgtEqFactor", "Description", "Weight equation weight factor primary");
  want.Set("WeightEquationTable", "WgtEqPercent", "Description", "Weight equation percent removed primary");
  want.Add({"CruiseTable", "Remarks", "S", "Remarks", "Y", 100, "", "", "Y"});
  want.Set("TreeTable", "Stratum", "Order12", "0");
  want.Set("TreeTable", "TreeCnt", "DefaultValue", "V1");
  want.Set("TreeTable", "CompoundSelection", "IsUsed", "Y");
  ExpectDictionary(want);

  EXPECT_EQ(Read(path_, "CruiseTable")[0].at("Remarks"), "");
  EXPECT_EQ(Read(path_, "CruiseTable")[0].at("SaleName"), "BEAR CREEK");
  const Rows weights = Read(path_, "WeightEquationTable");
  EXPECT_EQ(weights[0].at("WgtEqFactor2"), "0");
  EXPECT_EQ(weights[1].at("WgtEqFactor"), "58");
}

TEST_F(StepTest, From20070220) {
  Make(3);
  ExpectedDictionary expected(Read(path_, "DataDictionary"));
  RunStep();
  expected.Set("SubPopulationTable", "UOMS", "Order1", "0");
  // TreeCnt's Order8 is 2 in this file and stays so.
  for (const char* c : {"KPI", "3Pcode", "SDefP", "LD", "TotHt"}) expected.Set("TreeTable", c, "Order8", "0");
  expected.Set("TreeTable", "DBH", "Order8", "3");
  expected.Set("TreeTable", "CM", "Order7", "8");
  expected.Set("TreeTable", "KPI", "Order7", "9");
  expected.Set("CountTable", "Freq", "Order7", "7");
  expected.Set("CountTable", "SumKPI", "Order7", "0");
  expected.Add({"StratumTable", "Tally_Setup", "S", "Tally Setup", "Y", 0, "", "", "Y"});
  for (const char* t : {"TreeTable", "PlotTable"}) {
    expected.Set(t, "GeospatialLink", "Description", "MetaData");
    expected.Set(t, "GeospatialLink", "ColumnName", "MetaData");
  }
  for (const char* c : {"MetaData", "XCoord", "YCoord", "ZCoord"}) expected.Set("TreeTable", c, "IsUsed", "Y");
  expected.Set("PlotTable", "SlopePct", "FieldType", "F");
  ExpectDictionary(expected);

  // The link values move to MetaData; slopes become floating point.
  const Rows plots = Read(path_, "PlotTable");
  EXPECT_EQ(plots[0].at("MetaData"), "N45.1 W122.3");
  EXPECT_EQ(plots[2].at("MetaData"), "gps lost");
  EXPECT_EQ(plots[0].count("GeospatialLink"), 0u);
  EXPECT_NE(Describe(path_, "PlotTable").find("SlopePct:F"), std::string::npos);
  EXPECT_EQ(plots[0].at("SlopePct"), "12");
  EXPECT_EQ(plots[1].at("SlopePct"), "-7");
  EXPECT_EQ(plots[2].at("SlopePct"), "45");
  const Rows trees = Read(path_, "TreeTable");
  EXPECT_EQ(trees[0].at("MetaData"), "photo 1");
  EXPECT_EQ(trees[2].at("MetaData"), "photo 3");
  EXPECT_EQ(trees[0].at("XCoord"), "");  // switched on now, empty
}

TEST_F(StepTest, From20070220SetsAZeroTreeCountOrder) {
  Make(3);
  {
    auto file = Storage::Open(path_, Storage::Mode::ReadWrite);
    storage::View dict = file->GetView("DataDictionary");
    const long row = dict.Find(storage::Row().Set("TableName", "TreeTable").Set("ColumnName", "TreeCnt"));
    ASSERT_TRUE(dict.Set(static_cast<std::size_t>(row), dict.ColumnIndex("Order8"), std::int32_t{0}).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  RunStep();
  ExpectedDictionary after(Read(path_, "DataDictionary"));
  EXPECT_EQ(after.Row("TreeTable", "TreeCnt").at("Order8"), "4");
}

TEST_F(StepTest, From20081219) {
  Make(4);
  // One biomass row is there already and gets no second one.
  {
    auto file = Storage::Open(path_, Storage::Mode::ReadWrite);
    file->GetView("DataDictionary")
        .Add(storage::Row()
                 .Set("TableName", "WeightEquationTable")
                 .Set("ColumnName", "BioEqFol")
                 .Set("FieldType", "I")
                 .Set("IsUsed", "N"));
    ASSERT_TRUE(file->Commit().ok());
  }
  ExpectedDictionary expected(Read(path_, "DataDictionary"));
  RunStep();
  for (const NewDictionaryRow& row : RowsAddedIn20100318()) {
    if (row.column == "BioEqFol") continue;
    // After the weight table's last row, which is the added BioEqFol at the
    // end of the dictionary.
    expected.Add(row);
  }
  ExpectDictionary(expected);
  EXPECT_EQ(RowsAddedIn20100318().size(), 20u);

  const std::string trees = Describe(path_, "TreeTable");
  for (const char* c : {"WgtPP:D", "WgtSP:D", "BioPr:S", "WgtBAT:D", "WgtBBL:D", "WgtBBD:D", "WgtBFT:D"}) {
    EXPECT_NE(trees.find(c), std::string::npos) << c;
  }
  const std::string weights = Describe(path_, "WeightEquationTable");
  EXPECT_EQ(weights.find("BioEqFol"), std::string::npos);  // unused
  EXPECT_NE(weights.find("BioRemvTotTree:F"), std::string::npos);
  EXPECT_NE(weights.find("WgtEqSP:S"), std::string::npos);
  EXPECT_EQ(Read(path_, "WeightEquationTable")[0].at("WgtEqSP"), "DF");
  EXPECT_EQ(Read(path_, "TreeTable")[2].at("Remarks"), "broken top");
}

}  // namespace
}  // namespace sw::updater
