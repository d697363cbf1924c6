// Terminal answers, the terminal progress bar and the Ctrl-C handler.
//
// Not for: anything a window program uses.
#include "platform/terminal.h"

#if defined(_WIN32)
// clang-format off
#include <windows.h>
#include <io.h>
#include <shellapi.h>
// clang-format on

#include "storage/win32_text.h"
#else
#include <poll.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>

namespace sw::platform {
namespace {

constexpr int kBarWidth = 30;
volatile std::sig_atomic_t* g_interrupt_flag = nullptr;

#if defined(_WIN32)
// Runs on a thread of its own that the console starts. TRUE keeps the
// process alive; FALSE passes the event on to the default handler, which
// ends the program.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      if (g_interrupt_flag == nullptr || *g_interrupt_flag != 0) return FALSE;
      *g_interrupt_flag = 1;
      return TRUE;
    default:
      return FALSE;
  }
}
#else
// Waits until standard input has something to read. False when Ctrl-C came
// first, also when it came just before the wait began (a blocking read would
// then wait for a line that nobody types).
bool WaitForInput() {
  for (;;) {
    if (g_interrupt_flag != nullptr && *g_interrupt_flag != 0) return false;
    pollfd p{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&p, 1, 100);
    if (g_interrupt_flag != nullptr && *g_interrupt_flag != 0) return false;
    if (ready != 0) return true;  // readable, closed, or an error the read will report
  }
}

extern "C" void OnInterrupt(int signal_number) {
  if (g_interrupt_flag == nullptr || *g_interrupt_flag != 0) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  *g_interrupt_flag = 1;
}
#endif

}  // namespace

ScriptedPlatform::Answerer TerminalAnswerer(std::optional<Button> fixed, bool interactive, std::istream& in,
                                            std::ostream& out) {
  return [fixed, interactive, &in, &out](const Message& message) {
    if (message.buttons != Buttons::kYesNo) return Button::kOk;
    if (fixed) return *fixed;
    if (!interactive) {
      out << "(no answer given: No; use --yes or --no)\n" << std::flush;
      return Button::kNo;
    }
    for (;;) {
      out << "Answer [y/n]: " << std::flush;
      std::string line;
#if !defined(_WIN32)
      if (&in == &std::cin && in.rdbuf()->in_avail() <= 0 && !WaitForInput()) return Button::kNo;
#endif
      if (!std::getline(in, line)) return Button::kNo;
      line.erase(std::remove_if(line.begin(), line.end(), [](unsigned char c) { return std::isspace(c); }),
                 line.end());
      if (line == "y" || line == "Y" || line == "yes" || line == "YES") return Button::kYes;
      if (line == "n" || line == "N" || line == "no" || line == "NO") return Button::kNo;
    }
  };
}

TerminalProgressPopup::TerminalProgressPopup(std::ostream& out, bool enabled, std::string caption)
    : out_(out), enabled_(enabled), caption_(std::move(caption)) {}

TerminalProgressPopup::~TerminalProgressPopup() { Hide(); }

void TerminalProgressPopup::SetCaption(const std::string& caption) {
  caption_ = caption;
  Draw();
}

void TerminalProgressPopup::SetText(const std::string& text) {
  text_ = text;
  std::replace(text_.begin(), text_.end(), '\n', ' ');
  Draw();
}

void TerminalProgressPopup::SetRange(int lower, int upper, int) {
  lower_ = lower;
  upper_ = upper;
  Draw();
}

void TerminalProgressPopup::SetPosition(int position) {
  position_ = position;
  Draw();
}

TextMetrics TerminalProgressPopup::Measure(int text_lines, const std::string& cancel_label) {
  return TextMetrics{{1, text_lines}, {static_cast<int>(cancel_label.size()) + 2, 1}, 0, 0};
}

void TerminalProgressPopup::Show() {
  visible_ = true;
  Draw();
}

void TerminalProgressPopup::Hide() {
  if (visible_ && enabled_ && !drawn_.empty()) out_ << "\n" << std::flush;
  visible_ = false;
  drawn_.clear();
}

void TerminalProgressPopup::Draw() {
  if (!enabled_ || !visible_) return;
  const long long span = static_cast<long long>(upper_) - lower_;
  long long filled = span > 0 ? (static_cast<long long>(position_) - lower_) * kBarWidth / span : 0;
  filled = std::clamp<long long>(filled, 0, kBarWidth);
  std::string line = caption_ + " [" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kBarWidth - filled), '-') + "] " + text_;
  if (line == drawn_) return;
  // Pad with blanks so that a shorter line covers the longer one before it.
  std::string padded = line;
  if (drawn_.size() > padded.size()) padded.append(drawn_.size() - padded.size(), ' ');
  out_ << "\r" << padded << std::flush;
  drawn_ = line;
}

#if defined(_WIN32)

void InstallInterruptHandler(volatile std::sig_atomic_t* flag) {
  g_interrupt_flag = flag;
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// _isatty is also true for the NUL device; only a console has a console mode.
bool IsTerminal(int fd) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

std::vector<std::string> Arguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(storage::win32::Narrow(wide[i]));
  ::LocalFree(wide);
  return out;
}

// The console's own code page comes back when the program ends, so that
// the command window goes on as the user had it.
void UseUtf8Console() {
  static const UINT previous = ::GetConsoleOutputCP();
  if (previous == 0 || previous == CP_UTF8) return;
  if (::SetConsoleOutputCP(CP_UTF8)) std::atexit([] { ::SetConsoleOutputCP(previous); });
}

#else

bool IsTerminal(int fd) { return ::isatty(fd) != 0; }

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void UseUtf8Console() {}

void InstallInterruptHandler(volatile std::sig_atomic_t* flag) {
  g_interrupt_flag = flag;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a prompt waiting for input gives up
  sigaction(SIGINT, &action, nullptr);
}

#endif

}  // namespace sw::platform
