// Legacy line reading and field helpers (see line.h).
#include "legacy/line.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <vector>

namespace sw::legacy {

LineReader::LineReader(const std::filesystem::path& path) : file_(path, std::ios::binary), open_(file_.is_open()) {}

LineReader LineReader::FromText(std::string text) {
  LineReader reader;
  reader.text_ = std::move(text);
  reader.from_text_ = true;
  reader.open_ = true;
  return reader;
}

bool LineReader::Refill() {
  if (from_text_ || !file_) return false;
  constexpr std::size_t kBlock = 1 << 16;
  text_.resize(kBlock);
  file_.read(text_.data(), static_cast<std::streamsize>(kBlock));
  text_.resize(static_cast<std::size_t>(file_.gcount()));
  text_pos_ = 0;
  return !text_.empty();
}

int LineReader::Get() {
  if (text_pos_ >= text_.size() && !Refill()) return EOF;
  return static_cast<unsigned char>(text_[text_pos_++]);
}

int LineReader::Peek() {
  if (text_pos_ >= text_.size() && !Refill()) return EOF;
  return static_cast<unsigned char>(text_[text_pos_]);
}

// The C locale's white space, whatever locale the window system set.
static bool IsWhiteSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void LineReader::SkipWhiteSpace() {
  for (int c = Peek(); c != EOF && IsWhiteSpace(c); c = Peek()) Get();
}

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  if (!open_) return false;
  // The first line keeps its leading blanks; an empty first line is skipped
  // like any other blank line.
  if (at_start_) {
    at_start_ = false;
    while (Peek() == '\n' || Peek() == '\r') Get();
  }
  if (Peek() == EOF) return false;
  for (;;) {
    if (text_pos_ >= text_.size() && !Refill()) break;
    const std::size_t end = text_.find('\n', text_pos_);
    if (end == std::string::npos) {
      line.append(text_, text_pos_, std::string::npos);
      text_pos_ = text_.size();
      continue;
    }
    line.append(text_, text_pos_, end - text_pos_);
    text_pos_ = end + 1;
    break;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  SkipWhiteSpace();
  ++lines_;
  if (line.size() > longest_) longest_ = line.size();
  return true;
}

void LineReader::Close() {
  if (!from_text_ && file_.is_open()) file_.close();
  text_.clear();
  text_pos_ = 0;
}

void LineReader::Rewind() {
  if (!from_text_) {
    file_.clear();
    file_.seekg(0);
    text_.clear();
  }
  text_pos_ = 0;
  at_start_ = true;
}

LineStats CountLines(const std::filesystem::path& path) {
  LineStats stats;
  LineReader reader(path);
  if (!reader.is_open()) return stats;
  stats.opened = true;
  std::string line;
  while (reader.ReadLine(line)) {
  }
  stats.lines = reader.lines_read();
  stats.longest = reader.longest_line();
  return stats;
}

std::string FixedField(std::string_view line, std::size_t start, std::size_t end) {
  if (start >= line.size()) return "";
  if (end > line.size()) end = line.size();
  if (end <= start) return " ";
  std::string_view field = line.substr(start, end - start);
  std::size_t last = field.find_last_not_of(' ');
  if (last == std::string_view::npos) return " ";
  return std::string(field.substr(0, last + 1));
}

std::string NormaliseRegion(std::string_view region) {
  if (!region.empty() && (region[0] == '0' || region[0] == '1')) return std::string(region);
  if (!region.empty() && region[0] == ' ') {
    std::string out(region);
    for (char& ch : out)
      if (ch == ' ') ch = '0';
    return out;
  }
  std::string out = "0";
  out += region;
  return out;
}

std::string ExpandYear(std::string_view year) {
  if (year.empty()) return "    ";
  if (year[0] >= '0' && year[0] <= '5') return "20" + std::string(year);
  if (year[0] >= '6' && year[0] <= '9') return "19" + std::string(year);
  return std::string(year);
}

double Atof(std::string_view text) {
  std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}

long long Atol(std::string_view text) {
  std::string copy(text);
  errno = 0;
  return std::strtoll(copy.c_str(), nullptr, 10);  // saturates at LLONG_MIN/LLONG_MAX
}

int Atoi(std::string_view text) {
  const long long value = Atol(text);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<std::size_t>(needed));
  }
  va_end(args);
  return out;
}

}  // namespace sw::legacy
