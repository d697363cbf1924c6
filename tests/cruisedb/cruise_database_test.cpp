// CruiseDatabase: slots, conversions, derived views, rebuilds from the
// dictionary, column renames, log entries, backup copies and versions.
#include "cruisedb/cruise_database.h"

#include <gtest/gtest.h>

#include "cruisedb/columns.h"
#include "storage/test_util.h"
#include "support/temp_dir.h"

namespace sw::cruisedb {
namespace {

namespace fs = std::filesystem;
using storage::Row;
using storage::Storage;
using storage::View;

struct DictRow {
  std::string table;
  std::string column;
  std::string type;
  std::string used;
  int order1;
};

// A small cruise file: a dictionary, a configuration table and one table.
fs::path MakeFile(const fs::path& path, const std::vector<DictRow>& dictionary, const std::string& table_description,
                  const std::vector<std::vector<storage::Value>>& rows,
                  const std::vector<std::array<std::string, 3>>& config = {{"General", "StructureVersion",
                                                                             "01.15.2004"}},
                  const std::string& config_description = "GlobalConfigurationTable[Block:S,Key:S,Value:S]") {
  auto file = Storage::Open(path, Storage::Mode::ReadWrite);
  EXPECT_TRUE(file.ok());
  View dict = file->GetAs(kDataDictionaryDescription).value();
  for (const DictRow& d : dictionary) {
    dict.Add(Row()
                 .Set(col::TableName, d.table)
                 .Set(col::ColumnName, d.column)
                 .Set(col::FieldType, d.type)
                 .Set(col::IsUsed, d.used)
                 .Set(col::Order1, std::int32_t{d.order1}));
  }
  View conf = file->GetAs(config_description).value();
  for (const auto& c : config) {
    const long r = conf.Add();
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(conf.Set(static_cast<std::size_t>(r), i, c[i]).ok());
  }
  if (!table_description.empty()) {
    View t = file->GetAs(table_description).value();
    for (const auto& values : rows) {
      const long r = t.Add();
      for (std::size_t i = 0; i < values.size(); ++i) EXPECT_TRUE(t.Set(static_cast<std::size_t>(r), i, values[i]).ok());
    }
  }
  EXPECT_TRUE(file->Commit().ok());
  return path;
}

std::string Describe(const fs::path& path, std::string_view table) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  return file->GetView(table).Describe();
}

std::string Text(const fs::path& path, std::string_view table, std::size_t row, std::string_view column) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  const View v = file->GetView(table);
  const int c = v.ColumnIndex(column);
  return c < 0 ? "<no column>" : v.GetText(row, static_cast<std::size_t>(c));
}

class CruiseDatabaseTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
};

// ------------------------------------------------------ open and slots ---

TEST_F(CruiseDatabaseTest, ClosedDatabaseAnswersMinusTwo) {
  CruiseDatabase db;
  EXPECT_EQ(db.state(), -1);
  EXPECT_EQ(db.Close(), -2);
  EXPECT_EQ(db.Commit(), -2);
  EXPECT_EQ(db.OpenView("DataDictionary"), -2);
  EXPECT_EQ(db.GetViewIndex("X"), -2);
  EXPECT_EQ(db.GetViewList(), -2);
  EXPECT_EQ(db.RestructureView("TreeTable", "Order1"), -2);
  EXPECT_EQ(db.WriteLogMessage("m", "I", "", "p"), -2);
  int slot = 0;
  EXPECT_FALSE(db.HasView("X", &slot));
  EXPECT_EQ(slot, -2);
  EXPECT_EQ(db.errors().size(), 6u);
  EXPECT_EQ(db.errors()[0], "Internal Error.\nPlease Contact Developer.\nError # -2\nCommitting ata");
}

TEST_F(CruiseDatabaseTest, ErrorReportTexts) {
  EXPECT_EQ(CruiseDatabase::ErrorReportText("Renaming", 0), "Operation completed successfully.\nRenaming");
  EXPECT_EQ(CruiseDatabase::ErrorReportText("Renaming", 7), "Internal Error.\nPlease Contact Developer.\nError # 7\nRenaming");
}

