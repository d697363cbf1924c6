// Legacy line reading and field helpers (see line.h).
#include "legacy/line.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <vector>

#if !defined(_WIN32)
#include <locale.h>
#include <stdlib.h>
#endif

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
  for (int c = Peek(); c != EOF && IsWhiteSpace(c); c = Peek()) {
    if (c == '\n') ++line_ends_;
    Get();
  }
}

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  if (!open_) return false;
  // The first line keeps its leading blanks; an empty first line is skipped
  // like any other blank line.
  if (at_start_) {
    at_start_ = false;
    while (Peek() == '\n' || Peek() == '\r') {
      if (Get() == '\n') ++line_ends_;
    }
  }
  if (Peek() == EOF) return false;
  file_line_ = line_ends_ + 1;
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
    ++line_ends_;
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
  line_ends_ = 0;
  file_line_ = 0;
}

LineStats CountLines(const std::filesystem::path& path, std::size_t limit) {
  LineStats stats;
  LineReader reader(path);
  if (!reader.is_open()) return stats;
  stats.opened = true;
  std::string line;
  while (reader.ReadLine(line)) {
    if (line.size() > limit && stats.first_over_limit == 0) {
      stats.first_over_limit = reader.file_line();
      stats.first_over_limit_length = line.size();
    }
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

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Skips the C locale's white space and an optional sign; true for "-".
bool SkipBlanksAndSign(std::string_view& text) {
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  text.remove_prefix(i);
  return negative;
}

// For a decimal number that from_chars found out of range: true when it is
// too large (strtod gives HUGE_VAL), false when too small (strtod gives 0).
bool DecimalOverflows(std::string_view text) {
  std::size_t i = 0;
  long magnitude = 0;
  bool seen_significant = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (text[i] != '0') seen_significant = true;
    if (seen_significant) ++magnitude;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      if (seen_significant) break;
      if (text[i] != '0') seen_significant = true;
      --magnitude;
    }
    while (i < text.size() && IsDigit(text[i])) ++i;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::string_view rest = text.substr(i + 1);
    bool negative = false;
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
      negative = rest[0] == '-';
      rest.remove_prefix(1);
    }
    long exponent = 0;
    for (char c : rest) {
      if (!IsDigit(c)) break;
      if (exponent < 100000) exponent = exponent * 10 + (c - '0');
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude > 0;
}

// The same for the digits of a hexadecimal number: its binary exponent's
// sign tells too large from too small.
bool HexOverflows(std::string_view text) {
  const std::size_t p = text.find_first_of("pP");
  return p == std::string_view::npos || p + 1 >= text.size() || text[p + 1] != '-';
}

}  // namespace

double AtofPortable(std::string_view text);

#if !defined(_WIN32)
// The C library's own conversion under a "C" locale object: exact for every
// input (long hexadecimal mantissas included) and independent of the
// process locale.
double Atof(std::string_view text) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string copy(text.substr(0, text.find('\0')));
  if (c_locale == static_cast<locale_t>(nullptr)) return AtofPortable(copy);
  return strtod_l(copy.c_str(), nullptr, c_locale);
}
#else
double Atof(std::string_view text) { return AtofPortable(text); }
#endif

double AtofPortable(std::string_view text) {
  const bool negative = SkipBlanksAndSign(text);
  if (text.empty() || text[0] == '+' || text[0] == '-') return 0.0;
  double value = 0.0;
  std::chars_format format = std::chars_format::general;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
      (IsHexDigit(text[2]) || (text[2] == '.' && text.size() > 3 && IsHexDigit(text[3])))) {
    text.remove_prefix(2);
    format = std::chars_format::hex;
  }
  // Only the longest prefix that is a number goes to from_chars: an exponent
  // mark without digits after it ends the number before the mark.
  const bool hex = format == std::chars_format::hex;
  std::size_t n = 0;
  auto digit = [&](char c) { return hex ? IsHexDigit(c) : IsDigit(c); };
  while (n < text.size() && digit(text[n])) ++n;
  if (n < text.size() && text[n] == '.') {
    ++n;
    while (n < text.size() && digit(text[n])) ++n;
  }
  if (n < text.size() && (hex ? (text[n] == 'p' || text[n] == 'P') : (text[n] == 'e' || text[n] == 'E'))) {
    std::size_t e = n + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    if (e < text.size() && IsDigit(text[e])) {
      while (e < text.size() && IsDigit(text[e])) ++e;
      n = e;
    }
  }
  if (n == 0) n = text.size();  // "inf", "nan": from_chars knows them
  auto [end, ec] = std::from_chars(text.data(), text.data() + n, value, format);
  (void)end;
  if (ec == std::errc::result_out_of_range)
    value = (format == std::chars_format::general ? DecimalOverflows(text) : HexOverflows(text)) ? HUGE_VAL : 0.0;
  else if (ec != std::errc())
    return 0.0;  // no number at all: a plain 0, the sign is not applied
  return negative ? -value : value;
}

