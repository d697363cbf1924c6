// libFuzzer target for the cycle file reader: any bytes are read section by
// section and scanned for cycles; the scan and the walk must agree on the
// number of header lines (any crash, hang or disagreement is a finding).
#include <cstddef>
#include <cstdint>
#include <string>

#include "cyclefile/cycle_reader.h"

using namespace sw::cyclefile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CycleReader reader(text);
  CycleHeader header;
  CycleRecord record;
  std::size_t headers = 0;
  for (;;) {
    const CycleReader::Item item = reader.Next(header, record);
    if (item == CycleReader::Item::kEnd || item == CycleReader::Item::kIncomplete) break;
    if (item == CycleReader::Item::kHeader) ++headers;
    (void)reader.item_line();
  }
  if (ScanCycles(text).entries.size() != headers) __builtin_trap();
  return 0;
}
