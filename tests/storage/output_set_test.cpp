// OutputSet: all targets or none, at every injected fault; "in use" targets;
// leftovers of killed runs.
#include "storage/output_set.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "support/fault_file_system.h"
#include "test_util.h"

namespace sw::storage::testing {
namespace {

namespace fs = std::filesystem;
using sw::test::KillingFileSystem;
using sw::test::StepFaultFileSystem;

std::map<std::string, std::string> Folder(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) files[e.path().filename().string()] = ReadAll(e.path());
  return files;
}

bool HasTemporary(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir))
    if (IsOutputTemporary(e.path().filename().string())) return true;
  return false;
}

Status WriteString(OutputSet& set, const fs::path& target, const std::string& text) {
  return set.WriteText(target.string(), [&](std::ostream& out) {
    out << text;
    return true;
  });
}

// A key, a job and a new storage, as a conversion writes them.
Status WriteThree(const ScratchDir& dir, FileSystem* files) {
  OutputSet set(files);
  Status st = WriteString(set, dir / "a.key", "new key\n");
  if (st.ok()) st = WriteString(set, dir / "a.job", std::string(3000, 'j'));
  if (!st.ok()) return st;
  auto storage = set.AddStorage((dir / "a.crz").string());
  if (!storage.ok()) return storage.status();
  auto view = storage->GetAs("T[name:S,n:I]");
  if (!view.ok()) return view.status();
  Row row;
  row.Set(StringColumn("name"), "tree").Set(IntColumn("n"), 7);
  view->Add(row);
  st = storage->Commit();
  if (!st.ok()) return st;
  return set.Commit();
}

TEST(OutputSet, WritesEveryTargetAndLeavesNoTemporary) {
  ScratchDir dir;
  WriteAll(dir / "a.key", "old key\n");
  ASSERT_TRUE(WriteThree(dir, nullptr).ok());
  auto files = Folder(fs::path((dir / "x").parent_path()));
  EXPECT_EQ(files.size(), 3u);
  EXPECT_EQ(files["a.key"], "new key\n");
  EXPECT_EQ(files["a.job"], std::string(3000, 'j'));
  auto back = Storage::Open(dir / "a.crz", Storage::Mode::ReadOnly);
  ASSERT_TRUE(back.ok()) << back.status().message();
  View t = back->GetView("T");
  ASSERT_EQ(t.Size(), 1u);
  EXPECT_EQ(t.Bind(StringColumn("name")).Get(0), "tree");
  EXPECT_EQ(t.Bind(IntColumn("n")).Get(0), 7);
}

// Every write, flush and rename fails in turn: the folder then holds the old
// files byte for byte and no temporary, or (a folder flush after the moves)
// every new file.
TEST(OutputSet, AFaultAtAnyStepLeavesAllOldOrAllNewFiles) {
  StepFaultFileSystem counting;
  {
    ScratchDir dir;
    WriteAll(dir / "a.key", "old key\n");
    WriteAll(dir / "a.job", "old job\n");
    ASSERT_TRUE(WriteThree(dir, &counting).ok());
  }
  const long total = counting.steps;
  ASSERT_GT(total, 8);
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE("fault at step " + std::to_string(n) + " of " + std::to_string(total) + ": " +
                 counting.log[static_cast<std::size_t>(n - 1)]);
    ScratchDir dir;
    WriteAll(dir / "a.key", "old key\n");
    WriteAll(dir / "a.job", "old job\n");
    const fs::path folder = (dir / "a.key").parent_path();
    const auto before = Folder(folder);
    StepFaultFileSystem faulty;
    faulty.fail_at = n;
    const Status st = WriteThree(dir, &faulty);
    EXPECT_FALSE(HasTemporary(folder));
    const auto after = Folder(folder);
    if (st.ok()) {
      EXPECT_EQ(after.at("a.key"), "new key\n");
      EXPECT_EQ(after.at("a.job"), std::string(3000, 'j'));
      EXPECT_TRUE(after.count("a.crz"));
    } else {
      EXPECT_EQ(after, before);
    }
  }
}

