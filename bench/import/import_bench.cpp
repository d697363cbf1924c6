// The whole job and key import (JobKeyImporter: count, read, sort, clean,
// settings, one commit, move into place) of a generated Version 7 cruise of
// N trees with three logs each, and, in the same run, the storage engine
// alone adding the rows the import produced to the same tables and
// committing them. Reports the ratio and the process's peak memory.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sys/resource.h>

#include <filesystem>

#include "cruisedb/dictionary.h"
#include "convert/job_key_importer.h"
#include "progress/progress.h"
#include "legacy/line.h"
#include "platform/scripted_platform.h"
#include "storage/storage.h"
#include "legacy/import/import_files.h"

// A benchmark stops at the first failed storage call.
static void Must(const sw::storage::Status& status) {
  if (!status.ok()) std::abort();
}

namespace {

namespace fs = std::filesystem;
namespace storage = sw::storage;

struct Input {
  fs::path dir;
  fs::path key;
  fs::path job;
};

Input MakeInput(int trees) {
  Input in;
  in.dir = fs::temp_directory_path() / ("sw_import_bench_" + std::to_string(trees));
  fs::create_directories(in.dir);
  in.key = in.dir / "bench.key";
  in.job = in.dir / "bench.job";
  std::ofstream(in.key) << sw::test::KeyFileText("06V", "bench.job");
  // Shuffled, so that the sort has work to do.
  std::ofstream(in.job) << sw::test::JoinLines(sw::test::Version7JobLines(trees, 3, /*shuffled=*/true));
  return in;
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Import(const Input& in, benchmark::State& state) {
  sw::platform::ScriptedPlatform platform;
  sw::progress::WindowlessProgress progress;
  sw::convert::ImportRequest request;
  request.version = 7;
  request.job_path = in.job;
  request.cruise_path = in.dir / "bench.crz";
  request.region = "06";
  request.key_path = in.key;
  request.report_path = in.dir / "bench.out";
  request.base_dictionary = fs::path(SW_BIN_DIR) / "CruiseDefault.stp";
  request.cruise_type = "V";
  fs::remove(request.cruise_path);
  if (!sw::convert::JobKeyImporter(platform, progress).Convert(request).ok()) state.SkipWithError("import failed");
}

void BM_Import(benchmark::State& state) {
  const Input in = MakeInput(static_cast<int>(state.range(0)));
  for (auto _ : state) Import(in, state);
  state.counters["lines"] = static_cast<double>(sw::legacy::CountLines(in.job).lines);
  state.counters["peak_MiB"] = PeakMiB();
}

// The bare load: every row of the imported file's tables added afresh to
// the same tables of a new file, then one commit.
void BM_BareLoad(benchmark::State& state) {
  const Input in = MakeInput(static_cast<int>(state.range(0)));
  Import(in, state);
  auto source = storage::Storage::Open(in.dir / "bench.crz", storage::Storage::Mode::ReadOnly);
  std::vector<std::pair<std::string, storage::View>> tables;
  for (const std::string& name : source->ViewNames()) {
    storage::View v = source->GetView(name);
    tables.emplace_back(name + "[" + v.Describe() + "]", v.Copy());
  }
  const fs::path target = in.dir / "bare.crz";
  for (auto _ : state) {
    fs::remove(target);
    auto file = storage::Storage::Open(target, storage::Storage::Mode::ReadWrite);
    for (const auto& [description, rows] : tables) {
      storage::View view = file->GetAs(description).value();
      Must(view.SetSize(rows.Size()));
      for (std::size_t c = 0; c < rows.ColumnCount(); ++c) {
        for (std::size_t r = 0; r < rows.Size(); ++r) Must(view.Set(r, c, rows.Get(r, c)));
      }
    }
    if (!file->Commit().ok()) state.SkipWithError("commit failed");
  }
  state.counters["peak_MiB"] = PeakMiB();
}

BENCHMARK(BM_BareLoad)->Arg(20000)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Arg(20000)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
