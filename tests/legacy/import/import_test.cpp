// The job-and-key import through the Create command over the scripted
// platform: the cruise file's tables read back, the messages in order, the
// 5000-line boundary, Cancel, failures that must leave no partial file and
// the old cruise file untouched, and the Version 6 rewrite.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "app/create_command.h"
#include "app/main_dialog.h"
#include "cruisedb/columns.h"
#include "cruisedb/settings.h"
#include "convert/job_key_importer.h"
#include "legacy/line.h"
#include "platform/scripted_platform.h"
#include "storage/file_system.h"
#include "support/fixed_time.h"
#include "support/temp_dir.h"
#include "import_files.h"

namespace sw::test {
namespace {

namespace fs = std::filesystem;
namespace col = cruisedb::col;
using app::CreateOutcome;
using platform::Button;

std::tm FixedTime() { return test::LocalTime(2010, 3, 5, 9, 7); }

// Cancels at the n-th pump of the message queue, as an Escape key would.
class CancellingPlatform : public platform::ScriptedPlatform {
 public:
  explicit CancellingPlatform(int at_pump) : at_pump_(at_pump) {}
  PumpResult PumpEvents(const std::function<bool(const platform::Event&)>& inspect) override {
    if (++pumps_ == at_pump_) QueueEvent({platform::Event::Kind::kEscapeKey, {}});
    return ScriptedPlatform::PumpEvents(inspect);
  }
  int pumps() const { return pumps_; }

 private:
  int at_pump_;
  int pumps_ = 0;
};

// Fails every write after the first `allowed` ones, like a disk that fills.
class FillingFileSystem : public storage::ForwardingFileSystem {
 public:
  explicit FillingFileSystem(int allowed) : allowed_(allowed) {}
  class FillingFile : public storage::File {
   public:
    FillingFile(std::unique_ptr<storage::File> f, FillingFileSystem& owner) : f_(std::move(f)), owner_(owner) {}
    storage::Result<std::uint64_t> Size() override { return f_->Size(); }
    storage::Status ReadAt(std::uint64_t o, void* b, std::size_t n) override { return f_->ReadAt(o, b, n); }
    storage::Status WriteAt(std::uint64_t o, const void* d, std::size_t n) override {
      if (owner_.allowed_-- <= 0) return storage::Status::Error("No space left on device");
      return f_->WriteAt(o, d, n);
    }
    storage::Status Sync() override { return f_->Sync(); }

   private:
    std::unique_ptr<storage::File> f_;
    FillingFileSystem& owner_;
  };
  storage::Result<std::unique_ptr<storage::File>> Open(const std::string& p, bool w) override {
    auto f = real()->Open(p, w);
    if (!f.ok()) return f.status();
    return std::unique_ptr<storage::File>(new FillingFile(std::move(f.value()), *this));
  }
  storage::Result<std::unique_ptr<storage::File>> Create(const std::string& p) override {
    auto f = real()->Create(p);
    if (!f.ok()) return f.status();
    return std::unique_ptr<storage::File>(new FillingFile(std::move(f.value()), *this));
  }

 private:
  static storage::FileSystem* real() { return storage::FileSystem::Default(); }
  int allowed_;
};

class ImportTest : public ::testing::Test {
 protected:
  void WritePair(const std::vector<std::string>& job, const std::string& line1 = "06V") {
    WriteFile(key_, KeyFileText(line1, "sale7.job"));
    WriteFile(job_, JoinLines(job));
  }
  CreateOutcome Create(platform::ScriptedPlatform& p, storage::FileSystem* fs = nullptr) {
    app::MainDialog dialog(p);
    EXPECT_TRUE(dialog.Initialise(BuiltBaseDictionary().parent_path(), dir_.path()));
    EXPECT_TRUE(dialog.ChooseFile(key_.string()));
    return app::CreateCommand(fs).Run(dialog, FixedTime());
  }
  std::vector<std::string> Texts(const platform::ScriptedPlatform& p) {
    std::vector<std::string> texts;
    for (const auto& m : p.messages()) texts.push_back(m.text);
    return texts;
  }
  // Files in the folder other than the inputs and the cruise file.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) {
      const std::string n = e.path().filename().string();
      if (n != "sale7.key" && n != "sale7.job" && n != "sale7.crz") names.push_back(n);
    }
    return names;
  }

