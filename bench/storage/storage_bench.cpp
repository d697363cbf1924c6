// Storage engine benchmark: a cruise-shaped storage (TreeTable with 60
// columns, LogTable with 27) filled one row at a time through bound column
// handles and committed, then reopened and read field by field. Reports the
// file size and the process's peak resident memory as counters.
// Run one size per process for a meaningful peak memory figure, e.g.
//   storage_bench --benchmark_filter='/200000/600000'
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/storage.h"

namespace {

using namespace sw::storage;

const char* const kTreeTable =
    "TreeTable[Stratum:S,CutUnit:S,Plot:S,SG:S,Tree:S,Sp:S,STM:S,SlopePct:F,ProdP:S,ProdS:S,CL:S,CM:S,TreeCnt:F,"
    "UOMP:S,UOMS:S,KPI:L,3Pcode:S,CDefP:F,HDefP:F,SDefP:F,CDefS:F,HDefS:F,SDefS:F,RecDefP:F,Initials:S,YC:S,"
    "ContrSpec:S,LD:S,TreeGrade:S,HgtFLL:F,PoleLen:I,Clear:S,CR:S,DBH:F,DRCOB:F,TotHt:F,MrchHtT:S,MrchHtLL:I,"
    "MrchHtP:F,MrchHtS:F,RefHtPct:I,FC:I,AvgZForm:D,UStemDOB:F,HgtUStem:F,DBHBTR:F,DBHDBT:F,TopDIBP:F,TopDIBS:F,"
    "DefectCode:S,Ht2Def:I,DiamDefPt:F,VoidPct:F,Remarks:S,Error:I,LogRecs:I,XCoord:S,YCoord:S,ZCoord:S,MetaData:S]";
const char* const kLogTable =
    "LogTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,FBSFlag:I,LogNum:S,Grade:S,PctSeenDef:F,PctRecChip:F,SErD:I,LErD:I,"
    "SEDo:F,LEDo:F,SEDi:F,LEDi:F,DBT:F,Length:I,GBDFT:D,GCUFT:D,NBDFT:D,NCUFT:D,BDFTRem:D,CUFTRem:D,Value:F,"
    "DIBCls:I,Sort:S,Error:I]";

struct Rng {
  std::uint64_t s = 88172645463325252ull;
  std::uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<std::uint32_t>(s);
  }
};

// Bound handles of every column of a view, by type.
struct Handles {
  std::vector<BoundString> s;
  std::vector<BoundInt> i;
  std::vector<BoundLong> l;
  std::vector<BoundFloat> f;
  std::vector<BoundDouble> d;
  explicit Handles(const View& v) {
    for (std::size_t c = 0; c < v.ColumnCount(); ++c) {
      const ColumnInfo info = v.ColumnAt(c);
      switch (info.type) {
        case Type::String: s.push_back(v.Bind(StringColumn(info.name))); break;
        case Type::Int: i.push_back(v.Bind(IntColumn(info.name))); break;
        case Type::Long: l.push_back(v.Bind(LongColumn(info.name))); break;
        case Type::Float: f.push_back(v.Bind(FloatColumn(info.name))); break;
        case Type::Double: d.push_back(v.Bind(DoubleColumn(info.name))); break;
        default: break;
      }
    }
  }
};

void Fill(View v, std::size_t rows, Rng& rng) {
  Handles h(v);
  std::string text;
  for (std::size_t r = 0; r < rows; ++r) {
    const auto row = static_cast<std::size_t>(v.Add());
    for (auto& b : h.s) {
      text = std::to_string(rng.Next() % 1000);
      (void)b.Set(row, text);
    }
    for (auto& b : h.i) (void)b.Set(row, static_cast<std::int32_t>(rng.Next() % 500));
    for (auto& b : h.l) (void)b.Set(row, static_cast<std::int64_t>(rng.Next() % 100000));
    for (auto& b : h.f) (void)b.Set(row, static_cast<float>(rng.Next() % 10000) / 10.0f);
    for (auto& b : h.d) (void)b.Set(row, static_cast<double>(rng.Next() % 100000) / 100.0);
  }
}

double ReadAll(View v) {
  Handles h(v);
  double sum = 0;
  for (std::size_t r = 0; r < v.Size(); ++r) {
    for (auto& b : h.s) sum += static_cast<double>(b.Get(r).size());
    for (auto& b : h.i) sum += b.Get(r);
    for (auto& b : h.l) sum += static_cast<double>(b.Get(r));
    for (auto& b : h.f) sum += b.Get(r);
    for (auto& b : h.d) sum += b.Get(r);
  }
  return sum;
}

// Trees and logs of one benchmark case.
struct Rows {
  std::size_t trees;
  std::size_t logs;
  explicit Rows(const benchmark::State& state)
      : trees(static_cast<std::size_t>(state.range(0))), logs(static_cast<std::size_t>(state.range(1))) {}
};

// One file per size, shared by the read cases of later processes (tools/bench.sh
// runs each case in a process of its own and removes the files at the end).
std::filesystem::path BenchFile(const Rows& rows) {
  return std::filesystem::temp_directory_path() /
         ("sw_storage_bench_" + std::to_string(rows.trees) + "_" + std::to_string(rows.logs) + ".mk4");
}

double PeakMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

void MakeFile(const Rows& rows) {
  const auto path = BenchFile(rows);
  std::filesystem::remove(path);  // a fresh file: the benchmark measures the first commit
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  Rng rng;
  Fill(s->GetAs(kTreeTable).value(), rows.trees, rng);
  Fill(s->GetAs(kLogTable).value(), rows.logs, rng);
  if (!s->Commit().ok()) std::abort();
}

void BM_AddAndCommit(benchmark::State& state) {
  const Rows rows(state);
  for (auto _ : state) MakeFile(rows);
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(BenchFile(rows))) / 1e6;
  state.counters["peak_rss_MB"] = PeakMb();
}

void BM_ReadEverything(benchmark::State& state) {
  const Rows rows(state);
  if (!std::filesystem::exists(BenchFile(rows))) MakeFile(rows);
  for (auto _ : state) {
    auto s = Storage::Open(BenchFile(rows), Storage::Mode::ReadOnly);
    double sum = 0;
    for (const char* name : {"TreeTable", "LogTable"}) {
      sum += ReadAll(s->GetView(name));
      // A pass over a file holds one view at a time: a view read to the end
      // is dropped once no handle holds it.
      if (!s->Load(name, /*release=*/true).ok()) std::abort();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["peak_rss_MB"] = PeakMb();
}

// Opening and reading only the small view leaves the large one undecoded.
void BM_ReadOneView(benchmark::State& state) {
  const Rows rows(state);
  if (!std::filesystem::exists(BenchFile(rows))) MakeFile(rows);
  for (auto _ : state) {
    auto s = Storage::Open(BenchFile(rows), Storage::Mode::ReadOnly);
    benchmark::DoNotOptimize(ReadAll(s->GetView("LogTable")));
  }
  state.counters["peak_rss_MB"] = PeakMb();
}

// {trees, logs}: the same number in both tables, and three logs per tree.
void Sizes(benchmark::internal::Benchmark* b) {
  for (long n : {20000L, 60000L, 200000L, 600000L}) b->Args({n, n});
  b->Args({20000, 60000})->Args({200000, 600000});
  b->Iterations(1)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_AddAndCommit)->Apply(Sizes);
BENCHMARK(BM_ReadEverything)->Apply(Sizes);
BENCHMARK(BM_ReadOneView)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
