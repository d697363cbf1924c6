// The text dump of a storage (one line per row, escaped cells) and its
// reverse: building a storage file from such a text.
// Not for: the byte format; this goes through the public storage API.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "storage/storage.h"

namespace sw::storage {

// The dump text of an open storage.
std::string DumpStorage(const Storage& storage);
// Opens `path` read-only and dumps it.
Result<std::string> DumpFile(const std::filesystem::path& path);
// The same text written to `out` in pieces: every view is checked first (a
// damaged file gives an error before any output), then decoded in turn and
// released after it, so that memory holds one view at a time. A storage
// whose views are held or changed elsewhere keeps them.
Status DumpStorageTo(Storage& storage, std::ostream& out);
Status DumpFileTo(const std::filesystem::path& path, std::ostream& out);
// Builds a new storage file `out` from dump text; refuses an existing `out`.
Status RestoreDump(std::string_view text, const std::filesystem::path& out);

// Escaping of names and text cells in dumps, and its reverse.
std::string EscapeText(std::string_view bytes);
Result<std::string> UnescapeText(std::string_view text);

}  // namespace sw::storage
