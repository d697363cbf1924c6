// Job-file record layouts: the printf formats each layout writes with, the
// column geometry, parse -> format round trips at full field width, short and
// damaged lines, diagnostics and record identification.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/line.h"

namespace sw::legacy::jobfile {
namespace {

using namespace layouts;

// Width and precision of a printf conversion ("%-7.2f" -> 7, 2).
struct Conversion {
  int width = 0;
  int precision = -1;
  char letter = 's';
};
Conversion ParseConversion(const char* format) {
  Conversion c;
  const char* p = format + 1;
  if (*p == '-') ++p;
  c.width = static_cast<int>(std::strtol(p, const_cast<char**>(&p), 10));
  if (*p == '.') c.precision = static_cast<int>(std::strtol(p + 1, const_cast<char**>(&p), 10));
  while (*p == 'l') ++p;
  c.letter = *p;
  return c;
}

// Text that fills the field completely and formats back to itself.
std::string FullWidthText(const FieldSpec& def, std::string_view code, int seed) {
  int width = def.end - def.start;
  if (def.conv == Conv::Literal) return def.format;
  if (def.name == "RecordCode") return std::string(code);
  Conversion c = ParseConversion(def.format);
  std::string out;
  if (c.letter == 's' && def.conv == Conv::Text) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<char>('A' + (seed + i) % 26));
    return out;
  }
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>('1' + (seed + i) % 9));
  if (c.letter == 'f' && c.precision > 0) out[width - c.precision - 1] = '.';
  return out;
}

// `line` with `text` written from column `column` on (blank-padded).
std::string Put(std::string line, std::size_t column, std::string_view text) {
  if (line.size() < column + text.size()) line.resize(column + text.size(), ' ');
  line.replace(column, text.size(), text);
  return line;
}

std::string FullWidthLine(const RecordLayout& layout) {
  std::string line;
  int seed = 0;
  for (const FieldSpec& f : layout.fields) line += FullWidthText(f, layout.code, seed++);
  for (const GroupSpec& g : layout.groups)
    for (const FieldSpec& f : g.fields) line += FullWidthText(f, layout.code, seed++);
  return line;
}

TEST(JobLayouts, WriteWithTheExactFormatsOfEachRecord) {
  EXPECT_EQ(JoinedFormat(kCruise1A), "%s%5s%2s%5s%2s%2s%2s%4s%1s%-25s%-10s");
  EXPECT_EQ(JoinedFormat(kUnit2A), "%s%5s%2s%3s%7.2f%-25s%3s%3s");
  EXPECT_EQ(JoinedFormat(kStratum3A), "%s%5s%2s%-6s%6.1f%4.0f%-25s%2d%4d");
  EXPECT_EQ(JoinedFormat(kStratumUnit4A), "%s%5s%2s%3s%6.2f");
  EXPECT_EQ(JoinedFormat(kTree7A),
            std::string("%s%5s%2s%3s%4s%3s%-6s%2s%2s%2s%1s%1s%5d%2s%5ld%1s%3.0f%3.0f%3.0f%3.0f") +
                "%3.0f%3.0f%3.0f%3.0f%-3s%2s%1s%-4s%1s%2d%2d%1s%2s");
  EXPECT_EQ(JoinedFormat(kCount7A),
            "%s%5s%2s%3s%4d%3d%-6s%2s%2s%2s%1s%1s%5d%2s%5ld" + std::string(31, ' ') + "%1s");
  EXPECT_EQ("7A" + JoinedFormat(kNullPlot7A).substr(2), "7A%5s%2s%3s%4s%3s             %1s    0      0");
  EXPECT_EQ(JoinedFormat(kKeyOnly7B), "%s%5s%2s%3s%4s%3s");
  EXPECT_EQ(JoinedFormat(kTree7B), std::string("%s%5s%2s%3s%4s%3s%5.1f%5.1f%3d%1s%2d%3d%3d") +
                                       "%3d%2d%7.3f%4.0f%3.0f%5.0f%4.0f%4.0f%4.0f%3s%3d%4.0f%2.0f");
  EXPECT_EQ(JoinedFormat(kLog7C, 1), "%s%5s%2s%3s%4s%3s%3s%1s%3.0f%3.0f");
  EXPECT_EQ(JoinedFormat(kLog7C, 5).substr(JoinedFormat(kLog7C, 4).size()), "%3s%1s%3.0f%3.0f");
  // 7D: PctSeenDef in three columns (62-64) and the sort code in column 65.
  EXPECT_EQ(JoinedFormat(kLog7D), "%s%5s%2s%3s%4s%3s%3s%5d%5d%4d%1s%4.0f%7.0f%4.0f%7.0f%3.0f%3.0f%1s");
  EXPECT_EQ(JoinedFormat(kRemarks7E), "%s%5s%2s%3s%4s%3s%-65s");
}

