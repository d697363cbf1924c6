// In-memory column store of one view instance: compact per-type columns
// (adaptive-width integers, one byte arena per text column), row changes,
// typed access with the engine's conversions, and change tracking for commit.
// Not for: file layout (format_reader/format_writer) or derived views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/description.h"
#include "storage/pod_vector.h"
#include "storage/storage.h"

namespace sw::storage {

struct Table;

// Signed integers at 0, 1, 2 or 4 bytes per entry; widens on demand. Width 0
// means every entry is 0 and nothing is stored.
class PackedInts {
 public:
  std::int32_t Get(std::size_t i) const;
  void Set(std::size_t i, std::int32_t v);
  void Resize(std::size_t n);
  void Insert(std::size_t pos, std::size_t count);
  void Erase(std::size_t pos, std::size_t count);
  void PushBack(std::int32_t v);
  // Widens to at least `bytes` per entry up front (1, 2 or 4).
  void EnsureWidth(int bytes) {
    if (bytes > width_) Widen(bytes);
  }
  // Takes `n` entries of `bytes` each (native order) as they are.
  void Adopt(const void* raw, std::size_t n, int bytes) {
    data_.clear();
    data_.append(static_cast<const std::uint8_t*>(raw), n * static_cast<std::size_t>(bytes));
    size_ = n;
    width_ = bytes;
  }
  std::size_t size() const { return size_; }
  int byte_width() const { return width_; }
  const std::uint8_t* data() const { return data_.data(); }

 private:
  void Widen(int width);
  PodVector<std::uint8_t> data_;
  std::size_t size_ = 0;
  int width_ = 0;
};

// Variable-length items (S without its final zero byte, B) in one arena with
// one offset per row. Changed items are appended; the arena is compacted when
// more than half of it is garbage.
//
// A column read from a file is first kept as the file has it: the data block
// (items back to back) and the packed sizes column, with the offset of every
// 16th row. Reading an item adds up at most 15 sizes (none when rows are read
// in order); the first change turns it into the arena form.
class ByteArena {
 public:
  ByteArena();
  std::string_view Get(std::size_t i) const {
    if (packed_rows_ != kNotPacked) return GetPacked(i);
    return GetArena(i);
  }
  // Takes a column as the file holds it; `sizes` has `rows` entries of
  // `width` bits, `marks` the offset of rows 0, 16, 32, ...; `trim` bytes at
  // the end of each non-empty item are not part of it (the zero byte of S).
  void AdoptPacked(PodVector<char> data, PodVector<std::uint8_t> sizes, PodVector<std::uint32_t> marks,
                   std::size_t rows, int width, bool little_endian, int trim);
  void Set(std::size_t i, std::string_view v);
  void Resize(std::size_t n);
  void Insert(std::size_t pos, std::size_t count);
  void Erase(std::size_t pos, std::size_t count);
  void PushBack(std::string_view v);
  // Sets an item that is still empty (no garbage to account for).
  void Fill(std::size_t i, std::string_view v) {
    Unpack();
    offsets_[i] = Append(v);
  }
  // Starts a column of `rows` items filled in order by Push.
  void StartFill(std::size_t rows, std::size_t bytes) {
    Unpack();
    offsets_.clear();
    offsets_.reserve(rows);
    bytes_.reserve(bytes + 1);
  }
  void Push(std::string_view v) { offsets_.push_back(Append(v)); }
  // A new arena whose item i is item order[i] of this one.
  ByteArena Gathered(const std::vector<std::size_t>& order) const;
  std::size_t size() const { return packed_rows_ != kNotPacked ? packed_rows_ : offsets_.size(); }
  void Reserve(std::size_t rows, std::size_t bytes);

 private:
  static constexpr std::size_t kNotPacked = ~std::size_t{0};
  std::string_view GetArena(std::size_t i) const;
  std::string_view GetPacked(std::size_t i) const;
  std::size_t PackedSizeOf(std::size_t i) const;
  // Leaves the file form for the arena form before a change.
  void Unpack();
  std::uint32_t Append(std::string_view v);
  void Compact();
  // The file form (packed_rows_ != kNotPacked).
  std::size_t packed_rows_ = kNotPacked;
  PodVector<char> packed_data_;
  PodVector<std::uint8_t> packed_sizes_;
  PodVector<std::uint32_t> packed_marks_;
  int packed_width_ = 0;
  bool packed_le_ = true;
  int packed_trim_ = 0;
  // The last item found in order: the next row starts where it ends.
  mutable std::size_t cursor_row_ = kNotPacked;
  mutable std::uint64_t cursor_end_ = 0;
  PodVector<std::uint32_t> offsets_;  // 0 = the empty item
  PodVector<char> bytes_;
  std::size_t garbage_ = 0;
};

// The values of one column. Until materialized, every row holds the default.
struct Cells {
  Type type = Type::String;
  bool materialized = false;
  PackedInts ints;
  PodVector<std::int64_t> longs;
  PodVector<float> floats;
  PodVector<double> doubles;
  ByteArena items;
  std::vector<std::shared_ptr<Table>> subs;  // null = empty subview

