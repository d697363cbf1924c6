// The job-record readers against a real cruise file: each test feeds job
// lines, finishes, commits, reopens the file through the storage engine and
// checks the rows that came back.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cruisedb/columns.h"
#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/jobfile/job_record_readers.h"
#include "legacy/line.h"
#include "storage/storage.h"

namespace sw::legacy::jobfile {
namespace {

using namespace layouts;
namespace col = sw::cruisedb::col;
namespace table = sw::cruisedb::table;
using storage::Storage;
using storage::View;

constexpr std::string_view kStrataUnitList = "StrataUnitList[StrataUnit:S,UnitStrata:S,UnitAcres:D]";
constexpr std::string_view kTreeIndex = "TreeIndex[TreeID:S]";

std::string Description(std::string_view name) {
  for (const auto& t : sw::cruisedb::Vocabulary()) {
    if (t.table != name) continue;
    std::string d = std::string(name) + "[";
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
      if (i > 0) d += ",";
      d += std::string(t.columns[i].name) + ":" + static_cast<char>(t.columns[i].type);
    }
    return d + "]";
  }
  return "";
}

// `line` with `text` written from column `column` on (blank-padded).
std::string Put(std::string line, std::size_t column, std::string_view text) {
  if (line.size() < column + text.size()) line.resize(column + text.size(), ' ');
  line.replace(column, text.size(), text);
  return line;
}

// The common key of stratum 1, unit 1, plot 1, tree 1 after a record code.
std::string Key1(std::string code) { return code + "     " + " 1  1   1  1"; }

// A record line written with the layout, fields given as text (numbers are
// converted as the reader would read them).
std::string Line(const RecordLayout& layout, std::initializer_list<std::pair<std::size_t, std::string>> fields) {
  JobRecord r(layout);
  for (const auto& [index, text] : fields) {
    switch (layout.fields[index].conv) {
      case Conv::Real: r.SetReal(index, Atof(text)); break;
      case Conv::Int:
      case Conv::Long: r.SetWhole(index, Atol(text)); break;
      default: r.SetText(index, text); break;
    }
  }
  return r.Format();
}

std::string Tree7A(std::string stratum, std::string plot, std::string tree, std::string sp, std::string cm,
                   std::string count = "1", std::string kpi = "0") {
  return Line(kTree7A, {{kStratum, stratum}, {kCutUnit, "1"}, {kPlot, plot}, {kTree, tree}, {t7aSp, sp},
                        {t7aSG, "1"}, {t7aCM, cm}, {t7aTreeCnt, count}, {t7aKPI, kpi}, {t7aProdP, "01"},
                        {t7aCL, "L"}, {t7aUOMP, "3"}});
}
std::string Tree7B(std::string stratum, std::string plot, std::string tree, std::string dbh) {
  return Line(kTree7B, {{kStratum, stratum}, {kCutUnit, "1"}, {kPlot, plot}, {kTree, tree}, {t7bDBH, dbh},
                        {t7bTotHt, "101.7"}, {t7bAvgZForm, "0.123"}});
}
// A 7C line of tree 1/1/1/`tree` with these log numbers, grade 2.
std::string Logs7C(const char* tree, std::initializer_list<const char*> numbers) {
  JobRecord r(kLog7C);
  r.SetText(kStratum, "1");
  r.SetText(kCutUnit, "1");
  r.SetText(kPlot, "1");
  r.SetText(kTree, tree);
  for (const char* n : numbers) {
    auto g = static_cast<std::size_t>(r.AddGroup());
    r.SetGroupText(g, l7cLogNum, n);
    r.SetGroupText(g, l7cGrade, "2");
  }
  return r.Format();
}
std::string Stratum3A(std::string stratum, std::string method) {
  return Line(kStratum3A, {{s3Stratum, stratum}, {s3CruzMeth, method}, {s3BAF, "20"}, {s3Month, "7"},
                           {s3Year, "2009"}, {s3Description, "STRATUM " + stratum}});
}

class JobReadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("sw_jobreaders_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             ".crz");
    std::filesystem::remove(path_);
  }
  void TearDown() override {
    readers_.reset();
    file_.reset();
    std::filesystem::remove(path_);
  }

  void Start(int version, std::string region = "06", std::string cruise_type = "V") {
    auto opened = Storage::Open(path_, Storage::Mode::ReadWrite);
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    file_.emplace(std::move(opened.value()));
    auto get = [&](std::string_view d) {
      auto v = file_->GetAs(d);
      EXPECT_TRUE(v.ok()) << d;
      return v.ok() ? v.value() : View();
    };
    tables_ = JobTables{get(Description(table::CruiseTable)),      get(Description(table::CuttingUnitTable)),
                        get(Description(table::StratumTable)),     get(Description(table::CountTable)),
                        get(Description(table::PlotTable)),        get(Description(table::TreeTable)),
                        get(Description(table::SubPopulationTable)), get(Description(table::LogTable)),
                        get(kStrataUnitList),                      get(kTreeIndex)};
    readers_.emplace(tables_, JobFileContext{version, region, cruise_type});
  }

