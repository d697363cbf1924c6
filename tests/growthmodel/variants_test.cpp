#include "growthmodel/variants.h"

#include <gtest/gtest.h>

namespace sw::growthmodel {
namespace {

using Names = std::vector<std::string>;

TEST(VariantsTest, RegionsOfOneAndTwoDigitsOfferTheSameList) {
  const Names region1 = {"Eastern Montana", "Kootenai/Kaniksu/Tally Lake", "Northern Idaho", "Inland Empire"};
  EXPECT_EQ(VariantsForRegion("01"), region1);
  EXPECT_EQ(VariantsForRegion("1"), region1);
  EXPECT_EQ(VariantsForRegion("2"), Names{"Central Rockies"});
  EXPECT_EQ(VariantsForRegion("03"), Names{"Central Rockies"});
  EXPECT_EQ(VariantsForRegion("4"), (Names{"Central Rockies", "Central Idaho", "Tetons", "Utah"}));
  EXPECT_EQ(VariantsForRegion("05").size(), 4u);
  EXPECT_EQ(VariantsForRegion("6"), VariantsForRegion("07"));
  EXPECT_EQ(VariantsForRegion("06").size(), 7u);
  EXPECT_EQ(VariantsForRegion("8"), Names{"Southern"});
  EXPECT_EQ(VariantsForRegion("09"), (Names{"Central States", "Northeast", "Lake States"}));
  EXPECT_EQ(VariantsForRegion("10"), Names{"Southeast Alaska/Coastal British Columbia"});
}

TEST(VariantsTest, OtherRegionsOfferNothing) {
  for (const char* region : {"", " ", "0", "00", "11", "6 ", " 6", "010", "1 0", "x"})
    EXPECT_TRUE(VariantsForRegion(region).empty()) << '"' << region << '"';
}

TEST(VariantsTest, CodesByExactName) {
  EXPECT_EQ(AllVariants().size(), 22u);
  for (const auto& variant : AllVariants()) EXPECT_EQ(VariantCode(variant.name), variant.code);
  EXPECT_EQ(VariantCode("Southeast"), "SE");
  EXPECT_EQ(VariantCode("southeast"), "");
  EXPECT_EQ(VariantCode("Utah "), "");
  EXPECT_EQ(VariantCode(""), "");
  // Southeast has a code but no region offers it.
  for (const char* region : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"}) {
    for (const auto& name : VariantsForRegion(region)) {
      EXPECT_NE(name, "Southeast");
      EXPECT_FALSE(VariantCode(name).empty()) << name;
    }
  }
}

}  // namespace
}  // namespace sw::growthmodel