TEST(JobLayouts, FieldsAreContiguousAndFormatsMatchTheirColumns) {
  for (const RecordLayout* layout : kAll) {
    SCOPED_TRACE(std::string(layout->name));
    std::size_t column = 0;
    auto check = [&](const FieldSpec& f, std::size_t offset) {
      SCOPED_TRACE(std::string(f.name));
      EXPECT_EQ(offset + f.start, column);
      EXPECT_LT(f.start, f.end);
      column = offset + f.end;
      if (f.conv == Conv::Literal) {
        EXPECT_EQ(std::string(f.format).size(), static_cast<std::size_t>(f.end - f.start));
        EXPECT_EQ(std::string(f.format).find('%'), std::string::npos);
      } else if (f.name == "RecordCode") {
        EXPECT_EQ(f.end - f.start, 2);
      } else {
        Conversion c = ParseConversion(f.format);
        EXPECT_EQ(c.width, f.end - f.start);
        // Numbers are printed with numeric conversions (Version 6 layouts,
        // never written, keep their text).
        if (c.letter == 'f') {
          EXPECT_EQ(f.conv, Conv::Real);
        }
        if (c.letter == 'd') {
          EXPECT_NE(f.conv, Conv::Text);
        }
      }
    };
    for (const FieldSpec& f : layout->fields) check(f, 0);
    for (const GroupSpec& g : layout->groups)
      for (const FieldSpec& f : g.fields) check(f, g.start);
  }
}

TEST(JobLayouts, EveryRecordRoundTripsAtFullWidth) {
  for (const RecordLayout* layout : kAll) {
    SCOPED_TRACE(std::string(layout->name));
    std::string line = FullWidthLine(*layout);
    JobRecord record;
    Diagnostics diagnostics;
    record.Parse(*layout, line, 1, &diagnostics);
    EXPECT_TRUE(diagnostics.empty());
    EXPECT_EQ(record.GroupCount(), layout->groups.size());
    EXPECT_EQ(record.Format(), line);
  }
}

TEST(JobLayouts, TreeRecordFieldsLandInTheirColumns) {
  JobRecord r(kTree7A);
  r.SetText(kCruiseNo, "123");
  r.SetText(kStratum, "1");
  r.SetText(kCutUnit, "2");
  r.SetText(kPlot, "3");
  r.SetText(kTree, "4");
  r.SetText(t7aSp, "DF");
  r.SetText(t7aCM, "M");
  r.SetReal(t7aTreeCnt, 3.9);  // written as its whole part
  r.SetWhole(t7aKPI, 99999);
  r.SetReal(t7aSlopePct, 45.6);
  r.SetText(t7aLD, "L");
  r.SetText(t7aCR, "7");
  std::string line = r.Format();
  ASSERT_EQ(line.size(), 88u);
  EXPECT_EQ(line.substr(0, 19), "7A  123 1  2   3  4");
  EXPECT_EQ(line.substr(19, 6), "DF    ");
  EXPECT_EQ(line.substr(32, 1), "M");
  EXPECT_EQ(line.substr(33, 5), "    3");
  EXPECT_EQ(line.substr(40, 5), "99999");
  EXPECT_EQ(line.substr(46, 3), "  0");
  EXPECT_EQ(line.substr(67, 3), " 46");
  EXPECT_EQ(line.substr(75, 1), "L");
  EXPECT_EQ(line.substr(86, 2), " 7");

  JobRecord back;
  back.Parse(kTree7A, line);
  EXPECT_EQ(back.Format(), line);
  EXPECT_EQ(back.Text(kTree), "  4");
  EXPECT_EQ(back.Text(t7aCL), " ");
  EXPECT_EQ(back.Whole(t7aKPI), 99999);
}

