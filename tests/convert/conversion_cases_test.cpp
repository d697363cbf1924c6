// The conversions end with all their outputs or none: each reproduced case of
// a lost or mixed-up file, a fault at every step of each conversion's output
// set, cruise files in use, two processes on one target, killed runs'
// leftovers, and cruise files another program extended.
#include <gtest/gtest.h>
#include <signal.h>
#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/create_command.h"
#include "app/main_dialog.h"
#include "cruisedb/columns.h"
#include "legacy/import/import_files.h"
#include "platform/scripted_platform.h"
#include "storage/output_set.h"
#include "storage/storage.h"
#include "support/fault_file_system.h"
#include "support/fixed_time.h"
#include "support/temp_dir.h"

namespace sw::convert {
namespace {

namespace fs = std::filesystem;
namespace col = cruisedb::col;
using app::CreateOutcome;
using platform::Button;
using platform::ScriptedPlatform;
using storage::Storage;
using storage::View;
using test::ReadFile;
using test::WriteFile;

std::tm FixedTime() { return test::LocalTime(2010, 3, 5, 9, 7); }

// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> Folder(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files[e.path().filename().string()] = ReadFile(e.path());
  return files;
}

bool HasTemporary(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir))
    if (storage::IsOutputTemporary(e.path().filename().string())) return true;
  return false;
}

// Every cell of a view as text, row by row.
std::vector<std::string> Cells(const View& view) {
  std::vector<std::string> rows;
  for (std::size_t r = 0; r < view.Size(); ++r) {
    std::string row;
    for (std::size_t c = 0; c < view.ColumnCount(); ++c) row += view.ColumnAt(c).name + "=" + view.GetText(r, c) + "|";
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> CellsOf(const fs::path& crz, const std::string& view) {
  auto file = Storage::Open(crz, Storage::Mode::ReadOnly);
  EXPECT_TRUE(file.ok()) << file.status().message();
  return file.ok() ? Cells(file->GetView(view)) : std::vector<std::string>{};
}

class ConversionCases : public ::testing::Test {
 protected:
  CreateOutcome Run(ScriptedPlatform& p, const fs::path& chosen, storage::FileSystem* files = nullptr) {
    app::MainDialog dialog(p);
    EXPECT_TRUE(dialog.Initialise(test::BuiltBaseDictionary().parent_path(), dir_.path()));
    EXPECT_TRUE(dialog.ChooseFile(chosen.string()));
    return app::CreateCommand(files).Run(dialog, FixedTime());
  }
  std::string AllText(const ScriptedPlatform& p) {
    std::string all;
    for (const auto& m : p.messages()) all += m.text + "\n";
    return all;
  }
  void WriteVersion7Pair(int trees = 12) {
    WriteFile(key_, test::KeyFileText("06V", "sale.job"));
    WriteFile(job_, test::JoinLines(test::Version7JobLines(trees, 2, false)));
  }
  void WriteVersion6Pair() {
    WriteFile(key_, test::KeyFileText("06", "sale.job"));
    WriteFile(job_, test::JoinLines(test::Version6JobLines(6)));
  }
  // A cruise file made by importing a Version 7 pair.
  void MakeCruiseFile() {
    WriteVersion7Pair();
    ScriptedPlatform p;
    ASSERT_EQ(Run(p, key_), CreateOutcome::kDone) << AllText(p);
  }
  CreateOutcome Export(ScriptedPlatform& p, storage::FileSystem* files = nullptr) { return Run(p, crz_, files); }
  // Changes the cruise file as another program would.
  template <class F>
  void Edit(F change) {
    auto file = Storage::Open(crz_, Storage::Mode::ReadWrite);
    ASSERT_TRUE(file.ok()) << file.status().message();
    change(file.value());
    ASSERT_TRUE(file->Commit().ok());
  }
  void RemoveDictionaryRows(const std::string& table, const std::string& column = "") {
    Edit([&](Storage& s) {
      View dictionary = s.GetView("DataDictionary");
      auto table_name = dictionary.Bind(col::TableName);
      auto column_name = dictionary.Bind(col::ColumnName);
      for (std::size_t r = dictionary.Size(); r-- > 0;)
        if (table_name.Get(r) == table && (column.empty() || column_name.Get(r) == column)) {
          ASSERT_TRUE(dictionary.RemoveAt(r).ok());
        }
    });
  }
  std::vector<std::string> TreeLines(const fs::path& job) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(job));
    for (std::string line; std::getline(in, line);)
      if (line.rfind("7A", 0) == 0) lines.push_back(line);
    return lines;
  }

  test::TempDir dir_;
  fs::path key_ = dir_ / "sale.key";
  fs::path job_ = dir_ / "sale.job";
  fs::path crz_ = dir_ / "sale.crz";
};

