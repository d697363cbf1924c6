// Table descriptions from dictionary rows, base dictionary loading, settings.
#include <gtest/gtest.h>

#include "cruisedb/columns.h"
#include "cruisedb/dictionary.h"
#include "cruisedb/dictionary_source.h"
#include "cruisedb/settings.h"
#include "support/temp_dir.h"

namespace sw::cruisedb {
namespace {

using storage::Row;
using storage::Storage;
using storage::View;
using test::TempDir;

class DictionaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = Storage::Open(dir_ / "dictionary.crz", Storage::Mode::ReadWrite);
    ASSERT_TRUE(opened) << opened.status().message();
    storage_.emplace(std::move(opened).value());
    auto dictionary = storage_->GetAs(kDataDictionaryDescription);
    ASSERT_TRUE(dictionary) << dictionary.status().message();
    dictionary_ = *dictionary;
  }

  void AddRow(std::string_view table, std::string_view column, std::string_view type, std::string_view used) {
    dictionary_.Add(Row()
                        .Set(col::TableName, std::string(table))
                        .Set(col::ColumnName, std::string(column))
                        .Set(col::FieldType, std::string(type))
                        .Set(col::IsUsed, std::string(used)));
  }

  TempDir dir_;
  std::optional<Storage> storage_;
  View dictionary_;
};

TEST_F(DictionaryTest, DescriptionKeepsUsedRowsInDictionaryOrder) {
  AddRow("CountTable", "CutUnit", "S", "Y");
  AddRow("PlotTable", "Plot", "S", "Y");
  AddRow("CountTable", "Count", "I", "Y");
  AddRow("CountTable", "Remarks", "S", "N");
  AddRow("CountTable", "Blank", "S", "");
  AddRow("CountTable", "Lower", "S", "y");  // only the capital letters count
  AddRow("CountTable", "SumKPI", "D", "M");
  EXPECT_EQ(BuildTableDescription("CountTable", dictionary_).value(), "CountTable[CutUnit:S,Count:I,SumKPI:D]");
  EXPECT_EQ(BuildTableDescription("PlotTable", dictionary_).value(), "PlotTable[Plot:S]");
}

TEST_F(DictionaryTest, TableWithoutUsedColumnsGetsEmptyColumnList) {
  AddRow("CountTable", "Remarks", "S", "N");
  EXPECT_EQ(BuildTableDescription("CountTable", dictionary_).value(), "CountTable[]");
  EXPECT_EQ(BuildTableDescription("NoSuchTable", dictionary_).value(), "NoSuchTable[]");
  auto view = GetTable(*storage_, "CountTable", dictionary_);
  ASSERT_TRUE(view) << view.status().message();
  EXPECT_EQ(view->ColumnCount(), 0u);
}

TEST_F(DictionaryTest, WeightEquationTableAlwaysGetsWgtEqSP) {
  AddRow("WeightEquationTable", "WgtEqSpecie", "S", "Y");
  AddRow("WeightEquationTable", "WgtEqFactor", "F", "Y");
  auto view = GetTable(*storage_, "WeightEquationTable", dictionary_);
  ASSERT_TRUE(view) << view.status().message();
  EXPECT_EQ(view->Describe(), "WgtEqSpecie:S,WgtEqFactor:F,WgtEqSP:S");
  EXPECT_NE(storage_->Description().find("WeightEquationTable[WgtEqSpecie:S,WgtEqFactor:F,WgtEqSP:S]"),
            std::string::npos);
}

TEST_F(DictionaryTest, WgtEqSPFromTheDictionaryIsNotAddedTwice) {
  AddRow("WeightEquationTable", "WgtEqSP", "S", "Y");
  AddRow("WeightEquationTable", "WgtEqNum", "S", "Y");
  auto view = GetTable(*storage_, "WeightEquationTable", dictionary_);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->Describe(), "WgtEqSP:S,WgtEqNum:S");
}

TEST_F(DictionaryTest, KeyAndKeyNameOneColumn) {
  AddRow("SubPopulationTable", "key", "S", "Y");
  AddRow("SubPopulationTable", "Key", "S", "Y");
  auto view = GetTable(*storage_, "SubPopulationTable", dictionary_);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->ColumnCount(), 1u);
  EXPECT_EQ(view->ColumnIndex("KEY"), 0);
}

TEST_F(DictionaryTest, SettingsAreWrittenOnTheirRowOrAdded) {
  auto config = storage_->GetAs("GlobalConfigurationTable[Block:S,Key:S,Value:S]");
  ASSERT_TRUE(config);
  ASSERT_TRUE(WriteSetting(*config, "General", "MRU", "Other"));
  ASSERT_TRUE(AddSetting(*config, "Processing", "Reports", "A1"));
  ASSERT_TRUE(AddSetting(*config, "Processing", "Reports", "A5"));
  ASSERT_TRUE(WriteSetting(*config, "general", "mru", "Stumpwright"));
  EXPECT_EQ(config->Size(), 3u);
  EXPECT_EQ(ReadSetting(*config, "General", "MRU").value_or("?"), "Stumpwright");
  EXPECT_EQ(ReadSetting(*config, "Processing", "Reports").value_or("?"), "A1");
  EXPECT_FALSE(ReadSetting(*config, "General", "Setup").has_value());
}

