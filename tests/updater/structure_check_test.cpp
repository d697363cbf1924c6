// The check Create runs before a file is used: the version read, the code,
// the message the user sees, and whether Create goes on.
#include "updater/structure_check.h"

#include <gtest/gtest.h>

#include "platform/scripted_platform.h"
#include "storage/file_system.h"
#include "support/temp_dir.h"
#include "updater/old_cruise_files.h"
#include "updater/structure_updater.h"

namespace sw::updater {
namespace {

namespace fs = std::filesystem;
using platform::Icon;
using storage::Storage;

class NamedPlatform : public platform::ScriptedPlatform {
 public:
  std::string UserName() const override { return user; }
  std::string ComputerName() const override { return ""; }
  std::string user = "cruiser";
};

class StructureCheckTest : public ::testing::Test {
 protected:
  StructureCheck Check(const fs::path& path, std::string_view success = kFileStructureUpdated) {
    return CheckStructure(path, platform_, {success, backups_.path(), nullptr});
  }
  void SetVersion(const fs::path& path, const std::string& version) {
    auto file = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetView("GlobalConfigurationTable").Set(0, 2, version).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  bool NoBackups() const { return fs::is_empty(backups_.path()); }

  NamedPlatform platform_;
  test::TempDir dir_;
  test::TempDir backups_;
};

void ExpectOneMessage(const StructureCheck& check, const std::string& text, const std::string& caption, Icon icon) {
  ASSERT_EQ(check.outcome.messages.size(), 1u);
  EXPECT_EQ(check.outcome.messages[0].text, text);
  EXPECT_EQ(check.outcome.messages[0].caption, caption);
  EXPECT_EQ(check.outcome.messages[0].icon, icon);
}

TEST_F(StructureCheckTest, ReadsTheVersionUnderEitherColumnNames) {
  const fs::path old = dir_ / "old.crz";
  ASSERT_TRUE(test::WriteOldFile(old, 0).ok());
  EXPECT_EQ(ReadVersionForCheck(old).version, "01.15.2004");
  const fs::path newer = dir_ / "newer.crz";
  ASSERT_TRUE(test::WriteOldFile(newer, 3).ok());
  EXPECT_EQ(ReadVersionForCheck(newer).version, "02.20.2007");
  EXPECT_EQ(ReadVersionForCheck(dir_ / "none.crz").state, VersionReading::State::kMissing);
}

TEST_F(StructureCheckTest, CurrentFilePassesSilently) {
  const fs::path path = dir_ / "a.crz";
  ASSERT_TRUE(test::WriteOldFile(path, 5).ok());
  const std::string before = test::ReadFile(path);
  const StructureCheck check = Check(path, kBaseDictionaryUpdated);
  EXPECT_EQ(check.code, -1);
  EXPECT_TRUE(check.go_on);
  EXPECT_TRUE(check.outcome.messages.empty());
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(NoBackups());
}

TEST_F(StructureCheckTest, OlderFileIsUpdatedAndCreateGoesOn) {
  const fs::path path = dir_ / "a.crz";
  ASSERT_TRUE(test::WriteOldFile(path, 4).ok());
  const StructureCheck check = Check(path);
  EXPECT_EQ(check.code, 0);
  EXPECT_TRUE(check.go_on);
  ExpectOneMessage(check, "File structure has been updated", "MESSAGE", Icon::kInformation);
  EXPECT_EQ(fs::path(check.backup).filename(), "a_v2.19208..crz.BAK");
  EXPECT_EQ(ReadVersionForCheck(path).version, "2010.03.18");
  // The log note falls back for a computer without a name.
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  const storage::View log = file->GetView("MessageLog");
  EXPECT_EQ(log.GetText(log.Size() - 1, static_cast<std::size_t>(log.ColumnIndex("Note"))), "cruiser on unknown PC");
}

TEST_F(StructureCheckTest, NewerFileIsRefusedAndLeftAlone) {
  const fs::path path = dir_ / "a.crz";
  ASSERT_TRUE(test::WriteOldFile(path, 4).ok());
  SetVersion(path, "2011.01.01");
  const std::string before = test::ReadFile(path);
  const StructureCheck check = Check(path);
  EXPECT_EQ(check.code, -2);
  EXPECT_FALSE(check.go_on);
  ExpectOneMessage(check,
                   "Did you know you have an\nout-of-date version of Stumpwright?\nCannot continuing processing\n"
                   "Please update the Stumpwright\nprogrtam with the current version",
                   "ERROR", Icon::kStop);
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(NoBackups());
}

TEST_F(StructureCheckTest, FileWithoutAVersionRowGetsTheVersionNotFoundMessage) {
  const fs::path path = dir_ / "a.crz";
  ASSERT_TRUE(test::WriteOldFile(path, 2).ok());
  {
    auto file = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file->GetView("GlobalConfigurationTable").RemoveAt(0).ok());
    ASSERT_TRUE(file->Commit().ok());
  }
  const std::string before = test::ReadFile(path);
  const StructureCheck check = Check(path);
  EXPECT_EQ(check.code, 4);
  EXPECT_FALSE(check.go_on);
  ExpectOneMessage(check, "Version number could not be found", "WARNING", Icon::kExclamation);
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(NoBackups());
}

TEST_F(StructureCheckTest, UnknownVersionIsNotUpdated) {
  const fs::path path = dir_ / "a.crz";
  ASSERT_TRUE(test::WriteOldFile(path, 2).ok());
  SetVersion(path, "03.03.2003");
  const std::string before = test::ReadFile(path);
  const StructureCheck check = Check(path);
  EXPECT_EQ(check.code, 5);
  EXPECT_FALSE(check.go_on);
  ExpectOneMessage(check, "Current version number is unknown.\nFile cannot be updated.", "WARNING",
                   Icon::kExclamation);
  EXPECT_EQ(test::ReadFile(path), before);
}

TEST_F(StructureCheckTest, FilesThatCannotBeReadEndTheCommand) {
  const fs::path text = dir_ / "a.crz";
  test::WriteFile(text, "not a cruise file");
  StructureCheck check = Check(text);
  EXPECT_FALSE(check.go_on);
  ASSERT_EQ(check.outcome.messages.size(), 1u);
  EXPECT_EQ(check.outcome.messages[0].text.rfind("NOT A VALID DATA FILE!", 0), 0u);
  EXPECT_EQ(test::ReadFile(text), "not a cruise file");

  const fs::path held = dir_ / "b.crz";
  ASSERT_TRUE(test::WriteOldFile(held, 1).ok());
  auto holder = Storage::Open(held, Storage::Mode::ReadWrite);
  check = Check(held);
  EXPECT_EQ(check.code, StructureUpdater::kHeld);
  EXPECT_FALSE(check.go_on);
  EXPECT_EQ(check.outcome.result, convert::Result::kInUse);
  EXPECT_TRUE(NoBackups());

  // A file that is not there is for the branch that uses it to report.
  check = Check(dir_ / "gone.crz");
  EXPECT_TRUE(check.go_on);
  EXPECT_TRUE(check.outcome.messages.empty());
}

TEST_F(StructureCheckTest, BackupFailureStopsBeforeAnyChange) {
  const fs::path path = dir_ / "a.crz";
  ASSERT_TRUE(test::WriteOldFile(path, 3).ok());
  const std::string before = test::ReadFile(path);
  const StructureCheck check = CheckStructure(path, platform_, {kFileStructureUpdated, dir_ / "missing", nullptr});
  EXPECT_EQ(check.code, StructureUpdater::kBackupFailed);
  EXPECT_FALSE(check.go_on);
  ASSERT_EQ(check.outcome.messages.size(), 1u);
  EXPECT_EQ(check.outcome.messages[0].caption, "ERROR");
  EXPECT_NE(check.outcome.messages[0].text.find("could not be made"), std::string::npos);
  EXPECT_EQ(test::ReadFile(path), before);
}

class ReadOnlyFiles : public storage::ForwardingFileSystem {
 public:
  storage::Result<std::unique_ptr<storage::File>> Open(const std::string& path, bool writable) override {
    if (writable) return storage::Status::Error("cannot open for writing \"" + path + "\": Permission denied");
    return ForwardingFileSystem::Open(path, false);
  }
};

TEST_F(StructureCheckTest, AnInstalledCurrentBaseDictionaryNeedsNoWriteAccess) {
  const fs::path path = dir_ / "CruiseDefault.stp";
  ASSERT_TRUE(test::WriteOldFile(path, 5, true).ok());
  ReadOnlyFiles read_only;
  StructureCheck check = CheckStructure(path, platform_, {kBaseDictionaryUpdated, backups_.path(), &read_only});
  EXPECT_EQ(check.code, -1);
  EXPECT_TRUE(check.go_on);
  // An older one that cannot be written is refused with a message.
  ASSERT_TRUE(test::WriteOldFile(dir_ / "old.stp", 3, true).ok());
  const std::string before = test::ReadFile(dir_ / "old.stp");
  check = CheckStructure(dir_ / "old.stp", platform_, {kBaseDictionaryUpdated, backups_.path(), &read_only});
  EXPECT_EQ(check.code, StructureUpdater::kNotWritable);
  EXPECT_FALSE(check.go_on);
  ASSERT_EQ(check.outcome.messages.size(), 1u);
  EXPECT_NE(check.outcome.messages[0].text.find("cannot be written"), std::string::npos);
  EXPECT_EQ(test::ReadFile(dir_ / "old.stp"), before);
  EXPECT_TRUE(NoBackups());
}

TEST_F(StructureCheckTest, OldBaseDictionaryIsUpdatedWithItsOwnMessage) {
  const fs::path path = dir_ / "CruiseDefault.stp";
  ASSERT_TRUE(test::WriteOldFile(path, 0, true).ok());
  const StructureCheck check = Check(path, kBaseDictionaryUpdated);
  EXPECT_EQ(check.code, 0);
  ExpectOneMessage(check, "Base dictionary structure has been updated", "MESSAGE", Icon::kInformation);
  EXPECT_EQ(fs::path(check.backup).filename(), "CruiseDefault_v20040115.stp.BAK");
  EXPECT_EQ(ReadVersionForCheck(path).version, "2010.03.18");
  // The dictionary gained the rows of every step.
  auto file = Storage::Open(path, Storage::Mode::ReadOnly);
  const storage::View dict = file->GetView("DataDictionary");
  EXPECT_GE(dict.Find(storage::Row().Set("TableName", "TreeTable").Set("ColumnName", "WgtBFT")), 0);
  EXPECT_GE(dict.Find(storage::Row().Set("TableName", "TreeTable").Set("ColumnName", "MetaData")), 0);
  EXPECT_EQ(file->GetView("MessageLog").Size(), 5u);
}

}  // namespace
}  // namespace sw::updater
