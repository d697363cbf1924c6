// Default volume equations checked against an independent listing of every
// regional table (data/default_volume_equations.txt), including the fall-back
// order between tables.
#include "legacy/keyfile/default_volume_equations.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_files.h"

namespace sw::legacy::keyfile {
namespace {

using Listing = std::map<int, std::vector<std::pair<std::string, std::string>>>;

Listing LoadListing() {
  Listing listing;
  std::ifstream in(testing::DataPath("default_volume_equations.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int region = 0;
    std::string code, number;
    fields >> region >> code >> number;
    listing[region].emplace_back(code, number);
  }
  return listing;
}

std::string FindIn(const Listing& listing, int region, const std::string& code) {
  auto it = listing.find(region);
  if (it == listing.end()) return "";
  for (const auto& [c, n] : it->second)
    if (c == code) return n;
  return "";
}

// The rules written out independently of the code under test.
std::string Expected(const Listing& listing, int region, const std::string& code, const std::string& species) {
  auto region8 = [&] { return code >= "800" ? code + "CLKE" + species : "8" + code + "DVEE" + species; };
  if (region >= 1 && region <= 7) {
    for (int t = region; t <= 7; ++t)
      if (auto n = FindIn(listing, t, code); !n.empty()) return n;
    return region8();
  }
  if (region == 8) return region8();
  if (region == 9) return code + "DVEE" + species;
  if (region == 10) {
    if (auto n = FindIn(listing, 10, code); !n.empty()) return n;
    if (auto n = FindIn(listing, 12, code); !n.empty()) return n;
    return "BLANK";
  }
  if (region == 12) {
    if (auto n = FindIn(listing, 12, code); !n.empty()) return n;
  }
  return "BLANK";
}

TEST(DefaultVolumeEquations, TablesMatchTheListingEntryByEntry) {
  const Listing listing = LoadListing();
  ASSERT_EQ(listing.size(), 9u);
  std::size_t total = 0;
  for (const auto& [region, entries] : listing) {
    auto table = DefaultEquationTable(region);
    ASSERT_EQ(table.size(), entries.size()) << "region " << region;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(table[i].code, entries[i].first) << "region " << region << " row " << i;
      EXPECT_EQ(table[i].number, entries[i].second) << "region " << region << " row " << i;
    }
    total += entries.size();
  }
  EXPECT_EQ(total, 194u);
  for (int region : {0, 8, 9, 11, 13}) EXPECT_TRUE(DefaultEquationTable(region).empty());
}

TEST(DefaultVolumeEquations, EveryCodeInEveryRegionFollowsTheFallBackOrder) {
  const Listing listing = LoadListing();
  std::set<std::string> codes = {"800", "899", "9", "01", "999", "1299"};
  for (const auto& [region, entries] : listing)
    for (const auto& entry : entries) codes.insert(entry.first);
  for (int region = 0; region <= 13; ++region) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", region);
    for (const std::string& code : codes)
      EXPECT_EQ(DefaultVolumeEquation("131", text, code), Expected(listing, region, code, "131"))
          << "region " << text << " code " << code;
  }
}

TEST(DefaultVolumeEquations, WorkedExamples) {
  EXPECT_EQ(DefaultVolumeEquation("108", "01", "208"), "102DVEW108");
  EXPECT_EQ(DefaultVolumeEquation("108", "02", "208"), "200DVEW202");
  EXPECT_EQ(DefaultVolumeEquation("122", "01", "301"), "300DVEW122");
  EXPECT_EQ(DefaultVolumeEquation("202", "06", "801"), "801CLKE202");
  EXPECT_EQ(DefaultVolumeEquation("510", "10", "1253"), "H00SN2W510");
  EXPECT_EQ(DefaultVolumeEquation("510", "11", "1253"), "BLANK");
  EXPECT_EQ(DefaultVolumeEquation("202", "09", "901"), "901DVEE202");
  EXPECT_EQ(DefaultVolumeEquation("131", "08", "01"), "801DVEE131");
  EXPECT_EQ(DefaultVolumeEquation("131", "08", " 1"), "801DVEE131");
  EXPECT_EQ(DefaultVolumeEquation("131", "07", "101"), "8101DVEE131");  // region 7 searches table 7 only
  EXPECT_EQ(DefaultVolumeEquation("098", "12", "1051"), "BLANK");       // region 12 never searches table 10
  EXPECT_EQ(DefaultVolumeEquation("098", "XX", "1051"), "BLANK");
}

TEST(DefaultVolumeEquations, TwoCharacterSpeciesIsAppendedUnchanged) {
  EXPECT_EQ(DefaultVolumeEquation("DF", "08", "01"), "801DVEEDF");
  EXPECT_EQ(DefaultVolumeEquation("DF", "09", "901"), "901DVEEDF");
}

}  // namespace
}  // namespace sw::legacy::keyfile