TEST(JobLayouts, SevenDKeepsPercentSeenDefectAndSortCode) {
  for (double pct : {0.0, 7.0, 15.0, 100.0}) {
    JobRecord r(kLog7D);
    r.SetText(kStratum, "1");
    r.SetText(l7dLogNum, "2");
    r.SetReal(l7dSEDi, 12);
    r.SetReal(l7dLEDi, 15);
    r.SetWhole(l7dLength, 32);
    r.SetReal(l7dPctRecChip, 5);
    r.SetReal(l7dPctSeenDef, pct);
    r.SetText(l7dSort, "2");
    std::string line = r.Format();
    EXPECT_EQ(line.size(), 66u);
    JobRecord back;
    back.Parse(kLog7D, line);
    EXPECT_EQ(back.Real(l7dPctSeenDef), pct);
    EXPECT_EQ(back.Text(l7dSort), "2");
    EXPECT_EQ(back.Real(l7dSEDi), 12);
    EXPECT_EQ(back.Real(l7dLEDi), 15);
    EXPECT_EQ(back.Int(l7dLength), 32);
    EXPECT_EQ(back.Real(l7dPctRecChip), 5);
  }
}

TEST(JobLayouts, WriterOnlyRecordsHaveTheirFixedShape) {
  JobRecord count(kCount7A);
  count.SetText(kCruiseNo, "123");
  count.SetText(kStratum, "1");
  count.SetText(kCutUnit, "2");
  count.SetWhole(c7Plot, 9999);
  count.SetWhole(c7Tree, 999);
  count.SetText(c7Sp, "DF");
  count.SetText(c7CM, "C");
  count.SetWhole(c7Count, 12);
  count.SetWhole(c7SumKPI, 345);
  count.SetText(c7LD, "L");
  std::string line = count.Format();
  ASSERT_EQ(line.size(), 77u);
  EXPECT_EQ(line.substr(12, 7), "9999999");
  EXPECT_EQ(line[32], 'C');
  EXPECT_EQ(line.substr(33, 5), "   12");
  EXPECT_EQ(line.substr(40, 5), "  345");
  EXPECT_EQ(line.substr(45, 31), std::string(31, ' '));
  EXPECT_EQ(line[76], 'L');

  JobRecord null_plot(kNullPlot7A);
  null_plot.SetText(kCruiseNo, "123");
  null_plot.SetText(kStratum, "1");
  null_plot.SetText(kCutUnit, "1");
  null_plot.SetText(kPlot, "5");
  null_plot.SetText(kTree, "1");
  null_plot.SetText(n7CM, "M");
  EXPECT_EQ(null_plot.Format(), "7A  123 1  1   5  1" + std::string(13, ' ') + "M    0      0");

  JobRecord key_only(kKeyOnly7B);
  key_only.SetText(kStratum, "1");
  key_only.SetText(kTree, "0");
  EXPECT_EQ(key_only.Format(), "7B      1" + std::string(9, ' ') + "0");
}

TEST(JobLayouts, LogGroupsAreWrittenAndReadUpToTheLayoutsLimit) {
  JobRecord r(kLog7C);
  for (int i = 1; i <= 5; ++i) {
    long g = r.AddGroup();
    ASSERT_EQ(g, i - 1);
    r.SetGroupText(static_cast<std::size_t>(g), l7cLogNum, std::to_string(i));
    r.SetGroupText(static_cast<std::size_t>(g), l7cGrade, "2");
    r.SetGroupReal(static_cast<std::size_t>(g), l7cPctSeenDef, 10.0 * i);
  }
  EXPECT_EQ(r.AddGroup(), -1);
  std::string line = r.Format();
  EXPECT_EQ(line.size(), 69u);
  JobRecord back;
  back.Parse(kLog7C, line);
  ASSERT_EQ(back.GroupCount(), 5u);
  EXPECT_EQ(back.GroupField(4, l7cLogNum).text, "  5");
  EXPECT_EQ(back.GroupField(4, l7cPctSeenDef).real, 50.0);

  // A line with two groups parses two; the reused record forgets the rest.
  back.Parse(kLog7C, line.substr(0, 39));
  EXPECT_EQ(back.GroupCount(), 2u);
}

