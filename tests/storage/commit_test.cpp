// Commit: what is written when, atomicity under failed writes and full
// disks, the writer lock, and many commits in a row.
#include <gtest/gtest.h>

#include <random>

#include "test_util.h"

namespace sw::storage::testing {
namespace {

TEST(Commit, MissingFileCreatesNothingUntilAViewIsWritten) {
  ScratchDir dir;
  const auto path = dir / "new.mk4";
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(s->GetAs("v[a:I]").ok());
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_TRUE(std::filesystem::exists(path));
  }
  EXPECT_EQ(Dump(path), "v[a:I]\nVIEW v\na:I\n");
  auto ro = Storage::Open(dir / "other.mk4", Storage::Mode::ReadOnly);
  ASSERT_TRUE(ro.ok());
  EXPECT_FALSE(ro->Commit().ok());
  EXPECT_FALSE(std::filesystem::exists(dir / "other.mk4"));
}

TEST(Commit, ReleaseWithoutCommitLeavesTheFileUnchanged) {
  ScratchDir dir;
  const auto path = dir.Copy("multi_commit");
  const std::string before = ReadAll(path);
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    for (const auto& n : s->ViewNames()) ASSERT_TRUE(s->GetView(n).SetSize(0).ok());
    ASSERT_TRUE(s->GetAs("added[x:S]").ok());
  }
  EXPECT_EQ(ReadAll(path), before);
}

TEST(Commit, NoChangeWritesNothingAndReadOnlyIsRefused) {
  ScratchDir dir;
  const auto path = dir.Copy("basic");
  const std::string before = ReadAll(path);
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    s->GetView("people");
    ASSERT_TRUE(s->GetAs("people[name:S,age:I]").ok());
    FaultFileSystem fs;
    ASSERT_TRUE(s->Commit().ok());
  }
  EXPECT_EQ(ReadAll(path), before);
  auto ro = Storage::Open(path, Storage::Mode::ReadOnly);
  ro->GetView("people").Add();
  Status st = ro->Commit();
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("read-only"), std::string::npos);
  EXPECT_EQ(ReadAll(path), before);
}

TEST(Commit, SecondWriterIsRefusedEvenInTheSameProcess) {
  ScratchDir dir;
  const auto path = dir.Copy("basic");
  auto a = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(a.ok());
  auto b = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_FALSE(b.ok());
  EXPECT_NE(b.status().message().find("held by another program"), std::string::npos) << b.status().message();
  EXPECT_TRUE(Storage::Open(path, Storage::Mode::ReadOnly).ok());
  const auto fresh = dir / "fresh.mk4";
  auto c = Storage::Open(fresh, Storage::Mode::ReadWrite);
  ASSERT_TRUE(c.ok());
  EXPECT_FALSE(Storage::Open(fresh, Storage::Mode::ReadWrite).ok());
  ASSERT_TRUE(c->GetAs("v[a:I]").ok());
  ASSERT_TRUE(c->Commit().ok());
  EXPECT_FALSE(Storage::Open(fresh, Storage::Mode::ReadWrite).ok());
  a = Result<Storage>(Status::Error("released"));
  EXPECT_TRUE(Storage::Open(path, Storage::Mode::ReadWrite).ok());
}

TEST(Commit, GrowsOnlyWhenFreeSpaceDoesNotSuffice) {
  ScratchDir dir;
  const auto path = dir / "g.mk4";
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  View v = s->GetAs("v[a:I,s:S]").value();
  v.Add(Row().Set("a", std::int32_t{1}).Set("s", std::string("one")));
  ASSERT_TRUE(s->Commit().ok());
  const auto size1 = std::filesystem::file_size(path);
  v.Add(Row().Set("a", std::int32_t{2}).Set("s", std::string("two")));
  ASSERT_TRUE(s->Commit().ok());
  const auto size2 = std::filesystem::file_size(path);
  EXPECT_GT(size2, size1);
  ASSERT_TRUE(v.Set(0, 0, Value(std::int32_t{3})).ok());
  ASSERT_TRUE(s->Commit().ok());
  EXPECT_EQ(std::filesystem::file_size(path), size2);  // fitted into the freed space
  EXPECT_EQ(Dump(path), "v[a:I,s:S]\nVIEW v\na:I\ts:S\n3\tone\n2\ttwo\n");
}

// Random changes, restructures and commits; after every commit the file
// reads back as exactly the in-memory state.
TEST(Commit, ManyCommitsReadBackRightEveryTime) {
  ScratchDir dir;
  const auto path = dir / "many.mk4";
  std::mt19937 rng(7);
  const std::vector<std::string> shapes = {"t[a:S,n:I]", "t[a:S,n:I,x:D]", "t[n:I,a:S]", "t[a:S,x:D,sub[q:S]]", "t[a:S]"};
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(s.ok());
  for (int round = 0; round < 60; ++round) {
    if (round % 7 == 0) {
      ASSERT_TRUE(s->GetAs(shapes[rng() % shapes.size()]).ok());
    }
    if (round % 11 == 5) s->GetAs("other[k:L]").value().Add(Row().Set("k", std::int64_t{round}));
    View v = s->GetView("t");
    if (v.ColumnCount() == 0) v = s->GetAs("t[a:S,n:I]").value();
    for (int k = 0; k < 5; ++k) {
      const auto op = rng() % 4;
      if (op == 0 || v.Size() == 0) v.Add(Row().Set("a", std::to_string(rng() % 1000)).Set("n", std::int32_t(rng() % 70000)));
      else if (op == 1) ASSERT_TRUE(v.RemoveAt(rng() % v.Size()).ok());
      else if (op == 2) ASSERT_TRUE(v.Set(rng() % v.Size(), 0, Value(std::string(rng() % 300, 'x'))).ok());
      else if (v.ColumnIndex("sub") >= 0) v.Subview(rng() % v.Size(), SubviewColumn("sub")).Add(Row().Set("q", std::string("z")));
    }
    ASSERT_TRUE(s->Commit().ok()) << round;
    const std::string expected = DumpStorage(s.value());
    ASSERT_EQ(Dump(path), expected) << "round " << round;
  }
}

