// The "Select Cycles to Convert" dialog driven by clicks: its texts and
// sorted list, a two-entry choice, OK with nothing selected, and Cancel.
#include "gui/cycle_select_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "qt_app.h"

namespace sw::gui {
namespace {

using platform::Button;

platform::CycleSelectRequest Request() {
  platform::CycleSelectRequest r;
  r.count = "5";
  r.entries = {" 2  2010", " 1  2005", "10  2020", " 1  2005", " 1  1998"};
  r.cycles = {{" 2", "2010"}, {" 1", "2005"}, {"10", "2020"}, {" 1", "2005"}, {" 1", "1998"}};
  return r;
}

struct Asker {
  std::vector<platform::Message> asked;
  std::vector<Button> answers;
  Button operator()(const platform::Message& m) {
    asked.push_back(m);
    if (answers.empty()) return Button::kOk;
    Button b = answers.front();
    answers.erase(answers.begin());
    return b;
  }
};

void ClickRow(QListWidget* list, int row) {
  const QRect rect = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

TEST(CycleSelectDialogTest, TextsAndSortedList) {
  sw::testing::TestApplication();
  Asker asker;
  CycleSelectDialog dialog(Request(), std::ref(asker));
  EXPECT_EQ(dialog.windowTitle(), "Select Cycles to Convert");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("count")->text(), "5");
  EXPECT_TRUE(dialog.findChild<QLineEdit*>("count")->isReadOnly());
  QStringList labels;
  for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains("There are "));
  EXPECT_TRUE(labels.contains("cycles in this file."));
  EXPECT_TRUE(labels.contains("Select cycles from the box by clicking.\nListing shows cycle number followed by the year."));
  EXPECT_TRUE(labels.contains("Multiple selection will create multiple files."));
  QListWidget* list = dialog.list();
  ASSERT_EQ(list->count(), 5);
  EXPECT_EQ(list->item(0)->text(), " 1  1998");
  EXPECT_EQ(list->item(1)->text(), " 1  2005");
  EXPECT_EQ(list->item(2)->text(), " 1  2005");
  EXPECT_EQ(list->item(3)->text(), " 2  2010");
  EXPECT_EQ(list->item(4)->text(), "10  2020");
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::MultiSelection);
}

TEST(CycleSelectDialogTest, TwoEntriesChosenByClicksThenOk) {
  sw::testing::TestApplication();
  Asker asker;
  CycleSelectDialog dialog(Request(), std::ref(asker));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  ClickRow(dialog.list(), 4);  // "10  2020"
  ClickRow(dialog.list(), 1);  // " 1  2005", the first of the two
  QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(asker.asked.empty());
  // In list order, as indices of the request's entries.
  EXPECT_EQ(dialog.selection(), (std::vector<std::size_t>{1, 2}));
}

TEST(CycleSelectDialogTest, OkWithNothingSelectedWarnsAndStaysOpen) {
  sw::testing::TestApplication();
  Asker asker;
  CycleSelectDialog dialog(Request(), std::ref(asker));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  ClickRow(dialog.list(), 0);
  ClickRow(dialog.list(), 0);  // selected and unselected again
  QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_EQ(asker.asked[0].text, "NO CYCLES SELECTED! \nPlease select at least one cycle");
  EXPECT_EQ(asker.asked[0].caption, "WARNING");
  EXPECT_EQ(asker.asked[0].icon, platform::Icon::kExclamation);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  // Now a choice is made and OK closes it.
  ClickRow(dialog.list(), 3);
  QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.selection(), (std::vector<std::size_t>{0}));
}

TEST(CycleSelectDialogTest, CancelAsksFirst) {
  sw::testing::TestApplication();
  Asker asker;
  asker.answers = {Button::kNo, Button::kYes};
  CycleSelectDialog dialog(Request(), std::ref(asker));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTest::mouseClick(dialog.cancel_button(), Qt::LeftButton);
  ASSERT_EQ(asker.asked.size(), 1u);
  EXPECT_EQ(asker.asked[0].text, "Do you really want to cancel?\nChanges will not be saved");
  EXPECT_EQ(asker.asked[0].buttons, platform::Buttons::kYesNo);
  EXPECT_TRUE(dialog.isVisible());  // No returns to the dialog
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(asker.asked.size(), 2u);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace sw::gui
