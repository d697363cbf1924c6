// A platform without a window system. Tests queue its answers (message box
// buttons, chosen files, window events) and read back everything the
// program showed; the command-line program configures it to answer from
// options or the terminal and to echo messages on stderr.
//
// Not for: drawing. Its progress popup only records what it was told,
// unless a popup factory supplies another (the terminal progress bar).
#pragma once

#include <csignal>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace sw::platform {

// What a scripted progress popup was told; outlives the popup.
struct PopupRecord {
  std::string caption;
  std::vector<std::string> caption_history;  // every caption set, in order
  std::string text;
  std::string cancel_label;
  bool smooth_bar = false;
  int lower = 0;
  int upper = 0;
  int step = 0;
  int position = 0;
  int position_updates = 0;
  bool visible = false;
  bool focused = false;
  bool destroyed = false;
  int centred = 0;
  Point top_left;
  ProgressLayout layout;
  std::function<void()> cancel_handler;
  Rect cancel_button_screen_rect() const;
};

class ScriptedPlatform : public Platform {
 public:
  using Answerer = std::function<Button(const Message&)>;
  using PopupFactory = std::function<std::unique_ptr<ProgressPopup>(const std::string& caption, bool smooth_bar,
                                                                     const std::string& cancel_label)>;

  // --- scripting ---
  void QueueAnswer(Button button) { answers_.push_back(button); }
  // Used once the queued answers run out; by default OK, or No to a question.
  void SetAnswerer(Answerer answerer) { answerer_ = std::move(answerer); }
  void QueueOpenFile(std::optional<std::string> path) { open_files_.push_back(std::move(path)); }
  void QueueEvent(Event event) { events_.push_back(event); }
  // Every message is also written here as "caption: text".
  void SetEcho(std::ostream* echo) { echo_ = echo; }
  void SetPopupFactory(PopupFactory factory) { popup_factory_ = std::move(factory); }
  // The next `count` popup creations fail.
  void FailPopupCreation(int count) { failing_popups_ = count; }
  void SetScreenSize(Size size) { screen_ = size; }
  // Read at each pump: when set, it is cleared and seen as a cancel request.
  void SetInterruptFlag(volatile std::sig_atomic_t* flag) { interrupt_ = flag; }

  // --- what the program did ---
  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<OpenFileRequest>& file_requests() const { return file_requests_; }
  const std::vector<std::pair<std::string, std::string>>& about_boxes() const { return about_boxes_; }
  int wait_cursor_depth() const { return wait_depth_; }
  bool main_window_enabled() const { return main_enabled_; }
  int brought_to_front() const { return front_count_; }
  const std::vector<Event>& dispatched() const { return dispatched_; }
  const std::deque<Event>& pending_events() const { return events_; }
  int posted_quits() const { return posted_quits_; }
  // Records of every popup created, oldest first.
  const std::vector<std::shared_ptr<PopupRecord>>& popups() const { return popups_; }
  std::map<std::pair<std::string, std::string>, int>& profile() { return profile_; }

  // --- Platform ---
  Button ShowMessage(const Message& message) override;
  std::optional<std::string> AskOpenFile(const OpenFileRequest& request) override;
  void ShowAbout(const std::string& caption, const std::string& text) override;
  void BeginWaitCursor() override { ++wait_depth_; }
  void EndWaitCursor() override {
    if (wait_depth_ > 0) --wait_depth_;
  }
  std::unique_ptr<ProgressPopup> CreateProgressPopup(const std::string& caption, bool smooth_bar,
                                                     const std::string& cancel_label) override;
  Size ScreenSize() const override { return screen_; }
  void SetMainWindowEnabled(bool enabled) override { main_enabled_ = enabled; }
  void BringMainWindowToFront() override { ++front_count_; }
  PumpResult PumpEvents(const std::function<bool(const Event&)>& inspect) override;
  void PostQuit() override;
  int ReadProfileInt(const std::string& section, const std::string& key, int fallback) override;
  void WriteProfileInt(const std::string& section, const std::string& key, int value) override;

  // --- cycle selection ---
  // Answers the cycle dialog; without one the dialog is cancelled.
  using CycleSelector = std::function<CycleSelection(const CycleSelectRequest&)>;
  void SetCycleSelector(CycleSelector selector) { cycle_selector_ = std::move(selector); }
  const std::vector<CycleSelectRequest>& cycle_requests() const { return cycle_requests_; }
  CycleSelection SelectCycles(const CycleSelectRequest& request) override;

 private:
  CycleSelector cycle_selector_;
  std::vector<CycleSelectRequest> cycle_requests_;

  void ClickCancelButtonAt(Point point);

  std::deque<Button> answers_;
  Answerer answerer_;
  std::deque<std::optional<std::string>> open_files_;
  std::deque<Event> events_;
  std::ostream* echo_ = nullptr;
  PopupFactory popup_factory_;
  int failing_popups_ = 0;
  Size screen_{1024, 768};
  volatile std::sig_atomic_t* interrupt_ = nullptr;

  std::vector<Message> messages_;
  std::vector<OpenFileRequest> file_requests_;
  std::vector<std::pair<std::string, std::string>> about_boxes_;
  int wait_depth_ = 0;
  bool main_enabled_ = true;
  int front_count_ = 0;
  std::vector<Event> dispatched_;
  int posted_quits_ = 0;
  std::vector<std::shared_ptr<PopupRecord>> popups_;
  std::map<std::pair<std::string, std::string>, int> profile_;
};

}  // namespace sw::platform
