// Defaults shared by every platform: the user and computer names come from
// the operating system, not from the window system.
//
// Not for: anything that needs a window.
#include "platform/platform.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace sw::platform {

std::string Platform::UserName() const {
  if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
    return entry->pw_name;
  }
  if (const char* user = std::getenv("USER"); user != nullptr) return user;
  return "";
}

std::string Platform::ComputerName() const {
  std::vector<char> name(256, '\0');
  if (gethostname(name.data(), name.size() - 1) != 0) return "";
  return name.data();
}

}  // namespace sw::platform