// ---- LoadBaseDictionary on good and bad base files ----

class BaseDictionaryLoadTest : public DictionaryTest {
 protected:
  std::filesystem::path WriteBase(const std::vector<DictionarySourceRow>& rows,
                                  const std::vector<SettingSourceRow>& settings) {
    std::filesystem::path path = dir_ / ("base" + std::to_string(counter_++) + ".stp");
    EXPECT_TRUE(WriteBaseDictionary(path, rows, settings));
    return path;
  }
  int counter_ = 0;
};

TEST_F(BaseDictionaryLoadTest, CopiesEveryColumnAndReadsTheVersion) {
  auto base = WriteBase({{"PlotTable", "Plot", "S", "Y", 12, "Plot number", 1},
                         {"PlotTable", "Slope", "F", "M", 4, "Slope percent", 2}},
                        {{"General", "StructureVersion", "2010.03.18"}});
  DictionaryLoader loader;
  int status = 7;
  loader.LoadBaseDictionary(dictionary_, status, base);
  EXPECT_EQ(status, 7);  // left unchanged on success
  EXPECT_EQ(loader.base_version(), "2010.03.18");
  ASSERT_EQ(dictionary_.Size(), 2u);
  EXPECT_EQ(dictionary_.Bind(col::Description).Get(1), "Slope percent");
  EXPECT_EQ(dictionary_.Bind(col::IsUsed).Get(1), "M");
  EXPECT_EQ(dictionary_.Bind(col::Length).Get(0), 12);
  EXPECT_EQ(dictionary_.Bind(col::Order1).Get(1), 2);
  // Loading twice appends the rows twice; nothing is merged.
  loader.LoadBaseDictionary(dictionary_, status, base);
  EXPECT_EQ(dictionary_.Size(), 4u);
}

TEST_F(BaseDictionaryLoadTest, MissingVersionRowGivesNoDateFound) {
  auto base = WriteBase({{"PlotTable", "Plot", "S", "Y", 12, "Plot number", 1}}, {});
  DictionaryLoader loader;
  int status = 0;
  loader.LoadBaseDictionary(dictionary_, status, base);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(loader.base_version(), "NO DATE FOUND");
}

TEST_F(BaseDictionaryLoadTest, UnusableBaseFilesAreRefusedWithAReason) {
  const std::string valid = test::ReadFile(WriteBase({{"PlotTable", "Plot", "S", "Y", 12, "Plot", 1}}, {}));
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"text", "TableName,ColumnName\nPlotTable,Plot\n"},
      {"truncated", valid.substr(0, valid.size() / 2)},
      {"tail cut", valid.substr(0, valid.size() - 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::path path = dir_ / (std::string(c.name) + ".stp");
    test::WriteFile(path, c.bytes);
    DictionaryLoader loader;
    int status = 0;
    loader.LoadBaseDictionary(dictionary_, status, path);
    EXPECT_EQ(status, -1);
    EXPECT_FALSE(loader.error().empty());
    EXPECT_EQ(dictionary_.Size(), 0u);
    EXPECT_EQ(test::ReadFile(path), c.bytes) << "the base file must not change";
  }
  DictionaryLoader loader;
  int status = 0;
  loader.LoadBaseDictionary(dictionary_, status, dir_ / "missing.stp");
  EXPECT_EQ(status, -1);
}

TEST_F(BaseDictionaryLoadTest, BaseFileWithoutDataDictionaryIsRefused) {
  std::filesystem::path path = dir_ / "nodictionary.stp";
  {
    auto other = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(other);
    auto config = other->GetAs("GlobalConfigurationTable[Block:S,Key:S,Value:S]");
    ASSERT_TRUE(config);
    ASSERT_TRUE(WriteSetting(*config, "General", "StructureVersion", "2010.03.18"));
    ASSERT_TRUE(other->Commit());
  }
  DictionaryLoader loader;
  int status = 0;
  loader.LoadBaseDictionary(dictionary_, status, path);
  EXPECT_EQ(status, -1);
  EXPECT_NE(loader.error().find("DataDictionary"), std::string::npos);
}

TEST(DictionarySourceTest, ErrorsNameTheLine) {
  auto bad_type = ParseDictionarySource("# c\nTableName|ColumnName|FieldType|IsUsed|Length|Description\nT|C|X|Y|1|d\n");
  ASSERT_FALSE(bad_type);
  EXPECT_NE(bad_type.status().message().find("line 3"), std::string::npos);
  auto short_line = ParseDictionarySource("h\nT|C|S|Y\n");
  ASSERT_FALSE(short_line);
  EXPECT_NE(short_line.status().message().find("line 2"), std::string::npos);
  auto rows = ParseDictionarySource("h\r\nA|x|S|Y|3|first\r\nB|y|I|N|4|\r\nA|z|D|M|8|third\r\n");
  ASSERT_TRUE(rows) << rows.status().message();
  ASSERT_EQ(rows->size(), 3u);
  EXPECT_EQ((*rows)[2].order, 2);  // position within table A
  EXPECT_EQ((*rows)[1].description, "");
}

}  // namespace
}  // namespace sw::cruisedb
