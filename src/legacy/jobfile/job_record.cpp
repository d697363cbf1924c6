// Generic parse and format of job-file records over their field descriptors
// (see job_record.h).
#include "legacy/jobfile/job_record.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>

#include "legacy/line.h"

namespace sw::legacy::jobfile {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int ClampInt(std::int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of a plain decimal text (blanks, an optional sign, digits with
// an optional decimal point, nothing after) of at most 15 digits, which is
// how nearly every real field of a job file is written. Such a number is an
// integer below 2^53 divided by an exact power of ten, and one correctly
// rounded division gives exactly what the C library's strtod gives. Any
// other text (an exponent, more digits, trailing characters, no digit at
// all) gives false and is left to Atof.
bool PlainDecimal(std::string_view text, double& value) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (++digits > 15) return false;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
  value = negative ? -magnitude : magnitude;
  return true;
}

// The value of a plain integer text (blanks, an optional sign, 1 to 18
// digits, nothing after), which Atol reads without saturating; any other
// text gives false and is left to Atoi and Atol.
bool PlainInteger(std::string_view text, std::int64_t& value) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size() || text.size() - i > 18) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    magnitude = magnitude * 10 + (text[i] - '0');
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

// Columns start to end-1 of the line, as FixedField gives them, into `text`
// (whose buffer is reused from line to line).
void AssignFixedField(std::string& text, std::string_view line, std::size_t start, std::size_t end) {
  if (start >= line.size()) {
    text.clear();
    return;
  }
  if (end > line.size()) end = line.size();
  const std::size_t last = end <= start ? std::string_view::npos : line.substr(start, end - start).find_last_not_of(' ');
  if (last == std::string_view::npos) {
    text.assign(1, ' ');
    return;
  }
  text.assign(line.substr(start, last + 1));
}

// Converts `value.text` by the field's conversion; true when the text is a
// plain number, which is never malformed.
bool Convert(const FieldSpec& def, FieldValue& value) {
  value.decimals = -1;
  switch (def.conv) {
    case Conv::Real: {
      double v = 0.0;
      if (PlainDecimal(value.text, v)) {
        value.real = v;
        value.whole = WholePart(v);
        return true;
      }
      v = Atof(value.text);
      if (!std::isfinite(v)) v = 0.0;  // "inf", "nan", 1e999: nothing a job file means
      value.real = v;
      value.whole = WholePart(v);
      break;
    }
    case Conv::Int:
    case Conv::Long: {
      std::int64_t v = 0;
      const bool plain = PlainInteger(value.text, v);
      if (def.conv == Conv::Int)
        value.whole = plain ? ClampInt(v) : Atoi(value.text);
      else
        value.whole = plain ? v : Atol(value.text);
      value.real = static_cast<double>(value.whole);
      return plain;
    }
    case Conv::Text:
    case Conv::Literal:
      value.real = 0.0;
      value.whole = 0;
      break;
  }
  return false;
}

void ParseField(const RecordLayout& layout, const FieldSpec& def, std::string_view line, std::size_t offset,
                FieldValue& value, std::size_t line_number, Diagnostics* diagnostics) {
  AssignFixedField(value.text, line, offset + def.start, offset + def.end);
  const bool plain = Convert(def, value);
  if (diagnostics != nullptr && !plain && IsMalformedNumber(value.text, def.conv))
    diagnostics->push_back({line_number, std::string(layout.name), std::string(def.name), value.text});
}

std::size_t FieldsWidth(std::span<const FieldSpec> fields) {
  std::size_t sum = 0;
  for (const FieldSpec& f : fields) sum += f.end - f.start;
  return sum;
}

void AppendPadded(std::string& out, std::string_view text, const SimpleConversion& c) {
  if (text.size() >= c.width) {
    out += text;
    return;
  }
  const std::size_t at = out.size();
  out.append(c.width, ' ');
  // Field texts are a few bytes: a plain loop costs less than a call.
  char* to = out.data() + at + (c.left ? 0 : c.width - text.size());
  for (char ch : text) *to++ = ch;
}

// `value` with `precision` decimals as printf writes it, by integer
// arithmetic, written backwards so that it ends at `end`; empty when the
// scaled value lies too near a rounding tie (or is too large) for the
// product's rounding error to be ruled out, so that the exact conversion
// decides. Needs 32 bytes before `end`.
std::string_view FastFixed(double value, int precision, char* end) {
  static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  if (precision < 0 || precision > 9) return {};
  const double scaled = std::fabs(value * kScale[precision]);
  if (!(scaled < 1e15)) return {};  // NaN too
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;
  // The product is within half a unit in the last place of the exact one.
  if (std::fabs(fraction - 0.5) <= scaled * 2.3e-16 + 1e-300) return {};
  auto digits = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  char* p = end;
  for (int i = 0; i < precision; ++i) {
    *--p = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  if (precision > 0) *--p = '.';
  do {
    *--p = static_cast<char>('0' + digits % 10);
    digits /= 10;
  } while (digits != 0);
  if (std::signbit(value)) *--p = '-';  // printf keeps the sign of a value rounded to zero
  return std::string_view(p, static_cast<std::size_t>(end - p));
}

// Formats like printf, without printf's cost for the simple conversions that
// the layouts use; anything else goes through printf itself.
void AppendField(std::string& out, const FieldSpec& def, const FieldValue& value) {
  const SimpleConversion& c = def.simple;
  if (c.letter == 's' && c.precision < 0) {  // most fields: a text padded to its width
    AppendPadded(out, value.text, c);
    return;
  }
  if (def.conv == Conv::Literal) {
    out += def.format;
    return;
  }
  if (value.decimals >= 0 && def.conv == Conv::Real) {
    int width = 0, precision = 0;
    if (ParseFixedFormat(def.format, width, precision)) {
      out += legacy::Format("%*.*f", width, value.decimals, value.real);
      return;
    }
  }
  if (c.letter != 0) {
    char buffer[400];
    switch (c.letter) {
      case 'f': {
        if (std::string_view fixed = FastFixed(value.real, c.precision < 0 ? 6 : c.precision, buffer + 64);
            !fixed.empty()) {
          AppendPadded(out, fixed, c);
          return;
        }
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.real, std::chars_format::fixed,
                                       c.precision < 0 ? 6 : c.precision);
        if (ec == std::errc()) {
          // printf prints the sign of a negative zero; to_chars does too.
          AppendPadded(out, std::string_view(buffer, static_cast<std::size_t>(end - buffer)), c);
          return;
        }
        break;
      }
      case 'd': {
        std::int64_t v = c.is_long ? value.whole : ClampInt(value.whole);
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
        AppendPadded(out, std::string_view(buffer, static_cast<std::size_t>(end - buffer)), c);
        return;
      }
      default:
        if (c.precision < 0) {
          AppendPadded(out, value.text, c);
          return;
        }
        break;
    }
  }
  std::size_t n = std::strlen(def.format);
  char letter = n > 0 ? def.format[n - 1] : 's';
  bool is_long = n > 1 && def.format[n - 2] == 'l';
  switch (letter) {
    case 'f':
      out += legacy::Format(def.format, value.real);
      break;
    case 'd':
      if (is_long)
        out += legacy::Format(def.format, static_cast<long>(value.whole));
      else
        out += legacy::Format(def.format, ClampInt(value.whole));
      break;
    default:
      out += legacy::Format(def.format, value.text.c_str());
      break;
  }
}

// The decimals that keep a Real field's number in its columns, when the
// format's own decimals do not and fewer do; -1 otherwise.
int NarrowedDecimals(const FieldSpec& def, const FieldValue& value) {
  int width = 0, precision = 0;
  if (def.conv != Conv::Real || !ParseFixedFormat(def.format, width, precision)) return -1;
  if (static_cast<int>(def.end - def.start) != width) return -1;
  if (legacy::Format(def.format, value.real).size() <= static_cast<std::size_t>(width)) return -1;
  std::optional<std::string> fitted = FitDecimals(value.real, width, precision);
  if (!fitted) return -1;
  const std::size_t dot = fitted->find('.');
  return dot == std::string::npos ? 0 : static_cast<int>(fitted->size() - dot - 1);
}

void SetRealValue(FieldValue& value, double v) {
  value.decimals = -1;
  value.real = std::isfinite(v) ? v : 0.0;
  value.whole = WholePart(value.real);
}

void SetWholeValue(FieldValue& value, std::int64_t v) {
  value.decimals = -1;
  value.whole = v;
  value.real = static_cast<double>(v);
}

}  // namespace

