// The parts of FileSystem shared by every implementation.
#include "storage/file_system.h"

#include <string_view>

namespace sw::storage {
namespace {

constexpr std::string_view kHeldText = "\" is held by another program";

}  // namespace

Status InUseStatus(const std::string& path) { return Status::Error("the file \"" + path + std::string(kHeldText)); }

bool IsInUse(const Status& status) {
  const std::string& m = status.message();
  return !status.ok() && m.size() >= kHeldText.size() &&
         m.compare(m.size() - kHeldText.size(), kHeldText.size(), kHeldText) == 0;
}

}  // namespace sw::storage
