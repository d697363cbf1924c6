// Export reports and file replacement for the Version 7 writers (see
// export_files.h).
#include "legacy/jobfile/export_files.h"

#include <fstream>
#include <system_error>

#include "legacy/files.h"

namespace sw::legacy {
namespace fs = std::filesystem;
using platform::Button;
using platform::Buttons;
using platform::Icon;
using platform::Message;

namespace {

std::string Listed(const std::vector<std::string>& lines, std::size_t total) {
  std::string text;
  for (const std::string& line : lines) text += "\n" + line;
  if (total > lines.size()) text += "\n... and " + std::to_string(total - lines.size()) + " more";
  return text;
}

// A name beside `target` that no file has, for the old file while the new
// one is written.
fs::path AsideName(const fs::path& target) {
  std::error_code ec;
  for (int n = 0;; ++n) {
    fs::path candidate = target;
    candidate += ".old" + std::to_string(n);
    if (!fs::exists(candidate, ec)) return candidate;
  }
}

void ShowError(platform::Platform& platform, const std::string& text) {
  platform.ShowMessage(Message{text, "ERROR", Icon::kStop, Buttons::kOk});
}

}  // namespace

void ExportReport::Refuse(std::string_view table, std::size_t row, std::string_view column, std::string_view value,
                          std::string_view why) {
  if (refusals_.size() < kShown)
    refusals_.push_back(std::string(table) + " row " + std::to_string(row + 1) + ", " + std::string(column) +
                        " \"" + std::string(value) + "\": " + std::string(why));
  ++refusal_count_;
}

void ExportReport::Note(std::string text) {
  if (notes_.size() < kShown) notes_.push_back(std::move(text));
  ++note_count_;
}

void ExportReport::ShowRefusals(platform::Platform& platform, const fs::path& file) const {
  if (!refused()) return;
  ShowError(platform, file.string() + " was not written; these values cannot be written without changing the "
                                      "columns of their record:" + Listed(refusals_, refusal_count_));
}

void ExportReport::ShowNotes(platform::Platform& platform, const fs::path& file) const {
  if (note_count_ == 0) return;
  platform.ShowMessage(Message{file.string() + " was written, but:" + Listed(notes_, note_count_), "WARNING",
                               Icon::kExclamation, Buttons::kOk});
}

bool FitsField(std::string_view text, std::size_t width) {
  return text.size() <= width && text.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

std::string AlreadyExistsQuestion(const fs::path& path) {
  return path.string() + " already exists\nDO YOU WANT TO DELETE IT?";
}

WriteOutcome WriteAsking(platform::Platform& platform, const fs::path& target,
                         const std::function<bool(std::ostream&)>& write, const ExportReport& report,
                         std::string_view declined_text) {
  std::string error;
  MakeWritable(target);
  if (WriteFileReplacing(target, write, error)) return WriteOutcome::kWritten;
  if (report.refused()) return WriteOutcome::kRefused;

  Button answer = platform.ShowMessage(Message{AlreadyExistsQuestion(target), kProgramCaption, Icon::kQuestion,
                                               Buttons::kYesNo});
  if (answer != Button::kYes) {
    platform.ShowMessage(Message{std::string(declined_text), kProgramCaption, Icon::kInformation, Buttons::kOk});
    return WriteOutcome::kDeclined;
  }
  // The old file stays aside until the new one is in place.
  std::error_code ec;
  fs::path aside;
  if (fs::exists(fs::symlink_status(target, ec))) {
    aside = AsideName(target);
    fs::rename(target, aside, ec);
    if (ec) {
      ShowError(platform, target.string() + " cannot be replaced:\n" + ec.message());
      return WriteOutcome::kFailed;
    }
  }
  error.clear();
  if (WriteFileReplacing(target, write, error)) {
    if (!aside.empty()) fs::remove(aside, ec);
    return WriteOutcome::kWritten;
  }
  if (!aside.empty()) fs::rename(aside, target, ec);
  if (report.refused()) return WriteOutcome::kRefused;
  ShowError(platform, target.string() + " cannot be written:\n" + error);
  return WriteOutcome::kFailed;
}

bool KeepBackupCopy(platform::Platform& platform, const fs::path& original, const fs::path& backup) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(backup, ec))) {
    Button answer = platform.ShowMessage(Message{AlreadyExistsQuestion(backup), kProgramCaption, Icon::kQuestion,
                                                 Buttons::kYesNo});
    if (answer != Button::kYes) {
      platform.ShowMessage(
          Message{"Cannot continue with program\nEXIT NOW!", kProgramCaption, Icon::kExclamation, Buttons::kOk});
      return false;
    }
    MakeWritable(backup);
  }
  // A copy, not a rename: the original stays under its name until the new
  // file replaces it whole.
  std::string error;
  bool copied = WriteFileReplacing(
      backup,
      [&](std::ostream& out) {
        std::ifstream in(original, std::ios::binary);
        if (!in) return false;
        out << in.rdbuf();
        return !in.bad();
      },
      error);
  if (!copied) {
    ShowError(platform, original.string() + " cannot be kept as " + backup.string() + ":\n" + error);
    return false;
  }
  return true;
}

fs::path ReplaceExtension(const fs::path& path, std::string_view suffix) {
  std::string text = path.string();
  std::size_t separator = text.find_last_of("/\\");
  std::size_t dot = text.find_last_of('.');
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) text.resize(dot);
  return fs::path(text + std::string(suffix));
}

std::string BareFileName(std::string_view path) {
  std::size_t separator = path.find_last_of("/\\");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

}  // namespace sw::legacy