  void Feed(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) readers_->ReadRecord(line, ++line_number_);
  }

  // Finish, commit, release and reopen the file; views come back by name.
  void FinishAndReopen() {
    EXPECT_TRUE(readers_->Finish().ok());
    diagnostics_ = readers_->diagnostics();
    repeats_ = readers_->repeats();
    ASSERT_TRUE(file_->Commit().ok());
    readers_.reset();
    file_.reset();
    auto opened = Storage::Open(path_, Storage::Mode::ReadOnly);
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    file_.emplace(std::move(opened.value()));
  }

  View Table(std::string_view name) { return file_->GetView(name); }
  template <storage::Type T>
  auto Get(std::string_view name, const storage::Column<T>& column, std::size_t row) {
    return Table(name).Bind(column).Get(row);
  }

  std::filesystem::path path_;
  std::optional<Storage> file_;
  JobTables tables_;
  std::optional<JobRecordReaders> readers_;
  std::size_t line_number_ = 0;
  Diagnostics diagnostics_;
  Diagnostics repeats_;
};

TEST_F(JobReadersTest, CruiseUnitsAndStrataOfAVersionSevenFile) {
  Start(7, "06", "V");
  Feed({Line(kCruise1A, {{c1CruiseNo, "123"}, {c1SaleNo, "12345"}, {c1Region, "99"}, {c1Forest, "1"},
                         {c1District, "2"}, {c1CalYear, "2009"}, {c1MeasSys, "E"}, {c1SaleName, "SALE NAME"},
                         {c1Purpose, "PURPOSE"}}),
        Line(kUnit2A, {{u2CutUnit, "1"}, {u2Area, "12.5"}, {u2Description, "FIRST"}, {u2PayUnit, "P1"}}),
        Line(kUnit2A, {{u2CutUnit, "1"}, {u2Area, "99"}, {u2Description, "SECOND"}}),
        Line(kUnit2A, {{u2CutUnit, "3"}, {u2Area, "7.25"}}),
        Stratum3A("1", "PCMPLT"), Stratum3A("2", "FIX"),
        Line(kStratumUnit4A, {{su4Stratum, "1"}, {su4CutUnit, "1"}, {su4UnitAcres, "10"}}),
        Line(kStratumUnit4A, {{su4Stratum, "1"}, {su4CutUnit, "3"}, {su4UnitAcres, "2.5"}})});
  FinishAndReopen();

  ASSERT_EQ(Table(table::CruiseTable).Size(), 1u);
  EXPECT_EQ(Get(table::CruiseTable, col::CruiseNo, 0), "  123");
  EXPECT_EQ(Get(table::CruiseTable, col::SaleNo, 0), "12345");
  EXPECT_EQ(Get(table::CruiseTable, col::Region, 0), "06");  // from the key file, not columns 14-15
  EXPECT_EQ(Get(table::CruiseTable, col::CalYear, 0), "2009");
  EXPECT_EQ(Get(table::CruiseTable, col::SaleName, 0), "SALE NAME");
  EXPECT_EQ(Get(table::CruiseTable, col::Purpose, 0), "PURPOSE");
  EXPECT_EQ(Get(table::CruiseTable, col::CruiseType, 0), "V");

  ASSERT_EQ(Table(table::CuttingUnitTable).Size(), 2u);
  EXPECT_EQ(Get(table::CuttingUnitTable, col::CutUnit, 0), "  1");
  EXPECT_EQ(Get(table::CuttingUnitTable, col::Area, 0), 12.5);
  EXPECT_EQ(Get(table::CuttingUnitTable, col::Description, 0), "FIRST");
  EXPECT_EQ(Get(table::CuttingUnitTable, col::PayUnit, 0), " P1");
  EXPECT_EQ(Get(table::CuttingUnitTable, col::Area, 1), 7.25);

  ASSERT_EQ(Table(table::StratumTable).Size(), 2u);
  EXPECT_EQ(Get(table::StratumTable, col::CruzMeth, 0), "PCMTRE");
  EXPECT_EQ(Get(table::StratumTable, col::BAF, 0), 20.0);
  EXPECT_EQ(Get(table::StratumTable, col::Month, 0), 7);
  EXPECT_EQ(Get(table::StratumTable, col::Year, 0), 2009);
  EXPECT_EQ(Get(table::StratumTable, col::Units, 0), "  1,  3");
  EXPECT_EQ(Get(table::StratumTable, col::Units, 1), "");
  EXPECT_EQ(Get(table::StratumTable, col::Error, 0), 0);
}

TEST_F(JobReadersTest, RegionSevenStratumUnitRecordsAddMissingUnits) {
  Start(7, "07", "");
  Feed({Line(kUnit2A, {{u2CutUnit, "1"}, {u2Area, "5"}}),
        Line(kStratumUnit4A, {{su4Stratum, "1"}, {su4CutUnit, "1"}, {su4UnitAcres, "10"}}),
        Line(kStratumUnit4A, {{su4Stratum, "1"}, {su4CutUnit, "2"}, {su4UnitAcres, "12.5"}})});
  FinishAndReopen();
  ASSERT_EQ(Table(table::CuttingUnitTable).Size(), 2u);
  EXPECT_EQ(Get(table::CuttingUnitTable, col::Area, 0), 5.0);
  EXPECT_EQ(Get(table::CuttingUnitTable, col::CutUnit, 1), "  2");
  EXPECT_EQ(Get(table::CuttingUnitTable, col::Area, 1), 12.5);
}

