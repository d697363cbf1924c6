// Export of a cruise file of 200,000 trees with 3 logs each to a Version 7
// job file (MB/s of job text), and for comparison the plain read of the same
// rows through bound columns of the storage engine.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cruisedb/columns.h"
#include "cruisedb/cruise_tables.h"
#include "cruisedb/dictionary.h"
#include "legacy/jobfile/job_writer.h"
#include "storage/storage.h"
#include "support/temp_dir.h"

// A benchmark stops at the first failed storage call.
static void Must(const sw::storage::Status& status) {
  if (!status.ok()) std::abort();
}

namespace {

namespace col = sw::cruisedb::col;
constexpr std::size_t kTrees = 200000;
constexpr std::size_t kLogsPerTree = 3;

struct Fixture {
  sw::test::TempDir dir;
  std::optional<sw::storage::Storage> storage;
  sw::cruisedb::CruiseTables tables;

  Fixture() {
    storage.emplace(std::move(sw::storage::Storage::Open(dir / "big.crz", sw::storage::Storage::Mode::ReadWrite).value()));
    sw::cruisedb::CreateCruiseSchema(*storage, sw::test::BuiltBaseDictionary(), sw::cruisedb::Version7ExportTables());
    tables = sw::cruisedb::OpenCruiseTables(*storage, sw::cruisedb::Version7ExportTables()).value();
    tables.cruise.Add();
    Must(tables.cruise.Bind(col::CruiseNo).Set(0, "  123"));
    auto& t = tables.trees;
    auto& l = tables.logs;
    Must(t.SetSize(kTrees));
    Must(l.SetSize(kTrees * kLogsPerTree));
    auto st = t.Bind(col::Stratum), cu = t.Bind(col::CutUnit), pl = t.Bind(col::Plot), tr = t.Bind(col::Tree),
         sp = t.Bind(col::Sp), cm = t.Bind(col::CM);
    auto dbh = t.Bind(col::DBH), cnt = t.Bind(col::TreeCnt);
    auto kpi = t.Bind(col::KPI);
    auto lst = l.Bind(col::Stratum), lcu = l.Bind(col::CutUnit), lpl = l.Bind(col::Plot), ltr = l.Bind(col::Tree),
         num = l.Bind(col::LogNum), grade = l.Bind(col::Grade);
    auto fbs = l.Bind(col::FBSFlag);
    auto seen = l.Bind(col::PctSeenDef);
    for (std::size_t r = 0; r < kTrees; ++r) {
      std::string plot = std::to_string(r / 1000 % 10000), tree = std::to_string(r % 1000);
      Must(st.Set(r, " 1"));
      Must(cu.Set(r, "  1"));
      Must(pl.Set(r, plot));
      Must(tr.Set(r, tree));
      Must(sp.Set(r, "DF"));
      Must(cm.Set(r, "M"));
      Must(dbh.Set(r, 12.5f + static_cast<float>(r % 30)));
      Must(cnt.Set(r, 1.0f));
      Must(kpi.Set(r, static_cast<long>(r % 200)));
      for (std::size_t k = 0; k < kLogsPerTree; ++k) {
        std::size_t row = r * kLogsPerTree + k;
        Must(lst.Set(row, " 1"));
        Must(lcu.Set(row, "  1"));
        Must(lpl.Set(row, plot));
        Must(ltr.Set(row, tree));
        Must(num.Set(row, std::to_string(k + 1)));
        Must(grade.Set(row, "2"));
        Must(fbs.Set(row, 0));
        Must(seen.Set(row, 5.0f));
      }
    }
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_WriteJobFile(benchmark::State& state) {
  Fixture& f = Shared();
  std::int64_t bytes = 0;
  for (auto _ : state) {
    sw::legacy::ExportReport report;
    std::ostringstream out(sw::legacy::jobfile::JobFileBuffer(f.tables));  // as the export makes it
    if (!sw::legacy::jobfile::WriteJobFile(f.tables, report, out)) {
      state.SkipWithError("not written");
      break;
    }
    bytes += static_cast<std::int64_t>(out.view().size());
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_WriteJobFile)->Unit(benchmark::kMillisecond);

// Every column the writer reads of TreeTable and LogTable.
const std::vector<const sw::storage::StringColumn*> kTreeTexts{
    &col::Stratum, &col::CutUnit, &col::Plot,     &col::Tree,      &col::Sp,       &col::ProdP,
    &col::ProdS,   &col::SG,      &col::CL,       &col::CM,        &col::UOMP,     &col::ThreePcode,
    &col::Initials, &col::YC,     &col::LD,       &col::ContrSpec, &col::TreeGrade, &col::Clear,
    &col::CR,      &col::MrchHtT, &col::DefectCode, &col::Remarks};
const std::vector<const sw::storage::FloatColumn*> kTreeNumbers{
    &col::TreeCnt, &col::CDefP,  &col::HDefP,    &col::SDefP,  &col::RecDefP, &col::CDefS,   &col::HDefS,   &col::SDefS,
    &col::SlopePct, &col::HgtFLL, &col::DBH,     &col::DRCOB,  &col::TotHt,   &col::MrchHtP, &col::MrchHtS,
    &col::UStemDOB, &col::HgtUStem, &col::DBHBTR, &col::DBHDBT, &col::TopDIBP, &col::TopDIBS, &col::DiamDefPt,
    &col::VoidPct};
const std::vector<const sw::storage::IntColumn*> kTreeInts{&col::PoleLen, &col::MrchHtLL, &col::RefHtPct, &col::FC,
                                                          &col::Ht2Def};
const std::vector<const sw::storage::LongColumn*> kTreeLongs{&col::KPI};
const std::vector<const sw::storage::DoubleColumn*> kTreeDoubles{&col::AvgZForm};
const std::vector<const sw::storage::StringColumn*> kLogTexts{&col::Stratum, &col::CutUnit, &col::Plot, &col::Tree,
                                                              &col::LogNum,  &col::Grade,   &col::Sort};
const std::vector<const sw::storage::FloatColumn*> kLogNumbers{&col::PctSeenDef, &col::PctRecChip, &col::SEDi,
                                                               &col::LEDi};
const std::vector<const sw::storage::IntColumn*> kLogInts{&col::Length};
const std::vector<const sw::storage::DoubleColumn*> kLogDoubles{&col::GBDFT, &col::GCUFT, &col::NBDFT, &col::NCUFT};

// The rows the writer reads, read through bound columns and nothing more:
// texts as copies (Get) or in place (Peek, as the writer reads them).
template <bool kInPlace>
std::size_t ReadRows(const sw::cruisedb::CruiseTables& tables) {
  std::size_t sum = 0;
  std::string scratch;
  auto texts = [&](const sw::storage::View& v, const auto& columns) {
    for (const auto* column : columns) {
      auto b = v.Bind(*column);
      for (std::size_t r = 0; r < v.Size(); ++r) {
        if constexpr (kInPlace)
          sum += b.Peek(r, scratch).size();
        else
          sum += b.Get(r).size();
      }
    }
  };
  auto numbers = [&](const sw::storage::View& v, const auto& columns) {
    for (const auto* column : columns) {
      auto b = v.Bind(*column);
      for (std::size_t r = 0; r < v.Size(); ++r) sum += static_cast<std::size_t>(b.Get(r));
    }
  };
  texts(tables.trees, kTreeTexts);
  numbers(tables.trees, kTreeNumbers);
  numbers(tables.trees, kTreeInts);
  numbers(tables.trees, kTreeLongs);
  numbers(tables.trees, kTreeDoubles);
  texts(tables.logs, kLogTexts);
  numbers(tables.logs, kLogNumbers);
  numbers(tables.logs, kLogInts);
  numbers(tables.logs, kLogDoubles);
  return sum;
}

void BM_ReadRows(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(ReadRows<false>(f.tables));
}
BENCHMARK(BM_ReadRows)->Unit(benchmark::kMillisecond);

void BM_ReadRowsInPlace(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(ReadRows<true>(f.tables));
}
BENCHMARK(BM_ReadRowsInPlace)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
