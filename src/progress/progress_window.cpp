// ProgressWindow: the caption and percentage rules, Cancel, the pumping
// rule and the remembered screen position.
//
// Not for: drawing, which the platform's ProgressPopup does.
#include "progress/progress_window.h"

#include <cstdio>

namespace sw::progress {
namespace {

constexpr char kProfileSection[] = "Settings";
constexpr int kMargin = 10;

}  // namespace

platform::ProgressLayout ComputeLayout(const platform::TextMetrics& metrics, int width) {
  platform::ProgressLayout layout;
  platform::Rect& text = layout.text;
  text.left = kMargin;
  text.top = kMargin;
  text.bottom = text.top + metrics.text_block.height;
  text.right = text.left + width;

  const int button_width = metrics.cancel_label.width + 4 * metrics.edge_width;
  const int button_height = metrics.cancel_label.height + 3 * metrics.edge_height;
  platform::Rect& button = layout.button;
  button.right = text.right;
  button.left = button.right - button_width;
  button.top = text.bottom + kMargin;
  button.bottom = button.top + button_height;

  platform::Rect& bar = layout.bar;
  bar.left = text.left;
  bar.right = button.left - kMargin;
  bar.top = button.top + metrics.edge_height;
  bar.bottom = button.bottom - metrics.edge_height;

  layout.client = {text.right - text.left + 2 * kMargin, button.bottom + kMargin};
  return layout;
}

ProgressWindow::ProgressWindow(platform::Platform& platform, const std::string& title, bool smooth_bar,
                               bool remember_position)
    : platform_(platform), title_(title), remember_position_(remember_position) {
  Create(smooth_bar);
}

ProgressWindow::~ProgressWindow() { Close(); }

bool ProgressWindow::Create(bool smooth_bar) {
  popup_ = platform_.CreateProgressPopup(title_, smooth_bar, cancel_label_);
  if (popup_ == nullptr) return false;
  popup_->SetCancelHandler([this] { Cancel(); });
  LayoutWindow(text_lines_, kDefaultWidth);
  if (remember_position_) {
    RestorePosition();
  } else {
    popup_->CentreOverOwner();
  }
  Show();
  return true;
}

void ProgressWindow::RestorePosition() {
  const int x = platform_.ReadProfileInt(kProfileSection, "X", -1);
  const int y = platform_.ReadProfileInt(kProfileSection, "Y", -1);
  const platform::Size screen = platform_.ScreenSize();
  if (x >= 0 && x < screen.width && y >= 0 && y < screen.height) {
    popup_->MoveTo({x, y});
  } else {
    popup_->CentreOverOwner();
  }
}

bool ProgressWindow::BeginModal(const std::string& title, bool smooth_bar) {
  if (popup_ == nullptr) {
    title_ = title;
    if (!Create(smooth_bar)) return false;
  }
  platform_.SetMainWindowEnabled(false);
  modal_ = true;
  return true;
}

void ProgressWindow::LayoutWindow(int text_lines, int width) {
  text_lines_ = text_lines;
  if (popup_ == nullptr) return;
  popup_->ApplyLayout(ComputeLayout(popup_->Measure(text_lines, cancel_label_), width));
}

void ProgressWindow::SetProgressRange(int lower, int upper, int step) {
  if (popup_ == nullptr) return;
  lower_ = lower;
  upper_ = upper;
  step_ = step;
  popup_->SetRange(lower, upper, step);
}

int ProgressWindow::SetProgressPos(int position) {
  const int previous = position_;
  if (popup_ == nullptr) return previous;
  if (!cancelled_) Show();  // a cancelled window stays hidden
  position_ = position;
  const int percent = PercentOf(position, lower_, upper_);
  if (percent != shown_percent_) {
    shown_percent_ = percent;
    char caption[512];
    std::snprintf(caption, sizeof caption, "%s [%d%%]", title_.c_str(), percent);
    popup_->SetCaption(caption);
  }
  popup_->SetPosition(position);
  return previous;
}

void ProgressWindow::SetMessage(const std::string& text) {
  if (popup_ == nullptr) return;
  popup_->SetText(text);
}

void ProgressWindow::PumpMessages(bool cancel_on_escape) {
  if (modal_ && popup_ != nullptr && !popup_->HasFocus()) popup_->TakeFocus();
  if (cancelled_) return;
  const auto result =
      platform_.PumpEvents([this, cancel_on_escape](const platform::Event& e) { return Inspect(e, cancel_on_escape); });
  if (result == platform::Platform::PumpResult::kQuit) platform_.PostQuit();
}

// Looks at an event before it is dispatched; false stops the pumping.
bool ProgressWindow::Inspect(const platform::Event& event, bool cancel_on_escape) {
  using Kind = platform::Event::Kind;
  if (event.kind == Kind::kEscapeKey && cancel_on_escape) Cancel();
  if (event.kind == Kind::kCancelRequest) Cancel();
  // A click released over Cancel counts even before the button's own
  // command is dispatched.
  if (modal_ && event.kind == Kind::kMouseRelease && popup_ != nullptr &&
      popup_->CancelButtonScreenRect().Contains(event.screen_point)) {
    Cancel();
  }
  return !cancelled_;
}

void ProgressWindow::Cancel() {
  if (cancelled_) return;
  cancelled_ = true;
  Hide();
  // A modal window closes at once; the main window stays disabled until
  // the caller runs Close.
  if (modal_) popup_.reset();
  platform_.BringMainWindowToFront();
}

void ProgressWindow::Show() {
  if (popup_ != nullptr && !popup_->IsVisible()) popup_->Show();
}

void ProgressWindow::Hide() {
  if (popup_ != nullptr && popup_->IsVisible()) popup_->Hide();
}

void ProgressWindow::Close() {
  if (popup_ != nullptr && remember_position_) {
    const platform::Point p = popup_->TopLeft();
    platform_.WriteProfileInt(kProfileSection, "X", p.x);
    platform_.WriteProfileInt(kProfileSection, "Y", p.y);
  }
  if (modal_) {
    modal_ = false;
    platform_.SetMainWindowEnabled(true);
  }
  popup_.reset();
}

}  // namespace sw::progress
