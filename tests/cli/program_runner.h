// Runs a copy of one of the built programs from a temporary folder, so that
// a test decides whether "CruiseDefault.stp" lies beside it. Shared by the
// command-line and window program tests.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace sw::testing {

namespace fs = std::filesystem;

struct RunResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class ProgramCopy {
 public:
  // Copies SW_BIN_DIR/<program> into a fresh folder named after `folder`.
  ProgramCopy(const std::string& program, const std::string& folder) {
    std::string pattern = (fs::temp_directory_path() / "sw_run_XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    dir_ = root_ / folder;
    fs::create_directories(dir_);
    program_ = dir_ / program;
    fs::copy_file(fs::path(SW_BIN_DIR) / program, program_);
  }
  ~ProgramCopy() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  const fs::path& dir() const { return dir_; }
  // The base dictionary the build made, beside the copy.
  void AddBaseDictionary() const { fs::copy_file(fs::path(SW_BIN_DIR) / "CruiseDefault.stp", dir_ / "CruiseDefault.stp"); }

  // Runs the copy in its own folder with `env` (assignments) and `args`,
  // stdin from /dev/null.
  RunResult Run(const std::string& env, const std::string& args) const {
    const fs::path out = root_ / "out.txt";
    const fs::path err = root_ / "err.txt";
    const std::string command = "cd " + Quote(dir_) + " && env " + env + " " + Quote(program_) + " " + args +
                                " </dev/null >" + Quote(out) + " 2>" + Quote(err);
    const int status = std::system(command.c_str());
    RunResult result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Slurp(out);
    result.err = Slurp(err);
    return result;
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
