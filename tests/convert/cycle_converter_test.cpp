// Cycle files into cruise files: every table read back through the engine,
// the region-8 equation rules, and the refusals that keep files intact.
#include "convert/cycle_converter.h"

#include <gtest/gtest.h>

#include "cruisedb/columns.h"
#include "cruisedb/settings.h"
#include "cyclefile/cycle_text.h"
#include "platform/scripted_platform.h"
#include "storage/storage.h"
#include "support/temp_dir.h"

namespace sw::convert {
namespace {

namespace col = cruisedb::col;
namespace table = cruisedb::table;
namespace fs = std::filesystem;
using cyclefile::CycleEntry;
using storage::Storage;
using test::HeaderLine;
using test::HeaderFields;
using test::RecordLine;
using test::RecordFields;

HeaderFields Header(std::string cycle, std::string year, std::string prefix) {
  HeaderFields h;
  h.cycle = std::move(cycle);
  h.year = std::move(year);
  h.prefix = std::move(prefix);
  return h;
}

RecordFields Tree(std::string tree, std::string species, std::string live, std::string dead) {
  RecordFields r;
  r.tree = std::move(tree);
  r.species = std::move(species);
  r.live = std::move(live);
  r.dead = std::move(dead);
  return r;
}

class CycleConvertTest : public ::testing::Test {
 protected:
  Outcome Run(const std::string& text, const std::vector<CycleEntry>& chosen) {
    test::WriteFile(dir_ / "in.wpx", text);
    return CycleFileImporter(platform_).Convert(dir_ / "in.wpx", test::BuiltBaseDictionary(), chosen, out());
  }
  fs::path out() {
    fs::create_directories(dir_ / "out");
    return dir_ / "out";
  }
  Storage Open(const std::string& name) {
    auto opened = Storage::Open(out() / name, Storage::Mode::ReadOnly);
    EXPECT_TRUE(opened.ok()) << name << ": " << opened.status().message();
    return std::move(opened).value();
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(out())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::pair<std::string, std::string>> Settings(Storage& s) {
    auto config = s.GetView(table::GlobalConfigurationTable);
    std::vector<std::pair<std::string, std::string>> rows;
    for (std::size_t i = 0; i < config.Size(); ++i) {
      rows.emplace_back(config.Bind(col::Key).Get(i), config.Bind(col::Value).Get(i));
    }
    return rows;
  }

  test::TempDir dir_;
  platform::ScriptedPlatform platform_;
};

TEST_F(CycleConvertTest, OneFilePerSectionWithEveryTableFilled) {
  RecordFields both = Tree("7", "122", "2.5", "1");
  both.stratum = " 02 ";
  both.plot = "3";
  both.sdefs = "99";
  both.fc = "82";
  both.crown = "4";
  const std::string text = HeaderLine(Header(" 1", "2005", "STAND01")) + RecordLine(Tree("1", "202", "3", "0")) +
                           RecordLine(both) + RecordLine(Tree("9", "202", "0", "0")) +
                           HeaderLine(Header(" 2", "2010", "STAND01")) + RecordLine(Tree("1", "202", "3", "0")) +
                           HeaderLine(Header(" 1", "2005", "STAND02")) + RecordLine(Tree("5", "263", "1", "0"));
  const Outcome outcome = Run(text, {{" 1", "2005"}});
  ASSERT_TRUE(outcome.ok()) << (outcome.messages.empty() ? "" : outcome.messages[0].text);
  EXPECT_TRUE(outcome.messages.empty());
  EXPECT_EQ(Files(), (std::vector<std::string>{"STAND01_12005.crz", "STAND02_12005.crz"}));
  ASSERT_EQ(outcome.written.size(), 2u);

  Storage s = Open("STAND01_12005.crz");
  EXPECT_EQ(s.ViewNames(), (std::vector<std::string>{"DataDictionary", "VolumeEquationTable",
                                                     "GlobalConfigurationTable", "CruiseTable", "StratumTable",
                                                     "CuttingUnitTable", "PlotTable", "CountTable", "TreeTable",
                                                     "LogTable"}));
  EXPECT_GT(s.GetView(table::DataDictionary).Size(), 100u);
  auto cruise = s.GetView(table::CruiseTable);
  ASSERT_EQ(cruise.Size(), 1u);
  EXPECT_EQ(cruise.Bind(col::CruiseNo).Get(0), "AND01");
  EXPECT_EQ(cruise.Bind(col::SaleName).Get(0), "GRO Tree Data");
  EXPECT_EQ(cruise.Bind(col::Region).Get(0), "06");
  EXPECT_EQ(cruise.Bind(col::Forest).Get(0), "01");
  EXPECT_EQ(cruise.Bind(col::CalYear).Get(0), "2006");
  EXPECT_EQ(cruise.Bind(col::CruiseType).Get(0), "F");

  auto strata = s.GetView(table::StratumTable);
  ASSERT_EQ(strata.Size(), 2u);
  EXPECT_EQ(strata.Bind(col::Stratum).Get(0), "1");
  EXPECT_EQ(strata.Bind(col::Stratum).Get(1), "02");
  EXPECT_EQ(strata.Bind(col::Year).Get(0), 2005);
  EXPECT_EQ(strata.Bind(col::CruzMeth).Get(1), "STR");
  EXPECT_EQ(strata.Bind(col::Description).Get(0), "ABC,DEFGHI");

  auto plots = s.GetView(table::PlotTable);
  ASSERT_EQ(plots.Size(), 2u);
  EXPECT_EQ(plots.Bind(col::Plot).Get(1), "3");
  EXPECT_EQ(plots.Bind(col::CutUnit).Get(1), "1");

  auto trees = s.GetView(table::TreeTable);
  ASSERT_EQ(trees.Size(), 3u);  // the record with both counts 0 adds no tree
  EXPECT_EQ(trees.Bind(col::Tree).Get(0), "1");
  EXPECT_EQ(trees.Bind(col::Tree).Get(1), "7");
  EXPECT_EQ(trees.Bind(col::Tree).Get(2), "7D");
  EXPECT_EQ(trees.Bind(col::LD).Get(1), "L");
  EXPECT_EQ(trees.Bind(col::LD).Get(2), "D");
  EXPECT_FLOAT_EQ(trees.Bind(col::TreeCnt).Get(1), 2.5f);
  EXPECT_FLOAT_EQ(trees.Bind(col::TreeCnt).Get(2), 1.0f);
  EXPECT_EQ(trees.Bind(col::Stratum).Get(2), "02");
  EXPECT_EQ(trees.Bind(col::Sp).Get(2), "122");
  EXPECT_EQ(trees.Bind(col::ProdP).Get(2), "01");
  EXPECT_EQ(trees.Bind(col::CL).Get(2), "L");
  EXPECT_EQ(trees.Bind(col::CM).Get(2), "M");
  EXPECT_EQ(trees.Bind(col::UOMP).Get(2), "03");
  EXPECT_FLOAT_EQ(trees.Bind(col::SDefS).Get(2), 100.0f);
  EXPECT_FLOAT_EQ(trees.Bind(col::SDefP).Get(2), 0.0f);
  EXPECT_EQ(trees.Bind(col::FC).Get(2), 82);
  EXPECT_EQ(trees.Bind(col::CR).Get(2), "4");
  EXPECT_FLOAT_EQ(trees.Bind(col::DBH).Get(2), 12.5f);
  EXPECT_FLOAT_EQ(trees.Bind(col::TotHt).Get(2), 80.0f);
  EXPECT_FLOAT_EQ(trees.Bind(col::HgtFLL).Get(2), 20.0f);
  EXPECT_FLOAT_EQ(trees.Bind(col::DBHBTR).Get(2), 12.0f);

  auto vol = s.GetView(table::VolumeEquationTable);
  ASSERT_EQ(vol.Size(), 4u);  // two per species and product, each once
  EXPECT_EQ(vol.Bind(col::VolEqSpecie).Get(0), "202");
  EXPECT_EQ(vol.Bind(col::VolEqNum).Get(0), "I00FW2W202");
  EXPECT_EQ(vol.Bind(col::VolEqFlags).Get(0), "10100");
  EXPECT_FLOAT_EQ(vol.Bind(col::VolEqTopDIBP).Get(0), 6.0f);
  EXPECT_FLOAT_EQ(vol.Bind(col::VolEqStump).Get(0), 1.0f);
  EXPECT_EQ(vol.Bind(col::VolEqNum).Get(1), "I00FW2W203");
  EXPECT_EQ(vol.Bind(col::VolEqFlags).Get(1), "11000");
  EXPECT_FLOAT_EQ(vol.Bind(col::VolEqTopDIBP).Get(1), 4.0f);
  EXPECT_EQ(vol.Bind(col::VolEqSpecie).Get(2), "122");

  auto count = s.GetView(table::CountTable);
  ASSERT_EQ(count.Size(), 1u);
  EXPECT_EQ(count.Bind(col::CutUnit).Get(0), "1");
  EXPECT_EQ(count.Bind(col::Stratum).Get(0), "1");
  auto units = s.GetView(table::CuttingUnitTable);
  ASSERT_EQ(units.Size(), 1u);
  EXPECT_DOUBLE_EQ(units.Bind(col::Area).Get(0), 1.0);
  EXPECT_EQ(s.GetView(table::LogTable).Size(), 0u);

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Report File", "STAND01_12005.out"}, {"Region Number", "06"}, {"Reports", "A1"}, {"Reports", "A5"},
      {"Reports", "A7"}, {"Reports", "B1"}, {"Reports", "CP1"}, {"Reports", "CS1"}, {"MRU", "Stumpwright"},
      {"StructureVersion", "2010.03.18"}};
  EXPECT_EQ(Settings(s), expected);

