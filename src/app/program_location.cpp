// The running program's folder on Linux: /proc/self/exe names the file
// itself, whatever the command line held (blanks, quotes, arguments).
//
// Not for: other systems' lookups.
#include "app/program_location.h"

#include <system_error>

namespace sw::app {

std::filesystem::path ProgramDirectory(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !exe.empty()) return exe.parent_path();
  if (argv0 == nullptr) return std::filesystem::current_path(ec);
  std::filesystem::path from_args = std::filesystem::absolute(argv0, ec);
  return from_args.parent_path();
}

}  // namespace sw::app
