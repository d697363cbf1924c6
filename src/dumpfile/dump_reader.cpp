#include "dumpfile/dump_reader.h"

#include <limits>

#include "legacy/line.h"

namespace sw::dumpfile {

DumpReader::DumpReader(const std::filesystem::path& path) {
  auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
  open_ = file->is_open();
  in_ = std::move(file);
}

DumpReader DumpReader::FromText(std::string text) {
  DumpReader reader;
  reader.in_ = std::make_unique<std::istringstream>(std::move(text));
  reader.open_ = true;
  return reader;
}

bool DumpReader::failed() const { return in_ && in_->bad(); }

bool DumpReader::ReadLine(std::string& line) {
  line.clear();
  if (!open_ || !std::getline(*in_, line)) return false;
  ++line_number_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool DumpReader::ReadNonEmptyLine(std::string& line) {
  while (ReadLine(line)) {
    if (!line.empty()) return true;
  }
  return false;
}

DumpReader::Item DumpReader::Next() {
  Item item;
  std::string line;
  if (!ReadNonEmptyLine(line)) return item;
  item.line_number = line_number_;
  if (line.find('[') != std::string::npos) {
    item.kind = Item::Kind::kTable;
    ReadNonEmptyLine(item.description);
    std::string passed_over;
    ReadNonEmptyLine(passed_over);
    return item;
  }
  item.kind = Item::Kind::kRow;
  item.line = std::move(line);
  return item;
}

std::string DecodeText(std::string_view text) {
  if (text == " ") return std::string();
  std::string out(text);
  for (char& c : out) {
    if (c == '^') c = ',';
    else if (c == '!') c = '\n';
  }
  return out;
}

std::int64_t ToLong(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                             text[i] == '\v' || text[i] == '\f')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate as a negative number so that the most negative value fits.
  std::int64_t value = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  bool overflow = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value < (kMin + digit) / 10) {
      overflow = true;
      break;
    }
    value = value * 10 - digit;
  }
  if (overflow) return negative ? kMin : std::numeric_limits<std::int64_t>::max();
  if (negative) return value;
  return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::vector<storage::Value> SplitRow(std::string_view line, const std::vector<storage::Type>& types) {
  std::vector<storage::Value> values;
  values.reserve(types.size());
  std::size_t pos = 0;
  bool exhausted = false;
  for (std::size_t i = 0; i < types.size(); ++i) {
    std::string_view text;
    if (!exhausted) {
      const std::size_t comma = line.find(',', pos);
      if (comma == std::string_view::npos) {
        text = line.substr(pos);
        exhausted = true;  // later columns have no value
      } else {
        text = line.substr(pos, comma - pos);
        pos = comma + 1;
      }
    }
    switch (types[i]) {
      case storage::Type::String: values.emplace_back(DecodeText(text)); break;
      case storage::Type::Int: values.emplace_back(static_cast<std::int32_t>(legacy::Atoi(text))); break;
      case storage::Type::Long: values.emplace_back(ToLong(text)); break;
      case storage::Type::Float: values.emplace_back(static_cast<float>(legacy::Atof(text))); break;
      case storage::Type::Double: values.emplace_back(legacy::Atof(text)); break;
      default: values.emplace_back(std::monostate{}); break;
    }
  }
  return values;
}

}  // namespace sw::dumpfile
