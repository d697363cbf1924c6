// The structure checks of the Create command as the window runs them: the
// base dictionary on every Create (also with no file chosen), a chosen cruise
// file before it is exported, and what ends the command.
#include <gtest/gtest.h>

#include "app/create_command.h"
#include "platform/scripted_platform.h"
#include "storage/storage.h"
#include "support/temp_dir.h"
#include "updater/old_cruise_files.h"

namespace sw::app {
namespace {

namespace fs = std::filesystem;
using storage::Storage;

std::string VersionOf(const fs::path& path) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  const storage::View config = file->GetView("GlobalConfigurationTable");
  const long row = config.Find(storage::Row().Set("Block", "General").Set("Key", "StructureVersion"));
  return row < 0 ? "<none>" : config.GetText(static_cast<std::size_t>(row), config.ColumnIndex("Value"));
}

class CreateStructureTest : public ::testing::Test {
 protected:
  CreateStructureTest() : dialog_(platform_) {}
  // The program folder holds a base dictionary of structure version `era`.
  void Start(int era) {
    ASSERT_TRUE(test::WriteOldFile(program_ / "CruiseDefault.stp", era, true).ok());
    ASSERT_TRUE(dialog_.Initialise(program_.path(), work_.path()));
  }
  CreateOutcome Create() { return CreateCommand(nullptr, {check_only_, backups_.path()}).Run(dialog_); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : platform_.messages()) texts.push_back(m.caption + ": " + m.text);
    return texts;
  }

  platform::ScriptedPlatform platform_;
  MainDialog dialog_;
  test::TempDir program_;
  test::TempDir work_;
  test::TempDir backups_;
  bool check_only_ = false;
};

TEST_F(CreateStructureTest, NoFileChosenRunsOnlyTheBaseDictionaryCheck) {
  Start(3);
  EXPECT_EQ(Create(), CreateOutcome::kNothing);
  EXPECT_EQ(Texts(), std::vector<std::string>{"MESSAGE: Base dictionary structure has been updated"});
  EXPECT_EQ(VersionOf(program_ / "CruiseDefault.stp"), "2010.03.18");
  EXPECT_TRUE(fs::exists(backups_ / "CruiseDefault_v20070220.stp.BAK"));
  // Current from now on: silent.
  EXPECT_EQ(Create(), CreateOutcome::kNothing);
  EXPECT_EQ(platform_.messages().size(), 1u);
}

TEST_F(CreateStructureTest, OldCruiseFileIsUpdatedFirstThenExported) {
  Start(5);
  const fs::path cruise = work_ / "sale.crz";
  ASSERT_TRUE(test::WriteOldFile(cruise, 4).ok());
  ASSERT_TRUE(dialog_.ChooseFile(cruise.string()));
  dialog_.SetVersion7Option(true);
  EXPECT_EQ(Create(), CreateOutcome::kDone);
  const auto texts = Texts();
  // Between them the export may warn of columns this small file lacks.
  ASSERT_GE(texts.size(), 2u);
  for (const std::string& text : texts) EXPECT_NE(text.rfind("ERROR", 0), 0u) << text;
  EXPECT_EQ(texts[0], "MESSAGE: File structure has been updated");
  EXPECT_EQ(texts.back().rfind("Stumpwright: Version 7 key and job files", 0), 0u) << texts.back();
  EXPECT_EQ(VersionOf(cruise), "2010.03.18");
  EXPECT_TRUE(fs::exists(work_ / "sale.key"));
  EXPECT_TRUE(fs::exists(work_ / "sale.job"));
}

TEST_F(CreateStructureTest, NewerBaseDictionaryStopsEveryCreate) {
  Start(5);
  {
    auto file = Storage::Open(program_ / "CruiseDefault.stp", Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetView("GlobalConfigurationTable").Set(0, 2, std::string("2012.01.01")).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  const fs::path cruise = work_ / "sale.crz";
  ASSERT_TRUE(test::WriteOldFile(cruise, 4).ok());
  const std::string before = test::ReadFile(cruise);
  ASSERT_TRUE(dialog_.ChooseFile(cruise.string()));
  EXPECT_EQ(Create(), CreateOutcome::kStructureStopped);
  ASSERT_EQ(platform_.messages().size(), 1u);
  EXPECT_EQ(platform_.messages()[0].caption, "ERROR");
  EXPECT_EQ(test::ReadFile(cruise), before);  // the cruise file was not even looked at
  EXPECT_FALSE(fs::exists(work_ / "sale.key"));
}

TEST_F(CreateStructureTest, CheckOnlyStopsBeforeTheExport) {
  Start(5);
  check_only_ = true;
  const fs::path cruise = work_ / "sale.crz";
  ASSERT_TRUE(test::WriteOldFile(cruise, 1).ok());
  ASSERT_TRUE(dialog_.ChooseFile(cruise.string()));
  EXPECT_EQ(Create(), CreateOutcome::kDone);
  EXPECT_EQ(Texts(), std::vector<std::string>{"MESSAGE: File structure has been updated"});
  EXPECT_EQ(VersionOf(cruise), "2010.03.18");
  EXPECT_FALSE(fs::exists(work_ / "sale.key"));
}

}  // namespace
}  // namespace sw::app
