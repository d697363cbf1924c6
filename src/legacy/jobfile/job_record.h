// The generic job-file record: a layout is a table of field descriptors
// (name, columns, conversion, printf format) and one parser and one formatter
// walk it, so that reading and writing can never disagree about where a field
// stands. A parsed record keeps every field's text as read and its number.
//
// Not for: the layouts themselves (job_layouts.h) or any table access
// (job_record_readers.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sw::legacy::jobfile {

// How a field's text becomes a value. Literal fields are fixed text that the
// formatter writes as it stands (the format holds the text, without any %).
enum class Conv : std::uint8_t { Text, Real, Int, Long, Literal };

// A printf conversion of the simple kinds the layouts use,
// %[-][width][.precision][l](s|d|f), parsed once when the layout is built;
// `letter` is 0 for any other format, which printf itself formats.
struct SimpleConversion {
  bool left = false;
  bool is_long = false;
  std::uint8_t width = 0;
  std::int8_t precision = -1;
  char letter = 0;

  static constexpr SimpleConversion Parse(const char* format) {
    SimpleConversion c;
    if (format == nullptr || *format++ != '%') return c;
    auto digit = [](char d) { return d >= '0' && d <= '9'; };
    if (*format == '-') {
      c.left = true;
      ++format;
    }
    int width = 0, precision = -1;
    while (digit(*format) && width < 64) width = width * 10 + (*format++ - '0');
    if (*format == '.') {
      ++format;
      precision = 0;
      while (digit(*format) && precision < 20) precision = precision * 10 + (*format++ - '0');
    }
    if (*format == 'l') {
      c.is_long = true;
      ++format;
    }
    const char letter = *format++;
    if (*format != '\0' || (letter != 's' && letter != 'd' && letter != 'f') || width >= 64 || precision >= 20)
      return SimpleConversion{};
    c.width = static_cast<std::uint8_t>(width);
    c.precision = static_cast<std::int8_t>(precision);
    c.letter = letter;
    return c;
  }
};

// One field: columns start to end-1 of the line (counted from 0).
struct FieldSpec {
  std::string_view name;
  std::uint16_t start;
  std::uint16_t end;
  Conv conv;
  const char* format;
  SimpleConversion simple;  // `format` parsed

  constexpr FieldSpec(std::string_view field_name, std::uint16_t first, std::uint16_t past, Conv conversion,
                      const char* printf_format)
      : name(field_name), start(first), end(past), conv(conversion), format(printf_format),
        simple(SimpleConversion::Parse(printf_format)) {}
};

// A repeated group of fields (one log); field columns are relative to start.
struct GroupSpec {
  std::uint16_t start;
  std::span<const FieldSpec> fields;
};

// A record layout: the fields every line has, then up to groups.size() groups.
struct RecordLayout {
  std::string_view name;  // for diagnostics and tests, e.g. "7A"
  std::string_view code;  // text written into columns 0-1
  std::span<const FieldSpec> fields;
  std::span<const GroupSpec> groups = {};
};

// A numeric field whose text is not a number as a whole (the value read is
// what the C conversion gives, 0 for nothing usable), or a NUL byte that
// ends a line early (field "NUL byte in column N", the text from it on).
// The entry only reports.
struct FieldDiagnostic {
  std::size_t line = 0;
  std::string record;  // layout name
  std::string field;
  std::string text;
};
using Diagnostics = std::vector<FieldDiagnostic>;

// The first `limit` entries, one line each: line 12, 7B, DBH "1x.5".
// Bytes that are not printable are shown as \xNN; a last line says how
// many more there are.
std::string ListDiagnostics(const Diagnostics& entries, std::size_t limit);

// A field's value: its text (as FixedField gives it when parsed) and, for
// numeric fields, the converted number. `whole` is the whole part of `real`
// for Real fields and the integer itself for Int and Long fields.
struct FieldValue {
  std::string text;
  double real = 0.0;
  std::int64_t whole = 0;
  int decimals = -1;  // for a narrowed Real field: the decimals written instead of the format's
};

// A real field written with fewer decimals than its format asks for, so that
// it keeps its columns: the text the format would write and the text written.
struct NarrowedField {
  std::string_view field;
  std::string before;
  std::string after;
};

// True for text that is a number as the C library reads it, as a whole:
// optional leading blanks, a sign, digits with an optional decimal point and
// exponent (Real) or digits only (Int, Long). Blank or empty text is not
// malformed: it is the legacy files' way of writing nothing.
bool IsMalformedNumber(std::string_view text, Conv conv);

// Saturating whole part of a double (NaN gives 0).
std::int64_t WholePart(double value);

class JobRecord {
 public:
  JobRecord() = default;
  // An empty record of the layout, ready to be filled and formatted: the
  // record code is set, every other field is empty text and 0.
  explicit JobRecord(const RecordLayout& layout);

  // Parses `line` (cut at a NUL byte, as the legacy C strings were) with the
  // layout. Fields past the end of the line are empty text and 0; groups are
  // parsed while they start inside the line. Malformed numeric fields are
  // added to `diagnostics` (when given) with `line_number`.
  void Parse(const RecordLayout& layout, std::string_view line, std::size_t line_number = 0,
             Diagnostics* diagnostics = nullptr);

  const RecordLayout* layout() const { return layout_; }

  // Header fields, by index into layout().fields.
  const std::string& Text(std::size_t field) const { return fields_[field].text; }
  double Real(std::size_t field) const { return fields_[field].real; }
  std::int64_t Whole(std::size_t field) const { return fields_[field].whole; }
  int Int(std::size_t field) const;

  void SetText(std::size_t field, std::string_view text);
  void SetReal(std::size_t field, double value);
  void SetWhole(std::size_t field, std::int64_t value);

  // Groups: parsed ones, or added with AddGroup for formatting.
  std::size_t GroupCount() const { return groups_count_; }
  const FieldValue& GroupField(std::size_t group, std::size_t field) const { return groups_[group][field]; }
  // Appends an empty group (refused past the layout's last group); returns
  // its index or -1.
  long AddGroup();
  // Drops every group, keeping the header fields.
  void ClearGroups() { groups_count_ = 0; }
  void SetGroupText(std::size_t group, std::size_t field, std::string_view text);
  void SetGroupReal(std::size_t group, std::size_t field, double value);
  void SetGroupWhole(std::size_t group, std::size_t field, std::int64_t value);

  // The record as one line, without the line end, with each field's format.
  std::string Format() const;
  // The same line appended to `out`, so that a writer can reuse one buffer.
  void AppendTo(std::string& out) const;
  // The width of the line Format writes when every field keeps its columns.
  std::size_t Width() const;

  // Gives every real field whose number is wider than its columns the most
  // decimals that fit, rounded. Returns the fields so narrowed; a field whose
  // whole part does not fit is left as it is (the line then stays too wide).
  std::vector<NarrowedField> NarrowToFit();

 private:
  const RecordLayout* layout_ = nullptr;
  std::vector<FieldValue> fields_;
  std::vector<std::vector<FieldValue>> groups_;  // capacity kept between parses
  std::size_t groups_count_ = 0;
  std::size_t header_width_ = 0;  // columns of the layout's fields
};

// The record code of the layout, its fields and its groups in printf terms:
// the concatenation of every field's format (header, then `groups` groups).
std::string JoinedFormat(const RecordLayout& layout, std::size_t groups = 0);

}  // namespace sw::legacy::jobfile
