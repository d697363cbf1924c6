// The Create command with a cycle file (the selection asked through the
// platform, the chosen entries converted in the current folder) and with a
// dump file (its notice or its warning).
#include <gtest/gtest.h>

#include <unistd.h>

#include "app/create_command.h"
#include "cyclefile/cycle_text.h"
#include "platform/scripted_platform.h"
#include "storage/storage.h"
#include "support/temp_dir.h"

namespace sw::app {
namespace {

namespace fs = std::filesystem;
using platform::Button;

// Runs the test inside its own folder: cycle conversions write there.
class InFolder {
 public:
  explicit InFolder(const fs::path& dir) : old_(fs::current_path()) { fs::current_path(dir); }
  ~InFolder() { fs::current_path(old_); }

 private:
  fs::path old_;
};

class CreateCycleDumpTest : public ::testing::Test {
 protected:
  CreateCycleDumpTest() : dialog_(platform_), here_(dir_.path()) {
    EXPECT_TRUE(dialog_.Initialise(test::BuiltBaseDictionary().parent_path(), dir_.path()));
    test::HeaderFields a;
    test::HeaderFields b;
    b.cycle = " 2";
    b.year = "2010";
    test::WriteFile(dir_ / "s.wpx", test::HeaderLine(b) + test::RecordLine({}) + test::HeaderLine(a) +
                                        test::RecordLine({}) + test::RecordLine({}));
  }
  CreateOutcome Create(const std::string& name) {
    EXPECT_TRUE(dialog_.ChooseFile((dir_ / name).string()));
    return CreateCommand().Run(dialog_);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : platform_.messages()) texts.push_back(m.caption + ": " + m.text);
    return texts;
  }

  test::TempDir dir_;
  platform::ScriptedPlatform platform_;
  MainDialog dialog_;
  InFolder here_;
};

TEST_F(CreateCycleDumpTest, ChosenCyclesBecomeCruiseFiles) {
  platform_.SetCycleSelector([](const platform::CycleSelectRequest& request) {
    EXPECT_EQ(request.count, "2");
    EXPECT_EQ(request.entries, (std::vector<std::string>{" 2  2010", " 1  2005"}));
    return platform::CycleSelection(std::vector<std::size_t>{1});
  });
  EXPECT_EQ(Create("s.wpx"), CreateOutcome::kDone);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Stumpwright: Cruise files have been created"}));
  auto file = storage::Storage::Open(dir_ / "STAND01_12005.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->GetView("TreeTable").Size(), 2u);
  EXPECT_FALSE(fs::exists(dir_ / "STAND01_22010.crz"));
}

TEST_F(CreateCycleDumpTest, CancelledSelectionEndsWithoutMessage) {
  EXPECT_EQ(Create("s.wpx"), CreateOutcome::kCancelled);  // the scripted dialog cancels by default
  EXPECT_EQ(platform_.cycle_requests().size(), 1u);
  EXPECT_TRUE(platform_.messages().empty());
  EXPECT_FALSE(fs::exists(dir_ / "STAND01_12005.crz"));
}

TEST_F(CreateCycleDumpTest, UnreadableCycleFileIsReported) {
  fs::create_directories(dir_ / "folder.wpx");
  EXPECT_EQ(Create("folder.wpx"), CreateOutcome::kInputRefused);
  ASSERT_EQ(platform_.messages().size(), 1u);
  EXPECT_NE(platform_.messages()[0].text.find("cannot be read"), std::string::npos);
  EXPECT_TRUE(platform_.cycle_requests().empty());
}

TEST_F(CreateCycleDumpTest, DumpFileNoticeAndWarning) {
  test::WriteFile(dir_ / "d.crz.dmp", "[T]\nT[A:S]\nA\nv\n");
  EXPECT_EQ(Create("d.crz.dmp"), CreateOutcome::kDone);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"NOTIFY: Vantor dump file has been converted\nFilename is " +
                                               (dir_ / "d.crz").string()}));
  platform_.QueueAnswer(Button::kNo);
  EXPECT_EQ(Create("d.crz.dmp"), CreateOutcome::kDeclined);
  EXPECT_EQ(Texts().back(),
            "WARNING: Could not convert the dump file\nThe cruise object already exists\nTry renaming or removing it");
}

}  // namespace
}  // namespace sw::app
