// Engine-private parts behind the public handles: the view handle's state
// (stored table or derived snapshot) and the storage's state.
// Not for: users of the engine; include storage.h instead.
#pragma once

#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "storage/file_system.h"
#include "storage/format_reader.h"
#include "storage/storage.h"
#include "storage/table.h"

namespace sw::storage {

// The fields of a top-level view (a recursive one holds itself).
std::vector<FieldDef> ViewFields(const FieldDef& view);

namespace detail {

struct ViewImpl {
  std::shared_ptr<Table> table;  // the table, or the base of a derived view
  bool derived = false;
  std::vector<std::size_t> rows;  // derived: base row per row
  std::vector<int> cols;          // derived: base column per column

  std::size_t Size() const { return derived ? rows.size() : table->rows; }
  std::size_t ColumnCount() const { return derived ? cols.size() : table->cols.size(); }
  // Base row and column of a cell; false when outside. The plain case is
  // small enough to inline into every cell access.
  bool Map(std::size_t row, int col, std::size_t* brow, int* bcol) const {
    if (derived) return MapDerived(row, col, brow, bcol);
    *brow = row;
    *bcol = col;
    return col >= 0 && static_cast<std::size_t>(col) < table->cols.size() && row < table->rows;
  }
  bool MapDerived(std::size_t row, int col, std::size_t* brow, int* bcol) const;
};

struct TopEntry {
  FieldDef def;
  std::string refs;              // column references in the current version
  std::shared_ptr<Table> table;  // decoded view, null until first use
  Value value;                   // a non-view top-level field
};

struct StorageImpl {
  std::filesystem::path path;
  Storage::Mode mode = Storage::Mode::ReadOnly;
  FileSystem* fs = nullptr;
  std::unique_ptr<File> file;
  std::shared_ptr<void> path_lock;
  FileLayout layout;      // end == 0: no version in the file yet
  std::vector<Extent> used;
  std::vector<TopEntry> entries;
  bool structure_changed = false;
  Status damage;          // a view that failed to decode makes commits fail

  Result<std::shared_ptr<Table>> Load(TopEntry& entry);
  int FindEntry(std::string_view name) const;
  bool Changed() const;
  Status RefreshUsed();
};

// Runs `f`, turning an escaping exception into an error Status (or a Result
// holding one), so that nothing crosses the public API.
template <class F>
auto CatchAll(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return Status::Error("out of memory");
  } catch (const std::exception& e) {
    return Status::Error(e.what());
  }
}

}  // namespace detail
}  // namespace sw::storage
