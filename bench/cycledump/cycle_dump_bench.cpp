// The cycle file conversion of 10 stands x 4 cycles x N records (all four
// cycles chosen: 40 cruise files) and the dump file conversion of N trees
// with three logs each, and, in the same run, the storage engine alone
// writing the rows those conversions produced into new files with one
// commit each. Reports the process's peak memory; run each benchmark in a
// process of its own (--benchmark_filter) for separate peaks.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "convert/cycle_converter.h"
#include "convert/dump_converter.h"
#include "cyclefile/cycle_text.h"
#include "dumpfile/dump_image.h"
#include "platform/scripted_platform.h"
#include "storage/storage.h"

namespace {

namespace fs = std::filesystem;
namespace storage = sw::storage;

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Benchmark set-up and the bare write check every storage call.
void Must(const storage::Status& st) {
  if (!st.ok()) {
    std::fprintf(stderr, "storage call failed: %s\n", st.message().c_str());
    std::abort();
  }
}

std::string Pad(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

fs::path Folder(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / name;
  fs::remove_all(dir);
  fs::create_directories(dir / "out");
  return dir;
}

// A cycle file of 10 stands, 4 cycles each, `records` records per section,
// its fields blank-padded as fixed-column files are.
fs::path MakeCycleFile(const fs::path& dir, int records) {
  const fs::path path = dir / "bench.wpx";
  std::ofstream out(path, std::ios::binary);
  for (int stand = 0; stand < 10; ++stand) {
    for (int cycle = 1; cycle <= 4; ++cycle) {
      sw::test::HeaderFields h;
      h.cycle = Pad(std::to_string(cycle), 2);
      h.year = std::to_string(1995 + 5 * cycle);
      h.prefix = "STAND" + Pad(std::to_string(stand), 2);
      out << sw::test::HeaderLine(h);
      for (int r = 0; r < records; ++r) {
        sw::test::RecordFields rec;
        rec.region = stand % 2 == 0 ? "6" : "8";
        rec.forest = Pad(std::to_string(1 + stand % 12), 5);
        rec.district = Pad(std::to_string(1 + r % 7), 5);
        rec.stratum = Pad(std::to_string(1 + r % 5), 5);
        rec.product = Pad("01", 5);
        rec.unused = Pad("0", 5);
        rec.tree = Pad(std::to_string(r + 1), 6);
        rec.species = Pad(std::to_string(100 + (r * 37) % 400), 5);
        rec.plot = Pad(std::to_string(1 + r / 20), 5);
        rec.live = Pad(std::to_string(r % 4), 6);
        rec.dead = Pad(std::to_string(r % 3 == 0 ? 1 : 0), 6);
        rec.dbh = Pad(std::to_string(5 + r % 40) + ".3", 7);
        rec.height = Pad(std::to_string(20 + r % 120), 6);
        rec.eq1 = Pad("I00FW2W" + std::to_string(100 + (r * 37) % 400), 11);
        rec.eq2 = Pad("I00FW2W" + std::to_string(101 + (r * 37) % 400), 11);
        out << sw::test::RecordLine(rec);
      }
    }
  }
  return path;
}

// Every table of a cruise file, in memory: its description and its rows.
using Tables = std::vector<std::pair<std::string, storage::View>>;
Tables LoadTables(const fs::path& source_path) {
  auto source = storage::Storage::Open(source_path, storage::Storage::Mode::ReadOnly);
  Tables tables;
  for (const std::string& name : source->ViewNames()) {
    storage::View v = source->GetView(name);
    tables.emplace_back(name + "[" + v.Describe() + "]", v.Copy());
  }
  return tables;
}

// The engine alone: the rows added to the tables of a new file, one commit.
void BareWrite(const Tables& tables, const fs::path& target, benchmark::State& state) {
  fs::remove(target);
  auto file = storage::Storage::Open(target, storage::Storage::Mode::ReadWrite);
  for (const auto& [description, rows] : tables) {
    storage::View view = file->GetAs(description).value();
    for (std::size_t r = 0; r < rows.Size(); ++r) {
      const long added = view.Add();
      for (std::size_t c = 0; c < rows.ColumnCount(); ++c) Must(view.Set(static_cast<std::size_t>(added), c, rows.Get(r, c)));
    }
  }
  if (!file->Commit().ok()) state.SkipWithError("commit failed");
}

sw::convert::Outcome ConvertCycles(const fs::path& dir, const fs::path& input) {
  sw::platform::ScriptedPlatform platform;
  platform.SetAnswerer([](const sw::platform::Message&) { return sw::platform::Button::kYes; });
  std::vector<sw::cyclefile::CycleEntry> chosen;
  for (int cycle = 1; cycle <= 4; ++cycle) chosen.push_back({Pad(std::to_string(cycle), 2), std::to_string(1995 + 5 * cycle)});
  return sw::convert::CycleFileImporter(platform).Convert(input, fs::path(SW_BIN_DIR) / "CruiseDefault.stp", chosen,
                                                          dir / "out");
}

void BM_CycleConvert(benchmark::State& state) {
  const fs::path dir = Folder("sw_cycle_bench_" + std::to_string(state.range(0)));
  const fs::path input = MakeCycleFile(dir, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!ConvertCycles(dir, input).ok()) state.SkipWithError("conversion failed");
  }
  state.counters["input_MB"] = static_cast<double>(fs::file_size(input)) / 1e6;
  state.counters["peak_MiB"] = PeakMiB();
  fs::remove_all(dir);
}

// The engine alone writes the 40 files' rows, dictionary included.
void BM_CycleBareWrite(benchmark::State& state) {
  const fs::path dir = Folder("sw_cycle_bare_" + std::to_string(state.range(0)));
  const fs::path input = MakeCycleFile(dir, static_cast<int>(state.range(0)));
  const sw::convert::Outcome made = ConvertCycles(dir, input);
  fs::create_directories(dir / "bare");
  std::vector<Tables> sources;
  for (const fs::path& file : made.written) sources.push_back(LoadTables(file));
  for (auto _ : state) {
    for (std::size_t i = 0; i < sources.size(); ++i) {
      BareWrite(sources[i], dir / "bare" / made.written[i].filename(), state);
    }
  }
  state.counters["files"] = static_cast<double>(made.written.size());
  state.counters["peak_MiB"] = PeakMiB();
  fs::remove_all(dir);
}

// A cruise file of `trees` trees with three logs each, and its dump image.
fs::path MakeDump(const fs::path& dir, int trees) {
  const fs::path crz = dir / "source.crz";
  {
    auto file = storage::Storage::Open(crz, storage::Storage::Mode::ReadWrite);
    auto tree = file->GetAs(
        "TreeTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,Sp:S,TreeCnt:F,KPI:L,DBH:F,TotHt:F,FC:I,AvgZForm:D,Remarks:S]")
                    .value();
    auto log = file->GetAs("LogTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,LogNum:S,Grade:S,Length:I,GBDFT:D,SEDi:F]")
                   .value();
    for (int t = 0; t < trees; ++t) {
      const long row = tree.Add();
      const auto r = static_cast<std::size_t>(row);
      Must(tree.Set(r, 0, std::string("0") + std::to_string(1 + t % 5)));
      Must(tree.Set(r, 1, std::to_string(1 + t % 9)));
      Must(tree.Set(r, 2, std::to_string(1 + t / 25)));
      Must(tree.Set(r, 3, std::to_string(t + 1)));
      Must(tree.Set(r, 4, std::to_string(100 + t % 400)));
      Must(tree.Set(r, 5, 1.0f + static_cast<float>(t % 3)));
      Must(tree.Set(r, 6, std::int64_t{5000000000LL} + t));
      Must(tree.Set(r, 7, 10.0f + static_cast<float>(t % 300) / 10.0f));
      Must(tree.Set(r, 8, 50.0f + static_cast<float>(t % 90)));
      Must(tree.Set(r, 9, std::int32_t{70 + t % 20}));
      Must(tree.Set(r, 10, 0.5 + t * 1e-6));
      Must(tree.Set(r, 11, std::string(t % 10 == 0 ? "checked, twice\nby crew" : "")));
      for (int l = 0; l < 3; ++l) {
        const auto lr = static_cast<std::size_t>(log.Add());
        for (std::size_t c = 0; c < 4; ++c) Must(log.Set(lr, c, tree.Get(r, c)));
        Must(log.Set(lr, 4, std::to_string(l + 1)));
        Must(log.Set(lr, 5, std::string(1, static_cast<char>('1' + l))));
        Must(log.Set(lr, 6, std::int32_t{16 + 2 * l}));
        Must(log.Set(lr, 7, 100.0 + t % 50));
        Must(log.Set(lr, 8, 8.5f + static_cast<float>(l)));
      }
    }
    Must(file->Commit());
  }
  auto file = storage::Storage::Open(crz, storage::Storage::Mode::ReadOnly);
  const fs::path dump = dir / "bench.crz.dmp";
  std::ofstream(dump, std::ios::binary) << sw::test::DumpImageOf(file.value());
  return dump;
}

void BM_DumpConvert(benchmark::State& state) {
  const fs::path dir = Folder("sw_dump_bench_" + std::to_string(state.range(0)));
  const fs::path dump = MakeDump(dir, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sw::platform::ScriptedPlatform platform;
    platform.SetAnswerer([](const sw::platform::Message&) { return sw::platform::Button::kYes; });
    if (!sw::convert::DumpImporter(platform).Convert(dump).ok()) state.SkipWithError("conversion failed");
  }
  state.counters["input_MB"] = static_cast<double>(fs::file_size(dump)) / 1e6;
  state.counters["peak_MiB"] = PeakMiB();
  fs::remove_all(dir);
}

void BM_DumpBareWrite(benchmark::State& state) {
  const fs::path dir = Folder("sw_dump_bare_" + std::to_string(state.range(0)));
  MakeDump(dir, static_cast<int>(state.range(0)));
  const Tables source = LoadTables(dir / "source.crz");
  for (auto _ : state) BareWrite(source, dir / "bare.crz", state);
  state.counters["peak_MiB"] = PeakMiB();
  fs::remove_all(dir);
}

BENCHMARK(BM_CycleBareWrite)->Arg(150)->Arg(1500)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CycleConvert)->Arg(150)->Arg(1500)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DumpBareWrite)->Arg(2000)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DumpConvert)->Arg(2000)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
