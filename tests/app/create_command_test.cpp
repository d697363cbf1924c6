// The Create command's helpers and its cruise-file branch: key-file header
// values, today/now, unit-acre conflicts (no line limit, the export's own
// 7-column areas), and a missing ".crz" that must not be created.
#include "app/create_command.h"

#include <gtest/gtest.h>

#include <csignal>

#include "legacy/import/import_files.h"
#include "legacy/jobfile/job_layouts.h"
#include "platform/scripted_platform.h"
#include "support/temp_dir.h"

namespace sw::app {
namespace {

namespace fs = std::filesystem;
using namespace legacy::jobfile;
using namespace legacy::jobfile::layouts;

TEST(KeyHeader, RegionAndCruiseType) {
  EXPECT_EQ(RegionOf("6V"), "06");
  EXPECT_EQ(CruiseTypeOf("6V"), "V");
  EXPECT_EQ(RegionOf("10"), "10");
  EXPECT_EQ(CruiseTypeOf("10"), " ");
  EXPECT_EQ(RegionOf("06v"), "06");
  EXPECT_EQ(CruiseTypeOf("06v"), "v");
  EXPECT_EQ(RegionOf(" 6V"), "06");
  EXPECT_EQ(CruiseTypeOf(" 6V"), "V");
  EXPECT_EQ(RegionOf("6"), "06");
  EXPECT_EQ(RegionOf("05D"), "05");
  EXPECT_EQ(CruiseTypeOf("05D"), " ");
}

TEST(KeyHeader, PathsBesideTheKeyFile) {
  sw::test::TempDir dir;
  fs::create_directories(dir / "a.b");
  sw::test::WriteFile(dir / "a.b" / "k.key", "06V\nsale\nsale.out\n");
  const KeyHeader h = ReadKeyHeader(dir / "a.b" / "k.key");
  EXPECT_EQ(h.job_path, dir / "a.b" / "sale");
  EXPECT_EQ(h.cruise_path, dir / "a.b" / "sale.crz");  // not "a.crz": the folder's dot is not an extension
  EXPECT_EQ(h.report_path, dir / "a.b" / "sale.out");
}

TEST(CreateTimes, BlankPadded) {
  std::tm t{};
  t.tm_year = 110;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 9;
  t.tm_min = 7;
  EXPECT_EQ(TodayText(t), " 3/ 5/2010");
  EXPECT_EQ(NowText(t), " 9: 7");
}

std::string Unit(const std::string& unit, double area) {
  JobRecord r(kUnit2A);
  r.SetText(u2CutUnit, unit);
  r.SetReal(u2Area, area);
  return r.Format() + "\n";
}
std::string StratumUnit(const std::string& stratum, const std::string& unit, double acres) {
  JobRecord r(kStratumUnit4A);
  r.SetText(su4Stratum, stratum);
  r.SetText(su4CutUnit, unit);
  r.SetReal(su4UnitAcres, acres);
  return r.Format() + "\n";
}

TEST(ConflictingUnitAcres, AgreeingAndConflicting) {
  sw::test::TempDir dir;
  sw::test::WriteFile(dir / "a.job", Unit("1", 12.5) + StratumUnit("1", "1", 12.5));
  EXPECT_FALSE(HasConflictingUnitAcres(dir / "a.job"));
  sw::test::WriteFile(dir / "a.job", Unit("1", 12.5) + StratumUnit("1", "1", 12.6));
  EXPECT_TRUE(HasConflictingUnitAcres(dir / "a.job"));
}

// The records as the job writer formats them: "%7.2f" areas and "%6.2f"
// acres. 1000.25 acres read back from 6 columns are "1000.2".
TEST(ConflictingUnitAcres, LargeAreasTheWriterWroteAgree) {
  sw::test::TempDir dir;
  sw::test::WriteFile(dir / "a.job", Unit("1", 1000.25) + StratumUnit("1", "1", 1000.25));
  EXPECT_FALSE(HasConflictingUnitAcres(dir / "a.job"));
  sw::test::WriteFile(dir / "a.job", Unit("1", 1000.25) + StratumUnit("1", "1", 1001.25));
  EXPECT_TRUE(HasConflictingUnitAcres(dir / "a.job"));
}

// The export rounds a unit's area to fit the 6-column 4A field (1234.56 is
// written 1234.6); the check uses the same rule, so the pair it wrote agrees.
TEST(ConflictingUnitAcres, AcresTheExportRoundedAgree) {
  sw::test::TempDir dir;
  sw::test::WriteFile(dir / "a.job", Unit("1", 1234.56) + "4A      1  11234.6\n");
  EXPECT_FALSE(HasConflictingUnitAcres(dir / "a.job"));
  sw::test::WriteFile(dir / "a.job", Unit("1", 1234.56) + "4A      1  11234.7\n");
  EXPECT_TRUE(HasConflictingUnitAcres(dir / "a.job"));
}

TEST(ConflictingUnitAcres, NoLimitOnTheNumberOfRecords) {
  sw::test::TempDir dir;
  std::string text;
  for (int u = 1; u <= 400; ++u) text += Unit(std::to_string(u), 10);
  for (int u = 1; u <= 400; ++u) text += StratumUnit("1", std::to_string(u), 10);
  sw::test::WriteFile(dir / "a.job", text);
  EXPECT_FALSE(HasConflictingUnitAcres(dir / "a.job"));
  sw::test::WriteFile(dir / "a.job", text + StratumUnit("2", "350", 11));  // past the 300th record
  EXPECT_TRUE(HasConflictingUnitAcres(dir / "a.job"));
}

TEST(CheckLines, LongestLineIs105) {
  sw::test::TempDir dir;
  sw::test::WriteFile(dir / "a.job", std::string(105, 'x') + "\n");
  EXPECT_TRUE(CheckLineLengths(dir / "a.job"));
  sw::test::WriteFile(dir / "a.job", std::string(106, 'x') + "\n");
  EXPECT_FALSE(CheckLineLengths(dir / "a.job"));
  EXPECT_FALSE(CheckLineLengths(dir / "absent.job"));
}

TEST(CreateCruiseBranch, MissingCruiseFileIsReportedAndNotCreated) {
  sw::test::TempDir dir;
  platform::ScriptedPlatform platform;
  MainDialog dialog(platform);
  ASSERT_TRUE(dialog.Initialise(sw::test::BuiltBaseDictionary().parent_path(), dir.path()));
  ASSERT_TRUE(dialog.ChooseFile((dir / "absent.crz").string()));
  EXPECT_EQ(CreateCommand().Run(dialog), CreateOutcome::kInputRefused);
  ASSERT_EQ(platform.messages().size(), 1u);
  EXPECT_EQ(platform.messages()[0].text, "NOT A VALID DATA FILE!    \n      TRY AGAIN!");
  EXPECT_EQ(platform.messages()[0].icon, platform::Icon::kStop);
  EXPECT_FALSE(fs::exists(dir / "absent.crz"));
  EXPECT_EQ(dialog.state().SelectedPath, "");
}

std::string Bytes(const fs::path& path) { return sw::test::ReadFile(path); }

// The Version 7 export shows the progress window: its bar follows the rows
// written, and a cancel request (Ctrl-C on the command line) stops the
// export before any file is touched.
TEST(CreateCruiseBranch, Version7ExportShowsProgressAndCancelsWithoutChangingAFile) {
  sw::test::TempDir dir;
  platform::ScriptedPlatform platform;
  MainDialog dialog(platform);
  ASSERT_TRUE(dialog.Initialise(sw::test::BuiltBaseDictionary().parent_path(), dir.path()));
  sw::test::WriteFile(dir / "sale.key", sw::test::KeyFileText("06V", "sale.job"));
  sw::test::WriteFile(dir / "sale.job", sw::test::JoinLines(sw::test::Version7JobLines(300, 1, false)));
  ASSERT_TRUE(dialog.ChooseFile((dir / "sale.key").string()));
  ASSERT_EQ(CreateCommand().Run(dialog), CreateOutcome::kDone);
  sw::test::WriteFile(dir / "sale.key", "old key\n");
  sw::test::WriteFile(dir / "sale.job", "old job\n");
  const std::string cruise_before = Bytes(dir / "sale.crz");

  ASSERT_TRUE(dialog.ChooseFile((dir / "sale.crz").string()));
  dialog.SetVersion7Option(true);
  volatile std::sig_atomic_t interrupted = 1;
  platform.SetInterruptFlag(&interrupted);
  const std::size_t popups_before = platform.popups().size();
  EXPECT_EQ(CreateCommand().Run(dialog), CreateOutcome::kCancelled);
  ASSERT_EQ(platform.popups().size(), popups_before + 1);
  EXPECT_EQ(platform.popups().back()->text, "Writing the Version 7 job file.......");
  EXPECT_EQ(platform.messages().back().text, "Progress Cancelled");
  EXPECT_EQ(Bytes(dir / "sale.key"), "old key\n");
  EXPECT_EQ(Bytes(dir / "sale.job"), "old job\n");
  EXPECT_EQ(Bytes(dir / "sale.crz"), cruise_before);  // no log entry was added
  EXPECT_TRUE(platform.main_window_enabled());

  EXPECT_EQ(CreateCommand().Run(dialog), CreateOutcome::kDone);
  const platform::PopupRecord& bar = *platform.popups().back();
  EXPECT_GE(bar.upper, 299);  // the count rows and the 300 tree rows
  EXPECT_EQ(bar.position, bar.upper);
  EXPECT_EQ(bar.caption_history.back(), "Progress [100%]");
  EXPECT_NE(Bytes(dir / "sale.job").find("\n7A"), std::string::npos);
  EXPECT_EQ(Bytes(dir / "sale.key").substr(0, 4), "06V\n");
}

TEST(CreateCommand, NothingChosenDoesNothing) {
  platform::ScriptedPlatform platform;
  MainDialog dialog(platform);
  EXPECT_EQ(CreateCommand().Run(dialog), CreateOutcome::kNothing);
  EXPECT_TRUE(platform.messages().empty());
}

}  // namespace
}  // namespace sw::app
