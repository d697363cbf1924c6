// POSIX implementation of FileSystem: pread/pwrite/fsync with an flock
// exclusive lock for writers. flock locks belong to the open file
// description, so two writable opens of one file in the same process also
// exclude each other. A process-wide registry catches the case where the
// lock is held through a path that does not exist yet.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "storage/file_system.h"

namespace sw::storage {
namespace {

std::string ErrnoText(const std::string& what, const std::string& path) {
  return what + " \"" + path + "\": " + std::strerror(errno);
}

Status HeldStatus(const std::string& path) { return InUseStatus(path); }

// Paths locked by this process before their file exists.
std::mutex g_pending_mutex;
std::set<std::string> g_pending;

class PosixFile : public File {
 public:
  PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFile() override { ::close(fd_); }

  Result<std::uint64_t> Size() override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Status::Error(ErrnoText("cannot read the size of", path_));
    return static_cast<std::uint64_t>(st.st_size);
  }
  Status ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
      const ssize_t got = ::pread(fd_, p, n, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return Status::Error(ErrnoText("cannot read", path_));
      if (got == 0) return Status::Error("unexpected end of file in \"" + path_ + "\"");
      p += got;
      n -= static_cast<std::size_t>(got);
      offset += static_cast<std::uint64_t>(got);
    }
    return Status::Ok();
  }
  Status WriteAt(std::uint64_t offset, const void* data, std::size_t n) override {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
      const ssize_t put = ::pwrite(fd_, p, n, static_cast<off_t>(offset));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return Status::Error(ErrnoText("cannot write", path_));
      p += put;
      n -= static_cast<std::size_t>(put);
      offset += static_cast<std::uint64_t>(put);
    }
    return Status::Ok();
  }
  Status Sync() override {
    if (::fsync(fd_) != 0) return Status::Error(ErrnoText("cannot flush", path_));
    return Status::Ok();
  }

 private:
  int fd_;
  std::string path_;
};

class PosixFileSystem : public FileSystem {
 public:
  bool Exists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }

  Result<std::unique_ptr<File>> Open(const std::string& path, bool writable) override {
    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return Status::Error(ErrnoText(writable ? "cannot open for writing" : "cannot open", path));
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
      ::close(fd);
      return Status::Error("\"" + path + "\" is not a regular file");
    }
    if (writable && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return HeldStatus(path);
    }
    return std::unique_ptr<File>(new PosixFile(fd, path));
  }

  Result<std::unique_ptr<File>> Create(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return Status::Error(ErrnoText("cannot create", path));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return HeldStatus(path);
    }
    // Another process may have removed the name between the create and the
    // lock (it took the file for a leftover): the file is then not ours.
    struct stat mine {}, named {};
    if (::fstat(fd, &mine) != 0 || ::stat(path.c_str(), &named) != 0 || mine.st_ino != named.st_ino ||
        mine.st_dev != named.st_dev) {
      ::close(fd);
      return Status::Error("\"" + path + "\" was removed while it was created");
    }
    return std::unique_ptr<File>(new PosixFile(fd, path));
  }

  Result<std::shared_ptr<void>> LockFile(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Status::Error(ErrnoText("cannot open", path));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      return HeldStatus(path);
    }
    return std::shared_ptr<void>(new int(fd), [](void* p) {
      ::close(*static_cast<int*>(p));
      delete static_cast<int*>(p);
    });
  }

  Result<std::vector<std::string>> ListFolder(const std::string& folder) override {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return Status::Error(ErrnoText("cannot list", folder));
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
  }

  Status SyncFolder(const std::string& folder) override {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Status::Error(ErrnoText("cannot open the folder", folder));
    const int synced = ::fsync(fd);
    ::close(fd);
    if (synced != 0) return Status::Error(ErrnoText("cannot flush the folder", folder));
    return Status::Ok();
  }

  Result<std::shared_ptr<void>> LockPath(const std::string& path) override {
    std::lock_guard<std::mutex> guard(g_pending_mutex);
    if (!g_pending.insert(path).second) return HeldStatus(path);
    return std::shared_ptr<void>(new int(0), [path](void* p) {
      delete static_cast<int*>(p);
      std::lock_guard<std::mutex> g(g_pending_mutex);
      g_pending.erase(path);
    });
  }

  Status Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return Status::Error(ErrnoText("cannot remove", path));
    return Status::Ok();
  }

  Status Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return Status::Error(ErrnoText("cannot rename", from));
    return Status::Ok();
  }
};

}  // namespace

FileSystem* FileSystem::Default() {
  static PosixFileSystem fs;
  return &fs;
}

}  // namespace sw::storage
