// The structure updater on files of every older structure version: the
// version chain, what it carries over, its log entries, backup copies and
// result codes, and the files it must leave alone.
#include "updater/structure_updater.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "storage/file_system.h"
#include "storage/test_util.h"
#include "support/fixed_time.h"
#include "support/temp_dir.h"
#include "updater/dictionary_edits.h"
#include "updater/old_cruise_files.h"

namespace sw::updater {
namespace {

namespace fs = std::filesystem;
using storage::Storage;
using test::OldTables;
using test::StructureVersions;

std::tm FixedClock() { return test::LocalTime(2026, 3, 7, 9, 5); }

// Old column names and the names they have at the current version.
const std::map<std::string, std::string>& Renames() {
  static const std::map<std::string, std::string> renames = {
      {"ContSpec", "ContrSpec"},     {"MerchHtType", "MrchHtT"},    {"MerchHtLogLen", "MrchHtLL"},
      {"WgtEqLbsP", "WgtEqFactor"},  {"WgtEqLbsS", "WgtEqPercent"}, {"Geospatial Link", "MetaData"},
      {"GeospatialLink", "MetaData"},
  };
  return renames;
}

std::string CurrentName(const std::string& name) {
  auto found = Renames().find(name);
  return found == Renames().end() ? name : found->second;
}

class UpdaterTest : public ::testing::Test {
 protected:
  fs::path Make(int era, const std::string& name = "sale7.crz") {
    const fs::path path = dir_ / name;
    EXPECT_TRUE(test::WriteOldFile(path, era).ok());
    return path;
  }
  StructureUpdater Updater(storage::FileSystem* fs = nullptr) {
    StructureUpdater updater("forester", "ranger-pc", fs);
    updater.set_backup_folder(backups_.path());
    updater.set_clock(FixedClock());
    return updater;
  }
  std::vector<fs::path> Backups() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(backups_.path())) files.push_back(entry.path());
    return files;
  }

  test::TempDir dir_;
  test::TempDir backups_;
};

std::vector<std::map<std::string, std::string>> Rows(const fs::path& path, std::string_view table) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  EXPECT_TRUE(file.ok());
  return test::ReadRows(file->GetView(table));
}

std::string Describe(const fs::path& path, std::string_view table) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  return file.ok() ? file->GetView(table).Describe() : "";
}

// The used columns a table has at the current version, as name:type.
std::set<std::string> ExpectedColumns(const test::OldTable& table, int era) {
  std::set<std::string> columns;
  for (const test::OldColumn& c : table.columns) {
    if (c.used != "Y" && c.used != "M") {
      // Switched on by the updater.
      const bool switched = table.name == "TreeTable" &&
                            ((era == 0 && (c.name == "GBDFTVolSP" || c.name == "NBDFTVolSP" || c.name == "GBDFTVolRP")) ||
                             (era < 4 && (c.name == "XCoord" || c.name == "YCoord" || c.name == "ZCoord")));
      if (!switched) continue;
    }
    char type = c.type;
    if (table.name == "PlotTable" && c.name == "SlopePct") type = 'F';
    columns.insert(CurrentName(c.name) + ":" + std::string(1, type));
  }
  for (const test::OldColumn& c : table.undescribed) columns.insert(c.name + ":" + std::string(1, c.type));
  auto add_rows = [&](std::span<const NewDictionaryRow> rows) {
    for (const NewDictionaryRow& row : rows) {
      if (row.table == table.name && row.is_used == "Y") {
        columns.insert(std::string(row.column) + ":" + std::string(row.field_type));
      }
    }
  };
  if (era < 2) add_rows(RowsAddedIn20050401());
  if (era < 5) add_rows(RowsAddedIn20100318());
  if (era < 3 && table.name == "WeightEquationTable") {
    columns.insert("WgtEqFactor2:F");
    columns.insert("WgtEqPercent2:F");
  }
  if (era < 3 && table.name == "CruiseTable") columns.insert("Remarks:S");
  // The step that adds Tally_Setup does not rebuild the stratum table: the
  // column appears with the next rebuild from the dictionary.
  if (era >= 4 && table.name == "StratumTable") columns.insert("Tally_Setup:S");
  return columns;
}

