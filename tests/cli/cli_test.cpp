// stumpwright-cli run as a program: refusal without the base dictionary,
// the Browse decision on its file argument, option checks, exit codes.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "legacy/import/import_files.h"
#include "program_runner.h"
#include "storage/storage.h"

namespace sw::testing {
namespace {

namespace storage = sw::storage;

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
  EXPECT_EQ(r.exit_code, 4);  // found the dictionary, then the key file names no job file
  EXPECT_NE(r.err.find("NOT FOUND.  EXIT NOW!"), std::string::npos) << r.err;
}

TEST(Cli, UnknownEndingIsRefusedWithTheWindowMessage) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  std::ofstream(cli.dir() / "notes.txt") << "x";
  const RunResult r = cli.Run("", "notes.txt");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_EQ(r.err, "Stumpwright: Not a KEY filename    \nor a CRZ filename.\nTRY AGAIN!\n");
}

TEST(Cli, MissingFileFails) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  const RunResult r = cli.Run("", "absent.key");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_NE(r.err.find("no such file: absent.key"), std::string::npos);
}

TEST(Cli, CruiseOptionsOnlyForCruiseFiles) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  std::ofstream(cli.dir() / "a.key") << "x";
  std::ofstream(cli.dir() / "b.crz") << "x";
  EXPECT_EQ(cli.Run("", "--gro a.key").exit_code, 4);
  const RunResult r = cli.Run("", "--gro --version7 --yes b.crz");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_EQ(r.err, "Stumpwright: NOT A VALID DATA FILE!    \n      TRY AGAIN!\n");
  EXPECT_EQ(r.out, "");
}

// Every kind of command-line mistake gives the one documented usage code.
TEST(Cli, UsageErrorsGiveCode11) {
  ProgramCopy cli("stumpwright-cli", "bin");
  cli.AddBaseDictionary();
  std::ofstream(cli.dir() / "a.key") << "x";
  for (const char* args : {"--yes --no a.key", "", "--frobnicate a.key", "a.key b.key"}) {
    const RunResult r = cli.Run("", args);
    EXPECT_EQ(r.exit_code, 11) << args << ": " << r.err;
    EXPECT_FALSE(r.err.empty()) << args;
  }
}

// A real conversion needs the real base dictionary beside the program.
class CliConversion : public ::testing::Test {
 protected:
  CliConversion() {
    fs::copy_file(fs::path(SW_BIN_DIR) / "CruiseDefault.stp", cli_.dir() / "CruiseDefault.stp");
    std::ofstream(cli_.dir() / "sale.key") << sw::test::KeyFileText("06V", "sale.job");
    std::ofstream(cli_.dir() / "sale.job") << sw::test::JoinLines(sw::test::Version7JobLines(6, 1, true));
  }
  ProgramCopy cli_{"stumpwright-cli", "bin"};
};

TEST_F(CliConversion, KeyFileBecomesACruiseFile) {
  const RunResult r = cli_.Run("", "sale.key");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("MESSAGE: Still processing...\nClick OK to finish\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Stumpwright: Cruise File Created \n" + (cli_.dir() / "sale.crz").string()), std::string::npos)
      << r.err;
  auto file = storage::Storage::Open(cli_.dir() / "sale.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->GetView("TreeTable").Size(), 6u);
}

TEST_F(CliConversion, QuestionWithoutYesOrNoOffATerminalStopsAndChangesNothing) {
  std::ofstream(cli_.dir() / "sale.crz") << "old";
  const RunResult r = cli_.Run("", "sale.key");
  EXPECT_EQ(r.exit_code, 6);
  EXPECT_NE(r.err.find("cannot answer the question \"Cruise File exists \nDO YOU WANT TO DELETE IT?\""),
            std::string::npos)
      << r.err;
  std::ifstream in(cli_.dir() / "sale.crz");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "old");
  EXPECT_EQ(cli_.Run("", "--no sale.key").exit_code, 5);
  EXPECT_EQ(cli_.Run("", "--yes sale.key").exit_code, 0);
}

TEST_F(CliConversion, OverLongJobLineExitsWith1) {
  std::ofstream(cli_.dir() / "sale.job", std::ios::app) << "5A" << std::string(104, 'x') << "\n";
  const RunResult r = cli_.Run("", "sale.key");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "Stumpwright: JOB FILE IS CORRUPT!\nCANNOT CONTINUE!\n");
  EXPECT_FALSE(fs::exists(cli_.dir() / "sale.crz"));
}

TEST_F(CliConversion, MissingCruiseFileIsNotCreated) {
  std::ofstream(cli_.dir() / "x.crz") << "";
  fs::remove(cli_.dir() / "x.crz");
  const RunResult r = cli_.Run("", "x.crz");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_FALSE(fs::exists(cli_.dir() / "x.crz"));
}

// Another program holds the cruise file open for writing: exit 10 with a
// message that says so, and the file is as it was.
TEST_F(CliConversion, ACruiseFileInUseExits10AndIsKept) {
  ASSERT_EQ(cli_.Run("", "sale.key").exit_code, 0);
  std::ifstream in(cli_.dir() / "sale.crz", std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto holder = storage::Storage::Open(cli_.dir() / "sale.crz", storage::Storage::Mode::ReadWrite);
  ASSERT_TRUE(holder.ok());
  for (const char* args : {"--yes sale.key", "--yes sale.crz"}) {
    const RunResult r = cli_.Run("", args);
    EXPECT_EQ(r.exit_code, 10) << args << ": " << r.err;
    EXPECT_NE(r.err.find("in use by another program"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("NOT A VALID DATA FILE"), std::string::npos) << r.err;
  }
  std::ifstream again(cli_.dir() / "sale.crz", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), before);
}

// Ctrl-C typed at a question on a terminal is a cancel (7), not a No (5),
// and changes nothing.
TEST_F(CliConversion, CtrlCAtAQuestionExitsAsCancelled) {
  std::ofstream(cli_.dir() / "sale.crz") << "old";
  const fs::path program = cli_.dir() / "stumpwright-cli";
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(cli_.dir().c_str()) != 0) _exit(99);
    execl(program.c_str(), program.c_str(), "sale.key", static_cast<char*>(nullptr));
    _exit(98);
  }
  std::string seen;
  char buffer[256];
  for (int waited = 0; seen.find("Answer [y/n]:") == std::string::npos && waited < 200; ++waited) {
    pollfd p{terminal, POLLIN, 0};
    if (poll(&p, 1, 50) > 0) {
      const ssize_t n = read(terminal, buffer, sizeof buffer);
      if (n <= 0) break;
      seen.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ASSERT_NE(seen.find("Answer [y/n]:"), std::string::npos) << seen;
  ASSERT_EQ(write(terminal, "\x03", 1), 1);  // the terminal's interrupt character
  for (;;) {  // drain until the program has ended
    pollfd p{terminal, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) break;
    if (read(terminal, buffer, sizeof buffer) <= 0) break;
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  std::ifstream in(cli_.dir() / "sale.crz");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "old");
}

TEST_F(CliConversion, HelpListsTheExitCodes) {
  const RunResult r = cli_.Run("", "--help");
  EXPECT_EQ(r.exit_code, 0);
  for (const char* code : {"  1  a key or job file", "  6  a question needed an answer", "  9  CruiseDefault.stp",
                           " 10  a file is in use", " 11  usage error"}) {
    EXPECT_NE(r.out.find(code), std::string::npos) << code;
  }
  EXPECT_EQ(cli_.Run("", "--version").out, "Stumpwright Version 03.18.2010\n");
}

}  // namespace
}  // namespace sw::testing