TEST_F(JobReadersTest, VersionSixCruiseStratumAndUnitRecords) {
  Start(6, "02", "V");
  std::string stratum(62, ' ');
  stratum.replace(0, 2, "3A");
  stratum.replace(7, 8, " 1PCMPLT");
  stratum.replace(21, 9, " 20.0  50");
  stratum.replace(33, 5, "DESC ");
  stratum.replace(58, 4, " 605");
  Feed({"1A  12 xx0102  SALE SIX", stratum,
        Put(Put(Put(Put("4A", 7, " 1  1"), 12, "  12.5"), 18, " CC"), 21, "LUNIT DESC"),
        Put(Put("4A", 7, " 1  1"), 12, "  99.0")});
  FinishAndReopen();
  EXPECT_EQ(Get(table::CruiseTable, col::SaleNo, 0), "  12");
  EXPECT_EQ(Get(table::CruiseTable, col::CruiseNo, 0), "  12");
  EXPECT_EQ(Get(table::CruiseTable, col::Forest, 0), "01");
  EXPECT_EQ(Get(table::CruiseTable, col::CalYear, 0), " ");  // a blank two-digit year is kept
  EXPECT_EQ(Get(table::CruiseTable, col::MeasSys, 0), "E");
  EXPECT_EQ(Get(table::CruiseTable, col::CruiseType, 0), "");
  EXPECT_EQ(Get(table::CruiseTable, col::Region, 0), "02");
  EXPECT_EQ(Get(table::StratumTable, col::CruzMeth, 0), "PCMTRE");
  EXPECT_EQ(Get(table::StratumTable, col::BAF, 0), 20.0);
  EXPECT_EQ(Get(table::StratumTable, col::FPSize, 0), 50.0);
  EXPECT_EQ(Get(table::StratumTable, col::Month, 0), 6);
  EXPECT_EQ(Get(table::StratumTable, col::Year, 0), 2005);
  // Every Version 6 type 4 record is also a unit record; the first one wins.
  ASSERT_EQ(Table(table::CuttingUnitTable).Size(), 1u);
  EXPECT_EQ(Get(table::CuttingUnitTable, col::Area, 0), 12.5);
  EXPECT_EQ(Get(table::CuttingUnitTable, col::LogMeth, 0), " CC");
  EXPECT_EQ(Get(table::CuttingUnitTable, col::Description, 0), "LUNIT DESC");
  EXPECT_EQ(Get(table::StratumTable, col::Units, 0), "  1,  1");
}

TEST_F(JobReadersTest, TreePartsMergeInAnyOrder) {
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed);
    if (reversed) {
      TearDown();
      SetUp();
    }
    Start(7, "03", "");
    std::string a = Line(kTree7A, {{kStratum, "1"}, {kCutUnit, "1"}, {kPlot, "1"}, {kTree, "1"}, {t7aSp, "DF"},
                                   {t7aCM, "M"}, {t7aTreeCnt, "2"}, {t7aKPI, "44"}, {t7aUOMP, "3 "},
                                   {t7aClear, "y"}, {t7aProdP, "01"}, {t7aCL, "L"}});
    std::string b = Tree7B("1", "1", "1", "12.3");
    std::string e = Line(kRemarks7E, {{kStratum, "1"}, {kCutUnit, "1"}, {kPlot, "1"}, {kTree, "1"},
                                      {r7eRemarks, "ROTTEN TOP"}});
    if (reversed)
      Feed({Stratum3A("1", "PNT"), e, a, b});
    else
      Feed({Stratum3A("1", "PNT"), a, b, e});
    FinishAndReopen();
    ASSERT_EQ(Table(table::TreeTable).Size(), 1u);
    EXPECT_EQ(Get(table::TreeTable, col::Tree, 0), "  1");
    EXPECT_EQ(Get(table::TreeTable, col::Sp, 0), "DF");
    EXPECT_EQ(Get(table::TreeTable, col::TreeCnt, 0), 2.0f);
    EXPECT_EQ(Get(table::TreeTable, col::KPI, 0), 44);
    EXPECT_EQ(Get(table::TreeTable, col::UOMP, 0), "03");
    EXPECT_EQ(Get(table::TreeTable, col::Clear, 0), "1");
    EXPECT_EQ(Get(table::TreeTable, col::ProdS, 0), "02");
    EXPECT_EQ(Get(table::TreeTable, col::DBH, 0), 12.3f);
    EXPECT_EQ(Get(table::TreeTable, col::TotHt, 0), 101.0f);  // written "%3d", truncated
    EXPECT_EQ(Get(table::TreeTable, col::AvgZForm, 0), 0.123);
    EXPECT_EQ(Get(table::TreeTable, col::Remarks, 0), "ROTTEN TOP");
    EXPECT_EQ(Get(table::TreeTable, col::Error, 0), 0);
  }
}

