// A locale whose decimal separator is a comma (de_DE.UTF-8), for tests that
// check that numbers in files do not follow the process locale.
//
// The locale is used from the system when it is installed; otherwise it is
// compiled once per test process into a private folder with localedef (from
// the "locales" package, see tools/install-deps.sh) and found through
// LOCPATH, so no root rights are needed.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace sw::test {

#if defined(_WIN32)
// Windows names its locales by language and country.
inline constexpr char kDecimalCommaLocale[] = "German_Germany.1252";
#else
inline constexpr char kDecimalCommaLocale[] = "de_DE.UTF-8";
#endif

// Makes the locale loadable in this process and in programs it starts (via
// LOCPATH). False when it cannot be had at all.
inline bool PrepareDecimalCommaLocale() {
  static const bool ready = [] {
    const char* before = std::setlocale(LC_ALL, nullptr);
    std::string saved = before != nullptr ? before : "C";
    if (std::setlocale(LC_ALL, kDecimalCommaLocale) != nullptr) {
      std::setlocale(LC_ALL, saved.c_str());
      return true;
    }
#if defined(_WIN32)
    return false;
#else
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "stumpwright-test-locales";
    std::filesystem::create_directories(dir);
    const std::filesystem::path target = dir / kDecimalCommaLocale;
    if (!std::filesystem::exists(target / "LC_NUMERIC")) {
      // Compiled beside the target and renamed into place, so that test
      // processes running at once never see a half-written locale.
      const std::filesystem::path scratch = dir / ("partial-" + std::to_string(getpid()));
      std::string command = "localedef -i de_DE -f UTF-8 '" + scratch.string() + "' >/dev/null 2>&1";
      std::system(command.c_str());
      std::error_code ec;
      if (std::filesystem::exists(scratch / "LC_NUMERIC")) std::filesystem::rename(scratch, target, ec);
      std::filesystem::remove_all(scratch, ec);
      if (!std::filesystem::exists(target / "LC_NUMERIC")) return false;
    }
    setenv("LOCPATH", dir.c_str(), 1);
    bool ok = std::setlocale(LC_ALL, kDecimalCommaLocale) != nullptr;
    std::setlocale(LC_ALL, saved.c_str());
    return ok;
#endif
  }();
  return ready;
}

// Switches the whole process to the decimal-comma locale for one scope.
class ScopedDecimalCommaLocale {
 public:
  ScopedDecimalCommaLocale() {
    const char* before = std::setlocale(LC_ALL, nullptr);
    saved_ = before != nullptr ? before : "C";
    active_ = PrepareDecimalCommaLocale() && std::setlocale(LC_ALL, kDecimalCommaLocale) != nullptr;
  }
  ~ScopedDecimalCommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  ScopedDecimalCommaLocale(const ScopedDecimalCommaLocale&) = delete;
  ScopedDecimalCommaLocale& operator=(const ScopedDecimalCommaLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

}  // namespace sw::test