TEST_F(CruiseDatabaseTest, OpenRefusesHeldDamagedAndForeignFiles) {
  const fs::path path = MakeFile(dir_ / "a.crz", {}, "", {});
  {
    auto holder = Storage::Open(path, Storage::Mode::ReadWrite);
    CruiseDatabase db;
    EXPECT_EQ(db.Open(path), CruiseDatabase::kHeld);
    EXPECT_EQ(db.state(), -1);
  }
  const fs::path text = dir_ / "t.crz";
  test::WriteFile(text, "plain text");
  CruiseDatabase db;
  EXPECT_EQ(db.Open(text), CruiseDatabase::kNotOpened);
  EXPECT_FALSE(db.last_error().empty());
  EXPECT_EQ(test::ReadFile(text), "plain text");
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.view_list(), "DataDictionary, GlobalConfigurationTable");
}

TEST_F(CruiseDatabaseTest, TwentyFiveSlots) {
  const fs::path path = MakeFile(dir_ / "a.crz", {}, "", {});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  for (int i = 0; i < CruiseDatabase::kSlots; ++i) EXPECT_EQ(db.GetViewIndex("V" + std::to_string(i)), i);
  EXPECT_EQ(db.GetViewIndex("V25"), -1);
  EXPECT_EQ(db.CloseView(3), 0);
  EXPECT_EQ(db.CloseView(3), 1);
  EXPECT_EQ(db.CloseView(25), 2);
  EXPECT_EQ(db.OpenView("GlobalConfigurationTable"), 3);
  EXPECT_EQ(db.OpenView("NoSuchView"), -3);
  int slot = -1;
  EXPECT_TRUE(db.HasView("GlobalConfigurationTable", &slot));
  EXPECT_EQ(slot, 3);
  EXPECT_FALSE(db.HasView("globalconfigurationtable", &slot));  // slot names are exact
}

// --------------------------------------------------------- conversions ---

TEST_F(CruiseDatabaseTest, FieldConversionsBetweenTypes) {
  const fs::path path =
      MakeFile(dir_ / "a.crz", {}, "T[S:S,I:I,L:L,F:F,D:D]", {{std::string("x"), 0, std::int64_t{0}, 0.0f, 0.0}});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  const int t = db.OpenView("T");
  ASSERT_GE(t, 0);
  const int S = db.ColumnIndex(t, "s"), I = db.ColumnIndex(t, "I"), L = db.ColumnIndex(t, "L"),
            F = db.ColumnIndex(t, "F"), D = db.ColumnIndex(t, "D");
  EXPECT_EQ(db.ColumnIndex(t, "missing"), -1);
  // Text into every type.
  EXPECT_EQ(db.SetString(t, 0, I, "12.7"), 0);
  EXPECT_EQ(db.SetString(t, 0, L, "9876543210"), 0);
  EXPECT_EQ(db.SetString(t, 0, F, "2.5"), 0);
  EXPECT_EQ(db.SetString(t, 0, D, "1234.5678901234"), 0);
  std::string s;
  db.GetString(t, 0, I, &s);
  EXPECT_EQ(s, "12");
  db.GetString(t, 0, L, &s);
  EXPECT_EQ(s, "9876543210");
  db.GetString(t, 0, F, &s);
  EXPECT_EQ(s, "2.5");
  db.GetString(t, 0, D, &s);
  EXPECT_EQ(s, "1234.5678901234");
  // Numbers into text and integers.
  EXPECT_EQ(db.SetLong(t, 0, S, -42), 0);
  db.GetString(t, 0, S, &s);
  EXPECT_EQ(s, "-42");
  EXPECT_EQ(db.SetDouble(t, 0, I, -2.9), 0);
  std::int32_t i = 0;
  db.GetInt(t, 0, I, &i);
  EXPECT_EQ(i, -2);
  EXPECT_EQ(db.SetDouble(t, 0, S, 0.1), 0);
  db.GetString(t, 0, S, &s);
  EXPECT_EQ(s, "0.1");
  std::int64_t l = 0;
  db.GetLong(t, 0, F, &l);
  EXPECT_EQ(l, 2);
  EXPECT_EQ(db.SetString(t, 0, S, "77abc"), 0);
  db.GetLong(t, 0, S, &l);
  EXPECT_EQ(l, 77);
  // Outside the view.
  EXPECT_EQ(db.SetString(t, 5, S, "x"), 3);
  EXPECT_EQ(db.GetString(t, 0, 9, &s), 3);
  EXPECT_EQ(db.Commit(), 0);
  db.Close();
  EXPECT_EQ(Text(path, "T", 0, "S"), "77abc");
  EXPECT_EQ(Text(path, "T", 0, "L"), "9876543210");
}

