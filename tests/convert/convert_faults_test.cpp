// A disk that fails or fills at every write in turn: the cycle and dump
// conversions report the failure, leave no cruise file and no temporary
// behind, and keep an existing cruise file byte for byte.
#include <gtest/gtest.h>

#include "convert/cycle_converter.h"
#include "convert/dump_converter.h"
#include "cyclefile/cycle_text.h"
#include "platform/scripted_platform.h"
#include "storage/test_util.h"
#include "support/temp_dir.h"

namespace sw::convert {
namespace {

namespace fs = std::filesystem;
using storage::testing::FaultFileSystem;

std::vector<std::string> FileNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ConvertFaultsTest, CycleConversionOnAFailingDisk) {
  test::TempDir dir;
  test::HeaderFields other;
  other.prefix = "STAND02";
  test::WriteFile(dir / "in.wpx", test::HeaderLine({}) + test::RecordLine({}) + test::HeaderLine(other) +
                                      test::RecordLine({}));
  fs::create_directories(dir / "out");
  test::WriteFile(dir / "out" / "STAND02_12005.crz", "old file");
  int failures = 0;
  for (long fail_at = 1;; ++fail_at) {
    FaultFileSystem faulty;
    faulty.fail_at = fail_at;
    faulty.kind = fail_at % 2 ? FaultFileSystem::Kind::Fail : FaultFileSystem::Kind::Short;
    platform::ScriptedPlatform platform;
    platform.SetAnswerer([](const platform::Message&) { return platform::Button::kYes; });
    const Outcome outcome = CycleFileImporter(platform, &faulty)
                                .Convert(dir / "in.wpx", test::BuiltBaseDictionary(), {{" 1", "2005"}}, dir / "out");
    if (outcome.ok()) {
      EXPECT_FALSE(faulty.failed) << fail_at;
      break;
    }
    ++failures;
    ASSERT_FALSE(outcome.messages.empty()) << fail_at;
    EXPECT_EQ(outcome.messages.back().caption, "ERROR") << fail_at;
    EXPECT_EQ(FileNames(dir / "out"), (std::vector<std::string>{"STAND02_12005.crz"})) << fail_at;
    EXPECT_EQ(test::ReadFile(dir / "out" / "STAND02_12005.crz"), "old file") << fail_at;
    ASSERT_LT(fail_at, 500);
  }
  EXPECT_GT(failures, 1);
  EXPECT_EQ(FileNames(dir / "out"), (std::vector<std::string>{"STAND01_12005.crz", "STAND02_12005.crz"}));
}

TEST(ConvertFaultsTest, DumpConversionOnAFailingDisk) {
  test::TempDir dir;
  std::string dump = "[T]\nT[A:S,N:I]\nA,N\n";
  for (int i = 0; i < 200; ++i) dump += "row" + std::to_string(i) + "," + std::to_string(i) + "\n";
  test::WriteFile(dir / "s.crz.dmp", dump);
  test::WriteFile(dir / "s.crz", "old file");
  int failures = 0;
  for (long fail_at = 1;; ++fail_at) {
    FaultFileSystem faulty;
    faulty.fail_at = fail_at;
    faulty.kind = fail_at % 2 ? FaultFileSystem::Kind::Fail : FaultFileSystem::Kind::Short;
    platform::ScriptedPlatform platform;
    platform.SetAnswerer([](const platform::Message&) { return platform::Button::kYes; });
    const Outcome outcome = DumpImporter(platform, &faulty).Convert(dir / "s.crz.dmp");
    if (outcome.ok()) break;
    ++failures;
    ASSERT_FALSE(outcome.messages.empty()) << fail_at;
    EXPECT_EQ(FileNames(dir.path()), (std::vector<std::string>{"s.crz", "s.crz.dmp"})) << fail_at;
    EXPECT_EQ(test::ReadFile(dir / "s.crz"), "old file") << fail_at;
    EXPECT_EQ(test::ReadFile(dir / "s.crz.dmp"), dump);
    ASSERT_LT(fail_at, 500);
  }
  EXPECT_GT(failures, 1);
  EXPECT_EQ(FileNames(dir.path()), (std::vector<std::string>{"s.crz", "s.crz.dmp"}));
}

}  // namespace
}  // namespace sw::convert
