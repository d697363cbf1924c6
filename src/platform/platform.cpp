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
  // The login name of the session first, then the account of the process.
  for (const char* variable : {"USER", "LOGNAME"}) {
    if (const char* user = std::getenv(variable); user != nullptr && *user != '\0') return user;
  }
  if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr && *entry->pw_name != '\0') {
    return entry->pw_name;
  }
  return "unknown user";
}

std::string Platform::ComputerName() const {
  std::vector<char> name(256, '\0');
  if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "unknown PC";
  return name.data();
}

}  // namespace sw::platform