  void Materialize(std::size_t rows);
  void InsertRows(std::size_t pos, std::size_t count);
  void EraseRows(std::size_t pos, std::size_t count);
  void Resize(std::size_t rows);
  // Row i takes the value row order[i] had; `order` is a permutation.
  void Permute(const std::vector<std::size_t>& order);
  // Entries held (meaningful once materialized).
  std::size_t Count() const;
};

enum class ColumnKind { Described, Hidden, Transient };

struct TableColumn {
  FieldDef def;
  ColumnKind kind = ColumnKind::Described;
  Cells cells;
  bool dirty = true;       // values changed since they were read or committed
  std::string stored_refs;  // the column references as last read or committed
};

struct Table : std::enable_shared_from_this<Table> {
  std::vector<TableColumn> cols;
  std::size_t rows = 0;
  std::weak_ptr<Table> parent;  // owning table of a nested view
  bool dirty = true;             // anything changed since read or committed

  static std::shared_ptr<Table> Make(const std::vector<FieldDef>& defs);
  void AddColumn(const FieldDef& def, ColumnKind kind);
  int Find(std::string_view name) const;
  std::size_t DescribedCount() const;
  std::vector<FieldDef> Described() const;
  // Fields of the nested views of subview column `col`.
  std::vector<FieldDef> SubDefs(int col) const;

  // Every materialized column holds one entry per row and has its declared
  // type: the invariant every row change keeps (checked in debug builds).
  bool ShapeOk() const;

  // Marks a column (or all, col < 0) changed, up through the owning tables.
  void Touch(int col);

  void InsertRows(std::size_t pos, std::size_t count);
  void EraseRows(std::size_t pos, std::size_t count);
  void Resize(std::size_t n);
  // Reorders every column: row i takes the values of row order[i].
  void Permute(const std::vector<std::size_t>& order);

  // Typed reads with conversion; rows outside give the default.
  std::string GetString(std::size_t row, int col) const;
  std::int32_t GetInt(std::size_t row, int col) const;
  std::int64_t GetLong(std::size_t row, int col) const;
  float GetFloat(std::size_t row, int col) const;
  double GetDouble(std::size_t row, int col) const;
  Bytes GetBytes(std::size_t row, int col) const;
  std::string_view Item(std::size_t row, int col) const;  // S and B only
  std::shared_ptr<Table> SubIfAny(std::size_t row, int col) const;
  std::shared_ptr<Table> Sub(std::size_t row, int col);  // creates an empty one
  Value Get(std::size_t row, int col) const;

  // Typed writes with conversion; the row must exist.
  void SetString(std::size_t row, int col, std::string_view v);
  void SetInt(std::size_t row, int col, std::int32_t v);
  void SetLong(std::size_t row, int col, std::int64_t v);
  void SetFloat(std::size_t row, int col, float v);
  void SetDouble(std::size_t row, int col, double v);
  void SetBytes(std::size_t row, int col, std::string_view v);
  Status Set(std::size_t row, int col, const Value& v);

  // Deep copy of the rows and described + hidden columns.
  std::shared_ptr<Table> Clone() const;
  // Copies one row's cells (same column layout).
  void CopyCell(std::size_t row, int col, const Table& src, std::size_t src_row, int src_col);
};

// Conversions shared by Bound, View and restructuring.
std::string FormatInt(std::int64_t v);
std::string FormatFloat(float v);    // "%g"
std::string FormatDouble(double v);  // "%.15g"
std::int64_t ParseInteger(std::string_view s);
double ParseReal(std::string_view s);
std::int64_t TruncateReal(double v);

// Compares two cells of the same type by the engine's rules.
int CompareCells(const Table& a, std::size_t ra, int ca, const Table& b, std::size_t rb, int cb);

}  // namespace sw::storage
