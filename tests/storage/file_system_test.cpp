// The system's FileSystem: what the storage engine and the output set rely
// on, checked on whichever system the test runs (the Windows build runs it
// under wine). Sharing and attributes that only Windows has are checked
// there; names with non-ASCII characters and both separators everywhere.
#include "storage/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "storage/output_set.h"
#include "storage/utf8_path.h"
#include "test_util.h"

#if defined(_WIN32)
#include <windows.h>

#include "storage/win32_text.h"
#endif

namespace sw::storage {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

FileSystem& Fs() { return *FileSystem::Default(); }

std::string ReadThrough(const std::string& path) {
  auto file = Fs().Open(path, false);
  if (!file.ok()) return "<" + file.status().message() + ">";
  auto size = file.value()->Size();
  if (!size.ok()) return "<" + size.status().message() + ">";
  std::string bytes(static_cast<std::size_t>(size.value()), '\0');
  const Status st = file.value()->ReadAt(0, bytes.data(), bytes.size());
  return st.ok() ? bytes : "<" + st.message() + ">";
}

// "Grüße Ø 北" in UTF-8: Latin-1, outside Latin-1, and outside the BMP-less
// ANSI code pages.
const std::string kWideName = "Gr\xC3\xBC\xC3\x9F" "e \xC3\x98 \xE5\x8C\x97";

TEST(FileSystem, CreateWriteSyncReadBack) {
  ScratchDir dir;
  const std::string path = (dir / "a.bin").string();
  {
    auto file = Fs().Create(path);
    ASSERT_TRUE(file.ok()) << file.status().message();
    ASSERT_TRUE(file.value()->WriteAt(0, "hello", 5).ok());
    ASSERT_TRUE(file.value()->WriteAt(8, "end", 3).ok());  // grows past a gap
    ASSERT_TRUE(file.value()->Sync().ok());
    EXPECT_EQ(file.value()->Size().value(), 11u);
  }
  EXPECT_EQ(ReadAll(path), std::string("hello\0\0\0end", 11));
  EXPECT_FALSE(Fs().Create(path).ok());  // never over an existing file
  EXPECT_EQ(ReadAll(path), std::string("hello\0\0\0end", 11));

  auto file = Fs().Open(path, false);
  ASSERT_TRUE(file.ok());
  char buffer[4] = {};
  EXPECT_TRUE(file.value()->ReadAt(8, buffer, 3).ok());
  EXPECT_EQ(std::string(buffer, 3), "end");
  const Status short_read = file.value()->ReadAt(9, buffer, 4);
  EXPECT_FALSE(short_read.ok());
  EXPECT_NE(short_read.message().find("end of file"), std::string::npos) << short_read.message();
}

TEST(FileSystem, MissingFilesAndFoldersAreReportedByName) {
  ScratchDir dir;
  const std::string missing = (dir / "none.crz").string();
  EXPECT_FALSE(Fs().Exists(missing));
  auto opened = Fs().Open(missing, true);
  ASSERT_FALSE(opened.ok());
  EXPECT_NE(opened.status().message().find(missing), std::string::npos) << opened.status().message();
  EXPECT_FALSE(Fs().Open((dir / "").string(), false).ok());  // a folder is not a file
  EXPECT_FALSE(Fs().Remove(missing).ok());
  EXPECT_FALSE(Fs().Rename(missing, (dir / "x").string()).ok());
  EXPECT_FALSE(Fs().Exists((dir / "x").string()));
}

// Two writers of one file exclude each other; readers are never blocked.
TEST(FileSystem, WritersExcludeEachOtherButNotReaders) {
  ScratchDir dir;
  const std::string path = (dir / "held.crz").string();
  WriteAll(path, "payload");
  auto first = Fs().Open(path, true);
  ASSERT_TRUE(first.ok()) << first.status().message();
  auto second = Fs().Open(path, true);
  ASSERT_FALSE(second.ok());
  EXPECT_NE(second.status().message().find("held by another program"), std::string::npos)
      << second.status().message();
  EXPECT_EQ(ReadThrough(path), "payload");  // the lock covers no data byte
  first.value().reset();
  EXPECT_TRUE(Fs().Open(path, true).ok());

  const std::string fresh = (dir / "fresh.crz").string();
  auto lock = Fs().LockPath(fresh);
  ASSERT_TRUE(lock.ok());
  EXPECT_FALSE(Fs().LockPath(fresh).ok());
  lock.value().reset();
  EXPECT_TRUE(Fs().LockPath(fresh).ok());
}

// The storage engine writes a new file beside the target and renames it into
// place while it is still open; the new contents replace the old ones.
TEST(FileSystem, RenameReplacesAnExistingFileWhileTheSourceIsOpen) {
  ScratchDir dir;
  const std::string target = (dir / "sale.crz").string();
  const std::string temp = (dir / "sale.crz.sw-new").string();
  WriteAll(target, "old contents, longer than the new");
  auto file = Fs().Create(temp);
  ASSERT_TRUE(file.ok());
  ASSERT_TRUE(file.value()->WriteAt(0, "new", 3).ok());
  ASSERT_TRUE(file.value()->Sync().ok());
  const Status st = Fs().Rename(temp, target);
  ASSERT_TRUE(st.ok()) << st.message();
  EXPECT_FALSE(Fs().Exists(temp));
  ASSERT_TRUE(file.value()->WriteAt(3, "er", 2).ok());  // the handle follows the file
  file.value().reset();
  EXPECT_EQ(ReadAll(target), "newer");
  ASSERT_TRUE(Fs().Remove(target).ok());
  EXPECT_FALSE(Fs().Exists(target));
}

TEST(FileSystem, NonAsciiNamesRoundTrip) {
  ScratchDir dir;
  const std::filesystem::path folder = dir / "" / Utf8Path(kWideName);
  std::filesystem::create_directories(folder);
  const std::string path = (folder / Utf8Path(kWideName + ".crz")).string();
  EXPECT_EQ(path.substr(path.size() - kWideName.size() - 4), kWideName + ".crz");  // UTF-8 back out
  {
    auto file = Fs().Create(path);
    ASSERT_TRUE(file.ok()) << file.status().message();
    ASSERT_TRUE(file.value()->WriteAt(0, "x", 1).ok());
  }
  EXPECT_TRUE(Fs().Exists(path));
  EXPECT_EQ(ReadThrough(path), "x");
  // The name on disk is the one given, not a re-encoding of its bytes.
  bool found = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    found = found || entry.path().filename().u8string() == Utf8Path(kWideName + ".crz").u8string();
  }
  EXPECT_TRUE(found);
  const std::string renamed = (folder / Utf8Path("\xC3\xA9t\xC3\xA9.crz")).string();
  ASSERT_TRUE(Fs().Rename(path, renamed).ok());
  EXPECT_EQ(ReadThrough(renamed), "x");
  EXPECT_FALSE(Fs().Exists(path));
}

