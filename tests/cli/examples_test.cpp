// The sample cruises in examples/ and the README's commands that use them:
// the files are what the test generators write, and the commands, run as the
// README gives them (from the top of the repository, with a fresh home
// folder), print what the README shows and leave the files it describes.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "legacy/import/example_files.h"
#include "storage/storage.h"
#include "support/temp_dir.h"

namespace sw {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = SW_SOURCE_DIR;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Lines without their trailing blanks (the README cannot keep them).
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    line.erase(line.find_last_not_of(' ') + 1);
    lines.push_back(line);
  }
  return lines;
}

struct Step {
  std::string command;
  std::vector<std::string> prints;
};

// The "$ command" lines of the README's example block and the lines each prints.
std::vector<Step> ReadmeSteps() {
  const std::string readme = Slurp(kSource / "README.md");
  const std::size_t section = readme.find("## Trying the examples");
  const std::size_t begin = readme.find("```text\n", section);
  const std::size_t end = readme.find("```\n", begin + 8);
  std::vector<Step> steps;
  if (section == std::string::npos || begin == std::string::npos || end == std::string::npos) return steps;
  for (const std::string& line : Lines(readme.substr(begin + 8, end - begin - 8))) {
    if (line.starts_with("$ "))
      steps.push_back({line.substr(2), {}});
    else if (!steps.empty())
      steps.back().prints.push_back(line);
  }
  return steps;
}

TEST(Examples, AreWhatTheTestGeneratorsWrite) {
  for (const test::ExampleFile& file : test::ExampleFiles()) {
    SCOPED_TRACE(file.name);
    EXPECT_EQ(Slurp(kSource / "examples" / file.name), file.text)
        << "run build/dev/bin/make_examples examples after changing example_files.h";
  }
}

TEST(Examples, ReadmeCommandsRunAsWritten) {
  const std::vector<Step> steps = ReadmeSteps();
  ASSERT_EQ(steps.size(), 5u);
  test::TempDir home;
  const std::string bin = std::string(SW_BIN_DIR) + "/";
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command);
    const fs::path output = home / "output.txt";
    const std::string command = "cd '" + kSource.string() + "' && HOME='" + home.path().string() + "' sh -c '" +
                                Replaced(step.command, "build/bin/", bin) + "' </dev/null >'" +
                                output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Slurp(output);
    std::vector<std::string> expected;
    for (const std::string& line : step.prints) expected.push_back(Replaced(line, "/home/you", home.path().string()));
    EXPECT_EQ(Lines(Slurp(output)), expected);
  }

  // What the README says the commands leave behind.
  const fs::path dir = home / "stumpwright-examples";
  EXPECT_EQ(Slurp(dir / "sale7.key"), Slurp(kSource / "examples/sale7.key"));
  EXPECT_EQ(Slurp(dir / "sale7.job"), Slurp(kSource / "examples/sale7.job"));
  EXPECT_EQ(Slurp(dir / "sale6.V6.key"), Slurp(kSource / "examples/sale6.key"));
  EXPECT_EQ(Slurp(dir / "sale6.V6.job"), Slurp(kSource / "examples/sale6.job"));
  EXPECT_EQ(Slurp(dir / "sale6.key").substr(0, 3), "06\n");
  EXPECT_NE(Slurp(dir / "sale6.job").find("\n7A"), std::string::npos);
  for (const char* name : {"sale7.crz", "sale6.crz"}) {
    auto crz = storage::Storage::Open(dir / name, storage::Storage::Mode::ReadOnly);
    ASSERT_TRUE(crz) << crz.status().message();
    EXPECT_EQ(crz->GetView("TreeTable").Size(), std::string(name) == "sale7.crz" ? 8u : 5u) << name;
  }
  const std::string dump = Slurp(dir / "sale7.txt");
  EXPECT_NE(dump.find("VIEW TreeTable"), std::string::npos);
  EXPECT_NE(dump.find("CEDAR CREEK THINNING"), std::string::npos);
}

}  // namespace
}  // namespace sw
