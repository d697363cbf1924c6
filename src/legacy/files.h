// File helpers shared by every writer of legacy and cruise files: making a
// read-only file writable, and replacing a file so that a failed write never
// leaves a half-written file under the real name.
//
// Not for: reading records (line.h) or storage files (storage/).
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace sw::legacy {

// When the file's status can be read and it is read-only, makes it writable
// for its owner (its times are kept). False only when changing the
// permissions fails; a missing file is not an error.
bool MakeWritable(const std::filesystem::path& path);

// Writes a file through `write` into a temporary file beside `target` and
// renames it into place when `write` returned true and every byte reached
// the disk. On any failure the temporary file is removed, `target` is left
// as it was, and `error` says why.
bool WriteFileReplacing(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& write,
                        std::string& error);

}  // namespace sw::legacy