TEST(JobRecordParse, ShortLinesReadMissingFieldsAsAbsent) {
  JobRecord r;
  r.Parse(kTree7A, "7A    1 1  1   1  1DF    ");
  EXPECT_EQ(r.Text(t7aSp), "DF");
  EXPECT_EQ(r.Text(t7aProdP), "");  // starts at the end of the line
  EXPECT_EQ(r.Real(t7aTreeCnt), 0.0);
  EXPECT_EQ(r.Whole(t7aKPI), 0);
  r.Parse(kTree7A, Put("7A    1 1  1   1  1DF", 32, "C   1"));
  EXPECT_EQ(r.Text(t7aCM), "C");
  EXPECT_EQ(r.Text(t7aTreeCnt), "   1");  // a field cut by the line end
  EXPECT_EQ(r.Real(t7aTreeCnt), 1.0);
  r.Parse(kTree7A, "");
  EXPECT_EQ(r.Text(kCode), "");
}

TEST(JobRecordParse, MalformedNumbersReadAsCDoesAndAreReported) {
  std::string line = Put(Put("7A    1 1  1   1  1DF", 32, "M12a"), 38, "01abcde");
  JobRecord r;
  Diagnostics d;
  r.Parse(kTree7A, line, 42, &d);
  EXPECT_EQ(r.Real(t7aTreeCnt), 12.0);
  EXPECT_EQ(r.Whole(t7aKPI), 0);
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0].line, 42u);
  EXPECT_EQ(d[0].field, "TreeCnt");
  EXPECT_EQ(d[0].text, "12a");
  EXPECT_EQ(d[1].field, "KPI");
  EXPECT_EQ(d[0].record, "7A");

  // Values C would turn into infinities or NaN read as 0 and are reported.
  d.clear();
  r.Parse(kTree7B, Put("7B    1 1  1   1  1", 19, "1e999  nan1e2"), 7, &d);
  EXPECT_EQ(r.Real(t7bDBH), 0.0);
  EXPECT_EQ(r.Real(t7bDRCOB), 0.0);
  EXPECT_EQ(r.Real(t7bTotHt), 100.0);
  EXPECT_EQ(d.size(), 2u);
  EXPECT_TRUE(IsMalformedNumber(" inf", Conv::Real));
  EXPECT_TRUE(IsMalformedNumber("0x1A", Conv::Real));
  EXPECT_TRUE(IsMalformedNumber("1.5", Conv::Int));
  EXPECT_TRUE(IsMalformedNumber("-", Conv::Long));
  EXPECT_TRUE(IsMalformedNumber("1e", Conv::Real));
  EXPECT_FALSE(IsMalformedNumber(".5", Conv::Real));
  EXPECT_FALSE(IsMalformedNumber("abc", Conv::Text));

  // Blank numbers are the files' way of writing nothing.
  d.clear();
  r.Parse(kTree7B, Put("7B    1 1  1   1  1", 24, "-12.5 +3"), 1, &d);
  EXPECT_TRUE(d.empty());
  EXPECT_EQ(r.Real(t7bDRCOB), -12.5);
  EXPECT_EQ(r.Real(t7bTotHt), 3.0);
}

TEST(JobRecordParse, ExtremeNumbersSaturateInsteadOfOverflowing) {
  JobRecord r;
  r.Parse(kTree7B, "7B    1 1  1   1  199999");
  EXPECT_EQ(r.Real(t7bDBH), 99999.0);
  r.SetReal(t7bTotHt, 1e300);
  EXPECT_EQ(r.Whole(t7bTotHt), INT64_MAX);
  std::string line = r.Format();  // "%3d" of a clamped int: written whole, no crash
  EXPECT_NE(line.find("2147483647"), std::string::npos);
  EXPECT_EQ(WholePart(-1e300), INT64_MIN);
  EXPECT_EQ(WholePart(-2.7), -2);
}

