// The cycle file (".wpx"): growth-model tree measurements of several stands
// and measurement cycles. A file is a run of sections; a section is a header
// line (the token "-999" and the rest of its line) followed by data records
// of 23 comma-separated values. Three reading primitives define the layout:
//   token        skip white space, then up to 4 non-white-space characters
//   field        everything up to the next comma, which is consumed
//   rest of line everything up to the line end, then all following white space
// A record starts with a token; "-999" there starts a section instead.
//
// Not for: what the values become in a cruise file (convert/cycle_converter).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sw::cyclefile {

// The values of a header line, decoded from R (the line after "-999").
struct CycleHeader {
  std::string line;                 // R itself
  std::string cycle;                // R[8-9] as read
  std::string cycle_year;           // R[11-14], blanks trimmed
  std::string name_prefix;          // R[16-22] as read
  std::string cruise_no;            // R[18-22] as read
  std::string cal_year;             // R[62-65], blanks trimmed
  std::string tree_class;           // "L" when R[76] is "T" or "t", else "C"
  std::string stratum_description;  // R[123-131] with a comma after its third character
};
CycleHeader DecodeHeader(std::string_view r);

// The 23 values of a data record.
struct CycleRecord {
  std::string region;    // commas removed, left-trimmed, "0" in front unless 10, 11, 12
  std::string forest;
  std::string district;
  std::string stratum;   // trimmed on both sides
  std::string product;
  std::string tree;
  std::string species;
  std::string plot;
  float live_count = 0;
  float dead_count = 0;
  float dbh = 0;
  float total_height = 0;
  std::string crown;
  float secondary_defect = 0;  // 99 is read as 100
  float primary_defect = 0;    // 99 is read as 100
  int form_class = 0;
  float height_first_live_limb = 0;
  std::string vol_eq1;
  std::string vol_eq2;
  float top_dib1 = 0;
  float top_dib2 = 0;
  float dbh_bark_thickness_ratio = 0;  // the last value times 100
};

bool IsHeaderToken(std::string_view token);
std::string PadRegion(std::string_view token);

// Reads a cycle file held in memory with the three primitives.
class CycleReader {
 public:
  explicit CycleReader(std::string text);

  bool AtEnd() const { return pos_ >= text_.size(); }
  // The primitives. Field sets *complete to false when the text ends before
  // a comma is found.
  std::string Token();
  std::string Field(bool* complete);
  std::string RestOfLine();

  // Called right after a "-999" token.
  CycleHeader ReadHeader();
  // Called after the first token of a data record; false when the text
  // ends before the record's last comma (the record is then incomplete).
  bool ReadRecord(std::string_view first_token, CycleRecord& record);

  // What the next record start holds. Headers are recognised only here,
  // never inside a record.
  enum class Item { kHeader, kRecord, kIncomplete, kEnd };
  Item Next(CycleHeader& header, CycleRecord& record);
  // As Next, but a data record is only passed over, not decoded.
  Item Skip(CycleHeader& header);

  // Line number (from 1) of the last item Next returned.
  std::size_t item_line() const;
  void Rewind() { pos_ = 0; item_start_ = 0; }
  // The reading position, and a return to one taken earlier.
  std::size_t position() const { return pos_; }
  void Seek(std::size_t position) { pos_ = position < text_.size() ? position : text_.size(); }

 private:
  bool PassOverRecord();
  std::string text_;
  std::size_t pos_ = 0;
  std::size_t item_start_ = 0;
};

// One header line's cycle as the selection list shows it.
struct CycleEntry {
  std::string cycle;       // R[8-9] as read
  std::string cycle_year;  // R[11-14] trimmed
  bool operator==(const CycleEntry&) const = default;
};

struct CycleScan {
  std::string count;  // the number of header lines, "%d"
  std::vector<CycleEntry> entries;  // in file order, duplicates kept
};
CycleScan ScanCycles(std::string_view text);

// Reads a whole cycle file; false with `error` saying why when it cannot.
bool LoadCycleFile(const std::filesystem::path& path, std::string& text, std::string& error);

}  // namespace sw::cyclefile
