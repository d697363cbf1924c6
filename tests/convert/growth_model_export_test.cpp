// The growth-model export end to end: what the dialog offers, the files one
// press of OK writes beside the cruise file, and every refusal leaving the
// folder as it was.
#include "convert/growth_model_export.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "growthmodel/species.h"
#include "storage/file_system.h"
#include "support/processed_cruise.h"
#include "support/temp_dir.h"

namespace sw::convert {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadAll(entry.path());
  }
  return files;
}

// Three units: 1 (20 acres), 2 (40 acres, written padded in the stratum
// list), 10 (no description); stratum 01 covers 1 and 2, stratum 02 unit 10.
class GrowthModelExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cruise_.units = {{"2", 40, "south - slope"}, {"1", 20, "north"}, {"10", 10, ""}};
    cruise_.strata = {{"01", "1,  2"}, {"02", "10"}};
    cruise_.equations = {{"202", "I00FW2W202"}, {"122", "I00FW2W122"}};
    cruise_.plots = {{"01", "1", "1", 20, 180}, {"01", "2", "4", 35, 90}, {"02", "10", "8", 5, 270}};
    test::TreeSpec t;
    t.expan = 10;
    cruise_.trees.push_back(t);
    t.tree = "2";
    t.sp = "122";
    t.cut_unit = "2";
    t.plot = "4";
    t.dbh = 20.25f;
    cruise_.trees.push_back(t);
    t = test::TreeSpec();
    t.stratum = "02";
    t.cut_unit = "10";
    t.plot = "8";
    t.tree = "7";
    t.expan = 5;
    cruise_.trees.push_back(t);
    cruise_.prorations = {{"C", "01", "1", "1", "N", "01", 0.5f},
                          {"C", "01", "2", "1", "N", "01", 0.5f},
                          {"C", "02", "10", "1", "N", "01", 1.0f}};
    Rewrite();
    auto species = growthmodel::ParseSpeciesSource("[PNspecies]\n202|Douglas-fir|DF\n122|ponderosa pine|PP\n"
                                                   "[WCspecies]\n202|Douglas-fir|DF\n");
    ASSERT_TRUE(species);
    ASSERT_TRUE(growthmodel::WriteSpeciesFile(program_ / growthmodel::kSpeciesFileName, *species));
  }

  void Rewrite() {
    std::error_code ec;
    fs::remove(cruise_path_, ec);
    fs::remove(folder_ / kProrationFileName, ec);
    cruise_.Write(cruise_path_, folder_ / kProrationFileName);
  }

  ExportResult Export(std::vector<std::string> units, std::string variant = "Pacific Northwest Coast",
                      storage::FileSystem* fs = nullptr) {
    ExportRequest request;
    request.cruise_path = cruise_path_;
    request.species_file = program_ / growthmodel::kSpeciesFileName;
    request.units = std::move(units);
    request.variant_name = std::move(variant);
    request.current_year = 2026;
    request.fs = fs;
    return ExportGrowthModel(request);
  }

  test::TempDir dir_;
  fs::path folder_ = [this] {
    fs::create_directories(dir_ / "cruises");
    return dir_ / "cruises";
  }();
  fs::path program_ = [this] {
    fs::create_directories(dir_ / "program");
    return dir_ / "program";
  }();
  fs::path cruise_path_ = folder_ / "sale.crz";
  test::ProcessedCruise cruise_;
};

TEST_F(GrowthModelExportTest, DialogOffersSortedUnitsAndTheRegionsVariants) {
  ExportStart start = StartGrowthModelExport(cruise_path_);
  ASSERT_TRUE(start.outcome.ok());
  EXPECT_TRUE(start.outcome.messages.empty());
  EXPECT_EQ(start.offer.unit_count, "   3");
  EXPECT_EQ(start.offer.unit_entries,
            (std::vector<std::string>{" ALL UNITS", "1 -- north", "10 -- no description available",
                                      "2 -- south - slope"}));
  EXPECT_EQ(start.offer.variant_names,
            (std::vector<std::string>{"Blue Mountains", "East Cascades", "Inland Empire", "Northern Idaho",
                                      "Pacific Northwest Coast", "South Central Oregon/Northeast California",
                                      "Westside Cascades"}));
  EXPECT_EQ(ChosenUnits({" ALL UNITS", "2 -- south - slope", "  7   -- x -- y", "bare"}),
            (std::vector<std::string>{" ALL UNITS", "2", "  7  ", "bare"}));

  const std::map<std::string, std::vector<std::string>> offered = {
      {"10", {"Southeast Alaska/Coastal British Columbia"}}, {"3", {"Central Rockies"}}, {"", {}}};
  for (const auto& [region, names] : offered) {
    cruise_.cruise.region = region;
    Rewrite();
    start = StartGrowthModelExport(cruise_path_);
    ASSERT_TRUE(start.outcome.ok());
    EXPECT_EQ(start.offer.variant_names, names) << '"' << region << '"';
  }
}

