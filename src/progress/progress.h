// What a long conversion reports to: range, position, message text, the
// message pump and the cancelled flag. Two kinds: ProgressWindow (a popup
// with a Cancel button) and WindowlessProgress (numbers only, never
// cancelled), so that a conversion runs the same with or without a window.
//
// Not for: drawing; see progress_window.h and the platform layer.
#pragma once

#include <string>

namespace sw::progress {

// The percentage shown for a position: position * 100 / (upper - lower),
// truncated, or 0 when the range is empty. The position is not offset by the
// lower bound (every user starts at 0).
int PercentOf(int position, int lower, int upper);

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetProgressRange(int lower, int upper, int step) = 0;
  // Returns the previous position.
  virtual int SetProgressPos(int position) = 0;
  virtual void SetMessage(const std::string& text) = 0;
  virtual void PumpMessages(bool cancel_on_escape) = 0;
  virtual bool IsCancelled() const = 0;

  // printf-style message text, cut at 511 bytes.
  void SetMessageText(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// The window-less variant: keeps the numbers, shows nothing, never cancels.
class WindowlessProgress : public Progress {
 public:
  void SetProgressRange(int lower, int upper, int step) override;
  int SetProgressPos(int position) override;
  void SetMessage(const std::string& text) override { message_ = text; }
  void PumpMessages(bool) override {}
  bool IsCancelled() const override { return false; }

  int lower() const { return lower_; }
  int upper() const { return upper_; }
  int step() const { return step_; }
  int position() const { return position_; }
  int percent() const { return PercentOf(position_, lower_, upper_); }
  const std::string& message() const { return message_; }

 private:
  int lower_ = 0;
  int upper_ = 100;
  int step_ = 1;
  int position_ = 0;
  std::string message_;
};

}  // namespace sw::progress
