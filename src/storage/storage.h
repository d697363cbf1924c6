// Public interface of the storage engine: reads and writes storage files
// (cruise files, the base dictionary, the species and proration files) in
// the format described in docs/storage-format.md. It depends on nothing but
// the C++ standard library.
//
// Not for: anything cruise-specific. Table names and the column vocabulary
// live in cruisedb/; this layer only knows views, columns and rows.
//
// Shape of the API
//   Storage  RAII owner of one open file. Open() never throws; failures come
//            back as a Status with a message. Released without Commit(), the
//            file stays byte for byte as it was.
//   View     cheap, copyable handle on a table (stored, nested or derived).
//   Column<T> a column constant: a name and a type letter, declared once.
//   Bound<T> a typed handle bound to one column of one view, so that loops
//            over rows never look a name up per row.
//   Row      a set of (column name, value) pairs: a new row, or a pattern for
//            Select/Find.
// Text is compared without regard to the letter case of A-Z and a-z, byte by
// byte otherwise; names of views and columns are matched the same way.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace sw::storage {

// ---------------------------------------------------------------- status ---

// Marked [[nodiscard]]: every function that returns one is checked by the
// compiler, so that a failure is handled or passed on, never dropped.
class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message), true); }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& message() const { return message_; }

 private:
  Status(std::string message, bool failed) : message_(std::move(message)), failed_(failed) {}
  std::string message_;
  bool failed_ = false;
};

// A value or the Status that explains why there is none. Taking the value of
// an error stops a debug build; callers test ok() first.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Status status) : status_(std::move(status)) {  // NOLINT(google-explicit-constructor)
    assert(!status_.ok() && "a Result made from a Status holds an error");
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }
  T& value() & {
    assert(ok() && "value() of an error Result");
    return *value_;
  }
  const T& value() const& {
    assert(ok() && "value() of an error Result");
    return *value_;
  }
  T&& value() && {
    assert(ok() && "value() of an error Result");
    return std::move(*value_);
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }

 private:
  std::optional<T> value_;
  Status status_;
};

// ----------------------------------------------------------------- types ---

// The type letters of the format. M is read as B.
enum class Type : char {
  String = 'S',
  Int = 'I',
  Long = 'L',
  Float = 'F',
  Double = 'D',
  Bytes = 'B',
  Subview = 'V',
};

// Raw bytes of a B column.
using Bytes = std::vector<std::uint8_t>;

class View;

// A field value as handed to Row. Monostate stands for "no value".
using Value = std::variant<std::monostate, std::string, std::int32_t, std::int64_t, float, double, Bytes>;

template <Type T>
struct ValueOf;
template <> struct ValueOf<Type::String> { using type = std::string; };
template <> struct ValueOf<Type::Int> { using type = std::int32_t; };
template <> struct ValueOf<Type::Long> { using type = std::int64_t; };
template <> struct ValueOf<Type::Float> { using type = float; };
template <> struct ValueOf<Type::Double> { using type = double; };
template <> struct ValueOf<Type::Bytes> { using type = Bytes; };

// A column constant: its name and its type letter. Declared once per column
// program-wide (cruisedb/columns.h) and used wherever the column is touched.
template <Type T>
struct Column {
  std::string_view name;
  static constexpr Type type = T;
  constexpr explicit Column(std::string_view n) : name(n) {}
};

using StringColumn = Column<Type::String>;
using IntColumn = Column<Type::Int>;
using LongColumn = Column<Type::Long>;
using FloatColumn = Column<Type::Float>;
using DoubleColumn = Column<Type::Double>;
using BytesColumn = Column<Type::Bytes>;
using SubviewColumn = Column<Type::Subview>;

// ------------------------------------------------------------------- row ---

// Values by column name, in the order they were set. A later Set of the same
// name (any letter case) replaces the earlier value.
class Row {
 public:
  Row& Set(std::string_view column, Value value);
  template <Type T>
  Row& Set(const Column<T>& column, typename ValueOf<T>::type value) {
    return Set(column.name, Value(std::move(value)));
  }
  Row& Set(const StringColumn& column, const char* value) { return Set(column.name, Value(std::string(value))); }