std::set<std::string> Split(const std::string& description) {
  std::set<std::string> items;
  std::size_t start = 0;
  while (start < description.size()) {
    std::size_t comma = description.find(',', start);
    if (comma == std::string::npos) comma = description.size();
    items.insert(description.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

// ------------------------------------------------------------- the chain ---

TEST_F(UpdaterTest, EveryOlderVersionReachesTheCurrentOneWithItsDataCarriedByName) {
  for (int era = 0; era < 5; ++era) {
    SCOPED_TRACE(StructureVersions()[era]);
    const fs::path path = Make(era, "era" + std::to_string(era) + ".crz");
    const std::string original = test::ReadFile(path);
    StructureUpdater updater = Updater();
    ASSERT_EQ(updater.Update(path), StructureUpdater::kUpdated) << updater.detail();
    EXPECT_EQ(updater.found_version(), StructureVersions()[era]);
    EXPECT_EQ(updater.final_version(), "2010.03.18");

    // Configuration: one version row, the other settings kept, current names.
    EXPECT_EQ(Describe(path, "GlobalConfigurationTable"), "Block:S,Key:S,Value:S");
    const auto config = Rows(path, "GlobalConfigurationTable");
    ASSERT_EQ(config.size(), 4u);
    EXPECT_EQ(config[0], (std::map<std::string, std::string>{
                             {"Block", "General"}, {"Key", "StructureVersion"}, {"Value", "2010.03.18"}}));
    EXPECT_EQ(config[1].at("Value"), "CruiseDefault.stp");
    EXPECT_EQ(config[2].at("Key"), "Region Number");
    EXPECT_EQ(config[3].at("Value"), "A1");

    // One log row per step after the one already there.
    const auto log = Rows(path, "MessageLog");
    ASSERT_EQ(log.size(), 1u + (5 - era));
    EXPECT_EQ(log[0].at("Msg"), "Job and Key files converted to Cruise File");
    for (int step = era; step < 5; ++step) {
      const auto& row = log[1 + step - era];
      EXPECT_EQ(row.at("Msg"), "Updated version from " + StructureVersions()[step] + " to " +
                                   StructureVersions()[step + 1] + " by updater 2010.03.18");
      EXPECT_EQ(row.at("MsgNum"), "");
      EXPECT_EQ(row.at("Date"), "03/07/2026");
      EXPECT_EQ(row.at("Time"), "09:05");
      EXPECT_EQ(row.at("Level"), "I");
      EXPECT_EQ(row.at("Note"), "forester on ranger-pc");
      EXPECT_EQ(row.at("Program"), "CruiseUpdater");
    }

    // The backup holds the original bytes under the version's compact name.
    const std::string v = StructureVersions()[era];
    const fs::path backup = backups_.path() / ("era" + std::to_string(era) + "_v" + v.substr(6, 4) + v.substr(0, 2) +
                                               v.substr(3, 2) + ".crz.BAK");
    EXPECT_EQ(updater.backup_name(), backup.string());
    EXPECT_EQ(test::ReadFile(backup), original);

    // Every table: the expected columns, every value under its current name.
    for (const test::OldTable& table : OldTables(era)) {
      SCOPED_TRACE(table.name);
      if (table.name == "MessageLog") continue;
      EXPECT_EQ(Split(Describe(path, table.name)), ExpectedColumns(table, era));
      const auto rows = Rows(path, table.name);
      ASSERT_EQ(rows.size(), table.rows);
      std::vector<test::OldColumn> columns = table.columns;
      columns.insert(columns.end(), table.undescribed.begin(), table.undescribed.end());
      for (const test::OldColumn& c : columns) {
        for (std::size_t r = 0; r < c.values.size(); ++r) {
          const std::string name = CurrentName(test::StoredName(c.name));
          if (c.used != "Y") continue;  // never stored
          EXPECT_EQ(rows[r].at(CurrentName(c.name)), c.values[r]) << name << " row " << r;
        }
      }
    }
  }
}

TEST_F(UpdaterTest, TheUpdatedFileHasTheTablesOfAFileWrittenAtTheCurrentVersion) {
  // Tables the last step does not extend: updated from the oldest version
  // they describe the same columns as a file written today.
  const fs::path old_file = Make(0, "old.crz");
  const fs::path current = Make(5, "current.crz");
  ASSERT_EQ(Updater().Update(old_file), StructureUpdater::kUpdated);
  for (const test::OldTable& table : OldTables(5)) {
    if (table.name == "TreeTable" || table.name == "WeightEquationTable") continue;
    if (table.name == "StratumTable") continue;  // Tally_Setup waits for the next rebuild
    EXPECT_EQ(Split(Describe(old_file, table.name)), Split(Describe(current, table.name))) << table.name;
  }
}

TEST_F(UpdaterTest, StopVersionEndsTheChainThere) {
  const fs::path path = Make(0);
  StructureUpdater updater = Updater();
  ASSERT_EQ(updater.Update(path, "04.01.2005"), StructureUpdater::kUpdated);
  EXPECT_EQ(updater.final_version(), "04.01.2005");
  EXPECT_EQ(Rows(path, "GlobalConfigurationTable")[0].at("Value"), "04.01.2005");
  EXPECT_EQ(Rows(path, "MessageLog").size(), 3u);
  // The rest of the chain runs from there.
  ASSERT_EQ(Updater().Update(path), StructureUpdater::kUpdated);
  EXPECT_EQ(Rows(path, "MessageLog").size(), 6u);
}

TEST_F(UpdaterTest, AFileAtTheStopVersionIsNotTouched) {
  const fs::path path = Make(4);
  const std::string before = test::ReadFile(path);
  StructureUpdater updater = Updater();
  EXPECT_EQ(updater.Update(path, "2008.12.19"), StructureUpdater::kUpdated);
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(Backups().empty());
}

// ---------------------------------------------------- codes and refusals ---

TEST_F(UpdaterTest, ACurrentFileGetsNoBackupAndNoLogRow) {
  const fs::path path = Make(5);
  const std::string before = test::ReadFile(path);
  EXPECT_EQ(Updater().Update(path), StructureUpdater::kAlreadyCurrent);
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(UpdaterTest, NameAndFileProblems) {
  EXPECT_EQ(Updater().Update(""), StructureUpdater::kNoFileName);
  EXPECT_EQ(Updater().Update(dir_ / "none.crz"), StructureUpdater::kNoFile);
  EXPECT_FALSE(fs::exists(dir_ / "none.crz"));

  const fs::path text = dir_ / "text.crz";
  test::WriteFile(text, "this is not a cruise file\n");
  StructureUpdater updater = Updater();
  EXPECT_EQ(updater.Update(text), StructureUpdater::kNotOpened);
  EXPECT_FALSE(updater.detail().empty());
  EXPECT_EQ(test::ReadFile(text), "this is not a cruise file\n");

  const fs::path cut = Make(2, "cut.crz");
  const std::string whole = test::ReadFile(cut);
  test::WriteFile(cut, whole.substr(0, whole.size() / 2));
  EXPECT_EQ(Updater().Update(cut), StructureUpdater::kNotOpened);
  EXPECT_EQ(test::ReadFile(cut), whole.substr(0, whole.size() / 2));
  EXPECT_TRUE(Backups().empty());
}

TEST_F(UpdaterTest, AFileHeldByAnotherProgramIsLeftAlone) {
  const fs::path path = Make(1);
  const std::string before = test::ReadFile(path);
  {
    auto holder = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(holder.ok());
    EXPECT_EQ(Updater().Update(path), StructureUpdater::kHeld);
  }
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(Backups().empty());
}

// A file the user may read but not write, as a read-only file or one in a
// folder without write permission appears.
class ReadOnlyFiles : public storage::ForwardingFileSystem {
 public:
  storage::Result<std::unique_ptr<storage::File>> Open(const std::string& path, bool writable) override {
    if (writable) return storage::Status::Error("cannot open for writing \"" + path + "\": Permission denied");
    return ForwardingFileSystem::Open(path, false);
  }
};

TEST_F(UpdaterTest, AFileThatCannotBeWrittenIsLeftAlone) {
  const fs::path path = Make(2);
  const std::string before = test::ReadFile(path);
  ReadOnlyFiles read_only;
  StructureUpdater updater = Updater(&read_only);
  EXPECT_EQ(updater.Update(path), StructureUpdater::kNotWritable);
  EXPECT_NE(updater.detail().find("Permission denied"), std::string::npos);
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(UpdaterTest, VersionRowProblemsGiveCodeFourAndChangeNothing) {
  // Two StructureVersion rows.
  const fs::path two = Make(3, "two.crz");
  {
    auto file = Storage::Open(two, Storage::Mode::ReadWrite);
    file->GetView("GlobalConfigurationTable")
        .Add(storage::Row().Set("Block", "General").Set("Key", "StructureVersion").Set("Value", "2008.12.19"));
    ASSERT_TRUE(file->Commit().ok());
  }
  const std::string before = test::ReadFile(two);
  EXPECT_EQ(Updater().Update(two), StructureUpdater::kNoVersion);
  EXPECT_EQ(test::ReadFile(two), before);

  // No version row at all, and no configuration table at all.
  const fs::path none = Make(3, "none.crz");
  {
    auto file = Storage::Open(none, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetView("GlobalConfigurationTable").RemoveAt(0).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  EXPECT_EQ(Updater().Update(none), StructureUpdater::kNoVersion);
  const fs::path bare = dir_ / "bare.crz";
  {
    auto file = Storage::Open(bare, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetAs(cruisedb::kDataDictionaryDescription).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  EXPECT_EQ(Updater().Update(bare), StructureUpdater::kNoVersion);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(UpdaterTest, AnUnknownVersionIsBackedUpAndLeftUnchanged) {
  const fs::path path = Make(3);
  {
    auto file = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetView("GlobalConfigurationTable").Set(0, 2, std::string("03.03.2003")).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  const std::string before = test::ReadFile(path);
  StructureUpdater updater = Updater();
  EXPECT_EQ(updater.Update(path), StructureUpdater::kUnknownVersion);
  EXPECT_EQ(test::ReadFile(path), before);
  ASSERT_EQ(Backups().size(), 1u);
  EXPECT_EQ(Backups()[0].filename(), "sale7_v20030303.crz.BAK");
  EXPECT_EQ(test::ReadFile(Backups()[0]), before);
}

TEST_F(UpdaterTest, NoUpdateWithoutABackup) {
  const fs::path path = Make(2);
  const std::string before = test::ReadFile(path);
  StructureUpdater updater("forester", "ranger-pc");
  updater.set_backup_folder(dir_ / "no such folder");
  EXPECT_EQ(updater.Update(path), StructureUpdater::kBackupFailed);
  EXPECT_NE(updater.detail().find("could not be written"), std::string::npos);
  EXPECT_EQ(test::ReadFile(path), before);

  // A disk that fills during the copy leaves no partial backup behind.
  storage::testing::FaultFileSystem faulty;
  faulty.disk_limit = 100;
  StructureUpdater full = Updater(&faulty);
  EXPECT_EQ(full.Update(path), StructureUpdater::kBackupFailed);
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(UpdaterTest, AFailedStepLeavesTheFileAtTheLastCompletedVersion) {
  // Fail the file's writes one after another: whatever the point, the file
  // opens at a version of the chain with one log row per completed step,
  // and the backup holds the original.
  const fs::path source = Make(0, "source.crz");
  const std::string original = test::ReadFile(source);
  int failed_after_a_step = 0;
  for (long fail_at = 2; fail_at < 400; fail_at += 11) {
    SCOPED_TRACE(fail_at);
    const fs::path path = dir_ / "sale7.crz";
    test::WriteFile(path, original);
    for (const fs::path& b : Backups()) fs::remove(b);
    storage::testing::FaultFileSystem faulty;
    faulty.fail_at = fail_at;
    StructureUpdater updater = Updater(&faulty);
    const StructureUpdater::Code code = updater.Update(path);
    const auto config = Rows(path, "GlobalConfigurationTable");
    ASSERT_FALSE(config.empty());
    const std::string version =
        config[0].count("Value") != 0 ? config[0].at("Value") : config[0].at("sValue");
    auto at = std::find(StructureVersions().begin(), StructureVersions().end(), version);
    ASSERT_NE(at, StructureVersions().end()) << version;
    const std::size_t steps = static_cast<std::size_t>(at - StructureVersions().begin());
    EXPECT_EQ(Rows(path, "MessageLog").size(), 1u + steps);
    if (code == StructureUpdater::kUpdated) {
      EXPECT_EQ(version, "2010.03.18");
      break;
    }
    EXPECT_TRUE(code == StructureUpdater::kDictionaryFailed || code == StructureUpdater::kBackupFailed) << code;
    EXPECT_EQ(updater.final_version(), version);
    if (code == StructureUpdater::kDictionaryFailed) {
      EXPECT_NE(updater.detail().find("stays at structure version " + version), std::string::npos)
          << updater.detail();
      ASSERT_EQ(Backups().size(), 1u);
      EXPECT_EQ(test::ReadFile(Backups()[0]), original);
      if (steps > 0) ++failed_after_a_step;
    } else {
      EXPECT_TRUE(Backups().empty());
    }
  }
  EXPECT_GT(failed_after_a_step, 3);
}

}  // namespace
}  // namespace sw::updater