long long Atol(std::string_view text) {
  const bool negative = SkipBlanksAndSign(text);
  std::size_t digits = 0;
  while (digits < text.size() && IsDigit(text[digits])) ++digits;
  unsigned long long magnitude = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + digits, magnitude);
  (void)end;
  const bool too_large = ec == std::errc::result_out_of_range;
  if (negative) {
    const unsigned long long limit = static_cast<unsigned long long>(LLONG_MAX) + 1;
    if (too_large || magnitude >= limit) return LLONG_MIN;
    return -static_cast<long long>(magnitude);
  }
  if (too_large || magnitude > static_cast<unsigned long long>(LLONG_MAX)) return LLONG_MAX;
  return static_cast<long long>(magnitude);
}

int Atoi(std::string_view text) {
  const long long value = Atol(text);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

namespace {

struct Conversion {
  bool left = false, plus = false, space = false, zero = false;
  int width = 0;
  int precision = -1;
};

// Pads a converted number or text to the conversion's width. `sign` is "", "-",
// "+" or " "; zeros go between the sign and the digits.
void AppendPadded(std::string& out, std::string_view sign, std::string_view body, const Conversion& conv, bool zero_pad) {
  const std::size_t length = sign.size() + body.size();
  const std::size_t pad = conv.width > 0 && length < static_cast<std::size_t>(conv.width) ? conv.width - length : 0;
  if (conv.left) {
    out += sign;
    out += body;
    out.append(pad, ' ');
  } else if (zero_pad) {
    out += sign;
    out.append(pad, '0');
    out += body;
  } else {
    out.append(pad, ' ');
    out += sign;
    out += body;
  }
}

std::string_view SignOf(bool negative, const Conversion& conv) {
  if (negative) return "-";
  if (conv.plus) return "+";
  if (conv.space) return " ";
  return "";
}

void AppendInteger(std::string& out, unsigned long long magnitude, bool negative, int base, bool upper,
                   const Conversion& conv) {
  char buffer[72];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, magnitude, base);
  (void)ec;
  std::string digits(buffer, end);
  if (upper)
    for (char& c : digits)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (conv.precision >= 0) {
    if (conv.precision == 0 && magnitude == 0) digits.clear();
    if (digits.size() < static_cast<std::size_t>(conv.precision))
      digits.insert(0, static_cast<std::size_t>(conv.precision) - digits.size(), '0');
  }
  AppendPadded(out, SignOf(negative, conv), digits, conv, conv.zero && conv.precision < 0 && !conv.left);
}

void AppendReal(std::string& out, double value, char conversion, const Conversion& conv) {
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  const bool upper = conversion == 'F' || conversion == 'E' || conversion == 'G';
  std::string body;
  if (std::isnan(magnitude) || std::isinf(magnitude)) {
    body = std::isnan(magnitude) ? "nan" : "inf";
  } else {
    const int precision = conv.precision < 0 ? 6 : std::min(conv.precision, 300);
    std::chars_format format = std::chars_format::fixed;
    if (conversion == 'e' || conversion == 'E') format = std::chars_format::scientific;
    if (conversion == 'g' || conversion == 'G') format = std::chars_format::general;
    std::vector<char> buffer(400);
    for (;;) {
      auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, format,
                                     format == std::chars_format::general && precision == 0 ? 1 : precision);
      if (ec == std::errc()) {
        body.assign(buffer.data(), end);
        break;
      }
      buffer.resize(buffer.size() * 2);
    }
  }
  if (upper)
    for (char& c : body)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  const bool finite = std::isfinite(value);
  AppendPadded(out, SignOf(negative && !std::isnan(value), conv), body, conv, conv.zero && finite && !conv.left);
}

}  // namespace

