// stumpwright-cli run as a program: refusal without the base dictionary,
// the Browse decision on its file argument, option checks, exit codes.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>

#include "cruisedb/columns.h"
#include "legacy/import/import_files.h"
#include "support/temp_dir.h"
#include "program_runner.h"
#include "storage/storage.h"
#include "support/decimal_comma_locale.h"

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
#if defined(_WIN32)
  ProgramCopy cli("stumpwright-cli", "my cruise tools");  // Windows names cannot hold quotes
#else
  ProgramCopy cli("stumpwright-cli", "my \"cruise\" tools");
#endif
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
  {
    // Closed again before the next runs: on Windows an open file cannot be
    // replaced, and the program would rightly report it as held.
    std::ifstream in(cli_.dir() / "sale.crz");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "old");
  }
  EXPECT_EQ(cli_.Run("", "--no sale.key").exit_code, 5);
  const RunResult yes = cli_.Run("", "--yes sale.key");
  EXPECT_EQ(yes.exit_code, 0) << yes.err;
}

// The window's message stays; the command line adds the file, the line (as
// an editor counts it, blank lines included) and its length.
TEST_F(CliConversion, OverLongJobLineExitsWith1AndNamesTheLine) {
  std::ofstream(cli_.dir() / "sale.job", std::ios::app) << "\n5A" << std::string(104, 'x') << "\n";
  const std::size_t lines = sw::test::Version7JobLines(6, 1, true).size();
  const RunResult r = cli_.Run("", "sale.key");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "Stumpwright: JOB FILE IS CORRUPT!\nCANNOT CONTINUE!\nstumpwright-cli: " +
                       (cli_.dir() / "sale.job").string() + ": line " + std::to_string(lines + 2) +
                       " has 106 characters; at most 105 are allowed\n");
  EXPECT_FALSE(fs::exists(cli_.dir() / "sale.crz"));

  std::ofstream(cli_.dir() / "sale.key", std::ios::app) << std::string(120, 'k') << "\n";
  const RunResult key = cli_.Run("", "sale.key");
  EXPECT_EQ(key.exit_code, 1);
  EXPECT_NE(key.err.find("Stumpwright: KEY FILE IS CORRUPT!\nCANNOT CONTINUE!\nstumpwright-cli: " +
                         (cli_.dir() / "sale.key").string() + ": line 13 has 120 characters"),
            std::string::npos)
      << key.err;
}

// The command line under LC_ALL=de_DE.UTF-8: numbers keep their decimal
// point both ways.
TEST_F(CliConversion, NumbersKeepTheirDecimalsUnderADecimalCommaLocale) {
  ASSERT_TRUE(sw::test::PrepareDecimalCommaLocale());  // LOCPATH for the child when compiled here
  const std::vector<std::string> job = sw::test::Version7JobLines(6, 1, false, 42.5);
  std::ofstream(cli_.dir() / "sale.job", std::ios::trunc) << sw::test::JoinLines(job);
  const std::string env = std::string("LC_ALL=") + sw::test::kDecimalCommaLocale;
  RunResult r = cli_.Run(env, "sale.key");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  {
    auto file = storage::Storage::Open(cli_.dir() / "sale.crz", storage::Storage::Mode::ReadOnly);
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(file->GetView("CuttingUnitTable").Bind(cruisedb::col::Area).Get(0), 42.5);
  }
  r = cli_.Run(env, "--version7 --yes sale.crz");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::ifstream in(cli_.dir() / "sale.job");
  std::string first, unit;
  std::getline(in, first);
  std::getline(in, unit);
  EXPECT_EQ(unit, job[1]);
}

// A folder is not "no such file".
TEST_F(CliConversion, AFolderIsNamedAsAFolder) {
  fs::create_directory(cli_.dir() / "cruises.key");
  RunResult r = cli_.Run("", "cruises.key");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_EQ(r.err, "stumpwright-cli: cruises.key is a folder; give a file in it\n");
  r = cli_.Run("", "absent.key");
  EXPECT_EQ(r.err, "stumpwright-cli: no such file: absent.key\n");
}