TEST_F(JobReadersTest, AKpiSplitOverSeveralLinesAddsUp) {
  Start(7);
  Feed({Stratum3A("1", "3P"), Tree7A("1", "1", "1", "DF", "M", "0", "99999"),
        Tree7A("1", "1", "1", "DF", "M", "0", "99999"), Tree7A("1", "1", "1", "DF", "M", "3", "4"),
        // Two ordinary 7A lines for one tree: the last one's values stand.
        Tree7A("1", "1", "2", "DF", "M", "1", "10"), Tree7A("1", "1", "2", "DF", "M", "2", "20")});
  FinishAndReopen();
  ASSERT_EQ(Table(table::TreeTable).Size(), 2u);
  EXPECT_EQ(Get(table::TreeTable, col::KPI, 0), 2 * 99999 + 4);
  EXPECT_EQ(Get(table::TreeTable, col::TreeCnt, 0), 3.0f);
  EXPECT_EQ(Get(table::TreeTable, col::KPI, 1), 20);
  EXPECT_EQ(Get(table::TreeTable, col::TreeCnt, 1), 2.0f);
}

// Records whose key repeats an earlier record's key are listed by line; the
// continuation lines of a KPI split and a tree's several log lines are not.
TEST_F(JobReadersTest, RepeatedKeysAreListed) {
  Start(7);
  auto logs = [](std::initializer_list<const char*> numbers) { return Logs7C("1", numbers); };
  Feed({Stratum3A("1", "3P"),                                // line 1
        Stratum3A(" 1", "STR"),                              // 2: the same stratum again
        Tree7A("1", "1", "1", "DF", "M", "0", "99999"),     // 3: a KPI split...
        Tree7A("1", "1", "1", "DF", "M", "3", "4"),         // 4: ...continued
        Tree7B("1", "1", "1", "12.0"),                       // 5
        logs({"1", "2", "3", "4", "5"}), logs({"6", "7"}),   // 6, 7: logs 1 to 7
        logs({"3", "0", "9"}),                               // 8: log 3 again; "0" ends the line
        Tree7A("1", "1", "1", "DF", "M", "1", "4"),         // 9: the tree again
        Tree7B("1", "1", "1", "13.0")});                     // 10: its 7B again
  FinishAndReopen();
  ASSERT_EQ(repeats_.size(), 4u) << ListDiagnostics(repeats_, 20);
  EXPECT_EQ(ListDiagnostics(repeats_, 20),
            "line 2, 3A, Stratum \"1\"\n"
            "line 8, 7C, Stratum/CutUnit/Plot/Tree/LogNum \"1/1/1/1/3\"\n"
            "line 9, 7A, Stratum/CutUnit/Plot/Tree \"1/1/1/1\"\n"
            "line 10, 7B, Stratum/CutUnit/Plot/Tree \"1/1/1/1\"\n");
  EXPECT_TRUE(diagnostics_.empty());
  EXPECT_EQ(ListDiagnostics(repeats_, 2).substr(ListDiagnostics(repeats_, 2).rfind("...")), "... and 2 more\n");
  // Reading is unchanged: a stratum record adds a row, a tree's records
  // merge into one row where the later values stand.
  EXPECT_EQ(Table(table::StratumTable).Size(), 2u);
  EXPECT_EQ(Table(table::TreeTable).Size(), 1u);
  EXPECT_EQ(Get(table::TreeTable, col::DBH, 0), 13.0f);
}

// A log number given twice on one line repeats the first of them; the same
// numbers under another tree, or in upper and lower case, are told apart
// only by the tree.
TEST_F(JobReadersTest, RepeatedLogNumbersOnOneLineAreListed) {
  Start(7);
  auto logs = Logs7C;
  Feed({Stratum3A("1", "3P"),                       // line 1
        Tree7A("1", "1", "1", "DF", "M", "1", "4"),  // 2
        logs("1", {"1", "2", "1", "a"}),             // 3: log 1 twice
        logs("2", {"1", "2"}),                       // 4: another tree
        logs("1", {"A"})});                          // 5: "A" is "a"
  FinishAndReopen();
  EXPECT_EQ(ListDiagnostics(repeats_, 20),
            "line 3, 7C, Stratum/CutUnit/Plot/Tree/LogNum \"1/1/1/1/1\"\n"
            "line 5, 7C, Stratum/CutUnit/Plot/Tree/LogNum \"1/1/1/1/A\"\n");
  EXPECT_EQ(Table(table::LogTable).Size(), 7u);
}

// Damaged bytes in numeric fields are listed with their line, record and
// field; bytes that cannot be shown are written as \xNN.
TEST_F(JobReadersTest, MalformedNumbersAreListed) {
  Start(7);
  std::string nul_line = Tree7B("1", "1", "2", "12.0");
  nul_line[21] = '\x01';
  Feed({Stratum3A("1", "3P"), Tree7A("1", "1", "1", "DF", "M", "1", "0"),
        Put(Tree7B("1", "1", "1", "12.0"), 19, " 1x.5"), Tree7A("1", "1", "2", "DF", "M", "1", "0"), nul_line,
        Put(Tree7A("1", "1", "3", "DF", "M", "1", "0"), 40, "  nan")});
  FinishAndReopen();
  EXPECT_EQ(ListDiagnostics(diagnostics_, 20),
            "line 3, 7B, DBH \" 1x.5\"\n"
            "line 5, 7B, DBH \" 1\\x01.0\"\n"
            "line 6, 7A, KPI \"  nan\"\n");
  EXPECT_TRUE(repeats_.empty());
  EXPECT_EQ(Get(table::TreeTable, col::DBH, 0), 1.0f);  // as far as it is a number
}

