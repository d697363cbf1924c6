// Bad input: truncated, foreign, corrupted and lying files are reported as
// errors naming the problem, never crash, hang or allocate without bound
// (what the reader refuses: docs/storage-format.md).
#include <gtest/gtest.h>

#include <random>

#include "storage/description.h"
#include "test_util.h"

namespace sw::storage::testing {
namespace {

Status OpenAndRead(const std::filesystem::path& p) {
  auto s = Storage::Open(p, Storage::Mode::ReadOnly);
  if (!s.ok()) return s.status();
  Status st = s->Verify();
  if (!st.ok()) return st;
  (void)DumpStorage(s.value());
  return Status::Ok();
}

TEST(BadInput, EmptyFileIsAnEmptyStorage) {
  auto s = Storage::Open(FixtureDir() / "empty.mk4", Storage::Mode::ReadOnly);
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s->Description(), "");
}

TEST(BadInput, TruncationAtEveryByteIsAnError) {
  ScratchDir dir;
  for (const char* n : {"basic", "nested", "multi_commit", "memos"}) {
    const std::string bytes = ReadAll(FixtureDir() / (std::string(n) + ".mk4"));
    const std::size_t step = bytes.size() > 5000 ? 97 : 1;
    for (std::size_t len = 1; len < bytes.size(); len += step) {
      const auto p = dir / "t.mk4";
      WriteAll(p, bytes.substr(0, len));
      Status st = OpenAndRead(p);
      EXPECT_FALSE(st.ok()) << n << " cut at " << len;
      if (!st.ok()) {
        EXPECT_FALSE(st.message().empty());
      }
    }
  }
}

TEST(BadInput, ForeignFilesAreNotStoragesAndAreNeverAppendedTo) {
  ScratchDir dir;
  const auto p = dir / "text.mk4";
  WriteAll(p, "this is a text file, not a storage\n");
  auto s = Storage::Open(p, Storage::Mode::ReadWrite);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.status().message().find("not a storage file"), std::string::npos) << s.status().message();
  EXPECT_EQ(ReadAll(p), "this is a text file, not a storage\n");
  // One byte appended to a valid file.
  WriteAll(p, ReadAll(FixtureDir() / "basic.mk4") + "x");
  EXPECT_FALSE(OpenAndRead(p).ok());
}

TEST(BadInput, ByteSwappedOrLegacyHeaderIsReported) {
  ScratchDir dir;
  std::string bytes = ReadAll(FixtureDir() / "basic.mk4");
  bytes[3] = 0x40;
  const auto p = dir / "h.mk4";
  WriteAll(p, bytes);
  Status st = OpenAndRead(p);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("header"), std::string::npos) << st.message();
  bytes = ReadAll(FixtureDir() / "basic.mk4");
  std::swap(bytes[0], bytes[2]);
  WriteAll(p, bytes);
  EXPECT_FALSE(OpenAndRead(p).ok());
}

// basic.mk4 with its one view's record changed (9 bytes at 21).
std::string WithViewRecord(const std::string& record) {
  std::string bytes = ReadAll(FixtureDir() / "basic.mk4");
  const std::string head = bytes.substr(0, 0x15);
  std::string structure = bytes.substr(0x1E, 25);
  // Put the new record after the original blocks, then a new structure block.
  std::string body = head + record;
  const std::size_t rec_pos = head.size();
  std::string st = structure.substr(0, 23);
  st += static_cast<char>(0x80 | record.size());
  st += static_cast<char>(0x80 | rec_pos);
  const std::size_t st_pos = body.size();
  body += st;
  const std::size_t link = body.size();
  auto be = [](std::size_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
  };
  body += std::string("\x80\0\0\0", 4) + be(link);
  body += std::string("\x80\0\0", 3) + static_cast<char>(st.size()) + be(st_pos);
  return body;
}

TEST(BadInput, LyingCountsAndReferencesAreReported) {
  ScratchDir dir;
  const auto p = dir / "lie.mk4";
  // The original record, to show the construction is right.
  WriteAll(p, WithViewRecord(std::string("\x80\x83\x88\x88\x82\x90\x80\x83\x92", 9)));
  ASSERT_TRUE(OpenAndRead(p).ok()) << OpenAndRead(p).message();
  const std::vector<std::string> lies = {
      std::string("\x80\x07\x7F\x7F\x7F\xFF\x88\x88\x82\x90\x80\x83\x92", 13),  // two billion rows
      std::string("\x80\x83\x88\x88\x82\x90\x80\x83\x01\x00\x00\x80", 12),      // column far outside
      std::string("\x80\x83\x88\x08\x82\x90\x80\x83\x92", 9),                    // unfinished varint
      std::string("\x80\x83\x89\x88\x82\x90\x80\x83\x92", 9),                    // sizes disagree with data
      std::string("\x80\x83\x88\x88\x82\x90\x80\x83\x92\x80", 10),               // record not consumed
      std::string("\x81\x83\x88\x88\x82\x90\x80\x83\x92", 9),                    // reserved not 0
  };
  for (std::size_t i = 0; i < lies.size(); ++i) {
    WriteAll(p, WithViewRecord(lies[i]));
    Status st = OpenAndRead(p);
    EXPECT_FALSE(st.ok()) << i;
    EXPECT_NE(st.message().find("damaged"), std::string::npos) << i << ": " << st.message();
  }
}

TEST(BadInput, RandomCorruptionNeverCrashes) {
  ScratchDir dir;
  std::mt19937 rng(1234);
  const auto p = dir / "c.mk4";
  for (const char* n : {"basic", "nested", "multi_commit", "strings", "recursive", "bigendian_sizes"}) {
    const std::string bytes = ReadAll(FixtureDir() / (std::string(n) + ".mk4"));
    for (int k = 0; k < 300; ++k) {
      std::string b = bytes;
      const int flips = 1 + static_cast<int>(rng() % 3);
      for (int j = 0; j < flips; ++j) b[rng() % b.size()] = static_cast<char>(rng());
      WriteAll(p, b);
      (void)OpenAndRead(p);  // either outcome, but no crash, hang or leak
    }
  }
}

TEST(BadInput, EndlesslyNestedDescriptionIsRefused) {
  std::string desc;
  for (int i = 0; i < 5000; ++i) desc += "a[";
  auto parsed = ParseStoredDescription(desc);
  EXPECT_FALSE(parsed.ok());
}

}  // namespace
}  // namespace sw::storage::testing
