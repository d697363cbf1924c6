// stumpwright-cli: the main window's jobs from a shell. Takes one file and
// the options of the window's check boxes, answers questions from --yes or
// --no (or asks on the terminal), prints messages on stderr and reports
// failure in its exit code.
//
// Not for: any decision of its own; MainDialog decides as in the window.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/main_dialog.h"
#include "app/program_location.h"
#include "platform/scripted_platform.h"
#include "platform/terminal.h"

namespace {

// Exit codes for scripts.
constexpr int kExitFailure = 1;             // file refused, options not applicable, conversion failed
constexpr int kExitNoBaseDictionary = 2;    // CruiseDefault.stp is not beside the program
constexpr int kExitNotAvailable = 3;        // this conversion is not built yet

volatile std::sig_atomic_t g_interrupted = 0;

void ConfigureTerminal(sw::platform::ScriptedPlatform& platform, std::optional<sw::platform::Button> answer) {
  platform.SetEcho(&std::cerr);
  const bool interactive = isatty(STDIN_FILENO) != 0 && isatty(STDERR_FILENO) != 0;
  platform.SetAnswerer(sw::platform::TerminalAnswerer(answer, interactive, std::cin, std::cerr));
  const bool draw_progress = isatty(STDERR_FILENO) != 0;
  platform.SetPopupFactory([draw_progress](const std::string& caption, bool, const std::string&) {
    return std::make_unique<sw::platform::TerminalProgressPopup>(std::cerr, draw_progress, caption);
  });
  sw::platform::InstallInterruptHandler(&g_interrupted);
  platform.SetInterruptFlag(&g_interrupted);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{"Converts a key, cruise, cycle or dump file as the Stumpwright window does."};
  std::string file;
  bool gro = false;
  bool version7 = false;
  bool yes = false;
  bool no = false;
  cli.add_option("file", file, "The file to convert (.key, .crz, .wpx, .crz.dmp)")->required();
  cli.add_flag("--gro", gro, "Cruise files: write the GRO growth-model input files");
  cli.add_flag("--version7", version7, "Cruise files: write Version 7 job and key files");
  auto* yes_flag = cli.add_flag("--yes", yes, "Answer Yes to every question");
  cli.add_flag("--no", no, "Answer No to every question")->excludes(yes_flag);
  cli.footer("Exit codes: 0 done, 1 failed, 2 CruiseDefault.stp not beside the program, "
             "3 conversion not available yet.");
  CLI11_PARSE(cli, argc, argv);

  sw::platform::ScriptedPlatform platform;
  std::optional<sw::platform::Button> answer;
  if (yes) answer = sw::platform::Button::kYes;
  if (no) answer = sw::platform::Button::kNo;
  ConfigureTerminal(platform, answer);

  sw::app::MainDialog dialog(platform);
  std::error_code ec;
  if (!dialog.Initialise(sw::app::ProgramDirectory(argv[0]), std::filesystem::current_path(ec))) {
    return kExitNoBaseDictionary;
  }
  if (!std::filesystem::is_regular_file(file, ec)) {
    std::cerr << "stumpwright-cli: no such file: " << file << "\n";
    return kExitFailure;
  }
  if (!dialog.ChooseFile(std::filesystem::absolute(file, ec).string())) return kExitFailure;
  if ((gro || version7) && !dialog.window().gro_visible) {
    std::cerr << "stumpwright-cli: --gro and --version7 apply to cruise files (.crz) only\n";
    return kExitFailure;
  }
  dialog.SetGroOption(gro);
  dialog.SetVersion7Option(version7);
  if (!dialog.HasCreateHandler()) {
    std::cerr << "stumpwright-cli: converting " << dialog.state().SelectedPath
              << " is not available yet in this version; nothing was written.\n";
    return kExitNotAvailable;
  }
  dialog.Create();
  return g_interrupted != 0 ? kExitFailure : 0;
}
