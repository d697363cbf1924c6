// A file system that fails one chosen step of an output set: the write,
// flush, folder flush, create or rename numbered `fail_at` (from 1). Run once
// without a fault to count the steps, then once per step.
#pragma once

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "storage/file_system.h"

namespace sw::test {

using storage::File;
using storage::ForwardingFileSystem;
using storage::Result;
using storage::Status;

// Fails the one write, flush or rename numbered `fail_at` (from 1).
class StepFaultFileSystem : public ForwardingFileSystem {
 public:
  long fail_at = -1;
  long steps = 0;
  std::vector<std::string> log;

  Result<std::unique_ptr<File>> Open(const std::string& path, bool writable) override {
    auto f = ForwardingFileSystem::Open(path, writable);
    if (!f.ok()) return f.status();
    return std::unique_ptr<File>(new Faulty(this, std::move(f.value())));
  }
  Result<std::unique_ptr<File>> Create(const std::string& path) override {
    if (Step("create " + path)) return Status::Error("injected create failure");
    auto f = ForwardingFileSystem::Create(path);
    if (!f.ok()) return f.status();
    return std::unique_ptr<File>(new Faulty(this, std::move(f.value())));
  }
  Status Rename(const std::string& from, const std::string& to) override {
    if (Step("rename " + to)) return Status::Error("injected rename failure");
    return ForwardingFileSystem::Rename(from, to);
  }
  Status SyncFolder(const std::string& folder) override {
    if (Step("sync folder")) return Status::Error("injected folder flush failure");
    return ForwardingFileSystem::SyncFolder(folder);
  }

  bool Step(const std::string& what) {
    log.push_back(what);
    return ++steps == fail_at;
  }

 private:
  class Faulty : public File {
   public:
    Faulty(StepFaultFileSystem* fs, std::unique_ptr<File> f) : fs_(fs), f_(std::move(f)) {}
    Result<std::uint64_t> Size() override { return f_->Size(); }
    Status ReadAt(std::uint64_t o, void* b, std::size_t n) override { return f_->ReadAt(o, b, n); }
    Status WriteAt(std::uint64_t o, const void* d, std::size_t n) override {
      if (fs_->Step("write")) {
        if (n > 1) (void)f_->WriteAt(o, d, n / 2);  // a short write
        return Status::Error("injected write failure");
      }
      return f_->WriteAt(o, d, n);
    }
    Status Sync() override {
      if (fs_->Step("flush")) return Status::Error("injected flush failure");
      return f_->Sync();
    }

   private:
    StepFaultFileSystem* fs_;
    std::unique_ptr<File> f_;
  };
};

// Kills the process at the step numbered `kill_at` instead of failing it.
class KillingFileSystem : public StepFaultFileSystem {
 public:
  long kill_at = -1;
  Status Rename(const std::string& from, const std::string& to) override {
    Die();
    return StepFaultFileSystem::Rename(from, to);
  }
  Status SyncFolder(const std::string& folder) override {
    Die();
    return StepFaultFileSystem::SyncFolder(folder);
  }
  Result<std::unique_ptr<File>> Create(const std::string& path) override {
    Die();
    return StepFaultFileSystem::Create(path);
  }

 private:
  void Die() {
    if (++count_ == kill_at) ::_exit(9);
  }
  long count_ = 0;
};

}  // namespace sw::test
