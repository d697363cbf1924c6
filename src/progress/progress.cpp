// The percentage rule, message formatting and the window-less progress.
//
// Not for: the window; see progress_window.cpp.
#include "progress/progress.h"

#include <cstdarg>
#include <cstdio>

namespace sw::progress {

int PercentOf(int position, int lower, int upper) {
  if (upper <= lower) return 0;
  // 64 bits: position * 100 must not overflow for large ranges.
  return static_cast<int>(static_cast<long long>(position) * 100 / (static_cast<long long>(upper) - lower));
}

void Progress::SetMessageText(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);  // cuts, never overruns
  va_end(args);
  SetMessage(buffer);
}

void WindowlessProgress::SetProgressRange(int lower, int upper, int step) {
  lower_ = lower;
  upper_ = upper;
  step_ = step;
}

int WindowlessProgress::SetProgressPos(int position) {
  const int previous = position_;
  position_ = position;
  return previous;
}

}  // namespace sw::progress
