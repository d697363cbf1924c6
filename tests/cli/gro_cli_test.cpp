// The growth-model export from the shell: one run is one press of OK in
// "Select Units and Variants", then Exit.
#include <gtest/gtest.h>

#include "convert/growth_model_export.h"
#include "growthmodel/species.h"
#include "program_runner.h"
#include "support/processed_cruise.h"

namespace sw::testing {
namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// The program with its base dictionary and species file, and a cruise file
// in a folder of its own (not the current one).
class GroCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(fs::path(SW_BIN_DIR) / "CruiseDefault.stp", cli_.dir() / "CruiseDefault.stp");
    fs::copy_file(fs::path(SW_BIN_DIR) / growthmodel::kSpeciesFileName, cli_.dir() / growthmodel::kSpeciesFileName);
    fs::create_directories(folder_);
    cruise_.cruise.region = "6";
    cruise_.units = {{"1", 20, "north"}, {" 2", 40, ""}};
    cruise_.strata = {{"01", "1,2"}};
    cruise_.equations = {{"202", "I00FW2W202"}};
    cruise_.plots = {{"01", "1", "1", 20, 180}};
    cruise_.trees.push_back(test::TreeSpec());
    cruise_.prorations = {{"C", "01", "1", "1", "N", "01", 0.5f}, {"C", "01", "2", "1", "N", "01", 1.0f}};
    Write();
  }
  void Write() {
    std::error_code ec;
    fs::remove(cruise_path_, ec);
    fs::remove(folder_ / convert::kProrationFileName, ec);
    cruise_.Write(cruise_path_, folder_ / convert::kProrationFileName);
  }
  RunResult Run(const std::string& args) { return cli_.Run("", ProgramCopy::Quote(cruise_path_) + " " + args); }

  ProgramCopy cli_{"stumpwright-cli", "bin"};
  fs::path folder_ = cli_.dir().parent_path() / "cruises";
  fs::path cruise_path_ = folder_ / "sale.crz";
  test::ProcessedCruise cruise_;
};

TEST_F(GroCliTest, ListShowsTheDialogsEntriesAndWritesNothing) {
  const auto before = Names(folder_);
  RunResult r = Run("--gro --list");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            " ALL UNITS\n 2 -- no description available\n1 -- north\n"
            "Blue Mountains\nEast Cascades\nInland Empire\nNorthern Idaho\nPacific Northwest Coast\n"
            "South Central Oregon/Northeast California\nWestside Cascades\n");
  EXPECT_EQ(Names(folder_), before);
  EXPECT_NE(Run("--gro --list --version7").exit_code, 0) << "a listing exports nothing";
}

TEST_F(GroCliTest, UnitsAndVariantExportBesideTheCruiseFile) {
  const std::string cruise_bytes = ReadAll(cruise_path_);
  RunResult r = Run("--gro --variant pn --unit 2 --unit 1,2");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadAll(cruise_path_), cruise_bytes) << "the cruise file is read, never committed";
  EXPECT_EQ(r.err, "NOTIFY: All GRO files have been created in this directory\n" + folder_.string() +
                       "        \nTo run the batch file, return to the Ferncastle dashboard or\nrun the batch file "
                       "from a command window\n");
  // Units in the list's order, each once, whatever the order of the options.
  const std::string batch = ReadAll(folder_ / "sale.bat");
  EXPECT_LT(batch.find("< Cruz4711_2.rsp"), batch.find("< Cruz4711_1.rsp"));
  EXPECT_EQ(batch.find("< Cruz4711_2.rsp"), batch.rfind("< Cruz4711_2.rsp"));
  EXPECT_EQ(ReadAll(folder_ / "Cruz4711_2.gro"), "   1  1  0.251DF 12.5    80       427 526 0    1220180     \n");
  EXPECT_EQ(ReadAll(folder_ / "Cruz4711_1.gro"), "   1  1  0.251DF 12.5    80       427 526 0    1220180     \n");
  EXPECT_EQ(Names(cli_.dir()),
            (std::set<std::string>{"CruiseDefault.stp", growthmodel::kSpeciesFileName, "stumpwright-cli"}))
      << "nothing lands in the current folder";

  r = Run("--gro --all-units --variant \"WESTSIDE cascades\"");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(ReadAll(folder_ / "sale.bat").find("C:\\Grobin\\wcfm.exe < Cruz4711_1.rsp"), std::string::npos);
}

