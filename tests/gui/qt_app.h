// One QApplication for the in-process window tests, on the offscreen
// platform, with its settings kept in a temporary folder.
#pragma once

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace sw::testing {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "gui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string pattern = (std::filesystem::temp_directory_path() / "sw_gui_XXXXXX").string();
    setenv("XDG_CONFIG_HOME", mkdtemp(pattern.data()), 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace sw::testing
