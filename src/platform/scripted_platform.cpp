// The scripted platform and its recording progress popup.
//
// Not for: terminal input or output beyond the optional message echo.
#include "platform/scripted_platform.h"

namespace sw::platform {
namespace {

// Fixed measurements: a 7 x 16 pixel font.
constexpr int kCharWidth = 7;
constexpr int kLineHeight = 16;

class ScriptedPopup : public ProgressPopup {
 public:
  explicit ScriptedPopup(std::shared_ptr<PopupRecord> record) : record_(std::move(record)) {}
  ~ScriptedPopup() override {
    record_->destroyed = true;
    record_->visible = false;
    record_->cancel_handler = nullptr;
  }

  void SetCaption(const std::string& caption) override {
    record_->caption = caption;
    record_->caption_history.push_back(caption);
  }
  void SetText(const std::string& text) override { record_->text = text; }
  void SetRange(int lower, int upper, int step) override {
    record_->lower = lower;
    record_->upper = upper;
    record_->step = step;
  }
  void SetPosition(int position) override {
    record_->position = position;
    ++record_->position_updates;
  }
  TextMetrics Measure(int text_lines, const std::string& cancel_label) override {
    TextMetrics m;
    m.text_block = {kCharWidth, kLineHeight * text_lines};
    m.cancel_label = {kCharWidth * static_cast<int>(cancel_label.size() + 2), kLineHeight};
    return m;
  }
  void ApplyLayout(const ProgressLayout& layout) override { record_->layout = layout; }
  void Show() override { record_->visible = true; }
  void Hide() override { record_->visible = false; }
  bool IsVisible() const override { return record_->visible; }
  bool HasFocus() const override { return record_->focused; }
  void TakeFocus() override { record_->focused = true; }
  Point TopLeft() const override { return record_->top_left; }
  void MoveTo(Point top_left) override { record_->top_left = top_left; }
  void CentreOverOwner() override { ++record_->centred; }
  Rect CancelButtonScreenRect() const override { return record_->cancel_button_screen_rect(); }
  void SetCancelHandler(std::function<void()> handler) override { record_->cancel_handler = std::move(handler); }

 private:
  std::shared_ptr<PopupRecord> record_;
};

}  // namespace

Rect PopupRecord::cancel_button_screen_rect() const {
  const Rect& b = layout.button;
  return {top_left.x + b.left, top_left.y + b.top, top_left.x + b.right, top_left.y + b.bottom};
}

Button ScriptedPlatform::ShowMessage(const Message& message) {
  messages_.push_back(message);
  if (echo_ != nullptr) *echo_ << message.caption << ": " << message.text << "\n" << std::flush;
  if (!answers_.empty()) {
    Button b = answers_.front();
    answers_.pop_front();
    return b;
  }
  if (answerer_) return answerer_(message);
  return message.buttons == Buttons::kYesNo ? Button::kNo : Button::kOk;
}

std::optional<std::string> ScriptedPlatform::AskOpenFile(const OpenFileRequest& request) {
  file_requests_.push_back(request);
  if (open_files_.empty()) return std::nullopt;
  std::optional<std::string> path = std::move(open_files_.front());
  open_files_.pop_front();
  return path;
}

void ScriptedPlatform::ShowAbout(const std::string& caption, const std::string& text) {
  about_boxes_.emplace_back(caption, text);
  if (echo_ != nullptr) *echo_ << caption << ": " << text << "\n" << std::flush;
}

std::unique_ptr<ProgressPopup> ScriptedPlatform::CreateProgressPopup(const std::string& caption, bool smooth_bar,
                                                                     const std::string& cancel_label) {
  if (failing_popups_ > 0) {
    --failing_popups_;
    return nullptr;
  }
  if (popup_factory_) return popup_factory_(caption, smooth_bar, cancel_label);
  auto record = std::make_shared<PopupRecord>();
  record->caption = caption;
  record->cancel_label = cancel_label;
  record->smooth_bar = smooth_bar;
  popups_.push_back(record);
  return std::make_unique<ScriptedPopup>(record);
}

Platform::PumpResult ScriptedPlatform::PumpEvents(const std::function<bool(const Event&)>& inspect) {
  if (interrupt_ != nullptr && *interrupt_ != 0) {
    *interrupt_ = 0;
    events_.push_front(Event{Event::Kind::kCancelRequest, {}});
  }
  while (!events_.empty()) {
    Event event = events_.front();
    events_.pop_front();
    const bool go_on = inspect(event);
    if (event.kind == Event::Kind::kQuit) return PumpResult::kQuit;
    dispatched_.push_back(event);
    if (event.kind == Event::Kind::kMouseRelease) ClickCancelButtonAt(event.screen_point);
    if (!go_on) break;
  }
  return PumpResult::kDone;
}

// A released click over a live popup's cancel button runs its command.
void ScriptedPlatform::ClickCancelButtonAt(Point point) {
  for (const auto& record : popups_) {
    if (record->destroyed || !record->visible || !record->cancel_button_screen_rect().Contains(point)) continue;
    std::function<void()> handler = record->cancel_handler;  // the handler may destroy the popup
    if (handler) handler();
    return;
  }
}

void ScriptedPlatform::PostQuit() {
  ++posted_quits_;
  events_.push_back(Event{Event::Kind::kQuit, {}});
}

int ScriptedPlatform::ReadProfileInt(const std::string& section, const std::string& key, int fallback) {
  auto it = profile_.find({section, key});
  return it == profile_.end() ? fallback : it->second;
}

void ScriptedPlatform::WriteProfileInt(const std::string& section, const std::string& key, int value) {
  profile_[{section, key}] = value;
}

CycleSelection ScriptedPlatform::SelectCycles(const CycleSelectRequest& request) {
  cycle_requests_.push_back(request);
  return cycle_selector_ ? cycle_selector_(request) : CycleSelection();
}

}  // namespace sw::platform