// Runs `change` on a fresh copy of `fixture` and commits through a file
// system that fails at write k, for every k; the file must then read as the
// old or the new content, and accept a later commit.
void CheckAtomic(const std::string& fixture, const std::function<void(Storage&)>& change, bool from_missing = false) {
  ScratchDir dir;
  std::string old_text, new_text;
  long total_writes = 0;
  {
    const auto path = from_missing ? dir / "m.mk4" : dir.Copy(fixture);
    old_text = from_missing ? std::string() : Dump(path);
    FaultFileSystem fs;
    auto s = Storage::Open(path, Storage::Mode::ReadWrite, &fs);
    ASSERT_TRUE(s.ok());
    change(s.value());
    ASSERT_TRUE(s->Commit().ok());
    total_writes = fs.writes;
    new_text = Dump(path);
    std::filesystem::remove(path);
  }
  ASSERT_NE(old_text, new_text);
  ASSERT_GT(total_writes, 1);
  for (auto kind : {FaultFileSystem::Kind::Fail, FaultFileSystem::Kind::Short}) {
    for (long k = 1; k <= total_writes; ++k) {
      const auto path = from_missing ? dir / "m.mk4" : dir.Copy(fixture);
      {
        FaultFileSystem fs;
        fs.fail_at = k;
        fs.kind = kind;
        auto s = Storage::Open(path, Storage::Mode::ReadWrite, &fs);
        ASSERT_TRUE(s.ok());
        change(s.value());
        (void)s->Commit();
      }
      if (from_missing && !std::filesystem::exists(path)) continue;
      const std::string now = Dump(path);
      EXPECT_TRUE(now == old_text || now == new_text) << fixture << " failing at write " << k << ":\n" << now;
      auto again = Storage::Open(path, Storage::Mode::ReadWrite);
      ASSERT_TRUE(again.ok()) << again.status().message();
      again->GetAs("later[z:I]").value().Add();
      ASSERT_TRUE(again->Commit().ok());
      EXPECT_NE(Dump(path).find("VIEW later"), std::string::npos);
      std::filesystem::remove(path);
    }
  }
}

TEST(Atomicity, GrowingCommitFailingAtEveryWrite) {
  CheckAtomic("commit_grow", [](Storage& s) {
    View v = s.GetView("v");
    for (int i = 0; i < 50; ++i) v.Add(Row().Set("a", std::int32_t{i}).Set("s", std::string("row") + std::to_string(i)));
  });
}

TEST(Atomicity, InPlaceCommitFailingAtEveryWrite) {
  CheckAtomic("commit_grow", [](Storage& s) { ASSERT_TRUE(s.GetView("v").Set(0, 0, Value(std::int32_t{10})).ok()); });
}

TEST(Atomicity, RestructureAndNewViewFailingAtEveryWrite) {
  CheckAtomic("multi_commit", [](Storage& s) {
    const auto names = s.ViewNames();
    s.GetAs(names[0] + "[fresh:S]").value().Add(Row().Set("fresh", std::string("f")));
    s.GetAs("brand_new[q:D]").value().Add(Row().Set("q", 1.5));
  });
}

TEST(Atomicity, NewFileFailingAtEveryWrite) {
  CheckAtomic("", [](Storage& s) { s.GetAs("v[a:S]").value().Add(Row().Set("a", std::string("x"))); }, true);
}

TEST(Atomicity, RetryAfterAFailedGrowingCommitInTheSameSession) {
  ScratchDir dir;
  const auto path = dir.Copy("commit_grow");
  FaultFileSystem fs;
  fs.fail_at = 2;  // the link marks are written, the first block is not
  auto s = Storage::Open(path, Storage::Mode::ReadWrite, &fs);
  View v = s->GetView("v");
  for (int i = 0; i < 30; ++i) v.Add(Row().Set("a", std::int32_t{i}));
  ASSERT_FALSE(s->Commit().ok());
  fs.fail_at = -1;
  fs.failed = false;
  v.Add(Row().Set("a", std::int32_t{99}));
  ASSERT_TRUE(s->Commit().ok());
  auto r = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->GetView("v").Size(), 34u);
}

TEST(Atomicity, FullDiskLeavesTheOldContent) {
  ScratchDir dir;
  const auto path = dir.Copy("commit_grow");
  const std::string old_text = Dump(path);
  FaultFileSystem fs;
  fs.disk_limit = std::filesystem::file_size(path) + 20;
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite, &fs);
    View v = s->GetView("v");
    for (int i = 0; i < 100; ++i) v.Add(Row().Set("s", std::string(50, 'q')));
    Status st = s->Commit();
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.message().find("no space"), std::string::npos) << st.message();
  }
  EXPECT_EQ(Dump(path), old_text);
}

}  // namespace
}  // namespace sw::storage::testing
