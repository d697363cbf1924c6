// The fixture corpus: every file reads as its dump text, dump -> restore ->
// dump is stable, and every file survives commits that rewrite its views
// (the format: docs/storage-format.md).
#include <gtest/gtest.h>

#if defined(_WIN32)
#include "support/win32_process.h"
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <sstream>

#include "support/decimal_comma_locale.h"
#include "test_util.h"

namespace sw::storage::testing {
namespace {

TEST(Fixtures, EveryFileDumpsExactlyToItsText) {
  const auto names = FixtureNames();
  ASSERT_GE(names.size(), 46u);
  for (const auto& n : names) {
    EXPECT_EQ(Dump(FixtureDir() / (n + ".mk4")), ReadAll(FixtureDir() / (n + ".txt"))) << n;
  }
}

// The dump text's numbers do not follow the process locale: under one with a
// decimal comma every fixture still dumps to its text and restores from it.
TEST(Fixtures, DumpTextIgnoresADecimalCommaLocale) {
  sw::test::ScopedDecimalCommaLocale locale;
  ASSERT_TRUE(locale.active());
  ScratchDir dir;
  for (const auto& n : FixtureNames()) {
    if (n == "toplevel_field") continue;
    const std::string text = ReadAll(FixtureDir() / (n + ".txt"));
    EXPECT_EQ(Dump(FixtureDir() / (n + ".mk4")), text) << n;
    const auto out = dir / (n + ".restored");
    Status st = RestoreDump(text, out);
    ASSERT_TRUE(st.ok()) << n << ": " << st.message();
    EXPECT_EQ(Dump(out), text) << n;
  }
}

TEST(Fixtures, DumpRestoreDumpGivesTheSameText) {
  ScratchDir dir;
  for (const auto& n : FixtureNames()) {
    const std::string text = ReadAll(FixtureDir() / (n + ".txt"));
    const auto out = dir / (n + ".mk4");
    Status st = RestoreDump(text, out);
    if (n == "toplevel_field") {
      // Top-level non-view properties are read but never written.
      EXPECT_FALSE(st.ok());
      EXPECT_NE(st.message().find("\"x\""), std::string::npos) << st.message();
      EXPECT_FALSE(std::filesystem::exists(out));
      continue;
    }
    ASSERT_TRUE(st.ok()) << n << ": " << st.message();
    EXPECT_EQ(Dump(out), text) << n;
  }
}

// Runs the dump program; returns its exit status and stdout.
int RunDump(const std::string& args, std::string* out) {
#if defined(_WIN32)
  const auto work = std::filesystem::temp_directory_path() / ("sw_dump_run_" + std::to_string(::getpid()));
  std::filesystem::create_directories(work);
  const int code = sw::test::RunWin32(std::filesystem::path(SW_BIN_DIR) / "stumpwright-dump.exe",
                                      sw::test::WindowsArguments(args), work, work / "out.txt", work / "err.txt");
  *out += ReadAll(work / "out.txt");
  std::filesystem::remove_all(work);
  return code;
#else
  const std::string cmd = std::string(SW_BIN_DIR) + "/stumpwright-dump " + args + " 2>/dev/null";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
  const int status = ::pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

TEST(DumpProgram, HelpIsShownAndUnknownOptionsRefused) {
  std::string out;
  EXPECT_EQ(RunDump("--help", &out), 0);
  EXPECT_EQ(out.rfind("usage: stumpwright-dump FILE\n       stumpwright-dump --restore TEXT OUT\n", 0), 0u) << out;
  out.clear();
  EXPECT_EQ(RunDump("-h", &out), 0);
  EXPECT_NE(out.find("usage"), std::string::npos);
  out.clear();
  EXPECT_EQ(RunDump("--frobnicate", &out), 2);
  EXPECT_EQ(out, "");
}

TEST(DumpProgram, PrintsEveryFixtureAndRestoresWithoutOverwriting) {
  ScratchDir dir;
  for (const auto& n : FixtureNames()) {
    std::string out;
    ASSERT_EQ(RunDump("'" + (FixtureDir() / (n + ".mk4")).string() + "'", &out), 0) << n;
    EXPECT_EQ(out, ReadAll(FixtureDir() / (n + ".txt"))) << n;
  }
  std::string out;
  const auto txt = (FixtureDir() / "nested.txt").string();
  const auto target = (dir / "r.mk4").string();
  EXPECT_EQ(RunDump("--restore '" + txt + "' '" + target + "'", &out), 0);
  EXPECT_EQ(Dump(target), ReadAll(txt));
  EXPECT_NE(RunDump("--restore '" + txt + "' '" + target + "'", &out), 0);
  EXPECT_NE(RunDump("'" + (dir / "missing.mk4").string() + "'", &out), 0);
  EXPECT_NE(RunDump("'" + txt + "'", &out), 0);  // a text file is not a storage
}

// A dump edited on Windows comes back with CR LF line ends; it restores to
// the same file, and values holding a CR (written escaped) keep it.
TEST(Fixtures, RestoreAcceptsCrLfLineEnds) {
  ScratchDir dir;
  int restored = 0;
  for (const auto& n : FixtureNames()) {
    if (n == "toplevel_field") continue;
    const std::string text = ReadAll(FixtureDir() / (n + ".txt"));
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const auto out = dir / (n + ".crlf.mk4");
    Status st = RestoreDump(crlf, out);
    ASSERT_TRUE(st.ok()) << n << ": " << st.message();
    EXPECT_EQ(Dump(out), text) << n;
    ++restored;
  }
  EXPECT_GE(restored, 40);
  const auto cr = dir / "cr.mk4";
  ASSERT_TRUE(RestoreDump("v[a:S]\r\nVIEW v\r\na:S\r\nx\\ry\r\n", cr).ok());
  EXPECT_EQ(Dump(cr), "v[a:S]\nVIEW v\na:S\nx\\ry\n");
}

TEST(Fixtures, FreshFilesFollowTheLibraryLayout) {
  ScratchDir dir;
  for (const char* n : {"basic", "nested_small", "floats_packed", "memos", "strings"}) {
    const auto out = dir / (std::string(n) + ".mk4");
    ASSERT_TRUE(RestoreDump(ReadAll(FixtureDir() / (std::string(n) + ".txt")), out).ok());
    if (std::string(n) == "memos") {
      // Items over 10000 bytes stay inline here; the library accepts both.
      EXPECT_EQ(Dump(out), ReadAll(FixtureDir() / "memos.txt"));
      continue;
    }
    EXPECT_EQ(ReadAll(out), ReadAll(FixtureDir() / (std::string(n) + ".mk4"))) << n;
  }
}

TEST(Fixtures, RestoreRefusesToOverwriteAndReportsBadText) {
  ScratchDir dir;
  const auto out = dir / "x.mk4";
  WriteAll(out, "keep");
  Status st = RestoreDump(ReadAll(FixtureDir() / "basic.txt"), out);
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(ReadAll(out), "keep");
  st = RestoreDump("v[a:I]\nVIEW v\na:I\nnot a number\n", dir / "y.mk4");
  EXPECT_FALSE(st.ok());
  EXPECT_NE(st.message().find("line 4"), std::string::npos) << st.message();
  EXPECT_FALSE(std::filesystem::exists(dir / "y.mk4"));
}

// Marks every column of every view changed, so a commit rewrites them all.
void TouchEverything(Storage& s) {
  for (const auto& name : s.ViewNames()) {
    View v = s.GetView(name);
    v.Add();
    ASSERT_TRUE(v.RemoveAt(v.Size() - 1).ok());
  }
}

TEST(Fixtures, EveryFileReadsBackAfterRewritingCommits) {
  ScratchDir dir;
  for (const auto& n : FixtureNames()) {
    if (n == "toplevel_field") continue;
    const auto path = dir.Copy(n);
    const std::string expected = ReadAll(FixtureDir() / (n + ".txt"));
    for (int round = 0; round < 3; ++round) {
      auto s = Storage::Open(path, Storage::Mode::ReadWrite);
      ASSERT_TRUE(s.ok()) << n << ": " << s.status().message();
      TouchEverything(s.value());
      Status st = s->Commit();
      ASSERT_TRUE(st.ok()) << n << ": " << st.message();
    }
    EXPECT_EQ(Dump(path), expected) << n;
  }
}

TEST(Fixtures, TailSkipFilesReadTheOldVersionAndAcceptCommits) {
  ScratchDir dir;
  for (const char* n : {"tail_skip", "tail_skip_9x", "embedded", "extend_mode", "bigendian"}) {
    const auto path = dir.Copy(n);
    auto s = Storage::Open(path, Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok()) << s.status().message();
    const auto names = s->ViewNames();
    ASSERT_FALSE(names.empty());
    View v = s->GetView(names[0]);
    const std::size_t before = v.Size();
    v.Add();
    ASSERT_TRUE(s->Commit().ok()) << n;
    s = Storage::Open(path, Storage::Mode::ReadOnly);
    ASSERT_TRUE(s.ok()) << n << ": " << s.status().message();
    EXPECT_EQ(s->GetView(names[0]).Size(), before + 1) << n;
  }
}

TEST(Fixtures, LazyOpenDecodesOnlyTheViewsUsed) {
  ScratchDir dir;
  const auto path = dir.Copy("multi_view");
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(s.ok());
  const auto names = s->ViewNames();
  ASSERT_GE(names.size(), 2u);
  View first = s->GetView(names[0]);
  first.Add();
  ASSERT_TRUE(s->Commit().ok());
  const std::string text = Dump(path);
  EXPECT_NE(text, ReadAll(FixtureDir() / "multi_view.txt"));
  // The untouched views keep their content.
  for (std::size_t i = 1; i < names.size(); ++i) {
    auto orig = Storage::Open(FixtureDir() / "multi_view.mk4", Storage::Mode::ReadOnly);
    auto now = Storage::Open(path, Storage::Mode::ReadOnly);
    EXPECT_EQ(orig->GetView(names[i]).Size(), now->GetView(names[i]).Size());
  }
}

// The streamed dump gives the same text as the whole one, for every fixture,
// and leaves the storage usable: views are decoded again on their next use.
TEST(StreamedDump, SameTextAsTheWholeDumpAndViewsDecodeAgain) {
  for (const auto& n : FixtureNames()) {
    auto s = Storage::Open(FixtureDir() / (n + ".mk4"), Storage::Mode::ReadOnly);
    ASSERT_TRUE(s.ok()) << n;
    std::ostringstream out;
    ASSERT_TRUE(DumpStorageTo(s.value(), out).ok()) << n;
    EXPECT_EQ(out.str(), ReadAll(FixtureDir() / (n + ".txt"))) << n;
    // A second pass over the released views reads the same.
    EXPECT_EQ(DumpStorage(s.value()), out.str()) << n;
  }
}

// Releasing keeps what a handle holds or what was changed.
TEST(StreamedDump, ReleaseKeepsHeldAndChangedViews) {
  ScratchDir dir;
  const auto path = dir.Copy("basic");
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(s.ok());
  {
    View held = s->GetView("people");
    ASSERT_TRUE(s->Load("people", true).ok());
    // The handle still reaches the storage's own rows.
    ASSERT_TRUE(held.Set(0, 0, Value(std::string("Anne"))).ok());
  }
  // Changed: not released, the change stays until the commit.
  ASSERT_TRUE(s->Load("people", true).ok());
  EXPECT_EQ(s->GetView("people").GetText(0, 0), "Anne");
  ASSERT_TRUE(s->Commit().ok());
  // Committed and unheld: released, then decoded again from the file.
  ASSERT_TRUE(s->Load("people", true).ok());
  EXPECT_EQ(s->GetView("people").GetText(0, 0), "Anne");
  EXPECT_EQ(s->GetView("people").Size(), 3u);
  EXPECT_FALSE(s->Load("nobody", true).ok());
}

// A damaged view is found before any text is written.
TEST(StreamedDump, DamagedViewGivesAnErrorAndNoOutput) {
  ScratchDir dir;
  const auto path = dir.Copy("multi_view");
  std::string bytes = ReadAll(path);
  auto s = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(s.ok());
  const auto names = s->ViewNames();
  ASSERT_GE(names.size(), 2u);
  // Every file position is tried until one damages only a later view's data.
  bool found = false;
  for (std::size_t at = 8; at + 16 < bytes.size() && !found; ++at) {
    std::string broken = bytes;
    broken[at] = static_cast<char>(broken[at] ^ 0x7F);
    WriteAll(path, broken);
    auto b = Storage::Open(path, Storage::Mode::ReadOnly);
    if (!b.ok() || !b->Load(names[0], false).ok() || b->Load(names.back(), false).ok()) continue;
    found = true;
    std::ostringstream out;
    Status st = DumpStorageTo(b.value(), out);
    EXPECT_FALSE(st.ok());
    EXPECT_NE(st.message().find("damaged"), std::string::npos) << st.message();
    EXPECT_EQ(out.str(), "");
    std::string program_out;
    EXPECT_EQ(RunDump("'" + path.string() + "'", &program_out), 1);
    EXPECT_EQ(program_out, "");
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace sw::storage::testing