TEST(OutputSet, DestroyedWithoutCommitLeavesEveryFileAsItWas) {
  ScratchDir dir;
  WriteAll(dir / "a.key", "old key\n");
  {
    OutputSet set;
    ASSERT_TRUE(WriteString(set, dir / "a.key", "new").ok());
    ASSERT_TRUE(WriteString(set, dir / "b.key", "new").ok());
    EXPECT_TRUE(HasTemporary((dir / "a.key").parent_path()));
  }
  auto files = Folder((dir / "a.key").parent_path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files["a.key"], "old key\n");
}

TEST(OutputSet, AStorageLeftUncommittedIsNotMovedIntoPlace) {
  ScratchDir dir;
  WriteAll(dir / "a.crz", "old");
  OutputSet set;
  auto storage = set.AddStorage((dir / "a.crz").string());
  ASSERT_TRUE(storage.ok());
  Status st = set.Commit();
  EXPECT_FALSE(st.ok());
  EXPECT_EQ(ReadAll(dir / "a.crz"), "old");
  EXPECT_FALSE(HasTemporary((dir / "a.crz").parent_path()));
}

TEST(OutputSet, ATargetHeldByAWriterIsInUseAndKept) {
  ScratchDir dir;
  {
    auto s = Storage::Open(dir / "a.crz", Storage::Mode::ReadWrite);
    ASSERT_TRUE(s.ok());
    ASSERT_TRUE(s->GetAs("T[a:S]").ok());
    ASSERT_TRUE(s->Commit().ok());
  }
  const std::string old = ReadAll(dir / "a.crz");
  auto holder = Storage::Open(dir / "a.crz", Storage::Mode::ReadWrite);
  ASSERT_TRUE(holder.ok());
  OutputSet set;
  auto added = set.Add((dir / "a.crz").string());
  ASSERT_FALSE(added.ok());
  EXPECT_TRUE(IsInUse(added.status())) << added.status().message();
  EXPECT_EQ(ReadAll(dir / "a.crz"), old);
}

// Two sets onto one new target: the first moves its file into place; the
// second finds the target held by the first and stops.
TEST(OutputSet, TheSecondOfTwoSetsOntoOneTargetStopsAsInUse) {
  ScratchDir dir;
  OutputSet first, second;
  ASSERT_TRUE(WriteString(first, dir / "a.job", "first").ok());
  ASSERT_TRUE(WriteString(second, dir / "a.job", "second").ok());
  ASSERT_TRUE(first.Commit().ok());
  auto file = first.TemporaryFile((dir / "a.job").string());  // still holding the new file
  Status st = second.Commit();
  EXPECT_TRUE(IsInUse(st)) << st.message();
  EXPECT_EQ(ReadAll(dir / "a.job"), "first");
  EXPECT_FALSE(HasTemporary((dir / "a.job").parent_path()));
}

