// Runs a program on Windows the way a command window would, for tests that
// start the built programs: stdin from NUL, stdout and stderr into files.
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <filesystem>
#include <string>

#include "storage/win32_text.h"

namespace sw::test {

// Turns a POSIX-shell argument text with single-quoted words into a Windows
// command line (the tests' paths hold neither kind of quote).
inline std::string WindowsArguments(std::string shell_args) {
  for (char& c : shell_args) {
    if (c == '\'') c = '"';
  }
  return shell_args;
}

// Runs `program` with the command-line tail `args` in `cwd`; returns the exit
// code, or -1 when the program cannot be started.
inline int RunWin32(const std::filesystem::path& program, const std::string& args, const std::filesystem::path& cwd,
                    const std::filesystem::path& out, const std::filesystem::path& err) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE in_h = ::CreateFileW(L"NUL", GENERIC_READ, share, &inherit, OPEN_EXISTING, 0, nullptr);
  HANDLE out_h = ::CreateFileW(out.wstring().c_str(), GENERIC_WRITE, share, &inherit, CREATE_ALWAYS, 0, nullptr);
  HANDLE err_h = ::CreateFileW(err.wstring().c_str(), GENERIC_WRITE, share, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_h;
  startup.hStdOutput = out_h;
  startup.hStdError = err_h;
  std::wstring command = L"\"" + program.wstring() + L"\" " + storage::win32::Widen(args);
  PROCESS_INFORMATION process{};
  int code = -1;
  if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, cwd.wstring().c_str(), &startup,
                       &process)) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 0;
    if (::GetExitCodeProcess(process.hProcess, &exit_code)) code = static_cast<int>(exit_code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  for (HANDLE h : {in_h, out_h, err_h}) {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  return code;
}

}  // namespace sw::test

#endif
