// The Qt platform layer: the file filter, the real progress popup under
// ProgressWindow (caption, Cancel button, remembered position) and the
// held-back quit request.
#include "gui/qt_platform.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "progress/progress_window.h"
#include "qt_app.h"

namespace sw::gui {
namespace {

QWidget* PopupWindow() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->windowTitle().startsWith("Progress")) return w;
  }
  return nullptr;
}

TEST(ToQtFilter, PairsBecomeQtFilters) {
  EXPECT_EQ(ToQtFilter("Key files (*.key) |*.key|Vantor dump files (*.crz.dmp) |*.crz.dmp|All Files (*.*) |*.*||"),
            "Key files (*.key);;Vantor dump files (*.crz.dmp);;All Files (*.*) (*)");
  EXPECT_EQ(ToQtFilter("Text |*.txt||"), "Text (*.txt)");
}

TEST(QtProgress, CaptionBarAndCancelButton) {
  sw::testing::TestApplication();
  QtPlatform platform;
  progress::ProgressWindow window(platform, "Progress");
  window.LayoutWindow(1, 390);
  window.SetProgressRange(0, 4, 1);
  window.SetMessageText("Creating the cruise file.......");
  QWidget* popup = PopupWindow();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->windowTitle(), "Progress");
  window.SetProgressPos(2);
  EXPECT_EQ(popup->windowTitle(), "Progress [50%]");
  QPushButton* cancel = popup->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), " Cancel ");
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_TRUE(window.IsCancelled());
  EXPECT_FALSE(popup->isVisible());
}

TEST(QtProgress, ModalCancelByButtonIsSafeAndPositionIsKept) {
  sw::testing::TestApplication();
  QtPlatform platform;
  {
    progress::ProgressWindow window(platform, "Progress");
    ASSERT_TRUE(window.BeginModal("Progress"));
    QWidget* popup = PopupWindow();
    ASSERT_NE(popup, nullptr);
    popup->move(40, 50);
    window.Close();
    EXPECT_EQ(platform.ReadProfileInt("Settings", "X", -1), popup->frameGeometry().left());
  }
  {
    progress::ProgressWindow window(platform, "Progress");
    ASSERT_TRUE(window.BeginModal("Progress"));
    QPushButton* cancel = PopupWindow()->findChild<QPushButton*>();
    QTest::mouseClick(cancel, Qt::LeftButton);  // destroys the popup from its own click
    EXPECT_TRUE(window.IsCancelled());
    window.PumpMessages(true);
  }
  QApplication::processEvents();  // runs the deferred deletions
}

// While the popup is modal the main window is disabled; the popup and its
// Cancel button stay enabled and cancel by a real click and by the keyboard.
TEST(QtProgress, ModalPopupOverADisabledMainWindowCancelsByClickAndKey) {
  sw::testing::TestApplication();
  QWidget main_window;
  main_window.setWindowTitle("Main");
  main_window.resize(300, 200);
  main_window.show();
  QtPlatform platform;
  platform.SetMainWindow(&main_window);
  for (bool by_mouse : {true, false}) {
    SCOPED_TRACE(by_mouse ? "mouse" : "keyboard");
    progress::ProgressWindow window(platform, "Progress");
    window.LayoutWindow(1, 390);
    window.SetProgressRange(0, 10, 1);
    ASSERT_TRUE(window.BeginModal("Progress"));
    EXPECT_FALSE(main_window.isEnabled());
    QWidget* popup = PopupWindow();
    ASSERT_NE(popup, nullptr);
    QPushButton* cancel = popup->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(popup->isEnabled());
    EXPECT_TRUE(cancel->isEnabled()) << "the Cancel button is drawn disabled and ignores clicks";
    window.SetProgressPos(3);
    window.PumpMessages(true);
    EXPECT_FALSE(window.IsCancelled());
    if (by_mouse) {
      QTest::mouseClick(cancel, Qt::LeftButton);
    } else {
      cancel->setFocus();
      QTest::keyClick(cancel, Qt::Key_Space);
    }
    EXPECT_TRUE(window.IsCancelled());
    window.PumpMessages(true);
    EXPECT_FALSE(main_window.isEnabled()) << "stays disabled until the progress window is closed";
    window.Close();
    EXPECT_TRUE(main_window.isEnabled());
  }
  QApplication::processEvents();  // runs the deferred deletions
}

TEST(QtPump, QuitRequestIsHeldBackAndReported) {
  sw::testing::TestApplication();
  QtPlatform platform;
  QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
  EXPECT_EQ(platform.PumpEvents([](const platform::Event&) { return true; }), platform::Platform::PumpResult::kQuit);
  EXPECT_EQ(platform.PumpEvents([](const platform::Event&) { return true; }), platform::Platform::PumpResult::kDone);
}

TEST(QtPump, EscapeIsShownToTheInspector) {
  sw::testing::TestApplication();
  QtPlatform platform;
  progress::ProgressWindow window(platform, "Progress");
  QWidget* popup = PopupWindow();
  ASSERT_NE(popup, nullptr);
  QCoreApplication::postEvent(popup, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  window.PumpMessages(false);
  EXPECT_FALSE(window.IsCancelled());
  QCoreApplication::postEvent(popup, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
  window.PumpMessages(true);
  EXPECT_TRUE(window.IsCancelled());
}

}  // namespace
}  // namespace sw::gui