  Storage other = Open("STAND02_12005.crz");
  EXPECT_EQ(other.GetView(table::TreeTable).Bind(col::Sp).Get(0), "263");
  EXPECT_EQ(other.GetView(table::TreeTable).Size(), 1u);
}

TEST_F(CycleConvertTest, RegionsOneAndTenAndCutMark) {
  RecordFields r1 = Tree("1", "202", "1", "0");
  r1.region = "1";
  RecordFields r10 = r1;
  r10.region = "10";
  HeaderFields h10 = Header(" 1", "2005", "STAND10");
  h10.mark = 'L';
  const Outcome outcome =
      Run(HeaderLine(Header(" 1", "2005", "STAND01")) + RecordLine(r1) + HeaderLine(h10) + RecordLine(r10),
          {{" 1", "2005"}});
  ASSERT_TRUE(outcome.ok());
  Storage one = Open("STAND01_12005.crz");
  EXPECT_EQ(one.GetView(table::CruiseTable).Bind(col::Region).Get(0), "01");
  EXPECT_EQ(Settings(one)[1].second, "01");
  Storage ten = Open("STAND10_12005.crz");
  EXPECT_EQ(ten.GetView(table::CruiseTable).Bind(col::Region).Get(0), "10");
  EXPECT_EQ(Settings(ten)[1].second, "10");
  EXPECT_EQ(ten.GetView(table::TreeTable).Bind(col::CL).Get(0), "C");
}

TEST_F(CycleConvertTest, RegionEightEquationsReplaceTheRecordsOwn) {
  RecordFields a = Tree("1", "122", "1", "0");
  a.region = "8";
  a.forest = "1";
  a.district = "4";
  RecordFields b = a;
  b.species = "802";
  const Outcome outcome = Run(HeaderLine(Header(" 1", "2005", "STAND08")) + RecordLine(a) + RecordLine(b),
                              {{" 1", "2005"}});
  ASSERT_TRUE(outcome.ok());
  Storage s = Open("STAND08_12005.crz");
  auto vol = s.GetView(table::VolumeEquationTable);
  ASSERT_EQ(vol.Size(), 4u);
  EXPECT_EQ(vol.Bind(col::VolEqNum).Get(0), "816DVEE122");
  EXPECT_EQ(vol.Bind(col::VolEqFlags).Get(0), "01001");
  EXPECT_EQ(vol.Bind(col::VolEqNum).Get(1), "847CLKE122");
  EXPECT_EQ(vol.Bind(col::VolEqFlags).Get(1), "00101");
  EXPECT_FLOAT_EQ(vol.Bind(col::VolEqTopDIBP).Get(1), 6.0f);
  EXPECT_EQ(vol.Bind(col::VolEqNum).Get(3), "849CLKE802");
  EXPECT_EQ(s.GetView(table::CruiseTable).Bind(col::Region).Get(0), "08");
}

TEST(Region8Test, ForestsAndDistrictExceptions) {
  struct Case {
    const char* forest;
    const char* district;
    const char* area;
    const char* digit;
  };
  const Case cases[] = {
      {"01", "04", "16", "4"}, {"1", "4", "16", "4"},   {"01", "03", "15", "4"}, {"01", "99", "", ""},
      {"02", "", "10", "3"},   {"03", "01", "01", "3"}, {"03", "08", "06", "2"}, {"3", "8", "06", "2"},
      {"04", "1", "01", "3"},  {"05", "1", "03", "1"},  {"06", "01", "02", "5"}, {"06", "06", "09", "5"},
      {"07", "01", "19", "5"}, {"07", "6", "18", "7"},  {"07", "17", "23", "4"}, {"08", "01", "11", "3"},
      {"08", "11", "12", "3"}, {"08", "16", "12", "3"}, {"09", "01", "30", "6"}, {"09", "6", "30", "6"},
      {"09", "12", "32", "6"}, {"09", "02", "31", "6"}, {"10", "07", "05", "7"}, {"10", "01", "04", "6"},
      {"11", "03", "07", "1"}, {"11", "10", "08", "2"}, {"11", "04", "01", "3"}, {"12", "02", "01", "3"},
      {"12", "05", "25", "1"}, {"12", "01", "24", "2"}, {"13", "01", "26", "5"}, {"13", "7", "28", "5"},
      {"13", "02", "", ""},    {"36", "", "25", "1"},   {"60", "", "01", "3"},   {"99", "01", "", ""},
      {"01 ", "04", "16", "4"},
  };
  for (const Case& c : cases) {
    const Region8Codes codes = Region8CodesFor(c.forest, c.district);
    EXPECT_EQ(codes.area, c.area) << c.forest << "/" << c.district;
    EXPECT_EQ(codes.digit, c.digit) << c.forest << "/" << c.district;
  }
  // An empty district matches no entry of a district table.
  for (const char* forest : {"01", "07", "13"}) {
    EXPECT_EQ(Region8CodesFor(forest, "").area, "") << forest;
    EXPECT_EQ(Region8CodesFor(forest, "").digit, "") << forest;
  }
  const Region8Codes none = Region8CodesFor("99", "01");
  EXPECT_EQ(Region8FirstEquation(none, "122"), "8DVEE122");
  EXPECT_EQ(Region8SecondEquation(none, "122"), "87CLKE122");
  EXPECT_EQ(Region8SecondEquation(none, "300"), "89CLKE300");
  EXPECT_EQ(Region8SecondEquation(none, "3"), "87CLKE3");
  EXPECT_EQ(Region8SecondEquation(none, "31"), "89CLKE31");
}

TEST_F(CycleConvertTest, AdjacentAndRepeatedSectionsAllConvert) {
  // Two stands of one cycle next to each other, and a stand whose cycle
  // occurs twice: every section is converted; the repeated one adds to the
  // same file instead of replacing it.
  const std::string text = HeaderLine(Header(" 3", "2015", "STANDAA")) + RecordLine(Tree("1", "202", "1", "0")) +
                           HeaderLine(Header(" 3", "2015", "STANDBB")) + RecordLine(Tree("2", "202", "1", "0")) +
                           HeaderLine(Header(" 3", "2015", "STANDAA")) + RecordLine(Tree("3", "263", "1", "0"));
  const Outcome outcome = Run(text, {{" 3", "2015"}, {" 3", "2015"}});
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(Files(), (std::vector<std::string>{"STANDAA_32015.crz", "STANDBB_32015.crz"}));
  Storage aa = Open("STANDAA_32015.crz");
  auto trees = aa.GetView(table::TreeTable);
  ASSERT_EQ(trees.Size(), 2u);  // chosen twice, converted once
  EXPECT_EQ(trees.Bind(col::Tree).Get(0), "1");
  EXPECT_EQ(trees.Bind(col::Tree).Get(1), "3");
  EXPECT_EQ(aa.GetView(table::CountTable).Size(), 1u);
  EXPECT_EQ(aa.GetView(table::CuttingUnitTable).Size(), 1u);
  EXPECT_EQ(Open("STANDBB_32015.crz").GetView(table::TreeTable).Size(), 1u);
}

TEST_F(CycleConvertTest, SectionWithoutRecordsHasNoRegionOfItsOwn) {
  RecordFields r = Tree("1", "202", "1", "0");
  r.region = "10";
  const std::string text = HeaderLine(Header(" 1", "2005", "STAND01")) + RecordLine(r) +
                           HeaderLine(Header(" 2", "2010", "STAND01"));
  ASSERT_TRUE(Run(text, {{" 2", "2010"}}).ok());
  Storage s = Open("STAND01_22010.crz");
  EXPECT_EQ(Settings(s)[1], (std::pair<std::string, std::string>{"Region Number", ""}));
  EXPECT_EQ(s.GetView(table::TreeTable).Size(), 0u);
  EXPECT_EQ(s.GetView(table::CountTable).Bind(col::Stratum).Get(0), "2");
  EXPECT_EQ(s.GetView(table::CuttingUnitTable).Size(), 1u);
}

TEST_F(CycleConvertTest, MarkerInsideARecordIsNotAHeader) {
  std::string record = RecordLine(Tree("1", "202", "1", "0"));
  record.replace(record.find(", 80, 20"), 4, ",\n-999");  // form class on its own line
  const std::string text = HeaderLine(Header(" 1", "2005", "STAND01")) + record + RecordLine(Tree("2", "202", "1", "0"));
  const Outcome outcome = Run(text, {{" 1", "2005"}});
  ASSERT_TRUE(outcome.ok());
  auto trees = Open("STAND01_12005.crz").GetView(table::TreeTable);
  ASSERT_EQ(trees.Size(), 2u);
  EXPECT_EQ(trees.Bind(col::FC).Get(0), -999);
}

TEST_F(CycleConvertTest, IncompleteLastRecordIsDroppedAndReported) {
  std::string cut = RecordLine(Tree("2", "202", "1", "0"));
  const std::string text =
      HeaderLine(Header(" 1", "2005", "STAND01")) + RecordLine(Tree("1", "202", "1", "0")) + cut.substr(0, 30);
  const Outcome outcome = Run(text, {{" 1", "2005"}});
  ASSERT_TRUE(outcome.ok());
  ASSERT_EQ(outcome.messages.size(), 1u);
  EXPECT_EQ(outcome.messages[0].caption, "WARNING");
  EXPECT_NE(outcome.messages[0].text.find("line 3"), std::string::npos) << outcome.messages[0].text;
  EXPECT_EQ(Open("STAND01_12005.crz").GetView(table::TreeTable).Size(), 1u);
}

TEST_F(CycleConvertTest, NamesThatLeaveTheFolderAreRefused) {
  const std::string text = HeaderLine(Header(" 1", "2005", "GOODONE")) + RecordLine(Tree("1", "202", "1", "0")) +
                           HeaderLine(Header(" 1", "2005", "../evil")) + RecordLine(Tree("1", "202", "1", "0"));
  const Outcome outcome = Run(text, {{" 1", "2005"}});
  EXPECT_EQ(outcome.result, Result::kRefused);
  ASSERT_EQ(outcome.messages.size(), 1u);
  EXPECT_NE(outcome.messages[0].text.find("line 3"), std::string::npos);
  EXPECT_NE(outcome.messages[0].text.find("../evil_12005.crz"), std::string::npos);
  EXPECT_TRUE(Files().empty());
  EXPECT_FALSE(fs::exists(dir_ / "evil_12005.crz"));
}

TEST_F(CycleConvertTest, ExistingFileIsReplacedOnlyAfterYes) {
  const std::string text = HeaderLine(Header(" 1", "2005", "STAND01")) + RecordLine(Tree("1", "202", "1", "0"));
  test::WriteFile(out() / "STAND01_12005.crz", "old contents");
  platform_.QueueAnswer(platform::Button::kNo);
  Outcome outcome = Run(text, {{" 1", "2005"}});
  EXPECT_EQ(outcome.result, Result::kDeclined);
  ASSERT_EQ(platform_.messages().size(), 1u);
  EXPECT_EQ(platform_.messages()[0].text, "Cruise File exists \nDO YOU WANT TO DELETE IT?");
  EXPECT_EQ(test::ReadFile(out() / "STAND01_12005.crz"), "old contents");

  platform_.QueueAnswer(platform::Button::kYes);
  outcome = Run(text, {{" 1", "2005"}});
  ASSERT_TRUE(outcome.ok());
  EXPECT_EQ(Open("STAND01_12005.crz").GetView(table::TreeTable).Size(), 1u);
  EXPECT_EQ(Files(), (std::vector<std::string>{"STAND01_12005.crz"}));  // no temporary left
}

TEST_F(CycleConvertTest, UnreadableInputsAndTargetsLeaveNothing) {
  platform::ScriptedPlatform platform;
  Outcome outcome = CycleFileImporter(platform).Convert(dir_ / "none.wpx", test::BuiltBaseDictionary(),
                                                        {{" 1", "2005"}}, out());
  EXPECT_EQ(outcome.result, Result::kFailed);
  ASSERT_EQ(outcome.messages.size(), 1u);
  EXPECT_NE(outcome.messages[0].text.find("cannot be read: no such file"), std::string::npos);

  const std::string text = HeaderLine(Header(" 1", "2005", "STAND01")) + RecordLine(Tree("1", "202", "1", "0"));
  test::WriteFile(dir_ / "in.wpx", text);
  outcome = CycleFileImporter(platform).Convert(dir_ / "in.wpx", dir_ / "CruiseDefault.stp", {{" 1", "2005"}}, out());
  EXPECT_EQ(outcome.result, Result::kNoBaseDictionary);
  EXPECT_EQ(outcome.messages.at(0).text, "Base file missing \n Cannot continue");
  EXPECT_TRUE(Files().empty());

  fs::create_directories(out() / "STAND01_12005.crz");
  outcome = Run(text, {{" 1", "2005"}});
  EXPECT_EQ(outcome.result, Result::kRefused);
  EXPECT_TRUE(fs::is_directory(out() / "STAND01_12005.crz"));
  fs::remove(out() / "STAND01_12005.crz");

  outcome = CycleFileImporter(platform).Convert(dir_ / "in.wpx", test::BuiltBaseDictionary(), {{" 1", "2005"}},
                                                dir_ / "no such folder");
  EXPECT_EQ(outcome.result, Result::kFailed);
  EXPECT_NE(outcome.messages.at(0).text.find("cannot be written"), std::string::npos);

  outcome = Run(text, {{" 9", "2005"}});  // a cycle the file does not hold
  EXPECT_EQ(outcome.result, Result::kRefused);
  EXPECT_TRUE(Files().empty());
  EXPECT_EQ(test::ReadFile(dir_ / "in.wpx"), text);
}

TEST_F(CycleConvertTest, CrLfTabsAndNoFinalLineEnd) {
  std::string text = "\r\n" + HeaderLine(Header(" 1", "2005", "STAND01")) + "\t" +
                     RecordLine(Tree("1", "202", "1", "0")) + "  " + RecordLine(Tree("2", "202", "1", "0"), "");
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_TRUE(Run(crlf, {{" 1", "2005"}}).ok());
  Storage s = Open("STAND01_12005.crz");
  auto trees = s.GetView(table::TreeTable);
  ASSERT_EQ(trees.Size(), 2u);
  EXPECT_FLOAT_EQ(trees.Bind(col::DBHBTR).Get(1), 12.0f);
  EXPECT_EQ(s.GetView(table::StratumTable).Bind(col::Description).Get(0), "ABC,DEFGHI");
}

}  // namespace
}  // namespace sw::convert
