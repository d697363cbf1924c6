// stumpwright-cli with cycle and dump files: every cycle option, the list
// output, the questions and notices, and files read back through the engine.
#include <gtest/gtest.h>

#include <algorithm>

#include "cyclefile/cycle_text.h"
#include "program_runner.h"
#include "storage/storage.h"

namespace sw::testing {
namespace {

namespace storage = sw::storage;

class CycleCli : public ::testing::Test {
 protected:
  CycleCli() {
    fs::copy_file(fs::path(SW_BIN_DIR) / "CruiseDefault.stp", cli_.dir() / "CruiseDefault.stp");
    auto header = [](const char* cycle, const char* year, const char* prefix) {
      sw::test::HeaderFields h;
      h.cycle = cycle;
      h.year = year;
      h.prefix = prefix;
      return sw::test::HeaderLine(h);
    };
    const std::string record = sw::test::RecordLine({});
    std::ofstream(cli_.dir() / "c.wpx") << header(" 2", "2010", "STAND01") << record
                                        << header(" 1", "2005", "STAND01") << record
                                        << header("10", "2020", "STAND02") << record
                                        << header(" 1", "2005", "STAND02") << record;
  }
  std::vector<std::string> CruiseFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(cli_.dir())) {
      if (e.path().extension() == ".crz") names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  void Clear() const {
    for (const std::string& name : CruiseFiles()) fs::remove(cli_.dir() / name);
  }
  ProgramCopy cli_{"stumpwright-cli", "bin"};
};

TEST_F(CycleCli, ListCyclesPrintsTheSortedListAndConvertsNothing) {
  const RunResult r = cli_.Run("", "--list-cycles c.wpx");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "There are 4 cycles in this file.\n 1  2005\n 1  2005\n 2  2010\n10  2020\n");
  EXPECT_TRUE(CruiseFiles().empty());
}

TEST_F(CycleCli, NoChoiceIsTheEmptySelectionWarning) {
  for (const char* args : {"c.wpx", "--cycle 01 c.wpx", "--cycle 3 c.wpx", "--cycle 1 --cycle-year 2010 c.wpx"}) {
    const RunResult r = cli_.Run("", args);
    EXPECT_EQ(r.exit_code, 4) << args;
    EXPECT_NE(r.err.find("WARNING: NO CYCLES SELECTED! \nPlease select at least one cycle\n"), std::string::npos)
        << args << ": " << r.err;
    EXPECT_TRUE(CruiseFiles().empty()) << args;
  }
}

TEST_F(CycleCli, CycleAndYearOptionsChooseEntries) {
  RunResult r = cli_.Run("", "--cycle 1 --cycle-year 2005 c.wpx");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("Stumpwright: Cruise files have been created\n"), std::string::npos) << r.err;
  EXPECT_EQ(CruiseFiles(), (std::vector<std::string>{"STAND01_12005.crz", "STAND02_12005.crz"}));
  {
    auto file = storage::Storage::Open(cli_.dir() / "STAND02_12005.crz", storage::Storage::Mode::ReadOnly);
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file->GetView("TreeTable").Size(), 1u);
    auto cruise = file->GetView("CruiseTable");
    EXPECT_EQ(cruise.GetText(0, static_cast<std::size_t>(cruise.ColumnIndex("CruiseNo"))), "AND02");
  }  // closed before the files are removed (Windows keeps an open file)
  Clear();

  EXPECT_EQ(cli_.Run("", "--cycle 1,10 c.wpx").exit_code, 0);
  EXPECT_EQ(CruiseFiles(), (std::vector<std::string>{"STAND01_12005.crz", "STAND02_102020.crz", "STAND02_12005.crz"}));
  Clear();

  EXPECT_EQ(cli_.Run("", "--cycle 2 --cycle ' 10 ' c.wpx").exit_code, 0);
  EXPECT_EQ(CruiseFiles(), (std::vector<std::string>{"STAND01_22010.crz", "STAND02_102020.crz"}));
  Clear();

  EXPECT_EQ(cli_.Run("", "--cycle-year 2010 --cycle-year 2020,1999 c.wpx").exit_code, 0);
  EXPECT_EQ(CruiseFiles(), (std::vector<std::string>{"STAND01_22010.crz", "STAND02_102020.crz"}));
  Clear();

  EXPECT_EQ(cli_.Run("", "--all-cycles c.wpx").exit_code, 0);
  EXPECT_EQ(CruiseFiles(), (std::vector<std::string>{"STAND01_12005.crz", "STAND01_22010.crz", "STAND02_102020.crz",
                                                     "STAND02_12005.crz"}));
}