TEST_F(JobReadersTest, CountRecordsAreTalliedOrBecomeTrees) {
  Start(7);
  Feed({Stratum3A("1", "3P"), Stratum3A("2", "S3P"), Stratum3A("3", "FIX"),
        Tree7A("1", "9999", "999", "DF", "C", "5", "0"), Tree7A("1", "9999", "998", "DF", "c", "7", "3"),
        Tree7A("2", "9999", "999", "WH", "C", "4", "0"), Tree7A("2", "9999", "998", "WH", "C", "4", "5"),
        Tree7A("3", "1", "1", "RC", "C", "2", "0")});
  FinishAndReopen();
  View counts = Table(table::CountTable);
  ASSERT_EQ(counts.Size(), 3u);
  EXPECT_EQ(Get(table::CountTable, col::Sp, 0), "DF");
  EXPECT_EQ(Get(table::CountTable, col::Count, 0), 12);
  EXPECT_EQ(Get(table::CountTable, col::SumKPI, 0), 3);
  EXPECT_EQ(Get(table::CountTable, col::Count, 1), 4);  // S3P with KPI 5 is not tallied
  EXPECT_EQ(Get(table::CountTable, col::Count, 2), 0);
  // The S3P record with a KPI and the count record of a FIX stratum are trees;
  // the tallied ones, "c" included, are not.
  View trees = Table(table::TreeTable);
  ASSERT_EQ(trees.Size(), 2u);
  EXPECT_EQ(Get(table::TreeTable, col::Stratum, 0), " 2");
  EXPECT_EQ(Get(table::TreeTable, col::KPI, 0), 5);
  EXPECT_EQ(Get(table::TreeTable, col::CM, 1), "C");
  EXPECT_EQ(Table(table::SubPopulationTable).Size(), 0u);
}

TEST_F(JobReadersTest, NullPlotsMakeNoTrees) {
  Start(7);
  auto null_plot = [](std::string stratum, std::string plot, std::string tree, std::string cm) {
    return Line(kNullPlot7A, {{kStratum, stratum}, {kCutUnit, "1"}, {kPlot, plot}, {kTree, tree}, {n7CM, cm}});
  };
  Feed({Stratum3A("1", "FIX"), Stratum3A("2", "3PPNT"), null_plot("1", "5", "1", "M"), null_plot("1", "5", "1", "M"),
        null_plot("2", "6", "0", "C"),
        Line(kKeyOnly7B, {{kStratum, "2"}, {kCutUnit, "1"}, {kPlot, "6"}, {kTree, "0"}}),
        Tree7A("1", "7", "1", "DF", "M"), Tree7A("1", "7", "2", "DF", "M")});
  FinishAndReopen();
  View plots = Table(table::PlotTable);
  ASSERT_EQ(plots.Size(), 3u);
  EXPECT_EQ(Get(table::PlotTable, col::Plot, 0), "   5");
  EXPECT_EQ(Get(table::PlotTable, col::NullPlot, 0), 1);
  EXPECT_EQ(Get(table::PlotTable, col::NullPlot, 1), 1);
  EXPECT_EQ(Get(table::PlotTable, col::NullPlot, 2), 0);
  ASSERT_EQ(Table(table::TreeTable).Size(), 2u);
  EXPECT_EQ(Get(table::TreeTable, col::Plot, 0), "   7");
}

TEST_F(JobReadersTest, SubPopulationsComeFromMeasuredTrees) {
  Start(7);
  Feed({Stratum3A("1", "PNT"), Tree7A("1", "1", "1", "DF", "M"), Tree7A("1", "1", "2", "DF", "m"),
        Tree7A("1", "1", "3", "WH", "M"), Tree7A("1", "1", "4", "RC", "C")});
  FinishAndReopen();
  View sub = Table(table::SubPopulationTable);
  ASSERT_EQ(sub.Size(), 2u);
  EXPECT_EQ(Get(table::SubPopulationTable, col::Sp, 0), "DF");
  EXPECT_EQ(Get(table::SubPopulationTable, col::UOMP, 0), " 3");  // as read
  EXPECT_EQ(Get(table::SubPopulationTable, col::ProdP, 0), "01");
  EXPECT_EQ(Get(table::SubPopulationTable, col::CL, 0), "L");
  EXPECT_EQ(Get(table::SubPopulationTable, col::Sp, 1), "WH");
}

// A Version 6 tree line; fields placed by column.
std::string Tree6(std::string kind, std::string sp, std::string cl, std::string heights) {
  std::string line = Key1("7A");
  line.resize(93, ' ');
  line.replace(19, 1, kind);
  line.replace(20, sp.size(), sp);
  line.replace(24, 10, " 12.5    1");
  line.replace(34, heights.size(), heights);
  line.replace(41, 4, "01 1");
  line.replace(48, 3, cl + " 2");
  line.replace(53, 5, "   77");
  line.replace(58, 6, " 10 20");
  line.replace(70, 4, "Y 15");
  return line;
}

