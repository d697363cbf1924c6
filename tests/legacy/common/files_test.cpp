// MakeWritable.
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

}  // namespace
}  // namespace sw::legacy
