// stumpwright-cli run as a program: refusal without the base dictionary,
// the Browse decision on its file argument, option checks, exit codes.
#include <gtest/gtest.h>

#include "program_runner.h"

namespace sw::testing {
namespace {

TEST(Cli, RefusesWithoutBaseDictionaryAndExits2) {
  ProgramCopy cli("stumpwright-cli", "bin");
  std::ofstream(cli.dir() / "a.key") << "x";
  const RunResult r = cli.Run("", "a.key");
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err, kRefusal);
  EXPECT_EQ(r.out, "");
}

TEST(Cli, FindsTheDictionaryInAFolderWithBlanksAndQuotes) {
  ProgramCopy cli("stumpwright-cli", "my \"cruise\" tools");
  cli.AddBaseDictionary();
  std::ofstream(cli.dir() / "a.key") << "x";
  const RunResult r = cli.Run("", "a.key");
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_NE(r.err.find("is not available yet"), std::string::npos) << r.err;
}

TEST(Cli, UnknownEndingIsRefusedWithTheWindowMessage) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  std::ofstream(cli.dir() / "notes.txt") << "x";
  const RunResult r = cli.Run("", "notes.txt");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "Stumpwright: Not a KEY filename    \nor a CRZ filename.\nTRY AGAIN!\n");
}

TEST(Cli, MissingFileFails) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  const RunResult r = cli.Run("", "absent.key");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("no such file: absent.key"), std::string::npos);
}

TEST(Cli, CruiseOptionsOnlyForCruiseFiles) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  std::ofstream(cli.dir() / "a.key") << "x";
  std::ofstream(cli.dir() / "b.crz") << "x";
  EXPECT_EQ(cli.Run("", "--gro a.key").exit_code, 1);
  const RunResult r = cli.Run("", "--gro --version7 --yes b.crz");
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_EQ(r.out, "");
}

TEST(Cli, YesAndNoExcludeEachOther) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  std::ofstream(cli.dir() / "a.key") << "x";
  const RunResult r = cli.Run("", "--yes --no a.key");
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE(r.exit_code, 3);
}

TEST(Cli, NoFileArgumentIsAUsageError) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  EXPECT_NE(cli.Run("", "").exit_code, 0);
}

}  // namespace
}  // namespace sw::testing
