// The sample cruises in examples/: a small Version 7 pair (sale7.key,
// sale7.job) and a Version 6 pair (sale6.key, sale6.job) with values of the
// kind a field crew records. Written with the same record layouts and key
// record writers as the program, so they always match the formats; the
// examples test checks that the files in examples/ are these texts.
#pragma once

#include <string>
#include <vector>

#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/keyfile/key_records.h"
#include "legacy/keyfile/report_codes.h"

namespace sw::test {

struct ExampleFile {
  std::string name;
  std::string text;
};

namespace example_detail {

using namespace legacy::jobfile;
using namespace legacy::jobfile::layouts;

inline void Key(JobRecord& r, const std::string& stratum, const std::string& unit, const std::string& plot,
                const std::string& tree) {
  r.SetText(kCruiseNo, "4711");
  r.SetText(kStratum, stratum);
  r.SetText(kCutUnit, unit);
  r.SetText(kPlot, plot);
  r.SetText(kTree, tree);
}

struct ExampleTree {
  const char* stratum;
  const char* unit;
  const char* plot;
  const char* tree;
  const char* species;
  double dbh;
  double height;
  const char* grades;  // one grade per 16-foot log
  const char* remarks = "";
};

// Douglas-fir (202), western hemlock (263) and western redcedar (242).
inline const std::vector<ExampleTree>& Trees() {
  static const std::vector<ExampleTree> trees{
      {"1", "1", "1", "1", "202", 24.3, 142, "223"}, {"1", "1", "1", "2", "202", 18.7, 121, "23"},
      {"1", "1", "1", "3", "263", 15.2, 104, "34"},  {"1", "1", "2", "1", "202", 31.6, 165, "1223", "FORKED AT 60 FT"},
      {"1", "1", "2", "2", "242", 21.9, 98, "33"},    {"1", "2", "3", "1", "202", 27.4, 151, "123"},
      {"1", "2", "3", "2", "263", 12.8, 87, "4"},    {"2", "2", "1", "1", "242", 16.5, 79, "34"},
  };
  return trees;
}

}  // namespace example_detail

inline std::string ExampleVersion7KeyFile() {
  using namespace legacy::keyfile;
  std::string text = "06V\nsale7.job\nsale7.out\n";
  text += FormatReportLines({"A01", "A02", "A05", "B01", "L1", "TC1", "UC1"});
  text += "VOLUME EQUATIONS\n";
  for (const char* sp : {"202", "242", "263"}) {
    VolumeEquation v;
    v.species = sp;
    v.product = "01";
    v.number = std::string("616BEHW") + sp;
    v.stump = 1.0;
    v.top_dib_primary = 6.0;
    v.flags = "01110";
    text += FormatVolumeRecord(v);
  }
  text += "VALUE EQUATIONS\n";
  ValueEquation value{"202", "01", "VLPP0601", "1", {12.5, 0.85, 0, 0, 0, 0}, "06"};
  text += FormatValueRecord(value);
  text += "WEIGHT EQUATIONS\n";
  WeightEquation weight{"202", "01", "GENPP002", "L", 61.5, 100.0};
  text += FormatWeightRecord(weight);
  text += "QUALITY ADJUSTMENTS\n";
  QualityEquation quality{"202", "QUAL0601", 2009, "1", {1.0, 0.95, 0, 0, 0, 0}};
  text += FormatQualityRecord(quality);
  text += "END\n";
  return text;
}

inline std::string ExampleVersion7JobFile() {
  using namespace example_detail;
  std::vector<std::string> lines;
  JobRecord cruise(kCruise1A);
  for (auto [field, text] : {std::pair{c1CruiseNo, "4711"}, {c1SaleNo, "12345"}, {c1Region, "06"},
                             {c1Forest, "12"}, {c1District, "03"}, {c1CalYear, "2009"}, {c1MeasSys, "E"},
                             {c1SaleName, "CEDAR CREEK THINNING"}, {c1Purpose, "TIMBER"}})
    cruise.SetText(field, text);
  lines.push_back(cruise.Format());
  for (auto [unit, area, description] :
       {std::tuple{"1", 42.5, "NORTH SLOPE"}, {"2", 18.25, "CREEK BOTTOM"}}) {
    JobRecord r(kUnit2A);
    r.SetText(u2CruiseNo, "4711");
    r.SetText(u2CutUnit, unit);
    r.SetReal(u2Area, area);
    r.SetText(u2Description, description);
    r.SetText(u2LogMeth, "C");
    r.SetText(u2PayUnit, "1");
    lines.push_back(r.Format());
  }
  for (auto [stratum, method, baf, fpsize, description] :
       {std::tuple{"1", "PCM", 20.0, 0.0, "DOUGLAS-FIR SAWTIMBER"}, {"2", "FIX", 0.0, 100.0, "CEDAR RIPARIAN"}}) {
    JobRecord r(kStratum3A);
    r.SetText(s3CruiseNo, "4711");
    r.SetText(s3Stratum, stratum);
    r.SetText(s3CruzMeth, method);
    r.SetReal(s3BAF, baf);
    r.SetReal(s3FPSize, fpsize);
    r.SetText(s3Description, description);
    r.SetWhole(s3Month, 6);
    r.SetWhole(s3Year, 2009);
    lines.push_back(r.Format());
  }
  for (auto [stratum, unit, acres] : {std::tuple{"1", "1", 42.5}, {"1", "2", 18.25}, {"2", "2", 18.25}}) {
    JobRecord r(kStratumUnit4A);
    r.SetText(su4CruiseNo, "4711");
    r.SetText(su4Stratum, stratum);
    r.SetText(su4CutUnit, unit);
    r.SetReal(su4UnitAcres, acres);
    lines.push_back(r.Format());
  }
  for (const ExampleTree& t : Trees()) {
    JobRecord a(kTree7A);
    Key(a, t.stratum, t.unit, t.plot, t.tree);
    a.SetText(t7aSp, t.species);
    a.SetText(t7aProdP, "01");
    a.SetText(t7aProdS, "02");
    a.SetText(t7aSG, "1");
    a.SetText(t7aCL, "C");
    a.SetText(t7aCM, "M");
    a.SetReal(t7aTreeCnt, 1);
    a.SetText(t7aUOMP, "03");
    a.SetText(t7aInitials, "JKL");
    a.SetText(t7aLD, "L");
    lines.push_back(a.Format());
    JobRecord b(kTree7B);
    Key(b, t.stratum, t.unit, t.plot, t.tree);
    b.SetReal(t7bDBH, t.dbh);
    b.SetReal(t7bTotHt, t.height);
    b.SetWhole(t7bFC, 78);
    b.SetReal(t7bTopDIBP, 6);
    lines.push_back(b.Format());
    JobRecord c(kLog7C);
    Key(c, t.stratum, t.unit, t.plot, t.tree);
    int log = 0;
    for (const char* g = t.grades; *g != '\0'; ++g) {
      auto group = static_cast<std::size_t>(c.AddGroup());
      c.SetGroupText(group, l7cLogNum, std::to_string(++log));
      c.SetGroupText(group, l7cGrade, std::string(1, *g));
      c.SetGroupReal(group, l7cPctSeenDef, log == 1 ? 5 : 0);
    }
    lines.push_back(c.Format());
    if (t.remarks[0] != '\0') {
      JobRecord e(kRemarks7E);
      Key(e, t.stratum, t.unit, t.plot, t.tree);
      e.SetText(r7eRemarks, t.remarks);
      lines.push_back(e.Format());
    }
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

inline std::string ExampleVersion6KeyFile() {
  return "06\n"
         "sale6.job\n"
         "sale6.out\n"
         "C1,D1,H1,R12,S2\n"
         "VOLUME EQUATIONS\n"
         "DF/01/201,6.0/201,6.0/201,6.0\n"
         "WH/01/213,6.0/213,6.0/213,6.0\n"
         "VALUE EQUATIONS\n"
         "DF/01/1/601 12.5 0.85 0 0 0 0\n"
         "WEIGHT EQUATIONS\n"
         + legacy::keyfile::FormatWeightRecord({"DF", "01", "GENPP002", "L", 61.5, 100.0}) +
         "QUALITY ADJUSTMENTS\n"
         "DF/601 98 1 1.0 0.95 0 0 0 0\n"
         "END\n";
}

inline std::string ExampleVersion6JobFile() {
  using namespace example_detail;
  std::vector<std::string> lines;
  JobRecord cruise(kCruise6);
  cruise.SetText(c6SaleNo, "2290");
  cruise.SetText(c6Forest, "12");
  cruise.SetText(c6District, "03");
  cruise.SetText(c6Year, "98");
  cruise.SetText(c6SaleName, "MILL POND SALVAGE");
  lines.push_back(cruise.Format());
  JobRecord unit(kUnit6);
  unit.SetText(kCode, "2A");
  unit.SetText(u6CutUnit, "1");
  unit.SetText(u6Area, "27.5");
  unit.SetText(u6LogMeth, "C");
  unit.SetText(u6Description, "POND RIDGE");
  lines.push_back(unit.Format());
  JobRecord stratum(kStratum6);
  stratum.SetText(s6Stratum, "1");
  stratum.SetText(s6CruzMeth, "PCM");
  stratum.SetText(s6BAF, "20");
  stratum.SetText(s6Description, "MIXED CONIFER");
  stratum.SetText(s6Month, "9");
  stratum.SetText(s6Year, "98");
  lines.push_back(stratum.Format());
  JobRecord stratum_unit(kStratumUnit4A);
  stratum_unit.SetText(su4Stratum, "1");
  stratum_unit.SetText(su4CutUnit, "1");
  stratum_unit.SetReal(su4UnitAcres, 27.5);
  lines.push_back(stratum_unit.Format());
  struct Tree6 {
    const char* plot;
    const char* tree;
    const char* species;
    const char* dbh;
    const char* height;
  };
  for (const Tree6& t : {Tree6{"1", "1", "DF", "22.4", "131"}, {"1", "2", "DF", "17.9", "118"},
                         {"1", "3", "WH", "14.1", "96"}, {"2", "1", "DF", "28.8", "152"},
                         {"2", "2", "WH", "11.6", "83"}}) {
    JobRecord tree(kTree6);
    tree.SetText(kCode, "6A");
    tree.SetText(kStratum, "1");
    tree.SetText(kCutUnit, "1");
    tree.SetText(kPlot, t.plot);
    tree.SetText(kTree, t.tree);
    tree.SetText(t6Kind, "N");
    tree.SetText(t6Sp, t.species);
    tree.SetText(t6DBH, t.dbh);
    tree.SetText(t6TreeCnt, "1");
    tree.SetText(t6Height1, t.height);
    tree.SetText(t6ProdP, "01");
    tree.SetText(t6UOMP, "3");
    tree.SetText(t6LD, "L");
    tree.SetText(t6CL, "N");
    tree.SetText(t6SG, "1");
    tree.SetText(t6Initials, "RB");
    lines.push_back(tree.Format());
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

inline std::vector<ExampleFile> ExampleFiles() {
  return {{"sale7.key", ExampleVersion7KeyFile()},
          {"sale7.job", ExampleVersion7JobFile()},
          {"sale6.key", ExampleVersion6KeyFile()},
          {"sale6.job", ExampleVersion6JobFile()}};
}

}  // namespace sw::test
