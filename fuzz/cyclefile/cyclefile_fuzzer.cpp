// libFuzzer target for the cycle file reader: any bytes are read item by
// item, once decoding the records and once passing over them, and scanned
// for cycles; all three must agree (any crash, hang or disagreement is a
// finding).
#include <cstddef>
#include <cstdint>
#include <string>

#include "cyclefile/cycle_reader.h"

using namespace sw::cyclefile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CycleReader reader(text);
  CycleReader skipper(text);
  CycleHeader header;
  CycleHeader skipped;
  CycleRecord record;
  std::size_t headers = 0;
  for (;;) {
    const CycleReader::Item item = reader.Next(header, record);
    if (skipper.Skip(skipped) != item || skipper.position() != reader.position()) __builtin_trap();
    if (item == CycleReader::Item::kEnd || item == CycleReader::Item::kIncomplete) break;
    if (item == CycleReader::Item::kHeader) {
      ++headers;
      if (skipped.line != header.line) __builtin_trap();
    }
    (void)reader.item_line();
  }
  if (ScanCycles(text).entries.size() != headers) __builtin_trap();
  return 0;
}