// A base dictionary that is there but cannot be read is not "not found".
TEST_F(CliConversion, UnreadableBaseDictionaryIsNotCalledMissing) {
  std::ofstream(cli_.dir() / "CruiseDefault.stp", std::ios::trunc) << "not a storage file";
  const RunResult r = cli_.Run("", "sale.key");
  EXPECT_EQ(r.exit_code, 9);
  EXPECT_NE(r.err.find("Basic Data Dictionary file\n(CruiseDefault.stp) could not be read:\n" +
                       (cli_.dir() / "CruiseDefault.stp").string() + "\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("could not be found"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(cli_.dir() / "sale.crz"));
}

// Damaged input: a flipped byte, a NUL byte, "nan" and a control character in
// numeric fields, and a duplicated record. Converted with exit 0 and a
// warning that counts and lists them, also kept in the file's MessageLog;
// --strict refuses the file with exit 13 and changes nothing.
TEST_F(CliConversion, DamagedJobFileIsConvertedWithAWarningOrRefusedWhenStrict) {
  std::vector<std::string> lines = sw::test::Version7JobLines(6, 1, false);
  std::vector<std::size_t> b_lines;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].starts_with("7B")) b_lines.push_back(i);
  ASSERT_GE(b_lines.size(), 3u);
  lines[b_lines[0]][21] = static_cast<char>(lines[b_lines[0]][21] ^ 0x40);  // a flipped bit in DBH
  lines[b_lines[1]][21] = '\0';                                              // a NUL byte in DBH
  lines[b_lines[2]].replace(29, 3, "\x07 1");                                // a bell in TotHt
  for (std::size_t i = b_lines[0] + 1; i < lines.size(); ++i)
    if (lines[i].starts_with("7A")) {
      lines[i].replace(40, 5, "  nan");  // KPI
      break;
    }
  lines.push_back(lines[2]);  // the first stratum record again
  const std::string job = sw::test::JoinLines(lines);
  std::ofstream(cli_.dir() / "sale.job", std::ios::binary | std::ios::trunc) << job;

  RunResult r = cli_.Run("", "--strict sale.key");
  EXPECT_EQ(r.exit_code, 13) << r.err;
  EXPECT_NE(r.err.find("ERROR: " + (cli_.dir() / "sale.job").string()), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("No cruise file was created; existing files are unchanged."), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(cli_.dir() / "sale.crz"));
  std::ifstream in(cli_.dir() / "sale.job", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), job);

  r = cli_.Run("", "sale.key");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  const std::size_t warning = r.err.find("WARNING: " + (cli_.dir() / "sale.job").string() + "\n");
  ASSERT_NE(warning, std::string::npos) << r.err;
  const std::string text = r.err.substr(warning);
  EXPECT_NE(text.find("4 fields are damaged"), std::string::npos) << text;
  EXPECT_NE(text.find(", 7B, DBH \""), std::string::npos) << text;
  EXPECT_NE(text.find(", 7B, NUL byte in column 21 \"\\x00.0  0.0 8\""), std::string::npos) << text;
  EXPECT_NE(text.find("\\x07"), std::string::npos) << text;
  EXPECT_NE(text.find(", 7A, KPI \"  nan\""), std::string::npos) << text;
  EXPECT_NE(text.find("1 record repeats the key of an earlier record:\nline " + std::to_string(lines.size()) +
                      ", 3A, Stratum \"1\""),
            std::string::npos)
      << text;
  EXPECT_NE(r.err.find("Cruise File Created"), std::string::npos);
  auto file = storage::Storage::Open(cli_.dir() / "sale.crz", storage::Storage::Mode::ReadOnly);
  ASSERT_TRUE(file.ok());
  storage::View log = file->GetView("MessageLog");
  ASSERT_EQ(log.Size(), 2u);
  EXPECT_EQ(log.Bind(cruisedb::col::MsgNum).Get(1), "27");
  EXPECT_EQ(log.Bind(cruisedb::col::Level).Get(1), "W");
  EXPECT_NE(log.Bind(cruisedb::col::Note).Get(1).find(", 7A, KPI \"  nan\""), std::string::npos);
}