// ------------------------------------------------------ rows and query ---

TEST_F(CruiseDatabaseTest, InsertRowPositions) {
  const fs::path path = MakeFile(dir_ / "a.crz", {}, "T[N:I]", {{1}, {2}, {3}});
  const fs::path empty = MakeFile(dir_ / "b.crz", {}, "T[N:I]", {});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(empty), 0);
  EXPECT_EQ(db.InsertRow(db.OpenView("T"), -1), 0);
  ASSERT_EQ(db.Open(path), 0);
  const int t = db.OpenView("T");
  EXPECT_EQ(db.InsertRow(t, 0), 1);
  EXPECT_EQ(db.InsertRow(t, -1), 4);
  // A derived slot appends to the stored view.
  const int q = db.Query("T", "", "N=3", "", "");
  EXPECT_EQ(db.InsertRow(q, 0), 5);
  ASSERT_EQ(db.Commit(), 0);
  db.Close();
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  const View v = file->GetView("T");
  ASSERT_EQ(v.Size(), 6u);
  EXPECT_EQ(v.GetText(0, 0) + v.GetText(1, 0) + v.GetText(2, 0) + v.GetText(3, 0), "1023");
}

TEST_F(CruiseDatabaseTest, QuerySelectsSortsProjectsAndWritesReachTheStoredRows) {
  const fs::path path = MakeFile(dir_ / "a.crz", {}, "", {},
                                 {{"General", "MRU", "Other"},
                                  {"General", "StructureVersion", "01.15.2004"},
                                  {"Processing", "StructureVersion", "x"},
                                  {"general", "structureversion", "00.00.0000"}});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  const int q = db.Query("GlobalConfigurationTable", "Value", " Block = General , Key=StructureVersion ", "", "");
  ASSERT_GE(q, 0);
  EXPECT_EQ(db.SlotName(q), "DGlobalConfigurationTable");
  EXPECT_GE(db.SourceSlot(q), 0);
  ASSERT_EQ(db.SlotView(q)->Size(), 2u);  // letter case does not count
  std::string s;
  db.GetString(q, 0, db.ColumnIndex(q, "Value"), &s);
  EXPECT_EQ(s, "00.00.0000");  // sorted on Value
  std::string description;
  db.DescribeView(q, &description);
  EXPECT_EQ(description, "DGlobalConfigurationTable[Value:S,Block:S,Key:S]");

  const int p = db.Query("GlobalConfigurationTable", "", "Block=General,Key=StructureVersion", "Value", "Version");
  ASSERT_GE(p, 0);
  EXPECT_EQ(db.SlotName(p), "Version");
  EXPECT_EQ(db.SlotView(p)->ColumnCount(), 1u);
  ASSERT_EQ(db.SetString(p, 0, 0, "10.31.2004"), 0);
  ASSERT_EQ(db.Commit(), 0);
  db.Close();
  EXPECT_EQ(Text(path, "GlobalConfigurationTable", 1, "Value"), "10.31.2004");
  EXPECT_EQ(Text(path, "GlobalConfigurationTable", 3, "Value"), "00.00.0000");
}

// ------------------------------------------------------------- rebuild ---

