// MainDialog without a window: the start-up refusal, the Browse decision
// table, the 50-character display rule, typed paths and the Create hook.
#include "app/main_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/program_location.h"
#include "platform/scripted_platform.h"
#include "support/temp_dir.h"

namespace sw::app {
namespace {

namespace fs = std::filesystem;

using sw::test::TempDir;

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

class MainDialogTest : public ::testing::Test {
 protected:
  MainDialogTest() {
    Touch(program_dir_.path() / kBaseDictionaryName);
    EXPECT_TRUE(dialog_.Initialise(program_dir_.path(), work_dir_.path()));
  }
  platform::ScriptedPlatform platform_;
  MainDialog dialog_{platform_};
  TempDir program_dir_;
  TempDir work_dir_;
};

TEST(MainDialogStartUp, RefusesWithoutBaseDictionaryBesideTheProgram) {
  platform::ScriptedPlatform platform;
  MainDialog dialog(platform);
  TempDir program_dir;
  TempDir work_dir;
  Touch(work_dir.path() / kBaseDictionaryName);  // the current directory does not count
  EXPECT_FALSE(dialog.Initialise(program_dir.path(), work_dir.path()));
  ASSERT_EQ(platform.messages().size(), 1u);
  const platform::Message& m = platform.messages()[0];
  EXPECT_EQ(m.text,
            "CANNOT FIND CruiseDefault.stp!\nIt must be in the same directory as the program!\n"
            "Cannot continue -- Program stopping!");
  EXPECT_EQ(m.caption, "ERROR");
  EXPECT_EQ(m.icon, platform::Icon::kStop);
}

TEST(MainDialogStartUp, AFolderNamedLikeTheDictionaryIsNotTheDictionary) {
  platform::ScriptedPlatform platform;
  MainDialog dialog(platform);
  TempDir program_dir;
  fs::create_directory(program_dir.path() / kBaseDictionaryName);
  EXPECT_FALSE(dialog.Initialise(program_dir.path(), program_dir.path()));
}

TEST_F(MainDialogTest, StartUpState) {
  const ShellState& s = dialog_.state();
  EXPECT_EQ(s.structure_version, "2010.03.18");
  EXPECT_EQ(s.start_directory, work_dir_.path().string());
  EXPECT_EQ(s.base_dictionary_folder, "");  // not in the current directory
  EXPECT_EQ(s.base_dictionary_path, (program_dir_.path() / "CruiseDefault.stp").string());
  EXPECT_TRUE(platform_.messages().empty());
  EXPECT_EQ(dialog_.window().create_label, "&Create");
  EXPECT_FALSE(dialog_.window().gro_visible);
  EXPECT_FALSE(dialog_.window().version7_visible);
}

TEST(MainDialogStartUp, DictionaryInCurrentDirectoryIsRecorded) {
  platform::ScriptedPlatform platform;
  MainDialog dialog(platform);
  TempDir dir;
  Touch(dir.path() / kBaseDictionaryName);
  EXPECT_TRUE(dialog.Initialise(dir.path(), dir.path()));
  EXPECT_EQ(dialog.state().base_dictionary_folder, dir.path().string());
}

TEST(Classify, LastThreeCharactersExactly) {
  EXPECT_EQ(ClassifyPath("a.key"), FileKind::kKey);
  EXPECT_EQ(ClassifyPath("a.KEY"), FileKind::kKey);
  EXPECT_EQ(ClassifyPath("a.Key"), FileKind::kUnknown);
  EXPECT_EQ(ClassifyPath("data.CRZ"), FileKind::kCruise);
  EXPECT_EQ(ClassifyPath("x.crz.dmp"), FileKind::kDump);
  EXPECT_EQ(ClassifyPath("c.WPX"), FileKind::kCycle);
  EXPECT_EQ(ClassifyPath("monkey"), FileKind::kKey);  // no dot needed
  EXPECT_EQ(ClassifyPath("ey"), FileKind::kUnknown);
  EXPECT_EQ(ClassifyPath(""), FileKind::kUnknown);
}

TEST(Display, FiftyCharactersShownWhole) {
  const std::string fifty = "/" + std::string(45, 'a') + ".key";
  ASSERT_EQ(fifty.size(), 50u);
  EXPECT_EQ(DisplayText(fifty), fifty);
  const std::string fifty_one = "/b" + std::string(45, 'a') + ".key";
  ASSERT_EQ(fifty_one.size(), 51u);
  EXPECT_EQ(DisplayText(fifty_one), "..." + fifty_one.substr(1));
}

TEST_F(MainDialogTest, BrowseOffersTheFilterAndCurrentPath) {
  platform_.QueueOpenFile("/d/a.key");
  dialog_.Browse();
  dialog_.Browse();  // cancelled
  ASSERT_EQ(platform_.file_requests().size(), 2u);
  EXPECT_EQ(platform_.file_requests()[0].default_extension, "key");
  EXPECT_EQ(platform_.file_requests()[0].filter,
            "Key files (*.key) |*.key|Cruise Files (*.crz) |*.crz|GRO Files (*.wpx) |*.wpx|"
            "Vantor dump files (*.crz.dmp) |*.crz.dmp|All Files (*.*) |*.*||");
  EXPECT_EQ(platform_.file_requests()[1].initial_path, "/d/a.key");
  EXPECT_EQ(dialog_.state().SelectedPath, "/d/a.key");  // cancel changed nothing
}

TEST_F(MainDialogTest, CruiseThenKeyShowsThenHidesTheOptions) {
  dialog_.ChooseFile("/d/x.crz");
  dialog_.SetGroOption(true);
  dialog_.SetVersion7Option(true);
  EXPECT_EQ(dialog_.state().GroOption, 1);
  platform_.QueueOpenFile("/d/data.CRZ");
  dialog_.Browse();
  const WindowState& w = dialog_.window();
  EXPECT_TRUE(w.gro_visible && w.version7_visible);
  EXPECT_FALSE(w.gro_checked || w.version7_checked);
  EXPECT_EQ(dialog_.state().GroOption + dialog_.state().Version7Option, 0);
  EXPECT_EQ(w.create_label, "Open");
  EXPECT_EQ(dialog_.state().KeyFilePath, "");

  dialog_.ChooseFile("/d/sale7.key");
  EXPECT_FALSE(w.gro_visible || w.version7_visible);
  EXPECT_EQ(w.create_label, "Create");
  EXPECT_EQ(dialog_.state().KeyFilePath, "/d/sale7.key");
  EXPECT_EQ(dialog_.state().SelectedPath, "/d/sale7.key");
}

TEST_F(MainDialogTest, DumpAndCycleLeaveTheCheckBoxesAsTheyWere) {
  dialog_.ChooseFile("/d/a.key");
  dialog_.ChooseFile("/d/x.crz.dmp");
  EXPECT_EQ(dialog_.window().create_label, "Open");
  EXPECT_FALSE(dialog_.window().gro_visible);
  dialog_.ChooseFile("/d/x.crz");
  dialog_.ChooseFile("/d/trees.wpx");
  EXPECT_EQ(dialog_.window().create_label, "Create");
  EXPECT_TRUE(dialog_.window().gro_visible);
  EXPECT_EQ(dialog_.state().KeyFilePath, "/d/a.key");  // unchanged by the other kinds
}

TEST_F(MainDialogTest, UnknownEndingIsRefusedAndEmptiesKeyFilePath) {
  dialog_.ChooseFile("/d/a.key");
  EXPECT_FALSE(dialog_.ChooseFile("/d/notes.txt"));
  ASSERT_EQ(platform_.messages().size(), 1u);
  EXPECT_EQ(platform_.messages()[0].text, "Not a KEY filename    \nor a CRZ filename.\nTRY AGAIN!");
  EXPECT_EQ(platform_.messages()[0].caption, "Stumpwright");
  EXPECT_EQ(platform_.messages()[0].icon, platform::Icon::kExclamation);
  EXPECT_EQ(dialog_.state().KeyFilePath, "");
  EXPECT_EQ(dialog_.state().SelectedPath, "/d/notes.txt");
  EXPECT_EQ(dialog_.window().create_label, "Create");  // unchanged
  // The box shows the file Create would work on.
  EXPECT_EQ(dialog_.window().file_box, "/d/notes.txt");
}

TEST_F(MainDialogTest, LongPathsAreShortenedInTheBox) {
  const std::string path = "/very/long/folder/name/that/goes/on/and/on/for/ever/sale7.key";
  dialog_.ChooseFile(path);
  EXPECT_EQ(dialog_.window().file_box, "..." + path.substr(path.size() - 50));
  EXPECT_EQ(dialog_.state().SelectedPath, path);
}

TEST_F(MainDialogTest, TypedPathGoesThroughTheSameDecision) {
#if defined(_WIN32)
  const std::string typed = "D:\\d\\data.crz";  // a full path on Windows has a drive
#else
  const std::string typed = "/d/data.crz";
#endif
  dialog_.ConfirmTypedPath(typed);
  EXPECT_EQ(dialog_.state().SelectedPath, typed);
  EXPECT_EQ(dialog_.window().create_label, "Open");
  EXPECT_TRUE(dialog_.window().gro_visible);
}

TEST_F(MainDialogTest, TypedRelativePathBecomesFull) {
  dialog_.ConfirmTypedPath("sale.key");
  EXPECT_EQ(dialog_.state().KeyFilePath, (fs::current_path() / "sale.key").string());
}

TEST_F(MainDialogTest, UnchangedBoxTextDoesNothing) {
  const std::string path = "/very/long/folder/name/that/goes/on/and/on/for/ever/sale7.key";
  dialog_.ChooseFile(path);
  dialog_.SetVersion7Option(true);
  dialog_.ConfirmTypedPath(dialog_.window().file_box);  // the shortened text
  EXPECT_EQ(dialog_.state().SelectedPath, path);
  EXPECT_EQ(dialog_.state().Version7Option, 1);
}

// Enter on a newly typed path only confirms it; Enter on the confirmed path
// (shortened or not) asks for Create and keeps the ticked options.
TEST_F(MainDialogTest, FirstEnterConfirmsSecondEnterCreates) {
#if defined(_WIN32)
  const std::string path = "D:\\very\\long\\folder\\name\\that\\goes\\on\\and\\on\\for\\ever\\sale7.crz";
  const std::string other = "D:\\d\\other.key";  // a full path on Windows has a drive
#else
  const std::string path = "/very/long/folder/name/that/goes/on/and/on/for/ever/sale7.crz";
  const std::string other = "/d/other.key";
#endif
  EXPECT_FALSE(dialog_.EnterInFileBox(path));
  EXPECT_EQ(dialog_.state().SelectedPath, path);
  EXPECT_TRUE(dialog_.window().version7_visible);
  dialog_.SetVersion7Option(true);
  EXPECT_TRUE(dialog_.EnterInFileBox(dialog_.window().file_box));
  EXPECT_EQ(dialog_.state().Version7Option, 1);
  EXPECT_FALSE(dialog_.EnterInFileBox(other));
  EXPECT_EQ(dialog_.state().KeyFilePath, other);
  EXPECT_EQ(dialog_.state().Version7Option, 0);
  EXPECT_TRUE(dialog_.EnterInFileBox(other));
}

TEST_F(MainDialogTest, EmptiedBoxClearsTheChoice) {
  dialog_.ChooseFile("/d/a.key");
  dialog_.ConfirmTypedPath("");
  EXPECT_EQ(dialog_.state().SelectedPath, "");
  EXPECT_EQ(dialog_.state().KeyFilePath, "");
  EXPECT_TRUE(platform_.messages().empty());
}

TEST_F(MainDialogTest, CreateRunsTheInstalledHandlerOnly) {
  dialog_.Create();  // nothing installed: nothing happens
  EXPECT_FALSE(dialog_.HasCreateHandler());
  std::string seen;
  dialog_.SetCreateHandler([&](MainDialog& d) { seen = d.state().SelectedPath; });
  dialog_.ChooseFile("/d/a.key");
  dialog_.Create();
  EXPECT_EQ(seen, "/d/a.key");
}

TEST_F(MainDialogTest, AboutBox) {
  dialog_.About();
  ASSERT_EQ(platform_.about_boxes().size(), 1u);
  EXPECT_EQ(platform_.about_boxes()[0].first, "About Stumpwright");
  EXPECT_EQ(platform_.about_boxes()[0].second, "Stumpwright Version 03.18.2010");
}

TEST(ProgramLocation, IsTheFolderOfTheRunningFile) {
#if defined(_WIN32)
  EXPECT_TRUE(fs::is_regular_file(ProgramDirectory("ignored") / "app_test.exe")) << ProgramDirectory("ignored");
#else
  EXPECT_EQ(ProgramDirectory("ignored"), fs::canonical("/proc/self/exe").parent_path());
#endif
}

}  // namespace
}  // namespace sw::app