#if defined(_WIN32)

std::wstring W(const std::string& utf8) { return win32::Widen(utf8); }

// Both separators, and a drive letter, name the same file.
TEST(FileSystemWindows, BackslashesForwardSlashesAndDriveLetters) {
  ScratchDir dir;
  std::string native = std::filesystem::absolute(dir / "mixed.key").string();  // e.g. C:\users\...\mixed.key
  ASSERT_GE(native.size(), 3u);
  ASSERT_EQ(native[1], ':') << native;
  std::string forward = native;
  for (char& c : forward) c = c == '\\' ? '/' : c;
  std::string backward = native;
  for (char& c : backward) c = c == '/' ? '\\' : c;
  {
    auto file = Fs().Create(forward);
    ASSERT_TRUE(file.ok()) << file.status().message();
    ASSERT_TRUE(file.value()->WriteAt(0, "sep", 3).ok());
  }
  EXPECT_TRUE(Fs().Exists(backward));
  EXPECT_EQ(ReadThrough(backward), "sep");
  // The in-process lock of a path not yet created sees through spelling.
  const std::string pending = backward + ".new";
  std::string pending_other = pending;
  for (char& c : pending_other) c = c == '\\' ? '/' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto lock = Fs().LockPath(pending);
  ASSERT_TRUE(lock.ok());
  EXPECT_FALSE(Fs().LockPath(pending_other).ok());
  // std::filesystem splits both.
  EXPECT_EQ(std::filesystem::path(forward).filename().string(), "mixed.key");
  EXPECT_EQ(std::filesystem::path(backward).filename().string(), "mixed.key");
  EXPECT_EQ(std::filesystem::path("C:\\a/b\\c.job").parent_path().filename().string(), "b");
}

