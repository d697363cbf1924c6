// File helpers: MakeWritable.
#include "legacy/files.h"

#include <system_error>

namespace sw::legacy {

namespace fs = std::filesystem;

bool MakeWritable(const fs::path& path) {
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return true;
  if ((status.permissions() & fs::perms::owner_write) != fs::perms::none) return true;
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
  return !ec;
}

}  // namespace sw::legacy
