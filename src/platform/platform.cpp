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

#endif

}  // namespace sw::platform
