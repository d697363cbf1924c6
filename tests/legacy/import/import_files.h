// Key and job files for the import tests and benchmark: a Version 7 or
// Version 6 cruise of a given number of trees, written with the job record
// layouts, and a runner that drives the Create command over a key file.
#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"

namespace sw::test {

inline std::string KeyFileText(const std::string& line1, const std::string& job_name) {
  const std::string stem = job_name.substr(0, job_name.rfind('.'));
  return line1 + "\n" + job_name + "\n" + stem + ".out\n" +
         "R001,R002,R003,\n"
         "VOLUME EQUATIONS\n"
         "015   01616BEHW0001.00 6.0110 0.000  0.000  0  0\n"
         "VALUE EQUATIONS\n"
         "015   01VLPP0605  1.00000 0.00000 0.00000 0.00000 0.00000 0.00000\n"
         "WEIGHT EQUATIONS\n"
         "QUALITY ADJUSTMENTS\n"
         "015   QUAL0601  2010         1.0000  1.0000  1.0000  1.0000  1.0000  1.0000\n"
         "END\n";
}

struct TreeKey {
  int stratum;
  int plot;
  int tree;
};

// `trees` trees in strata 1-3 of unit 1 (acres 10 each), sorted by stratum,
// plot and tree, or shuffled; each tree a 7A, 7B and 7C record with
// `logs` logs. Every line ends in a line feed.
inline std::vector<std::string> Version7JobLines(int trees, int logs, bool shuffled, double unit_area = 30) {
  using namespace legacy::jobfile;
  using namespace legacy::jobfile::layouts;
  std::vector<std::string> lines;
  lines.push_back("1A  123  1234506 1 12009ESALE NAME                purpose   ");
  JobRecord unit(kUnit2A);
  unit.SetText(kCruiseNo, "123");
  unit.SetText(u2CutUnit, "1");
  unit.SetReal(u2Area, unit_area);
  unit.SetText(u2Description, "UNIT ONE");
  lines.push_back(unit.Format());
  for (int s = 1; s <= 3; ++s) {
    JobRecord stratum(kStratum3A);
    stratum.SetText(kCruiseNo, "123");
    stratum.SetText(s3Stratum, std::to_string(s));
    stratum.SetText(s3CruzMeth, "STR");
    lines.push_back(stratum.Format());
    JobRecord su(kStratumUnit4A);
    su.SetText(kCruiseNo, "123");
    su.SetText(su4Stratum, std::to_string(s));
    su.SetText(su4CutUnit, "1");
    su.SetReal(su4UnitAcres, unit_area);
    lines.push_back(su.Format());
  }
  std::vector<TreeKey> keys;
  for (int i = 0; i < trees; ++i) keys.push_back({1 + i % 3, 1 + (i / 3) % 999, 1 + i / 2997});
  std::sort(keys.begin(), keys.end(), [](const TreeKey& a, const TreeKey& b) {
    return std::tie(a.stratum, a.plot, a.tree) < std::tie(b.stratum, b.plot, b.tree);
  });
  if (shuffled) std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
  const char* species[] = {"DF", "WH", "RC"};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const TreeKey& k = keys[i];
    auto key = [&](JobRecord& r) {
      r.SetText(kCruiseNo, "123");
      r.SetText(kStratum, std::to_string(k.stratum));
      r.SetText(kCutUnit, "1");
      r.SetText(kPlot, std::to_string(k.plot));
      r.SetText(kTree, std::to_string(k.tree));
    };
    JobRecord a(kTree7A);
    key(a);
    a.SetText(t7aSp, species[i % 3]);
    a.SetText(t7aSG, "1");
    a.SetText(t7aCM, "m");
    a.SetText(t7aProdP, "01");
    a.SetText(t7aProdS, "08");
    a.SetText(t7aYC, "a");
    a.SetReal(t7aTreeCnt, 1);
    a.SetWhole(t7aKPI, static_cast<std::int64_t>(i % 500));
    lines.push_back(a.Format());
    JobRecord b(kTree7B);
    key(b);
    b.SetReal(t7bDBH, 10 + static_cast<double>(i % 30));
    b.SetReal(t7bTotHt, 80 + static_cast<double>(i % 90));
    lines.push_back(b.Format());
    if (logs > 0) {
      JobRecord c(kLog7C);
      key(c);
      for (int l = 1; l <= logs; ++l) {
        auto g = static_cast<std::size_t>(c.AddGroup());
        c.SetGroupText(g, l7cLogNum, std::to_string(l));
        c.SetGroupText(g, l7cGrade, "2");
        c.SetGroupReal(g, l7cPctSeenDef, l * 5);
      }
      lines.push_back(c.Format());
    }
  }
  return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// A Version 6 job file: cruise, unit, stratum, stratum-unit and tree records.
inline std::vector<std::string> Version6JobLines(int trees) {
  using namespace legacy::jobfile;
  using namespace legacy::jobfile::layouts;
  std::vector<std::string> lines;
  JobRecord cruise(kCruise6);
  cruise.SetText(c6SaleNo, "12");
  cruise.SetText(c6Forest, "01");
  cruise.SetText(c6District, "02");
  cruise.SetText(c6Year, "98");
  cruise.SetText(c6SaleName, "SALE SIX");
  lines.push_back(cruise.Format());
  JobRecord unit(kUnit6);
  unit.SetText(kCode, "2A");
  unit.SetText(u6CutUnit, "1");
  unit.SetText(u6Area, "12.5");
  lines.push_back(unit.Format());
  JobRecord stratum(kStratum6);
  stratum.SetText(s6Stratum, "1");
  stratum.SetText(s6CruzMeth, "STR");
  lines.push_back(stratum.Format());
  JobRecord stratum_unit(kStratumUnit4A);
  stratum_unit.SetText(su4Stratum, "1");
  stratum_unit.SetText(su4CutUnit, "1");
  stratum_unit.SetReal(su4UnitAcres, 12.5);
  lines.push_back(stratum_unit.Format());
  for (int i = trees; i >= 1; --i) {  // in reverse order, to be sorted
    JobRecord tree(kTree6);
    tree.SetText(kCode, "6A");
    tree.SetText(kStratum, "1");
    tree.SetText(kCutUnit, "1");
    tree.SetText(kPlot, "1");
    tree.SetText(kTree, std::to_string(i));
    tree.SetText(t6Kind, "M");
    tree.SetText(t6Sp, "DF");
    tree.SetText(t6DBH, "12.0");
    tree.SetText(t6TreeCnt, "1");
    lines.push_back(tree.Format());
  }
  return lines;
}

}  // namespace sw::test
