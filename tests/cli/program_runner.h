// Runs a copy of one of the built programs from a temporary folder, so that
// a test decides whether "CruiseDefault.stp" lies beside it. Shared by the
// command-line and window program tests.
#pragma once

#if defined(_WIN32)
#include "support/win32_process.h"
#else
#include <sys/wait.h>
#endif

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "storage/utf8_path.h"

namespace sw::testing {

namespace fs = std::filesystem;

struct RunResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// The file name of a built program: "stumpwright-cli.exe" on Windows.
inline std::string ProgramFileName(const std::string& program) {
#if defined(_WIN32)
  return program + ".exe";
#else
  return program;
#endif
}

class ProgramCopy {
 public:
  // Copies SW_BIN_DIR/<program> into a fresh folder named after `folder`.
  ProgramCopy(const std::string& program, const std::string& folder) {
    static std::atomic<int> counter{0};
    std::random_device random;
    root_ = fs::temp_directory_path() / ("sw_run_" + std::to_string(random()) + "_" + std::to_string(counter++));
    fs::create_directories(root_);
    dir_ = root_ / storage::Utf8Path(folder);
    fs::create_directories(dir_);
    const std::string file = ProgramFileName(program);
    program_ = dir_ / file;
    fs::copy_file(fs::path(SW_BIN_DIR) / file, program_);
  }
  ~ProgramCopy() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  const fs::path& dir() const { return dir_; }
  // The base dictionary the build made, beside the copy.
  void AddBaseDictionary() const { fs::copy_file(fs::path(SW_BIN_DIR) / "CruiseDefault.stp", dir_ / "CruiseDefault.stp"); }

  // Runs the copy in its own folder with `env` (assignments) and `args`,
  // stdin from /dev/null (NUL on Windows, where `env` must be empty).
  RunResult Run(const std::string& env, const std::string& args) const {
    const fs::path out = root_ / "out.txt";
    const fs::path err = root_ / "err.txt";
#if defined(_WIN32)
    (void)env;
    RunResult result;
    result.exit_code = sw::test::RunWin32(program_, sw::test::WindowsArguments(args), dir_, out, err);
    result.out = Slurp(out);
    result.err = Slurp(err);
    return result;
#else
    const std::string command = "cd " + Quote(dir_) + " && env " + env + " " + Quote(program_) + " " + args +
                                " </dev/null >" + Quote(out) + " 2>" + Quote(err);
    const int status = std::system(command.c_str());
    RunResult result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Slurp(out);
    result.err = Slurp(err);
    return result;
#endif
  }

  static std::string Quote(const fs::path& path) {
    std::string quoted = "'";
    for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }

 private:
  static std::string Slurp(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path root_;
  fs::path dir_;
  fs::path program_;
};

inline const char kRefusal[] =
    "ERROR: CANNOT FIND CruiseDefault.stp!\nIt must be in the same directory as the program!\n"
    "Cannot continue -- Program stopping!\n";

}  // namespace sw::testing
