// Key files into cruise file tables and back: the rows are committed, read
// again from the reopened file and written as key file sections.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cruisedb/columns.h"
#include "cruisedb/settings.h"
#include "legacy/keyfile/key_reader.h"
#include "legacy/keyfile/key_writer.h"
#include "test_files.h"

namespace sw::legacy::keyfile {
namespace {

namespace col = cruisedb::col;
namespace table = cruisedb::table;
using storage::Storage;
using storage::View;

// Name[col:T,...] from the column vocabulary, so that the test needs no base
// dictionary.
std::string DescriptionOf(std::string_view name) {
  for (const auto& t : cruisedb::Vocabulary()) {
    if (t.table != name) continue;
    std::string out(name);
    out += "[";
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
      if (i) out += ",";
      out += std::string(t.columns[i].name) + ":" + static_cast<char>(t.columns[i].type);
    }
    return out + "]";
  }
  return "";
}

struct Tables {
  View config, volume, value, weight, quality;
};

Tables GetTables(Storage& storage) {
  Tables t;
  auto get = [&](std::string_view name) {
    auto view = storage.GetAs(DescriptionOf(name));
    EXPECT_TRUE(view.ok()) << name << ": " << view.status().message();
    return view.ok() ? view.value() : View();
  };
  t.config = get(table::GlobalConfigurationTable);
  t.volume = get(table::VolumeEquationTable);
  t.value = get(table::ValueEquationTable);
  t.weight = get(table::WeightEquationTable);
  t.quality = get(table::QAEquationTable);
  return t;
}

class KeyTables : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("keyfile_tables_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Imports a key file into a new cruise file and commits it.
  std::filesystem::path Import(const std::string& key_name, std::vector<std::string>* messages = nullptr) {
    const auto path = dir_ / (key_name + ".crz");
    auto storage = Storage::Open(path, Storage::Mode::ReadWrite);
    EXPECT_TRUE(storage.ok()) << storage.status().message();
    Tables t = GetTables(*storage);
    LineReader file(testing::DataPath(key_name));
    EXPECT_TRUE(file.is_open());
    std::string line1;
    file.ReadLine(line1);
    file.Rewind();
    const ReportList reports = ReadReportCodes(file);
    EXPECT_TRUE(StoreLegacySettings(t.config, reports.codes, key_name, "x.job", "x.out", KeyFileRegion(line1)).ok());
    file.Rewind();
    SectionsRead read = ReadEquationSections(file, t.volume, t.value, t.weight, t.quality);
    EXPECT_TRUE(read.status.ok()) << read.status.message();
    if (messages) *messages = read.messages;
    EXPECT_TRUE(storage->Commit().ok());
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(KeyTables, CommittedRowsHoldTheKeyFileValues) {
  const auto path = Import("sale7.key");
  auto storage = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(storage.ok());
  Tables t = GetTables(*storage);

  EXPECT_EQ(cruisedb::ReadSetting(t.config, cruisedb::config::Processing, cruisedb::config::LegacyKeyFile),
            "sale7.key");
  EXPECT_EQ(cruisedb::ReadSetting(t.config, cruisedb::config::Processing, cruisedb::config::RegionNumber), "01");
  const auto codes = LoadReportCodes(t.config, t.config.Size());
  ASSERT_EQ(codes.size(), 25u);
  EXPECT_EQ(codes.front(), "A01");
  EXPECT_EQ(codes.back(), "R007");

  ASSERT_EQ(t.volume.Size(), 3u);
  EXPECT_EQ(t.volume.Bind(col::VolEqNum).Get(1), "I00FW2W122");
  EXPECT_EQ(t.volume.Bind(col::VolEqRegion).Get(1), "01");  // "I" takes the key file region
  EXPECT_EQ(t.volume.Bind(col::VolEqFlags).Get(0), "01111");
  EXPECT_FLOAT_EQ(t.volume.Bind(col::VolEqStump).Get(1), 0.5f);
  EXPECT_FLOAT_EQ(t.volume.Bind(col::VolEqZscore).Get(1), 1.25f);
  EXPECT_EQ(t.volume.Bind(col::VolEqUSHgt).Get(1), 17);
  EXPECT_EQ(t.volume.Bind(col::VolEqRefHgt).Get(1), 40);

  ASSERT_EQ(t.value.Size(), 2u);
  EXPECT_EQ(t.value.Bind(col::ValEqGrade).Get(1), "A");
  EXPECT_FLOAT_EQ(t.value.Bind(col::ValEqCoef3).Get(0), -0.125f);

  ASSERT_EQ(t.weight.Size(), 2u);
  EXPECT_FLOAT_EQ(t.weight.Bind(col::WgtEqFactor).Get(0), 0.35f);
  EXPECT_FLOAT_EQ(t.weight.Bind(col::WgtEqPercent).Get(0), 1234.5625f);
  EXPECT_EQ(t.weight.Bind(col::WgtEqLiveDead).Get(0), "L");

  ASSERT_EQ(t.quality.Size(), 2u);
  EXPECT_EQ(t.quality.Bind(col::QAEqYear).Get(1), 2004);
  EXPECT_EQ(t.quality.Bind(col::QAEqGrade).Get(1), "     AB");  // "%7s" right-justifies
}

TEST_F(KeyTables, Version7FilesReadAndWrittenGiveTheSameSections) {
  for (const char* name : {"sale7.key", "region10.key", "empty_reports.key", "forty_reports.key"}) {
    const auto path = Import(name);
    auto storage = Storage::Open(path, Storage::Mode::ReadOnly);
    ASSERT_TRUE(storage.ok());
    Tables t = GetTables(*storage);
    std::ostringstream out;
    WriteReportCodes(t.config, t.config.Size(), out);
    WriteVolumeSection(t.volume, t.volume.Size(), out);
    WriteValueSection(t.value, t.value.Size(), out);
    WriteWeightSection(t.weight, t.weight.Size(), out);
    WriteQualitySection(t.quality, t.quality.Size(), out);
    const std::string text = testing::ReadDataFile(name);
    EXPECT_EQ(out.str(), testing::ReportText(text) + testing::WrittenSectionText(text)) << name;
  }
}

TEST_F(KeyTables, Version6FileFillsTheTables) {
  const auto path = Import("sale6.key");
  auto storage = Storage::Open(path, Storage::Mode::ReadOnly);
  ASSERT_TRUE(storage.ok());
  Tables t = GetTables(*storage);
  const auto codes = LoadReportCodes(t.config, t.config.Size());
  EXPECT_EQ(codes, (std::vector<std::string>{"DP1", "CP1", "DS1", "TC62", "TL52"}));
  ASSERT_EQ(t.volume.Size(), 5u);
  EXPECT_EQ(t.volume.Bind(col::VolEqNum).Get(4), "8211DVEEWF");
  EXPECT_EQ(t.volume.Bind(col::VolEqFlags).Get(4), "00001");
  EXPECT_FLOAT_EQ(t.volume.Bind(col::VolEqTopDIBS).Get(4), 6.0f);
  ASSERT_EQ(t.weight.Size(), 2u);
  EXPECT_EQ(t.weight.Bind(col::WgtEqNum).Get(0), "GENPP002");
  EXPECT_FLOAT_EQ(t.weight.Bind(col::WgtEqPercent).Get(0), 0.25f);
  EXPECT_EQ(t.value.Bind(col::ValEqNum).Get(0), "VLPP0123");
  EXPECT_EQ(t.quality.Bind(col::QAEqYear).Get(0), 1998);
}

TEST_F(KeyTables, ReportsBeforeTheLegacyRowsAreWritten) {
  auto storage = Storage::Open(dir_ / "order.crz", Storage::Mode::ReadWrite);
  ASSERT_TRUE(storage.ok());
  Tables t = GetTables(*storage);
  ASSERT_TRUE(cruisedb::AddSetting(t.config, cruisedb::config::Processing, cruisedb::config::Reports, "DP1").ok());
  ASSERT_TRUE(StoreLegacySettings(t.config, {"CP1", " ", ""}, "k", "j", "r", "01").ok());
  EXPECT_EQ(t.config.Size(), 6u);
  std::ostringstream out;
  WriteReportCodes(t.config, t.config.Size(), out);
  EXPECT_EQ(out.str(), "DP1,CP1,\n");
}

}  // namespace
}  // namespace sw::legacy::keyfile