// A killed run's temporary is removed by the next set, but never while the
// process that made it is alive.
TEST(OutputSet, LeftoversAreRemovedOnlyWhenNoLiveProcessHoldsThem) {
  ScratchDir dir;
  const fs::path folder = (dir / "a.key").parent_path();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    OutputSet set;
    ASSERT_TRUE(set.WriteText((dir / "a.key").string(), [](std::ostream& out) { return static_cast<bool>(out << "child"); }).ok());
    char c = 'x';
    (void)!::write(ready[1], &c, 1);
    ::pause();  // killed by the parent, as a run killed mid-conversion
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_TRUE(HasTemporary(folder));
  {
    OutputSet live;
    ASSERT_TRUE(WriteString(live, dir / "b.key", "b").ok());
    ASSERT_TRUE(live.Commit().ok());
  }
  EXPECT_TRUE(HasTemporary(folder)) << "a live process's temporary was removed";
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  {
    OutputSet next;
    ASSERT_TRUE(WriteString(next, dir / "c.key", "c").ok());
    ASSERT_TRUE(next.Commit().ok());
  }
  EXPECT_FALSE(HasTemporary(folder));
  EXPECT_FALSE(fs::exists(dir / "a.key"));
  EXPECT_EQ(ReadAll(dir / "b.key"), "b");
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST(OutputSet, ANewStorageIsCommittedThroughASetAndLeavesNoOtherFile) {
  ScratchDir dir;
  const fs::path path = dir / "new.crz";
  auto s = Storage::Open(path, Storage::Mode::ReadWrite);
  ASSERT_TRUE(s.ok());
  ASSERT_TRUE(s->GetAs("T[a:S]").ok());
  ASSERT_TRUE(s->Commit().ok());
  auto files = Folder(path.parent_path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(files.count("new.crz"));
  // The storage keeps writing to the file it moved into place.
  Row row;
  row.Set(StringColumn("a"), "x");
  s->GetView("T").Add(row);
  ASSERT_TRUE(s->Commit().ok());
  s = Storage::Open(dir / "other", Storage::Mode::ReadOnly);  // releases the lock
  auto back = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back->GetView("T").Size(), 1u);
}

// A process killed before each create, rename and folder flush of a set of
// three files: the next set in the folder leaves the three all old or all
// new, and no temporary or journal.
TEST(OutputSet, AKilledSetEndsAllOldOrAllNewAfterTheNextRun) {
  for (long k = 1;; ++k) {
    SCOPED_TRACE("killed at step " + std::to_string(k));
    ScratchDir dir;
    WriteAll(dir / "a.key", "old key\n");
    WriteAll(dir / "a.job", "old job\n");
    const fs::path folder = (dir / "a.key").parent_path();
    const auto before = Folder(folder);
    const pid_t child = ::fork();
    if (child == 0) {
      KillingFileSystem killing;
      killing.kill_at = k;
      ::_exit(WriteThree(dir, &killing).ok() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    const bool killed = WEXITSTATUS(status) == 9;
    {
      OutputSet next;
      ASSERT_TRUE(WriteString(next, dir / "other.txt", "x").ok());
      ASSERT_TRUE(next.Commit().ok());
    }
    fs::remove(dir / "other.txt");
    EXPECT_FALSE(HasTemporary(folder));
    const auto after = Folder(folder);
    const bool all_new = after.count("a.crz") && after.at("a.key") == "new key\n" &&
                         after.at("a.job") == std::string(3000, 'j');
    EXPECT_TRUE(after == before || all_new);
    if (!killed) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_TRUE(all_new);
      break;
    }
  }
}

// A journal is a file in the user's folder: moves it lists that are not a
// temporary onto its own target in that folder are ignored.
TEST(OutputSet, AJournalMovesOnlyTemporariesOntoTheirTargetsInItsFolder) {
  ScratchDir dir;
  const fs::path folder = (dir / "x").parent_path();
  const fs::path elsewhere = folder / "elsewhere";
  fs::create_directory(elsewhere);
  WriteAll(elsewhere / "victim", "keep");
  WriteAll(dir / "~victim.1-1.swtmp", "moved out");
  WriteAll(dir / "a.key", "old key\n");
  WriteAll(dir / "~a.key.1-1.swtmp", "new key\n");
  WriteAll(dir / "b.txt", "b");
  WriteAll(dir / "~a.job.1-1.swtmp", "not for a.key");
  const std::string journal = (dir / "~a.key.1-1.swset").string();
  WriteAll(journal, (dir / "b.txt").string() + "\t" + (elsewhere / "victim").string() + "\n" +
                        (dir / "~victim.1-1.swtmp").string() + "\t" + (elsewhere / "victim").string() + "\n" +
                        (dir / "~a.job.1-1.swtmp").string() + "\t" + (dir / "a.key").string() + "\n" +
                        (dir / "~a.key.1-1.swtmp").string() + "\t" + (dir / "a.key").string() + "\n" + "end\n");
  {
    OutputSet next;
    ASSERT_TRUE(WriteString(next, dir / "c.txt", "c").ok());
    ASSERT_TRUE(next.Commit().ok());
  }
  EXPECT_EQ(ReadAll(elsewhere / "victim"), "keep");
  EXPECT_EQ(ReadAll(dir / "b.txt"), "b");
  EXPECT_EQ(ReadAll(dir / "a.key"), "new key\n");
  EXPECT_FALSE(HasTemporary(folder));
}

TEST(OutputSet, ATargetIsWrittenOnlyOnce) {
  ScratchDir dir;
  OutputSet set;
  ASSERT_TRUE(WriteString(set, dir / "a", "1").ok());
  EXPECT_FALSE(WriteString(set, dir / "a", "2").ok());
}

}  // namespace
}  // namespace sw::storage::testing
