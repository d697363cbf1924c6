// ProgressWindow: the popup a long conversion shows, with its caption
// "title [n%]", message text, progress bar and Cancel button. Holds the
// numbers, the cancelled flag and the pumping rule; the platform's popup
// only draws. Its last screen position is kept in the application profile
// (section "Settings", keys "X" and "Y").
//
// Not for: the conversion's own messages ("Progress Cancelled" belongs to
// the caller).
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "progress/progress.h"

namespace sw::progress {

// The popup's layout in pixels for the given measurements and width.
platform::ProgressLayout ComputeLayout(const platform::TextMetrics& metrics, int width);

class ProgressWindow : public Progress {
 public:
  static constexpr int kDefaultWidth = 390;
  static constexpr int kDefaultTextLines = 4;

  // Creates and shows the popup at once. When the popup cannot be created
  // the object has no window and every operation does nothing.
  ProgressWindow(platform::Platform& platform, const std::string& title, bool smooth_bar = false,
                 bool remember_position = true);
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Disables the main window until Close; creates the popup first if there
  // is none (false when that fails again).
  bool BeginModal(const std::string& title, bool smooth_bar = false);
  void LayoutWindow(int text_lines, int width);
  void SetProgressRange(int lower, int upper, int step) override;
  int SetProgressPos(int position) override;
  void SetMessage(const std::string& text) override;
  void PumpMessages(bool cancel_on_escape) override;
  bool IsCancelled() const override { return cancelled_; }
  void Cancel();
  void Show();
  void Hide();
  // Saves the position, re-enables the main window when modal and destroys
  // the popup. The object is not used again afterwards.
  void Close();

  bool HasWindow() const { return popup_ != nullptr; }
  bool IsModal() const { return modal_; }
  const std::string& title() const { return title_; }
  int position() const { return position_; }
  int shown_percent() const { return shown_percent_; }

 private:
  bool Create(bool smooth_bar);
  void RestorePosition();
  bool Inspect(const platform::Event& event, bool cancel_on_escape);

  platform::Platform& platform_;
  std::unique_ptr<platform::ProgressPopup> popup_;
  std::string title_ = "Progress";
  std::string cancel_label_ = " Cancel ";
  int text_lines_ = kDefaultTextLines;
  int lower_ = 0;
  int upper_ = 100;
  int step_ = 1;
  int position_ = 0;
  int shown_percent_ = 0;
  bool cancelled_ = false;
  bool modal_ = false;
  bool remember_position_ = true;
};

}  // namespace sw::progress
