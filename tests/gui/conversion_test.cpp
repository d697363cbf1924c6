// A whole key-file conversion through the real window on the Qt platform
// layer: the path typed into the box, Create pressed, the real progress
// popup shown while the job file is read, the messages answered, and the
// cruise file read back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cruisedb/columns.h"
#include "legacy/import/import_files.h"
#include "qt_app.h"
#include "window_harness.h"
#include "storage/storage.h"
#include "support/decimal_comma_locale.h"

namespace sw::gui {
namespace {

namespace fs = std::filesystem;
using cruisedb::col::Tree;

// Message boxes answered OK, their text on stderr, for the test's lifetime.
struct AutoAnswer {
  AutoAnswer() { setenv("STUMPWRIGHT_AUTO_ANSWER", "1", 1); }
  ~AutoAnswer() { unsetenv("STUMPWRIGHT_AUTO_ANSWER"); }
};

TEST(WindowConversion, KeyFileBecomesACruiseFile) {
  sw::testing::TestApplication();
  AutoAnswer auto_answer;
  const testing::ScratchFolder scratch("sw_conv");
  const fs::path& dir = scratch.path();
  std::ofstream(dir / "sale7.key") << sw::test::KeyFileText("06V", "sale7.job");
  std::ofstream(dir / "sale7.job") << sw::test::JoinLines(sw::test::Version7JobLines(40, 3, /*shuffled=*/true));

  testing::WindowUnderTest ui(dir);
  ASSERT_TRUE(ui.initialised);
  MainWindow& window = *ui.window;
  const app::CreateOutcome& outcome = ui.outcome;

  ::testing::internal::CaptureStderr();
  window.file_box()->setFocus();
  QTest::keyClicks(window.file_box(), QString::fromStdString((dir / "sale7.key").string()));
  QTest::keyClick(window.file_box(), Qt::Key_Return);  // confirms the path
  EXPECT_EQ(outcome, app::CreateOutcome::kNothing);
  EXPECT_FALSE(fs::exists(dir / "sale7.crz"));
  QTest::keyClick(window.file_box(), Qt::Key_Return);  // presses Create
  const std::string shown = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(outcome, app::CreateOutcome::kDone) << shown;
  EXPECT_EQ(window.create_button()->text(), "Create");
  EXPECT_NE(shown.find("MESSAGE: Still processing...\nClick OK to finish"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Cruise File Created \n" + (dir / "sale7.crz").string()), std::string::npos) << shown;
  EXPECT_TRUE(window.isEnabled()) << "the progress window re-enables the main window when it closes";

  auto crz = storage::Storage::Open(dir / "sale7.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(crz) << crz.status().message();
  storage::View trees = crz->GetView("TreeTable");
  EXPECT_EQ(trees.Size(), 40u);
  EXPECT_EQ(crz->GetView("LogTable").Size(), 120u);
  storage::View log = crz->GetView("MessageLog");
  ASSERT_EQ(log.Size(), 1u);
  EXPECT_EQ(log.Bind(cruisedb::col::Msg).Get(0), "Job and Key files converted to Cruise File");
}

// The window under a locale whose decimal separator is a comma (as Qt sets
// it from LC_ALL=de_DE.UTF-8): a key file's pair becomes a cruise file and
// the cruise file Version 7 files again, every number with its decimals.
TEST(WindowConversion, NumbersKeepTheirDecimalsUnderADecimalCommaLocale) {
  sw::testing::TestApplication();
  sw::test::ScopedDecimalCommaLocale locale;
  ASSERT_TRUE(locale.active());
  AutoAnswer auto_answer;
  const testing::ScratchFolder scratch("sw_conv");
  const fs::path& dir = scratch.path();
  std::ofstream(dir / "sale7.key") << sw::test::KeyFileText("06V", "sale7.job");
  const std::vector<std::string> job = sw::test::Version7JobLines(12, 2, false, 42.5);
  std::ofstream(dir / "sale7.job") << sw::test::JoinLines(job);

  testing::WindowUnderTest ui(dir);
  ASSERT_TRUE(ui.initialised);
  MainWindow& window = *ui.window;
  const app::CreateOutcome& outcome = ui.outcome;
  ::testing::internal::CaptureStderr();
  window.file_box()->setFocus();
  QTest::keyClicks(window.file_box(), QString::fromStdString((dir / "sale7.key").string()));
  QTest::keyClick(window.file_box(), Qt::Key_Return);
  QTest::mouseClick(window.create_button(), Qt::LeftButton);
  ASSERT_EQ(outcome, app::CreateOutcome::kDone) << ::testing::internal::GetCapturedStderr();
  {
    auto crz = storage::Storage::Open(dir / "sale7.crz", storage::Storage::Mode::ReadOnly);
    ASSERT_TRUE(crz) << crz.status().message();
    EXPECT_EQ(crz->GetView("CuttingUnitTable").Bind(cruisedb::col::Area).Get(0), 42.5);
  }

  window.file_box()->selectAll();
  QTest::keyClicks(window.file_box(), QString::fromStdString((dir / "sale7.crz").string()));
  QTest::keyClick(window.file_box(), Qt::Key_Return);
  QTest::mouseClick(window.version7_box(), Qt::LeftButton);
  QTest::mouseClick(window.create_button(), Qt::LeftButton);
  const std::string shown = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(outcome, app::CreateOutcome::kDone) << shown;
  std::ifstream in(dir / "sale7.job");
  std::string first, unit;
  std::getline(in, first);
  std::getline(in, unit);
  EXPECT_EQ(unit, job[1]);
  EXPECT_EQ(unit.substr(12, 7), "  42.50");
}

QWidget* VisibleProgressPopup() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowTitle().startsWith("Progress")) return w;
  return nullptr;
}

// Cancel clicked with the mouse while the job file is being read: the import
// stops, no cruise file is left and the job and key files are unchanged.
TEST(WindowConversion, CancelClickedDuringTheImportLeavesNothing) {
  sw::testing::TestApplication();
  AutoAnswer auto_answer;
  const testing::ScratchFolder scratch("sw_conv");
  const fs::path& dir = scratch.path();
  const std::string key = sw::test::KeyFileText("06V", "sale7.job");
  const std::string job = sw::test::JoinLines(sw::test::Version7JobLines(400, 3, /*shuffled=*/false));
  std::ofstream(dir / "sale7.key") << key;
  std::ofstream(dir / "sale7.job") << job;

  testing::WindowUnderTest ui(dir);
  ASSERT_TRUE(ui.initialised);
  MainWindow& window = *ui.window;
  const app::CreateOutcome& outcome = ui.outcome;
  window.file_box()->setFocus();
  QTest::keyClicks(window.file_box(), QString::fromStdString((dir / "sale7.key").string()));
  QTest::keyClick(window.file_box(), Qt::Key_Return);

  // Runs at the first pump of the import, with the progress popup up and the
  // main window disabled.
  bool clicked = false;
  bool main_window_disabled = false;
  QTimer::singleShot(0, [&] {
    QWidget* popup = VisibleProgressPopup();
    if (popup == nullptr) return;
    QPushButton* cancel = popup->findChild<QPushButton*>();
    main_window_disabled = !window.isEnabled();
    QTest::mouseClick(cancel, Qt::LeftButton);
    clicked = true;
  });
  ::testing::internal::CaptureStderr();
  QTest::mouseClick(window.create_button(), Qt::LeftButton);
  const std::string shown = ::testing::internal::GetCapturedStderr();

  ASSERT_TRUE(clicked) << shown;
  EXPECT_TRUE(main_window_disabled);
  EXPECT_EQ(outcome, app::CreateOutcome::kCancelled) << shown;
  EXPECT_NE(shown.find("Progress Cancelled"), std::string::npos) << shown;
  EXPECT_FALSE(fs::exists(dir / "sale7.crz"));
  std::ifstream key_in(dir / "sale7.key"), job_in(dir / "sale7.job");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(key_in), {}), key);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(job_in), {}), job);
  EXPECT_TRUE(window.isEnabled());
  QApplication::processEvents();
}

}  // namespace
}  // namespace sw::gui