TEST(JobRecordParse, ALineEndsAtANulByte) {
  std::string line = "7A    1 1  1   1  1DF";
  line[19] = '\0';
  JobRecord r;
  r.Parse(kTree7A, line);
  EXPECT_EQ(r.Text(kTree), "  1");
  EXPECT_EQ(r.Text(t7aSp), "");
}

TEST(JobRecordIdentify, FirstAndSecondCharacterAndVersionChooseTheReader) {
  EXPECT_EQ(IdentifyRecord("1A", 7), RecordType::Cruise);
  EXPECT_EQ(IdentifyRecord("1", 6), RecordType::Cruise);
  EXPECT_EQ(IdentifyRecord("2x", 7), RecordType::CuttingUnit);
  EXPECT_EQ(IdentifyRecord("3A", 6), RecordType::Stratum);
  EXPECT_EQ(IdentifyRecord("4A", 7), RecordType::StratumUnit);
  EXPECT_EQ(IdentifyRecord("5A", 7), RecordType::Ignored);
  EXPECT_EQ(IdentifyRecord("6A", 7), RecordType::PartA);
  EXPECT_EQ(IdentifyRecord("7B", 6), RecordType::PartB);
  EXPECT_EQ(IdentifyRecord("7D", 7), RecordType::PartD);
  EXPECT_EQ(IdentifyRecord("7D", 6), RecordType::Ignored);
  EXPECT_EQ(IdentifyRecord("6E", 6), RecordType::PartE);
  EXPECT_EQ(IdentifyRecord("7a", 7), RecordType::Ignored);
  EXPECT_EQ(IdentifyRecord("7F", 7), RecordType::Ignored);
  EXPECT_EQ(IdentifyRecord("7", 7), RecordType::Ignored);
  EXPECT_EQ(IdentifyRecord("8A", 7), RecordType::Ignored);
  EXPECT_EQ(IdentifyRecord("", 7), RecordType::Ignored);
  EXPECT_EQ(IdentifyRecord(" 1A", 7), RecordType::Ignored);

  EXPECT_EQ(ReadingLayout(RecordType::PartB, 6), &kLogGrade6);
  EXPECT_EQ(ReadingLayout(RecordType::PartB, 7), &kTree7B);
  EXPECT_EQ(ReadingLayout(RecordType::PartC, 6), &kLogVolume6);
  EXPECT_EQ(ReadingLayout(RecordType::PartC, 7), &kLog7C);
  EXPECT_EQ(ReadingLayout(RecordType::PartE, 6), &kTree6);
  EXPECT_EQ(ReadingLayout(RecordType::PartE, 7), &kRemarks7E);
  EXPECT_EQ(ReadingLayout(RecordType::StratumUnit, 6), &kStratumUnit4A);
  EXPECT_EQ(ReadingLayout(RecordType::Ignored, 7), nullptr);
}

TEST(JobRecordParse, VersionSixLogLinesHaveAWiderFirstLog) {
  std::string line = std::string("7B     ") + " 1  1   1  1" + "  " + "1   " + " 2" + " 10" + "  2" + " 3" + " 20" + "  0";
  JobRecord r;
  r.Parse(kLogGrade6, line);
  ASSERT_EQ(r.GroupCount(), 3u);
  EXPECT_EQ(r.GroupField(0, lg6LogNum).text, "1");
  EXPECT_EQ(r.GroupField(0, lg6Grade).text, " 2");
  EXPECT_EQ(r.GroupField(0, lg6PctSeenDef).real, 10.0);
  EXPECT_EQ(r.GroupField(1, lg6LogNum).text, "  2");
  EXPECT_EQ(r.GroupField(1, lg6Grade).text, " 3");
  EXPECT_EQ(r.GroupField(1, lg6PctSeenDef).real, 20.0);
  EXPECT_EQ(r.GroupField(2, lg6LogNum).text, "  0");
}

// A layout of one wide real field, so that texts of any length reach the
// conversion as they stand.
constexpr std::array<FieldSpec, 1> kWideRealFields{{{"Wide", 0, 40, Conv::Real, "%40f"}}};
constexpr RecordLayout kWideReal{"wide", "", kWideRealFields};

