// The terminal side of the scripted platform, for the command-line program:
// questions answered from an option or asked on the terminal, a progress bar
// drawn on a terminal stream, and Ctrl-C turned into a cancel request.
//
// Not for: message output itself (the scripted platform echoes messages).
#pragma once

#include <csignal>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/scripted_platform.h"

namespace sw::platform {

// Answers Yes/No questions: with `fixed` when given; otherwise by asking on
// `out` and reading a line from `in` when `interactive`; otherwise No, the
// answer that changes nothing. OK boxes are answered OK without asking.
ScriptedPlatform::Answerer TerminalAnswerer(std::optional<Button> fixed, bool interactive, std::istream& in,
                                            std::ostream& out);

// A one-line progress display: "caption [#####-----] text", redrawn in place
// with a carriage return. Draws nothing when `enabled` is false (stderr not
// a terminal), so scripts see no progress noise.
class TerminalProgressPopup : public ProgressPopup {
 public:
  TerminalProgressPopup(std::ostream& out, bool enabled, std::string caption);
  ~TerminalProgressPopup() override;

  void SetCaption(const std::string& caption) override;
  void SetText(const std::string& text) override;
  void SetRange(int lower, int upper, int step) override;
  void SetPosition(int position) override;
  TextMetrics Measure(int text_lines, const std::string& cancel_label) override;
  void ApplyLayout(const ProgressLayout&) override {}
  void Show() override;
  void Hide() override;
  bool IsVisible() const override { return visible_; }
  bool HasFocus() const override { return true; }
  void TakeFocus() override {}
  Point TopLeft() const override { return {}; }
  void MoveTo(Point) override {}
  void CentreOverOwner() override {}
  Rect CancelButtonScreenRect() const override { return {}; }
  void SetCancelHandler(std::function<void()>) override {}

 private:
  void Draw();

  std::ostream& out_;
  bool enabled_;
  std::string caption_;
  std::string text_;
  int lower_ = 0;
  int upper_ = 100;
  int position_ = 0;
  bool visible_ = false;
  std::string drawn_;  // the line on screen, to skip identical redraws
};

// Installs a handler for Ctrl-C (SIGINT; on a Windows console also
// Ctrl-Break and closing the window) that sets `flag`; a second Ctrl-C while
// the flag is still set ends the program the default way.
void InstallInterruptHandler(volatile std::sig_atomic_t* flag);

// Whether standard input (0) or standard error (2) is a terminal.
bool IsTerminal(int fd);

// The program's arguments as UTF-8. On Windows `argv` is in the ANSI code
// page and loses every character outside it, so the wide command line is
// used instead; elsewhere `argv` is returned as it is.
std::vector<std::string> Arguments(int argc, char** argv);

// Makes a Windows console show the UTF-8 the program writes; nothing
// elsewhere.
void UseUtf8Console();

}  // namespace sw::platform