TEST_F(GrowthModelExportTest, NoExpansionFactorsRefusesTheDialog) {
  const auto refused = [&] {
    ExportStart start = StartGrowthModelExport(cruise_path_);
    EXPECT_EQ(start.outcome.result, Result::kRefused);
    ASSERT_EQ(start.outcome.messages.size(), 1u);
    EXPECT_EQ(start.outcome.messages[0].text,
              "CANNOT CONTINUE - expansion factors not detected in current file\nProcess in Tallyworks and try again!");
    EXPECT_EQ(start.outcome.messages[0].caption, "ERROR");
    EXPECT_EQ(start.outcome.messages[0].icon, platform::Icon::kNone);
  };
  cruise_.with_expan_fac = false;
  Rewrite();
  refused();
  cruise_.with_expan_fac = true;
  for (auto& t : cruise_.trees) t.expan = 0;
  Rewrite();
  refused();
  cruise_.trees.clear();
  Rewrite();
  refused();

  ExportStart missing = StartGrowthModelExport(folder_ / "none.crz");
  EXPECT_EQ(missing.outcome.result, Result::kRefused) << "a missing file has no expansion factors";
  test::WriteFile(folder_ / "text.crz", "not a cruise file");
  ExportStart damaged = StartGrowthModelExport(folder_ / "text.crz");
  EXPECT_EQ(damaged.outcome.result, Result::kFailed);
  ASSERT_EQ(damaged.outcome.messages.size(), 1u);
  EXPECT_NE(damaged.outcome.messages[0].text.find("text.crz cannot be read: "), std::string::npos);
}

TEST_F(GrowthModelExportTest, LocationFieldsMustBeFilled) {
  EXPECT_FALSE(CheckCruiseLocation(cruise_path_));
  for (int field = 0; field < 3; ++field) {
    test::ProcessedCruise blank = cruise_;
    (field == 0 ? blank.cruise.region : field == 1 ? blank.cruise.forest : blank.cruise.district) = "";
    cruise_ = blank;
    Rewrite();
    auto message = CheckCruiseLocation(cruise_path_);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text,
              "Region or Forest or District is blank.\nMost GRO variants require\nat least Forest.\nComplete these "
              "fields\nand try again!");
    EXPECT_EQ(message->caption, "CANNOT CONTINUE");
    EXPECT_EQ(message->icon, platform::Icon::kStop);
    cruise_.cruise = test::CruiseSpec();
  }
  cruise_.with_cruise_row = false;
  Rewrite();
  EXPECT_TRUE(CheckCruiseLocation(cruise_path_));
}

