// Dump file to cruise file: the tables a ".crz.dmp" text image describes
// are created with exactly its descriptions and filled with its rows, in a
// cruise file beside the dump named without the final ".dmp". The base
// dictionary is not used. The file is built complete under a temporary name
// and moved into place; a failure leaves no partial file and an existing
// cruise file as it was.
#pragma once

#include <filesystem>

#include "convert/outcome.h"
#include "platform/platform.h"

namespace sw::storage {
class FileSystem;
}

namespace sw::convert {

class DumpImporter {
 public:
  // `fs` is for tests that inject file failures; null means the real one.
  explicit DumpImporter(platform::Platform& platform, storage::FileSystem* fs = nullptr)
      : platform_(platform), fs_(fs) {}

  // kDone with the cruise file in `written`; kDeclined when the user would
  // not replace an existing cruise file; otherwise a failure with its
  // message.
  Outcome Convert(const std::filesystem::path& dump_file);

  // The dump's path with the final ".dmp" of its file name removed (any
  // letter case); empty when the name does not end in ".dmp".
  static std::filesystem::path TargetOf(const std::filesystem::path& dump_file);

 private:
  platform::Platform& platform_;
  storage::FileSystem* fs_;
};

}  // namespace sw::convert