TEST_F(GroCliTest, ChoicesNotOfferedWriteNothing) {
  struct Case {
    const char* args;
    const char* error;
  };
  for (const Case& c :
       {Case{"--gro --unit 3 --variant PN", "ERROR: the cruise file has no cutting unit \"3\"; its units are: 2, 1\n"},
        Case{"--gro --unit 1 --variant XX", "ERROR: unknown variant \"XX\"; the variants offered for this cruise file"},
        Case{"--gro --unit 1 --variant Utah", "ERROR: the variant \"Utah\" (Utah) is not offered"}}) {
    RunResult r = Run(c.args);
    EXPECT_EQ(r.exit_code, 2) << c.args;
    EXPECT_EQ(r.err.rfind(c.error, 0), 0u) << r.err;
    EXPECT_EQ(Names(folder_), (std::set<std::string>{"sale.crz", convert::kProrationFileName})) << c.args;
  }
}

TEST_F(GroCliTest, MissingChoicePressesOkWithoutIt) {
  RunResult r = Run("--gro --unit 1");
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err, "WARNING: NO VARIANT SELECTED!\nPlease select a variant\nbefore clicking OK\n");
  EXPECT_EQ(ReadAll(folder_ / "sale.bat"), "rem Biomass reports on all cutting units selected.\n");
  r = Run("--gro --variant PN");
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err, "WARNING: NO UNITS SELECTED!\nPlease select at least one unit\n");
}

TEST_F(GroCliTest, OptionsNeedGro) {
  for (const char* args : {"--unit 1", "--all-units", "--variant PN", "--list"}) {
    RunResult r = Run(args);
    EXPECT_NE(r.exit_code, 0) << args;
    EXPECT_NE(r.err.find("--gro"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Names(folder_), (std::set<std::string>{"sale.crz", convert::kProrationFileName}));
}

TEST_F(GroCliTest, FailuresBeforeTheDialogAndAMissingSpeciesFile) {
  cruise_.cruise.district = "";
  Write();
  RunResult r = Run("--gro --unit 1 --variant PN --version7");
  EXPECT_NE(r.exit_code, 0);
  EXPECT_EQ(r.err.rfind("CANNOT CONTINUE: Region or Forest or District is blank.", 0), 0u) << r.err;
  cruise_.cruise.district = "03";
  for (auto& t : cruise_.trees) t.expan = 0;
  Write();
  r = Run("--gro --unit 1 --variant PN");
  EXPECT_NE(r.exit_code, 0);
  EXPECT_EQ(r.err.rfind("ERROR: CANNOT CONTINUE - expansion factors not detected in current file", 0), 0u) << r.err;
  EXPECT_EQ(Names(folder_), (std::set<std::string>{"sale.crz", convert::kProrationFileName}));

  cruise_.trees[0].expan = 10;
  Write();
  fs::remove(cli_.dir() / growthmodel::kSpeciesFileName);
  r = Run("--gro --unit 1 --variant PN");
  EXPECT_NE(r.exit_code, 0);
  EXPECT_EQ(r.err.rfind("ERROR: " + (cli_.dir() / growthmodel::kSpeciesFileName).string() +
                            " is missing!\nCannot continue without it\n",
                        0),
            0u)
      << r.err;
  EXPECT_EQ(Names(folder_), (std::set<std::string>{"sale.crz", convert::kProrationFileName}));
}

}  // namespace
}  // namespace sw::testing

namespace sw::testing {
namespace {

TEST_F(GroCliTest, GroThenVersion7) {
  RunResult r = Run("--gro --unit 1 --variant PN --version7 --yes");
  EXPECT_EQ(r.err.rfind("NOTIFY: All GRO files have been created in this directory\n", 0), 0u) << r.err;
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(fs::exists(folder_ / "Cruz4711_1.gro"));
  EXPECT_NE(r.err.find("Version 7 key and job files"), std::string::npos) << "the Version 7 export follows";
  EXPECT_TRUE(fs::exists(folder_ / "sale.key"));
  EXPECT_TRUE(fs::exists(folder_ / "sale.job"));
}

}  // namespace
}  // namespace sw::testing
