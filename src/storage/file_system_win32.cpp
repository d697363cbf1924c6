// Windows implementation of FileSystem. Paths arrive as UTF-8 and are turned
// into UTF-16 for the wide-character calls, so that any file name the user
// can type works whatever the system's ANSI code page is.
//
// Every handle is opened with read, write and delete sharing, as POSIX files
// are: readers never block writers, and a file created here can be renamed
// while it is still open (the storage engine commits a new file that way).
// Writers exclude each other with a LockFileEx lock on one byte far beyond
// any real data: Windows byte-range locks are mandatory, so locking the
// file's own bytes would also stop other programs from reading it.
// A process-wide registry catches the case where the lock is held through a
// path that does not exist yet.
//
// Replacing a file that is open (the output set keeps every old target
// locked until its new content is in place) needs the rename with POSIX
// semantics of Windows 10; older systems and file systems without it get
// MoveFileExW, which refuses a target that any handle still holds.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwctype>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "storage/file_system.h"
#include "storage/win32_text.h"

namespace sw::storage {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The locked byte: far past the end of any real file.
constexpr std::uint64_t kLockOffset = 0x7FFFFFFFFFFFFFFEull;

std::string ErrorText(const std::string& what, const std::string& path, DWORD code) {
  return what + " \"" + path + "\": " + win32::SystemMessage(code);
}

Status HeldStatus(const std::string& path) { return InUseStatus(path); }

bool IsSharingError(DWORD code) { return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION; }

// Windows compares file names without regard to case and accepts both
// separators, so the registry does too.
std::wstring RegistryKey(const std::wstring& path) {
  std::wstring key = path;
  for (auto& c : key) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
  return key;
}

std::mutex g_pending_mutex;
std::set<std::wstring> g_pending;

// The locks LockFile handed out, by registry key. Windows will not rename a
// file over one that is open, so a rename over a file this process itself
// holds through LockFile first lets go of that handle; the holder's lock then
// ends with the old content, as a POSIX lock on a replaced file does.
struct HeldLock {
  HANDLE handle = INVALID_HANDLE_VALUE;
};
std::mutex g_locks_mutex;
std::map<std::wstring, std::shared_ptr<HeldLock>> g_locks;

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

// The rename request of SetFileInformationByHandle with flags (Windows 10
// 1607 on); declared here because the headers offer it only to programs
// that require that version.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;
struct RenameInfoEx {
  DWORD Flags;
  HANDLE RootDirectory;
  DWORD FileNameLength;  // in bytes
  WCHAR FileName[1];
};

// Renames `from` over `to` through a handle with POSIX semantics: a target
// that is open with delete sharing is replaced at once. False with the
// error code set when the system or the file system does not offer it.
bool PosixRename(const std::wstring& from, const std::wstring& to) {
  HANDLE handle = ::CreateFileW(from.c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const std::size_t name_bytes = to.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(RenameInfoEx) + name_bytes, 0);
  auto* info = reinterpret_cast<RenameInfoEx*>(buffer.data());
  info->Flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(info->FileName, to.data(), name_bytes);
  const BOOL done = ::SetFileInformationByHandle(handle, kFileRenameInfoEx, info, static_cast<DWORD>(buffer.size()));
  const DWORD code = ::GetLastError();
  if (done) ::FlushFileBuffers(handle);  // what MOVEFILE_WRITE_THROUGH gives the other way
  ::CloseHandle(handle);
  ::SetLastError(code);
  return done != 0;
}

// Closes a lock's handle once; the caller holds g_locks_mutex.
void ReleaseLock(HeldLock& held) {
  if (held.handle == INVALID_HANDLE_VALUE) return;
  OVERLAPPED unlock = At(kLockOffset);
  ::UnlockFileEx(held.handle, 0, 1, 0, &unlock);
  ::CloseHandle(held.handle);
  held.handle = INVALID_HANDLE_VALUE;
}

// Lets go of this process's own LockFile handle on `path`, if it has one.
bool ReleaseOwnLock(const std::wstring& path) {
  std::lock_guard<std::mutex> guard(g_locks_mutex);
  auto it = g_locks.find(RegistryKey(path));
  if (it == g_locks.end() || it->second->handle == INVALID_HANDLE_VALUE) return false;
  ReleaseLock(*it->second);
  return true;
}

// Without POSIX renames, a target that this process still has open (with
// delete sharing) cannot be replaced, but it can be moved: the old file goes
// to a name beside it, the new one takes its place, and the old one is
// removed (it vanishes when its last handle closes). A failed second step
// puts the old file back. A program that holds the target without delete
// sharing stops the first step, and nothing changes.
bool ReplaceHeldTarget(const std::wstring& from, const std::wstring& to, DWORD* code) {
  static std::atomic<unsigned> counter{0};
  const std::wstring aside =
      to + L".sw-old-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
  if (!::MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
    *code = ::GetLastError();
    return false;
  }
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
    *code = ::GetLastError();
    ::MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    return false;
  }
  ::DeleteFileW(aside.c_str());
  return true;
}