TEST_F(JobReadersTest, VersionSixTrees) {
  Start(6, "02", "");
  Feed({Tree6("N", "DF", "Y", "100 50"), Tree6("Y", "DF", "N", "  0"),
        Tree6("N", "DF", "Y", "100 50")});
  FinishAndReopen();
  View trees = Table(table::TreeTable);
  ASSERT_EQ(trees.Size(), 3u);  // every Version 6 A line is a tree of its own
  EXPECT_EQ(Get(table::TreeTable, col::CM, 0), "M");
  EXPECT_EQ(Get(table::TreeTable, col::CL, 0), "L");
  EXPECT_EQ(Get(table::TreeTable, col::CM, 1), "C");
  EXPECT_EQ(Get(table::TreeTable, col::CL, 1), "C");
  EXPECT_EQ(Get(table::TreeTable, col::TotHt, 0), 101.0f);
  EXPECT_EQ(Get(table::TreeTable, col::TotHt, 1), 0.0f);
  EXPECT_EQ(Get(table::TreeTable, col::HgtUStem, 0), 50.0f);
  EXPECT_EQ(Get(table::TreeTable, col::SDefP, 0), 10.0f);
  EXPECT_EQ(Get(table::TreeTable, col::HDefP, 0), 20.0f);
  EXPECT_EQ(Get(table::TreeTable, col::DBH, 0), 12.5f);
  EXPECT_EQ(Get(table::TreeTable, col::KPI, 0), 77);
  EXPECT_EQ(Get(table::TreeTable, col::UOMP, 0), " 1");
  EXPECT_EQ(Get(table::TreeTable, col::ProdS, 0), "02");
  EXPECT_EQ(Get(table::TreeTable, col::Clear, 0), "Y");  // region 02: as read
  EXPECT_EQ(Get(table::TreeTable, col::SlopePct, 0), 15.0f);
  // Measured trees ("N") give one sub-population; the count ("Y") none.
  ASSERT_EQ(Table(table::SubPopulationTable).Size(), 1u);
  EXPECT_EQ(Get(table::SubPopulationTable, col::CL, 0), "Y");
  EXPECT_EQ(Get(table::SubPopulationTable, col::ProdS, 0), "");
}

TEST_F(JobReadersTest, LogRecordsOfEveryKind) {
  Start(7, "06", "V");
  JobRecord c(kLog7C);
  c.SetText(kStratum, "1");
  c.SetText(kCutUnit, "1");
  c.SetText(kPlot, "1");
  c.SetText(kTree, "1");
  for (const char* num : {"1", "2", " "}) {
    auto g = static_cast<std::size_t>(c.AddGroup());
    c.SetGroupText(g, l7cLogNum, num);
    c.SetGroupText(g, l7cGrade, "3");
    c.SetGroupReal(g, l7cPctSeenDef, 15);
    c.SetGroupReal(g, l7cPctRecChip, 4);
  }
  std::string d = Line(kLog7D, {{kStratum, "1"}, {kCutUnit, "1"}, {kPlot, "1"}, {kTree, "2"}, {l7dLogNum, "1"},
                                {l7dSEDi, "12"}, {l7dLEDi, "14"}, {l7dLength, "32"}, {l7dGBDFT, "120"},
                                {l7dPctSeenDef, "100"}, {l7dSort, "2"}});
  Feed({Stratum3A("1", "PNT"), Tree7A("1", "1", "1", "DF", "M"), Tree7A("1", "1", "2", "DF", "M"), c.Format(), d,
        Line(kLog7D, {{kStratum, "1"}, {kCutUnit, "1"}, {kPlot, "1"}, {kTree, "9"}, {l7dLogNum, "1"}})});
  FinishAndReopen();
  View logs = Table(table::LogTable);
  ASSERT_EQ(logs.Size(), 4u);
  EXPECT_EQ(Get(table::LogTable, col::LogNum, 0), "  1");
  EXPECT_EQ(Get(table::LogTable, col::Grade, 1), "3");
  EXPECT_EQ(Get(table::LogTable, col::PctSeenDef, 1), 15.0f);
  EXPECT_EQ(Get(table::LogTable, col::PctRecChip, 1), 4.0f);
  EXPECT_EQ(Get(table::LogTable, col::FBSFlag, 1), 0);
  EXPECT_EQ(Get(table::LogTable, col::Tree, 2), "  2");
  EXPECT_EQ(Get(table::LogTable, col::FBSFlag, 2), 0);
  EXPECT_EQ(Get(table::LogTable, col::SEDi, 2), 12.0f);
  EXPECT_EQ(Get(table::LogTable, col::LEDi, 2), 14.0f);
  EXPECT_EQ(Get(table::LogTable, col::Length, 2), 32);
  EXPECT_EQ(Get(table::LogTable, col::GBDFT, 2), 120.0);
  EXPECT_EQ(Get(table::LogTable, col::PctSeenDef, 2), 100.0f);
  EXPECT_EQ(Get(table::LogTable, col::Sort, 2), "2");
  EXPECT_EQ(Get(table::LogTable, col::Error, 2), 0);
  // The log of a tree that has no row is kept; only trees get LogRecs.
  EXPECT_EQ(Get(table::LogTable, col::Tree, 3), "  9");
  EXPECT_EQ(Get(table::TreeTable, col::LogRecs, 0), 2);
  EXPECT_EQ(Get(table::TreeTable, col::LogRecs, 1), 1);
}

