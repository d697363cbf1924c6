// Writing side of the file format: lays out the blocks of a new version
// (unchanged columns keep their blocks), places them first-fit in free space
// or past the end, and switches versions crash-safely: in place with a single
// root-mark write, or by growing the file behind a link mark that keeps the
// old version current until the new root mark is written.
// Not for: reading (format_reader.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "storage/format_reader.h"

namespace sw::storage {

// One top-level view of the version to write.
struct TopWrite {
  FieldDef def;                  // name and (for the description) fields
  std::shared_ptr<Table> table;  // null: keep `refs` (an undecoded view)
  std::string refs;
};

// Writes a new version into `file`. `layout` describes the current version
// (end == 0 for an empty file: a fresh file is written from position 0).
// `used` lists the blocks of the current version. On success `layout` holds
// the new version and the written tables remember their new references.
Status WriteVersion(File& file, FileLayout* layout, const std::vector<Extent>& used, const std::vector<TopWrite>& views);

}  // namespace sw::storage
