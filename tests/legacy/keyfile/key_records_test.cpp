// Single key file records: Version 7 fields and their layouts, Version 6
// volume merging, value and quality records, regions and years.
#include "legacy/keyfile/key_records.h"

#include <gtest/gtest.h>

#include "legacy/line.h"

namespace sw::legacy::keyfile {
namespace {

TEST(KeyRecordLayout, WriterPutsEveryFieldInTheColumnsTheReaderReads) {
  VolumeEquation v;
  v.species = "202ABC";
  v.product = "01";
  v.number = "101DVEW202";
  v.stump = 1.5;
  v.top_dib_primary = 12.5;
  v.top_dib_secondary = 99.9;
  v.flags = "10111";
  v.zscore = -12.125;
  v.upper_stem_height = 123;
  v.reference_height = 456;
  v.region = "1";  // the first character of the number, normalised
  const std::string line = FormatVolumeRecord(v);
  ASSERT_EQ(line.size(), 49u);
  EXPECT_EQ(ReadVolumeRecord7(line, "01"), v);

  ValueEquation a{"202ABC", "01", "VLPP0113", "G", {-1.12345, 12.5, 0, 0, 0, 99.99999}, "1"};
  const std::string value_line = FormatValueRecord(a);
  ASSERT_EQ(value_line.size(), 66u);
  EXPECT_EQ(ReadValueRecord7(value_line), a);

  QualityEquation q{"202ABC", "QUAL0101", 1998, "ABCDEFG", {1, 2, 3, -4.5, 999.9999, 0.0001}};
  const std::string quality_line = FormatQualityRecord(q);
  ASSERT_EQ(quality_line.size(), 76u);
  EXPECT_EQ(ReadQualityRecord7(quality_line), q);
}

// A percent of nine characters at four decimals is written with three, so
// that its first column stays blank and readers that take the factor from
// ten columns still read both numbers right.
TEST(KeyRecordLayout, WideWeightPercentKeepsItsFirstColumnBlank) {
  WeightEquation w{"202", "01", "GENPP002", "L", 0.35, 1234.5678};
  const std::string line = FormatWeightRecord(w);
  EXPECT_EQ(line, "202   01GENPP002   0.3500 1234.568L\n");
  EXPECT_EQ(legacy::Atof(line.substr(16, 10)), 0.35);  // the ten-column factor field
  EXPECT_EQ(legacy::Atof(line.substr(26, 9)), 1234.568);
  WeightEquation back = ReadWeightRecord(line);
  EXPECT_EQ(back.percent, 1234.568);
  back.percent = w.percent;
  EXPECT_EQ(back, w);
  // A full-width factor keeps its nine columns.
  w.factor = 9999.9999;
  w.percent = 12.5;
  EXPECT_EQ(ReadWeightRecord(FormatWeightRecord(w)), w);
  // Whole parts that cannot fit have no text.
  EXPECT_EQ(KeyNumberText("%9.4f", 123456789.0, 8), std::nullopt);
  EXPECT_EQ(KeyNumberText("%9.4f", 12345678.0, 8), " 12345678");
  EXPECT_EQ(KeyNumberText("%8.5f", -3.5, 8), "-3.50000");
  EXPECT_EQ(KeyNumberText("%8.5f", -123.456789, 8), "-123.457");
}

TEST(KeyRecordLayout, OverlongTextIsCutToItsField) {
  VolumeEquation v;
  v.species = "TOOLONGSPECIES";
  v.number = "12345678901234";
  v.region = "01";
  const std::string line = FormatVolumeRecord(v);
  EXPECT_EQ(line.size(), 49u);
  const VolumeEquation back = ReadVolumeRecord7(line, "01");
  EXPECT_EQ(back.species, "TOOLON");
  EXPECT_EQ(back.number, "1234567890");
}

TEST(Version7Records, ShortLinesGiveEmptyTextAndZero) {
  const VolumeEquation v = ReadVolumeRecord7("202   01101DVEW2021.0", "01");
  EXPECT_EQ(v.number, "101DVEW202");
  EXPECT_DOUBLE_EQ(v.stump, 1.0);
  EXPECT_EQ(v.flags, "00000");
  EXPECT_EQ(v.top_dib_primary, 0.0);
  EXPECT_EQ(v.reference_height, 0);

  const ValueEquation a = ReadValueRecord7("DF");
  EXPECT_EQ(a.species, "DF");
  EXPECT_EQ(a.product, "");
  EXPECT_EQ(a.region, "0");

  const WeightEquation w = ReadWeightRecord("202   01GENPP002   0.35");
  EXPECT_DOUBLE_EQ(w.factor, 0.35);
  EXPECT_EQ(w.percent, 0.0);
  EXPECT_EQ(w.live_dead, "");

  // A blank field inside the line is one blank.
  EXPECT_EQ(ReadWeightRecord("202     GENPP002").product, " ");
}

TEST(Version7Records, SecondaryMarksSetFlagFour) {
  std::string line = "202   01101DVEW2021.00 6.0111 4.000  0.000  0  0";
  EXPECT_EQ(ReadVolumeRecord7(line, "01").flags, "01110");
  line[33] = '1';
  EXPECT_EQ(ReadVolumeRecord7(line, "01").flags, "01111");
  line[33] = '0';
  line[34] = '1';
  EXPECT_EQ(ReadVolumeRecord7(line, "01").flags, "01111");
}

TEST(Version7Records, WriterMarksSecondaryOnlyWithFlagFour) {
  VolumeEquation v;
  v.flags = "011";  // short flags are padded with "0"
  EXPECT_EQ(FormatVolumeRecord(v).substr(21, 14), "0 0.0110 0.000");
  v.flags = "00101";
  EXPECT_EQ(FormatVolumeRecord(v).substr(33, 2), "10");
  v.flags = "00011";
  EXPECT_EQ(FormatVolumeRecord(v).substr(33, 2), "01");
  v.flags = "00110";
  v.region = "09";
  EXPECT_EQ(FormatVolumeRecord(v).substr(33, 2), "00");
}

TEST(EquationRegions, VolumeRegionFromTheNumber) {
  EXPECT_EQ(VolumeEquationRegion("407FW2W093", "02", true), "02");
  EXPECT_EQ(VolumeEquationRegion("407FW2W093", "04", true), "04");
  EXPECT_EQ(VolumeEquationRegion("A16DEMW098", "01", false), "10");
  EXPECT_EQ(VolumeEquationRegion("B00BEHW202", "01", false), "07");
  EXPECT_EQ(VolumeEquationRegion("I00FW2W122", "03", false), "03");
  EXPECT_EQ(VolumeEquationRegion("F00FW2W122", "03", true), "03");
  EXPECT_EQ(VolumeEquationRegion("F00FW2W122", "03", false), "0F");
  EXPECT_EQ(VolumeEquationRegion("616BEHW000", "01", false), "06");
}

TEST(EquationRegions, ValueRegionFromTheSixthCharacter) {
  EXPECT_EQ(ValueEquationRegion("VLPP0500"), "05");
  EXPECT_EQ(ValueEquationRegion("VLPP0005"), "10");
  EXPECT_EQ(ValueEquationRegion("VLPP"), "0");
}

TEST(QualityYears, ShortFieldsAreExpanded) {
  EXPECT_EQ(QualityYear("  98"), 1998);
  EXPECT_EQ(QualityYear("  04"), 2004);
  EXPECT_EQ(QualityYear("  2004"), 2004);
  EXPECT_EQ(QualityYear("    98"), 98);  // a full six-column field is taken as it is
  EXPECT_EQ(QualityYear("1998"), 1998);
  EXPECT_EQ(QualityYear(" "), 0);
  EXPECT_EQ(QualityYear(""), 0);
  EXPECT_EQ(ReadQualityRecord7("202   QUAL0101  98      1").year, 1998);
}

TEST(KeyFileRegions, LineOneGivesTheRegion) {
  EXPECT_EQ(KeyFileRegion("06D"), "06");
  EXPECT_EQ(KeyFileRegion("6"), "06");
  EXPECT_EQ(KeyFileRegion("6 D"), "06");
  EXPECT_EQ(KeyFileRegion(" 6D"), "06");
  EXPECT_EQ(KeyFileRegion("10C"), "10");
  EXPECT_EQ(KeyFileRegion(""), "");
}

TEST(Version6Detection, SlashAfterColumnZero) {
  EXPECT_TRUE(IsVersion6Record("DF/01/101"));
  EXPECT_FALSE(IsVersion6Record("/DF"));
  EXPECT_FALSE(IsVersion6Record("202   01101DVEW202"));
}

// --- Version 6 volume records ---------------------------------------------

std::vector<std::string> Flags(const Version6Volume& r) {
  std::vector<std::string> out;
  for (const auto& v : r.volumes) out.push_back(v.number + ":" + v.flags);
  return out;
}

using Strings = std::vector<std::string>;

TEST(Version6Volume, SameCodeInAllThreeFields) {
  const Version6Volume r = ReadVolumeRecord6("DF/01/201,4.0/201,4.0/201,4.0", "02");
  ASSERT_EQ(r.volumes.size(), 1u);
  const VolumeEquation& v = r.volumes[0];
  EXPECT_EQ(v.species, "DF");
  EXPECT_EQ(v.product, "01");
  EXPECT_EQ(v.number, "200DVEW746");
  EXPECT_EQ(v.flags, "01110");
  EXPECT_DOUBLE_EQ(v.top_dib_primary, 4.0);
  EXPECT_DOUBLE_EQ(v.stump, 1.0);
  EXPECT_EQ(v.region, "02");
  EXPECT_FALSE(r.weight);
}

TEST(Version6Volume, MergeCases) {
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/01/201/202/201", "02")), (Strings{"200DVEW746:01100", "200DVEW108:00010"}));
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/01/201/201/202", "02")), (Strings{"200DVEW746:01010", "200DVEW108:00100"}));
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/01//202/202", "02")), (Strings{"200DVEW108:00110"}));
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/01/201/202/203", "02")),
            (Strings{"200DVEW746:01000", "200DVEW108:00010", "203DVEW122:00100"}));
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/01///203", "02")), (Strings{"203DVEW122:00100"}));
}

TEST(Version6Volume, SingleEquationAndEqualPairStayUsable) {
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/02/202", "02")), (Strings{"200DVEW108:01000"}));
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/02/202,6.0", "02")), (Strings{"200DVEW108:01000"}));
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/01/201/202/202", "02")), (Strings{"200DVEW746:01000", "200DVEW108:00110"}));
}

TEST(Version6Volume, WeightAndSecondarySlots) {
  const Version6Volume r = ReadVolumeRecord6("WF/01/201/203/201/2,0.35//211,6.0/203,5.0/1,0.25", "02");
  EXPECT_EQ(Flags(r), (Strings{"200DVEW746:01100", "203DVEW122:00011", "8211DVEEWF:00001"}));
  EXPECT_DOUBLE_EQ(r.volumes[1].top_dib_secondary, 5.0);
  EXPECT_DOUBLE_EQ(r.volumes[2].top_dib_secondary, 6.0);
  EXPECT_EQ(r.volumes[2].region, "08");
  ASSERT_TRUE(r.weight);
  EXPECT_EQ(r.weight->species, "WF");
  EXPECT_EQ(r.weight->number, "GENPP002");
  EXPECT_DOUBLE_EQ(r.weight->factor, 0.35);
  EXPECT_DOUBLE_EQ(r.weight->percent, 0.25);
}

TEST(Version6Volume, WeightFieldAndPositionThreeNeedsAnEmptyFieldToPass) {
  // Without the empty field the secondary code stays at position 3.
  const Version6Volume r = ReadVolumeRecord6("DF/01/201/201/201/2,0.35/211", "01");
  EXPECT_EQ(r.volumes.size(), 1u);
  ASSERT_TRUE(r.weight);
  EXPECT_EQ(r.weight->number, "GENPP002");
}

TEST(Version6Volume, SecondaryWithoutMatchGetsFlagFour) {
  EXPECT_EQ(Flags(ReadVolumeRecord6("DF/01/201////211,6.0", "02")), (Strings{"200DVEW746:01000", "8211DVEEDF:00001"}));
}

TEST(Version6Volume, StumpHalfForRegion8Sawtimber) {
  const Version6Volume r = ReadVolumeRecord6("131/01/01", "08");
  ASSERT_EQ(r.volumes.size(), 1u);
  EXPECT_EQ(r.volumes[0].number, "801DVEE131");
  EXPECT_DOUBLE_EQ(r.volumes[0].stump, 0.5);
}

TEST(Version6Volume, SpeciesAndProductOutsideTheirColumnsAreEmpty) {
  const Version6Volume r = ReadVolumeRecord6("DOUGLAS/01/201", "02");
  ASSERT_EQ(r.volumes.size(), 1u);
  EXPECT_EQ(r.volumes[0].species, "");
  EXPECT_EQ(r.volumes[0].product, "");
  // No second "/": no fields.
  EXPECT_TRUE(ReadVolumeRecord6("DF/01", "02").volumes.empty());
}

TEST(Version6Value, NumberGradeAndCoefficients) {
  const ValueEquation e = ReadValueRecord6("DF/01/1/123 1.5 2.5,3.5 4 5 6 7 8");
  EXPECT_EQ(e.species, "DF");
  EXPECT_EQ(e.product, "01");
  EXPECT_EQ(e.grade, "1");
  EXPECT_EQ(e.number, "VLPP0123");
  EXPECT_EQ(e.coefficients, (std::array<double, 6>{1.5, 2.5, 3.5, 4, 5, 6}));
  EXPECT_EQ(e.region, "1");
  EXPECT_EQ(ReadValueRecord6("DF/01/1/0500").number, "VLPP0500");
  EXPECT_EQ(ReadValueRecord6("DF/01/1/0500").region, "05");
  EXPECT_EQ(ReadValueRecord6("DF/01/1/1005").region, "10");
  // Two terminators in a row leave an empty field.
  const ValueEquation gap = ReadValueRecord6("DF/01/1/123  2.5");
  EXPECT_EQ(gap.coefficients[0], 0.0);
  EXPECT_DOUBLE_EQ(gap.coefficients[1], 2.5);
}

TEST(Version6Quality, NumberYearGrade) {
  const QualityEquation e = ReadQualityRecord6("DF/101 98 1 1.0 2.0 3.0 4.0 5.0 6.0");
  EXPECT_EQ(e.species, "DF");
  EXPECT_EQ(e.number, "QUAL0101");
  EXPECT_EQ(e.year, 1998);
  EXPECT_EQ(e.grade, "1");
  EXPECT_EQ(e.coefficients, (std::array<double, 6>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ReadQualityRecord6("DF/1010 2004").number, "QUAL1010");
  EXPECT_EQ(ReadQualityRecord6("DF/1010 2004").year, 2004);
  EXPECT_EQ(ReadQualityRecord6("DF/").number, "QUAL");
}

}  // namespace
}  // namespace sw::legacy::keyfile
