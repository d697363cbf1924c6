// The real main window, built in-process over the scripted platform and
// driven with QTest: layout texts, Browse, typed paths, options, About, Quit.
#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "platform/scripted_platform.h"
#include "qt_app.h"

namespace sw::gui {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    sw::testing::TestApplication();
    std::string pattern = (fs::temp_directory_path() / "sw_win_XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    std::ofstream(dir_ / "CruiseDefault.stp") << "x";
    EXPECT_TRUE(dialog_.Initialise(dir_, dir_));
    window_ = std::make_unique<MainWindow>(dialog_);
    window_->show();
  }
  ~MainWindowTest() override {
    window_.reset();
    fs::remove_all(dir_);
  }
  bool Shown(QWidget* w) { return w->isVisibleTo(window_.get()); }

  fs::path dir_;
  platform::ScriptedPlatform platform_;
  app::MainDialog dialog_{platform_};
  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, StartsWithTheLayoutTexts) {
  EXPECT_EQ(window_->windowTitle(), "Convert Job/Key Files or Cruise Object Files -- Version 03.18.2010");
  EXPECT_EQ(window_->browse_button()->text(), "Browse...");
  EXPECT_EQ(window_->create_button()->text(), "&Create");
  EXPECT_TRUE(window_->create_button()->isDefault());
  EXPECT_EQ(window_->quit_button()->text(), "&Quit");
  EXPECT_EQ(window_->version7_box()->text(), "&Version 7 Job and Key");
  EXPECT_EQ(window_->gro_box()->text(), "&GRO Input File");
  EXPECT_FALSE(Shown(window_->version7_box()));
  EXPECT_FALSE(Shown(window_->gro_box()));
  EXPECT_EQ(window_->file_box()->text(), "");
  bool label_found = false;
  for (QLabel* label : window_->findChildren<QLabel*>()) {
    label_found |= label->text() == "Enter filename or click Browse button";
  }
  EXPECT_TRUE(label_found);
  EXPECT_EQ(window_->about_action()->text(), "&About Stumpwright...");
}

TEST_F(MainWindowTest, BrowsingACruiseFileShowsBothOptionsAndOpen) {
  platform_.QueueOpenFile("/data/sale.crz");
  QTest::mouseClick(window_->browse_button(), Qt::LeftButton);
  EXPECT_TRUE(Shown(window_->version7_box()));
  EXPECT_TRUE(Shown(window_->gro_box()));
  EXPECT_FALSE(window_->gro_box()->isChecked());
  EXPECT_EQ(window_->create_button()->text(), "Open");
  EXPECT_EQ(window_->file_box()->text(), "/data/sale.crz");

  QTest::mouseClick(window_->gro_box(), Qt::LeftButton);
  EXPECT_EQ(dialog_.state().GroOption, 1);
  EXPECT_EQ(dialog_.state().Version7Option, 0);

  platform_.QueueOpenFile("/data/sale.key");
  QTest::mouseClick(window_->browse_button(), Qt::LeftButton);
  EXPECT_FALSE(Shown(window_->gro_box()));
  EXPECT_EQ(window_->create_button()->text(), "Create");
}

TEST_F(MainWindowTest, EnterInTheBoxChoosesTheTypedFileBeforeCreateRuns) {
  std::string create_saw = "(not run)";
  dialog_.SetCreateHandler([&](app::MainDialog& d) { create_saw = d.state().SelectedPath; });
  platform_.QueueOpenFile("/data/old.key");
  QTest::mouseClick(window_->browse_button(), Qt::LeftButton);
  window_->file_box()->setFocus();
  window_->file_box()->selectAll();
  QTest::keyClicks(window_->file_box(), "/data/new.crz");
  QTest::keyClick(window_->file_box(), Qt::Key_Return);
  EXPECT_EQ(dialog_.state().SelectedPath, "/data/new.crz");
  EXPECT_EQ(window_->create_button()->text(), "Open");
  // The first Enter only confirms the path: the options appear and can be
  // ticked before anything is converted.
  EXPECT_EQ(create_saw, "(not run)");
  EXPECT_TRUE(Shown(window_->version7_box()));
  QTest::mouseClick(window_->version7_box(), Qt::LeftButton);
  EXPECT_EQ(dialog_.state().Version7Option, 1);
  // The second Enter presses Create, with the option still ticked.
  QTest::keyClick(window_->file_box(), Qt::Key_Return);
  EXPECT_EQ(create_saw, "/data/new.crz");
  EXPECT_EQ(dialog_.state().Version7Option, 1);
  // Typing another path starts over: Enter confirms it and creates nothing.
  create_saw = "(not run)";
  window_->file_box()->selectAll();
  QTest::keyClicks(window_->file_box(), "/data/other.key");
  QTest::keyClick(window_->file_box(), Qt::Key_Enter);
  EXPECT_EQ(create_saw, "(not run)");
  EXPECT_EQ(dialog_.state().KeyFilePath, "/data/other.key");
  QTest::mouseClick(window_->create_button(), Qt::LeftButton);
  EXPECT_EQ(create_saw, "/data/other.key");
}

TEST_F(MainWindowTest, UnknownTypedFileIsRefusedAndShownAsChosen) {
  window_->file_box()->setFocus();
  QTest::keyClicks(window_->file_box(), "/data/notes.txt");
  QTest::keyClick(window_->file_box(), Qt::Key_Return);
  ASSERT_EQ(platform_.messages().size(), 1u);
  EXPECT_EQ(platform_.messages()[0].text, "Not a KEY filename    \nor a CRZ filename.\nTRY AGAIN!");
  EXPECT_EQ(window_->file_box()->text(), "/data/notes.txt");
  EXPECT_EQ(dialog_.state().SelectedPath, "/data/notes.txt");
}

TEST_F(MainWindowTest, AboutEntryOpensTheAboutBox) {
  window_->about_action()->trigger();
  ASSERT_EQ(platform_.about_boxes().size(), 1u);
  EXPECT_EQ(platform_.about_boxes()[0].second, "Stumpwright Version 03.18.2010");
}

TEST_F(MainWindowTest, QuitClosesTheWindow) {
  QTest::mouseClick(window_->quit_button(), Qt::LeftButton);
  EXPECT_FALSE(window_->isVisible());
}

}  // namespace
}  // namespace sw::gui