TEST_F(CruiseDatabaseTest, RestructureOrdersColumnsAndKeepsWhatMustStay) {
  const fs::path path = MakeFile(dir_ / "a.crz",
                                 {{"PlotTable", "Plot", "S", "Y", 2},
                                  {"PlotTable", "Stratum", "S", "Y", 1},
                                  {"PlotTable", "Slope Pct", "I", "Y", 0},  // blank removed; I becomes F below
                                  {"PlotTable", "Gone", "S", "N", 3},
                                  {"PlotTable", "Note", "S", "Y", -1},   // used, negative: kept last
                                  {"PlotTable", "Old", "S", "N", -1},    // unused, negative: dropped
                                  {"PlotTable", "Odd", "Q", "M", 4}},    // unknown type letter: S
                                 "PlotTable[Stratum:S,Plot:S,SlopePct:I,Gone:S,Note:S,Old:S]",
                                 {{std::string("01"), std::string("1"), 12, std::string("g"), std::string("keep me"),
                                   std::string("old")},
                                  {std::string("02"), std::string("7"), -7, std::string("g"), std::string(""),
                                   std::string("old")}});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.RestructureView("PlotTable", "Order1"), 0);
  db.Close();
  EXPECT_EQ(Describe(path, "PlotTable"), "Stratum:S,Plot:S,Odd:S,SlopePct:I,Note:S");
  EXPECT_EQ(Text(path, "PlotTable", 0, "Note"), "keep me");
  EXPECT_EQ(Text(path, "PlotTable", 1, "SlopePct"), "-7");

  // A type change in the dictionary converts the stored values.
  {
    auto file = Storage::Open(path, Storage::Mode::ReadWrite);
    View dict = file->GetView("DataDictionary");
    ASSERT_TRUE(dict.Set(2, static_cast<std::size_t>(dict.ColumnIndex("FieldType")), std::string("F")).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.RestructureView("PlotTable", "Order1"), 0);
  db.Close();
  EXPECT_EQ(Describe(path, "PlotTable"), "Stratum:S,Plot:S,Odd:S,SlopePct:F,Note:S");
  EXPECT_EQ(Text(path, "PlotTable", 0, "SlopePct"), "12");
  EXPECT_EQ(Text(path, "PlotTable", 1, "SlopePct"), "-7");
}

TEST_F(CruiseDatabaseTest, RestructureKeepsTheWeightEquationsSpeciesColumn) {
  const fs::path path = MakeFile(dir_ / "a.crz",
                                 {{"WeightEquationTable", "WgtEqSpecie", "S", "Y", 1},
                                  {"WeightEquationTable", "WgtEqFactor", "F", "Y", 2}},
                                 "WeightEquationTable[WgtEqSpecie:S,WgtEqFactor:F,WgtEqSP:S]",
                                 {{std::string("202"), 62.5f, std::string("DF")}});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.RebuildDescription("WeightEquationTable", "Order1"),
            "WeightEquationTable[WgtEqSpecie:S,WgtEqFactor:F,WgtEqSP:S]");
  EXPECT_EQ(db.RestructureView("WeightEquationTable", "Order1"), 0);
  db.Close();
  EXPECT_EQ(Text(path, "WeightEquationTable", 0, "WgtEqSP"), "DF");
}

TEST_F(CruiseDatabaseTest, RestructureWithoutDictionaryRowsLeavesTheTable) {
  const fs::path path = MakeFile(dir_ / "a.crz", {{"Other", "X", "S", "Y", 1}}, "T[A:S,B:I]", {{std::string("a"), 5}});
  const std::string before = test::ReadFile(path);
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.RestructureView("T", "Order1"), -1);
  db.Close();
  EXPECT_EQ(test::ReadFile(path), before);
}

// -------------------------------------------------------------- rename ---