  TempDir dir_;
  fs::path key_ = dir_ / "sale7.key";
  fs::path job_ = dir_ / "sale7.job";
  fs::path crz_ = dir_ / "sale7.crz";
  platform::ScriptedPlatform platform_;
};

TEST_F(ImportTest, Version7PairBecomesASortedCleanedCruiseFile) {
  WritePair(Version7JobLines(30, 3, /*shuffled=*/true));
  ASSERT_EQ(Create(platform_), CreateOutcome::kDone);
  EXPECT_EQ(Texts(platform_), (std::vector<std::string>{"Still processing...\nClick OK to finish",
                                                        "Cruise File Created \n" + crz_.string() + "      "}));
  EXPECT_EQ(platform_.wait_cursor_depth(), 0);
  ASSERT_EQ(platform_.popups().size(), 1u);
  EXPECT_EQ(platform_.popups()[0]->text, "Creating the cruise file.......");
  EXPECT_EQ(platform_.popups()[0]->caption, "Progress [100%]");
  EXPECT_TRUE(platform_.main_window_enabled());
  EXPECT_TRUE(Leftovers().empty());

  auto file = storage::Storage::Open(crz_, storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok()) << file.status().message();
  storage::View trees = file->GetView("TreeTable");
  ASSERT_EQ(trees.Size(), 30u);
  auto stratum = trees.Bind(col::Stratum);
  auto plot = trees.Bind(col::Plot);
  auto tree = trees.Bind(col::Tree);
  for (std::size_t r = 1; r < trees.Size(); ++r) {
    const auto prev = std::make_tuple(stratum.Get(r - 1), std::atoi(plot.Get(r - 1).c_str()), tree.Get(r - 1));
    const auto cur = std::make_tuple(stratum.Get(r), std::atoi(plot.Get(r).c_str()), tree.Get(r));
    EXPECT_LT(prev, cur) << "row " << r;
  }
  EXPECT_EQ(stratum.Get(0), "1");  // blanks removed
  EXPECT_EQ(trees.Bind(col::CM).Get(0), "M");  // upper-cased
  EXPECT_EQ(trees.Bind(col::YC).Get(0), "A");
  EXPECT_EQ(trees.Bind(col::LogRecs).Get(0), 3);
  storage::View logs = file->GetView("LogTable");
  ASSERT_EQ(logs.Size(), 90u);
  auto log_tree = logs.Bind(col::Tree);
  auto log_plot = logs.Bind(col::Plot);
  auto log_stratum = logs.Bind(col::Stratum);
  auto log_num = logs.Bind(col::LogNum);
  for (std::size_t r = 0; r < logs.Size(); ++r) {
    EXPECT_EQ(log_stratum.Get(r), stratum.Get(r / 3));
    EXPECT_EQ(log_plot.Get(r), plot.Get(r / 3));
    EXPECT_EQ(log_tree.Get(r), tree.Get(r / 3));
    EXPECT_EQ(log_num.Get(r), std::to_string(r % 3 + 1));
  }
  storage::View cruise = file->GetView("CruiseTable");
  ASSERT_EQ(cruise.Size(), 1u);
  EXPECT_EQ(cruise.Bind(col::Region).Get(0), "06");
  EXPECT_EQ(cruise.Bind(col::CruiseType).Get(0), "V");
  EXPECT_EQ(cruise.Bind(col::Purpose).Get(0), "PURPOSE");
  EXPECT_EQ(file->GetView("CuttingUnitTable").Bind(col::Description).Get(0), "UNIT ONE");
  EXPECT_EQ(file->GetView("StratumTable").Size(), 3u);
  EXPECT_EQ(file->GetView("VolumeEquationTable").Size(), 1u);
  EXPECT_EQ(file->GetView("QAEquationTable").Size(), 1u);
  storage::View config = file->GetView("GlobalConfigurationTable");
  EXPECT_EQ(cruisedb::ReadSetting(config, "General", "MRU"), "Stumpwright");
  EXPECT_EQ(cruisedb::ReadSetting(config, "General", "Setup"), "CruiseDefault.stp");
  EXPECT_EQ(cruisedb::ReadSetting(config, "General", "StructureVersion"), "2010.03.18");
  EXPECT_EQ(cruisedb::ReadSetting(config, "Processing", "Legacy Key File"), key_.string());
  EXPECT_EQ(cruisedb::ReadSetting(config, "Processing", "Region Number"), "06");
  storage::View log = file->GetView("MessageLog");
  ASSERT_EQ(log.Size(), 1u);
  EXPECT_EQ(log.Bind(col::MsgNum).Get(0), "26");
  EXPECT_EQ(log.Bind(col::Msg).Get(0), "Job and Key files converted to Cruise File");
  EXPECT_EQ(log.Bind(col::Date).Get(0), " 3/ 5/2010");
  EXPECT_EQ(log.Bind(col::Time).Get(0), " 9: 7");
  EXPECT_EQ(log.Bind(col::Level).Get(0), "I");
  EXPECT_EQ(log.Bind(col::Program).Get(0), "Processing");
  for (const std::string& name : file->ViewNames()) {
    EXPECT_EQ(name.find("Strata"), std::string::npos) << "work view kept: " << name;
    EXPECT_NE(name, "TreeIndex");
  }
}