bool RenameUnsupported(DWORD code) {
  return code == ERROR_INVALID_PARAMETER || code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION ||
         code == ERROR_CALL_NOT_IMPLEMENTED;
}

bool ReadOnly(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

class Win32File : public File {
 public:
  Win32File(HANDLE handle, std::string path, bool locked) : handle_(handle), path_(std::move(path)), locked_(locked) {}
  ~Win32File() override {
    if (locked_) {
      OVERLAPPED o = At(kLockOffset);
      ::UnlockFileEx(handle_, 0, 1, 0, &o);
    }
    ::CloseHandle(handle_);
  }

  Result<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle_, &size)) return Status::Error(ErrorText("cannot read the size of", path_, ::GetLastError()));
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  Status ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override {
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
      OVERLAPPED o = At(offset);
      DWORD got = 0;
      if (!::ReadFile(handle_, p, want, &got, &o)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_HANDLE_EOF) return Status::Error("unexpected end of file in \"" + path_ + "\"");
        return Status::Error(ErrorText("cannot read", path_, code));
      }
      if (got == 0) return Status::Error("unexpected end of file in \"" + path_ + "\"");
      p += got;
      n -= got;
      offset += got;
    }
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, const void* data, std::size_t n) override {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
      OVERLAPPED o = At(offset);
      DWORD put = 0;
      if (!::WriteFile(handle_, p, want, &put, &o)) return Status::Error(ErrorText("cannot write", path_, ::GetLastError()));
      if (put == 0) return Status::Error("cannot write \"" + path_ + "\": nothing was written (disk full?)");
      p += put;
      n -= put;
      offset += put;
    }
    return Status::Ok();
  }

  Status Sync() override {
    if (!::FlushFileBuffers(handle_)) return Status::Error(ErrorText("cannot flush", path_, ::GetLastError()));
    return Status::Ok();
  }

 private:
  HANDLE handle_;
  std::string path_;
  bool locked_;
};

// Takes the writer's lock; closes the handle and reports when another
// writer has it.
Result<std::unique_ptr<File>> Locked(HANDLE handle, const std::string& path) {
  OVERLAPPED o = At(kLockOffset);
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o)) {
    ::CloseHandle(handle);
    return HeldStatus(path);
  }
  return std::unique_ptr<File>(new Win32File(handle, path, true));
}

class Win32FileSystem : public FileSystem {
 public:
  bool Exists(const std::string& path) override {
    return ::GetFileAttributesW(win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  Result<std::unique_ptr<File>> Open(const std::string& path, bool writable) override {
    const std::wstring wide = win32::Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return Status::Error("\"" + path + "\" is not a regular file");
    }
    // Checked before opening: an administrator's open would ignore the
    // attribute, and the file must stay read-only for everyone.
    if (writable && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return Status::Error("cannot open for writing \"" + path + "\": the file is read-only");
    }
    const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    HANDLE handle = ::CreateFileW(wide.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      if (IsSharingError(code)) return HeldStatus(path);
      return Status::Error(ErrorText(writable ? "cannot open for writing" : "cannot open", path, code));
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
      ::CloseHandle(handle);
      return Status::Error("\"" + path + "\" is not a regular file");
    }
    if (!writable) return std::unique_ptr<File>(new Win32File(handle, path, false));
    return Locked(handle, path);
  }

  Result<std::unique_ptr<File>> Create(const std::string& path) override {
    HANDLE handle = ::CreateFileW(win32::Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Status::Error(ErrorText("cannot create", path, ::GetLastError()));
    // Another process may have removed the name between the create and the
    // lock (it took the file for a leftover): the file is then not ours.
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) ||
        standard.DeletePending) {
      ::CloseHandle(handle);
      return Status::Error("\"" + path + "\" was removed while it was created");
    }
    return Locked(handle, path);
  }

