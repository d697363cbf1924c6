// What the Version 7 key and job file writers share: the list of values an
// export cannot write, and the ways an export file replaces an existing one
// (asking the user first, never leaving a half-written or lost file).
//
// Not for: record layouts (job_layouts.h, key_records.h).
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

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

  // Shows the refusals as an error ("... was not written") or the notes as a
  // warning; nothing when there are none.
  void ShowRefusals(platform::Platform& platform, const std::filesystem::path& file) const;
  void ShowNotes(platform::Platform& platform, const std::filesystem::path& file) const;

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

enum class WriteOutcome { kWritten, kDeclined, kRefused, kFailed };

// Writes `target` through `write` (a temporary file renamed into place) after
// making an existing target writable. When that fails, asks the "already
// exists" question: No shows `declined_text` and gives kDeclined; Yes moves
// the old file aside, writes again and restores it when the write fails
// again (the user is then told why). When `write` returns false because
// `report` holds refusals, nothing is asked and kRefused is returned.
WriteOutcome WriteAsking(platform::Platform& platform, const std::filesystem::path& target,
                         const std::function<bool(std::ostream&)>& write, const ExportReport& report,
                         std::string_view declined_text);

// Keeps a copy of `original` under `backup` before a rewrite. An existing
// backup is only replaced when the user agrees; a No shows
// "Cannot continue with program\nEXIT NOW!". False when declined or the
// copy failed (the user has been told); every file is then as it was.
bool KeepBackupCopy(platform::Platform& platform, const std::filesystem::path& original,
                    const std::filesystem::path& backup);

// `path` up to its last "." (the whole path without one) followed by `suffix`.
std::filesystem::path ReplaceExtension(const std::filesystem::path& path, std::string_view suffix);

// The part of a path after its last "\" or "/" (the whole text without one).
std::string BareFileName(std::string_view path);

}  // namespace sw::legacy
