// A whole cycle-file conversion through the real window: the path typed
// into the box, Create pressed, the "Select Cycles to Convert" dialog
// answered by clicks, the message box confirmed, the cruise file read back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "cyclefile/cycle_text.h"
#include "gui/cycle_select_dialog.h"
#include "qt_app.h"
#include "window_harness.h"
#include "storage/storage.h"

namespace sw::gui {
namespace {

namespace fs = std::filesystem;

TEST(CycleWindow, ChosenCycleBecomesACruiseFile) {
  sw::testing::TestApplication();
  const testing::ScratchFolder scratch("sw_cycle");
  const fs::path& dir = scratch.path();
  const fs::path old_folder = fs::current_path();
  fs::current_path(dir);  // cruise files of a cycle file land in the current folder
  test::HeaderFields first;
  test::HeaderFields second;
  second.cycle = " 2";
  second.year = "2010";
  std::ofstream(dir / "stands.wpx") << test::HeaderLine(first) << test::RecordLine({}) << test::HeaderLine(second)
                                    << test::RecordLine({}) << test::RecordLine({});

  testing::WindowUnderTest ui(dir);
  ASSERT_TRUE(ui.initialised);
  MainWindow& window = *ui.window;
  const app::CreateOutcome& outcome = ui.outcome;

  // Answers whatever modal window is up: the cycle dialog by clicking the
  // second entry and OK, message boxes by OK.
  std::vector<std::string> entries;
  std::vector<std::string> boxes;
  QTimer driver;
  driver.setInterval(20);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* cycles = dynamic_cast<CycleSelectDialog*>(modal)) {
      QListWidget* list = cycles->list();
      for (int row = 0; row < list->count(); ++row) entries.push_back(list->item(row)->text().toStdString());
      const QRect rect = list->visualItemRect(list->item(1));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
      QTest::mouseClick(cycles->ok_button(), Qt::LeftButton);
    } else if (auto* box = dynamic_cast<QMessageBox*>(modal)) {
      boxes.push_back(box->text().toStdString());
      box->accept();
    }
  });
  driver.start();
  window.file_box()->setFocus();
  QTest::keyClicks(window.file_box(), QString::fromStdString((dir / "stands.wpx").string()));
  QTest::keyClick(window.file_box(), Qt::Key_Return);  // confirms the path
  QTest::keyClick(window.file_box(), Qt::Key_Return);  // presses Create
  driver.stop();
  fs::current_path(old_folder);

  EXPECT_EQ(outcome, app::CreateOutcome::kDone);
  EXPECT_EQ(entries, (std::vector<std::string>{" 1  2005", " 2  2010"}));
  EXPECT_EQ(boxes, (std::vector<std::string>{"Cruise files have been created"}));
  EXPECT_FALSE(fs::exists(dir / "STAND01_12005.crz"));
  auto crz = storage::Storage::Open(dir / "STAND01_22010.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(crz) << crz.status().message();
  EXPECT_EQ(crz->GetView("TreeTable").Size(), 2u);
}

}  // namespace
}  // namespace sw::gui
