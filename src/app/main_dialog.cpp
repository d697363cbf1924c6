// MainDialog's start-up check, Browse decision table and options.
//
// Not for: the conversions started by Create (the dispatch installs them).
#include "app/main_dialog.h"

#include <system_error>

#include "storage/utf8_path.h"

namespace sw::app {
namespace {

bool IsRegularFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

FileKind ClassifyPath(std::string_view path) {
  if (path.size() < 3) return FileKind::kUnknown;
  const std::string_view last = path.substr(path.size() - 3);
  if (last == "key" || last == "KEY") return FileKind::kKey;
  if (last == "crz" || last == "CRZ") return FileKind::kCruise;
  if (last == "wpx" || last == "WPX") return FileKind::kCycle;
  if (last == "dmp" || last == "DMP") return FileKind::kDump;
  return FileKind::kUnknown;
}

std::string DisplayText(const std::string& path) {
  if (path.size() <= kDisplayLength) return path;
  return "..." + path.substr(path.size() - kDisplayLength);
}

bool MainDialog::Initialise(const std::filesystem::path& program_directory,
                            const std::filesystem::path& current_directory) {
  state_.structure_version = kStructureVersion;
  state_.start_directory = current_directory.string();
  if (IsRegularFile(current_directory / kBaseDictionaryName)) {
    state_.base_dictionary_folder = current_directory.string();
  }
  state_.base_dictionary_path = (program_directory / kBaseDictionaryName).string();
  if (!IsRegularFile(storage::Utf8Path(state_.base_dictionary_path))) {
    platform_.ShowMessage(
        {kMissingDictionaryMessage, "ERROR", platform::Icon::kStop, platform::Buttons::kOk});
    return false;
  }
  state_.GroOption = 0;
  state_.Version7Option = 0;
  return true;
}

void MainDialog::Browse() {
  platform::OpenFileRequest request{"key", state_.SelectedPath, kFileFilter};
  if (auto path = platform_.AskOpenFile(request)) ChooseFile(*path);
}

bool MainDialog::ChooseFile(const std::string& path) {
  state_.SelectedPath = path;
  state_.file_name_text = DisplayText(path);
  // The box always shows the path Create will work on, also after an
  // unknown ending is refused.
  window_.file_box = state_.file_name_text;
  window_.gro_checked = window_.version7_checked = false;
  state_.GroOption = state_.Version7Option = 0;

  switch (ClassifyPath(path)) {
    case FileKind::kKey:
      state_.KeyFilePath = path;
      window_.create_enabled = true;
      window_.create_label = "Create";
      window_.gro_visible = window_.version7_visible = false;
      return true;
    case FileKind::kCruise:
      window_.create_enabled = true;
      window_.create_label = "Open";
      window_.gro_visible = window_.version7_visible = true;
      return true;
    case FileKind::kCycle:
      window_.create_enabled = true;
      window_.create_label = "Create";
      return true;
    case FileKind::kDump:
      window_.create_enabled = true;
      window_.create_label = "Open";
      return true;
    case FileKind::kUnknown:
      break;
  }
  state_.KeyFilePath.clear();
  platform_.ShowMessage({kUnknownFileMessage, kProgramTitle, platform::Icon::kExclamation, platform::Buttons::kOk});
  return false;
}

void MainDialog::ConfirmTypedPath(const std::string& text) {
  if (text == window_.file_box) return;
  if (text.empty()) {
    state_.SelectedPath.clear();
    state_.KeyFilePath.clear();
    state_.file_name_text.clear();
    window_.file_box.clear();
    window_.gro_checked = window_.version7_checked = false;
    state_.GroOption = state_.Version7Option = 0;
    return;
  }
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(storage::Utf8Path(text), ec);
  ChooseFile(ec ? text : full.string());
}

bool MainDialog::EnterInFileBox(const std::string& text) {
  if (text != window_.file_box) {
    ConfirmTypedPath(text);
    return false;
  }
  return true;
}

void MainDialog::SetGroOption(bool checked) {
  state_.GroOption = checked ? 1 : 0;
  window_.gro_checked = checked;
}

void MainDialog::SetVersion7Option(bool checked) {
  state_.Version7Option = checked ? 1 : 0;
  window_.version7_checked = checked;
}

void MainDialog::Create() {
  if (create_handler_) create_handler_(*this);
}

void MainDialog::About() { platform_.ShowAbout(kAboutCaption, kAboutText); }

}  // namespace sw::app
