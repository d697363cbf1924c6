#include "cyclefile/cycle_reader.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "legacy/line.h"

namespace sw::cyclefile {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string LeftTrim(std::string text) {
  std::size_t first = 0;
  while (first < text.size() && IsSpace(text[first])) ++first;
  text.erase(0, first);
  return text;
}

std::string Trim(std::string text) {
  text = LeftTrim(std::move(text));
  while (!text.empty() && IsSpace(text.back())) text.pop_back();
  return text;
}

// Characters from..to of R (inclusive), as far as R reaches.
std::string Slice(std::string_view r, std::size_t from, std::size_t to) {
  if (from >= r.size()) return std::string();
  return std::string(r.substr(from, to - from + 1));
}

float Number(const std::string& text) { return static_cast<float>(legacy::Atof(text)); }

// Defect percentages: 99 stands for a whole defect.
float Defect(const std::string& text) {
  const float value = Number(text);
  return value == 99.0f ? 100.0f : value;
}

}  // namespace

bool IsHeaderToken(std::string_view token) { return token == "-999"; }

std::string PadRegion(std::string_view token) {
  std::string region;
  for (char c : token) {
    if (c != ',') region += c;
  }
  region = LeftTrim(std::move(region));
  if (region == "10" || region == "11" || region == "12") return region;
  return "0" + region;
}

CycleHeader DecodeHeader(std::string_view r) {
  CycleHeader h;
  h.line = std::string(r);
  h.cycle = Slice(r, 8, 9);
  h.cycle_year = Trim(Slice(r, 11, 14));
  h.name_prefix = Slice(r, 16, 22);
  h.cruise_no = Slice(r, 18, 22);
  h.cal_year = Trim(Slice(r, 62, 65));
  h.tree_class = r.size() > 76 && (r[76] == 'T' || r[76] == 't') ? "L" : "C";
  std::string description = Slice(r, 123, 131);
  if (!description.empty()) description.insert(std::min<std::size_t>(3, description.size()), ",");
  h.stratum_description = std::move(description);
  return h;
}

CycleReader::CycleReader(std::string text) : text_(std::move(text)) {}

std::string CycleReader::Token() {
  while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && pos_ - start < 4 && !IsSpace(text_[pos_])) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::string CycleReader::Field(bool* complete) {
  const std::size_t comma = text_.find(',', pos_);
  if (comma == std::string::npos) {
    std::string rest = text_.substr(pos_);
    pos_ = text_.size();
    if (complete) *complete = false;
    return rest;
  }
  std::string value = text_.substr(pos_, comma - pos_);
  pos_ = comma + 1;
  if (complete) *complete = true;
  return value;
}

std::string CycleReader::RestOfLine() {
  std::size_t end = text_.find('\n', pos_);
  if (end == std::string::npos) end = text_.size();
  std::size_t stop = end;
  if (stop > pos_ && text_[stop - 1] == '\r') --stop;  // a CR LF line end
  std::string line = text_.substr(pos_, stop - pos_);
  pos_ = end;
  while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  return line;
}

CycleHeader CycleReader::ReadHeader() { return DecodeHeader(RestOfLine()); }

bool CycleReader::ReadRecord(std::string_view first_token, CycleRecord& rec) {
  bool complete = true;
  std::string f[22];
  for (int i = 0; i < 21 && complete; ++i) f[i] = Field(&complete);
  if (!complete) return false;
  f[21] = RestOfLine();
  rec.region = PadRegion(first_token);
  rec.forest = LeftTrim(f[0]);
  rec.district = LeftTrim(f[1]);
  rec.stratum = Trim(f[2]);
  rec.product = LeftTrim(f[3]);
  // f[4] is not used.
  rec.tree = LeftTrim(f[5]);
  rec.species = LeftTrim(f[6]);
  rec.plot = LeftTrim(f[7]);
  rec.live_count = Number(f[8]);
  rec.dead_count = Number(f[9]);
  rec.dbh = Number(f[10]);
  rec.total_height = Number(f[11]);
  rec.crown = LeftTrim(f[12]);
  rec.secondary_defect = Defect(f[13]);
  rec.primary_defect = Defect(f[14]);
  rec.form_class = legacy::Atoi(f[15]);
  rec.height_first_live_limb = Number(f[16]);
  rec.vol_eq1 = LeftTrim(f[17]);
  rec.vol_eq2 = LeftTrim(f[18]);
  rec.top_dib1 = Number(f[19]);
  rec.top_dib2 = Number(f[20]);
  rec.dbh_bark_thickness_ratio = static_cast<float>(legacy::Atof(f[21]) * 100.0);
  return true;
}

CycleReader::Item CycleReader::Next(CycleHeader& header, CycleRecord& record) {
  while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  item_start_ = pos_;
  const std::string token = Token();
  if (token.empty()) return Item::kEnd;
  if (IsHeaderToken(token)) {
    header = ReadHeader();
    return Item::kHeader;
  }
  return ReadRecord(token, record) ? Item::kRecord : Item::kIncomplete;
}

bool CycleReader::PassOverRecord() {
  for (int i = 0; i < 21; ++i) {
    const std::size_t comma = text_.find(',', pos_);
    if (comma == std::string::npos) {
      pos_ = text_.size();
      return false;
    }
    pos_ = comma + 1;
  }
  const std::size_t end = text_.find('\n', pos_);
  pos_ = end == std::string::npos ? text_.size() : end;
  while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  return true;
}

CycleReader::Item CycleReader::Skip(CycleHeader& header) {
  while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  item_start_ = pos_;
  const std::string token = Token();
  if (token.empty()) return Item::kEnd;
  if (IsHeaderToken(token)) {
    header = ReadHeader();
    return Item::kHeader;
  }
  return PassOverRecord() ? Item::kRecord : Item::kIncomplete;
}

std::size_t CycleReader::item_line() const {
  const auto end = text_.begin() + static_cast<std::ptrdiff_t>(std::min(item_start_, text_.size()));
  return 1 + static_cast<std::size_t>(std::count(text_.begin(), end, '\n'));
}

CycleScan ScanCycles(std::string_view text) {
  CycleScan scan;
  CycleReader reader{std::string(text)};
  CycleHeader header;
  for (;;) {
    const CycleReader::Item item = reader.Skip(header);
    if (item == CycleReader::Item::kEnd || item == CycleReader::Item::kIncomplete) break;
    if (item == CycleReader::Item::kHeader) scan.entries.push_back({header.cycle, header.cycle_year});
  }
  scan.count = std::to_string(scan.entries.size());
  return scan;
}

bool LoadCycleFile(const std::filesystem::path& path, std::string& text, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = "it is a folder, not a file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = std::filesystem::exists(path, ec) ? "it cannot be opened for reading" : "no such file";
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "reading it failed";
    return false;
  }
  return true;
}

}  // namespace sw::cyclefile
