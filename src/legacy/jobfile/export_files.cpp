// Export reports and file-name helpers for the Version 7 writers (see
// export_files.h).
#include "legacy/jobfile/export_files.h"

namespace sw::legacy {
namespace fs = std::filesystem;

namespace {

std::string Listed(const std::vector<std::string>& lines, std::size_t total) {
  std::string text;
  for (const std::string& line : lines) text += "\n" + line;
  if (total > lines.size()) text += "\n... and " + std::to_string(total - lines.size()) + " more";
  return text;
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

std::string ExportReport::RefusalText(const fs::path& file) const {
  if (!refused()) return {};
  return file.string() + " was not written; these values cannot be written without changing the "
                         "columns of their record:" + Listed(refusals_, refusal_count_);
}

std::string ExportReport::NotesText(const fs::path& file) const {
  if (note_count_ == 0) return {};
  return file.string() + " was written, but:" + Listed(notes_, note_count_);
}

bool FitsField(std::string_view text, std::size_t width) {
  return text.size() <= width && text.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

std::string AlreadyExistsQuestion(const fs::path& path) {
  return path.string() + " already exists\nDO YOU WANT TO DELETE IT?";
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
