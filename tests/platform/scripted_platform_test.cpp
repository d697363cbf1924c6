// The scripted platform answers and records as tests and the command-line
// program rely on: queued answers first, safe defaults after, quit requests
// not dispatched, Ctrl-C seen as a cancel request.
#include "platform/scripted_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace sw::platform {
namespace {

using Kind = Event::Kind;

TEST(ScriptedPlatform, QueuedAnswersThenOkOrNo) {
  ScriptedPlatform p;
  p.QueueAnswer(Button::kYes);
  EXPECT_EQ(p.ShowMessage({"Delete?", "T", Icon::kQuestion, Buttons::kYesNo}), Button::kYes);
  EXPECT_EQ(p.ShowMessage({"Delete?", "T", Icon::kQuestion, Buttons::kYesNo}), Button::kNo);
  EXPECT_EQ(p.ShowMessage({"Done", "T", Icon::kInformation, Buttons::kOk}), Button::kOk);
  ASSERT_EQ(p.messages().size(), 3u);
  EXPECT_EQ(p.messages()[2].text, "Done");
}

TEST(ScriptedPlatform, EchoesCaptionAndUnchangedText) {
  ScriptedPlatform p;
  std::ostringstream out;
  p.SetEcho(&out);
  p.ShowMessage({"A  \nB", "ERROR", Icon::kStop, Buttons::kOk});
  EXPECT_EQ(out.str(), "ERROR: A  \nB\n");
}

TEST(ScriptedPlatform, OpenFileAnswersInOrderThenCancel) {
  ScriptedPlatform p;
  p.QueueOpenFile("/a.key");
  EXPECT_EQ(p.AskOpenFile({"key", "", "f"}), "/a.key");
  EXPECT_EQ(p.AskOpenFile({"key", "/a.key", "f"}), std::nullopt);
  EXPECT_EQ(p.file_requests()[1].initial_path, "/a.key");
}

TEST(ScriptedPlatform, PumpStopsAtQuitWithoutDispatchingIt) {
  ScriptedPlatform p;
  p.QueueEvent({Kind::kOther, {}});
  p.QueueEvent({Kind::kQuit, {}});
  p.QueueEvent({Kind::kOther, {}});
  int seen = 0;
  EXPECT_EQ(p.PumpEvents([&](const Event&) { return ++seen, true; }), Platform::PumpResult::kQuit);
  EXPECT_EQ(p.dispatched().size(), 1u);
  EXPECT_EQ(p.pending_events().size(), 1u);
}

TEST(ScriptedPlatform, PumpStopsAfterTheEventTheInspectorRefuses) {
  ScriptedPlatform p;
  for (int i = 0; i < 3; ++i) p.QueueEvent({Kind::kOther, {}});
  EXPECT_EQ(p.PumpEvents([](const Event&) { return false; }), Platform::PumpResult::kDone);
  EXPECT_EQ(p.dispatched().size(), 1u);
  EXPECT_EQ(p.pending_events().size(), 2u);
}

TEST(ScriptedPlatform, InterruptFlagBecomesOneCancelRequest) {
  ScriptedPlatform p;
  volatile std::sig_atomic_t flag = 1;
  p.SetInterruptFlag(&flag);
  std::vector<Kind> kinds;
  p.PumpEvents([&](const Event& e) { return kinds.push_back(e.kind), true; });
  p.PumpEvents([&](const Event& e) { return kinds.push_back(e.kind), true; });
  EXPECT_EQ(kinds, std::vector<Kind>{Kind::kCancelRequest});
  EXPECT_EQ(flag, 0);
}

TEST(ScriptedPlatform, FailedPopupCreationThenSuccess) {
  ScriptedPlatform p;
  p.FailPopupCreation(1);
  EXPECT_EQ(p.CreateProgressPopup("P", false, " Cancel "), nullptr);
  EXPECT_NE(p.CreateProgressPopup("P", false, " Cancel "), nullptr);
}

TEST(ScriptedPlatform, WaitCursorNestsAndNeverGoesNegative) {
  ScriptedPlatform p;
  {
    WaitCursor outer(p);
    WaitCursor inner(p);
    EXPECT_EQ(p.wait_cursor_depth(), 2);
  }
  p.EndWaitCursor();
  EXPECT_EQ(p.wait_cursor_depth(), 0);
}

// The names of the structure updater's log note come from the system; they
// agree with what the system tells every program through its environment.
TEST(PlatformNames, UserAndComputerNamesFromTheSystem) {
  ScriptedPlatform platform;
  const std::string user = platform.UserName();
  const std::string computer = platform.ComputerName();
  EXPECT_FALSE(user.empty());
  EXPECT_FALSE(computer.empty());
#if defined(_WIN32)
  if (const char* env = std::getenv("USERNAME"); env != nullptr && *env != '\0') {
    EXPECT_EQ(user, env);
  }
  if (const char* env = std::getenv("COMPUTERNAME"); env != nullptr && *env != '\0') {
    EXPECT_EQ(computer, env);
  }
#endif
}

}  // namespace
}  // namespace sw::platform
