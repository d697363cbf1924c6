// MakeWritable.
#include "legacy/files.h"

#include <gtest/gtest.h>

#include "storage/file_system.h"
#include "support/temp_dir.h"

#if defined(_WIN32)
#include <windows.h>
#endif

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

#if defined(_WIN32)
// On Windows read-only is a file attribute: set by another program (or the
// Explorer's Properties box), cleared by MakeWritable with the other
// attributes and the times kept, after which the file can be replaced.
TEST(MakeWritableTest, ClearsTheWindowsReadOnlyAttribute) {
  test::TempDir dir;
  const auto path = dir / "sale.crz";
  test::WriteFile(path, "old");
  const auto time = fs::last_write_time(path) - std::chrono::hours(48);
  fs::last_write_time(path, time);
  ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  auto* files = storage::FileSystem::Default();
  test::WriteFile(dir / "new.tmp", "new");
  EXPECT_FALSE(files->Rename((dir / "new.tmp").string(), path.string()).ok());
  EXPECT_EQ(test::ReadFile(path), "old");

  EXPECT_TRUE(MakeWritable(path));
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(fs::last_write_time(path), time);
  EXPECT_TRUE(MakeWritable(path));  // already writable: nothing to do
  ASSERT_TRUE(files->Rename((dir / "new.tmp").string(), path.string()).ok());
  EXPECT_EQ(test::ReadFile(path), "new");
}
#endif

}  // namespace
}  // namespace sw::legacy