  Result<std::shared_ptr<void>> LockFile(const std::string& path) override {
    HANDLE handle = ::CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      if (IsSharingError(code)) return HeldStatus(path);
      return Status::Error(ErrorText("cannot open", path, code));
    }
    OVERLAPPED o = At(kLockOffset);
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o)) {
      ::CloseHandle(handle);
      return HeldStatus(path);
    }
    auto held = std::make_shared<HeldLock>();
    held->handle = handle;
    const std::wstring key = RegistryKey(win32::Widen(path));
    {
      std::lock_guard<std::mutex> guard(g_locks_mutex);
      g_locks[key] = held;
    }
    return std::shared_ptr<void>(new int(0), [key, held](void* p) {
      delete static_cast<int*>(p);
      std::lock_guard<std::mutex> guard(g_locks_mutex);
      ReleaseLock(*held);
      auto it = g_locks.find(key);
      if (it != g_locks.end() && it->second == held) g_locks.erase(it);
    });
  }

  Result<std::vector<std::string>> ListFolder(const std::string& folder) override {
    std::wstring pattern = win32::Widen(folder.empty() ? "." : folder);
    if (pattern.back() != L'\\' && pattern.back() != L'/' && pattern.back() != L':') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW(pattern.c_str(), &entry);
    std::vector<std::string> names;
    if (find == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      if (code == ERROR_FILE_NOT_FOUND) return names;  // an empty drive root
      return Status::Error(ErrorText("cannot list", folder, code));
    }
    do {
      const std::wstring_view name(entry.cFileName);
      if (name != L"." && name != L"..") names.push_back(win32::Narrow(name));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return names;
  }

  // Folder entries reach the disk with the write-through renames; a folder
  // handle is flushed besides where the system allows it (NTFS journals its
  // metadata, so a refusal is no loss).
  Status SyncFolder(const std::string& folder) override {
    const std::wstring wide = win32::Widen(folder.empty() ? "." : folder);
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      if (code == ERROR_ACCESS_DENIED) return Status::Ok();
      return Status::Error(ErrorText("cannot open the folder", folder, code));
    }
    const BOOL flushed = ::FlushFileBuffers(handle);
    const DWORD code = ::GetLastError();
    ::CloseHandle(handle);
    if (!flushed && code != ERROR_ACCESS_DENIED && code != ERROR_INVALID_FUNCTION) {
      return Status::Error(ErrorText("cannot flush the folder", folder, code));
    }
    return Status::Ok();
  }

  Result<std::shared_ptr<void>> LockPath(const std::string& path) override {
    const std::wstring key = RegistryKey(win32::Widen(path));
    std::lock_guard<std::mutex> guard(g_pending_mutex);
    if (!g_pending.insert(key).second) return HeldStatus(path);
    return std::shared_ptr<void>(new int(0), [key](void* p) {
      delete static_cast<int*>(p);
      std::lock_guard<std::mutex> g(g_pending_mutex);
      g_pending.erase(key);
    });
  }

  Status Remove(const std::string& path) override {
    if (!::DeleteFileW(win32::Widen(path).c_str())) {
      const DWORD code = ::GetLastError();
      if (IsSharingError(code)) return Status::Error("cannot remove \"" + path + "\": it is held open by another program");
      return Status::Error(ErrorText("cannot remove", path, code));
    }
    return Status::Ok();
  }

  // Replaces `to` in one step and does not return before the move is on the
  // disk. A target that another program holds open without delete sharing
  // (an editor, a spreadsheet) cannot be replaced: that is reported and the
  // target keeps its contents.
  Status Rename(const std::string& from, const std::string& to) override {
    const std::wstring wide_from = win32::Widen(from);
    const std::wstring wide_to = win32::Widen(to);
    if (ReadOnly(wide_to)) return Status::Error("cannot replace \"" + to + "\": the file is read-only");
    if (PosixRename(wide_from, wide_to)) return Status::Ok();
    DWORD code = ::GetLastError();
    if (RenameUnsupported(code) || code == ERROR_ACCESS_DENIED || IsSharingError(code)) {
      if (ReleaseOwnLock(wide_to)) code = ERROR_ACCESS_DENIED;
    }
    if (RenameUnsupported(code) || code == ERROR_ACCESS_DENIED) {
      if (::MoveFileExW(wide_from.c_str(), wide_to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Status::Ok();
      }
      code = ::GetLastError();
    }
    if ((code == ERROR_ACCESS_DENIED || IsSharingError(code)) && ReplaceHeldTarget(wide_from, wide_to, &code)) {
      return Status::Ok();
    }
    if (IsSharingError(code)) return Status::Error("cannot replace \"" + to + "\": it is held open by another program");
    if (code == ERROR_ACCESS_DENIED && ::GetFileAttributesW(wide_to.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return Status::Error("cannot replace \"" + to + "\": it is held open by another program or access is denied");
    }
    return Status::Error(ErrorText("cannot rename", from, code));
  }
};

}  // namespace

FileSystem* FileSystem::Default() {
  static Win32FileSystem fs;
  return &fs;
}

}  // namespace sw::storage
