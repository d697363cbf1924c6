// Command-line answers to the unit and variant dialog.
#include "app/unit_variant_options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sw::app {
namespace {

using Strings = std::vector<std::string>;

const platform::UnitVariantContent kContent{
    "   4",
    {" ALL UNITS", "  3 -- padded", "1 -- north - ridge", "10 -- no description available", "2 -- south"},
    {"Central Rockies", "Central Idaho", "Tetons", "Utah"}};

ResolvedChoice Resolve(Strings units, bool all, std::string variant) {
  return ResolveUnitVariantOptions({std::move(units), all, std::move(variant), false}, kContent);
}

TEST(UnitVariantOptionsTest, UnitsInListOrderEachOnce) {
  auto r = Resolve({"2", "1,10", " 2 ", "3"}, false, "UT");
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.choice.units,
            (Strings{"  3 -- padded", "1 -- north - ridge", "10 -- no description available", "2 -- south"}));
  EXPECT_EQ(r.choice.variant, "Utah");

  r = Resolve({"2"}, true, "central idaho");
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.choice.units, (Strings{" ALL UNITS", "2 -- south"}));
  EXPECT_EQ(r.choice.variant, "Central Idaho");

  r = Resolve({}, true, "cr");
  EXPECT_EQ(r.choice.units, Strings{" ALL UNITS"});
  EXPECT_EQ(r.choice.variant, "Central Rockies");
}

TEST(UnitVariantOptionsTest, MissingChoicesStayEmpty) {
  auto r = Resolve({}, false, "");
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(r.choice.units.empty());
  EXPECT_EQ(r.choice.variant, "");
}

TEST(UnitVariantOptionsTest, ValuesNotOfferedNameTheChoices) {
  EXPECT_EQ(Resolve({"1", "4"}, false, "UT").error,
            "ERROR: the cruise file has no cutting unit \"4\"; its units are: 3, 1, 10, 2");
  EXPECT_EQ(Resolve({"1,"}, false, "UT").error,
            "ERROR: the cruise file has no cutting unit \"\"; its units are: 3, 1, 10, 2");
  EXPECT_EQ(Resolve({"1"}, false, "Mars").error,
            "ERROR: unknown variant \"Mars\"; the variants offered for this cruise file are: Central Rockies (CR), "
            "Central Idaho (CI), Tetons (TT), Utah (UT)");
  EXPECT_EQ(Resolve({"1"}, false, "pn").error,
            "ERROR: the variant \"pn\" (Pacific Northwest Coast) is not offered for this cruise file's region; the "
            "variants offered are: Central Rockies (CR), Central Idaho (CI), Tetons (TT), Utah (UT)");
  EXPECT_EQ(Resolve({"1"}, false, "Southeast").error.substr(0, 40), "ERROR: the variant \"Southeast\" (Southeas");
}

TEST(UnitVariantOptionsTest, PromptPressesOkOnceOrLists) {
  std::ostringstream out, err;
  OptionUnitVariantPrompt prompt({{"10"}, false, "tt", false}, out, err);
  std::vector<platform::UnitVariantChoice> presses;
  prompt.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice& c) {
    presses.push_back(c);
    return true;
  });
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].units, Strings{"10 -- no description available"});
  EXPECT_EQ(presses[0].variant, "Tetons");
  EXPECT_FALSE(prompt.refused());
  EXPECT_FALSE(prompt.incomplete());
  EXPECT_EQ(out.str() + err.str(), "");

  OptionUnitVariantPrompt lister({{}, false, "", true}, out, err);
  lister.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice&) {
    ADD_FAILURE() << "a listing exports nothing";
    return true;
  });
  EXPECT_EQ(out.str(),
            " ALL UNITS\n  3 -- padded\n1 -- north - ridge\n10 -- no description available\n2 -- south\n"
            "Central Rockies\nCentral Idaho\nTetons\nUtah\n");

  OptionUnitVariantPrompt wrong({{"9"}, false, "tt", false}, out, err);
  wrong.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice&) {
    ADD_FAILURE() << "an unknown unit presses nothing";
    return true;
  });
  EXPECT_TRUE(wrong.refused());
  EXPECT_EQ(err.str(), "ERROR: the cruise file has no cutting unit \"9\"; its units are: 3, 1, 10, 2\n");

  OptionUnitVariantPrompt missing({{"1"}, false, "", false}, out, err);
  int pressed = 0;
  missing.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice& c) {
    ++pressed;
    EXPECT_EQ(c.variant, "");
    return true;
  });
  EXPECT_EQ(pressed, 1);
  EXPECT_TRUE(missing.incomplete());
}

}  // namespace
}  // namespace sw::app

namespace sw::app {
namespace {

TEST(UnitVariantOptionsTest, TerminalAsksForWhatTheOptionsLeaveOut) {
  std::ostringstream out, err;
  std::istringstream answers("2, 5\n1\n");
  OptionUnitVariantPrompt prompt({{}, false, "", false}, out, err, &answers);
  std::vector<platform::UnitVariantChoice> presses;
  prompt.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice& c) {
    presses.push_back(c);
    return true;
  });
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].units, (Strings{"  3 -- padded", "2 -- south"}));
  EXPECT_EQ(presses[0].variant, "Central Rockies");
  EXPECT_EQ(err.str().rfind("Select a unit (or units) by clicking.\n  1.  ALL UNITS\n  2.   3 -- padded\n", 0), 0u)
      << err.str();
  EXPECT_NE(err.str().find("Select a variant for these units by clicking.\n  1. Central Rockies\n"), std::string::npos);

  // An empty answer leaves the choice missing: OK without it.
  std::istringstream empty("\n\n");
  OptionUnitVariantPrompt blank({{"1"}, false, "", false}, out, err, &empty);
  blank.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice& c) {
    EXPECT_EQ(c.variant, "");
    return true;
  });
  EXPECT_TRUE(blank.incomplete());

  for (const char* bad : {"7\n", "x\n", "0\n"}) {
    std::istringstream wrong(bad);
    std::ostringstream e;
    OptionUnitVariantPrompt refused({{}, false, "UT", false}, out, e, &wrong);
    refused.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice&) {
      ADD_FAILURE() << bad;
      return true;
    });
    EXPECT_TRUE(refused.refused());
    EXPECT_NE(e.str().find("ERROR: "), std::string::npos);
  }
  std::istringstream two("1 2\n");
  std::ostringstream e;
  OptionUnitVariantPrompt one_only({{"1"}, false, "", false}, out, e, &two);
  one_only.RunUnitVariantDialog(kContent, [&](const platform::UnitVariantChoice&) { return true; });
  EXPECT_TRUE(one_only.refused());
  EXPECT_NE(e.str().find("ERROR: choose one number only\n"), std::string::npos);
}

}  // namespace
}  // namespace sw::app