TEST_F(CycleCli, ExistingFilesNeedYes) {
  std::ofstream(cli_.dir() / "STAND01_22010.crz") << "old";
  RunResult r = cli_.Run("", "--cycle 2 c.wpx");
  EXPECT_EQ(r.exit_code, 6) << r.err;
  r = cli_.Run("", "--no --cycle 2 c.wpx");
  EXPECT_EQ(r.exit_code, 5) << r.err;
  {
    std::ifstream in(cli_.dir() / "STAND01_22010.crz");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "old");
  }  // closed before it is replaced (Windows replaces no open file)
  r = cli_.Run("", "--yes --cycle 2 c.wpx");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  auto file = storage::Storage::Open(cli_.dir() / "STAND01_22010.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->GetView("TreeTable").Size(), 1u);
}

TEST_F(CycleCli, CycleOptionsOnlyForCycleFiles) {
  std::ofstream(cli_.dir() / "a.key") << "x";
  const RunResult r = cli_.Run("", "--all-cycles a.key");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_NE(r.err.find("cycle files (.wpx) only"), std::string::npos) << r.err;
}

TEST_F(CycleCli, EmptyAndBinaryCycleFiles) {
  std::ofstream(cli_.dir() / "e.wpx") << "";
  RunResult r = cli_.Run("", "--list-cycles e.wpx");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "There are 0 cycles in this file.\n");
  r = cli_.Run("", "--all-cycles e.wpx");
  EXPECT_EQ(r.exit_code, 4);
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 131 + 7) & 0xff);
  std::ofstream(cli_.dir() / "b.wpx", std::ios::binary) << binary;
  r = cli_.Run("", "--all-cycles b.wpx");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_TRUE(CruiseFiles().empty());
}

class DumpCli : public ::testing::Test {
 protected:
  DumpCli() { cli_.AddBaseDictionary(); }
  ProgramCopy cli_{"stumpwright-cli", "bin"};
};

TEST_F(DumpCli, DumpBecomesACruiseFileWithItsNotice) {
  std::ofstream(cli_.dir() / "s.crz.dmp") << "[T]\nT[A:S,N:L]\nA,N\nx^y,8000000000\n";
  const RunResult r = cli_.Run("", "s.crz.dmp");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "NOTIFY: Vantor dump file has been converted\nFilename is " + (cli_.dir() / "s.crz").string() + "\n");
  auto file = storage::Storage::Open(cli_.dir() / "s.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  auto t = file->GetView("T");
  ASSERT_EQ(t.Size(), 1u);
  EXPECT_EQ(t.GetText(0, 0), "x,y");
  EXPECT_EQ(std::get<std::int64_t>(t.Get(0, 1)), 8000000000LL);
}

TEST_F(DumpCli, DeclinedReplacementGivesTheWarning) {
  std::ofstream(cli_.dir() / "S.CRZ.DMP") << "[T]\nT[A:S]\nA\nx\n";
  std::ofstream(cli_.dir() / "S.CRZ") << "old";
  const RunResult r = cli_.Run("", "--no S.CRZ.DMP");
  EXPECT_EQ(r.exit_code, 5) << r.err;
  EXPECT_NE(r.err.find("WARNING: Could not convert the dump file\nThe cruise object already exists\n"
                       "Try renaming or removing it\n"),
            std::string::npos)
      << r.err;
  {
    std::ifstream in(cli_.dir() / "S.CRZ");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "old");
  }  // closed before it is replaced (Windows replaces no open file)
  EXPECT_EQ(cli_.Run("", "--yes S.CRZ.DMP").exit_code, 0);
  auto file = storage::Storage::Open(cli_.dir() / "S.CRZ", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->GetView("T").GetText(0, 0), "x");
  EXPECT_TRUE(fs::exists(cli_.dir() / "S.CRZ.DMP"));
}

TEST_F(DumpCli, BadDumpCreatesNothing) {
  std::ofstream(cli_.dir() / "bad.crz.dmp") << "[T]\nT[A:Q]\nA\nx\n";
  const RunResult r = cli_.Run("", "bad.crz.dmp");
  EXPECT_EQ(r.exit_code, 4) << r.err;
  EXPECT_NE(r.err.find("ERROR: "), std::string::npos);
  EXPECT_EQ(r.err.find("NOTIFY"), std::string::npos);
  EXPECT_FALSE(fs::exists(cli_.dir() / "bad.crz"));
}

}  // namespace
}  // namespace sw::testing
