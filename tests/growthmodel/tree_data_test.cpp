// The tree data file: each field of a line at the edges of its format, and
// whole files written from a processed cruise file.
#include "growthmodel/tree_data.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cruisedb/columns.h"
#include "support/processed_cruise.h"
#include "support/temp_dir.h"

namespace sw::growthmodel {
namespace {

TreeLine BaseLine() {
  TreeLine line;
  line.plot = "1";
  line.tree = "2";
  line.trees_per_acre = 0.25;
  line.history = 1;
  line.species = "DF";
  line.dbh = 9.5;
  line.height = 80;
  line.crown_ratio = 35;
  line.sdef_primary = 5;
  line.sdef_secondary = 0;
  line.tree_class = 2;
  line.slope = 20;
  line.aspect = 180;
  return line;
}

std::string Columns(const std::string& line, int first, int last) {
  return line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
}

std::string Formatted(const TreeLine& line) {
  auto text = FormatTreeLine(line);
  EXPECT_TRUE(text) << text.status().message();
  if (!text) return "";
  EXPECT_EQ(text->size(), 60u) << *text;
  return *text;
}

TEST(TreeLineTest, EveryFieldStandsInItsColumns) {
  const std::string line = Formatted(BaseLine());
  EXPECT_EQ(line,
            "   1"
            "  2"
            "  0.25"
            "1"
            "DF "
            " 9.5"
            "    80"
            "       "
            "4"
            "27 5"
            "26 0"
            "    "
            "1"
            "2"
            "20180"
            "     \n");
}

TEST(TreeLineTest, TextFieldsAtTheirWidths) {
  TreeLine line = BaseLine();
  line.plot = "1234";
  line.tree = "999";
  line.species = "ABC";
  std::string text = Formatted(line);
  EXPECT_EQ(Columns(text, 1, 4), "1234");
  EXPECT_EQ(Columns(text, 5, 7), "999");
  EXPECT_EQ(Columns(text, 15, 17), "ABC");
  line.species = "";
  EXPECT_EQ(Columns(Formatted(line), 15, 17), "   ") << "an untranslated species is blank";

  for (auto change : {+[](TreeLine& l) { l.plot = "12345"; }, +[](TreeLine& l) { l.tree = "1000"; },
                      +[](TreeLine& l) { l.species = "ABCD"; }}) {
    TreeLine wide = BaseLine();
    change(wide);
    auto refused = FormatTreeLine(wide);
    ASSERT_FALSE(refused) << *refused;
    EXPECT_EQ(refused.status().message().rfind("plot " + wide.plot + " tree " + wide.tree + ": ", 0), 0u)
        << refused.status().message();
  }
}

TEST(TreeLineTest, TreesPerAcreKeepsItsSixColumns) {
  struct Case {
    double tpa;
    const char* text;
  };
  for (const Case& c : {Case{0, "  0.00"}, Case{0.004, "  0.00"}, Case{0.25, "  0.25"}, Case{999.99, "999.99"},
                        Case{999.995, "1000.0"}, Case{1234.56, "1234.6"}, Case{9999.9, "9999.9"},
                        Case{9999.95, "10000."}, Case{99999.4, "99999."}}) {
    TreeLine line = BaseLine();
    line.trees_per_acre = c.tpa;
    EXPECT_EQ(Columns(Formatted(line), 8, 13), c.text) << c.tpa;
  }
  for (double bad : {99999.5, 1e12, -0.5, std::nan(""), HUGE_VAL}) {
    TreeLine line = BaseLine();
    line.trees_per_acre = bad;
    EXPECT_FALSE(FormatTreeLine(line)) << bad;
  }
}

TEST(TreeLineTest, HistorySpeciesAndDbh) {
  TreeLine line = BaseLine();
  line.history = 6;
  EXPECT_EQ(Columns(Formatted(line), 14, 14), "6");
  line.history.reset();
  EXPECT_EQ(Columns(Formatted(line), 14, 14), " ");

  struct Case {
    double dbh;
    const char* text;
  };
  for (const Case& c : {Case{0, " 0.0"}, Case{9.5, " 9.5"}, Case{12.34, "12.3"}, Case{99.9, "99.9"},
                        Case{99.95, "100."}, Case{100, "100."}, Case{250.4, "250."}, Case{999.4, "999."}}) {
    TreeLine l = BaseLine();
    l.dbh = c.dbh;
    EXPECT_EQ(Columns(Formatted(l), 18, 21), c.text) << c.dbh;
  }
  for (double bad : {999.5, 5000.0, -1.0, std::nan("")}) {
    TreeLine l = BaseLine();
    l.dbh = bad;
    auto refused = FormatTreeLine(l);
    EXPECT_FALSE(refused) << bad;
  }
}

TEST(TreeLineTest, HeightCrownAndDefects) {
  TreeLine line = BaseLine();
  line.height = 45;
  EXPECT_EQ(Columns(Formatted(line), 22, 27), "    45");
  line.height = 999.4;
  EXPECT_EQ(Columns(Formatted(line), 22, 27), "   999");
  line.height.reset();
  EXPECT_EQ(Columns(Formatted(line), 22, 27), "      ");
  line.height = 1000;
  EXPECT_FALSE(FormatTreeLine(line));

  EXPECT_EQ(CrownCode(0), ' ');
  EXPECT_EQ(CrownCode(-5), ' ');
  EXPECT_EQ(CrownCode(1), '1');
  EXPECT_EQ(CrownCode(10), '1');
  EXPECT_EQ(CrownCode(11), '2');
  EXPECT_EQ(CrownCode(35), '4');
  EXPECT_EQ(CrownCode(80), '8');
  EXPECT_EQ(CrownCode(81), '9');
  EXPECT_EQ(CrownCode(100000), '9');

  struct Case {
    double defect;
    const char* text;
  };
  for (const Case& c : {Case{0, " 0"}, Case{5, " 5"}, Case{99, "99"}, Case{99.4, "99"}, Case{99.6, "99"},
                        Case{100, "99"}, Case{1e9, "99"}, Case{-5, " 0"}, Case{-0.0, " 0"}, Case{std::nan(""), " 0"}}) {
    TreeLine l = BaseLine();
    l.sdef_primary = c.defect;
    l.sdef_secondary = c.defect;
    const std::string text = Formatted(l);
    EXPECT_EQ(Columns(text, 36, 39), std::string("27") + c.text) << c.defect;
    EXPECT_EQ(Columns(text, 40, 43), std::string("26") + c.text) << c.defect;
  }
}

TEST(TreeLineTest, ClassSlopeAndAspect) {
  TreeLine line = BaseLine();
  line.tree_class = 1;
  EXPECT_EQ(Columns(Formatted(line), 48, 49), "11");
  line.tree_class.reset();
  EXPECT_EQ(Columns(Formatted(line), 48, 49), "1 ");

  struct Case {
    int slope;
    int aspect;
    const char* text;
  };
  for (const Case& c : {Case{0, 0, " 0  0"}, Case{99, 360, "99360"}, Case{100, 90, "99 90"}, Case{250, 5, "99  5"},
                        Case{-3, 999, " 0999"}, Case{7, -99, " 7-99"}}) {
    TreeLine l = BaseLine();
    l.slope = c.slope;
    l.aspect = c.aspect;
    EXPECT_EQ(Columns(Formatted(l), 50, 54), c.text) << c.slope << " " << c.aspect;
  }
  line.slope.reset();
  EXPECT_EQ(Columns(Formatted(line), 50, 60), "          \n");
  TreeLine l = BaseLine();
  l.aspect = 1000;
  EXPECT_FALSE(FormatTreeLine(l));
  l.aspect = -100;
  EXPECT_FALSE(FormatTreeLine(l));
}

TEST(UnitCodeTest, CodesCompareWithoutBlanks) {
  EXPECT_TRUE(SameCode("  1", "1"));
  EXPECT_TRUE(SameCode(" 1 ", "1  "));
  EXPECT_TRUE(SameCode("a1", "A1"));
  EXPECT_FALSE(SameCode("1", "10"));
  EXPECT_FALSE(SameCode("1 0", "10"));
  EXPECT_EQ(TrimBlanks(" \t x y \t"), "x y");
  EXPECT_EQ(TrimBlanks("   "), "");

  EXPECT_EQ(FileNamePartProblem("4711"), "");
  EXPECT_EQ(FileNamePartProblem(""), "");
  EXPECT_EQ(FileNamePartProblem("Sale 1.2"), "");
  EXPECT_EQ(FileNamePartProblem("/../../x"), "it holds the character '/'");
  EXPECT_EQ(FileNamePartProblem("..\\x"), "it holds the character '\\'");
  EXPECT_EQ(FileNamePartProblem("C:x"), "it holds the character ':'");
  EXPECT_EQ(FileNamePartProblem("a\nb"), "it holds a control character");
  EXPECT_NE(FileNamePartProblem("a*"), "");
}

// A cruise of two units: stratum 01 covers units 1 and 2, stratum 02 unit 2.
class TreeDataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cruise_.units = {{"1", 20, "north"}, {"2", 40, ""}, {"3", 0, "no acres"}};
    cruise_.strata = {{"01", "  1,  2"}, {"02", "2 ,3"}};
    cruise_.equations = {{"202", "I00FW2W202"}, {"122", "I00FW2W122"}, {"202", "I00FW2W999"}};
    cruise_.plots = {{"01", "1", "1", 20, 180}, {"01", "  2", "5", 105, 45}, {"02", "2", "7", 0, 0}};
    test::TreeSpec t;
    t.tree = "1";
    t.expan = 10;
    cruise_.trees.push_back(t);  // 01/1/1: prorated 0.5 for unit 1
    t.tree = "2";
    t.sp = "122";
    t.ld = "D";
    t.dbh = 9.5f;
    t.tot_ht = 0;
    t.mrch_p = 45;
    t.cr = "";
    t.sdef_p = 100;
    cruise_.trees.push_back(t);
    t = test::TreeSpec();
    t.cut_unit = "2";
    t.plot = "5";
    t.tree = "3";
    t.sp = "746";  // no volume equation
    t.cl = "L";
    cruise_.trees.push_back(t);
    t = test::TreeSpec();
    t.tree = "0";  // skipped
    cruise_.trees.push_back(t);
    t.tree = "";  // skipped
    cruise_.trees.push_back(t);
    t = test::TreeSpec();
    t.tree = "4";
    t.cm = "C";  // counted, not measured
    cruise_.trees.push_back(t);
    t = test::TreeSpec();
    t.stratum = "02";
    t.cut_unit = "2";
    t.plot = "7";
    t.tree = "9";
    cruise_.trees.push_back(t);

