// The read path: text columns kept as the file holds them (read in any row
// order, changed, grown and shrunk, sorted, committed), views decoded on
// first use while others are in use, and files cut short or overwritten
// after they were opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "test_util.h"

namespace sw::storage::testing {
namespace {

const StringColumn kName("name");
const IntColumn kNum("num");

std::string NameOf(std::size_t i) {
  // Lengths 0 to 40, so that the packed sizes column needs 8 bits.
  if (i % 7 == 0) return "";
  return std::string(i % 41, static_cast<char>('a' + i % 26)) + std::to_string(i);
}

// A committed file with views "big" (rows 0..n-1) and "small".
void MakeFile(const std::filesystem::path& path, std::size_t n) {
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(s.ok());
  View big = s->GetAs("big[name:S,num:I]").value();
  for (std::size_t i = 0; i < n; ++i) big.Add(Row().Set(kName, NameOf(i)).Set(kNum, static_cast<std::int32_t>(i)));
  View small = s->GetAs("small[name:S]").value();
  small.Add(Row().Set(kName, "only"));
  ASSERT_TRUE(s->Commit().ok());
}

TEST(ReadPath, TextReadsTheSameInAnyRowOrder) {
  ScratchDir dir;
  const auto path = dir / "order.mk4";
  const std::size_t n = 1000;
  MakeFile(path, n);
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(s.ok());
  const BoundString names = s->GetView("big").Bind(kName);
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  for (int pass = 0; pass < 3; ++pass) {
    if (pass == 1) std::reverse(order.begin(), order.end());
    if (pass == 2) std::shuffle(order.begin(), order.end(), std::mt19937(5));
    for (std::size_t i : order) ASSERT_EQ(names.Get(i), NameOf(i)) << "pass " << pass << " row " << i;
  }
  EXPECT_EQ(names.Get(n), "");  // outside the rows: the default
}

TEST(ReadPath, ChangesToAReadColumnCommitAndReadBack) {
  ScratchDir dir;
  const auto path = dir / "change.mk4";
  const std::size_t n = 300;
  MakeFile(path, n);
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < n; ++i) expected.push_back(NameOf(i));
  {
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    View big = s->GetView("big");
    const BoundString names = big.Bind(kName);
    // An item of the column written over another row of it.
    ASSERT_TRUE(names.Set(5, names.Get(40)).ok());
    expected[5] = expected[40];
    ASSERT_TRUE(big.InsertAt(17, Row().Set(kName, "inserted"), 2).ok());
    expected.insert(expected.begin() + 17, 2, "inserted");
    ASSERT_TRUE(big.RemoveAt(100, 3).ok());
    expected.erase(expected.begin() + 100, expected.begin() + 103);
    ASSERT_EQ(big.Size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(names.Get(i), expected[i]) << i;
    ASSERT_TRUE(s->Commit().ok());
  }
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(s.ok());
  View big = s->GetView("big");
  ASSERT_EQ(big.Size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(big.Bind(kName).Get(i), expected[i]) << i;
  EXPECT_EQ(s->GetView("small").Bind(kName).Get(0), "only");
}

TEST(ReadPath, SortAndSelectOnAReadColumnAndAnUnchangedCommit) {
  ScratchDir dir;
  const auto path = dir / "sort.mk4";
  const std::size_t n = 500;
  MakeFile(path, n);
  const std::string before = ReadAll(path);
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(s.ok());
  View big = s->GetView("big");
  View sorted = big.SortOn({"name"}).value();
  ASSERT_EQ(sorted.Size(), n);
  const BoundString names = sorted.Bind(kName);
  for (std::size_t i = 1; i < n; ++i) ASSERT_LE(CompareText(names.Get(i - 1), names.Get(i)), 0) << i;
  View picked = big.Select(Row().Set(kName, NameOf(123))).value();
  ASSERT_EQ(picked.Size(), 1u);
  EXPECT_EQ(picked.BaseIndex(0), 123u);
  // Reading, sorting and selecting change nothing: the commit writes nothing.
  ASSERT_TRUE(s->Commit().ok());
  EXPECT_EQ(ReadAll(path), before);
}

// One view in use while another is decoded on first use.
TEST(ReadPath, AViewReadWhileAnotherIsDecodedLazily) {
  ScratchDir dir;
  const auto path = dir / "lazy.mk4";
  MakeFile(path, 200);
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(s.ok());
  View big = s->GetView("big");
  const BoundString names = big.Bind(kName);
  ASSERT_EQ(names.Get(10), NameOf(10));
  View small = s->GetView("small");
  EXPECT_EQ(small.Bind(kName).Get(0), "only");
  for (std::size_t i = 0; i < 200; ++i) ASSERT_EQ(names.Get(i), NameOf(i)) << i;
}

// Cut short after opening: the views not yet decoded report the damage, the
// decoded ones stay readable, nothing crashes and the file is not written.
TEST(ReadPath, FileTruncatedAfterItWasOpened) {
  ScratchDir dir;
  const auto path = dir / "cut.mk4";
  MakeFile(path, 2000);
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(s.ok());
  ASSERT_TRUE(s->Load("small", false).ok());
  const std::string bytes = ReadAll(path);
  WriteAll(path, bytes.substr(0, bytes.size() / 4));
  Status st = s->Load("big", false);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message(), "");
  EXPECT_EQ(s->GetView("big").Size(), 0u);
  EXPECT_FALSE(s->Verify().ok());
  EXPECT_EQ(s->GetView("small").Bind(kName).Get(0), "only");
  EXPECT_EQ(ReadAll(path).size(), bytes.size() / 4);
}

// Overwritten after opening: the late decode reads the new bytes and either
// succeeds or reports damage, never reads outside the file.
TEST(ReadPath, FileOverwrittenAfterItWasOpened) {
  ScratchDir dir;
  const auto path = dir / "over.mk4";
  MakeFile(path, 2000);
  const std::string bytes = ReadAll(path);
  std::mt19937 rng(11);
  for (int round = 0; round < 40; ++round) {
    WriteAll(path, bytes);
    auto s = Storage::Open(path, Storage::Mode::ReadOnly);
    ASSERT_TRUE(s.ok());
    std::string changed = bytes;
    for (int k = 0; k < 20; ++k) changed[8 + rng() % (changed.size() - 24)] = static_cast<char>(rng());
    WriteAll(path, changed);
    Status st = s->Load("big", false);
    if (st.ok()) {
      View big = s->GetView("big");
      for (std::size_t i = 0; i < big.Size(); ++i) (void)big.Bind(kName).Get(i);
    } else {
      EXPECT_NE(st.message().find("damaged"), std::string::npos) << st.message();
    }
  }
}

}  // namespace
}  // namespace sw::storage::testing
