// MainDialog: the state and decisions of the main window. Start-up refuses
// to run without the base dictionary beside the program; Browse (or a path
// typed into the file name box) classifies the chosen file by its last three
// characters and decides which options and which button label apply; Create
// hands over to a handler that the conversion dispatch installs.
//
// Not for: widgets. The window program mirrors window() after each command;
// the command-line program drives the same object without a window.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace sw::app {

inline constexpr char kProgramTitle[] = "Stumpwright";
inline constexpr char kWindowTitle[] = "Convert Job/Key Files or Cruise Object Files -- Version 03.18.2010";
inline constexpr char kStructureVersion[] = "2010.03.18";
inline constexpr char kBaseDictionaryName[] = "CruiseDefault.stp";
inline constexpr char kAboutCaption[] = "About Stumpwright";
inline constexpr char kAboutText[] = "Stumpwright Version 03.18.2010";
inline constexpr char kAboutMenuEntry[] = "&About Stumpwright...";
inline constexpr char kFileFilter[] =
    "Key files (*.key) |*.key|Cruise Files (*.crz) |*.crz|GRO Files (*.wpx) |*.wpx|"
    "Vantor dump files (*.crz.dmp) |*.crz.dmp|All Files (*.*) |*.*||";
inline constexpr char kMissingDictionaryMessage[] =
    "CANNOT FIND CruiseDefault.stp!\nIt must be in the same directory as the program!\n"
    "Cannot continue -- Program stopping!";
inline constexpr char kUnknownFileMessage[] = "Not a KEY filename    \nor a CRZ filename.\nTRY AGAIN!";
inline constexpr std::size_t kDisplayLength = 50;

enum class FileKind { kKey, kCruise, kCycle, kDump, kUnknown };

// By the path's last three characters, compared exactly ("key" or "KEY",
// "crz" or "CRZ", "wpx" or "WPX", "dmp" or "DMP").
FileKind ClassifyPath(std::string_view path);

// What the file name box shows for a path: the path itself up to 50
// characters, otherwise "..." and its last 50 characters.
std::string DisplayText(const std::string& path);

// The state the conversion dispatch shares with the window.
struct ShellState {
  std::string SelectedPath;  // the file last chosen; empty at start
  std::string KeyFilePath;   // the key file last chosen
  int GroOption = 0;
  int Version7Option = 0;
  std::string structure_version;
  std::string start_directory;
  std::string base_dictionary_folder;  // set when the dictionary is in the start directory
  std::string base_dictionary_path;    // beside the program
  std::string file_name_text;
  std::string last_message;
  // Malformed fields or repeated records in a job file make the import fail
  // instead of being listed in a warning (the command line's --strict).
  bool strict = false;
  // After a key or job file was refused for an over-long line: the file,
  // the line and its length, for the command line to print.
  std::string long_line;
};

// What the window shows; the window program copies it into its widgets.
struct WindowState {
  std::string file_box;
  std::string create_label = "&Create";
  bool create_enabled = true;
  bool version7_visible = false;
  bool gro_visible = false;
  bool version7_checked = false;
  bool gro_checked = false;
};

class MainDialog {
 public:
  using CreateHandler = std::function<void(MainDialog&)>;

  explicit MainDialog(platform::Platform& platform) : platform_(platform) {}

  // Records the start directory and looks for the base dictionary beside
  // the program. When it is missing, shows the refusal and returns false:
  // the program must then stop.
  bool Initialise(const std::filesystem::path& program_directory, const std::filesystem::path& current_directory);

  // Asks for a file; a cancelled dialog changes nothing.
  void Browse();
  // The Browse decision for a chosen full path; false for an unknown ending.
  bool ChooseFile(const std::string& path);
  // A path typed into the file name box and confirmed. Unchanged text does
  // nothing; a relative path is taken from the current directory; an empty
  // box clears the choice.
  void ConfirmTypedPath(const std::string& text);
  // Enter pressed in the file name box holding `text`. A newly typed path is
  // only confirmed (the options that apply appear, so that they can be
  // ticked first): false. Enter on the path already confirmed asks for
  // Create: true.
  bool EnterInFileBox(const std::string& text);
  void SetGroOption(bool checked);
  void SetVersion7Option(bool checked);
  // Runs the installed conversion dispatch; without one, does nothing.
  void Create();
  void SetCreateHandler(CreateHandler handler) { create_handler_ = std::move(handler); }
  bool HasCreateHandler() const { return static_cast<bool>(create_handler_); }
  void About();

  const ShellState& state() const { return state_; }
  ShellState& state() { return state_; }
  const WindowState& window() const { return window_; }
  platform::Platform& platform() { return platform_; }

 private:
  platform::Platform& platform_;
  ShellState state_;
  WindowState window_;
  CreateHandler create_handler_;
};

}  // namespace sw::app
