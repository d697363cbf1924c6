// Where the running program's file lives, so that files shipped beside it
// (the base dictionary) are found wherever it is started from.
//
// Not for: the current directory, which is where output files go.
#pragma once

#include <filesystem>

namespace sw::app {

// The folder of the running executable, taken from the operating system;
// falls back to `argv0` resolved against the current directory.
std::filesystem::path ProgramDirectory(const char* argv0);

}  // namespace sw::app
