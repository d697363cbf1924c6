// Value rules of the job-record readers: UOMP and Clear codes, the secondary
// product of a tree, Version 6 code translations and heights by region.
#include <gtest/gtest.h>

#include <string>

#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/record_rules.h"

namespace sw::legacy::jobfile {
namespace {

using namespace layouts;

TEST(RecordRules, UompGetsALeadingZeroOnlyWhenOneNonBlankCharacter) {
  EXPECT_EQ(NormaliseUomp("1"), "01");
  EXPECT_EQ(NormaliseUomp(" 1"), " 1");
  EXPECT_EQ(NormaliseUomp("03"), "03");
  EXPECT_EQ(NormaliseUomp(" "), " ");
  EXPECT_EQ(NormaliseUomp(""), "");
}

TEST(RecordRules, ClearIsTranslatedInRegionThreeOnly) {
  EXPECT_EQ(NormaliseClear("Y", "03"), "1");
  EXPECT_EQ(NormaliseClear("y", "03"), "1");
  EXPECT_EQ(NormaliseClear("N", "03"), "0");
  EXPECT_EQ(NormaliseClear("n", "03"), "0");
  EXPECT_EQ(NormaliseClear(" ", "03"), "0");
  EXPECT_EQ(NormaliseClear("", "03"), "");
  EXPECT_EQ(NormaliseClear("X", "03"), "X");
  EXPECT_EQ(NormaliseClear("Y", "3"), "Y");
  EXPECT_EQ(NormaliseClear("Y", "06"), "Y");
}

TEST(RecordRules, SecondaryProductOfAVersionSevenTree) {
  EXPECT_EQ(TreeProdS("14", " ", "L", "09"), "02");
  EXPECT_EQ(TreeProdS("01", " ", "L", "09"), "02");  // last rule: S blank
  EXPECT_EQ(TreeProdS("14", "", " ", "06"), "08");
  EXPECT_EQ(TreeProdS(" ", " ", " ", "01"), "");
  EXPECT_EQ(TreeProdS("", "", "", "01"), "");
  EXPECT_EQ(TreeProdS(" ", "  ", "L", "01"), "02");
  EXPECT_EQ(TreeProdS("01", "20", "L", "06"), "20");
  EXPECT_EQ(TreeProdS(" ", "20", " ", "01"), "");  // CL and ProdP blank win over S
}

TEST(RecordRules, VersionSixCodes) {
  EXPECT_EQ(Version6CM("Y"), "C");
  EXPECT_EQ(Version6CM("N"), "M");
  EXPECT_EQ(Version6CM("C"), "C");
  EXPECT_EQ(Version6CM("y"), "y");
  EXPECT_EQ(Version6CL("N"), "C");
  EXPECT_EQ(Version6CL("Y"), "L");
  EXPECT_EQ(Version6CL(" "), " ");
}

TEST(RecordRules, LogNumbersThatEndALine) {
  EXPECT_TRUE(EndsLogs(""));
  EXPECT_TRUE(EndsLogs(" "));
  EXPECT_TRUE(EndsLogs("0"));
  EXPECT_FALSE(EndsLogs("  1"));
  EXPECT_FALSE(EndsLogs("10"));
}

// A Version 6 tree line with 34-36 "100", 37-39 "200", 40 the merch height
// type, 58-60 " 30", 61-63 " 40".
JobRecord Version6Tree(char merch_type) {
  std::string line(93, ' ');
  line.replace(0, 2, "7A");
  line.replace(34, 6, "100200");
  line[40] = merch_type;
  line.replace(58, 6, " 30 40");
  JobRecord r;
  r.Parse(kTree6, line);
  return r;
}

TEST(RecordRules, VersionSixHeightsByRegion) {
  JobRecord tree = Version6Tree(' ');
  Version6Heights h = DecodeVersion6Heights(tree, "01");
  EXPECT_EQ(h.TotHt, "100");
  EXPECT_EQ(h.SDefP, " 30");
  EXPECT_EQ(h.HDefP, "");
  EXPECT_EQ(h.MrchHtP, "");

  h = DecodeVersion6Heights(tree, "02");
  EXPECT_EQ(h.TotHt, "101.000");
  EXPECT_EQ(h.HgtUStem, "200");
  EXPECT_EQ(h.HDefP, " 40");

  h = DecodeVersion6Heights(tree, "4");
  EXPECT_EQ(h.TotHt, "101.000");

  h = DecodeVersion6Heights(tree, "05");
  EXPECT_EQ(h.SDefS, " 40");
  h = DecodeVersion6Heights(tree, "06");
  EXPECT_EQ(h.MrchHtP, "200");
  EXPECT_EQ(h.CDefP, " 30");
  h = DecodeVersion6Heights(tree, "08");
  EXPECT_EQ(h.TotHt, "");
  EXPECT_EQ(h.MrchHtP, "100");
  EXPECT_EQ(h.HgtUStem, "200");
  h = DecodeVersion6Heights(tree, "09");
  EXPECT_EQ(h.MrchHtS, "200");
  EXPECT_EQ(h.SDefS, " 40");
  h = DecodeVersion6Heights(tree, "10");
  EXPECT_EQ(h.TotHt, "100");
  EXPECT_EQ(h.MrchHtP, "");
  EXPECT_EQ(h.HDefP, " 40");
  h = DecodeVersion6Heights(Version6Tree('l'), "10");
  EXPECT_EQ(h.TotHt, "");
  EXPECT_EQ(h.MrchHtP, "200");
  h = DecodeVersion6Heights(tree, "12");
  EXPECT_EQ(h.MrchHtP, "100");
  h = DecodeVersion6Heights(tree, "11");
  EXPECT_EQ(h.TotHt, "");
  EXPECT_EQ(h.SDefP, "");
}

TEST(RecordRules, VersionSixRegionTwoLeavesZeroHeightsAlone) {
  std::string line(93, ' ');
  line.replace(0, 2, "7A");
  JobRecord r;
  r.Parse(kTree6, line);
  EXPECT_EQ(DecodeVersion6Heights(r, "02").TotHt, " ");
  r.Parse(kTree6, "7A");
  EXPECT_EQ(DecodeVersion6Heights(r, "02").TotHt, "");
}

}  // namespace
}  // namespace sw::legacy::jobfile