TEST_F(CliConversion, MissingCruiseFileIsNotCreated) {
  std::ofstream(cli_.dir() / "x.crz") << "";
  fs::remove(cli_.dir() / "x.crz");
  const RunResult r = cli_.Run("", "x.crz");
  EXPECT_EQ(r.exit_code, 4);
  EXPECT_FALSE(fs::exists(cli_.dir() / "x.crz"));
}

// A key file in a folder whose name is not ASCII, named on the command line
// by its full path, with CR LF line ends (as written on Windows): converted,
// exported back, and the Version 7 job file comes back record for record.
TEST(CliRoundTrip, NonAsciiFolderAndCrLfInput) {
  const std::string folder = "Gr\xC3\xBCnwald Los \xC3\x98";
  ProgramCopy cli("stumpwright-cli", folder);
  fs::copy_file(fs::path(SW_BIN_DIR) / "CruiseDefault.stp", cli.dir() / "CruiseDefault.stp");
  const fs::path data = fs::path(SW_TEST_DATA_DIR) / "data";
  fs::copy_file(data / "sample7.key", cli.dir() / "sample7.key");
  fs::copy_file(data / "sample7.job", cli.dir() / "sample7.job");
  const std::string original_job = sw::test::ReadFile(data / "sample7.job");
  ASSERT_NE(original_job.find("\r\n"), std::string::npos);  // the input really has CR LF

  const std::string key = (cli.dir() / "sample7.key").string();
  EXPECT_EQ(key.find(folder) == std::string::npos, false) << key;
  const RunResult imported = cli.Run("", "--yes '" + key + "'");
  ASSERT_EQ(imported.exit_code, 0) << imported.err;
  {
    auto file = storage::Storage::Open(cli.dir() / "sample7.crz", storage::Storage::Mode::ReadOnly);
    ASSERT_TRUE(file.ok()) << file.status().message();
    EXPECT_EQ(file->GetView("TreeTable").Size(), 30u);
    EXPECT_EQ(file->GetView("LogTable").Size(), 60u);
  }
  const RunResult exported = cli.Run("", "--yes --version7 sample7.crz");
  ASSERT_EQ(exported.exit_code, 0) << exported.err;
  // Written with LF line ends on every system, one record per input record
  // (sorted and upper-cased on the way).
  const std::string job_back = sw::test::ReadFile(cli.dir() / "sample7.job");
  const std::string key_back = sw::test::ReadFile(cli.dir() / "sample7.key");
  EXPECT_EQ(job_back.find('\r'), std::string::npos);
  EXPECT_EQ(key_back.find('\r'), std::string::npos);
  EXPECT_EQ(std::count(job_back.begin(), job_back.end(), '\n'),
            std::count(original_job.begin(), original_job.end(), '\n'));
  EXPECT_EQ(key_back.substr(0, 16), "06V\nsample7.job\n");
  // The exported pair is a fixed point: converted and exported again, it
  // comes back byte for byte.
  ASSERT_EQ(cli.Run("", "--yes sample7.key").exit_code, 0);
  ASSERT_EQ(cli.Run("", "--yes --version7 sample7.crz").exit_code, 0);
  EXPECT_EQ(sw::test::ReadFile(cli.dir() / "sample7.job"), job_back);
  EXPECT_EQ(sw::test::ReadFile(cli.dir() / "sample7.key"), key_back);
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

#if !defined(_WIN32)
// Ctrl-C typed at a question on a terminal is a cancel (7), not a No (5),
// and changes nothing. (A pseudo-terminal is a POSIX thing; wine runs
// without a console.)
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
#endif

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
