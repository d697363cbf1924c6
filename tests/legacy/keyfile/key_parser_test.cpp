// Section scanning: whole key files into structs, sections in any order,
// repeated or missing, bad input, and read -> write round trips.
#include "legacy/keyfile/key_parser.h"

#include <gtest/gtest.h>

#include "legacy/keyfile/report_codes.h"
#include "legacy/keyfile/section_format.h"
#include "test_files.h"

namespace sw::legacy::keyfile {
namespace {

KeyEquations Parse(const std::string& text) {
  LineReader reader = LineReader::FromText(text);
  return ParseEquationSections(reader);
}

std::string WriteSections(const KeyEquations& e) {
  return FormatVolumeSection(e.volumes) + FormatValueSection(e.values) + FormatWeightSection(e.weights) +
         FormatQualitySection(e.qualities);
}

const std::string kVol = "202   01101DVEW2021.00 6.0111 4.011  0.000  0  0\n";
const std::string kVal = "202   01VLPP01131 1.50000 2.25000-0.12500 0.00000 0.0000099.99999\n";
const std::string kWgt = "202   01GENPP002   0.35001234.5678L\n";
const std::string kQua = "202   QUAL0101  1998      1  1.0000  2.0000  3.0000  4.0000  5.0000  6.5000\n";
const std::string kHead = "01D\nx.job\nx.out\nDP1,\n";

void ExpectOneOfEach(const KeyEquations& e) {
  EXPECT_EQ(e.volumes.size(), 1u);
  EXPECT_EQ(e.values.size(), 1u);
  EXPECT_EQ(e.weights.size(), 1u);
  EXPECT_EQ(e.qualities.size(), 1u);
}

TEST(KeyFileRoundTrip, Version7FilesWrittenBackUnchanged) {
  for (const char* name : {"sale7.key", "region10.key", "empty_reports.key", "forty_reports.key"}) {
    const std::string text = testing::ReadDataFile(name);
    ASSERT_FALSE(text.empty()) << name;
    const KeyEquations e = Parse(text);
    EXPECT_EQ(WriteSections(e), testing::WrittenSectionText(text)) << name;
    LineReader reader = LineReader::FromText(text);
    const ReportList reports = ReadReportCodes(reader);
    std::vector<std::string> codes;
    for (const auto& c : reports.codes)
      if (!c.empty() && c[0] != ' ') codes.push_back(c);
    EXPECT_EQ(FormatReportLines(codes), testing::ReportText(text)) << name;
  }
}

TEST(KeyFileRoundTrip, Version6FileWrittenAsVersion7AndReadAgain) {
  const KeyEquations v6 = Parse(testing::ReadDataFile("sale6.key"));
  EXPECT_EQ(v6.region, "02");
  ASSERT_EQ(v6.volumes.size(), 5u);
  EXPECT_EQ(v6.volumes[0].number, "200DVEW746");
  EXPECT_EQ(v6.volumes[0].flags, "01110");
  EXPECT_EQ(v6.volumes[1].flags, "01000");
  ASSERT_EQ(v6.weights.size(), 2u);  // one from the volume section
  EXPECT_EQ(v6.weights[0].number, "GENPP002");
  EXPECT_EQ(v6.values.at(0).number, "VLPP0123");
  EXPECT_EQ(v6.qualities.at(0).year, 1998);
  const std::string written = WriteSections(v6);
  const KeyEquations again = Parse("02\n" + written + "END\n");
  EXPECT_EQ(WriteSections(again), written);
}

TEST(SectionScan, NoEndLineReadsAllFour) {
  ExpectOneOfEach(Parse(kHead + "VOLUME EQUATIONS\n" + kVol + "VALUE EQUATIONS\n" + kVal + "WEIGHT EQUATIONS\n" +
                        kWgt + "QUALITY ADJUSTMENTS\n" + kQua));
}

TEST(SectionScan, SectionsInAnyOrder) {
  const KeyEquations e = Parse(kHead + "QUALITY ADJUSTMENTS\n" + kQua + "WEIGHT EQUATIONS\n" + kWgt +
                               "VALUE EQUATIONS\n" + kVal + "VOLUME EQUATIONS\n" + kVol + "END\n");
  ExpectOneOfEach(e);
  EXPECT_EQ(e.weights[0].number, "GENPP002");
  EXPECT_TRUE(e.messages.empty());
}

TEST(SectionScan, RepeatedSectionReadOnce) {
  const KeyEquations e = Parse(kHead + "VOLUME EQUATIONS\n" + kVol + "VALUE EQUATIONS\n" + kVal + "QUALITY ADJUSTMENTS\n" +
                               kQua + "WEIGHT EQUATIONS\n" + kWgt + "QUALITY ADJUSTMENTS\n" + kQua +
                               "VOLUME EQUATIONS\n" + kVol + "END\n");
  ExpectOneOfEach(e);
  ASSERT_EQ(e.messages.size(), 2u);
  EXPECT_NE(e.messages[0].find("QUALITY ADJUSTMENTS"), std::string::npos);
}

TEST(SectionScan, MissingHeaderLosesOnlyItsSection) {
  const KeyEquations e =
      Parse(kHead + kVol + "VALUE EQUATIONS\n" + kVal + "WEIGHT EQUATIONS\n" + kWgt + "QUALITY ADJUSTMENTS\n" + kQua);
  EXPECT_TRUE(e.volumes.empty());
  EXPECT_EQ(e.values.size(), 1u);
  EXPECT_EQ(e.weights.size(), 1u);
  EXPECT_EQ(e.qualities.size(), 1u);
  ASSERT_EQ(e.messages.size(), 1u);
  EXPECT_EQ(e.messages[0], "The key file has no VOLUME EQUATIONS.");
}

TEST(SectionScan, EveryHeaderEndsTheSectionBeforeIt) {
  // A volume header after the weight section is not read as a weight record.
  const KeyEquations e = Parse(kHead + "WEIGHT EQUATIONS\n" + kWgt + "VOLUME EQUATIONS\n" + kVol);
  EXPECT_EQ(e.weights.size(), 1u);
  EXPECT_EQ(e.volumes.size(), 1u);
}

TEST(SectionScan, EndStopsTheScan) {
  const KeyEquations e = Parse(kHead + "VOLUME EQUATIONS\n" + kVol + "END\nVALUE EQUATIONS\n" + kVal);
  EXPECT_EQ(e.volumes.size(), 1u);
  EXPECT_TRUE(e.values.empty());
}

TEST(SectionScan, FileNamesStartingLikeStopWordsAreNotHeaders) {
  const KeyEquations e = Parse("01D\nENDICOTT.JOB\nVALLEY.OUT\nDP1,\nVOLUME EQUATIONS\n" + kVol);
  EXPECT_EQ(e.volumes.size(), 1u);
}

TEST(SectionScan, BlankLinesAndCarriageReturnsAreSkipped) {
  const KeyEquations e = Parse("\n\n01D\r\nx.job\r\n\r\nx.out\r\nDP1,\r\nVOLUME EQUATIONS   \r\n\r\n" +
                               kVol.substr(0, kVol.size() - 1) + "\r\nEND\r\n");
  EXPECT_EQ(e.region, "01");
  ASSERT_EQ(e.volumes.size(), 1u);
  EXPECT_EQ(e.volumes[0].flags, "01111");
}

TEST(SectionScan, BadInputGivesEmptyTablesAndMessages) {
  const KeyEquations empty = Parse("");
  EXPECT_TRUE(empty.volumes.empty());
  EXPECT_EQ(empty.messages, std::vector<std::string>{"The key file is empty."});

  std::string binary;
  for (int i = 0; i < 2000; ++i) binary += static_cast<char>((i * 37) % 256);
  const KeyEquations junk = Parse(binary);
  EXPECT_TRUE(junk.volumes.empty());
  EXPECT_EQ(junk.messages.size(), 4u);

  // Ends in the middle of a record.
  const KeyEquations cut = Parse(kHead + "VOLUME EQUATIONS\n" + kVol.substr(0, 20));
  ASSERT_EQ(cut.volumes.size(), 1u);
  EXPECT_EQ(cut.volumes[0].number, "101DVEW202");
  EXPECT_EQ(cut.volumes[0].stump, 1.0);
  EXPECT_EQ(cut.volumes[0].flags, "00000");
}

TEST(Region9, VolumesMergedPerSpeciesAndProduct) {
  const KeyEquations e = Parse(
      "09\nx.job\nx.out\nDP1,\nVOLUME EQUATIONS\n"
      "202/02/903\n"
      "202/01/911\n"
      "202/01/901,6.0\n"
      "131/01/902/902/902\n"
      "131/02/904\n"
      "131/02/905\n"
      "END\n");
  ASSERT_EQ(e.volumes.size(), 4u);
  const auto& a = e.volumes[0];
  EXPECT_EQ(a.species + a.product + a.number + a.flags + a.region, "13101902DVEE13101100" "09");
  EXPECT_EQ(e.volumes[1].number, "905DVEE131");
  EXPECT_EQ(e.volumes[1].flags, "00110");
  EXPECT_EQ(e.volumes[2].number, "901DVEE202");
  EXPECT_EQ(e.volumes[2].flags, "01101");  // the secondary before the primary still counts
  EXPECT_EQ(e.volumes[2].top_dib_primary, 0.0);
  EXPECT_EQ(e.volumes[3].number, "903DVEE202");
  // Written with both secondary marks cleared for "00110".
  EXPECT_EQ(FormatVolumeRecord(e.volumes[1]).substr(33, 2), "00");
}

}  // namespace
}  // namespace sw::legacy::keyfile
