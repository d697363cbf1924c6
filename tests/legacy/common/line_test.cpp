// Line reading and fixed-column fields shared by key and job files.
#include "legacy/line.h"

#include <gtest/gtest.h>

#include <climits>

#include <vector>

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

}  // namespace
}  // namespace sw::legacy
