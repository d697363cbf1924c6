// libFuzzer target for the dump file reader: any bytes are read as a dump;
// each announced description is parsed by the storage engine into an
// in-memory storage and every row line is split by its column types (any
// crash, hang or leak is a finding).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dumpfile/dump_reader.h"
#include "storage/description.h"

using namespace sw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dumpfile::DumpReader reader =
      dumpfile::DumpReader::FromText(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<storage::Type> types;
  for (int items = 0;; ++items) {
    dumpfile::DumpReader::Item item = reader.Next();
    if (item.kind == dumpfile::DumpReader::Item::Kind::kEnd) break;
    if (item.kind == dumpfile::DumpReader::Item::Kind::kTable) {
      types.clear();
      bool bracket = false;
      auto parsed = storage::ParseViewDescription(item.description, &bracket);
      if (parsed.ok()) {
        for (const auto& field : parsed->sub) types.push_back(field.type);
      }
      continue;
    }
    const auto values = dumpfile::SplitRow(item.line, types);
    if (values.size() != types.size()) __builtin_trap();
  }
  return 0;
}
