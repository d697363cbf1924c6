// Fuzzes the reading of an output set's journal, a file in the user's folder
// that the next set replays: whatever the text, only temporaries moved onto
// their own targets in the journal's folder come out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/output_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string journal = "/folder/~sale.key.1-1.swset";
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const auto& [temp, target] : sw::storage::JournalMoves(journal, text)) {
    const std::filesystem::path t(temp), g(target);
    if (t.parent_path() != "/folder" || g.parent_path() != "/folder") std::abort();
    if (!sw::storage::IsOutputTemporary(t.filename().string())) std::abort();
    if (t.filename().string().rfind("~" + g.filename().string() + ".", 0) != 0) std::abort();
  }
  return 0;
}
