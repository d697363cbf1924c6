// The program's main window on the Qt platform over a scratch folder that
// holds the base dictionary, for tests that drive a whole conversion through
// it as a user does.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/create_command.h"
#include "app/main_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"

namespace sw::gui::testing {

// A fresh folder in the temp folder with "CruiseDefault.stp" in it, removed
// with all it holds when the test ends.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    std::filesystem::copy_file(std::filesystem::path(SW_BIN_DIR) / "CruiseDefault.stp", path_ / "CruiseDefault.stp");
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The main window as the program builds it over `folder`, shown, with the
// outcome of its last Create. `window` is null when the folder could not be
// set up (`initialised` false).
struct WindowUnderTest {
  explicit WindowUnderTest(const std::filesystem::path& folder) : dialog(platform) {
    initialised = dialog.Initialise(folder, folder);
    if (!initialised) return;
    window = std::make_unique<MainWindow>(dialog);
    platform.SetMainWindow(window.get());
    app::InstallCreateCommand(dialog, [this](app::CreateOutcome o) { outcome = o; });
    window->show();
  }

  QtPlatform platform;
  app::MainDialog dialog;
  std::unique_ptr<MainWindow> window;
  bool initialised = false;
  app::CreateOutcome outcome = app::CreateOutcome::kNothing;
};

}  // namespace sw::gui::testing