// A program that holds the target open without delete sharing (an editor,
// a spreadsheet) keeps it: the replace is refused with a message that says
// so, and the target's bytes stay as they were.
TEST(FileSystemWindows, TargetHeldOpenByAnotherProgramIsReportedNotOverwritten) {
  ScratchDir dir;
  const std::string target = (dir / "held.key").string();
  const std::string temp = (dir / "held.key.tmp").string();
  WriteAll(target, "the user's file");
  WriteAll(temp, "replacement");
  HANDLE other = ::CreateFileW(W(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  const Status st = Fs().Rename(temp, target);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("held.key"), std::string::npos) << st.message();
  EXPECT_NE(st.message().find("held open by another program"), std::string::npos) << st.message();
  EXPECT_FALSE(Fs().Open(target, true).ok());  // no write sharing either
  const Status removed = Fs().Remove(target);
  EXPECT_FALSE(removed.ok());
  ::CloseHandle(other);
  EXPECT_EQ(ReadAll(target), "the user's file");
  EXPECT_EQ(ReadAll(temp), "replacement");
  ASSERT_TRUE(Fs().Rename(temp, target).ok());  // released: now it goes through
  EXPECT_EQ(ReadAll(target), "replacement");
}

// A read-only target is not silently replaced; once made writable (as the
// Create command does first) it is, and its data are the new ones.
TEST(FileSystemWindows, ReadOnlyTargetIsRefusedUntilMadeWritable) {
  ScratchDir dir;
  const std::string target = (dir / "ro.crz").string();
  const std::string temp = (dir / "ro.crz.tmp").string();
  WriteAll(target, "read-only data");
  WriteAll(temp, "fresh");
  struct Writable {  // lets the scratch folder go whatever happens
    std::wstring path;
    ~Writable() { ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); }
  } restore{W(target)};
  ASSERT_TRUE(::SetFileAttributesW(W(target).c_str(), FILE_ATTRIBUTE_READONLY));
  auto opened = Fs().Open(target, true);
  ASSERT_FALSE(opened.ok());
  EXPECT_NE(opened.status().message().find("read-only"), std::string::npos) << opened.status().message();
  const Status st = Fs().Rename(temp, target);
  ASSERT_FALSE(st.ok());
  EXPECT_NE(st.message().find("read-only"), std::string::npos) << st.message();
  EXPECT_EQ(ReadAll(target), "read-only data");
  ASSERT_TRUE(::SetFileAttributesW(W(target).c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(Fs().Rename(temp, target).ok());
  EXPECT_EQ(ReadAll(target), "fresh");
}

// The output set on Windows paths: temporaries beside a target named with
// backslashes, and an existing target (which the set keeps locked, that is
// open, until the end) replaced by its new content.
TEST(OutputSetWindows, BackslashTargetsAreReplacedInPlace) {
  ScratchDir dir;
  std::string folder = std::filesystem::absolute(dir / "").string();
  for (char& c : folder) c = c == '/' ? '\\' : c;
  if (folder.back() != '\\') folder += '\\';
  const std::string key = folder + "sale.key";
  const std::string job = folder + "sale.job";
  WriteAll(key, "old key\r\n");
  {
    OutputSet set;
    auto temp = set.Add(key);
    ASSERT_TRUE(temp.ok()) << temp.status().message();
    EXPECT_EQ(temp.value().rfind(folder, 0), 0u) << temp.value();  // beside the target
    EXPECT_EQ(temp.value().find('/'), std::string::npos) << temp.value();
    ASSERT_TRUE(set.WriteText(job, [](std::ostream& out) { return static_cast<bool>(out << "new job\n"); }).ok());
    auto file = set.TemporaryFile(key);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->WriteAt(0, "new key\n", 8).ok());
    const Status st = set.Commit();
    ASSERT_TRUE(st.ok()) << st.message();
  }
  EXPECT_EQ(ReadAll(key), "new key\n");
  EXPECT_EQ(ReadAll(job), "new job\n");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "")) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"sale.job", "sale.key"}));
}

TEST(OutputSetWindows, TargetHeldByAnotherProgramStopsTheSetAndIsKept) {
  ScratchDir dir;
  const std::string key = (dir / "held.key").string();
  const std::string job = (dir / "held.job").string();
  WriteAll(key, "user's key");
  HANDLE other = ::CreateFileW(W(key).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  Status st;
  {
    OutputSet set;
    st = set.WriteText(job, [](std::ostream& out) { return static_cast<bool>(out << "job"); });
    if (st.ok()) st = set.WriteText(key, [](std::ostream& out) { return static_cast<bool>(out << "key"); });
    if (st.ok()) st = set.Commit();
  }
  ::CloseHandle(other);
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("held.key"), std::string::npos) << st.message();
  EXPECT_EQ(ReadAll(key), "user's key");
  EXPECT_FALSE(std::filesystem::exists(job));  // all or nothing
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "")) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST(FileSystemWindows, ListAndSyncFolders) {
  ScratchDir dir;
  WriteAll(dir / "a.txt", "a");
  std::filesystem::create_directories(dir / "" / Utf8Path(kWideName));
  auto names = Fs().ListFolder((dir / "").string());
  ASSERT_TRUE(names.ok()) << names.status().message();
  std::sort(names.value().begin(), names.value().end());
  EXPECT_EQ(names.value(), (std::vector<std::string>{kWideName, "a.txt"}));
  EXPECT_TRUE(Fs().SyncFolder((dir / "").string()).ok());
  EXPECT_FALSE(Fs().ListFolder((dir / "missing").string()).ok());
  auto lock = Fs().LockFile((dir / "a.txt").string());
  ASSERT_TRUE(lock.ok());
  EXPECT_TRUE(IsInUse(Fs().Open((dir / "a.txt").string(), true).status()));
  EXPECT_EQ(ReadThrough((dir / "a.txt").string()), "a");
}

TEST(FileSystemWindows, Utf8AndUtf16ConvertBothWays) {
  EXPECT_EQ(win32::Widen(kWideName), L"Gr\u00FC\u00DFe \u00D8 \u5317");
  EXPECT_EQ(win32::Narrow(win32::Widen(kWideName)), kWideName);
  EXPECT_EQ(win32::Narrow(L"\U0001F332"), "\xF0\x9F\x8C\xB2");  // a surrogate pair
  EXPECT_EQ(win32::Widen(""), L"");
  EXPECT_EQ(win32::Widen("a\xFF" "b"), L"a\uFFFDb");  // invalid UTF-8 is replaced, not dropped
  EXPECT_NE(win32::SystemMessage(ERROR_FILE_NOT_FOUND).find("(error 2)"), std::string::npos);
}

#endif

}  // namespace
}  // namespace sw::storage
