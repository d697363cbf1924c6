// The recipe for a new cruise file, end to end: dictionary from the base
// file, every table obtained from it, rows added, committed, read back.
#include <gtest/gtest.h>

#include "cruisedb/columns.h"
#include "cruisedb/dictionary.h"
#include "cruisedb/settings.h"
#include "support/temp_dir.h"

namespace sw::cruisedb {
namespace {

using storage::Row;
using storage::Storage;

TEST(NewCruiseFileTest, TablesFromTheBaseDictionarySurviveCommitAndReopen) {
  test::TempDir dir;
  const auto path = dir / "sale7.crz";
  {
    auto opened = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(opened) << opened.status().message();
    Storage& crz = *opened;
    NewCruiseFile made = CreateCruiseSchema(crz, test::BuiltBaseDictionary(), JobKeyImportTables());
    ASSERT_TRUE(made.status) << made.status.message();
    EXPECT_EQ(made.base_version, "2010.03.18");
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is written before the commit";

    auto names = crz.ViewNames();
    ASSERT_EQ(names.size(), 1 + JobKeyImportTables().size());
    EXPECT_EQ(names.front(), "DataDictionary");
    for (std::size_t i = 0; i < JobKeyImportTables().size(); ++i) EXPECT_EQ(names[i + 1], JobKeyImportTables()[i]);

    auto trees = crz.GetView(table::TreeTable);
    auto stratum = trees.Bind(col::Stratum);
    auto dbh = trees.Bind(col::DBH);
    auto kpi = trees.Bind(col::KPI);
    auto form = trees.Bind(col::AvgZForm);
    ASSERT_TRUE(stratum.present() && dbh.present() && kpi.present() && form.present());
    for (int i = 0; i < 3; ++i) {
      long row = trees.Add();
      ASSERT_EQ(row, i);
      ASSERT_TRUE(stratum.Set(static_cast<std::size_t>(row), "0" + std::to_string(i + 1)));
      ASSERT_TRUE(dbh.Set(static_cast<std::size_t>(row), 10.5f + static_cast<float>(i)));
      ASSERT_TRUE(kpi.Set(static_cast<std::size_t>(row), 5000000000LL + i));
      ASSERT_TRUE(form.Set(static_cast<std::size_t>(row), 0.125 * i));
    }
    auto config = crz.GetView(table::GlobalConfigurationTable);
    ASSERT_TRUE(WriteSetting(config, config::General, config::StructureVersion, config::kCurrentStructureVersion));
    ASSERT_TRUE(WriteSetting(config, config::General, config::Setup, config::kBaseDictionaryFileName));
    ASSERT_TRUE(WriteSetting(config, config::General, config::MRU, config::kProgramName));
    auto weights = crz.GetView(table::WeightEquationTable);
    EXPECT_GE(weights.ColumnIndex("WgtEqSP"), 0);
    ASSERT_TRUE(crz.Commit());
  }
  auto reopened = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(reopened) << reopened.status().message();
  auto trees = reopened->GetView(table::TreeTable);
  ASSERT_EQ(trees.Size(), 3u);
  EXPECT_EQ(trees.Bind(col::Stratum).Get(2), "03");
  EXPECT_FLOAT_EQ(trees.Bind(col::DBH).Get(1), 11.5f);
  EXPECT_EQ(trees.Bind(col::KPI).Get(2), 5000000002LL);
  EXPECT_DOUBLE_EQ(trees.Bind(col::AvgZForm).Get(2), 0.25);
  auto config = reopened->GetView(table::GlobalConfigurationTable);
  EXPECT_EQ(ReadSetting(config, config::General, config::MRU).value_or(""), "Stumpwright");
  // The file's own dictionary describes every table it holds.
  auto dictionary = reopened->GetView(table::DataDictionary);
  for (std::string_view table : JobKeyImportTables()) {
    if (table == table::WeightEquationTable) continue;
    std::string described = BuildTableDescription(table, dictionary).value();
    EXPECT_NE(reopened->Description().find(described), std::string::npos) << described;
  }
}

TEST(NewCruiseFileTest, MissingBaseDictionaryStopsBeforeAnyTable) {
  test::TempDir dir;
  auto opened = Storage::Open(dir / "x.crz", Storage::Mode::ReadWrite);
  ASSERT_TRUE(opened);
  NewCruiseFile made = CreateCruiseSchema(*opened, dir / "CruiseDefault.stp", JobKeyImportTables());
  EXPECT_FALSE(made.status);
  EXPECT_EQ(opened->ViewNames().size(), 1u);  // only the empty DataDictionary
}

}  // namespace
}  // namespace sw::cruisedb
