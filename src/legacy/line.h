// Shared helpers for the legacy text files (key files and job files): the
// line reader, fixed-column fields, and the C library's number conversions.
//
// Not for: any record layout. Key and job records live in keyfile/ and jobfile/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace sw::legacy {

// Reads legacy text files line by line. After each line every following
// white-space character is skipped (blank lines, and the leading blanks of
// the next line): the legacy formats rely on this, so a record never starts
// with a blank. A carriage return before a line feed is not part of the line.
// Lines may be of any length; the longest one read is remembered so that
// callers can refuse files with over-long records.
class LineReader {
 public:
  explicit LineReader(const std::filesystem::path& path);
  // Reads from text already in memory (tests, fuzzing).
  static LineReader FromText(std::string text);

  bool is_open() const { return open_; }
  // The next line into `line`; false at the end of the file (line then empty).
  bool ReadLine(std::string& line);
  // Back to the start of the file (the next ReadLine gives the first line).
  void Rewind();
  // Lets go of the file; ReadLine then gives nothing. Windows will not
  // replace or rename a file that is still open for reading, so a reader of
  // a file that is about to be rewritten closes it first.
  void Close();

  std::size_t longest_line() const { return longest_; }
  std::size_t lines_read() const { return lines_; }

 private:
  LineReader() = default;
  int Get();
  int Peek();
  void SkipWhiteSpace();

  bool Refill();

  std::ifstream file_;
  // The file is read in large blocks into text_; text read from memory is
  // held there whole.
  std::string text_;
  std::size_t text_pos_ = 0;
  bool from_text_ = false;
  bool open_ = false;
  bool at_start_ = true;
  std::size_t longest_ = 0;
  std::size_t lines_ = 0;
};

// Counts the lines a LineReader would give, and the longest one.
struct LineStats {
  std::size_t lines = 0;
  std::size_t longest = 0;
  bool opened = false;
};
LineStats CountLines(const std::filesystem::path& path);

// Columns start to end-1 of the line (counted from 0), trailing blanks
// removed. A field inside the line that is blank gives " "; a field that
// starts at or after the end of the line gives "".
std::string FixedField(std::string_view line, std::size_t start, std::size_t end);

// Region text: kept when it starts with "0" or "1"; when it starts with a
// blank every blank becomes "0"; otherwise "0" is put in front.
std::string NormaliseRegion(std::string_view region);

// Two-digit years: "" gives four blanks; "0".."5" first get "20" in front,
// "6".."9" get "19"; anything else is returned unchanged.
std::string ExpandYear(std::string_view year);

// The C library's atof, atoi and atol in the "C" locale: leading white space
// skipped, conversion stops at the first character that does not fit, a
// blank or malformed text gives 0. Out-of-range integers saturate instead of
// invoking undefined behaviour. Atol is 64 bits wide on every system (a
// Windows long has 32), so a file reads the same everywhere.
double Atof(std::string_view text);
int Atoi(std::string_view text);
long long Atol(std::string_view text);

// printf into a std::string (the legacy writers quote printf formats).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace sw::legacy
