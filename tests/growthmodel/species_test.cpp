// The species tables: the text source, the storage file built from it, the
// translation lookups and the file that ships beside the programs.
#include "growthmodel/species.h"

#include <gtest/gtest.h>

#include <set>

#include "cruisedb/columns.h"
#include "growthmodel/variants.h"
#include "support/temp_dir.h"

namespace sw::growthmodel {
namespace {

TEST(SpeciesSourceTest, ParsesTablesInOrderAndRefusesMalformedLines) {
  auto parsed = ParseSpeciesSource(
      "# comment\n\n[CRspecies]\r\n202|Douglas-fir|DF\n019|subalpine fir|AF\n[SEspecies]\n[AKspecies]\n|hybrid "
      "spruce|LS\n");
  ASSERT_TRUE(parsed) << parsed.status().message();
  ASSERT_EQ(parsed->size(), 3u);
  EXPECT_EQ((*parsed)[0].view_name, "CRspecies");
  ASSERT_EQ((*parsed)[0].rows.size(), 2u);
  EXPECT_EQ((*parsed)[0].rows[1].fia_code, "019");
  EXPECT_EQ((*parsed)[0].rows[1].name, "subalpine fir");
  EXPECT_EQ((*parsed)[0].rows[1].gro_code, "AF");
  EXPECT_TRUE((*parsed)[1].rows.empty());
  EXPECT_EQ((*parsed)[2].rows[0].fia_code, "");

  struct Bad {
    const char* text;
    const char* message;
  };
  for (const Bad& bad : {Bad{"202|Douglas-fir|DF\n", "line 1: a species row before the first [table] line"},
                         Bad{"[CRspecies]\n202|Douglas-fir\n", "line 2: expected FIAcode|SpeciesName|GROspeciesCode"},
                         Bad{"[CRspecies]\n202|a|b|c\n", "line 2: expected FIAcode|SpeciesName|GROspeciesCode"},
                         Bad{"[CR species]\n", "line 1: the table name \"CR species\" is not a view name"},
                         Bad{"[CRspecies]\n[crspecies]\n", "line 2: table crspecies is listed twice"},
                         Bad{"[CRspecies\n", "line 1: a table line is [NAME]"}}) {
    auto result = ParseSpeciesSource(bad.text);
    ASSERT_FALSE(result) << bad.text;
    EXPECT_EQ(result.status().message(), bad.message);
  }
}

class SpeciesFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto tables = ParseSpeciesSource(
        "[CRspecies]\n122|ponderosa pine|PP\n202|Douglas-fir|DF\n122|second pine|P2\nab1|lettered|LC\n"
        "[SEspecies]\n");
    ASSERT_TRUE(tables);
    ASSERT_TRUE(WriteSpeciesFile(path_, *tables));
  }
  test::TempDir dir_;
  std::filesystem::path path_ = dir_ / kSpeciesFileName;
};

TEST_F(SpeciesFileTest, RoundTripKeepsEveryRowInOrder) {
  auto opened = storage::Storage::Open(path_, storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->Description(),
            "CRspecies[FIAcode:S,SpeciesName:S,GROspeciesCode:S],SEspecies[FIAcode:S,SpeciesName:S,GROspeciesCode:S]");
  auto view = opened->GetView("CRspecies");
  ASSERT_EQ(view.Size(), 4u);
  EXPECT_EQ(view.Bind(cruisedb::col::SpeciesName).Get(2), "second pine");
  EXPECT_EQ(view.Bind(cruisedb::col::GROspeciesCode).Get(3), "LC");
  EXPECT_FALSE(WriteSpeciesFile(path_, {})) << "an existing file is never overwritten";
}

TEST_F(SpeciesFileTest, TranslationMatchesTheCodeExactlyAndTheFirstRowWins) {
  auto file = SpeciesFile::Open(path_);
  ASSERT_TRUE(file) << file.status().message();
  EXPECT_EQ(file->Translate("CR", "122"), "PP");
  EXPECT_EQ(file->Translate("CR", "202"), "DF");
  EXPECT_EQ(file->Translate("CR", "0122"), "");
  EXPECT_EQ(file->Translate("CR", "122 "), "");
  EXPECT_EQ(file->Translate("CR", " 122"), "");
  EXPECT_EQ(file->Translate("CR", ""), "");
  EXPECT_EQ(file->Translate("CR", "AB1"), "LC") << "letter case does not count in the engine's lookups";
  EXPECT_EQ(file->Translate("SE", "122"), "") << "an empty view translates nothing";
  EXPECT_EQ(file->Translate("ZZ", "122"), "") << "a variant without a view translates nothing";
  EXPECT_EQ(TranslateSpecies(path_, "CR", "202"), "DF");
}

TEST_F(SpeciesFileTest, MissingOrDamagedFileIsAnErrorEveryTime) {
  const auto missing = dir_ / "elsewhere" / kSpeciesFileName;
  for (int call = 0; call < 2; ++call) {
    std::string message;
    EXPECT_EQ(TranslateSpecies(missing, "CR", "202", &message), "ERROR");
    EXPECT_EQ(message, missing.string() + " is missing!\nCannot continue without it");
  }
  auto opened = SpeciesFile::Open(missing);
  ASSERT_FALSE(opened);
  EXPECT_EQ(opened.status().message(), MissingSpeciesFileMessage(missing));

  const auto damaged = dir_ / "damaged.mk4";
  test::WriteFile(damaged, "this is not a storage file at all, just text\n");
  std::string message;
  EXPECT_EQ(TranslateSpecies(damaged, "CR", "202", &message), "ERROR");
  EXPECT_NE(message.find(damaged.string() + " cannot be read: "), std::string::npos) << message;

  // A truncated copy of a good file is refused, never read as partly empty.
  std::ifstream in(path_, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  test::WriteFile(damaged, bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(TranslateSpecies(damaged, "CR", "202"), "ERROR");
}

TEST(ShippedSpeciesFileTest, HoldsAViewForEveryVariant) {
  const std::filesystem::path shipped = std::filesystem::path(SW_BIN_DIR) / kSpeciesFileName;
  auto opened = storage::Storage::Open(shipped, storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(opened) << opened.status().message();
  ASSERT_TRUE(opened->Verify());
  std::size_t rows = 0;
  for (const auto& variant : AllVariants()) {
    const std::string name = SpeciesViewName(variant.code);
    ASSERT_TRUE(opened->HasView(name)) << name;
    auto view = opened->GetView(name);
    EXPECT_EQ(view.Describe(), "FIAcode:S,SpeciesName:S,GROspeciesCode:S");
    if (variant.code == "SE") {
      EXPECT_EQ(view.Size(), 0u);
    } else {
      EXPECT_GT(view.Size(), 10u) << name;
    }
    rows += view.Size();
  }
  EXPECT_EQ(rows, 805u);
  EXPECT_EQ(opened->ViewNames().size(), AllVariants().size());

  auto file = SpeciesFile::Open(shipped);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Translate("CR", "202"), "DF");
  EXPECT_EQ(file->Translate("AK", "011"), "SF");
  EXPECT_EQ(file->Translate("AK", ""), "") << "the row without an FIA code never matches";
  EXPECT_EQ(file->Translate("LS", "125"), "RN") << "the first of two rows with one code";
  EXPECT_EQ(file->Translate("KT", "202"), file->Translate("NI", "202"));
}

}  // namespace
}  // namespace sw::growthmodel