// Job files of 5000 and 5001 lines: the two long-file messages only above 5000.
TEST_F(ImportTest, LongFileMessagesStartAbove5000Lines) {
  for (int extra : {0, 1}) {
    std::vector<std::string> lines = Version7JobLines(2498, 0, false);  // 8 + 2 * 2498 = 5004 lines
    lines.resize(5000 + static_cast<std::size_t>(extra));
    WritePair(lines);
    fs::remove(crz_);
    platform::ScriptedPlatform p;
    ASSERT_EQ(Create(p), CreateOutcome::kDone);
    std::vector<std::string> expected{"Still processing...\nClick OK to finish"};
    if (extra) expected.insert(expected.end(), {"Sorting data, click OK to continue....", "Almost done....click OK"});
    expected.push_back("Cruise File Created \n" + crz_.string() + "      ");
    EXPECT_EQ(Texts(p), expected) << 5000 + extra << " lines";
    for (std::size_t i = 1; i + 1 < p.messages().size(); ++i) {
      EXPECT_EQ(p.messages()[i - 1].caption, "MESSAGE");
      EXPECT_EQ(p.messages()[i - 1].icon, platform::Icon::kInformation);
    }
  }
}

TEST_F(ImportTest, CancelMidWayLeavesTheOldFileAndNoPartialFile) {
  WritePair(Version7JobLines(2000, 1, true));
  WriteFile(crz_, "old cruise file");
  CancellingPlatform p(20);
  p.QueueAnswer(Button::kYes);  // replace the existing cruise file
  EXPECT_EQ(Create(p), CreateOutcome::kCancelled);
  EXPECT_EQ(p.pumps(), 20);
  const auto texts = Texts(p);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Cruise File exists \nDO YOU WANT TO DELETE IT?");
  EXPECT_EQ(texts[1], "Progress Cancelled");
  EXPECT_EQ(ReadFile(crz_), "old cruise file");
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_TRUE(p.main_window_enabled());
  EXPECT_EQ(p.wait_cursor_depth(), 0);
}