TEST_F(GrowthModelExportTest, OneUnitWritesEveryFileBesideTheCruiseFile) {
  const std::string cruise_bytes = ReadAll(cruise_path_);
  ExportResult result = Export({"1"});
  ASSERT_EQ(result.outcome.result, Result::kDone);
  EXPECT_FALSE(result.close_dialog);
  ASSERT_EQ(result.outcome.messages.size(), 1u);
  EXPECT_EQ(result.outcome.messages[0].text,
            "All GRO files have been created in this directory\n" + folder_.string() +
                "        \nTo run the batch file, return to the Ferncastle dashboard or\nrun the batch file from a "
                "command window");
  EXPECT_EQ(result.outcome.messages[0].caption, "NOTIFY");

  auto files = Snapshot(folder_);
  EXPECT_EQ(files.size(), 7u);
  EXPECT_EQ(files["sale.crz"], cruise_bytes) << "the cruise file is only read";
  EXPECT_EQ(files["sale.bat"],
            "rem Biomass reports on all cutting units selected.\n"
            "echo Cruz4711_1.kwd >  Cruz4711_1.rsp\n"
            "echo NUL >> Cruz4711_1.rsp\n"
            "echo Cruz4711_1.out >> Cruz4711_1.rsp\n"
            "echo NUL >> Cruz4711_1.rsp\n"
            "echo NUL >> Cruz4711_1.rsp\n"
            "echo NUL >> Cruz4711_1.rsp\n"
            "C:\\Grobin\\pnfm.exe < Cruz4711_1.rsp\n"
            "del Cruz4711_1.rsp\n");
  // Both trees of stratum 01 belong to unit 1's sample; tree 2 stands on
  // plot 4 of unit 2, whose slope and aspect it takes.
  EXPECT_EQ(files["Cruz4711_1.gro"],
            "   4  2  0.251PP 20.2    80       427 526 0    1235 90     \n"
            "   1  1  0.251DF 12.5    80       427 526 0    1220180     \n");
  EXPECT_EQ(files["Cruz4711_1.kwd"],
            "STDIDENT\n"
            "4711      Cedar Flats               \n"
            "DESIGN             0         1       999         1\n"
            "STDINFO         0612\n"
            "INVYEAR         2009\n"
            "*\nOPEN              50\n"
            "Cruz4711_1.gro                          \n"
            "TREEDATA          50\n*\n"
            "THINPRSC           1       1.0         2\n"
            "FMIN\n"
            "FUELINIT           0         0         0         0         0         0         0\n"
            "FUELOUT         2009         1        10\n"
            "END\nPROCESS\nSTOP\n");
  EXPECT_EQ(files["Cruz4711.loc"], "A \"Cedar Flats\" Conjure Cruz4711.slf @ @");
  EXPECT_EQ(files["Cruz4711.slf"],
            "A   1 Cruz4711_1.gro NoPointData PN @\n"
            "B   1 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0     20 @ @ @ @ @ @ @ @ @ @ @ @ @\n");
  EXPECT_EQ(result.outcome.written.size(), 5u);
}

TEST_F(GrowthModelExportTest, AllUnitsWithPaddedCodesAndAUnitTwice) {
  cruise_.units[0].cut_unit = "  2";
  cruise_.strata[0].units = " 1 ,2";
  cruise_.plots[1].cut_unit = " 2";
  Rewrite();
  ExportResult result = Export({" ALL UNITS", "2"});
  ASSERT_EQ(result.outcome.result, Result::kDone) << result.outcome.messages[0].text;
  auto files = Snapshot(folder_);
  EXPECT_EQ(files.size(), 3u + 3u * 2u + 2u);
  for (const char* unit : {"1", "2", "10"}) {
    EXPECT_FALSE(files["Cruz4711_" + std::string(unit) + ".gro"].empty()) << unit;
  }
  EXPECT_EQ(files["Cruz4711_10.gro"], "   8  7  0.501DF 12.5    80       427 526 0    12 5270     \n");
  EXPECT_EQ(files["Cruz4711_2.gro"].substr(0, 13), "   4  2  0.12") << "10 x 0.5 / 40 acres";
  EXPECT_EQ(files["Cruz4711_2.gro"].substr(49, 5), "35 90") << "the padded plot unit is found";
  // Units in table order, unit 2 again at the end.
  const std::string batch = files["sale.bat"];
  std::vector<std::string> runs;
  std::istringstream in(batch);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("C:\\Grobin\\", 0) == 0) runs.push_back(line);
  }
  EXPECT_EQ(runs, (std::vector<std::string>{"C:\\Grobin\\pnfm.exe < Cruz4711_2.rsp",
                                            "C:\\Grobin\\pnfm.exe < Cruz4711_1.rsp",
                                            "C:\\Grobin\\pnfm.exe < Cruz4711_10.rsp",
                                            "C:\\Grobin\\pnfm.exe < Cruz4711_2.rsp"}));
  EXPECT_EQ(files["Cruz4711.slf"],
            "A   2 Cruz4711_2.gro NoPointData PN @\n"
            "B   2 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0     40 @ @ @ @ @ @ @ @ @ @ @ @ @\n"
            "A   1 Cruz4711_1.gro NoPointData PN @\n"
            "B   1 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0     20 @ @ @ @ @ @ @ @ @ @ @ @ @\n"
            "A  10 Cruz4711_10.gro NoPointData PN @\n"
            "B  10 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0     10 @ @ @ @ @ @ @ @ @ @ @ @ @\n");
}

