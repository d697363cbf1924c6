// Job file import speed: about 200,000 trees (7A, 7B and a 7C with three
// logs each) read through the record readers into a cruise file and
// committed; reports records per second and the process's peak memory.
// A second benchmark times the pure text parse and format of a 7A record.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cruisedb/columns.h"
#include "legacy/jobfile/job_layouts.h"
#include "legacy/jobfile/job_record.h"
#include "legacy/jobfile/job_record_readers.h"
#include "storage/storage.h"

// A benchmark stops at the first failed storage call.
static void Must(const sw::storage::Status& status) {
  if (!status.ok()) std::abort();
}

namespace {

using namespace sw::legacy::jobfile;
using namespace sw::legacy::jobfile::layouts;
namespace storage = sw::storage;

std::string Description(std::string_view table) {
  for (const auto& t : sw::cruisedb::Vocabulary()) {
    if (t.table != table) continue;
    std::string d = std::string(table) + "[";
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
      if (i > 0) d += ",";
      d += std::string(t.columns[i].name) + ":" + static_cast<char>(t.columns[i].type);
    }
    return d + "]";
  }
  return std::string(table) + "[]";
}

std::vector<std::string> MakeJobFile(int trees) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(trees) * 3 + 64);
  lines.push_back("1A  123  12345 6 1 12009ESALE NAME                PURPOSE");
  JobRecord unit(kUnit2A);
  unit.SetText(u2CutUnit, "1");
  unit.SetReal(u2Area, 100);
  lines.push_back(unit.Format());
  for (int s = 1; s <= 9; ++s) {
    JobRecord stratum(kStratum3A);
    stratum.SetText(s3Stratum, std::to_string(s));
    stratum.SetText(s3CruzMeth, s % 2 ? "STR" : "PNT");
    lines.push_back(stratum.Format());
    JobRecord su(kStratumUnit4A);
    su.SetText(su4Stratum, std::to_string(s));
    su.SetText(su4CutUnit, "1");
    su.SetReal(su4UnitAcres, 10);
    lines.push_back(su.Format());
  }
  const char* species[] = {"DF", "WH", "RC", "PP", "LP"};
  for (int i = 0; i < trees; ++i) {
    std::string stratum = std::to_string(1 + i % 9);
    std::string plot = std::to_string(1 + (i / 9) % 9999);
    std::string tree = std::to_string(1 + (i / (9 * 9999)) % 999);
    auto key = [&](JobRecord& r) {
      r.SetText(kStratum, stratum);
      r.SetText(kCutUnit, "1");
      r.SetText(kPlot, plot);
      r.SetText(kTree, tree);
    };
    JobRecord a(kTree7A);
    key(a);
    a.SetText(t7aSp, species[i % 5]);
    a.SetText(t7aSG, std::to_string(i % 3));
    a.SetText(t7aCM, "M");
    a.SetText(t7aProdP, "01");
    a.SetReal(t7aTreeCnt, 1);
    a.SetWhole(t7aKPI, i % 500);
    lines.push_back(a.Format());
    JobRecord b(kTree7B);
    key(b);
    b.SetReal(t7bDBH, 10 + i % 30);
    b.SetReal(t7bTotHt, 80 + i % 90);
    lines.push_back(b.Format());
    JobRecord c(kLog7C);
    key(c);
    for (int l = 1; l <= 3; ++l) {
      auto g = static_cast<std::size_t>(c.AddGroup());
      c.SetGroupText(g, l7cLogNum, std::to_string(l));
      c.SetGroupText(g, l7cGrade, "2");
      c.SetGroupReal(g, l7cPctSeenDef, l * 5);
    }
    lines.push_back(c.Format());
  }
  return lines;
}

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_ReadJobFileIntoCruiseFile(benchmark::State& state) {
  const int trees = static_cast<int>(state.range(0));
  std::vector<std::string> lines = MakeJobFile(trees);
  std::filesystem::path path = std::filesystem::temp_directory_path() / "sw_jobfile_bench.crz";
  std::size_t records = 0;
  for (auto _ : state) {
    std::filesystem::remove(path);
    auto opened = storage::Storage::Open(path, storage::Storage::Mode::ReadWrite);
    if (!opened.ok()) {
      state.SkipWithError(opened.status().message().c_str());
      return;
    }
    storage::Storage file = std::move(opened.value());
    namespace table = sw::cruisedb::table;
    JobTables t{file.GetAs(Description(table::CruiseTable)).value(),
                file.GetAs(Description(table::CuttingUnitTable)).value(),
                file.GetAs(Description(table::StratumTable)).value(),
                file.GetAs(Description(table::CountTable)).value(),
                file.GetAs(Description(table::PlotTable)).value(),
                file.GetAs(Description(table::TreeTable)).value(),
                file.GetAs(Description(table::SubPopulationTable)).value(),
                file.GetAs(Description(table::LogTable)).value(),
                file.GetAs("StrataUnitList[StrataUnit:S,UnitStrata:S,UnitAcres:D]").value(),
                file.GetAs("TreeIndex[TreeID:S]").value()};
    JobRecordReaders readers(t, JobFileContext{7, "06", "V"});
    std::size_t n = 0;
    for (const std::string& line : lines) readers.ReadRecord(line, ++n);
    Must(readers.Finish());
    if (!file.Commit().ok()) state.SkipWithError("commit failed");
    records += lines.size();
    benchmark::DoNotOptimize(t.trees.Size());
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(static_cast<std::int64_t>(records));
  state.counters["records"] = static_cast<double>(lines.size());
  state.counters["peak_rss_MiB"] = static_cast<double>(PeakResidentKiB()) / 1024.0;
}
BENCHMARK(BM_ReadJobFileIntoCruiseFile)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ParseAndFormatTreeRecord(benchmark::State& state) {
  std::vector<std::string> lines = MakeJobFile(1);
  const std::string& line = lines[lines.size() - 3];
  JobRecord record;
  for (auto _ : state) {
    record.Parse(kTree7A, line);
    std::string out = record.Format();
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndFormatTreeRecord);

}  // namespace

BENCHMARK_MAIN();