TEST_F(ImportTest, NoToReplaceLeavesTheOldFileAndRunsNothing) {
  WritePair(Version7JobLines(5, 1, false));
  WriteFile(crz_, "old cruise file");
  platform_.QueueAnswer(Button::kNo);
  EXPECT_EQ(Create(platform_), CreateOutcome::kDeclined);
  EXPECT_EQ(Texts(platform_), std::vector<std::string>{"Cruise File exists \nDO YOU WANT TO DELETE IT?"});
  EXPECT_EQ(platform_.messages()[0].icon, platform::Icon::kQuestion);
  EXPECT_EQ(platform_.messages()[0].buttons, platform::Buttons::kYesNo);
  EXPECT_EQ(ReadFile(crz_), "old cruise file");
  EXPECT_TRUE(platform_.popups().empty());
}

TEST_F(ImportTest, SecondConversionUpdatesGeneralRowsInPlace) {
  WritePair(Version7JobLines(5, 1, false));
  ASSERT_EQ(Create(platform_), CreateOutcome::kDone);
  platform::ScriptedPlatform again;
  again.QueueAnswer(Button::kYes);
  ASSERT_EQ(Create(again), CreateOutcome::kDone);
  auto file = storage::Storage::Open(crz_, storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  storage::View config = file->GetView("GlobalConfigurationTable");
  for (const char* key : {"MRU", "Setup", "StructureVersion"}) {
    storage::Row pattern;
    pattern.Set(col::Block, "General").Set(col::Key, key);
    EXPECT_EQ(config.Select(pattern).value().Size(), 1u) << key;
  }
  EXPECT_EQ(file->GetView("TreeTable").Size(), 5u);
  EXPECT_EQ(file->GetView("MessageLog").Size(), 1u);
}

TEST_F(ImportTest, DiskFullLeavesTheOldFileAndNoPartialFile) {
  WritePair(Version7JobLines(50, 3, false));
  WriteFile(crz_, "old cruise file");
  FillingFileSystem full(3);
  platform_.QueueAnswer(Button::kYes);
  EXPECT_EQ(Create(platform_, &full), CreateOutcome::kFailed);
  ASSERT_FALSE(platform_.messages().empty());
  const auto& last = platform_.messages().back();
  EXPECT_EQ(last.caption, "ERROR");
  EXPECT_NE(last.text.find("could not be written"), std::string::npos) << last.text;
  EXPECT_NE(last.text.find("No space left"), std::string::npos) << last.text;
  EXPECT_EQ(ReadFile(crz_), "old cruise file");
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(ReadFile(job_), JoinLines(Version7JobLines(50, 3, false)));
}

TEST_F(ImportTest, MissingBaseDictionaryWritesNothing) {
  WritePair(Version7JobLines(5, 1, false));
  app::MainDialog dialog(platform_);
  ASSERT_TRUE(dialog.Initialise(BuiltBaseDictionary().parent_path(), dir_.path()));
  ASSERT_TRUE(dialog.ChooseFile(key_.string()));
  dialog.state().base_dictionary_path = (dir_ / "absent.stp").string();
  EXPECT_EQ(app::CreateCommand().Run(dialog, FixedTime()), CreateOutcome::kNoBaseDictionary);
  EXPECT_EQ(Texts(platform_).back(),
            "Basic Data Dictionary file\n(CruiseDefault.stp) could not be found.\nEXIT NOW!");
  EXPECT_FALSE(fs::exists(crz_));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ImportTest, BadJobFilesGiveAMessageAndNoCruiseFile) {
  struct Case {
    std::string name;
    std::string job;  // "" with write=false: missing
    bool write;
    CreateOutcome outcome;
    std::string message_part;
  };
  const std::vector<Case> cases{
      {"missing", "", false, CreateOutcome::kInputRefused, "NOT FOUND.  EXIT NOW!"},
      {"empty", "", true, CreateOutcome::kInputRefused, "no Version 6 or Version 7 job records"},
      {"binary", std::string("\x01\x02\x00\x7f\xff\n\x80\x81", 8), true, CreateOutcome::kInputRefused,
       "no Version 6 or Version 7 job records"},
      {"over-long line", "1A" + std::string(104, 'x') + "\n", true, CreateOutcome::kCorruptLine,
       "JOB FILE IS CORRUPT!\nCANNOT CONTINUE!"},
  };
  for (const Case& c : cases) {
    fs::remove(job_);
    WriteFile(key_, KeyFileText("06V", "sale7.job"));
    if (c.write) WriteFile(job_, c.job);
    platform::ScriptedPlatform p;
    EXPECT_EQ(Create(p), c.outcome) << c.name;
    ASSERT_FALSE(p.messages().empty()) << c.name;
    EXPECT_NE(p.messages().back().text.find(c.message_part), std::string::npos)
        << c.name << ": " << p.messages().back().text;
    EXPECT_FALSE(fs::exists(crz_)) << c.name;
    EXPECT_TRUE(Leftovers().empty()) << c.name;
    if (c.write) {
      EXPECT_EQ(ReadFile(job_), c.job) << c.name;
    }
  }
}

TEST_F(ImportTest, LineOf105CharactersIsAcceptedAnd106Refused) {
  std::vector<std::string> lines = Version7JobLines(3, 0, false);
  lines.push_back("5A" + std::string(103, 'x'));  // ignored record type, 105 characters
  WritePair(lines);
  EXPECT_EQ(Create(platform_), CreateOutcome::kDone);
  lines.back() += "x";
  WritePair(lines);
  fs::remove(crz_);
  platform::ScriptedPlatform p;
  EXPECT_EQ(Create(p), CreateOutcome::kCorruptLine);
  EXPECT_TRUE(app::EndsProgram(CreateOutcome::kCorruptLine));
  EXPECT_EQ(p.messages().back().caption, "Stumpwright");
  EXPECT_EQ(p.messages().back().icon, platform::Icon::kStop);
  EXPECT_FALSE(fs::exists(crz_));
}

TEST_F(ImportTest, TruncatedLastRecordStillConverts) {
  std::vector<std::string> lines = Version7JobLines(4, 1, false);
  lines.back().resize(25);  // the last log record cut mid-way
  WriteFile(key_, KeyFileText("06V", "sale7.job"));
  std::string text = JoinLines(lines);
  text.pop_back();  // and no final line end
  WriteFile(job_, text);
  ASSERT_EQ(Create(platform_), CreateOutcome::kDone);
  auto file = storage::Storage::Open(crz_, storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->GetView("TreeTable").Size(), 4u);
  EXPECT_EQ(ReadFile(job_), text);
}

TEST_F(ImportTest, KeyFileWithAnOverLongLineEndsWithCode1) {
  WritePair(Version7JobLines(3, 0, false));
  WriteFile(key_, KeyFileText("06V", "sale7.job") + std::string(106, 'R') + "\n");
  EXPECT_EQ(Create(platform_), CreateOutcome::kCorruptLine);
  EXPECT_EQ(Texts(platform_), std::vector<std::string>{"KEY FILE IS CORRUPT!\nCANNOT CONTINUE!"});
}

TEST_F(ImportTest, MissingKeyFileIsNotFound) {
  app::MainDialog dialog(platform_);
  ASSERT_TRUE(dialog.Initialise(BuiltBaseDictionary().parent_path(), dir_.path()));
  ASSERT_TRUE(dialog.ChooseFile(key_.string()));
  EXPECT_EQ(app::CreateCommand().Run(dialog, FixedTime()), CreateOutcome::kInputRefused);
  EXPECT_EQ(Texts(platform_), std::vector<std::string>{key_.string() + "\nNOT FOUND.  EXIT NOW!"});
}

TEST_F(ImportTest, ConflictingUnitAcresRefusesTheConversion) {
  std::vector<std::string> lines = Version7JobLines(3, 0, false);
  lines.push_back("4A     " + std::string(" 4") + "  1" + " 12.00");  // unit 1 is 30 acres in its 2A record
  WritePair(lines);
  EXPECT_EQ(Create(platform_), CreateOutcome::kInputRefused);
  EXPECT_EQ(Texts(platform_), std::vector<std::string>{"Conflicting unit acres\nCannot convert this file!"});
  EXPECT_FALSE(fs::exists(crz_));
}

TEST_F(ImportTest, Version6PairIsRewrittenAsVersion7AndKeptAsV6) {
  const std::string key6 = KeyFileText("6", "sale7.job");
  const std::string job6 = JoinLines(Version6JobLines(4));
  WriteFile(key_, key6);
  WriteFile(job_, job6);
  ASSERT_EQ(Create(platform_), CreateOutcome::kDone) << ::testing::PrintToString(Texts(platform_));
  const auto texts = Texts(platform_);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[2], "Version 6 files renamed\nKeyFile = " + (dir_ / "sale7.V6.key").string() +
                          "   \nJobFile = " + job_.string() + "   ");
  EXPECT_EQ(ReadFile(dir_ / "sale7.V6.key"), key6);
  EXPECT_EQ(ReadFile(dir_ / "sale7.V6.job"), job6);
  legacy::LineReader key(key_);
  std::string line;
  ASSERT_TRUE(key.ReadLine(line));
  EXPECT_EQ(line, "06");
  ASSERT_TRUE(key.ReadLine(line));
  EXPECT_EQ(line, "sale7.job");
  EXPECT_EQ(app::DetectJobVersion(job_), 7);
  auto file = storage::Storage::Open(crz_, storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  storage::View trees = file->GetView("TreeTable");
  ASSERT_EQ(trees.Size(), 4u);
  EXPECT_EQ(trees.Bind(col::Tree).Get(0), "1");
  EXPECT_EQ(trees.Bind(col::Tree).Get(3), "4");
  EXPECT_EQ(file->GetView("CruiseTable").Bind(col::SaleName).Get(0), "SALE SIX");
}

// Version 7 pair -> cruise file -> Version 7 pair: the job file comes back
// line for line (its trees were already in order), the key file's header
// and sections too.
TEST_F(ImportTest, Version7RoundTripReproducesTheJobFile) {
  const std::vector<std::string> lines = Version7JobLines(12, 3, false);
  WritePair(lines);
  ASSERT_EQ(Create(platform_), CreateOutcome::kDone);
  const std::string original_job = ReadFile(job_);
  const std::string original_key = ReadFile(key_);
  const fs::path out = dir_ / "copy";
  fs::create_directories(out);
  fs::copy_file(crz_, out / "sale7.crz");
  platform::ScriptedPlatform p;
  app::MainDialog dialog(p);
  ASSERT_TRUE(dialog.Initialise(BuiltBaseDictionary().parent_path(), dir_.path()));
  ASSERT_TRUE(dialog.ChooseFile((out / "sale7.crz").string()));
  ASSERT_EQ(app::CreateCommand().Run(dialog, FixedTime()), CreateOutcome::kDone) << ::testing::PrintToString(Texts(p));
  ASSERT_FALSE(p.messages().empty());
  EXPECT_EQ(p.messages().back().text, "Version 7 key and job files             \nhave been created\n" +
                                          (out / "sale7.key").string() + "\n" + (out / "sale7.job").string());
  EXPECT_EQ(ReadFile(out / "sale7.key"), original_key);
  // The writer groups records by type; every input line comes back, the
  // lower-case ones upper-cased by the text cleaning.
  auto sorted_lines = [](const std::string& text, bool upper) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (upper) {
        for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
      lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  EXPECT_EQ(sorted_lines(ReadFile(out / "sale7.job"), false), sorted_lines(original_job, true));
  auto file = storage::Storage::Open(out / "sale7.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  storage::View log = file->GetView("MessageLog");
  ASSERT_EQ(log.Size(), 2u);
  EXPECT_EQ(log.Bind(col::MsgNum).Get(1), "25");
  EXPECT_EQ(log.Bind(col::Msg).Get(1), "Cruise file converted to Version 7 job and key");
}

}  // namespace
}  // namespace sw::test