TEST_F(GrowthModelExportTest, SecondExportRewritesTheBatchFile) {
  ASSERT_TRUE(Export({"1", "2"}).outcome.ok());
  ASSERT_TRUE(Export({"10"}, "Westside Cascades").outcome.ok());
  const std::string batch = ReadAll(folder_ / "sale.bat");
  EXPECT_EQ(batch.find("Cruz4711_1."), std::string::npos) << batch;
  EXPECT_NE(batch.find("C:\\Grobin\\wcfm.exe < Cruz4711_10.rsp\n"), std::string::npos);
  EXPECT_EQ(ReadAll(folder_ / "Cruz4711.slf"),
            "A  10 Cruz4711_10.gro NoPointData WC @\n"
            "B  10 2009 @ @ 0612 @ @ @ @ @ 0 1 999 1 0     10 @ @ @ @ @ @ @ @ @ @ @ @ @\n");
  EXPECT_TRUE(fs::exists(folder_ / "Cruz4711_1.gro")) << "files of the first export stay";
}

TEST_F(GrowthModelExportTest, MissingChoiceWritesOnlyTheBatchFilesFirstLine) {
  ASSERT_TRUE(Export({"1"}).outcome.ok());
  ExportResult none = Export({"1"}, "");
  EXPECT_EQ(none.outcome.result, Result::kRefused);
  ASSERT_EQ(none.outcome.messages.size(), 1u);
  EXPECT_EQ(none.outcome.messages[0].text, "NO VARIANT SELECTED!\nPlease select a variant\nbefore clicking OK");
  EXPECT_EQ(none.outcome.messages[0].caption, "WARNING");
  EXPECT_EQ(none.outcome.messages[0].icon, platform::Icon::kExclamation);
  EXPECT_EQ(ReadAll(folder_ / "sale.bat"), "rem Biomass reports on all cutting units selected.\n");

  ExportResult no_units = Export({});
  EXPECT_EQ(no_units.outcome.result, Result::kRefused);
  EXPECT_EQ(no_units.outcome.messages.at(0).text, "NO UNITS SELECTED!\nPlease select at least one unit");
  EXPECT_EQ(ReadAll(folder_ / "sale.bat"), "rem Biomass reports on all cutting units selected.\n");
  EXPECT_EQ(Export({}, "").outcome.messages.at(0).text.substr(0, 19), "NO VARIANT SELECTED") << "variant first";
}

TEST_F(GrowthModelExportTest, UpperCaseExtensionGivesItsOwnBatchFile) {
  fs::rename(cruise_path_, folder_ / "SALE.CRZ");
  cruise_path_ = folder_ / "SALE.CRZ";
  const std::string cruise_bytes = ReadAll(cruise_path_);
  ASSERT_TRUE(Export({"1"}).outcome.ok());
  EXPECT_EQ(ReadAll(cruise_path_), cruise_bytes);
  EXPECT_EQ(ReadAll(folder_ / "SALE.bat").substr(0, 4), "rem ");
}

TEST_F(GrowthModelExportTest, RefusalsWriteNothing) {
  ASSERT_TRUE(Export({"1"}).outcome.ok());
  // Runs the export and checks that no file of the folder changed.
  const auto refused = [&](std::vector<std::string> units, const std::string& start_of_message) {
    const auto before = Snapshot(folder_);
    ExportResult result = Export(std::move(units));
    EXPECT_NE(result.outcome.result, Result::kDone);
    EXPECT_TRUE(result.outcome.written.empty());
    EXPECT_EQ(Snapshot(folder_), before) << start_of_message;
    if (result.outcome.messages.empty()) return result;
    EXPECT_EQ(result.outcome.messages[0].text.substr(0, start_of_message.size()), start_of_message)
        << result.outcome.messages[0].text;
    EXPECT_EQ(result.outcome.messages[0].caption, "ERROR");
    return result;
  };
  // A cruise number that would lead out of the folder.
  cruise_.cruise.cruise_no = "/../../x";
  Rewrite();
  refused({"1"}, "The cruise number \"/../../x\" cannot be part of a file name: it holds the character '/'.");
  EXPECT_FALSE(fs::exists(dir_.path().parent_path() / "Cruzx.loc"));
  cruise_.cruise = test::CruiseSpec();

  // A unit code with a separator.
  cruise_.units.push_back({"a\\b", 1, ""});
  cruise_.strata[0].units += ",a\\b";
  Rewrite();
  refused({" ALL UNITS"}, "The cutting unit \"a\\b\" cannot be part of a file name: it holds the character '\\'.");
  cruise_.units.pop_back();
  cruise_.strata[0].units = "1,  2";

  // A DBH too wide for its columns.
  cruise_.trees[0].dbh = 1234;
  Rewrite();
  refused({"1"}, "Stratum 01, unit 1, plot 1 tree 1: DBH 1234 does not fit its 4 columns\nNo GRO files were written.");
  cruise_.trees[0].dbh = 12.5f;
  Rewrite();

  // The proration file missing or damaged.
  fs::rename(folder_ / kProrationFileName, dir_ / "saved.lpp");
  refused({"1"}, (folder_ / kProrationFileName).string() + " is missing!\nProcess in Tallyworks and try again.");
  test::WriteFile(folder_ / kProrationFileName, "garbage");
  EXPECT_EQ(refused({"1"}, (folder_ / kProrationFileName).string() + " cannot be read: ").outcome.result,
            Result::kFailed);
  fs::remove(folder_ / kProrationFileName);
  fs::rename(dir_ / "saved.lpp", folder_ / kProrationFileName);

  // The species file missing: its message, and the dialog closes.
  fs::remove(program_ / growthmodel::kSpeciesFileName);
  ExportResult no_species = refused({"1"}, (program_ / growthmodel::kSpeciesFileName).string() +
                                               " is missing!\nCannot continue without it");
  EXPECT_TRUE(no_species.close_dialog);
  EXPECT_EQ(no_species.outcome.result, Result::kFailed);
  EXPECT_EQ(no_species.outcome.messages.at(0).icon, platform::Icon::kExclamation);
}

