// One QApplication for the in-process window tests, on the offscreen
// platform, with its settings kept in a temporary folder.
#pragma once

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace sw::testing {

// The settings folder of one test program, removed when the program ends.
struct ScratchConfigHome {
  std::string path;
  ScratchConfigHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sw_gui_XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~ScratchConfigHome() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "gui_test";
  static char* argv[] = {name, nullptr};
  static ScratchConfigHome config_home;
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("XDG_CONFIG_HOME", config_home.path.c_str(), 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace sw::testing
