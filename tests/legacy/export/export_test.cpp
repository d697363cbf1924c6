// The Version 7 export against real cruise files: job and key files are
// imported with the record and section readers, exported again, compared
// line for line, read back once more and compared table by table. Also the
// refusals of values that do not fit, and
// cruise files with missing or absurd contents. The files' replacement and
// the questions are the conversions' (tests/convert).
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cruisedb/columns.h"
#include "cruisedb/cruise_tables.h"
#include "cruisedb/dictionary.h"
#include "legacy/jobfile/export_files.h"
#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/jobfile/job_record_readers.h"
#include "legacy/jobfile/job_writer.h"
#include "legacy/jobfile/unit_acres.h"
#include "legacy/keyfile/key_export.h"
#include "legacy/keyfile/key_reader.h"
#include "legacy/keyfile/report_codes.h"
#include "legacy/line.h"
#include "storage/storage.h"
#include "support/decimal_comma_locale.h"
#include "support/temp_dir.h"

namespace sw::legacy {
namespace {

using namespace jobfile::layouts;
using jobfile::Conv;
using jobfile::JobRecord;
using jobfile::RecordLayout;
using jobfile::kCruiseNo;
using jobfile::kStratum;
using jobfile::kCutUnit;
using jobfile::kPlot;
using jobfile::kTree;
using storage::Storage;
using storage::View;
namespace col = cruisedb::col;
namespace table = cruisedb::table;
namespace fs = std::filesystem;

// A record line written with the layout; fields given as text.
std::string Line(const RecordLayout& layout, std::initializer_list<std::pair<std::size_t, std::string>> fields,
                 std::initializer_list<std::initializer_list<std::pair<std::size_t, std::string>>> groups = {}) {
  JobRecord r(layout);
  auto set = [](const jobfile::FieldSpec& def, std::string text, auto real, auto whole, auto txt) {
    switch (def.conv) {
      case Conv::Real: real(Atof(text)); break;
      case Conv::Int:
      case Conv::Long: whole(Atol(text)); break;
      default: txt(std::move(text)); break;
    }
  };
  for (const auto& [i, text] : fields)
    set(layout.fields[i], text, [&](double v) { r.SetReal(i, v); }, [&](long v) { r.SetWhole(i, v); },
        [&](std::string v) { r.SetText(i, std::move(v)); });
  for (const auto& group : groups) {
    auto g = static_cast<std::size_t>(r.AddGroup());
    for (const auto& [i, text] : group)
      set(layout.groups[g].fields[i], text, [&](double v) { r.SetGroupReal(g, i, v); },
          [&](long v) { r.SetGroupWhole(g, i, v); }, [&](std::string v) { r.SetGroupText(g, i, std::move(v)); });
  }
  return r.Format();
}

using Fields = std::initializer_list<std::pair<std::size_t, std::string>>;

std::string Key(const RecordLayout& layout, std::string stratum, std::string plot, std::string tree,
                Fields more = {}) {
  std::vector<std::pair<std::size_t, std::string>> all{
      {kCruiseNo, "123"}, {kStratum, stratum}, {kCutUnit, "1"}, {kPlot, plot}, {kTree, tree}};
  all.insert(all.end(), more.begin(), more.end());
  JobRecord rec(layout);
  for (const auto& [i, text] : all) {
    switch (layout.fields[i].conv) {
      case Conv::Real: rec.SetReal(i, Atof(text)); break;
      case Conv::Int:
      case Conv::Long: rec.SetWhole(i, Atol(text)); break;
      default: rec.SetText(i, text); break;
    }
  }
  return rec.Format();
}

std::string Tree7A(std::string stratum, std::string plot, std::string tree, std::string cm, std::string count,
                   std::string kpi) {
  return Key(kTree7A, stratum, plot, tree,
             {{t7aSp, "DF"}, {t7aProdP, "01"}, {t7aProdS, "02"}, {t7aSG, "1"}, {t7aCL, "L"}, {t7aCM, cm},
              {t7aTreeCnt, count}, {t7aUOMP, "03"}, {t7aKPI, kpi}, {t7a3Pcode, "1"}, {t7aCDefP, "5"},
              {t7aHDefP, "2"}, {t7aSDefP, "1"}, {t7aRecDefP, "3"}, {t7aCDefS, "4"}, {t7aHDefS, "6"},
              {t7aSDefS, "7"}, {t7aSlopePct, "30"}, {t7aInitials, "ABC"}, {t7aYC, "12"}, {t7aLD, "L"},
              {t7aContrSpec, "CSP1"}, {t7aTreeGrade, "2"}, {t7aHgtFLL, "14"}, {t7aPoleLen, "33"},
              {t7aClear, "Y"}, {t7aCR, "45"}});
}

std::string Tree7B(std::string stratum, std::string plot, std::string tree) {
  return Key(kTree7B, stratum, plot, tree,
             {{t7bDBH, "21.4"}, {t7bDRCOB, "3.5"}, {t7bTotHt, "120"}, {t7bMrchHtT, "F"}, {t7bMrchHtLL, "32"},
              {t7bMrchHtP, "88"}, {t7bMrchHtS, "12"}, {t7bRefHtPct, "40"}, {t7bFC, "78"},
              {t7bAvgZForm, "0.653"}, {t7bUStemDOB, "15"}, {t7bHgtUStem, "60"}, {t7bDBHBTR, "11"},
              {t7bDBHDBT, "12"}, {t7bTopDIBP, "6"}, {t7bTopDIBS, "4"}, {t7bDefectCode, "ROT"}, {t7bHt2Def, "25"},
              {t7bDiamDefPt, "9"}, {t7bVoidPct, "10"}});
}

// A Version 7 job file that uses every record type the writer produces, in
// the writer's order. Cruise type "V": the 7D logs are read with FBSFlag 0.
std::vector<std::string> SampleJobFile() {
  std::vector<std::string> lines{
      Line(kCruise1A, {{c1CruiseNo, "123"}, {c1SaleNo, "45678"}, {c1Region, "06"}, {c1Forest, "12"},
                       {c1District, "3"}, {c1CalYear, "2009"}, {c1MeasSys, "E"}, {c1SaleName, "BIG SALE"},
                       {c1Purpose, "TIMBER"}}),
      Line(kUnit2A, {{u2CruiseNo, "123"}, {u2CutUnit, "1"}, {u2Area, "10"}, {u2Description, "NORTH"},
                     {u2LogMeth, "TRC"}, {u2PayUnit, "P1"}}),
      Line(kUnit2A, {{u2CruiseNo, "123"}, {u2CutUnit, "3"}, {u2Area, "7.25"}, {u2Description, "SOUTH"},
                     {u2LogMeth, "HEL"}, {u2PayUnit, "P2"}}),
      Line(kStratum3A, {{s3CruiseNo, "123"}, {s3Stratum, "1"}, {s3CruzMeth, "3P"}, {s3BAF, "0"}, {s3FPSize, "0"},
                        {s3Description, "THREE P"}, {s3Month, "7"}, {s3Year, "2009"}}),
      Line(kStratum3A, {{s3CruiseNo, "123"}, {s3Stratum, "2"}, {s3CruzMeth, "FIX"}, {s3BAF, "0"}, {s3FPSize, "20"},
                        {s3Description, "FIXED"}, {s3Month, "8"}, {s3Year, "2009"}}),
      Line(kStratum3A, {{s3CruiseNo, "123"}, {s3Stratum, "3"}, {s3CruzMeth, "3PPNT"}, {s3BAF, "40.5"},
                        {s3FPSize, "0"}, {s3Description, "POINT"}, {s3Month, "9"}, {s3Year, "2010"}}),
      Line(kStratumUnit4A, {{su4CruiseNo, "123"}, {su4Stratum, "1"}, {su4CutUnit, "1"}, {su4UnitAcres, "10"}}),
      Line(kStratumUnit4A, {{su4CruiseNo, "123"}, {su4Stratum, "1"}, {su4CutUnit, "3"}, {su4UnitAcres, "7.25"}}),
      Line(kStratumUnit4A, {{su4CruiseNo, "123"}, {su4Stratum, "2"}, {su4CutUnit, "1"}, {su4UnitAcres, "10"}}),
      Line(kStratumUnit4A, {{su4CruiseNo, "123"}, {su4Stratum, "3"}, {su4CutUnit, "3"}, {su4UnitAcres, "7.25"}}),
  };
  auto count = [&](std::string unit, std::string tree, std::string n, std::string kpi) {
    lines.push_back(Line(kCount7A, {{c7CruiseNo, "123"}, {c7Stratum, "1"}, {c7CutUnit, unit}, {c7Plot, "9999"},
                                    {c7Tree, tree}, {c7Sp, "DF"}, {c7ProdP, "01"}, {c7ProdS, "02"}, {c7SG, "1"},
                                    {c7CL, "L"}, {c7CM, "C"}, {c7Count, n}, {c7UOMP, "03"}, {c7SumKPI, kpi},
                                    {c7LD, ""}}));
  };
  count("1", "999", "5", "250");
  count("3", "998", "0", "99999");  // KPI 2*99999+4 with count 3, split over three records
  count("3", "998", "0", "99999");
  count("3", "998", "3", "4");
  // Tree 1: KPI 99999+1 (two 7A), 7B, twelve 7C logs (5, 5, 2), remarks.
  lines.push_back(Tree7A("1", "1", "1", "M", "0", "99999"));
  lines.push_back(Tree7A("1", "1", "1", "M", "2", "1"));
  lines.push_back(Tree7B("1", "1", "1"));
  std::vector<std::vector<std::pair<std::size_t, std::string>>> logs;
  for (int i = 1; i <= 12; ++i)
    logs.push_back({{l7cLogNum, std::to_string(i)}, {l7cGrade, std::to_string(i % 9)},
                    {l7cPctSeenDef, std::to_string(i * 3)}, {l7cPctRecChip, std::to_string(i)}});
  for (std::size_t first = 0; first < logs.size(); first += 5) {
    JobRecord r(kLog7C);
    r.SetText(kCruiseNo, "123");
    r.SetText(kStratum, "1");
    r.SetText(kCutUnit, "1");
    r.SetText(kPlot, "1");
    r.SetText(kTree, "1");
    for (std::size_t i = first; i < std::min(first + 5, logs.size()); ++i) {
      auto g = static_cast<std::size_t>(r.AddGroup());
      for (const auto& [f, text] : logs[i]) {
        if (kLog7CGroupFields[f].conv == Conv::Real)
          r.SetGroupReal(g, f, Atof(text));
        else
          r.SetGroupText(g, f, text);
      }
    }
    lines.push_back(r.Format());
  }
  lines.push_back(Key(kRemarks7E, "1", "1", "1", {{r7eRemarks, "LEANS NORTH"}}));
  // Tree 2: two 7D logs with volumes and a sort code.
  lines.push_back(Tree7A("1", "1", "2", "M", "1", "500"));
  lines.push_back(Tree7B("1", "1", "2"));
  for (std::string n : {"1", "2"})
    lines.push_back(Key(kLog7D, "1", "1", "2",
                        {{l7dLogNum, n}, {l7dSEDi, "12"}, {l7dLEDi, "14"}, {l7dLength, "32"}, {l7dGrade, "3"},
                         {l7dGBDFT, "120"}, {l7dGCUFT, "23"}, {l7dNBDFT, "110"}, {l7dNCUFT, "21"},
                         {l7dPctRecChip, "5"}, {l7dPctSeenDef, "25"}, {l7dSort, "1"}}));
  // Tree 3: a measured tree marked "C" in a fixed-plot stratum: 7A only.
  lines.push_back(Tree7A("2", "2", "1", "C", "1", "0"));
  // Null plots: FIX gives tree 1 and "M"; 3PPNT tree 0, "C" and a key-only 7B.
  lines.push_back(Key(kNullPlot7A, "2", "3", "1", {{n7CM, "M"}}));
  lines.push_back(Key(kNullPlot7A, "3", "4", "0", {{n7CM, "C"}}));
  lines.push_back(Key(kKeyOnly7B, "3", "4", "0"));
  return lines;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One cruise file in a temporary folder, with its tables open.
class CruiseFile {
 public:
  explicit CruiseFile(const fs::path& path) {
    auto opened = Storage::Open(path, Storage::Mode::ReadWrite);
    EXPECT_TRUE(opened.ok()) << opened.status().message();
    storage_.emplace(std::move(opened.value()));
    auto created = cruisedb::CreateCruiseSchema(*storage_, test::BuiltBaseDictionary(),
                                                cruisedb::Version7ExportTables());
    EXPECT_TRUE(created.status.ok()) << created.status.message();
    Reopen();
  }

  void Reopen() {
    auto tables = cruisedb::OpenCruiseTables(*storage_, cruisedb::Version7ExportTables());
    EXPECT_TRUE(tables.ok()) << tables.status().message();
    if (tables.ok()) tables_ = tables.value();
  }

  // Feeds job lines to the record readers (as the import does) and commits.
  void ImportJob(const std::vector<std::string>& lines, std::string region = "06", std::string type = "V") {
    auto strata_units = storage_->GetAs("StrataUnitList[StrataUnit:S,UnitStrata:S,UnitAcres:D]");
    auto tree_index = storage_->GetAs("TreeIndex[TreeID:S]");
    ASSERT_TRUE(strata_units.ok() && tree_index.ok());
    jobfile::JobTables t{tables_.cruise,         tables_.units, tables_.strata, tables_.counts,
                         tables_.plots,          tables_.trees, tables_.subpopulations,
                         tables_.logs,           strata_units.value(), tree_index.value()};
    jobfile::JobRecordReaders readers(t, jobfile::JobFileContext{7, region, type});
    std::size_t n = 0;
    for (const std::string& line : lines) readers.ReadRecord(line, ++n);
    EXPECT_TRUE(readers.Finish().ok());
    EXPECT_TRUE(readers.diagnostics().empty());
    Commit();
  }

  // Reads a key file's report list and sections into the tables and commits.
  void ImportKey(const std::string& text) {
    LineReader reports = LineReader::FromText(text);
    keyfile::ReportList list = keyfile::ReadReportCodes(reports);
    ASSERT_TRUE(keyfile::StoreLegacySettings(tables_.config, list.codes, "x.key", "x.job", "x.out", "06").ok());
    LineReader sections = LineReader::FromText(text);
    auto read = keyfile::ReadEquationSections(sections, tables_.volume, tables_.value, tables_.weight,
                                              tables_.quality);
    EXPECT_TRUE(read.status.ok());
    Commit();
  }

  void Commit() {
    ASSERT_TRUE(storage_->Commit().ok());
    Reopen();
  }

  cruisedb::CruiseTables& tables() { return tables_; }

 private:
  std::optional<Storage> storage_;
  cruisedb::CruiseTables tables_;
};

// Every cell of a table as text, row by row.
std::vector<std::string> Cells(const View& view) {
  std::vector<std::string> rows;
  for (std::size_t r = 0; r < view.Size(); ++r) {
    std::string row;
    for (std::size_t c = 0; c < view.ColumnCount(); ++c)
      row += view.ColumnAt(c).name + "=" + view.GetText(r, c) + "|";
    rows.push_back(row);
  }
  return rows;
}

class ExportTest : public ::testing::Test {
 protected:
  // Writes the job file as the export would; false when a value was refused.
  bool WriteJob(const fs::path& path, const cruisedb::CruiseTables& t) {
    report_ = ExportReport();
    std::ostringstream out;
    if (!jobfile::WriteJobFile(t, report_, out)) return false;
    test::WriteFile(path, out.str());
    return true;
  }
  // Writes the export's key file beside `cruise`; false when refused.
  bool WriteKey(const fs::path& cruise, const cruisedb::CruiseTables& t) {
    report_ = ExportReport();
    std::ostringstream out;
    const std::string header = keyfile::ExportKeyHeader("06", cruise, t, report_);
    if (!keyfile::WriteKeyFile(header, t, report_, out)) return false;
    test::WriteFile(ReplaceExtension(cruise, ".key"), out.str());
    return true;
  }

  test::TempDir dir_;
  ExportReport report_;
};

// ------------------------------------------------------------ round trip ---

TEST_F(ExportTest, JobFileRoundTripKeepsEveryLineAndEveryTable) {
  const std::vector<std::string> original = SampleJobFile();
  CruiseFile first(dir_ / "first.crz");
  first.ImportJob(original);

  ASSERT_TRUE(WriteJob(dir_ / "first.job", first.tables()));
  EXPECT_EQ(report_.note_count(), 0u) << report_.NotesText("first.job");
  const std::vector<std::string> written = SplitLines(test::ReadFile(dir_ / "first.job"));

  // Every line comes back as it was: the counts were numbered from 9999/999
  // in the original too, the KPI split is the writer's, and 4A acres equal
  // the unit areas.
  ASSERT_EQ(written.size(), original.size());
  for (std::size_t i = 0; i < original.size(); ++i) EXPECT_EQ(written[i], original[i]) << "line " << i + 1;

  // The written file read back gives the same tables, cell for cell.
  CruiseFile second(dir_ / "second.crz");
  second.ImportJob(written);
  for (const auto& [a, b] : {std::pair{&first.tables().cruise, &second.tables().cruise},
                             {&first.tables().units, &second.tables().units},
                             {&first.tables().strata, &second.tables().strata},
                             {&first.tables().counts, &second.tables().counts},
                             {&first.tables().plots, &second.tables().plots},
                             {&first.tables().trees, &second.tables().trees},
                             {&first.tables().subpopulations, &second.tables().subpopulations},
                             {&first.tables().logs, &second.tables().logs}})
    EXPECT_EQ(Cells(*a), Cells(*b));

  // The fault this guards against: volumes of a "V" cruise's 7D logs.
  View logs = second.tables().logs;
  ASSERT_EQ(logs.Size(), 14u);
  EXPECT_EQ(logs.Bind(col::GBDFT).Get(12), 120.0);
  EXPECT_EQ(logs.Bind(col::Sort).Get(12), "1");
  EXPECT_EQ(logs.Bind(col::PctSeenDef).Get(12), 25.0f);
  EXPECT_EQ(logs.Bind(col::LogNum).Get(11), " 12");
  // The 3PPNT null plot survives as a null plot.
  View plots = second.tables().plots;
  bool found = false;
  for (std::size_t r = 0; r < plots.Size(); ++r)
    if (plots.Bind(col::Stratum).Get(r) == " 3") found = plots.Bind(col::NullPlot).Get(r) == 1;
  EXPECT_TRUE(found);
}

TEST_F(ExportTest, KeyFileRoundTripKeepsEveryLineAndEveryTable) {
  const std::string original =
      "06V\nsale.job\nsale.out\nDP1,CP2,TC3,L1,\n"
      "VOLUME EQUATIONS\n"
      "DF    01F00FW2W2021.00 4.0110 2.000  1.250 20 30\n"
      "VALUE EQUATIONS\n"
      "DF    01VLPP00051 1.00000 2.00000-3.50000 0.00000 0.00000 0.12345\n"
      "WEIGHT EQUATIONS\n"
      "DF    01GENPP002   0.3500  45.0000L\n"
      "QUALITY ADJUSTMENTS\n"
      "DF    QUAL0001  2004      1  1.0000  0.5000  0.0000  0.0000  0.0000  0.0000\n"
      "END\n";
  CruiseFile first(dir_ / "sale.crz");
  first.ImportKey(original);
  first.tables().cruise.Add();
  EXPECT_TRUE(first.tables().cruise.Bind(col::CruiseType).Set(0, "V").ok());
  ASSERT_TRUE(WriteKey(dir_ / "sale.crz", first.tables())) << report_.RefusalText("sale.key");
  const std::string written = test::ReadFile(dir_ / "sale.key");
  EXPECT_EQ(SplitLines(written), SplitLines(original));

  CruiseFile second(dir_ / "again.crz");
  second.ImportKey(written);
  for (const auto& [a, b] : {std::pair{&first.tables().volume, &second.tables().volume},
                             {&first.tables().value, &second.tables().value},
                             {&first.tables().weight, &second.tables().weight},
                             {&first.tables().quality, &second.tables().quality}})
    EXPECT_EQ(Cells(*a), Cells(*b));
}

TEST_F(ExportTest, EmptyEquationTablesStillGetTheirHeaders) {
  CruiseFile file(dir_ / "sale12.crz");
  file.tables().cruise.Add();
  EXPECT_TRUE(file.tables().cruise.Bind(col::CruiseType).Set(0, "V").ok());
  ASSERT_TRUE(WriteKey(dir_ / "sale12.crz", file.tables()));
  EXPECT_EQ(test::ReadFile(dir_ / "sale12.key"),
            "06V\nsale12.job\nsale12.out\n\nVOLUME EQUATIONS\nVALUE EQUATIONS\nWEIGHT EQUATIONS\n"
            "QUALITY ADJUSTMENTS\nEND\n");
}

// ------------------------------------------------------- record writing ---

TEST_F(ExportTest, KpiSplit) {
  using P = std::vector<std::pair<std::int64_t, std::int64_t>>;
  EXPECT_EQ(jobfile::SplitKpi(99999, 3), (P{{99999, 3}}));
  EXPECT_EQ(jobfile::SplitKpi(100000, 3), (P{{99999, 0}, {1, 3}}));
  EXPECT_EQ(jobfile::SplitKpi(2 * 99999, 3), (P{{99999, 0}, {99999, 0}, {0, 3}}));
  EXPECT_TRUE(jobfile::SplitKpi(INT64_MAX, 1).empty());  // refused, never a loop without end
}

TEST_F(ExportTest, CountRecordsAreNumberedDownwardsAndSkippedRowsTakeNoNumber) {
  CruiseFile file(dir_ / "c.crz");
  auto& t = file.tables();
  long s = t.subpopulations.Add();
  EXPECT_TRUE(t.subpopulations.Bind(col::Stratum).Set(s, "1").ok());
  EXPECT_TRUE(t.subpopulations.Bind(col::SG).Set(s, "1").ok());
  EXPECT_TRUE(t.subpopulations.Bind(col::Sp).Set(s, "DF").ok());
  auto stratum = t.counts.Bind(col::Stratum);
  auto sg = t.counts.Bind(col::SG);
  auto sp = t.counts.Bind(col::Sp);
  auto count = t.counts.Bind(col::Count);
  for (int i = 0; i < 1002; ++i) {
    long r = t.counts.Add();
    EXPECT_TRUE(stratum.Set(r, "1").ok());
    EXPECT_TRUE(sg.Set(r, "1").ok());
    EXPECT_TRUE(sp.Set(r, i == 1 ? "XX" : "DF").ok());  // no sub-population: skipped
    EXPECT_TRUE(count.Set(r, i == 2 ? 0 : 1).ok());     // nothing counted: skipped
  }
  ASSERT_TRUE(WriteJob(dir_ / "c.job", t));
  auto lines = SplitLines(test::ReadFile(dir_ / "c.job"));
  ASSERT_EQ(lines.size(), 1000u);
  auto plot_tree = [](const std::string& l) { return l.substr(12, 7); };
  EXPECT_EQ(plot_tree(lines[0]), "9999999");
  EXPECT_EQ(plot_tree(lines[1]), "9999998");
  EXPECT_EQ(plot_tree(lines[998]), "9999  1");
  EXPECT_EQ(plot_tree(lines[999]), "9998999");
  EXPECT_EQ(lines[0][32], 'C');
}

TEST_F(ExportTest, NullPlotWithTreesWritesNothingAndEmptyTreeTableStillWritesNullPlots) {
  CruiseFile file(dir_ / "n.crz");
  file.ImportJob({Line(kStratum3A, {{s3Stratum, "2"}, {s3CruzMeth, "FIX"}}),
                  Key(kNullPlot7A, "2", "3", "1", {{n7CM, "M"}})});
  ASSERT_TRUE(WriteJob(dir_ / "n.job", file.tables()));
  auto lines = SplitLines(test::ReadFile(dir_ / "n.job"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "7A      2  1   3  1             M    0      0");

  auto& t = file.tables();
  long r = t.trees.Add();
  ASSERT_TRUE(t.trees.Bind(col::Stratum).Set(r, " 2").ok());
  ASSERT_TRUE(t.trees.Bind(col::CutUnit).Set(r, "  1").ok());
  ASSERT_TRUE(t.trees.Bind(col::Plot).Set(r, "   3").ok());
  ASSERT_TRUE(t.trees.Bind(col::Tree).Set(r, "  5").ok());
  ASSERT_TRUE(WriteJob(dir_ / "n.job", t));
  for (const std::string& line : SplitLines(test::ReadFile(dir_ / "n.job"))) EXPECT_NE(line.find("  5"), 0u);
  EXPECT_EQ(SplitLines(test::ReadFile(dir_ / "n.job")).size(), 3u);  // 3A, 7A and 7B of the tree
}

TEST_F(ExportTest, LogsOfATreeAreNeverCutOffAndOrphanLogsAreReported) {
  CruiseFile file(dir_ / "l.crz");
  auto& t = file.tables();
  auto add_log = [&](std::string tree, std::string num) {
    long r = t.logs.Add();
    EXPECT_TRUE(t.logs.Bind(col::Stratum).Set(r, " 1").ok());
    EXPECT_TRUE(t.logs.Bind(col::CutUnit).Set(r, "  1").ok());
    EXPECT_TRUE(t.logs.Bind(col::Plot).Set(r, "   1").ok());
    EXPECT_TRUE(t.logs.Bind(col::Tree).Set(r, tree).ok());
    EXPECT_TRUE(t.logs.Bind(col::LogNum).Set(r, num).ok());
  };
  long tr = t.trees.Add();
  EXPECT_TRUE(t.trees.Bind(col::Stratum).Set(tr, " 1").ok());
  EXPECT_TRUE(t.trees.Bind(col::CutUnit).Set(tr, "  1").ok());
  EXPECT_TRUE(t.trees.Bind(col::Plot).Set(tr, "   1").ok());
  EXPECT_TRUE(t.trees.Bind(col::Tree).Set(tr, "  1").ok());
  EXPECT_TRUE(t.trees.Bind(col::CM).Set(tr, "C").ok());
  for (int i = 1; i <= 6; ++i) add_log("  1", std::to_string(i));
  add_log("  9", "1");  // no tree
  for (int i = 7; i <= 13; ++i) add_log("  1", std::to_string(i));  // same tree, not consecutive
  ASSERT_TRUE(WriteJob(dir_ / "l.job", t));
  auto lines = SplitLines(test::ReadFile(dir_ / "l.job"));
  ASSERT_EQ(lines.size(), 4u);  // 7A and three 7C lines of 5, 5 and 3 logs
  EXPECT_EQ(lines[1].size(), 69u);
  EXPECT_EQ(lines[3].size(), 49u);
  EXPECT_NE(report_.NotesText("l.job").find("LogTable row 7"), std::string::npos);
}

// Logs sorted by tree while the trees are not: each tree still gets its own
// logs, once, whatever the case of its key, and a repeated tree gets none.
TEST_F(ExportTest, SortedLogsFindTreesInAnyOrder) {
  CruiseFile file(dir_ / "s.crz");
  auto& t = file.tables();
  auto key = [&](storage::View& v, long r, std::string plot, std::string tree) {
    EXPECT_TRUE(v.Bind(col::Stratum).Set(r, " 1").ok());
    EXPECT_TRUE(v.Bind(col::CutUnit).Set(r, "  1").ok());
    EXPECT_TRUE(v.Bind(col::Plot).Set(r, plot).ok());
    EXPECT_TRUE(v.Bind(col::Tree).Set(r, tree).ok());
  };
  for (const char* tree : {"  3", "  1", " a2", "  1"}) {
    long r = t.trees.Add();
    key(t.trees, r, "   1", tree);
    EXPECT_TRUE(t.trees.Bind(col::CM).Set(r, "C").ok());
  }
  for (const auto& [tree, logs] : {std::pair{"  1", 2}, {"  3", 3}, {" A2", 1}})
    for (int i = 1; i <= logs; ++i) {
      long r = t.logs.Add();
      key(t.logs, r, "   1", tree);
      EXPECT_TRUE(t.logs.Bind(col::LogNum).Set(r, std::to_string(i)).ok());
    }
  ASSERT_TRUE(WriteJob(dir_ / "s.job", t));
  std::vector<std::string> order;  // tree of each line, and how many logs a 7C holds
  for (const std::string& line : SplitLines(test::ReadFile(dir_ / "s.job")))
    order.push_back(line.substr(0, 2) + line.substr(16, 3) +
                    (line.starts_with("7C") ? std::to_string((line.size() - 19) / 10) : ""));
  EXPECT_EQ(order, (std::vector<std::string>{"7A  3", "7C  33", "7A  1", "7C  12", "7A a2", "7C A21", "7A  1"}));
  EXPECT_EQ(report_.NotesText("s.job").find("no tree of TreeTable"), std::string::npos);
}

// ------------------------------------------------------------- refusals ---

TEST_F(ExportTest, ValuesThatDoNotFitAreRefusedAndNothingIsWritten) {
  CruiseFile file(dir_ / "r.crz");
  file.ImportJob(SampleJobFile());
  auto& t = file.tables();
  test::WriteFile(dir_ / "r.job", "OLD CONTENT\n");
  ASSERT_TRUE(t.trees.Bind(col::Sp).Set(1, "DOUGLASFIR").ok());
  ASSERT_TRUE(t.trees.Bind(col::TreeCnt).Set(1, 123456.0f).ok());
  ASSERT_TRUE(t.logs.Bind(col::LogNum).Set(2, "  ").ok());
  EXPECT_FALSE(WriteJob(dir_ / "r.job", t));
  EXPECT_EQ(test::ReadFile(dir_ / "r.job"), "OLD CONTENT\n");
  const std::string text = report_.RefusalText("r.job");
  EXPECT_NE(text.find("TreeTable row 2, Sp \"DOUGLASFIR\": does not fit in 6 columns"), std::string::npos) << text;
  EXPECT_NE(text.find("TreeTable row 2, TreeCnt \"123456\""), std::string::npos) << text;
  EXPECT_NE(text.find("LogTable row 3, LogNum"), std::string::npos) << text;
  EXPECT_EQ(text.find("Rename"), std::string::npos);
}

TEST_F(ExportTest, KeyValuesThatDoNotFitAreRefused) {
  CruiseFile file(dir_ / "k.crz");
  auto& t = file.tables();
  long r = t.volume.Add();
  EXPECT_TRUE(t.volume.Bind(col::VolEqNum).Set(r, "F00FW2W202X").ok());  // 11 characters
  r = t.weight.Add();
  ASSERT_TRUE(t.weight.Bind(col::WgtEqFactor).Set(r, 1.0e9f).ok());        // ten digits before any decimal
  ASSERT_TRUE(t.weight.Bind(col::WgtEqPercent).Set(r, 123456792.0f).ok());  // nine: would run into the factor
  EXPECT_FALSE(WriteKey(dir_ / "k.crz", t));
  EXPECT_FALSE(fs::exists(dir_ / "k.key"));
  const std::string text = report_.RefusalText("k.key");
  EXPECT_NE(text.find("VolumeEquationTable row 1, VolEqNum \"F00FW2W202X\""), std::string::npos) << text;
  EXPECT_NE(text.find("WgtEqFactor \"1000000000.0000\""), std::string::npos) << text;
  EXPECT_NE(text.find("WgtEqPercent \"123456792.0000\""), std::string::npos) << text;
}

// ------------------------------------------------------------- narrowing ---

// A number too wide for its columns at the format's decimals is written with
// as many decimals as fit, listed in a warning, and read back by our own
// import; only a whole part that cannot fit refuses the file.
TEST_F(ExportTest, WideNumbersAreWrittenWithFewerDecimalsAndListed) {
  CruiseFile file(dir_ / "w.crz");
  file.ImportJob({Line(kCruise1A, {{c1CruiseNo, "123"}}),
                  Line(kUnit2A, {{u2CutUnit, "1"}, {u2Area, "1000.25"}}),
                  Line(kUnit2A, {{u2CutUnit, "2"}, {u2Area, "12.5"}}),
                  Line(kStratum3A, {{s3Stratum, "1"}, {s3CruzMeth, "FIX"}, {s3BAF, "20"}}),
                  Line(kStratumUnit4A, {{su4Stratum, "1"}, {su4CutUnit, "1"}, {su4UnitAcres, "1000.2"}}),
                  Line(kStratumUnit4A, {{su4Stratum, "1"}, {su4CutUnit, "2"}, {su4UnitAcres, "12.5"}})});
  auto& t = file.tables();
  ASSERT_TRUE(t.units.Bind(col::Area).Set(1, 12345.678).ok());  // 2A: "12345.68" is 8 characters for 7 columns
  ASSERT_TRUE(t.strata.Bind(col::BAF).Set(0, 12345.67).ok());   // 3A: "12345.7" for 6 columns
  ASSERT_TRUE(WriteJob(dir_ / "w.job", t)) << report_.RefusalText("w.job");
  const std::vector<std::string> lines = SplitLines(test::ReadFile(dir_ / "w.job"));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1].substr(12, 7), "1000.25");
  EXPECT_EQ(lines[2].substr(12, 7), "12345.7");
  EXPECT_EQ(lines[3].substr(15, 6), " 12346");
  EXPECT_EQ(lines[4], "4A  123 1  11000.2");
  EXPECT_EQ(lines[5], "4A  123 1  2 12346");
  for (const std::string& line : lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);

  EXPECT_EQ(report_.note_count(), 4u);  // the two areas, the BAF and the 4A acres of unit 2
  const std::string text = report_.NotesText("w.job");
  EXPECT_NE(text.find("CuttingUnitTable row 2, Area \"12345.68\" is written as \"12345.7\""), std::string::npos)
      << text;
  EXPECT_NE(text.find("StratumTable row 1, BAF \"12345.7\" is written as \" 12346\""), std::string::npos) << text;
  EXPECT_NE(text.find("StratumTable row 1, UnitAcres \"1000.20\" is written as \"1000.2\""), std::string::npos)
      << text;

  // Our own import reads the narrowed file back, and its unit-acres check
  // finds every 4A record in agreement with its 2A record.
  CruiseFile again(dir_ / "again.crz");
  again.ImportJob(lines);
  EXPECT_EQ(again.tables().units.Bind(col::Area).Get(0), 1000.25);
  EXPECT_EQ(again.tables().units.Bind(col::Area).Get(1), 12345.7);
  EXPECT_EQ(again.tables().strata.Bind(col::BAF).Get(0), 12346.0);
  const double areas[] = {Atof(lines[1].substr(12, 7)), Atof(lines[2].substr(12, 7))};
  for (int unit = 0; unit < 2; ++unit) {
    EXPECT_TRUE(jobfile::UnitAcresAgree(areas[unit], Atof(lines[4 + unit].substr(12, 6)))) << unit;
    EXPECT_FALSE(jobfile::UnitAcresAgree(areas[unit], Atof(lines[4 + unit].substr(12, 6)) + 1.0)) << unit;
  }

  // A whole part that cannot fit still refuses the file.
  ASSERT_TRUE(t.strata.Bind(col::BAF).Set(0, 1234567.0).ok());
  EXPECT_FALSE(WriteJob(dir_ / "w.job", t));
  EXPECT_EQ(SplitLines(test::ReadFile(dir_ / "w.job")), lines);
  EXPECT_NE(report_.RefusalText("w.job").find("StratumTable row 1, BAF \"1234567.0\": does not fit in 6 columns"),
            std::string::npos)
      << report_.RefusalText("w.job");
}

// The acres rule shared by the export and the import's check: the 4A text
// is the 2A text narrowed by rounding; files of older writers, which cut the
// number, still agree.
TEST(UnitAcresTest, OneRuleForBothRecords) {
  EXPECT_EQ(jobfile::StratumUnitAcresText(12.5), " 12.50");
  EXPECT_EQ(jobfile::StratumUnitAcresText(1234.56), "1234.6");
  EXPECT_EQ(jobfile::StratumUnitAcresText(999.996), "1000.0");
  EXPECT_EQ(jobfile::StratumUnitAcresText(1000.3496), "1000.4");  // through the 2A text "1000.35"
  EXPECT_EQ(jobfile::StratumUnitAcresText(99999.4), " 99999");
  EXPECT_FALSE(jobfile::StratumUnitAcresText(1234567.0).has_value());
  EXPECT_TRUE(jobfile::UnitAcresAgree(1234.56, 1234.6));   // rounded, as we write it
  EXPECT_TRUE(jobfile::UnitAcresAgree(1234.56, 1234.5));   // cut, as older files read back
  EXPECT_FALSE(jobfile::UnitAcresAgree(1234.56, 1234.7));
  EXPECT_TRUE(jobfile::UnitAcresAgree(10.5, 10.5));
  EXPECT_FALSE(jobfile::UnitAcresAgree(10.5, 10.25));
  EXPECT_FALSE(jobfile::UnitAcresAgree(10.0, 0.0));
}

// The sample key file's weight percent 1234.5625 fills all nine columns at
// four decimals; written with three (rounded as printf rounds, the tie to
// even) it keeps the first column blank, so the factor and the percent read
// back as written.
TEST_F(ExportTest, KeyNumbersAreWrittenWithFewerDecimalsAndReadBack) {
  CruiseFile file(dir_ / "p.crz");
  file.ImportKey("06V\np.job\np.out\nDP1,\nVOLUME EQUATIONS\nVALUE EQUATIONS\nWEIGHT EQUATIONS\n"
                 "DF    01GENPP002   0.3500  45.0000L\nQUALITY ADJUSTMENTS\nEND\n");
  auto& t = file.tables();
  ASSERT_TRUE(t.weight.Bind(col::WgtEqFactor).Set(0, 12345.125f).ok());
  ASSERT_TRUE(t.weight.Bind(col::WgtEqPercent).Set(0, 1234.5625f).ok());
  t.cruise.Add();
  ASSERT_TRUE(WriteKey(dir_ / "p.crz", t)) << report_.RefusalText("p.key");
  const std::vector<std::string> lines = SplitLines(test::ReadFile(dir_ / "p.key"));
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[7], "DF    01GENPP00212345.125 1234.562L");
  EXPECT_EQ(report_.note_count(), 2u);
  const std::string text = report_.NotesText("p.key");
  EXPECT_NE(text.find("WeightEquationTable row 1, WgtEqFactor \"12345.1250\" is written as \"12345.125\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("WeightEquationTable row 1, WgtEqPercent \"1234.5625\" is written as \"1234.562\""),
            std::string::npos)
      << text;

