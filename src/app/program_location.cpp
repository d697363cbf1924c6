// The running program's folder, asked of the operating system (Linux:
// /proc/self/exe; Windows: the module file name), so that the command line's
// text (blanks, quotes, arguments) plays no part.
#include "app/program_location.h"

#include <system_error>

#if defined(_WIN32)
#include <windows.h>

#include <vector>
#endif

namespace sw::app {

std::filesystem::path ProgramDirectory(const char* argv0) {
  std::error_code ec;
#if defined(_WIN32)
  // The buffer grows until the whole name fits (long paths exceed MAX_PATH).
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) break;
    if (n < name.size()) return std::filesystem::path(std::wstring(name.data(), n)).parent_path();
    name.resize(name.size() * 2);
  }
#else
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !exe.empty()) return exe.parent_path();
#endif
  if (argv0 == nullptr) return std::filesystem::current_path(ec);
  std::filesystem::path from_args = std::filesystem::absolute(argv0, ec);
  return from_args.parent_path();
}

}  // namespace sw::app
