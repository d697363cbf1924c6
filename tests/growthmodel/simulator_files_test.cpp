// Keyword, batch, location and stand list files, byte for byte.
#include "growthmodel/simulator_files.h"

#include <gtest/gtest.h>

namespace sw::growthmodel {
namespace {

CruiseHeader Header() {
  CruiseHeader h;
  h.cruise_no = "4711";
  h.sale_name = "Cedar Flats";
  h.region = "06";
  h.forest = "12";
  h.district = "03";
  h.cal_year = "2009";
  return h;
}

TEST(FileNamesTest, SuffixesReplacedAtTheEndOnly) {
  EXPECT_EQ(KeywordFileName("Cruz4711_1.gro"), "Cruz4711_1.kwd");
  EXPECT_EQ(ResponseFileName("Cruz4711_1.kwd"), "Cruz4711_1.rsp");
  EXPECT_EQ(OutputFileName("Cruz4711_1.kwd"), "Cruz4711_1.out");
  EXPECT_EQ(LocationFileName("4711"), "Cruz4711.loc");
  EXPECT_EQ(StandListFileName("Cruz4711.loc"), "Cruz4711.slf");
  EXPECT_EQ(KeywordFileName("Cruz.gro.x_1.gro"), "Cruz.gro.x_1.kwd");
  EXPECT_EQ(ReplaceSuffix("name", ".gro", ".kwd"), "name.kwd");
}

TEST(KeywordFileTest, WholeFileForAnOrdinaryVariant) {
  EXPECT_EQ(KeywordFileText("Cruz4711_1.gro", Header(), "PN", 2026),
            "STDIDENT\n"
            "4711      Cedar Flats               \n"
            "DESIGN             0         1       999         1\n"
            "STDINFO         0612\n"
            "INVYEAR         2009\n"
            "*\n"
            "OPEN              50\n"
            "Cruz4711_1.gro                          \n"
            "TREEDATA          50\n"
            "*\n"
            "THINPRSC           1       1.0         2\n"
            "FMIN\n"
            "FUELINIT           0         0         0         0         0         0         0\n"
            "FUELOUT         2009         1        10\n"
            "END\n"
            "PROCESS\n"
            "STOP\n");
}

std::string Line(const std::string& text, int index) {
  std::istringstream in(text);
  std::string line;
  for (int i = 0; i <= index; ++i) std::getline(in, line);
  return line;
}

TEST(KeywordFileTest, LocationLineByVariantAndYear) {
  EXPECT_EQ(Line(KeywordFileText("a.gro", Header(), "KT", 2026), 3), "STDINFO         061203000");
  EXPECT_EQ(Line(KeywordFileText("a.gro", Header(), "SE", 2026), 3), "STDINFO         061203");
  EXPECT_EQ(Line(KeywordFileText("a.gro", Header(), "SN", 2026), 3), "STDINFO         061203");
  EXPECT_EQ(Line(KeywordFileText("a.gro", Header(), "NI", 2026), 3), "STDINFO         0612");

  CruiseHeader h = Header();
  h.region = "6";
  h.forest = "";
  EXPECT_EQ(Line(KeywordFileText("a.gro", h, "CR", 2026), 3), "STDINFO          6  ");

  for (const char* blank : {"", " "}) {
    h = Header();
    h.cal_year = blank;
    const std::string text = KeywordFileText("a.gro", h, "CR", 2026);
    EXPECT_EQ(Line(text, 4), "INVYEAR         2026");
    EXPECT_EQ(Line(text, 13), "FUELOUT         2026         1        10");
  }
  h.cal_year = "  ";
  EXPECT_EQ(Line(KeywordFileText("a.gro", h, "CR", 2026), 4), "INVYEAR" + std::string(13, ' ')) << "only one blank means none";
  h.cal_year = "09";
  EXPECT_EQ(Line(KeywordFileText("a.gro", h, "CR", 2026), 4), "INVYEAR           09");

  h = Header();
  h.cruise_no = "12345678901";
  h.sale_name = std::string(30, 'S');
  EXPECT_EQ(Line(KeywordFileText("a.gro", h, "CR", 2026), 1), "12345678901" + std::string(30, 'S'))
      << "never cut";
}

TEST(BatchLinesTest, SevenLinesPerUnit) {
  EXPECT_EQ(BatchLines("name.kwd", "CR"),
            "echo name.kwd >  name.rsp\n"
            "echo NUL >> name.rsp\n"
            "echo name.out >> name.rsp\n"
            "echo NUL >> name.rsp\n"
            "echo NUL >> name.rsp\n"
            "echo NUL >> name.rsp\n"
            "C:\\Grobin\\crfm.exe < name.rsp\n"
            "del name.rsp\n");
  EXPECT_EQ(Line(BatchLines("x.kwd", "AK"), 6), "C:\\Grobin\\akfm.exe < x.rsp");
  EXPECT_EQ(std::string(kBatchFileFirstLine), "rem Biomass reports on all cutting units selected.\n");
}

TEST(LocationFileTest, SaleNameCutTo24AndQuoted) {
  EXPECT_EQ(LocationFileText(Header(), "Cruz4711.slf"), "A \"Cedar Flats\" Conjure Cruz4711.slf @ @");
  CruiseHeader h = Header();
  h.sale_name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
  EXPECT_EQ(LocationFileText(h, "Cruz4711.slf"), "A \"ABCDEFGHIJKLMNOPQRSTUVWX\" Conjure Cruz4711.slf @ @");
  h.sale_name = "";
  EXPECT_EQ(LocationFileText(h, "x.slf"), "A \"\" Conjure x.slf @ @");
}

TEST(StandListTest, TwoRecordsPerUnit) {
  const std::vector<StandListUnit> units = {{"1", 12.6}, {"12A", 0.4}, {"1234", 123456.0}};
  EXPECT_EQ(StandListText(units, Header(), "PN", "2009"),
            "A   1 Cruz4711_1.gro NoPointData PN @\n"
            "B   1 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0     13 @ @ @ @ @ @ @ @ @ @ @ @ @\n"
            "A 12A Cruz4711_12A.gro NoPointData PN @\n"
            "B 12A 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0      0 @ @ @ @ @ @ @ @ @ @ @ @ @\n"
            "A 1234 Cruz4711_1234.gro NoPointData PN @\n"
            "B 1234 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0 123456 @ @ @ @ @ @ @ @ @ @ @ @ @\n");
  EXPECT_EQ(StandListText({}, Header(), "PN", "2009"), "");
}

}  // namespace
}  // namespace sw::growthmodel
