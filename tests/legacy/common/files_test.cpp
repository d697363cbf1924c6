// MakeWritable and the replace-through-a-temporary-file writer.
#include "legacy/files.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace sw::legacy {
namespace {

namespace fs = std::filesystem;

TEST(MakeWritableTest, ClearsReadOnlyAndKeepsTheTime) {
  test::TempDir dir;
  const auto path = dir / "sale.crz";
  test::WriteFile(path, "x");
  const auto time = fs::last_write_time(path) - std::chrono::hours(24);
  fs::last_write_time(path, time);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
  EXPECT_TRUE(MakeWritable(path));
  EXPECT_NE(fs::status(path).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(fs::last_write_time(path), time);
  EXPECT_TRUE(MakeWritable(dir / "missing.crz"));
  EXPECT_TRUE(MakeWritable(dir.path()));
}

TEST(WriteFileReplacingTest, ReplacesOnlyOnSuccess) {
  test::TempDir dir;
  const auto path = dir / "sale.key";
  test::WriteFile(path, "old\n");
  std::string error;
  EXPECT_FALSE(WriteFileReplacing(path, [](std::ostream& out) {
    out << "half";
    return false;
  }, error));
  EXPECT_EQ(test::ReadFile(path), "old\n");
  EXPECT_TRUE(WriteFileReplacing(path, [](std::ostream& out) {
    out << "new\n";
    return true;
  }, error)) << error;
  EXPECT_EQ(test::ReadFile(path), "new\n");
  // Nothing but the target is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteFileReplacingTest, UnwritableFolderIsReported) {
  test::TempDir dir;
  std::string error;
  EXPECT_FALSE(WriteFileReplacing(dir / "no" / "such" / "x.job", [](std::ostream&) { return true; }, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace sw::legacy