bool IsMalformedNumber(std::string_view text, Conv conv) {
  if (conv != Conv::Real && conv != Conv::Int && conv != Conv::Long) return false;
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  if (i == text.size()) return false;  // blank or empty: written as nothing
  if (text[i] == '+' || text[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (conv == Conv::Real) {
    if (i < text.size() && text[i] == '.') {
      ++i;
      while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits > 0 && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
      ++i;
      if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
      std::size_t exp_digits = 0;
      while (i < text.size() && IsDigit(text[i])) ++i, ++exp_digits;
      if (exp_digits == 0) return true;
    }
    if (digits > 0 && i == text.size() && !std::isfinite(Atof(text))) return true;
  }
  return digits == 0 || i != text.size();
}

std::string ListDiagnostics(const Diagnostics& entries, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < entries.size() && i < limit; ++i) {
    const FieldDiagnostic& d = entries[i];
    out += "line " + std::to_string(d.line) + ", " + d.record + ", " + d.field + " \"";
    for (unsigned char c : d.text) {
      if (c >= 0x20 && c < 0x7F) {
        out += static_cast<char>(c);
      } else {
        out += legacy::Format("\\x%02X", c);
      }
    }
    out += "\"\n";
  }
  if (entries.size() > limit) out += "... and " + std::to_string(entries.size() - limit) + " more\n";
  return out;
}

std::int64_t WholePart(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return INT64_MAX;
  if (value <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<std::int64_t>(value);
}

JobRecord::JobRecord(const RecordLayout& layout)
    : layout_(&layout), fields_(layout.fields.size()), header_width_(FieldsWidth(layout.fields)) {
  if (!fields_.empty()) fields_[0].text = std::string(layout.code);
}

void JobRecord::Parse(const RecordLayout& layout, std::string_view line, std::size_t line_number,
                      Diagnostics* diagnostics) {
  std::size_t nul = line.find('\0');
  if (nul != std::string_view::npos) {
    // The rest of the line is lost, as it was to the C strings of older
    // readers; it is reported, never passed over.
    if (diagnostics != nullptr)
      diagnostics->push_back({line_number, std::string(layout.name), "NUL byte in column " + std::to_string(nul),
                              std::string(line.substr(nul, 10))});
    line = line.substr(0, nul);
  }
  if (layout_ != &layout) header_width_ = FieldsWidth(layout.fields);
  layout_ = &layout;
  fields_.resize(layout.fields.size());
  for (std::size_t i = 0; i < layout.fields.size(); ++i)
    ParseField(layout, layout.fields[i], line, 0, fields_[i], line_number, diagnostics);
  groups_count_ = 0;
  for (const GroupSpec& group : layout.groups) {
    if (group.start >= line.size()) break;
    if (groups_.size() <= groups_count_) groups_.emplace_back();
    std::vector<FieldValue>& values = groups_[groups_count_++];
    values.resize(group.fields.size());
    for (std::size_t i = 0; i < group.fields.size(); ++i)
      ParseField(layout, group.fields[i], line, group.start, values[i], line_number, diagnostics);
  }
}

int JobRecord::Int(std::size_t field) const { return ClampInt(fields_[field].whole); }

void JobRecord::SetText(std::size_t field, std::string_view text) { fields_[field].text.assign(text); }
void JobRecord::SetReal(std::size_t field, double value) { SetRealValue(fields_[field], value); }
void JobRecord::SetWhole(std::size_t field, std::int64_t value) { SetWholeValue(fields_[field], value); }

long JobRecord::AddGroup() {
  if (layout_ == nullptr || groups_count_ >= layout_->groups.size()) return -1;
  if (groups_.size() <= groups_count_) groups_.emplace_back();
  std::vector<FieldValue>& values = groups_[groups_count_];
  values.assign(layout_->groups[groups_count_].fields.size(), FieldValue{});
  return static_cast<long>(groups_count_++);
}

void JobRecord::SetGroupText(std::size_t group, std::size_t field, std::string_view text) {
  groups_[group][field].text.assign(text);
}
void JobRecord::SetGroupReal(std::size_t group, std::size_t field, double value) {
  SetRealValue(groups_[group][field], value);
}
void JobRecord::SetGroupWhole(std::size_t group, std::size_t field, std::int64_t value) {
  SetWholeValue(groups_[group][field], value);
}

std::string JobRecord::Format() const {
  std::string out;
  out.reserve(112);
  AppendTo(out);
  return out;
}

std::size_t JobRecord::Width() const {
  std::size_t total = header_width_;
  for (std::size_t g = 0; g < groups_count_; ++g) total += FieldsWidth(layout_->groups[g].fields);
  return total;
}

void JobRecord::AppendTo(std::string& out) const {
  if (layout_ == nullptr) return;
  for (std::size_t i = 0; i < layout_->fields.size(); ++i) AppendField(out, layout_->fields[i], fields_[i]);
  for (std::size_t g = 0; g < groups_count_; ++g) {
    const GroupSpec& group = layout_->groups[g];
    for (std::size_t i = 0; i < group.fields.size(); ++i) AppendField(out, group.fields[i], groups_[g][i]);
  }
}

std::vector<NarrowedField> JobRecord::NarrowToFit() {
  std::vector<NarrowedField> narrowed;
  if (layout_ == nullptr) return narrowed;
  auto narrow = [&](const FieldSpec& def, FieldValue& value) {
    const int decimals = NarrowedDecimals(def, value);
    if (decimals < 0) return;
    std::string before = legacy::Format(def.format, value.real);
    value.decimals = decimals;
    std::string after;
    AppendField(after, def, value);
    narrowed.push_back({def.name, std::move(before), std::move(after)});
  };
  for (std::size_t i = 0; i < layout_->fields.size(); ++i) narrow(layout_->fields[i], fields_[i]);
  for (std::size_t g = 0; g < groups_count_; ++g)
    for (std::size_t i = 0; i < layout_->groups[g].fields.size(); ++i)
      narrow(layout_->groups[g].fields[i], groups_[g][i]);
  return narrowed;
}

std::string JoinedFormat(const RecordLayout& layout, std::size_t groups) {
  std::string out;
  for (const FieldSpec& f : layout.fields) out += f.format;
  for (std::size_t g = 0; g < groups && g < layout.groups.size(); ++g)
    for (const FieldSpec& f : layout.groups[g].fields) out += f.format;
  return out;
}

}  // namespace sw::legacy::jobfile
