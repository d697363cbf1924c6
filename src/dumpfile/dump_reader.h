// The dump file (".crz.dmp"): a text image of a cruise file. For each table
// a line containing "[", the table's view description on the next line, one
// more line that is passed over, and then one line per row: the column
// values in the description's order, separated by commas. In text values
// "^" stands for a comma, "!" for a line break, and a single blank for the
// empty text.
//
// Lines are read whole, whatever their length, with their leading blanks; a
// CR before the LF is dropped; empty lines are passed over.
//
// Not for: building the cruise file (convert/dump_converter).
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "storage/storage.h"

namespace sw::dumpfile {

class DumpReader {
 public:
  // Reads from a file; is_open() is false when it cannot be opened.
  explicit DumpReader(const std::filesystem::path& path);
  // Reads text held in memory (tests, fuzzing).
  static DumpReader FromText(std::string text);

  bool is_open() const { return open_; }

  struct Item {
    enum class Kind { kTable, kRow, kEnd } kind = Kind::kEnd;
    std::string description;  // kTable: the view description
    std::string line;         // kRow: the row's text
    std::size_t line_number = 0;
  };
  // The next table announcement or row line.
  Item Next();
  // True when the stream failed while reading (not at its end).
  bool failed() const;

 private:
  DumpReader() = default;
  bool ReadLine(std::string& line);
  bool ReadNonEmptyLine(std::string& line);

  std::unique_ptr<std::istream> in_;
  bool open_ = false;
  std::size_t line_number_ = 0;
};

// Decodes a text value: a single blank is "", "^" is a comma, "!" a line feed.
std::string DecodeText(std::string_view text);

// Splits a row line into one value per column type, converted by the type
// letter: S decoded text, I 32-bit, L 64-bit, F single and D double numbers
// (no digits give 0). Missing values are empty; surplus values are ignored.
std::vector<storage::Value> SplitRow(std::string_view line, const std::vector<storage::Type>& types);

// 64-bit text-to-integer: leading blanks skipped, optional sign, digits up to
// the first other character; out-of-range values saturate.
std::int64_t ToLong(std::string_view text);

}  // namespace sw::dumpfile
