// Helpers shared by the storage tests: fixture paths, scratch files, and a
// file system that fails writes on demand.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "storage/dump_text.h"
#include "storage/file_system.h"
#include "storage/storage.h"

namespace sw::storage::testing {

inline std::filesystem::path FixtureDir() { return std::filesystem::path(SW_TEST_DATA_DIR) / "fixtures"; }

inline std::vector<std::string> FixtureNames() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(FixtureDir())) {
    if (e.path().extension() == ".mk4") names.push_back(e.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteAll(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A fresh scratch directory per test.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("sw_storage_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // A writable copy of a fixture.
  std::filesystem::path Copy(const std::string& fixture) const {
    const auto to = path_ / (fixture + ".mk4");
    std::filesystem::copy_file(FixtureDir() / (fixture + ".mk4"), to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(to, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    return to;
  }

 private:
  std::filesystem::path path_;
};

inline std::string Dump(const std::filesystem::path& p) {
  auto text = DumpFile(p);
  if (!text.ok()) return "ERROR: " + text.status().message();
  return text.value();
}

// Forwards to the real file system; the write numbered `fail_at` (counting
// from 1) fails, short or whole, and so does every write after it, as if the
// process had died there. A disk limit fails writes past a file size.
// Writes of at most 16 bytes (the end marks) are taken to be atomic, as a
// disk sector write is; longer writes can be cut short.
class FaultFileSystem : public ForwardingFileSystem {
 public:
  enum class Kind { Fail, Short };
  long fail_at = -1;
  Kind kind = Kind::Fail;
  std::uint64_t disk_limit = UINT64_MAX;
  long writes = 0;
  bool failed = false;

  Result<std::unique_ptr<File>> Open(const std::string& path, bool writable) override {
    auto f = real()->Open(path, writable);
    if (!f.ok()) return f.status();
    return std::unique_ptr<File>(new Faulty(this, std::move(f.value())));
  }
  Result<std::unique_ptr<File>> Create(const std::string& path) override {
    auto f = real()->Create(path);
    if (!f.ok()) return f.status();
    return std::unique_ptr<File>(new Faulty(this, std::move(f.value())));
  }
  Status Rename(const std::string& from, const std::string& to) override {
    if (Step()) return Status::Error("injected rename failure");
    return real()->Rename(from, to);
  }

 private:
  static FileSystem* real() { return FileSystem::Default(); }
  bool Step() {
    ++writes;
    if (failed || (fail_at > 0 && writes >= fail_at)) failed = true;
    return failed;
  }
  class Faulty : public File {
   public:
    Faulty(FaultFileSystem* fs, std::unique_ptr<File> f) : fs_(fs), f_(std::move(f)) {}
    Result<std::uint64_t> Size() override { return f_->Size(); }
    Status ReadAt(std::uint64_t o, void* b, std::size_t n) override { return f_->ReadAt(o, b, n); }
    Status WriteAt(std::uint64_t o, const void* d, std::size_t n) override {
      if (o + n > fs_->disk_limit) {
        if (o < fs_->disk_limit) (void)f_->WriteAt(o, d, static_cast<std::size_t>(fs_->disk_limit - o));
        return Status::Error("no space left on device");
      }
      const bool first_failure = !fs_->failed;
      if (fs_->Step()) {
        if (first_failure && fs_->kind == Kind::Short && n > 16) (void)f_->WriteAt(o, d, n / 2);
        return Status::Error("injected write failure");
      }
      return f_->WriteAt(o, d, n);
    }
    Status Sync() override {
      if (fs_->failed) return Status::Error("injected flush failure");
      return f_->Sync();
    }

   private:
    FaultFileSystem* fs_;
    std::unique_ptr<File> f_;
  };
};

}  // namespace sw::storage::testing
