// File helpers shared by the conversions: making a read-only file writable.
//
// Not for: reading records (line.h), storage files (storage/), or writing
// outputs (storage::OutputSet does that for every conversion).
#pragma once

#include <filesystem>

namespace sw::legacy {

// When the file's status can be read and it is read-only, makes it writable
// for its owner (its times are kept). False only when changing the
// permissions fails; a missing file is not an error.
bool MakeWritable(const std::filesystem::path& path);

}  // namespace sw::legacy
