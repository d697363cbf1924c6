// Derived views under memory exhaustion: this test program replaces the
// global operator new so that the Nth allocation fails. For every N, Select,
// SortOn, Project, GroupBy and Copy must either give the full, right result
// or an error; never an empty or partial view reported as a success. The
// base view must be unchanged afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "storage/storage.h"

namespace {
// -1: no failure planned; otherwise the number of allocations still allowed.
thread_local long g_allocations_left = -1;
}  // namespace

void* operator new(std::size_t n) {
  if (g_allocations_left == 0) throw std::bad_alloc();
  if (g_allocations_left > 0) --g_allocations_left;
  void* p = std::malloc(n ? n : 1);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace sw::storage {
namespace {

// Text of every cell, row by row (nested views by their sizes), so that two
// views compare as a whole.
std::string Render(const View& v) {
  std::string out;
  for (std::size_t r = 0; r < v.Size(); ++r) {
    for (std::size_t c = 0; c < v.ColumnCount(); ++c) {
      if (v.ColumnAt(c).type == Type::Subview) {
        const View sub = v.Subview(r, c);
        out += "[" + Render(sub) + "]";
      } else {
        out += v.GetText(r, c);
      }
      out += '|';
    }
    out += '\n';
  }
  return out;
}

void Fill(View base) {
  for (int i = 0; i < 120; ++i) {
    base.Add(Row()
                 .Set("Sp", std::string(i % 3 == 0 ? "DF" : (i % 3 == 1 ? "wh" : "RC")))
                 .Set("Plot", std::to_string(i % 11))
                 .Set("Num", std::int32_t{i * 37 % 101})
                 .Set("Dbh", 10.5 + i % 7)
                 .Set("Remark", std::string(i % 5 == 0 ? std::string(40, 'x') : "")));
  }
}

// Runs `op` with the Nth allocation failing, for N = 0, 1, 2, ... until it
// runs without reaching the failure. Each run must succeed with `expected`
// or fail with a message.
void SweepFailures(const View& base, const std::function<Result<View>()>& op) {
  const std::string before = Render(base);
  Result<View> clean = op();
  ASSERT_TRUE(clean.ok());
  const std::string expected = Render(clean.value());
  ASSERT_FALSE(expected.empty());
  int failures = 0;
  for (long n = 0;; ++n) {
    g_allocations_left = n;
    Result<View> r = op();
    const bool reached = g_allocations_left == 0;
    g_allocations_left = -1;
    if (r.ok()) {
      ASSERT_EQ(Render(r.value()), expected) << "allocation " << n;
    } else {
      ++failures;
      EXPECT_FALSE(r.status().message().empty()) << "allocation " << n;
    }
    ASSERT_EQ(Render(base), before) << "allocation " << n;
    if (!reached) break;
    ASSERT_LT(n, 100000) << "the operation never stopped allocating";
  }
  EXPECT_GT(failures, 0);
}

TEST(AllocationFailure, DerivedViewsReportItOrGiveTheFullResult) {
  // Never committed: no file is written.
  auto storage = Storage::Open(std::filesystem::temp_directory_path() / "sw_alloc_failure_never_written.mk4",
                               Storage::Mode::ReadWrite);
  ASSERT_TRUE(storage.ok());
  const View base = storage->GetAs("v[Sp:S,Plot:S,Num:I,Dbh:D,Remark:S]").value();
  Fill(base);
  ASSERT_EQ(base.Size(), 120u);
  // Arguments are made before the failures are armed: only the engine's own
  // allocations fail.
  const std::vector<std::string> sort_keys{"Sp", "Num"}, reverse{"Num"}, projected{"Num", "Sp"}, group{"Sp"},
      by_dbh{"Dbh"};
  const Row df = Row().Set("Sp", std::string("df"));
  const Row plot3 = Row().Set("Plot", std::string("3"));
  SweepFailures(base, [&] { return base.SortOn(sort_keys, reverse); });
  SweepFailures(base, [&] { return base.Select(df); });
  SweepFailures(base, [&] { return base.Project(projected); });
  SweepFailures(base, [&] { return base.GroupBy(group, "Trees"); });
  SweepFailures(base, [&] { return base.Copy(); });
  SweepFailures(base, [&]() -> Result<View> {
    auto picked = base.Select(plot3);
    if (!picked.ok()) return picked.status();
    return picked.value().SortOn(by_dbh);
  });
}

}  // namespace
}  // namespace sw::storage
