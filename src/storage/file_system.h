// The one narrow interface through which the storage engine touches files,
// with the real POSIX implementation. Tests substitute their own to inject
// failed or short writes and full disks.
// Not for: parsing or layout; callers see only byte ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  // Creates a new file exclusively (it must not exist) and locks it; fails
  // when another process removed the name before the lock was taken.
  virtual Result<std::unique_ptr<File>> Create(const std::string& path) = 0;
  // Takes the exclusive lock on a path whose file does not exist yet, so that
  // a second writer is refused before the file is created. Released with the
  // returned handle.
  virtual Result<std::shared_ptr<void>> LockPath(const std::string& path) = 0;
  virtual Status Remove(const std::string& path) = 0;
  // Renames atomically, replacing `to`.
  virtual Status Rename(const std::string& from, const std::string& to) = 0;

  // Takes the writers' exclusive lock on an existing file without needing
  // write access; fails at once (IsInUse) when another handle holds it.
  virtual Result<std::shared_ptr<void>> LockFile(const std::string& path) = 0;
  // The names (not paths) of the entries of a folder.
  virtual Result<std::vector<std::string>> ListFolder(const std::string& folder) = 0;
  // Forces the folder's entries (renames, removals) to the disk.
  virtual Status SyncFolder(const std::string& folder) = 0;

  // The process-wide POSIX file system.
  static FileSystem* Default();
};

// True when `status` says that another writer holds the file's lock.
bool IsInUse(const Status& status);
// The status of a file held by another writer.
Status InUseStatus(const std::string& path);

// Forwards every operation to another file system; tests derive from it and
// override the operations they fault.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem* base = nullptr) : base_(base ? base : Default()) {}
  bool Exists(const std::string& path) override { return base_->Exists(path); }
  Result<std::unique_ptr<File>> Open(const std::string& path, bool writable) override {
    return base_->Open(path, writable);
  }
  Result<std::unique_ptr<File>> Create(const std::string& path) override { return base_->Create(path); }
  Result<std::shared_ptr<void>> LockPath(const std::string& path) override { return base_->LockPath(path); }
  Status Remove(const std::string& path) override { return base_->Remove(path); }
  Status Rename(const std::string& from, const std::string& to) override { return base_->Rename(from, to); }
  Result<std::shared_ptr<void>> LockFile(const std::string& path) override { return base_->LockFile(path); }
  Result<std::vector<std::string>> ListFolder(const std::string& folder) override {
    return base_->ListFolder(folder);
  }
  Status SyncFolder(const std::string& folder) override { return base_->SyncFolder(folder); }

 protected:
  FileSystem* base() const { return base_; }

 private:
  FileSystem* base_;
};

}  // namespace sw::storage
