// The real window program started as a process on the offscreen platform,
// message boxes answered automatically and echoed on stderr.
#include <gtest/gtest.h>

#include "program_runner.h"

namespace sw::testing {
namespace {

const char kEnv[] = "QT_QPA_PLATFORM=offscreen STUMPWRIGHT_AUTO_ANSWER=1";

TEST(WindowProgram, RefusesWithoutBaseDictionaryAndExits0) {
  ProgramCopy program("stumpwright", "bin");
  const RunResult r = program.Run(kEnv, "");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.err.find(kRefusal), std::string::npos) << r.err;
}

TEST(WindowProgram, StartsWithTheDictionaryInAFolderWithBlanks) {
  ProgramCopy program("stumpwright", "Program Files \"x\"");
  program.AddBaseDictionary();
  const RunResult r = program.Run(std::string(kEnv) + " STUMPWRIGHT_SCREENSHOT=shot.png", "");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err.find("CANNOT FIND"), std::string::npos);
  EXPECT_TRUE(fs::exists(program.dir() / "shot.png"));
}

}  // namespace
}  // namespace sw::testing