    cruise_.prorations = {{"C", "01", "1", "1", "N", "01", 0.5f},
                          {"L", "01", "9", "1", "N", "01", 0.25f},
                          {"C", "01", " 2", "1", "N", "01", 1.0f}};
    cruise_.Write(dir_ / "sale.crz", dir_ / "IntCruiseTables.lpp");
    auto species = ParseSpeciesSource("[PNspecies]\n202|Douglas-fir|DF\n122|ponderosa pine|PP\n");
    ASSERT_TRUE(species);
    ASSERT_TRUE(WriteSpeciesFile(dir_ / kSpeciesFileName, *species));
  }

  // Opens the files and writes the unit's tree data.
  storage::Result<TreeDataFile> Write(const std::string& unit, const std::string& variant = "PN") {
    auto crz = storage::Storage::Open(dir_ / "sale.crz", storage::Storage::Mode::ReadOnly);
    EXPECT_TRUE(crz);
    auto pro = storage::Storage::Open(dir_ / "IntCruiseTables.lpp", storage::Storage::Mode::ReadOnly);
    EXPECT_TRUE(pro);
    auto species = SpeciesFile::Open(dir_ / kSpeciesFileName);
    EXPECT_TRUE(species);
    CruiseViews views{crz->GetView("CruiseTable"), crz->GetView("StratumTable"), crz->GetView("CuttingUnitTable"),
                      crz->GetView("TreeTable"),   crz->GetView("PlotTable"),    crz->GetView("VolumeEquationTable")};
    return WriteTreeDataFile(unit, views, pro->GetView("PROtable"), variant, *species);
  }