std::string FormatV(const char* format, va_list args) {
  std::string out;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    const char* start = p++;
    Conversion conv;
    for (;; ++p) {
      if (*p == '-') conv.left = true;
      else if (*p == '+') conv.plus = true;
      else if (*p == ' ') conv.space = true;
      else if (*p == '0') conv.zero = true;
      else if (*p == '#') {
      } else break;
    }
    if (*p == '*') {
      conv.width = va_arg(args, int);
      if (conv.width < 0) {
        conv.left = true;
        conv.width = conv.width == INT_MIN ? INT_MAX : -conv.width;
      }
      ++p;
    } else {
      while (IsDigit(*p)) conv.width = std::min(conv.width * 10 + (*p++ - '0'), 1 << 20);
    }
    if (*p == '.') {
      ++p;
      conv.precision = 0;
      if (*p == '*') {
        conv.precision = va_arg(args, int);
        if (conv.precision < 0) conv.precision = -1;
        ++p;
      } else {
        while (IsDigit(*p)) conv.precision = std::min(conv.precision * 10 + (*p++ - '0'), 1 << 20);
      }
    }
    int longs = 0;  // 1: l, 2: ll, -1: h, -2: hh, 3: z/j/t
    bool long_double = false;
    for (;; ++p) {
      if (*p == 'l') ++longs;
      else if (*p == 'h') --longs;
      else if (*p == 'z' || *p == 'j' || *p == 't') longs = 3;
      else if (*p == 'L') long_double = true;
      else break;
    }
    const char conversion = *p;
    switch (conversion) {
      case 'd':
      case 'i': {
        long long v;
        if (longs == 1) v = va_arg(args, long);
        else if (longs >= 2) v = va_arg(args, long long);
        else v = va_arg(args, int);
        if (longs == -1) v = static_cast<short>(v);
        if (longs == -2) v = static_cast<signed char>(v);
        const unsigned long long magnitude =
            v < 0 ? static_cast<unsigned long long>(-(v + 1)) + 1 : static_cast<unsigned long long>(v);
        AppendInteger(out, magnitude, v < 0, 10, false, conv);
        break;
      }
      case 'u':
      case 'o':
      case 'x':
      case 'X': {
        unsigned long long v;
        if (longs == 1) v = va_arg(args, unsigned long);
        else if (longs >= 2) v = va_arg(args, unsigned long long);
        else v = va_arg(args, unsigned);
        if (longs == -1) v = static_cast<unsigned short>(v);
        if (longs == -2) v = static_cast<unsigned char>(v);
        Conversion unsigned_conversion = conv;
        unsigned_conversion.plus = unsigned_conversion.space = false;
        AppendInteger(out, v, false, conversion == 'u' ? 10 : conversion == 'o' ? 8 : 16, conversion == 'X',
                      unsigned_conversion);
        break;
      }
      case 'c': {
        const char c = static_cast<char>(va_arg(args, int));
        AppendPadded(out, "", std::string_view(&c, 1), conv, false);
        break;
      }
      case 's': {
        const char* text = va_arg(args, const char*);
        std::string_view view = text == nullptr ? std::string_view("(null)") : std::string_view(text);
        if (conv.precision >= 0 && view.size() > static_cast<std::size_t>(conv.precision))
          view = view.substr(0, static_cast<std::size_t>(conv.precision));
        AppendPadded(out, "", view, conv, false);
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G': {
        const double v = long_double ? static_cast<double>(va_arg(args, long double)) : va_arg(args, double);
        AppendReal(out, v, conversion, conv);
        break;
      }
      case '%':
        out += '%';
        break;
      default:  // not a conversion this helper knows: kept as written
        out.append(start, static_cast<std::size_t>(p - start) + (conversion != '\0' ? 1 : 0));
        if (conversion == '\0') return out;
        break;
    }
  }
  return out;
}

std::optional<std::string> FitDecimals(double value, int width, int precision) {
  if (!std::isfinite(value)) return std::nullopt;
  for (int decimals = precision; decimals >= 0; --decimals) {
    std::string text = Format("%*.*f", width, decimals, value);
    if (text.size() <= static_cast<std::size_t>(width)) return text;
  }
  return std::nullopt;
}

bool ParseFixedFormat(std::string_view format, int& width, int& precision) {
  if (format.size() < 2 || format.front() != '%' || format.back() != 'f') return false;
  format = format.substr(1, format.size() - 2);
  const std::size_t dot = format.find('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  width = 0;
  precision = 0;
  for (char c : format.substr(0, dot)) {
    if (!IsDigit(c)) return false;
    width = width * 10 + (c - '0');
  }
  for (char c : format.substr(dot + 1)) {
    if (!IsDigit(c)) return false;
    precision = precision * 10 + (c - '0');
  }
  return width > 0 && width < 100 && precision < 100;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = FormatV(format, args);
  va_end(args);
  return out;
}

}  // namespace sw::legacy