// A real field reads exactly as the C library's conversion reads its text,
// bit for bit, and is listed as damaged exactly when IsMalformedNumber says
// so: plain decimals of up to 15 digits (read directly) and everything else
// (longer mantissas, exponents, trailing text, signs alone; read by Atof).
TEST(JobRecordParse, RealFieldsReadAsTheCLibraryReadsThem) {
  std::vector<std::string> texts{"0",        "-0",        "-0.0",       "+0.5",      ".5",        "5.",
                                 "  12.25",  "\t3.5",     "0.1",        "0.3",       "123456789012345",
                                 "1234567890123456", "12345678901234567890", "0.000000000000001",
                                 "9007199254740993", "1e3",  "1.5E-2",    "2e",        "1x.5",      "-",
                                 ".",        " ",         "",           "+-1",       "1.2.3",     "inf",
                                 "nan",      "0x1p3",     "99999",      "-99999.99", "4.35",      "1.005"};
  std::mt19937 random(7);
  for (int n = 0; n < 20000; ++n) {
    std::string text(random() % 3, ' ');
    if (random() % 3 == 0) text += random() % 2 ? '-' : '+';
    const int digits = 1 + static_cast<int>(random() % 18);
    const int point = static_cast<int>(random() % (digits + 2)) - 1;  // -1: none
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 10 == 0) text += random() % 2 ? "e-7" : "x";
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    Diagnostics diagnostics;
    JobRecord record;
    record.Parse(kWideReal, text, 3, &diagnostics);
    const std::string field = FixedField(text, 0, 40);
    ASSERT_EQ(record.Text(0), field);
    const double expected = std::isfinite(Atof(field)) ? Atof(field) : 0.0;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(record.Real(0)), std::bit_cast<std::uint64_t>(expected))
        << record.Real(0) << " " << expected;
    EXPECT_EQ(record.Whole(0), WholePart(expected));
    EXPECT_EQ(diagnostics.size(), IsMalformedNumber(field, Conv::Real) ? 1u : 0u);
  }
}

constexpr std::array<FieldSpec, 2> kWideWholeFields{{{"WideInt", 0, 30, Conv::Int, "%30d"},
                                                   {"WideLong", 30, 60, Conv::Long, "%30ld"}}};
constexpr RecordLayout kWideWhole{"wholes", "", kWideWholeFields};

// Int and Long fields read as Atoi and Atol read their text (saturating at
// the type's range) and are listed as damaged exactly when
// IsMalformedNumber says so, whether the text is a plain integer or not.
TEST(JobRecordParse, WholeFieldsReadAsAtoiAndAtolReadThem) {
  std::vector<std::string> texts{"0",  "-0", "+7", "  42", "\t-13", "2147483647", "2147483648", "-2147483649",
                                 "999999999999999999", "9999999999999999999", "-9223372036854775809", "12x",
                                 "1.5", "-",  "+",  " ",   "",      "--1",        "1 2",        "007"};
  std::mt19937 random(3);
  for (int n = 0; n < 5000; ++n) {
    std::string text(random() % 3, ' ');
    if (random() % 3 == 0) text += random() % 2 ? '-' : '+';
    const int digits = 1 + static_cast<int>(random() % 21);
    for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
    if (random() % 10 == 0) text += "x";
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    std::string line = text;
    line.resize(30, ' ');
    line += text;
    Diagnostics diagnostics;
    JobRecord record;
    record.Parse(kWideWhole, line, 1, &diagnostics);
    const std::string field = FixedField(line, 0, 30);
    EXPECT_EQ(record.Whole(0), Atoi(field));
    EXPECT_EQ(record.Int(0), Atoi(field));
    EXPECT_EQ(record.Whole(1), Atol(FixedField(line, 30, 60)));
    EXPECT_EQ(record.Real(1), static_cast<double>(Atol(FixedField(line, 30, 60))));
    EXPECT_EQ(diagnostics.size(), IsMalformedNumber(field, Conv::Int) ? 2u : 0u);
  }
}

}  // namespace
}  // namespace sw::legacy::jobfile