TEST_F(CruiseDatabaseTest, RenameColumnCarriesValuesWithoutLoss) {
  const fs::path path = MakeFile(dir_ / "a.crz",
                                 {{"CuttingUnitTable", "CutUnit", "S", "Y", 1},
                                  {"CuttingUnitTable", "Acres", "D", "Y", 2},
                                  {"CuttingUnitTable", "Big", "L", "Y", 3}},
                                 "CuttingUnitTable[CutUnit:S,Acres:D,Big:L]",
                                 {{std::string("1"), 1234.567, std::int64_t{9876543210}},
                                  {std::string("2"), 0.1, std::int64_t{-5}}});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.RenameColumn("CuttingUnitTable", "Acres", "Area", ""), 0);
  EXPECT_EQ(db.RenameColumn("CuttingUnitTable", "Big", "Count", " "), 0);
  EXPECT_EQ(db.RenameColumn("CuttingUnitTable", "CutUnit", "CUTUNIT", ""), CruiseDatabase::kRenameSameName);
  EXPECT_EQ(db.RenameColumn("CuttingUnitTable", "CutUnit", "Area", ""), CruiseDatabase::kRenameExists);
  EXPECT_EQ(db.RenameColumn("NoTable", "A", "B", ""), CruiseDatabase::kRenameNoTable);
  db.Close();
  EXPECT_EQ(Describe(path, "CuttingUnitTable"), "CutUnit:S,Area:D,Count:L");
  EXPECT_EQ(Text(path, "CuttingUnitTable", 0, "Area"), "1234.567");
  EXPECT_EQ(Text(path, "CuttingUnitTable", 1, "Area"), "0.1");
  EXPECT_EQ(Text(path, "CuttingUnitTable", 0, "Count"), "9876543210");
  EXPECT_EQ(Text(path, "CuttingUnitTable", 1, "Count"), "-5");
  EXPECT_EQ(Text(path, "DataDictionary", 1, "ColumnName"), "Area");
  EXPECT_EQ(Text(path, "DataDictionary", 2, "ColumnName"), "Count");
}

TEST_F(CruiseDatabaseTest, RenameOldConfigurationColumns) {
  const fs::path path = MakeFile(dir_ / "a.crz",
                                 {{"GlobalConfigurationTable", "sBlock", "S", "Y", 0},
                                  {"GlobalConfigurationTable", "sKey", "S", "Y", 0},
                                  {"GlobalConfigurationTable", "sValue", "S", "Y", 0}},
                                 "", {}, {{"General", "StructureVersion", "01.15.2004"}, {"General", "MRU", "X"}},
                                 "GlobalConfigurationTable[sBlock:S,sKey:S,sValue:S]");
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.RenameColumn("GlobalConfigurationTable", "sValue", "Value", "S"), 0);
  db.Close();
  EXPECT_EQ(Describe(path, "GlobalConfigurationTable"), "sBlock:S,sKey:S,Value:S");
  EXPECT_EQ(Text(path, "GlobalConfigurationTable", 0, "Value"), "01.15.2004");
  EXPECT_EQ(Text(path, "GlobalConfigurationTable", 1, "Value"), "X");
  EXPECT_EQ(Text(path, "DataDictionary", 2, "ColumnName"), "Value");
}

TEST_F(CruiseDatabaseTest, RenameRefusesDerivedSlotsAndAmbiguousRows) {
  const fs::path path = MakeFile(dir_ / "a.crz", {{"T", "A", "S", "Y", 1}, {"T", "A", "S", "Y", 2}}, "T[A:S]",
                                 {{std::string("x")}});
  const std::string before = test::ReadFile(path);
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  EXPECT_EQ(db.RenameColumn("T", "A", "B", ""), CruiseDatabase::kRenameNotOneRow);
  ASSERT_GE(db.Query("T", "A", "", "", "T"), 0);
  EXPECT_EQ(db.RenameColumn("T", "A", "B", ""), CruiseDatabase::kRenameDerived);
  db.Close();
  EXPECT_EQ(test::ReadFile(path), before);
}

// ---------------------------------------------------------------- log ---

