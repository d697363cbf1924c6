// ProgressWindow against the scripted platform: the percentage and caption
// rules, Cancel by Escape, click and Ctrl-C, quit requests, the remembered
// position and the modal lifecycle; and the window-less variant.
#include "progress/progress_window.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/scripted_platform.h"

namespace sw::progress {
namespace {

using platform::Event;
using Kind = platform::Event::Kind;

class ProgressWindowTest : public ::testing::Test {
 protected:
  platform::PopupRecord& popup() { return *platform_.popups().back(); }
  platform::Point CancelCentre() {
    const platform::Rect r = popup().cancel_button_screen_rect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  platform::ScriptedPlatform platform_;
};

TEST(PercentOf, RuleAndLimits) {
  EXPECT_EQ(PercentOf(0, 0, 0), 0);
  EXPECT_EQ(PercentOf(5, 0, 0), 0);
  EXPECT_EQ(PercentOf(1, 0, 199), 0);
  EXPECT_EQ(PercentOf(2, 0, 199), 1);
  EXPECT_EQ(PercentOf(199, 0, 199), 100);
  EXPECT_EQ(PercentOf(2000000000, 0, 2000000000), 100);  // no overflow in position * 100
}

TEST_F(ProgressWindowTest, EmptyRangeKeepsBareTitleButMovesTheBar) {
  ProgressWindow w(platform_, "Progress");
  w.SetProgressRange(0, 0, 1);
  w.SetProgressPos(0);
  EXPECT_EQ(popup().caption, "Progress");
  EXPECT_TRUE(popup().caption_history.empty());
  EXPECT_EQ(popup().position_updates, 1);
}

TEST_F(ProgressWindowTest, CaptionWaitsForOnePercentAndIsNotRewrittenForTheSamePercent) {
  ProgressWindow w(platform_, "Progress");
  w.SetProgressRange(0, 200, 1);
  w.SetProgressPos(1);  // 0 %
  EXPECT_EQ(popup().caption, "Progress");
  w.SetProgressPos(2);
  w.SetProgressPos(3);  // still 1 %
  EXPECT_EQ(popup().caption_history, std::vector<std::string>{"Progress [1%]"});
  EXPECT_EQ(w.SetProgressPos(200), 3);
  EXPECT_EQ(popup().caption, "Progress [100%]");
  EXPECT_EQ(popup().position, 200);
}

TEST_F(ProgressWindowTest, MessageTextIsCutSafely) {
  ProgressWindow w(platform_, "Progress");
  w.SetMessageText("Creating the cruise file.......");
  EXPECT_EQ(popup().text, "Creating the cruise file.......");
  const std::string long_text(2000, 'x');
  w.SetMessageText("%s", long_text.c_str());
  EXPECT_EQ(popup().text.size(), 511u);
}

TEST_F(ProgressWindowTest, LayoutFollowsMeasurements) {
  ProgressWindow w(platform_, "Progress");
  w.LayoutWindow(1, 390);
  const platform::ProgressLayout& l = popup().layout;
  EXPECT_EQ(l.text, (platform::Rect{10, 10, 400, 26}));  // one 16-pixel line
  // " Cancel " + two blanks = 10 characters of 7 pixels, plus the edges.
  EXPECT_EQ(l.button, (platform::Rect{400 - 78, 36, 400, 36 + 22}));
  EXPECT_EQ(l.bar, (platform::Rect{10, 38, 400 - 78 - 10, 56}));
  EXPECT_EQ(l.client, (platform::Size{410, 68}));
}

TEST_F(ProgressWindowTest, EscapeCancelsOnlyWhenAsked) {
  ProgressWindow w(platform_, "Progress");
  platform_.QueueEvent({Kind::kEscapeKey, {}});
  w.PumpMessages(false);
  EXPECT_FALSE(w.IsCancelled());
  platform_.QueueEvent({Kind::kEscapeKey, {}});
  w.PumpMessages(true);
  EXPECT_TRUE(w.IsCancelled());
  EXPECT_FALSE(popup().visible);
  EXPECT_EQ(platform_.brought_to_front(), 1);
}

TEST_F(ProgressWindowTest, ReleaseOverCancelCancelsBeforeDispatchWhenModal) {
  ProgressWindow w(platform_, "Progress");
  ASSERT_TRUE(w.BeginModal("Progress"));
  platform_.QueueEvent({Kind::kMouseRelease, CancelCentre()});
  platform_.QueueEvent({Kind::kOther, {}});
  w.PumpMessages(true);
  EXPECT_TRUE(w.IsCancelled());
  EXPECT_EQ(platform_.dispatched().size(), 1u);  // stopped after the click
}

TEST_F(ProgressWindowTest, ReleaseElsewhereDoesNothing) {
  ProgressWindow w(platform_, "Progress");
  ASSERT_TRUE(w.BeginModal("Progress"));
  platform_.QueueEvent({Kind::kMouseRelease, {-50, -50}});
  w.PumpMessages(true);
  EXPECT_FALSE(w.IsCancelled());
}

TEST_F(ProgressWindowTest, CancelButtonCommandCancelsModeless) {
  ProgressWindow w(platform_, "Progress");
  platform_.QueueEvent({Kind::kMouseRelease, CancelCentre()});
  w.PumpMessages(false);
  EXPECT_TRUE(w.IsCancelled());
  EXPECT_TRUE(w.HasWindow());  // a modeless window is only hidden
}

TEST_F(ProgressWindowTest, InterruptCancels) {
  volatile std::sig_atomic_t flag = 1;
  platform_.SetInterruptFlag(&flag);
  ProgressWindow w(platform_, "Progress");
  w.PumpMessages(false);
  EXPECT_TRUE(w.IsCancelled());
}

TEST_F(ProgressWindowTest, QuitRequestIsPostedAgainAndPumpingReturns) {
  ProgressWindow w(platform_, "Progress");
  platform_.QueueEvent({Kind::kQuit, {}});
  platform_.QueueEvent({Kind::kOther, {}});
  w.PumpMessages(true);
  EXPECT_EQ(platform_.posted_quits(), 1);
  EXPECT_TRUE(platform_.dispatched().empty());
  EXPECT_FALSE(w.IsCancelled());
  ASSERT_EQ(platform_.pending_events().size(), 2u);
  EXPECT_EQ(platform_.pending_events().back().kind, Kind::kQuit);
}

TEST_F(ProgressWindowTest, NoPumpingOnceCancelled) {
  ProgressWindow w(platform_, "Progress");
  w.Cancel();
  platform_.QueueEvent({Kind::kOther, {}});
  w.PumpMessages(true);
  EXPECT_TRUE(platform_.dispatched().empty());
}

TEST_F(ProgressWindowTest, StoredPositionInsideTheScreenIsUsed) {
  platform_.profile()[{"Settings", "X"}] = 100;
  platform_.profile()[{"Settings", "Y"}] = 200;
  ProgressWindow w(platform_, "Progress");
  EXPECT_EQ(popup().top_left, (platform::Point{100, 200}));
  EXPECT_EQ(popup().centred, 0);
}

TEST_F(ProgressWindowTest, StoredPositionOutsideTheScreenCentres) {
  platform_.SetScreenSize({800, 600});
  platform_.profile()[{"Settings", "X"}] = 800;
  platform_.profile()[{"Settings", "Y"}] = 10;
  ProgressWindow w(platform_, "Progress");
  EXPECT_EQ(popup().centred, 1);
}

TEST_F(ProgressWindowTest, NoStoredPositionCentres) {
  ProgressWindow w(platform_, "Progress");
  EXPECT_EQ(popup().centred, 1);
}

TEST_F(ProgressWindowTest, CloseSavesThePosition) {
  {
    ProgressWindow w(platform_, "Progress");
    popup().top_left = {33, 44};
  }
  EXPECT_EQ(platform_.ReadProfileInt("Settings", "X", -1), 33);
  EXPECT_EQ(platform_.ReadProfileInt("Settings", "Y", -1), 44);
}

TEST_F(ProgressWindowTest, ModalCancelKeepsMainWindowDisabledUntilClose) {
  ProgressWindow w(platform_, "Progress");
  ASSERT_TRUE(w.BeginModal("Progress"));
  EXPECT_FALSE(platform_.main_window_enabled());
  platform_.QueueEvent({Kind::kEscapeKey, {}});
  w.PumpMessages(true);
  EXPECT_TRUE(w.IsCancelled());
  EXPECT_TRUE(popup().destroyed);
  EXPECT_FALSE(platform_.main_window_enabled());
  w.SetProgressPos(5);  // no window: nothing happens
  w.Close();
  EXPECT_TRUE(platform_.main_window_enabled());
  EXPECT_FALSE(platform_.profile().count({"Settings", "X"}));  // the window was gone
}

TEST_F(ProgressWindowTest, DestroyingAModalWindowReenablesTheMainWindow) {
  {
    ProgressWindow w(platform_, "Progress");
    ASSERT_TRUE(w.BeginModal("Progress"));
  }
  EXPECT_TRUE(platform_.main_window_enabled());
}

TEST_F(ProgressWindowTest, ModalTakesTheFocusWhenPumping) {
  ProgressWindow w(platform_, "Progress");
  w.PumpMessages(true);
  EXPECT_FALSE(popup().focused);
  ASSERT_TRUE(w.BeginModal("Progress"));
  w.PumpMessages(true);
  EXPECT_TRUE(popup().focused);
}

TEST_F(ProgressWindowTest, WithoutAWindowEverythingIsANoOpAndBeginModalRetriesOnce) {
  platform_.FailPopupCreation(2);
  ProgressWindow w(platform_, "Progress");
  EXPECT_FALSE(w.HasWindow());
  w.SetProgressRange(0, 10, 1);
  EXPECT_EQ(w.SetProgressPos(5), 0);
  EXPECT_FALSE(w.BeginModal("Progress"));
  EXPECT_TRUE(platform_.main_window_enabled());
  EXPECT_TRUE(w.BeginModal("Progress"));
  EXPECT_TRUE(w.HasWindow());
  EXPECT_FALSE(platform_.main_window_enabled());
}

TEST(WindowlessProgress, KeepsNumbersAndNeverCancels) {
  WindowlessProgress p;
  p.SetProgressRange(0, 4, 1);
  EXPECT_EQ(p.SetProgressPos(2), 0);
  p.PumpMessages(true);
  p.SetMessageText("line %d", 7);
  EXPECT_EQ(p.percent(), 50);
  EXPECT_EQ(p.message(), "line 7");
  EXPECT_FALSE(p.IsCancelled());
}

}  // namespace
}  // namespace sw::progress
