// libFuzzer target for the storage reader: any bytes as a storage file are
// opened, fully decoded and dumped; errors are fine, crashes are not.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "storage/dump_text.h"
#include "storage/storage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/sw_storage_fuzz_" + std::to_string(::getpid()) + ".mk4";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  auto s = sw::storage::Storage::Open(path, sw::storage::Storage::Mode::ReadOnly);
  if (s.ok() && s->Verify().ok()) {
    const std::string text = sw::storage::DumpStorage(s.value());
    (void)text;
  }
  return 0;
}
