// stumpwright-cli on older files: the base dictionary beside the program and
// a chosen cruise file are brought to the current structure (backup copy in
// the current directory) before anything else, and files that must not be
// updated end the command with a non-zero status and stay as they were.
#include <gtest/gtest.h>

#include "program_runner.h"
#include "storage/storage.h"
#include "support/temp_dir.h"
#include "updater/old_cruise_files.h"

namespace sw::testing {
namespace {

using storage::Storage;

std::string VersionOf(const fs::path& path) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  if (!file.ok()) return "<" + file.status().message() + ">";
  const storage::View config = file->GetView("GlobalConfigurationTable");
  const long row = config.Find(storage::Row().Set("Block", "General").Set("Key", "StructureVersion"));
  return row < 0 ? "<none>" : config.GetText(static_cast<std::size_t>(row), config.ColumnIndex("Value"));
}

std::vector<std::string> LogMessages(const fs::path& path) {
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  const storage::View log = file->GetView("MessageLog");
  std::vector<std::string> messages;
  for (std::size_t r = 0; r < log.Size(); ++r) messages.push_back(log.GetText(r, log.ColumnIndex("Msg")));
  return messages;
}

class CliStructure : public ::testing::Test {
 protected:
  ProgramCopy cli_{"stumpwright-cli", "bin"};
};

TEST_F(CliStructure, OldBaseDictionaryIsUpdatedBeforeTheCommandRuns) {
  const fs::path base = cli_.dir() / "CruiseDefault.stp";
  ASSERT_TRUE(test::WriteOldFile(base, 2, true).ok());
  const std::string original = test::ReadFile(base);
  ASSERT_TRUE(test::WriteOldFile(cli_.dir() / "sale.crz", 5).ok());
  const RunResult r = cli_.Run("USER=cruiser", "--check-only sale.crz");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("MESSAGE: Base dictionary structure has been updated\n"), std::string::npos) << r.err;
  const fs::path backup = cli_.dir() / "CruiseDefault_v20050401.stp.BAK";
  EXPECT_NE(r.err.find(backup.string() + " (in the current directory)"), std::string::npos) << r.err;
  EXPECT_EQ(test::ReadFile(backup), original);
  EXPECT_EQ(VersionOf(base), "2010.03.18");
  const auto log = LogMessages(base);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2], "Updated version from 2008.12.19 to 2010.03.18 by updater 2010.03.18");
  // A second run finds it current and says nothing about it.
  const RunResult again = cli_.Run("", "--check-only sale.crz");
  EXPECT_EQ(again.exit_code, 0);
  EXPECT_EQ(again.err, "");
}

TEST_F(CliStructure, OldCruiseFileIsUpdatedThenExported) {
  cli_.AddBaseDictionary();
  const fs::path cruise = cli_.dir() / "sale7.crz";
  ASSERT_TRUE(test::WriteOldFile(cruise, 0).ok());
  const std::string original = test::ReadFile(cruise);
  const RunResult r = cli_.Run("USER=cruiser", "--version7 --yes sale7.crz");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err.find("MESSAGE: File structure has been updated\n"), 0u) << r.err;
  EXPECT_NE(r.err.find("Version 7 key and job files"), std::string::npos) << r.err;
  const fs::path backup = cli_.dir() / "sale7_v20040115.crz.BAK";
  EXPECT_EQ(test::ReadFile(backup), original);
  EXPECT_EQ(VersionOf(cruise), "2010.03.18");
  const auto log = LogMessages(cruise);
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(log[1], "Updated version from 01.15.2004 to 10.31.2004 by updater 2010.03.18");
  EXPECT_EQ(log[6], "Cruise file converted to Version 7 job and key");
  // The export read the updated tables.
  const std::string key = test::ReadFile(cli_.dir() / "sale7.key");
  const std::string job = test::ReadFile(cli_.dir() / "sale7.job");
  EXPECT_FALSE(key.empty());
  EXPECT_NE(job.find("BEAR CREEK"), std::string::npos) << job;
}

