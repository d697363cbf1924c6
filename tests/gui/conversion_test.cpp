// A whole key-file conversion through the real window on the Qt platform
// layer: the path typed into the box, Create pressed, the real progress
// popup shown while the job file is read, the messages answered, and the
// cruise file read back.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/create_command.h"
#include "app/main_dialog.h"
#include "cruisedb/columns.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"
#include "legacy/import/import_files.h"
#include "qt_app.h"
#include "storage/storage.h"

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
  std::string pattern = (fs::temp_directory_path() / "sw_conv_XXXXXX").string();
  const fs::path dir = mkdtemp(pattern.data());
  fs::copy_file(fs::path(SW_BIN_DIR) / "CruiseDefault.stp", dir / "CruiseDefault.stp");
  std::ofstream(dir / "sale7.key") << sw::test::KeyFileText("06V", "sale7.job");
  std::ofstream(dir / "sale7.job") << sw::test::JoinLines(sw::test::Version7JobLines(40, 3, /*shuffled=*/true));

  QtPlatform platform;
  app::MainDialog dialog(platform);
  ASSERT_TRUE(dialog.Initialise(dir, dir));
  MainWindow window(dialog);
  platform.SetMainWindow(&window);
  app::CreateOutcome outcome = app::CreateOutcome::kNothing;
  app::InstallCreateCommand(dialog, [&outcome](app::CreateOutcome o) { outcome = o; });
  window.show();

  ::testing::internal::CaptureStderr();
  window.file_box()->setFocus();
  QTest::keyClicks(window.file_box(), QString::fromStdString((dir / "sale7.key").string()));
  QTest::keyClick(window.file_box(), Qt::Key_Return);  // confirms the path and presses Create
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
  fs::remove_all(dir);
}

}  // namespace
}  // namespace sw::gui
