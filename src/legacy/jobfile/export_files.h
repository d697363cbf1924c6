// What the Version 7 key and job file writers share: the list of values an
// export cannot write and the notes about a file that was written, and the
// file-name helpers of the export.
//
// Not for: record layouts (job_layouts.h, key_records.h), or writing files
// (the conversions in convert/ write through storage::OutputSet).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sw::legacy {

// The caption of the program's own message boxes.
inline constexpr char kProgramCaption[] = "Stumpwright";

// Values that cannot be written (refusals: the file is not written) and
// things the user should know about a file that was written (notes).
// Only the first kShown entries of each kind are kept for the message.
class ExportReport {
 public:
  static constexpr std::size_t kShown = 20;

  void Refuse(std::string_view table, std::size_t row, std::string_view column, std::string_view value,
              std::string_view why);
  void Note(std::string text);

  bool refused() const { return refusal_count_ > 0; }
  std::size_t refusal_count() const { return refusal_count_; }
  std::size_t note_count() const { return note_count_; }
  const std::vector<std::string>& refusals() const { return refusals_; }
  const std::vector<std::string>& notes() const { return notes_; }

  // The refusals as an error text ("... was not written") and the notes as
  // a warning text; empty when there are none.
  std::string RefusalText(const std::filesystem::path& file) const;
  std::string NotesText(const std::filesystem::path& file) const;

 private:
  std::vector<std::string> refusals_;
  std::vector<std::string> notes_;
  std::size_t refusal_count_ = 0;
  std::size_t note_count_ = 0;
};

// True when `text` holds the value whole in `width` columns and nothing in it
// would end or cut the line (a line end, a NUL byte).
bool FitsField(std::string_view text, std::size_t width);

// "<path> already exists\nDO YOU WANT TO DELETE IT?"
std::string AlreadyExistsQuestion(const std::filesystem::path& path);

// `path` up to its last "." (the whole path without one) followed by `suffix`.
std::filesystem::path ReplaceExtension(const std::filesystem::path& path, std::string_view suffix);

// The part of a path after its last "\" or "/" (the whole text without one).
std::string BareFileName(std::string_view path);

}  // namespace sw::legacy
