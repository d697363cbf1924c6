// libFuzzer target for the structure updater: any bytes as a cruise file are
// checked and, when they hold an older structure version, updated. Refusals
// are fine; crashes, hangs and leaks are not.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "updater/structure_updater.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  static const fs::path folder = fs::temp_directory_path() / ("sw_updater_fuzz_" + std::to_string(::getpid()));
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  const fs::path path = folder / "fuzz.crz";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  sw::updater::StructureUpdater updater("fuzz", "fuzz");
  updater.set_backup_folder(folder);
  (void)updater.Update(path);
  fs::remove_all(folder, ec);
  return 0;
}