TEST_F(JobReadersTest, SevenDOutsideVCruisesIsAFullLogWithoutSort) {
  Start(7, "06", "");
  Feed({Line(kLog7D, {{kStratum, "1"}, {kTree, "2"}, {l7dLogNum, "1"}, {l7dSort, "2"}})});
  FinishAndReopen();
  ASSERT_EQ(Table(table::LogTable).Size(), 1u);
  EXPECT_EQ(Get(table::LogTable, col::FBSFlag, 0), 1);
  EXPECT_EQ(Get(table::LogTable, col::Sort, 0), " ");
}

TEST_F(JobReadersTest, VersionSixLogRecords) {
  Start(6, "06", "");
  // A LogNum of "0" ends the line's logs.
  std::string grade = Key1("7B") + "  " + "1   " + " 2" + " 10" + "  2" + " 3" + " 20" + "0  " + " 4" + " 30";
  std::string volume = Key1("7C") + "  " + "  11214322 120  1300 110  1200" + "0";
  Feed({grade, volume, Key1("7D") + "    1"});
  FinishAndReopen();
  View logs = Table(table::LogTable);
  ASSERT_EQ(logs.Size(), 3u);
  EXPECT_EQ(Get(table::LogTable, col::LogNum, 0), "1");
  EXPECT_EQ(Get(table::LogTable, col::PctSeenDef, 1), 20.0f);
  EXPECT_EQ(Get(table::LogTable, col::FBSFlag, 0), 0);
  EXPECT_EQ(Get(table::LogTable, col::LogNum, 2), "  1");
  EXPECT_EQ(Get(table::LogTable, col::FBSFlag, 2), 1);
  EXPECT_EQ(Get(table::LogTable, col::SEDi, 2), 12.0f);
  EXPECT_EQ(Get(table::LogTable, col::LEDi, 2), 14.0f);
  EXPECT_EQ(Get(table::LogTable, col::Length, 2), 32);
  EXPECT_EQ(Get(table::LogTable, col::Grade, 2), "2");
  EXPECT_EQ(Get(table::LogTable, col::GBDFT, 2), 120.0);
  EXPECT_EQ(Get(table::LogTable, col::GCUFT, 2), 1300.0);
  EXPECT_EQ(Get(table::LogTable, col::NCUFT, 2), 1200.0);
}

// Version 6 trees of one key are rows of their own; each gets the count of
// the logs read for the key.
TEST_F(JobReadersTest, VersionSixTreesOfOneKeyEachCountItsLogs) {
  Start(6, "02", "");
  std::string grade = Key1("7B") + "  " + "1   " + " 2" + " 10" + "  2" + " 3" + " 20" + "0  " + " 4" + " 30";
  Feed({Tree6("N", "DF", "Y", "100 50"), Tree6("N", "DF", "Y", "100 50"), grade});
  FinishAndReopen();
  ASSERT_EQ(Table(table::TreeTable).Size(), 2u);
  ASSERT_EQ(Table(table::LogTable).Size(), 2u);
  EXPECT_EQ(Get(table::TreeTable, col::LogRecs, 0), 2);
  EXPECT_EQ(Get(table::TreeTable, col::LogRecs, 1), 2);
}

TEST_F(JobReadersTest, TreeKeysCompareLikeTheStorageEngine) {
  Start(7);
  // Letter case of A-Z does not matter; the split between key fields does.
  Feed({Tree7A("A", "1", "1", "DF", "M", "1", "5"), Tree7B("a", "1", "1", "9"),
        Line(kTree7A, {{kStratum, "1 "}, {kCutUnit, "11 "}, {kTree, "1"}, {t7aSp, "DF"}, {t7aCM, "M"}}),
        Line(kTree7A, {{kStratum, "11"}, {kCutUnit, "1  "}, {kTree, "1"}, {t7aSp, "WH"}, {t7aCM, "M"}})});
  FinishAndReopen();
  ASSERT_EQ(Table(table::TreeTable).Size(), 3u);
  EXPECT_EQ(Get(table::TreeTable, col::DBH, 0), 9.0f);
  EXPECT_EQ(Get(table::TreeTable, col::Sp, 1), "DF");
  EXPECT_EQ(Get(table::TreeTable, col::Sp, 2), "WH");
}

TEST_F(JobReadersTest, BadLinesLeaveEarlierRowsAlone) {
  Start(7);
  std::string binary;
  for (int i = 0; i < 300; ++i) binary.push_back(static_cast<char>(i * 37 + 11));
  std::string junk_tree = "7A" + std::string(200, 'x');
  junk_tree[40] = '\0';
  Feed({Stratum3A("1", "3P"), Tree7A("1", "1", "1", "DF", "M", "1", "5"), Tree7B("1", "1", "1", "12.5"),
        binary, "7", "7A", "7B", "7C", "7D", "7E", "7Z garbage", "9A1234", "\x01\x02\x03", junk_tree,
        "3A", "2A", "1A", "4A", std::string(5000, '7'),
        Line(kTree7A, {{kStratum, "9"}, {kCutUnit, "99"}, {kPlot, "1"}, {kTree, "1"}, {t7aSp, "DF"},
                       {t7aCM, "M"}}),
        Key1("7B") + " 12x5"});
  FinishAndReopen();
  View trees = Table(table::TreeTable);
  ASSERT_GE(trees.Size(), 2u);
  EXPECT_EQ(Get(table::TreeTable, col::Sp, 0), "DF");
  EXPECT_EQ(Get(table::TreeTable, col::KPI, 0), 5);
  EXPECT_EQ(Get(table::TreeTable, col::TreeCnt, 0), 1.0f);
  EXPECT_EQ(Get(table::TreeTable, col::DBH, 0), 12.0f);  // the last 7B's " 12x5" reads as 12
  EXPECT_EQ(Get(table::StratumTable, col::CruzMeth, 0), "3P");
  // The malformed DBH is on the list with its line number.
  bool found = false;
  for (const FieldDiagnostic& d : diagnostics_)
    if (d.field == "DBH" && d.line == line_number_ && d.text == " 12x5") found = true;
  EXPECT_TRUE(found);
}

