// Line reading and fixed-column fields shared by key and job files.
#include "legacy/line.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/decimal_comma_locale.h"
#include "support/temp_dir.h"

namespace sw::legacy {
namespace {

std::vector<std::string> AllLines(LineReader reader) {
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  return lines;
}

TEST(LineReaderTest, SkipsBlankLinesAndLeadingBlanksOfTheNextLine) {
  auto lines = AllLines(LineReader::FromText("  first\n\n\n   second  \n\t\nthird"));
  // The first line keeps its blanks; after each line all white space is skipped.
  EXPECT_EQ(lines, (std::vector<std::string>{"  first", "second  ", "third"}));
}

TEST(LineReaderTest, BlankFirstLinesDoNotStopTheReader) {
  auto lines = AllLines(LineReader::FromText("\n\n\r\nfirst\nsecond\n"));
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "second"}));
}

TEST(LineReaderTest, CarriageReturnsAreNotPartOfTheLine) {
  auto lines = AllLines(LineReader::FromText("a\r\nb\r\n"));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
}

TEST(LineReaderTest, LongLinesAreReadWholeAndMeasured) {
  std::string long_line(5000, 'x');
  LineReader reader = LineReader::FromText("short\n" + long_line + "\nend\n");
  auto lines = AllLines(std::move(reader));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], long_line);

  test::TempDir dir;
  test::WriteFile(dir / "long.job", "123\n" + std::string(106, 'y') + "\n\n");
  LineStats stats = CountLines(dir / "long.job");
  EXPECT_TRUE(stats.opened);
  EXPECT_EQ(stats.lines, 2u);
  EXPECT_EQ(stats.longest, 106u);
  EXPECT_FALSE(CountLines(dir / "missing.job").opened);
}

// Line numbers as an editor shows them: blank lines and skipped blanks count.
TEST(LineReaderTest, FileLineCountsBlankLines) {
  LineReader reader = LineReader::FromText("\n\nfirst\r\n\n  \n second\nthird");
  std::string line;
  std::vector<std::size_t> numbers;
  while (reader.ReadLine(line)) numbers.push_back(reader.file_line());
  EXPECT_EQ(numbers, (std::vector<std::size_t>{3, 6, 7}));
  test::TempDir dir;
  test::WriteFile(dir / "a.job", "short\n\n" + std::string(106, 'x') + "\n" + std::string(200, 'y') + "\n");
  const LineStats stats = CountLines(dir / "a.job", 105);
  EXPECT_EQ(stats.first_over_limit, 3u);
  EXPECT_EQ(stats.first_over_limit_length, 106u);
  EXPECT_EQ(stats.longest, 200u);
  EXPECT_EQ(CountLines(dir / "a.job").first_over_limit, 0u);
}

TEST(LineReaderTest, RewindStartsOver) {
  test::TempDir dir;
  test::WriteFile(dir / "a.key", "\n06V\nsale.job\n");
  LineReader reader(dir / "a.key");
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_EQ(line, "");
  reader.Rewind();
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "06V");
}

// A closed reader lets go of its file, so the file can be replaced (which
// Windows refuses while it is open) and the reader gives nothing more.
TEST(LineReaderTest, CloseReleasesTheFileForReplacement) {
  test::TempDir dir;
  test::WriteFile(dir / "a.key", "06V\nsale.job\n");
  test::WriteFile(dir / "new.key", "10\n");
  LineReader reader(dir / "a.key");
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "06V");
  reader.Close();
  std::error_code ec;
  std::filesystem::rename(dir / "new.key", dir / "a.key", ec);
  EXPECT_FALSE(ec) << ec.message();
  EXPECT_EQ(test::ReadFile(dir / "a.key"), "10\n");
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_EQ(line, "");
}

TEST(FixedFieldTest, BlankInsideAndEmptyPastTheEnd) {
  const std::string line = "AB   CD  ";
  EXPECT_EQ(FixedField(line, 0, 2), "AB");
  EXPECT_EQ(FixedField(line, 2, 5), " ");     // blank field inside the line
  EXPECT_EQ(FixedField(line, 1, 7), "B   CD");  // trailing blanks only are removed
  EXPECT_EQ(FixedField(line, 5, 20), "CD");   // runs past the end: what is there
  EXPECT_EQ(FixedField(line, 9, 12), "");     // starts at the end
  EXPECT_EQ(FixedField(line, 40, 42), "");
  EXPECT_EQ(FixedField("", 0, 3), "");
}

TEST(RegionAndYearTest, NormaliseRegion) {
  EXPECT_EQ(NormaliseRegion("6"), "06");
  EXPECT_EQ(NormaliseRegion(" 6"), "06");
  EXPECT_EQ(NormaliseRegion("10"), "10");
  EXPECT_EQ(NormaliseRegion("05"), "05");
  EXPECT_EQ(NormaliseRegion("  "), "00");
  EXPECT_EQ(NormaliseRegion(""), "0");
}

TEST(RegionAndYearTest, ExpandYear) {
  EXPECT_EQ(ExpandYear(""), "    ");
  EXPECT_EQ(ExpandYear("05"), "2005");
  EXPECT_EQ(ExpandYear("55"), "2055");
  EXPECT_EQ(ExpandYear("98"), "1998");
  EXPECT_EQ(ExpandYear(" "), " ");
  EXPECT_EQ(ExpandYear("x9"), "x9");
}

