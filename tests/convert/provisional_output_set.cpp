// A plain OutputSet for the driver tests until the shared one is built:
// temporaries beside the targets, renamed into place at Commit, removed
// otherwise. It ignores the injected file system.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "storage/output_set.h"

namespace sw::storage {

struct OutputSet::Impl {
  std::vector<std::pair<std::string, std::string>> files;  // temporary, target
  bool committed = false;
};

OutputSet::OutputSet(FileSystem*) : impl_(std::make_unique<Impl>()) {}

OutputSet::~OutputSet() {
  if (impl_->committed) return;
  std::error_code ec;
  for (const auto& [temp, target] : impl_->files) std::filesystem::remove(temp, ec);
}

Result<std::string> OutputSet::Add(const std::string& target) {
  const std::string temp = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(impl_->files.size());
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  if (!out) return Status::Error("its folder cannot be written");
  impl_->files.emplace_back(temp, target);
  return temp;
}

Status OutputSet::WriteText(const std::string& target, const std::function<bool(std::ostream&)>& write) {
  auto temp = Add(target);
  if (!temp.ok()) return temp.status();
  std::ofstream out(temp.value(), std::ios::binary | std::ios::trunc);
  if (!write(out) || !out) return Status::Error("writing failed");
  return Status::Ok();
}

Status OutputSet::Commit() {
  std::error_code ec;
  for (const auto& [temp, target] : impl_->files) {
    std::filesystem::rename(temp, target, ec);
    if (ec) return Status::Error(ec.message());
  }
  impl_->committed = true;
  return Status::Ok();
}

}  // namespace sw::storage