  test::TempDir dir_;
  test::ProcessedCruise cruise_;
};

TEST_F(TreeDataFileTest, UnitStrataFoundWithBlanksRemoved) {
  auto crz = storage::Storage::Open(dir_ / "sale.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(crz);
  CruiseViews views{crz->GetView("CruiseTable"), crz->GetView("StratumTable"), crz->GetView("CuttingUnitTable"),
                    crz->GetView("TreeTable"),   crz->GetView("PlotTable"),    crz->GetView("VolumeEquationTable")};
  auto strata = StrataOfUnit(views, "2");
  ASSERT_EQ(strata.size(), 2u);
  EXPECT_EQ(strata[0].stratum, "01");
  EXPECT_EQ(strata[0].acres, 40);
  EXPECT_EQ(strata[1].stratum, "02");
  EXPECT_EQ(StrataOfUnit(views, "  1").size(), 1u);
  EXPECT_EQ(StrataOfUnit(views, "3").at(0).acres, 0);
  EXPECT_TRUE(StrataOfUnit(views, "4").empty());
  EXPECT_EQ(UnitArea(views.units, " 2 "), 40);
  EXPECT_FALSE(UnitArea(views.units, "9"));
}

TEST_F(TreeDataFileTest, UnitOneLinesFieldByField) {
  auto file = Write("1");
  ASSERT_TRUE(file) << file.status().message();
  EXPECT_EQ(file->file_name, "Cruz4711_1.gro");
  EXPECT_FALSE(file->no_acres);
  // Species groups in ascending order (122 before 202, 746 last); the tree of
  // unit 2 in stratum 01 belongs to the stratum's sample and is written too.
  EXPECT_EQ(file->text,
            "   1  2  0.256PP  9.5    45" "       " " " "2799" "26 0" "    12" "20180" "     \n"
            "   1  1  0.251DF 12.5    80" "       " "4" "27 5" "26 0" "    12" "20180" "     \n"
            "   5  3  0.501   12.5    80" "       " "4" "27 5" "26 0" "    11" "99 45" "     \n");
  // Tree 3 stands on plot 5 of its own unit 2 (slope 105 capped at 99) and
  // its proration row is missing for unit 1: proration 1, reported.
  ASSERT_EQ(file->unprorated.size(), 1u);
  EXPECT_EQ(file->unprorated[0], "stratum 01 plot 5 tree 3");
  ASSERT_EQ(file->untranslated.size(), 1u);
  EXPECT_EQ(file->untranslated[0], "stratum 01 species 746");
}

TEST_F(TreeDataFileTest, PaddedProrationUnitAndSecondStratum) {
  auto file = Write("2");
  ASSERT_TRUE(file) << file.status().message();
  EXPECT_EQ(file->file_name, "Cruz4711_2.gro");
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> out;
    std::istringstream in(file->text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }();
  ASSERT_EQ(lines.size(), 4u) << file->text;
  EXPECT_EQ(lines[1].substr(0, 13), "   1  1  0.25") << "proration 1.0 of \" 2\", 10 / 40 acres";
  EXPECT_EQ(lines[3].substr(0, 13), "   7  9  0.25") << "stratum 02, no proration row: 1";
  EXPECT_EQ(lines[3].substr(49, 5), " 0  0");
  EXPECT_EQ(file->unprorated, (std::vector<std::string>{"stratum 01 plot 5 tree 3", "stratum 02 plot 7 tree 9"}));
}

TEST_F(TreeDataFileTest, RegionNineAndUnknownVariant) {
  cruise_.cruise.region = "9";
  std::filesystem::remove(dir_ / "sale.crz");
  std::filesystem::remove(dir_ / "IntCruiseTables.lpp");
  cruise_.Write(dir_ / "sale.crz", dir_ / "IntCruiseTables.lpp");
  auto file = Write("1", "CS");
  ASSERT_TRUE(file);
  std::istringstream in(file->text);
  int count = 0;
  for (std::string l; std::getline(in, l); ++count) {
    EXPECT_EQ(l.substr(21, 6), "      ");
    EXPECT_EQ(l.substr(14, 3), "   ") << "the CS view is absent from this species file";
  }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(file->untranslated.size(), 3u);
}

TEST_F(TreeDataFileTest, UnitWithoutAcresOrStrata) {
  auto zero = Write("3");
  ASSERT_TRUE(zero);
  EXPECT_TRUE(zero->no_acres);
  EXPECT_EQ(zero->text, "");
  auto none = Write("4");
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->no_acres);
  EXPECT_EQ(none->text, "") << "a unit without strata gives an empty file";
  EXPECT_EQ(none->file_name, "Cruz4711_4.gro");
}

TEST_F(TreeDataFileTest, AbsurdValuesAreRefusedNamingTheTree) {
  cruise_.trees[0].dbh = -4;
  std::filesystem::remove(dir_ / "sale.crz");
  std::filesystem::remove(dir_ / "IntCruiseTables.lpp");
  cruise_.Write(dir_ / "sale.crz", dir_ / "IntCruiseTables.lpp");
  auto file = Write("1");
  ASSERT_FALSE(file);
  EXPECT_EQ(file.status().message(), "Stratum 01, unit 1, plot 1 tree 1: DBH -4 is negative");
}

}  // namespace
}  // namespace sw::growthmodel