TEST(NumberTest, CLibraryRules) {
  EXPECT_DOUBLE_EQ(Atof("  12.5xyz"), 12.5);
  EXPECT_DOUBLE_EQ(Atof(" "), 0.0);
  EXPECT_DOUBLE_EQ(Atof("abc"), 0.0);
  EXPECT_EQ(Atoi(" -42 "), -42);
  EXPECT_EQ(Atoi("7.9"), 7);
  EXPECT_EQ(Atoi(""), 0);
  EXPECT_EQ(Atoi("99999999999999999999"), 2147483647);  // saturates, no overflow
  EXPECT_EQ(Atol("12345678901"), 12345678901LL);  // 64 bits on Windows too
  EXPECT_EQ(Atol("-99999999999999999999"), LLONG_MIN);
  EXPECT_EQ(Atoi("-3000000000"), INT_MIN);
  EXPECT_EQ(Format("%-3s|%6.2f|%03d", "a", 1.5, 7), "a  |  1.50|007");
}

// The conversions keep the C library's results in the "C" locale, edge
// cases included: signs, exponents, hexadecimal, infinities, out of range.
TEST(NumberTest, AtofAgreesWithStrtodInTheCLocale) {
  for (const char* text :
       {"12.5", "  -3.25e2x", "+.5", "-.", ".", "1e", "1e+", "1e-2", "7E3", "\t\n 4.75", "0x1A", "0x1p4", "0x",
        "-0x.8", "inf", "-INFINITY", "nan", "1e400", "-1e400", "1e-400", "0.000000e-999", "99999999999999999999",
        "+-5", "- 5", "-x", "-\xa6xp-1", "0x1p-3304e+405", "0x1p+99999", "0x1p+-5555", "1e+-5", "2.5E-x", "12,5", "00012.50000", "1.7976931348623157e308", "4.9e-324"}) {
    SCOPED_TRACE(text);
    char* end = nullptr;
    double expected = std::strtod(text, &end);
    double actual = Atof(text);
    if (std::isnan(expected))
      EXPECT_TRUE(std::isnan(actual));
    else
      EXPECT_EQ(actual, expected);
    // No "-0" for a text without a number (some C libraries give one).
    if (end != text)
      EXPECT_EQ(std::signbit(actual), std::signbit(expected));
    else
      EXPECT_FALSE(std::signbit(actual));
  }
  for (const char* text : {"42", " -17x", "+8", "+-8", "", "9223372036854775807", "9223372036854775808",
                           "-9223372036854775808", "-9223372036854775809", "0x10", "007"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Atol(text), std::strtoll(text, nullptr, 10));
  }
}

TEST(NumberTest, FormatAgreesWithSnprintfInTheCLocale) {
  auto printf_text = [](const char* format, auto... args) {
    char buffer[512];
    int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, static_cast<std::size_t>(n));
  };
  for (double v : {0.0, -0.0, 1.5, -1.5, 2.5, 0.125, 1234.5625, 999.996, 1e20, -7.25e-5, 123456789.0}) {
    SCOPED_TRACE(v);
    for (const char* format : {"%f", "%6.2f", "%-9.4f|", "%09.3f", "%+.1f", "% .0f", "%3.0f", "%e", "%12.3E", "%g",
                               "%.3g", "%G", "%.0e"})
      EXPECT_EQ(Format(format, v), printf_text(format, v)) << format;
  }
  for (long v : {0L, 7L, -7L, 99999L, LONG_MIN, LONG_MAX}) {
    SCOPED_TRACE(v);
    for (const char* format : {"%ld", "%5ld", "%-6ld|", "%07ld", "%+ld", "%.3ld", "%lx", "%lX", "%lo", "%lu"})
      EXPECT_EQ(Format(format, v), printf_text(format, v)) << format;
  }
  EXPECT_EQ(Format("%2d/%2d/%4d", 3, 5, 2010), " 3/ 5/2010");
  EXPECT_EQ(Format("%*d|%-*s|%.*f", 4, 12, 3, "a", 2, 3.14159), printf_text("%*d|%-*s|%.*f", 4, 12, 3, "a", 2, 3.14159));
  EXPECT_EQ(Format("%.2s%c%%", "abc", 'x'), "abx%");
  EXPECT_EQ(Format("%hd %hhu", 70000, 300), printf_text("%hd %hhu", 70000, 300));
  EXPECT_EQ(Format("%f %F", HUGE_VAL, -HUGE_VAL), "inf -INF");
}

// Under a locale with a decimal comma the C library reads "12.5" as 12 and
// writes "12,5"; the legacy files must not notice.
TEST(NumberTest, DecimalCommaLocaleChangesNothing) {
  test::ScopedDecimalCommaLocale locale;
  ASSERT_TRUE(locale.active()) << "the de_DE.UTF-8 locale could not be made (is the locales package installed?)";
  char c_library[32];
  std::snprintf(c_library, sizeof c_library, "%.1f", 12.5);
  ASSERT_STREQ(c_library, "12,5");  // the locale is really in force

  EXPECT_EQ(Atof("12.5"), 12.5);
  EXPECT_EQ(Atof(" 1234.5625"), 1234.5625);
  EXPECT_EQ(Atof("12,5"), 12.0);
  EXPECT_EQ(Format("%7.2f|%9.4f|%g", 1000.25, 0.35, 0.5), "1000.25|   0.3500|0.5");
  EXPECT_EQ(Format("%5ld", 1234567L), "1234567");  // no digit grouping
  EXPECT_EQ(Atof(Format("%8.5f", -3.14159)), -3.14159);
}

}  // namespace
}  // namespace sw::legacy