TEST_F(CliStructure, CheckOnlyConvertsNothing) {
  cli_.AddBaseDictionary();
  const fs::path cruise = cli_.dir() / "sale.crz";
  ASSERT_TRUE(test::WriteOldFile(cruise, 4).ok());
  const RunResult r = cli_.Run("", "--check-only sale.crz");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(VersionOf(cruise), "2010.03.18");
  EXPECT_FALSE(fs::exists(cli_.dir() / "sale.key"));
  EXPECT_FALSE(fs::exists(cli_.dir() / "sale.job"));
  EXPECT_TRUE(fs::exists(cli_.dir() / "sale_v2.19208..crz.BAK"));
  // Current now: nothing more to do, still 0.
  EXPECT_EQ(cli_.Run("", "--check-only sale.crz").exit_code, 0);
}

TEST_F(CliStructure, FilesThatMustNotBeUpdatedStopTheCommand) {
  cli_.AddBaseDictionary();
  const fs::path newer = cli_.dir() / "newer.crz";
  ASSERT_TRUE(test::WriteOldFile(newer, 4).ok());
  {
    auto file = Storage::Open(newer, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetView("GlobalConfigurationTable").Set(0, 2, std::string("2011.01.01")).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  const std::string before = test::ReadFile(newer);
  RunResult r = cli_.Run("", "--version7 --yes newer.crz");
  EXPECT_EQ(r.exit_code, 12);
  EXPECT_EQ(r.err,
            "ERROR: Did you know you have an\nout-of-date version of Stumpwright?\nCannot continuing processing\n"
            "Please update the Stumpwright\nprogrtam with the current version\n");
  EXPECT_EQ(test::ReadFile(newer), before);
  EXPECT_FALSE(fs::exists(cli_.dir() / "newer.key"));

  const fs::path unknown = cli_.dir() / "unknown.crz";
  ASSERT_TRUE(test::WriteOldFile(unknown, 4).ok());
  {
    auto file = Storage::Open(unknown, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetView("GlobalConfigurationTable").RemoveAt(0).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  r = cli_.Run("", "--check-only unknown.crz");
  EXPECT_EQ(r.exit_code, 12);
  EXPECT_EQ(r.err, "WARNING: Version number could not be found\n");

  // Damaged: the second half of an old file cut off.
  const fs::path cut = cli_.dir() / "cut.crz";
  ASSERT_TRUE(test::WriteOldFile(cut, 1).ok());
  const std::string whole = test::ReadFile(cut);
  test::WriteFile(cut, whole.substr(0, whole.size() / 2));
  r = cli_.Run("", "--version7 --yes cut.crz");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_EQ(test::ReadFile(cut), whole.substr(0, whole.size() / 2));

  // Held by another program.
  const fs::path held = cli_.dir() / "held.crz";
  ASSERT_TRUE(test::WriteOldFile(held, 1).ok());
  const std::string held_bytes = test::ReadFile(held);
  {
    auto holder = Storage::Open(held, Storage::Mode::ReadWrite);
    r = cli_.Run("", "--version7 --yes held.crz");
  }
  EXPECT_EQ(r.exit_code, 10);
  EXPECT_NE(r.err.find("ERROR: A file is in use by another program:\n"), std::string::npos) << r.err;
  EXPECT_EQ(test::ReadFile(held), held_bytes);
  for (const auto& entry : fs::directory_iterator(cli_.dir())) {
    EXPECT_EQ(entry.path().extension().string().find(".BAK"), std::string::npos) << entry.path();
  }
}

TEST_F(CliStructure, HelpDocumentsCheckOnly) {
  cli_.AddBaseDictionary();
  const RunResult r = cli_.Run("", "--help");
  EXPECT_NE(r.out.find("--check-only"), std::string::npos);
  EXPECT_NE(r.out.find(" 12  the structure check stopped"), std::string::npos);
  EXPECT_NE(r.out.find("current directory"), std::string::npos);
}

}  // namespace
}  // namespace sw::testing
