// Defaults shared by every platform: the user and computer names come from
// the operating system, not from the window system.
//
// Not for: anything that needs a window.
#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>

#include "storage/win32_text.h"
#else
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>
#endif

namespace sw::platform {

#if defined(_WIN32)

std::string Platform::UserName() const {
  wchar_t name[257] = {};
  DWORD size = sizeof name / sizeof name[0];
  if (!::GetUserNameW(name, &size) || size == 0) return "";
  return storage::win32::Narrow(name);  // size counts the terminating zero
}

std::string Platform::ComputerName() const {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name / sizeof name[0];
  if (!::GetComputerNameW(name, &size)) return "";
  return storage::win32::Narrow(std::wstring_view(name, size));
}

#else

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

#endif

}  // namespace sw::platform