  const std::vector<std::pair<std::string, Value>>& values() const { return values_; }
  bool empty() const { return values_.empty(); }

 private:
  std::vector<std::pair<std::string, Value>> values_;
};

// ------------------------------------------------------------ view impl ---

namespace detail {
struct ViewImpl;  // engine-private
}

// A typed handle on one column of one view. Reads outside the rows give the
// column's default ("" / 0 / 0.0); writes outside the rows are refused.
// A value of another stored type is converted (text <-> number as atoi/atol,
// strtod, "%d", "%g", "%.15g"; float/double to integer truncated).
template <Type T>
class Bound {
 public:
  using value_type = typename ValueOf<T>::type;
  Bound() = default;

  value_type Get(std::size_t row) const;
  // A text without a copy: the stored bytes when the column is stored as
  // text, else the value converted into `scratch`. The view stays valid
  // until the table or `scratch` changes.
  std::string_view Peek(std::size_t row, std::string& scratch) const
    requires(T == Type::String);
  Status Set(std::size_t row, const value_type& value) const;
  // False when the view had no such column when bound; such a handle reads
  // defaults and writes to a transient column that Commit does not keep.
  bool present() const { return present_; }
  int index() const { return index_; }

 private:
  friend class View;
  std::shared_ptr<detail::ViewImpl> impl_;
  int index_ = -1;
  bool present_ = false;
};

using BoundString = Bound<Type::String>;
using BoundInt = Bound<Type::Int>;
using BoundLong = Bound<Type::Long>;
using BoundFloat = Bound<Type::Float>;
using BoundDouble = Bound<Type::Double>;
using BoundBytes = Bound<Type::Bytes>;

// One column of a view as the view reports it.
struct ColumnInfo {
  std::string name;  // stored spelling
  Type type;
};

// ------------------------------------------------------------------ view ---

// A handle on a table. Copies share the same table.
//
// Derived views (Select, SortOn, Project, GroupBy) are snapshots of the base
// rows taken when they are made: each derived row knows its base row
// (BaseIndex). Field writes through a Select/SortOn/Project view go to the
// base row; adding, inserting and removing rows through a derived view is
// refused. A grouping is a full copy.
class View {
 public:
  View();  // an empty, detached view without columns

  std::size_t Size() const;
  bool IsDerived() const;

  // Columns, including columns hidden by a restructure and transient ones.
  std::size_t ColumnCount() const;
  ColumnInfo ColumnAt(std::size_t index) const;
  // Index of the named column without regard to case, or -1.
  int ColumnIndex(std::string_view name) const;
  // "A:S,N:I" — the described columns without the view's name or brackets.
  std::string Describe() const;

  template <Type T>
  Bound<T> Bind(const Column<T>& column) const {
    Bound<T> b;
    BindImpl(column.name, T, &b.impl_, &b.index_, &b.present_);
    return b;
  }

  // Row changes. Add returns the new row's index; on a derived view it is
  // refused and returns -1.
  long Add(const Row& row = Row());
  Status InsertAt(std::size_t position, const Row& row = Row(), std::size_t count = 1);
  Status RemoveAt(std::size_t position, std::size_t count = 1);
  Status SetSize(std::size_t size);
  // Puts the rows in a new order: row i takes the values row order[i] had.
  // `order` must name every row exactly once; refused on a derived view.
  // Sorting a stored table is SortOn, then Reorder with its base rows.
  Status Reorder(const std::vector<std::size_t>& order);
  // Copies row `row` of `source` (columns matched by name) into row `row_index`
  // of this view; columns the source lacks get their defaults.
  Status Replace(std::size_t row_index, const View& source, std::size_t row);

  // Untyped access by column index, converting like Bound (for generic code:
  // dumps, the access layer). Out of range reads give defaults.
  Value Get(std::size_t row, std::size_t column) const;
  Status Set(std::size_t row, std::size_t column, const Value& value);
  std::string GetText(std::size_t row, std::size_t column) const;

  // The nested view of a subview cell (writable, shares the parent).
  View Subview(std::size_t row, std::size_t column) const;
  View Subview(std::size_t row, const SubviewColumn& column) const;