// ---------------------------------------------------------------- case 1 ---
// The export restructured a table whose dictionary rows were missing to no
// columns, committed it, and wrote blank tree records.

TEST_F(ConversionCases, ExportKeepsATableTheDictionaryHasNoRowsFor) {
  MakeCruiseFile();
  const auto trees = CellsOf(crz_, "TreeTable");
  ASSERT_EQ(trees.size(), 12u);
  RemoveDictionaryRows("TreeTable");
  for (int run = 0; run < 2; ++run) {
    ScriptedPlatform p;
    EXPECT_EQ(Export(p), CreateOutcome::kDone) << AllText(p);
    EXPECT_EQ(CellsOf(crz_, "TreeTable"), trees) << "run " << run;
    // The tree records are written whole, not blank.
    const auto lines = TreeLines(job_);
    ASSERT_EQ(lines.size(), 12u);
    for (const std::string& line : lines) EXPECT_NE(line.substr(19, 6), "      ") << line;
    EXPECT_EQ(lines[0].substr(19, 2), "DF");
  }
}

TEST_F(ConversionCases, ExportKeepsAColumnTheDictionaryDoesNotDescribe) {
  MakeCruiseFile();
  const auto trees = CellsOf(crz_, "TreeTable");
  RemoveDictionaryRows("TreeTable", "Sp");
  ScriptedPlatform p;
  EXPECT_EQ(Export(p), CreateOutcome::kDone) << AllText(p);
  EXPECT_EQ(CellsOf(crz_, "TreeTable"), trees);
}

