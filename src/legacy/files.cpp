// File helpers: MakeWritable and atomic replacement of text files.
#include "legacy/files.h"

#include <fstream>
#include <random>

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

bool WriteFileReplacing(const fs::path& target, const std::function<bool(std::ostream&)>& write, std::string& error) {
  std::random_device random;
  fs::path temp = target;
  temp += ".tmp";
  temp += std::to_string(random() % 1000000);
  std::error_code ec;
  bool ok = false;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "cannot write " + temp.string();
      return false;
    }
    ok = write(out);
    out.flush();
    if (ok && !out) error = "writing " + target.string() + " failed (disk full?)";
    ok = ok && static_cast<bool>(out);
  }
  if (ok) {
    fs::rename(temp, target, ec);
    if (ec) {
      error = "cannot replace " + target.string() + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) fs::remove(temp, ec);
  return ok;
}

}  // namespace sw::legacy