// Enough trees and logs that the tables grow many times: every row is there
// once, with its own values, and the tables end at their exact size.
TEST_F(JobReadersTest, ManyTreesAndLogsKeepEveryRow) {
  Start(7);
  std::vector<std::string> lines{Stratum3A("1", "PNT")};
  constexpr int kTrees = 1500;
  for (int i = 0; i < kTrees; ++i) {
    const std::string plot = std::to_string(1 + i / 100), tree = std::to_string(1 + i % 100);
    lines.push_back(Tree7A("1", plot, tree, "DF", "M"));
    lines.push_back(Tree7B("1", plot, tree, std::to_string(10 + i % 50) + ".0"));
    JobRecord logs(kLog7C);
    logs.SetText(kStratum, "1");
    logs.SetText(kCutUnit, "1");
    logs.SetText(kPlot, plot);
    logs.SetText(kTree, tree);
    for (int n = 1; n <= 1 + i % 3; ++n) {
      auto g = static_cast<std::size_t>(logs.AddGroup());
      logs.SetGroupText(g, l7cLogNum, std::to_string(n));
      logs.SetGroupText(g, l7cGrade, std::to_string(i % 10));
    }
    lines.push_back(logs.Format());
  }
  Feed(lines);
  FinishAndReopen();
  EXPECT_TRUE(repeats_.empty());
  ASSERT_EQ(Table(table::TreeTable).Size(), static_cast<std::size_t>(kTrees));
  ASSERT_EQ(Table(table::LogTable).Size(), static_cast<std::size_t>(kTrees / 3 * 6));
  ASSERT_EQ(Table(kTreeIndex.substr(0, 9)).Size(), static_cast<std::size_t>(kTrees));
  auto unpadded = [](std::string text) { return text.erase(0, text.find_first_not_of(' ')); };
  for (std::size_t r = 0; r < static_cast<std::size_t>(kTrees); ++r) {
    EXPECT_EQ(unpadded(Get(table::TreeTable, col::Plot, r)), std::to_string(1 + r / 100)) << r;
    EXPECT_EQ(unpadded(Get(table::TreeTable, col::Tree, r)), std::to_string(1 + r % 100)) << r;
    EXPECT_EQ(Get(table::TreeTable, col::DBH, r), static_cast<float>(10 + r % 50)) << r;
    EXPECT_EQ(Get(table::TreeTable, col::LogRecs, r), static_cast<int>(1 + r % 3)) << r;
  }
  View logs = Table(table::LogTable);
  auto grade = logs.Bind(col::Grade);
  auto tree = logs.Bind(col::Tree);
  std::size_t row = 0;
  for (int i = 0; i < kTrees; ++i) {
    for (int n = 1; n <= 1 + i % 3; ++n, ++row) {
      EXPECT_EQ(unpadded(tree.Get(row)), std::to_string(1 + i % 100)) << row;
      EXPECT_EQ(grade.Get(row), std::to_string(i % 10)) << row;
    }
  }
}

// Readers ended without Finish (a cancelled import) leave the tables with
// exactly the rows they added.
TEST_F(JobReadersTest, TablesKeepTheirExactSizeWithoutFinish) {
  Start(7);
  Feed({Stratum3A("1", "PNT"), Tree7A("1", "1", "1", "DF", "M"), Tree7A("1", "1", "2", "DF", "M"),
        Tree7B("1", "1", "2", "12.0")});
  readers_.reset();
  EXPECT_EQ(tables_.trees.Size(), 2u);
  EXPECT_EQ(tables_.logs.Size(), 0u);
  EXPECT_EQ(tables_.tree_index.Size(), 2u);
  EXPECT_EQ(tables_.trees.Bind(col::DBH).Get(1), 12.0f);
}

// A table that refuses rows (here a derived view in place of TreeTable) makes
// Finish report the failure instead of dropping the lines' trees.
TEST_F(JobReadersTest, RefusedRowsAreReportedByFinish) {
  Start(7);
  auto derived = tables_.trees.Select(storage::Row());
  ASSERT_TRUE(derived.ok());
  tables_.trees = derived.value();
  readers_.emplace(tables_, JobFileContext{7, "06", "V"});
  Feed({Stratum3A("1", "PNT"), Tree7A("1", "1", "1", "DF", "M")});
  storage::Status st = readers_->Finish();
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("could not be added"), std::string::npos) << st.message();
  EXPECT_EQ(tables_.trees.Size(), 0u);
  // The stratum line before it was read all the same.
  EXPECT_EQ(tables_.strata.Size(), 1u);
}

}  // namespace
}  // namespace sw::legacy::jobfile
