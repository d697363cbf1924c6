// The progress popup on Qt Widgets: a top-most tool window without a close
// button, holding a label, a progress bar and a Cancel button.
//
// Not for: the caption, percentage and Cancel rules (progress::ProgressWindow).
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/platform.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace sw::gui {

class ProgressPopup : public platform::ProgressPopup {
 public:
  ProgressPopup(QWidget* owner, const std::string& caption, bool smooth_bar, const std::string& cancel_label);
  ~ProgressPopup() override;

  void SetCaption(const std::string& caption) override;
  void SetText(const std::string& text) override;
  void SetRange(int lower, int upper, int step) override;
  void SetPosition(int position) override;
  platform::TextMetrics Measure(int text_lines, const std::string& cancel_label) override;
  void ApplyLayout(const platform::ProgressLayout& layout) override;
  void Show() override;
  void Hide() override;
  bool IsVisible() const override;
  bool HasFocus() const override;
  void TakeFocus() override;
  platform::Point TopLeft() const override;
  void MoveTo(platform::Point top_left) override;
  void CentreOverOwner() override;
  platform::Rect CancelButtonScreenRect() const override;
  void SetCancelHandler(std::function<void()> handler) override { cancel_handler_ = std::move(handler); }

  QWidget* widget() const { return window_; }

 private:
  QPointer<QWidget> owner_;
  QWidget* window_;
  QLabel* label_;
  QProgressBar* bar_;
  QPushButton* button_;
  std::function<void()> cancel_handler_;
};

}  // namespace sw::gui