TEST_F(CruiseDatabaseTest, LogMessagesCreateTheLogAndUseTheirOwnDateFormat) {
  const fs::path path = MakeFile(dir_ / "a.crz", {}, "", {});
  CruiseDatabase db;
  ASSERT_EQ(db.Open(path), 0);
  std::tm t{};
  t.tm_year = 104;
  t.tm_mon = 0;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 3;
  db.set_clock(t);
  EXPECT_EQ(db.WriteLogMessage("first", "I", "me on pc", "CruiseUpdater"), 0);
  EXPECT_EQ(db.WriteLogMessage("second", "W", "", "X"), 0);
  db.Close();
  EXPECT_EQ(Describe(path, "MessageLog"), "MsgNum:S,Msg:S,Date:S,Time:S,Level:S,Note:S,Program:S");
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  const View log = file->GetView("MessageLog");
  ASSERT_EQ(log.Size(), 2u);
  std::string row;
  for (std::size_t c = 0; c < 7; ++c) row += log.GetText(0, c) + "|";
  EXPECT_EQ(row, "|first|01/05/2004|07:03|I|me on pc|CruiseUpdater|");
  EXPECT_EQ(log.GetText(1, 1), "second");
}

// ------------------------------------------------ backup and versions ---

TEST_F(CruiseDatabaseTest, BackupNamesAndBytes) {
  const fs::path path = MakeFile(dir_ / "sale7.crz", {}, "T[A:S]", {{std::string("data")}});
  const fs::path out = dir_ / "backups";
  fs::create_directory(out);
  CruiseDatabase db;
  std::string name;
  for (const char* suffix : {"BAK", "BAK1", "BAK2"}) {
    ASSERT_EQ(db.MakeBackupCopy(path, &name, "BAK", out), 0);
    EXPECT_EQ(name, (out / (std::string("sale7_v20040115.crz.") + suffix)).string());
    EXPECT_EQ(test::ReadFile(name), test::ReadFile(path));
  }
  EXPECT_EQ(db.MakeBackupCopy(dir_ / "none.crz", &name, "BAK", out), -1);
  // A failed copy leaves nothing behind.
  storage::testing::FaultFileSystem faulty;
  faulty.fail_at = 1;
  CruiseDatabase failing(&faulty);
  EXPECT_EQ(failing.MakeBackupCopy(path, &name, "BAK", out), -2);
  EXPECT_FALSE(fs::exists(out / "sale7_v20040115.crz.BAK3"));
  EXPECT_NE(failing.last_error().find("could not be written"), std::string::npos);
}

TEST_F(CruiseDatabaseTest, StructureVersionReading) {
  EXPECT_EQ(CruiseDatabase::CompactVersion("01.15.2004"), "20040115");
  // Taken by position whatever the form.
  EXPECT_EQ(CruiseDatabase::CompactVersion("2008.12.19"), "2.19208.");
  EXPECT_EQ(CruiseDatabase::CompactVersion("v2"), "v2");
  EXPECT_EQ(CruiseDatabase::CompactVersion("/ :"), "Unknown");
  CruiseDatabase db;
  const fs::path plain = MakeFile(dir_ / "a.crz", {}, "", {}, {{"General", "StructureVersion", "02.20.2007"}});
  EXPECT_EQ(db.ReadStructureVersion(plain), "20070220");
  const fs::path old = MakeFile(dir_ / "b.crz", {}, "", {}, {{"General", "StructureVersion", "10.31.2004"}},
                                "GlobalConfigurationTable[sBlock:S,sKey:S,sValue:S]");
  EXPECT_EQ(db.ReadStructureVersion(old), "20041031");
  const fs::path none = MakeFile(dir_ / "c.crz", {}, "", {}, {{"General", "MRU", "x"}});
  EXPECT_EQ(db.ReadStructureVersion(none), "Unknown");
  const fs::path year_first = MakeFile(dir_ / "d.crz", {}, "", {}, {{"General", "StructureVersion", "2008.12.19"}});
  std::string name;
  ASSERT_EQ(db.MakeBackupCopy(year_first, &name, "BAK", dir_.path()), 0);
  EXPECT_EQ(fs::path(name).filename(), "d_v2.19208..crz.BAK");
}

}  // namespace
}  // namespace sw::cruisedb
