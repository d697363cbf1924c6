// The one narrow interface through which the storage engine touches files,
// with the real POSIX implementation. Tests substitute their own to inject
// failed or short writes and full disks.
// Not for: parsing or layout; callers see only byte ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "storage/storage.h"

namespace sw::storage {

// An open file. Offsets are absolute byte positions.
class File {
 public:
  virtual ~File() = default;
  virtual Result<std::uint64_t> Size() = 0;
  // Reads exactly n bytes at offset; a short read is an error.
  virtual Status ReadAt(std::uint64_t offset, void* buffer, std::size_t n) = 0;
  // Writes exactly n bytes at offset (the file grows as needed).
  virtual Status WriteAt(std::uint64_t offset, const void* data, std::size_t n) = 0;
  // Forces written data to the disk.
  virtual Status Sync() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool Exists(const std::string& path) = 0;
  // Opens an existing file. A writable open also takes an exclusive lock that
  // fails at once when another holder has it.
  virtual Result<std::unique_ptr<File>> Open(const std::string& path, bool writable) = 0;
  // Creates a new file (it must not exist) and locks it.
  virtual Result<std::unique_ptr<File>> Create(const std::string& path) = 0;
  // Takes the exclusive lock on a path whose file does not exist yet, so that
  // a second writer is refused before the file is created. Released with the
  // returned handle.
  virtual Result<std::shared_ptr<void>> LockPath(const std::string& path) = 0;
  virtual Status Remove(const std::string& path) = 0;
  // Renames atomically, replacing `to`.
  virtual Status Rename(const std::string& from, const std::string& to) = 0;

  // The process-wide POSIX file system.
  static FileSystem* Default();
};

}  // namespace sw::storage
