// Shared helpers for the legacy text files (key files and job files): the
// line reader, fixed-column fields, and the C library's number conversions.
//
// Not for: any record layout. Key and job records live in keyfile/ and jobfile/.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

// The compiler checks Format's arguments against C99 printf; MinGW's plain
// "printf" archetype would check them against the older Microsoft one.
#if defined(__MINGW32__)
#define SW_PRINTF_FORMAT(format_index, first_arg) __attribute__((format(gnu_printf, format_index, first_arg)))
#else
#define SW_PRINTF_FORMAT(format_index, first_arg) __attribute__((format(printf, format_index, first_arg)))
#endif

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
  // The line of the file (from 1, blank lines counted) the last ReadLine
  // gave; what a text editor shows as its line number.
  std::size_t file_line() const { return file_line_; }

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
  std::size_t line_ends_ = 0;  // line feeds consumed so far
  std::size_t file_line_ = 0;
};

// Counts the lines a LineReader would give, and the longest one; with a
// `limit`, also the first line longer than it (its line in the file and
// its length; 0 when there is none).
struct LineStats {
  std::size_t lines = 0;
  std::size_t longest = 0;
  bool opened = false;
  std::size_t first_over_limit = 0;
  std::size_t first_over_limit_length = 0;
};
LineStats CountLines(const std::filesystem::path& path, std::size_t limit = SIZE_MAX);

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

// The C library's atof, atoi and atol as they behave in the "C" locale,
// whatever locale the process runs in: leading white space skipped,
// conversion stops at the first character that does not fit, a blank or
// malformed text gives 0, the decimal separator is always ".". Out-of-range
// integers saturate instead of invoking undefined behaviour; an out-of-range
// real gives +-HUGE_VAL or 0 as strtod does. Atol is 64 bits wide on every
// system (a Windows long has 32), so a file reads the same everywhere.
double Atof(std::string_view text);
int Atoi(std::string_view text);
long long Atol(std::string_view text);

// printf into a std::string (the legacy writers quote printf formats), always
// with the "C" locale's decimal point and no digit grouping. Handles the
// flags "-+ 0", widths and precisions (also "*"), the length modifiers
// hh h l ll z j t L and the conversions d i u o x X c s f F e E g G %.
std::string Format(const char* format, ...) SW_PRINTF_FORMAT(1, 2);
std::string FormatV(const char* format, va_list args);

// A real number as "%<width>.<d>f" writes it, with the most decimals d, at
// most `precision`, that keep it within `width` columns (rounded, not cut).
// Empty when even its whole part does not fit, or it is not finite.
std::optional<std::string> FitDecimals(double value, int width, int precision);

// The number of decimals of a "%<width>.<precision>f" conversion and its
// width, or false when `format` is not one (e.g. "%3d", "%-6s").
bool ParseFixedFormat(std::string_view format, int& width, int& precision);

}  // namespace sw::legacy
