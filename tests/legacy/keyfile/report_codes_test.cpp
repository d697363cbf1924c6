// Report lists: splitting, Version 6 conversion, the writer's line layout and
// reading the written lines back.
#include "legacy/keyfile/report_codes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace sw::legacy::keyfile {
namespace {

using Strings = std::vector<std::string>;

ReportList ReadText(const std::string& text) {
  LineReader reader = LineReader::FromText(text);
  return ReadReportCodes(reader);
}

TEST(ReportLines, SplitAtCommasWithoutBlanks) {
  EXPECT_EQ(SplitReportLine("A01,A02,"), (Strings{"A01", "A02", " "}));
  EXPECT_EQ(SplitReportLine("A01, A02 ,,A03"), (Strings{"A01", "A02", " ", "A03"}));
  EXPECT_EQ(SplitReportLine("DP1"), (Strings{"DP1"}));
}

// Blanks inside a code are not part of it, on reading and on writing.
TEST(ReportLines, BlanksInsideACodeAreDropped) {
  EXPECT_EQ(SplitReportLine("A 02, D P 1 ,   ,"), (Strings{"A02", "DP1", " ", " "}));
  const ReportList list = ReadText("01D\nx.job\nx.out\nA 02,TC 1,\nVOLUME EQUATIONS\n");
  EXPECT_EQ(list.codes, (Strings{"A02", "TC1", " "}));
  // A code stored with blanks by an older import is written without them,
  // and a code of blanks alone is not written at all.
  const std::string lines = FormatReportLines({"A 02", "   ", "TC1"});
  EXPECT_EQ(lines, "A02,TC1,\n");
  EXPECT_EQ(ReadText("01D\nx.job\nx.out\n" + lines + "VOLUME EQUATIONS\n").codes, (Strings{"A02", "TC1", " "}));
}

TEST(ReportLines, ReadLinesFourAndFive) {
  const ReportList list = ReadText("01D\nx.job\nx.out\nDP1,CP1,\nTC1,TL1,\nVOLUME EQUATIONS\n");
  EXPECT_EQ(list.codes, (Strings{"DP1", "CP1", " ", "TC1", "TL1", " "}));
  EXPECT_FALSE(list.version6);
}

TEST(ReportLines, EmptyListDoesNotTakeTheFirstRecord) {
  const std::string text = "01D\nx.job\nx.out\n" + FormatReportLines({}) +
                           "VOLUME EQUATIONS\n202   01101DVEW2021.00 6.0111 4.000  0.000  0  0\nEND\n";
  EXPECT_TRUE(ReadText(text).codes.empty());
}

TEST(ReportLines, HeaderLikeLinesContributeNothing) {
  const ReportList list = ReadText("01D\nx.job\nx.out\nDP1,\nVALUE EQUATIONS\n");
  EXPECT_EQ(list.codes, (Strings{"DP1", " "}));
}

TEST(ReportLines, FortyEntriesAtMost) {
  std::string line;
  for (int i = 0; i < 45; ++i) line += "DP" + std::to_string(i) + ",";
  const ReportList list = ReadText("01D\nx.job\nx.out\n" + line + "\nVOLUME EQUATIONS\n");
  EXPECT_EQ(list.kept, kMaxReportCodes);
  EXPECT_EQ(list.codes.size(), kMaxReportCodes + 1);
  EXPECT_EQ(list.codes[39], "DP39");
  EXPECT_EQ(list.codes.back(), " ");
  EXPECT_EQ(list.dropped, 5u);
}

TEST(ReportLines, ThreeWrittenLinesAreReadBack) {
  Strings codes;
  for (int i = 0; i < 40; ++i) codes.push_back(std::string("R0") + (i < 10 ? "0" : "") + std::to_string(i));
  const std::string lines = FormatReportLines(codes);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3);
  ReportList list = ReadText("01D\nx.job\nx.out\n" + lines + "VOLUME EQUATIONS\nDF/01/201\n");
  Strings kept;
  for (const auto& c : list.codes)
    if (c != " ") kept.push_back(c);
  EXPECT_EQ(kept, codes);
}

TEST(ReportLines, LaterLinesMustLookLikeReportLines) {
  // No header at all: a Version 6 volume record is not a report line.
  const ReportList list = ReadText("01D\nx.job\nx.out\nDP1,\nCP1,\nDF/01/201,4.0\n");
  EXPECT_EQ(list.codes, (Strings{"DP1", " ", "CP1", " "}));
}

TEST(ReportLines, WriterBreaksLinesAtEightyCharacters) {
  Strings codes;
  for (int i = 0; i < 15; ++i) codes.push_back("DP0" + std::to_string(i % 10));
  codes.push_back("ABCDE");
  codes.push_back("CP01");
  const std::string lines = FormatReportLines(codes);
  // Fifteen codes and their commas take 75 columns; the code that reaches 80
  // ends its line without a comma.
  EXPECT_EQ(lines.substr(75), "ABCDE\nCP01,\n");
  EXPECT_EQ(lines.substr(0, 5), "DP00,");
  EXPECT_EQ(FormatReportLines({}), "\n");
  EXPECT_EQ(FormatReportLines({"A01", "A02"}), "A01,A02,\n");
  const std::string long_code(85, 'X');
  EXPECT_EQ(FormatReportLines({"A01", long_code}), "A01,\n" + long_code + ",\n");
}

TEST(ReportConversion, Version6CodesConverted) {
  const std::pair<const char*, const char*> cases[] = {
      {"C1", "DP1"},   {"D1", "CP1"},   {"H1", "DS1"},   {"I1", "CS1"},  {"L1", "UC1"},   {"N1", "TC1"},
      {"P1", "TL1"},   {"Q1", "R001"},  {"R1", "TC51"},  {"R12", "TC62"}, {"R23", "TC73"}, {"R34", "34"},
      {"S1", "TL51"},  {"S12", "TL62"}, {"S23", "TL73"}, {"V1", "R701"}, {"W1", "R401"},  {"X1", "R301"},
      {"Y1", "R901"},  {"Z1", "L1"},    {"c1", "DP1"},   {"r12", "TC62"}, {"A01", "A01"},  {" ", ""},
      {"CP1", "CP1"},  {"", ""}};
  for (const auto& [from, to] : cases) EXPECT_EQ(ConvertReportCode(from), to) << from;
}

TEST(ReportConversion, ListIsVersion7WhenAnyCodeIsKnown) {
  Strings v6 = {"C1", "R12", " "};
  EXPECT_TRUE(ConvertReportCodes(v6));
  EXPECT_EQ(v6, (Strings{"DP1", "TC62", ""}));
  Strings v7 = {"C1", "TC1"};
  EXPECT_FALSE(ConvertReportCodes(v7));
  EXPECT_EQ(v7, (Strings{"C1", "TC1"}));
  Strings four = {"C1", "ABCD"};
  EXPECT_FALSE(ConvertReportCodes(four));
  const ReportList list = ReadText("02\nx.job\nx.out\nC1,D1,H1,R12,S2\nVOLUME EQUATIONS\n");
  EXPECT_TRUE(list.version6);
  EXPECT_EQ(list.codes, (Strings{"DP1", "CP1", "DS1", "TC62", "TL52"}));
}

}  // namespace
}  // namespace sw::legacy::keyfile