TEST_F(GrowthModelExportTest, UnitsWithoutAcresAndTreesWithoutProrationAreReported) {
  cruise_.units[2].area = 0;
  cruise_.prorations.erase(cruise_.prorations.begin());
  Rewrite();
  ExportResult result = Export({"1", "10"});
  ASSERT_EQ(result.outcome.result, Result::kDone);
  ASSERT_EQ(result.outcome.messages.size(), 3u);
  EXPECT_EQ(result.outcome.messages[0].text,
            "These units have no acres (Area 0, negative or missing) in CuttingUnitTable; no GRO files were written for them:\n10");
  EXPECT_EQ(result.outcome.messages[0].caption, "WARNING");
  EXPECT_EQ(result.outcome.messages[1].text,
            "No proration was found in IntCruiseTables.lpp for these trees; they were written with proration "
            "1:\nunit 1, stratum 01 plot 4 tree 2\nunit 1, stratum 01 plot 1 tree 1");
  EXPECT_EQ(result.outcome.messages[2].caption, "NOTIFY");
  EXPECT_FALSE(fs::exists(folder_ / "Cruz4711_10.gro"));
  EXPECT_EQ(ReadAll(folder_ / "Cruz4711_1.gro").substr(0, 13), "   4  2  0.50");
  EXPECT_EQ(ReadAll(folder_ / "sale.bat").find("Cruz4711_10"), std::string::npos);
  EXPECT_EQ(ReadAll(folder_ / "Cruz4711.slf").find(" 10 "), std::string::npos);
}

// Fails creating or renaming to any file whose name contains `marker`.
class FailingFileSystem : public storage::ForwardingFileSystem {
 public:
  explicit FailingFileSystem(std::string marker) : marker_(std::move(marker)) {}
  storage::Result<std::unique_ptr<storage::File>> Create(const std::string& path) override {
    if (path.find(marker_) != std::string::npos) return storage::Status::Error("disk full");
    return ForwardingFileSystem::Create(path);
  }
  storage::Status Rename(const std::string& from, const std::string& to) override {
    if (to.find(marker_) != std::string::npos) return storage::Status::Error("cannot rename");
    return ForwardingFileSystem::Rename(from, to);
  }

 private:
  std::string marker_;
};

TEST_F(GrowthModelExportTest, AFileThatCannotBeWrittenLeavesEveryFileAsItWas) {
  ASSERT_TRUE(Export({"1"}).outcome.ok());
  const auto before = Snapshot(folder_);
  for (const char* marker : {".slf", "sale.bat", "_2.gro"}) {
    FailingFileSystem failing(marker);
    ExportResult result = Export({"1", "2"}, "Westside Cascades", &failing);
    EXPECT_EQ(result.outcome.result, Result::kFailed) << marker;
    ASSERT_EQ(result.outcome.messages.size(), 1u);
    EXPECT_EQ(result.outcome.messages[0].caption, "ERROR");
    EXPECT_NE(result.outcome.messages[0].text.find("No GRO files were written."), std::string::npos);
    EXPECT_EQ(Snapshot(folder_), before) << marker;
  }
}

}  // namespace
}  // namespace sw::convert
