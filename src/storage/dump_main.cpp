// stumpwright-dump: prints a storage file as dump text, or builds a storage
// file from dump text (--restore TEXT OUT). A thin front end over dump_text.
// The text is written with LF line ends on every system, so that a dump made
// on Windows is byte for byte the one made elsewhere.
#if defined(_WIN32)
// clang-format off
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
// clang-format on

#include "storage/win32_text.h"
#endif

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "storage/dump_text.h"
#include "storage/utf8_path.h"

namespace {

// The arguments as UTF-8: on Windows from the wide command line, since
// argv there is in the ANSI code page.
std::vector<std::string> Arguments(int argc, char** argv) {
#if defined(_WIN32)
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count); wide != nullptr) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(sw::storage::win32::Narrow(wide[i]));
    ::LocalFree(wide);
    return out;
  }
#endif
  return std::vector<std::string>(argv, argv + argc);
}

constexpr char kUsage[] = "usage: stumpwright-dump FILE\n       stumpwright-dump --restore TEXT OUT\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace sw::storage;
#if defined(_WIN32)
  ::_setmode(::_fileno(stdout), _O_BINARY);
  // UTF-8 on a console while the program runs; the user's code page after.
  static const UINT previous = ::GetConsoleOutputCP();
  if (previous != 0 && previous != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    std::atexit([] { ::SetConsoleOutputCP(previous); });
  }
#endif
  const std::vector<std::string> args = Arguments(argc, argv);
  if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
    std::cout << kUsage
              << "\nPrints a cruise file (or any other storage file) as text: its structure, then\n"
                 "every view with its columns and rows. With --restore, builds the storage file\n"
                 "OUT from such a text (OUT must not exist yet).\n";
    return 0;
  }
  if (args.size() == 2 && !args[1].empty() && args[1][0] == '-') {
    std::cerr << "stumpwright-dump: unknown option \"" << args[1] << "\" (a file whose name starts with \"-\" "
              << "can be given as ./" << args[1] << ")\n" << kUsage;
    return 2;
  }
  if (args.size() == 2) {
    std::ios::sync_with_stdio(false);
    Status st = DumpFileTo(Utf8Path(args[1]), std::cout);
    if (st.ok()) std::cout.flush();
    if (!st.ok() || !std::cout.good()) {
      std::cerr << "stumpwright-dump: " << (st.ok() ? std::string("the dump text could not be written") : st.message())
                << "\n";
      return 1;
    }
    return 0;
  }
  if (args.size() == 4 && args[1] == "--restore") {
    std::ifstream in(Utf8Path(args[2]), std::ios::binary);
    if (!in) {
      std::cerr << "stumpwright-dump: cannot read \"" << args[2] << "\"\n";
      return 1;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    Status st = RestoreDump(buffer.str(), Utf8Path(args[3]));
    if (!st.ok()) {
      std::cerr << "stumpwright-dump: " << st.message() << "\n";
      return 1;
    }
    return 0;
  }
  std::cerr << kUsage;
  return 2;
}