  CruiseFile again(dir_ / "again.crz");
  again.ImportKey(test::ReadFile(dir_ / "p.key"));
  EXPECT_EQ(again.tables().weight.Bind(col::WgtEqFactor).Get(0), 12345.125f);
  EXPECT_EQ(again.tables().weight.Bind(col::WgtEqPercent).Get(0), 1234.562f);
  EXPECT_EQ(again.tables().weight.Bind(col::WgtEqLiveDead).Get(0), "L");
}

// Under a locale whose decimal separator is a comma nothing changes: both
// round trips give the same files and tables.
TEST_F(ExportTest, RoundTripsUnderADecimalCommaLocale) {
  test::ScopedDecimalCommaLocale locale;
  ASSERT_TRUE(locale.active());
  const std::vector<std::string> original = SampleJobFile();
  CruiseFile first(dir_ / "first.crz");
  first.ImportJob(original);
  EXPECT_EQ(first.tables().units.Bind(col::Area).Get(0), Atof(original[1].substr(12, 7)));
  ASSERT_TRUE(WriteJob(dir_ / "first.job", first.tables()));
  EXPECT_EQ(SplitLines(test::ReadFile(dir_ / "first.job")), original);

  const std::string key =
      "06V\nsale.job\nsale.out\nDP1,\nVOLUME EQUATIONS\nDF    01F00FW2W2021.00 4.0110 2.000  1.250 20 30\n"
      "VALUE EQUATIONS\nDF    01VLPP00051 1.00000 2.00000-3.50000 0.00000 0.00000 0.12345\n"
      "WEIGHT EQUATIONS\nDF    01GENPP002   0.3500  45.0000L\nQUALITY ADJUSTMENTS\nEND\n";
  CruiseFile keyed(dir_ / "sale.crz");
  keyed.ImportKey(key);
  EXPECT_EQ(keyed.tables().weight.Bind(col::WgtEqFactor).Get(0), 0.35f);
  keyed.tables().cruise.Add();
  ASSERT_TRUE(keyed.tables().cruise.Bind(col::CruiseType).Set(0, "V").ok());
  ASSERT_TRUE(WriteKey(dir_ / "sale.crz", keyed.tables()));
  EXPECT_EQ(test::ReadFile(dir_ / "sale.key"), key);
}

TEST_F(ExportTest, EmptyCruiseTableAndMissingTablesExportWithAMessage) {
  CruiseFile file(dir_ / "e.crz");
  cruisedb::CruiseTables bare = file.tables();
  bare.trees = View();  // a cruise file without TreeTable
  long r = bare.logs.Add();
  ASSERT_TRUE(bare.logs.Bind(col::LogNum).Set(r, "1").ok());
  EXPECT_TRUE(WriteJob(dir_ / "e.job", bare));
  const std::string text = report_.NotesText("e.job");
  EXPECT_NE(text.find("CruiseTable holds no rows"), std::string::npos) << text;
  EXPECT_NE(text.find("no TreeTable"), std::string::npos) << text;
  EXPECT_NE(text.find("LogTable row 1"), std::string::npos) << text;

  EXPECT_TRUE(WriteKey(dir_ / "e.crz", bare));
  EXPECT_EQ(SplitLines(test::ReadFile(dir_ / "e.key"))[0], "06");
}

TEST_F(ExportTest, FileNamesOfTheExport) {
  EXPECT_EQ(ReplaceExtension("C:\\data\\sale12.crz", ".key"), fs::path("C:\\data\\sale12.key"));
  EXPECT_EQ(BareFileName(ReplaceExtension("C:\\data\\sale12.crz", "").string()), "sale12");
  EXPECT_EQ(ReplaceExtension("/a.b/sale", ".V6.job"), fs::path("/a.b/sale.V6.job"));
}

}  // namespace
}  // namespace sw::legacy