TEST_F(ConversionCases, ExportOfAFileWithoutADictionaryLosesNothing) {
  MakeCruiseFile();
  Edit([](Storage& s) { ASSERT_TRUE(s.GetAs("DataDictionary").ok()); });  // deletes the view
  std::map<std::string, std::vector<std::string>> before;
  for (const char* v : {"TreeTable", "LogTable", "StratumTable", "CuttingUnitTable", "VolumeEquationTable"})
    before[v] = CellsOf(crz_, v);
  ScriptedPlatform p;
  EXPECT_EQ(Export(p), CreateOutcome::kDone) << AllText(p);
  for (const auto& [v, cells] : before) EXPECT_EQ(CellsOf(crz_, v), cells) << v;
  EXPECT_EQ(TreeLines(job_).size(), 12u);
  auto file = Storage::Open(crz_, Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  EXPECT_FALSE(file->HasView("DataDictionary"));
  EXPECT_EQ(file->GetView("MessageLog").Size(), 2u);  // "26" and "25"
}

// A processing program adds ExpanFac to TreeTable, a column to DataDictionary
// and a view of its own; the export keeps all three with their values.
TEST_F(ConversionCases, ExportKeepsColumnsAndViewsOtherProgramsAdded) {
  MakeCruiseFile();
  Edit([](Storage& s) {
    View trees = s.GetView("TreeTable");
    std::string description = "TreeTable[";
    for (std::size_t c = 0; c < trees.ColumnCount(); ++c)
      description += trees.ColumnAt(c).name + ":" + static_cast<char>(trees.ColumnAt(c).type) + ",";
    auto extended = s.GetAs(description + "ExpanFac:F]");
    ASSERT_TRUE(extended.ok());
    auto expan = extended->Bind(storage::FloatColumn("ExpanFac"));
    for (std::size_t r = 0; r < extended->Size(); ++r) ASSERT_TRUE(expan.Set(r, 1.5f + static_cast<float>(r)).ok());
    View dictionary = s.GetView("DataDictionary");
    std::string dd = "DataDictionary[";
    for (std::size_t c = 0; c < dictionary.ColumnCount(); ++c)
      dd += dictionary.ColumnAt(c).name + ":" + static_cast<char>(dictionary.ColumnAt(c).type) + ",";
    auto dict = s.GetAs(dd + "Remark:S]");
    ASSERT_TRUE(dict.ok());
    ASSERT_TRUE(dict->Bind(storage::StringColumn("Remark")).Set(0, "added by processing").ok());
    auto own = s.GetAs("ProcessingRuns[RunDate:S,Trees:I]");
    ASSERT_TRUE(own.ok());
    storage::Row row;
    row.Set(storage::StringColumn("RunDate"), "2010-03-05").Set(storage::IntColumn("Trees"), 12);
    own->Add(row);
  });
  const auto trees = CellsOf(crz_, "TreeTable");
  const auto runs = CellsOf(crz_, "ProcessingRuns");
  const auto dictionary = CellsOf(crz_, "DataDictionary");
  ASSERT_NE(trees.at(3).find("ExpanFac=4.5"), std::string::npos) << trees.at(3);
  ScriptedPlatform p;
  EXPECT_EQ(Export(p), CreateOutcome::kDone) << AllText(p);
  EXPECT_EQ(CellsOf(crz_, "TreeTable"), trees);
  EXPECT_EQ(CellsOf(crz_, "ProcessingRuns"), runs);
  EXPECT_EQ(CellsOf(crz_, "DataDictionary"), dictionary);
}

// ---------------------------------------------------------------- case 2 ---
// The export wrote the key file and then refused the job file; a kill
// between the two renames left a temporary that nothing removed.

TEST_F(ConversionCases, ARefusedJobFileLeavesTheExistingPairAsItWas) {
  MakeCruiseFile();
  Edit([](Storage& s) { ASSERT_TRUE(s.GetView("TreeTable").Bind(col::Sp).Set(2, "DOUGLASFIR").ok()); });
  WriteFile(key_, "old key\n");
  WriteFile(job_, "old job\n");
  ScriptedPlatform p;
  EXPECT_EQ(Export(p), CreateOutcome::kInputRefused);
  EXPECT_NE(AllText(p).find("DOUGLASFIR"), std::string::npos) << AllText(p);
  EXPECT_EQ(ReadFile(key_), "old key\n");
  EXPECT_EQ(ReadFile(job_), "old job\n");
  EXPECT_FALSE(HasTemporary(dir_.path()));
}

TEST_F(ConversionCases, AKilledRunsTemporariesAreRemovedByTheNextRun) {
  MakeCruiseFile();
  // This program's temporary, and those its earlier replacements left.
  for (const char* name : {"~sale.job.5eed-1.swtmp", "sale.job.tmp123456", "sale.key.tmp7", "sale.crz.sw-new"})
    WriteFile(dir_ / name, "half a file");
  WriteFile(dir_ / "sale.job.tmpfile", "not ours");
  ScriptedPlatform p;
  EXPECT_EQ(Export(p), CreateOutcome::kDone) << AllText(p);
  EXPECT_FALSE(HasTemporary(dir_.path()));
  for (const char* name : {"sale.job.tmp123456", "sale.key.tmp7"}) EXPECT_FALSE(fs::exists(dir_ / name)) << name;
  EXPECT_EQ(ReadFile(dir_ / "sale.job.tmpfile"), "not ours");
  EXPECT_EQ(TreeLines(job_).size(), 12u);

  WriteFile(dir_ / "~sale.crz.building", "half a cruise file");
  ScriptedPlatform q;
  q.SetAnswerer([](const platform::Message&) { return Button::kYes; });
  EXPECT_EQ(Run(q, key_), CreateOutcome::kDone) << AllText(q);
  EXPECT_FALSE(fs::exists(dir_ / "~sale.crz.building"));
  EXPECT_FALSE(fs::exists(dir_ / "sale.crz.sw-new"));
}

// A fault at every write, flush and rename of the export's output set:
// afterwards either both old files or both new ones, and no temporary.
TEST_F(ConversionCases, AFaultAtAnyStepOfTheExportLeavesBothOldOrBothNew) {
  MakeCruiseFile();
  test::StepFaultFileSystem counting;
  {
    WriteFile(key_, "old key\n");
    WriteFile(job_, "old job\n");
    ScriptedPlatform p;
    ASSERT_EQ(Export(p, &counting), CreateOutcome::kDone) << AllText(p);
  }
  const std::string new_key = ReadFile(key_), new_job = ReadFile(job_);
  const long steps = counting.steps;
  ASSERT_GT(steps, 5);
  for (long n = 1; n <= steps; ++n) {
    SCOPED_TRACE("fault at " + counting.log[static_cast<std::size_t>(n - 1)] + " (step " + std::to_string(n) + ")");
    WriteFile(key_, "old key\n");
    WriteFile(job_, "old job\n");
    test::StepFaultFileSystem faulty;
    faulty.fail_at = n;
    ScriptedPlatform p;
    const CreateOutcome outcome = Export(p, &faulty);
    const bool both_new = ReadFile(key_) == new_key && ReadFile(job_) == new_job;
    const bool both_old = ReadFile(key_) == "old key\n" && ReadFile(job_) == "old job\n";
    EXPECT_TRUE(both_new || both_old) << AllText(p);
    // A failed write never leads to a question.
    for (const auto& m : p.messages()) EXPECT_NE(m.buttons, platform::Buttons::kYesNo) << m.text;
    if (both_old) {
      EXPECT_NE(outcome, CreateOutcome::kDone) << AllText(p);
    }
    // A fault in the cruise file's own commit after both files are in place
    // fails the log entry only, and the messages say so.
    if (both_new && outcome != CreateOutcome::kDone) {
      EXPECT_NE(AllText(p).find("have been created"), std::string::npos);
      EXPECT_NE(AllText(p).find("The log entry could not be written"), std::string::npos) << AllText(p);
    }
    EXPECT_FALSE(HasTemporary(dir_.path()));
  }
}

#if !defined(_WIN32)  // a killed process is simulated with fork, which Windows lacks
// The export killed between its two renames: the next conversion in the
// folder finishes the moves, so the pair is never left mixed.
TEST_F(ConversionCases, AnExportKilledBetweenItsRenamesIsFinishedByTheNextRun) {
  MakeCruiseFile();
  ScriptedPlatform first;
  ASSERT_EQ(Export(first), CreateOutcome::kDone);
  const std::string new_key = ReadFile(key_), new_job = ReadFile(job_);
  WriteFile(key_, "old key\n");
  WriteFile(job_, "old job\n");
  const pid_t child = ::fork();
  if (child == 0) {
    test::KillingFileSystem killing;
    // Two temporaries, the copy of the old key, the journal and its folder
    // flush, the first rename; then the second rename.
    killing.kill_at = 7;
    ScriptedPlatform p;
    Export(p, &killing);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 9) << "not killed";
  EXPECT_NE(ReadFile(key_) == "old key\n", ReadFile(job_) == "old job\n") << "expected a mixed pair before";
  // Another conversion in the folder.
  WriteFile(dir_ / "next.key", test::KeyFileText("06V", "next.job"));
  WriteFile(dir_ / "next.job", test::JoinLines(test::Version7JobLines(3, 1, false)));
  ScriptedPlatform p;
  ASSERT_EQ(Run(p, dir_ / "next.key"), CreateOutcome::kDone) << AllText(p);
  EXPECT_EQ(ReadFile(key_), new_key);
  EXPECT_EQ(ReadFile(job_), new_job);
  EXPECT_FALSE(HasTemporary(dir_.path()));
}
#endif

// A read-only key file is made writable and replaced without a question; a
// target that cannot be replaced (a folder of that name) fails the export
// and changes nothing.
TEST_F(ConversionCases, ExportReplacesReadOnlyFilesAndKeepsWhatItCannotReplace) {
  MakeCruiseFile();
  WriteFile(key_, "old key\n");
  fs::permissions(key_, fs::perms::owner_read | fs::perms::group_read);
  ScriptedPlatform p;
  EXPECT_EQ(Export(p), CreateOutcome::kDone) << AllText(p);
  for (const auto& m : p.messages()) EXPECT_NE(m.buttons, platform::Buttons::kYesNo) << m.text;
  EXPECT_EQ(ReadFile(key_).substr(0, 4), "06V\n");

  fs::remove(job_);
  fs::create_directory(job_);
  WriteFile(job_ / "inside", "keep");
  const std::string key_before = ReadFile(key_);
  ScriptedPlatform q;
  EXPECT_EQ(Export(q), CreateOutcome::kFailed);
  EXPECT_NE(AllText(q).find("could not be written"), std::string::npos) << AllText(q);
  EXPECT_EQ(ReadFile(job_ / "inside"), "keep");
  EXPECT_EQ(ReadFile(key_), key_before);
  EXPECT_FALSE(HasTemporary(dir_.path()));
}

// ---------------------------------------------------------------- case 3 ---
// A refused Version 6 rewrite still made the cruise file and rewrote the key
// file; the next run with Yes then lost the original key file.

TEST_F(ConversionCases, ARefusedVersion6RewriteChangesNothingAndTheOriginalsSurvive) {
  WriteVersion6Pair();
  WriteFile(dir_ / "sale.V6.job", "an older backup\n");
  const auto before = Folder(dir_.path());
  {
    ScriptedPlatform p;
    p.QueueAnswer(Button::kNo);  // ".V6.job already exists": keep it
    EXPECT_EQ(Run(p, key_), CreateOutcome::kDeclined);
    EXPECT_NE(AllText(p).find("Cannot continue with program\nEXIT NOW!"), std::string::npos) << AllText(p);
    EXPECT_EQ(Folder(dir_.path()), before);
  }
  {
    ScriptedPlatform p;
    p.SetAnswerer([](const platform::Message&) { return Button::kYes; });
    EXPECT_EQ(Run(p, key_), CreateOutcome::kDone) << AllText(p);
  }
  EXPECT_EQ(ReadFile(dir_ / "sale.V6.key"), before.at("sale.key"));
  EXPECT_EQ(ReadFile(dir_ / "sale.V6.job"), before.at("sale.job"));
  EXPECT_EQ(ReadFile(key_).substr(0, 3), "06\n");
  EXPECT_EQ(ReadFile(job_).substr(0, 2), "1A");  // Version 7 records
  EXPECT_EQ(CellsOf(crz_, "TreeTable").size(), 6u);
  EXPECT_FALSE(HasTemporary(dir_.path()));
}

// A fault at every step of the Version 6 import: the five files land
// together or not at all.
TEST_F(ConversionCases, AFaultAtAnyStepOfTheVersion6ImportLeavesAllOldOrAllNew) {
  WriteVersion6Pair();
  const auto before = Folder(dir_.path());
  test::StepFaultFileSystem counting;
  {
    ScriptedPlatform p;
    ASSERT_EQ(Run(p, key_, &counting), CreateOutcome::kDone) << AllText(p);
  }
  const auto after = Folder(dir_.path());
  ASSERT_EQ(after.size(), 5u);
  const long steps = counting.steps;
  for (long n = 1; n <= steps; ++n) {
    SCOPED_TRACE("fault at " + counting.log[static_cast<std::size_t>(n - 1)] + " (step " + std::to_string(n) + ")");
    for (const auto& e : fs::directory_iterator(dir_.path())) fs::remove(e.path());
    for (const auto& [name, bytes] : before) WriteFile(dir_ / name, bytes);
    test::StepFaultFileSystem faulty;
    faulty.fail_at = n;
    ScriptedPlatform p;
    const CreateOutcome outcome = Run(p, key_, &faulty);
    const auto now = Folder(dir_.path());
    for (const auto& m : p.messages()) EXPECT_NE(m.buttons, platform::Buttons::kYesNo) << m.text;
    if (outcome == CreateOutcome::kDone) {
      EXPECT_EQ(now.size(), 5u);
      EXPECT_EQ(now.at("sale.V6.key"), before.at("sale.key"));
      EXPECT_EQ(now.at("sale.key"), after.at("sale.key"));
      EXPECT_EQ(now.at("sale.job"), after.at("sale.job"));
    } else {
      EXPECT_EQ(now, before) << AllText(p);
    }
  }
}

// ---------------------------------------------------------------- case 4 ---
// A process holding the old cruise file open for writing was ignored and its
// later commit lost; two conversions shared one temporary name.

TEST_F(ConversionCases, ACruiseFileHeldByAWriterIsInUseAndKept) {
  MakeCruiseFile();
  const std::string old = ReadFile(crz_);
  auto holder = Storage::Open(crz_, Storage::Mode::ReadWrite);  // the engine's own lock
  ASSERT_TRUE(holder.ok());
  ScriptedPlatform p;
  p.SetAnswerer([](const platform::Message&) { return Button::kYes; });
  EXPECT_EQ(Run(p, key_), CreateOutcome::kInUse);
  EXPECT_NE(AllText(p).find("in use"), std::string::npos) << AllText(p);
  EXPECT_EQ(AllText(p).find("NOT A VALID DATA FILE"), std::string::npos);
  EXPECT_EQ(ReadFile(crz_), old);
  // The holder's later commit is kept.
  storage::Row row;
  row.Set(col::Msg, "written by the holder");
  holder->GetView("MessageLog").Add(row);
  ASSERT_TRUE(holder->Commit().ok());
  holder = Storage::Open(dir_ / "none.crz", Storage::Mode::ReadOnly);
  EXPECT_EQ(CellsOf(crz_, "MessageLog").size(), 2u);

  // The export of a held file says so too.
  auto again = Storage::Open(crz_, Storage::Mode::ReadWrite);
  ScriptedPlatform q;
  EXPECT_EQ(Export(q), CreateOutcome::kInUse);
  EXPECT_NE(AllText(q).find("in use"), std::string::npos) << AllText(q);
}

#if !defined(_WIN32)  // two processes are made with fork, which Windows lacks
// Two processes convert one key file at once: each ends done or "in use",
// the cruise file is whole, and no temporary is left.
TEST_F(ConversionCases, TwoProcessesOnOneTargetNeitherClaimsWhatDidNotHappen) {
  WriteVersion7Pair(300);
  for (int round = 0; round < 3; ++round) {
    std::vector<pid_t> children;
    for (int i = 0; i < 2; ++i) {
      const pid_t child = ::fork();
      if (child == 0) {
        ScriptedPlatform p;
        p.SetAnswerer([](const platform::Message&) { return Button::kYes; });
        app::MainDialog dialog(p);
        dialog.Initialise(test::BuiltBaseDictionary().parent_path(), dir_.path());
        dialog.ChooseFile(key_.string());
        const CreateOutcome outcome = app::CreateCommand().Run(dialog, FixedTime());
        ::_exit(outcome == CreateOutcome::kDone ? 0 : outcome == CreateOutcome::kInUse ? 10 : 1);
      }
      children.push_back(child);
    }
    int done = 0;
    for (pid_t child : children) {
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFEXITED(status));
      const int code = WEXITSTATUS(status);
      EXPECT_TRUE(code == 0 || code == 10) << "exit " << code;
      done += code == 0;
    }
    EXPECT_GE(done, 1);
    EXPECT_EQ(CellsOf(crz_, "TreeTable").size(), 300u);
    EXPECT_EQ(CellsOf(crz_, "MessageLog").size(), 1u);
    EXPECT_FALSE(HasTemporary(dir_.path()));
  }
}
#endif

// ---------------------------------------------------------------- case 5 ---
// A job name with a folder made the program write and rename outside the
// key file's folder.

TEST_F(ConversionCases, AJobNameWithAFolderOrDriveIsRefused) {
  const fs::path other = dir_ / "other";
  fs::create_directory(other);
  WriteFile(other / "x.job", test::JoinLines(test::Version6JobLines(3)));
  const auto before = Folder(other);
  for (const std::string& name : std::vector<std::string>{"../other/x.job", "other/x.job", (other / "x.job").string(), "C:x.job", "..\\x.job"}) {
    WriteFile(key_, test::KeyFileText("06", name));
    ScriptedPlatform p;
    p.SetAnswerer([](const platform::Message&) { return Button::kYes; });
    EXPECT_EQ(Run(p, key_), CreateOutcome::kInputRefused) << name;
    EXPECT_NE(AllText(p).find(name), std::string::npos) << AllText(p);
    EXPECT_EQ(Folder(other), before) << name;
    EXPECT_EQ(Folder(dir_.path()).size(), 1u) << name;  // the key file alone
  }
}

}  // namespace
}  // namespace sw::convert