  // Derived views, with the library's comparison and ordering rules:
  // Select keeps matching rows in base order; SortOn orders on the given
  // columns, then on all remaining columns in view order, then on base
  // position; names in `reverse` compare descending. Project keeps the listed
  // columns the view has, in the listed order. GroupBy gives one row per
  // distinct key combination, ascending, with the keys and one subview column
  // named `subview_name` holding each group's other columns.
  // A failure (memory exhausted) is an error, never an empty view that a
  // caller could take for a result.
  Result<View> Select(const Row& pattern) const;
  Result<View> SortOn(const std::vector<std::string>& columns, const std::vector<std::string>& reverse = {}) const;
  Result<View> Project(const std::vector<std::string>& columns) const;
  Result<View> GroupBy(const std::vector<std::string>& keys, std::string_view subview_name) const;
  // First row at or after `start` matching the pattern, or -1.
  long Find(const Row& pattern, std::size_t start = 0) const;
  // Base row of a derived view's row (the row itself for a stored view).
  std::size_t BaseIndex(std::size_t row) const;
  // A detached in-memory copy of the rows and columns (not derived).
  Result<View> Copy() const;

 private:
  friend class Storage;
  explicit View(std::shared_ptr<detail::ViewImpl> impl);
  void BindImpl(std::string_view name, Type type, std::shared_ptr<detail::ViewImpl>* impl, int* index,
                bool* present) const;
  std::shared_ptr<detail::ViewImpl> impl_;
};

// --------------------------------------------------------------- storage ---

namespace detail {
struct StorageImpl;
}
class FileSystem;  // storage/file_system.h: the one interface all file I/O goes through

class Storage {
 public:
  enum class Mode { ReadOnly, ReadWrite };

  // Opens a storage file. A missing file opened read-write is an empty
  // storage; nothing is created before the first Commit that has a view to
  // write. A missing file opened read-only is an empty storage that cannot be
  // committed. A file that is not a storage, is truncated or damaged is an
  // error naming the problem. A read-write open takes an exclusive lock; a
  // file locked by another writer is an error saying it is held by another
  // program. `fs` is for tests that inject faults; null means the real one.
  static Result<Storage> Open(const std::filesystem::path& path, Mode mode, FileSystem* fs = nullptr);

  Storage(Storage&&) noexcept;
  Storage& operator=(Storage&&) noexcept;
  ~Storage();  // releases without commit

  // Every view as Name[col:T,...] in storage order, joined by ",".
  std::string Description() const;
  std::vector<std::string> ViewNames() const;
  // Every top-level property in description order: views (type Subview, no
  // value) and the non-view I and F fields that old files may hold in their
  // root row (read only; Commit does not write them).
  std::vector<std::pair<ColumnInfo, Value>> Properties() const;
  bool HasView(std::string_view name) const;

  // Gets a view by description string Name[col:T,...]: creates a missing
  // view; returns a stored view whose shape equals the description (names
  // and letters compared without regard to case) unchanged; restructures any
  // other (columns in the described order, values kept by name and converted
  // when a type letter changes, new columns default, unnamed columns hidden
  // until Commit drops them). A description without "[" deletes that view and
  // returns an empty detached view. A malformed description is an error.
  Result<View> GetAs(std::string_view description);
  // A stored view by name (any case); an unknown name gives an empty
  // transient view that Commit does not keep.
  View GetView(std::string_view name);

  // Writes every change atomically: the file opens as the old or the new
  // state, never a mix. No change since the last commit writes nothing.
  // Fails on a read-only storage.
  Status Commit();

  // Decodes every view now (views are otherwise decoded on first use) and
  // returns the first problem found in the file.
  Status Verify();

  // Decodes one view (if it is not decoded yet) and says whether it could
  // be. With `release`, the decoded rows of an unchanged view that no handle
  // holds any more are dropped again, so that a pass over a large file holds
  // one view at a time; the next use decodes it anew.
  Status Load(std::string_view name, bool release);

  bool writable() const;
  const std::filesystem::path& path() const;

 private:
  Storage();
  std::unique_ptr<detail::StorageImpl> impl_;
};

// Case-insensitive (A-Z = a-z only) byte comparison as the engine uses it:
// <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool EqualText(std::string_view a, std::string_view b);

}  // namespace sw::storage
