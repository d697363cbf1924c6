// View handles: row changes, typed and untyped field access, and the derived
// views (select, sort, project, group by) with the engine's comparison and
// ordering rules. Derived views are snapshots of base row numbers; field
// writes through them reach the base rows, structural changes are refused.
// Not for: storage-level operations (storage.cpp).
#include <algorithm>
#include <new>
#include <cmath>
#include <cstring>
#include <numeric>
#include <stdexcept>

#include "storage/storage_impl.h"

namespace sw::storage {

bool detail::ViewImpl::MapDerived(std::size_t row, int col, std::size_t* brow, int* bcol) const {
  if (col < 0 || static_cast<std::size_t>(col) >= cols.size() || row >= rows.size()) return false;
  *brow = rows[row];
  *bcol = cols[static_cast<std::size_t>(col)];
  return *brow < table->rows && *bcol >= 0 && static_cast<std::size_t>(*bcol) < table->cols.size();
}

using detail::ViewImpl;

namespace {

Status RefuseDerived() { return Status::Error("rows cannot be added, inserted or removed through a derived view"); }

Type TypeOfValue(const Value& v) {
  switch (v.index()) {
    case 2: return Type::Int;
    case 3: return Type::Long;
    case 4: return Type::Float;
    case 5: return Type::Double;
    case 6: return Type::Bytes;
    default: return Type::String;
  }
}

std::string ValueText(const Value& v) {
  switch (v.index()) {
    case 1: return std::get<std::string>(v);
    case 2: return FormatInt(std::get<std::int32_t>(v));
    case 3: return FormatInt(std::get<std::int64_t>(v));
    case 4: return FormatFloat(std::get<float>(v));
    case 5: return FormatDouble(std::get<double>(v));
    case 6: { const auto& b = std::get<Bytes>(v); return std::string(b.begin(), b.end()); }
    default: return {};
  }
}

double ValueReal(const Value& v) {
  switch (v.index()) {
    case 1: return ParseReal(std::get<std::string>(v));
    case 2: return std::get<std::int32_t>(v);
    case 3: return static_cast<double>(std::get<std::int64_t>(v));
    case 4: return std::get<float>(v);
    case 5: return std::get<double>(v);
    default: return 0.0;
  }
}

std::int64_t ValueLong(const Value& v) {
  switch (v.index()) {
    case 1: return ParseInteger(std::get<std::string>(v));
    case 2: return std::get<std::int32_t>(v);
    case 3: return std::get<std::int64_t>(v);
    case 4: case 5: return TruncateReal(ValueReal(v));
    default: return 0;
  }
}

// Whether a cell equals a pattern value (text without regard to case).
bool Matches(const Table& t, std::size_t row, int col, const Value& v) {
  if (col < 0) {
    // A column the view lacks holds the default everywhere.
    switch (v.index()) {
      case 0: return true;
      case 1: return std::get<std::string>(v).empty();
      case 6: return std::get<Bytes>(v).empty();
      default: return ValueReal(v) == 0.0;
    }
  }
  switch (t.cols[static_cast<std::size_t>(col)].cells.type) {
    case Type::String: return EqualText(t.Item(row, col), ValueText(v));
    case Type::Bytes: return t.Item(row, col) == ValueText(v);
    case Type::Int: return t.GetInt(row, col) == static_cast<std::int32_t>(static_cast<std::uint64_t>(ValueLong(v)));
    case Type::Long: return t.GetLong(row, col) == ValueLong(v);
    case Type::Float: return t.GetFloat(row, col) == static_cast<float>(ValueReal(v));
    case Type::Double: return t.GetDouble(row, col) == ValueReal(v);
    case Type::Subview: return true;
  }
  return false;
}

std::shared_ptr<ViewImpl> DerivedFrom(const ViewImpl& v) {
  auto d = std::make_shared<ViewImpl>();
  d->table = v.table;
  d->derived = true;
  return d;
}

std::vector<int> AllColumns(const ViewImpl& v) {
  if (v.derived) return v.cols;
  std::vector<int> c(v.table->cols.size());
  std::iota(c.begin(), c.end(), 0);
  return c;
}

std::size_t BaseRow(const ViewImpl& v, std::size_t row) { return v.derived ? v.rows[row] : row; }

// Appends bytes whose unsigned byte order is the engine's order of the cell,
// so that a row's leading sort columns compare as one memcmp. Text folds
// A-Z to a-z; zero and one bytes are escaped so that the 0 terminator sorts
// a prefix first. Numbers are big-endian with the sign flipped; -0 equals 0
// and every NaN sorts last, as CompareCells has it.
void AppendSortBytes(std::string& key, const Table& t, std::size_t row, int col) {
  const Type type = t.cols[static_cast<std::size_t>(col)].cells.type;
  auto put64 = [&key](std::uint64_t v) {
    for (int shift = 56; shift >= 0; shift -= 8) key.push_back(static_cast<char>((v >> shift) & 0xFF));
  };
  switch (type) {
    case Type::String: case Type::Bytes: {
      for (char ch : t.Item(row, col)) {
        auto b = static_cast<unsigned char>(ch);
        if (type == Type::String && b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
        if (b <= 1) {
          key.push_back('\x01');
          key.push_back(static_cast<char>(b + 1));
        } else {
          key.push_back(static_cast<char>(b));
        }
      }
      key.push_back('\0');
      return;
    }
    case Type::Int: case Type::Long:
      put64(static_cast<std::uint64_t>(t.GetLong(row, col)) ^ (std::uint64_t{1} << 63));
      return;
    case Type::Float: case Type::Double: {
      double v = type == Type::Float ? static_cast<double>(t.GetFloat(row, col)) : t.GetDouble(row, col);
      if (std::isnan(v)) {
        put64(~std::uint64_t{0});
        return;
      }
      if (v == 0.0) v = 0.0;  // -0 sorts with 0
      std::uint64_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      put64((bits >> 63) ? ~bits : bits | (std::uint64_t{1} << 63));
      return;
    }
    case Type::Subview:
      return;
  }
}

// Row order of a sort: keys, then every other column, then base position.
// The leading ascending columns are encoded once per row so that most
// comparisons are one memcmp over contiguous bytes.
std::vector<std::size_t> SortedRows(const ViewImpl& v, const std::vector<int>& order, const std::vector<bool>& descending) {
  std::vector<std::size_t> idx(v.Size());
  std::iota(idx.begin(), idx.end(), 0);
  const Table& t = *v.table;
  std::size_t encoded = 0;
  while (encoded < order.size() && encoded < 8 && !descending[encoded] &&
         t.cols[static_cast<std::size_t>(order[encoded])].cells.type != Type::Subview) {
    ++encoded;
  }
  std::string keys;
  std::vector<std::size_t> key_start(idx.size() + 1, 0);
  if (encoded > 0) {
    for (std::size_t r = 0; r < idx.size(); ++r) {
      key_start[r] = keys.size();
      for (std::size_t k = 0; k < encoded; ++k) AppendSortBytes(keys, t, BaseRow(v, r), order[k]);
    }
    key_start[idx.size()] = keys.size();
  }
  auto key = [&](std::size_t r) {
    return std::string_view(keys.data() + key_start[r], key_start[r + 1] - key_start[r]);
  };
  // The first 24 key bytes of each row (zero-padded, big-endian words) ride
  // along with its index, so that most comparisons touch only the array
  // being sorted, even when the leading key columns repeat from row to row.
  constexpr std::size_t kWords = 3;
  struct Entry {
    std::uint64_t prefix[kWords];
    std::size_t row;
  };
  std::vector<Entry> entries(idx.size());
  for (std::size_t r = 0; r < idx.size(); ++r) {
    Entry& e = entries[r];
    const std::string_view k = encoded > 0 ? key(r) : std::string_view();
    for (std::size_t w = 0; w < kWords; ++w) {
      std::uint64_t word = 0;
      for (std::size_t b = w * 8; b < w * 8 + 8; ++b)
        word = (word << 8) | (b < k.size() ? static_cast<unsigned char>(k[b]) : 0u);
      e.prefix[w] = word;
    }
    e.row = r;
  }
  std::sort(entries.begin(), entries.end(), [&](const Entry& ea, const Entry& eb) {
    for (std::size_t w = 0; w < kWords; ++w)
      if (ea.prefix[w] != eb.prefix[w]) return ea.prefix[w] < eb.prefix[w];
    const std::size_t a = ea.row, b = eb.row;
    if (encoded > 0) {
      const int c = key(a).compare(key(b));
      if (c != 0) return c < 0;
    }
    const std::size_t ra = BaseRow(v, a), rb = BaseRow(v, b);
    for (std::size_t k = encoded; k < order.size(); ++k) {
      const int c = CompareCells(t, ra, order[k], t, rb, order[k]);
      if (c != 0) return descending[k] ? c > 0 : c < 0;
    }
    return ra < rb;
  });
  for (std::size_t r = 0; r < idx.size(); ++r) idx[r] = entries[r].row;
  return idx;
}

template <class F>
auto Guard(F&& f, decltype(f()) fallback) -> decltype(f()) {
  try {
    return f();
  } catch (const std::exception&) {
    return fallback;
  }
}


}  // namespace

// ------------------------------------------------------------------- Row ---

Row& Row::Set(std::string_view column, Value value) {
  for (auto& [name, v] : values_) {
    if (EqualText(name, column)) {
      v = std::move(value);
      return *this;
    }
  }
  values_.emplace_back(std::string(column), std::move(value));
  return *this;
}

// ------------------------------------------------------------------ View ---

View::View() : impl_(std::make_shared<ViewImpl>()) { impl_->table = std::make_shared<Table>(); }
View::View(std::shared_ptr<ViewImpl> impl) : impl_(std::move(impl)) {}

std::size_t View::Size() const { return impl_->Size(); }
bool View::IsDerived() const { return impl_->derived; }
std::size_t View::ColumnCount() const { return impl_->ColumnCount(); }

ColumnInfo View::ColumnAt(std::size_t index) const {
  if (index >= ColumnCount()) return ColumnInfo{"", Type::String};
  const int c = impl_->derived ? impl_->cols[index] : static_cast<int>(index);
  const auto& def = impl_->table->cols[static_cast<std::size_t>(c)].def;
  return ColumnInfo{def.name, def.type};
}

int View::ColumnIndex(std::string_view name) const {
  for (std::size_t i = 0; i < ColumnCount(); ++i) {
    const int c = impl_->derived ? impl_->cols[i] : static_cast<int>(i);
    if (EqualText(impl_->table->cols[static_cast<std::size_t>(c)].def.name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string View::Describe() const {
  std::vector<FieldDef> defs;
  for (std::size_t i = 0; i < ColumnCount(); ++i) {
    const int c = impl_->derived ? impl_->cols[i] : static_cast<int>(i);
    const auto& col = impl_->table->cols[static_cast<std::size_t>(c)];
    if (col.kind == ColumnKind::Described) defs.push_back(col.def);
  }
  return FormatFields(defs);
}

void View::BindImpl(std::string_view name, Type type, std::shared_ptr<ViewImpl>* impl, int* index, bool* present) const {
  *impl = impl_;
  *index = ColumnIndex(name);
  *present = *index >= 0;
  if (*present) return;
  try {
    FieldDef def;
    def.name = std::string(name);
    def.type = type;
    impl_->table->AddColumn(def, ColumnKind::Transient);
    const int base = static_cast<int>(impl_->table->cols.size()) - 1;
    if (impl_->derived) impl_->cols.push_back(base);
    *index = static_cast<int>(ColumnCount()) - 1;
  } catch (const std::exception&) {
    *index = -1;
  }
}

static Status ApplyRow(Table& t, std::size_t row, const Row& values) {
  for (const auto& [name, v] : values.values()) {
    if (v.index() == 0) continue;
    int c = t.Find(name);
    if (c < 0) {
      FieldDef def;
      def.name = name;
      def.type = TypeOfValue(v);
      t.AddColumn(def, ColumnKind::Transient);
      c = static_cast<int>(t.cols.size()) - 1;
    }
    Status st = t.Set(row, c, v);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

long View::Add(const Row& row) {
  if (impl_->derived) return -1;
  return Guard([&]() -> long {
    Table& t = *impl_->table;
    const std::size_t at = t.rows;
    t.InsertRows(at, 1);
    if (!ApplyRow(t, at, row).ok()) return -1;
    return static_cast<long>(at);
  }, -1L);
}

Status View::InsertAt(std::size_t position, const Row& row, std::size_t count) {
  if (impl_->derived) return RefuseDerived();
  return detail::CatchAll([&]() -> Status {
    Table& t = *impl_->table;
    if (position > t.rows) return Status::Error("insert position " + std::to_string(position) + " is beyond the view's " + std::to_string(t.rows) + " rows");
    t.InsertRows(position, count);
    for (std::size_t i = 0; i < count; ++i) {
      Status st = ApplyRow(t, position + i, row);
      if (!st.ok()) return st;
    }
    return Status::Ok();
  });
}

Status View::RemoveAt(std::size_t position, std::size_t count) {
  if (impl_->derived) return RefuseDerived();
  return detail::CatchAll([&]() -> Status {
    Table& t = *impl_->table;
    if (position > t.rows || count > t.rows - position) {
      return Status::Error("cannot remove rows " + std::to_string(position) + ".." + std::to_string(position + count) + " of a view with " + std::to_string(t.rows) + " rows");
    }
    if (count) t.EraseRows(position, count);
    return Status::Ok();
  });
}

Status View::Reorder(const std::vector<std::size_t>& order) {
  if (impl_->derived) return RefuseDerived();
  return detail::CatchAll([&]() -> Status {
    Table& t = *impl_->table;
    if (order.size() != t.rows) return Status::Error("a new row order must name every row once");
    std::vector<bool> seen(order.size(), false);
    bool identity = true;
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (order[i] >= order.size() || seen[order[i]]) return Status::Error("a new row order must name every row once");
      seen[order[i]] = true;
      identity = identity && order[i] == i;
    }
    if (!identity) t.Permute(order);
    return Status::Ok();
  });
}

Status View::SetSize(std::size_t size) {
  if (impl_->derived) return RefuseDerived();
  return detail::CatchAll([&]() -> Status {
    if (size > 0x7FFFFFFF) return Status::Error("too many rows");
    impl_->table->Resize(size);
    return Status::Ok();
  });
}

Status View::Replace(std::size_t row_index, const View& source, std::size_t row) {
  return detail::CatchAll([&]() -> Status {
    if (row_index >= Size()) return Status::Error("row " + std::to_string(row_index) + " is outside the view");
    if (row >= source.Size()) return Status::Error("source row " + std::to_string(row) + " is outside the source view");
    Table& t = *impl_->table;
    const std::size_t brow = BaseRow(*impl_, row_index);
    const Table& s = *source.impl_->table;
    const std::size_t srow = BaseRow(*source.impl_, row);
    const auto mine = AllColumns(*impl_);
    for (int c : mine) {
      const int sc = source.ColumnIndex(t.cols[static_cast<std::size_t>(c)].def.name);
      if (sc >= 0) {
        const int sbc = source.impl_->derived ? source.impl_->cols[static_cast<std::size_t>(sc)] : sc;
        t.CopyCell(brow, c, s, srow, sbc);
      } else {
        // Columns the source lacks get their defaults.
        auto empty = Table::Make({t.cols[static_cast<std::size_t>(c)].def});
        empty->rows = 1;
        t.CopyCell(brow, c, *empty, 0, 0);
      }
    }
    if (impl_->derived) return Status::Ok();
    for (std::size_t i = 0; i < source.ColumnCount(); ++i) {
      const ColumnInfo info = source.ColumnAt(i);
      if (ColumnIndex(info.name) >= 0 || info.type == Type::Subview) continue;
      FieldDef def;
      def.name = info.name;
      def.type = info.type;
      t.AddColumn(def, ColumnKind::Transient);
      const int sbc = source.impl_->derived ? source.impl_->cols[i] : static_cast<int>(i);
      t.CopyCell(brow, static_cast<int>(t.cols.size()) - 1, s, srow, sbc);
    }
    return Status::Ok();
  });
}

Value View::Get(std::size_t row, std::size_t column) const {
  std::size_t r;
  int c;
  if (!impl_->Map(row, static_cast<int>(column), &r, &c)) {
    if (column >= ColumnCount()) return std::monostate{};
    // Outside the rows: the column's default.
    const int bc = impl_->derived ? impl_->cols[column] : static_cast<int>(column);
    if (bc < 0 || static_cast<std::size_t>(bc) >= impl_->table->cols.size()) return std::monostate{};
    return impl_->table->Get(impl_->table->rows, bc);
  }
  return Guard([&]() -> Value { return impl_->table->Get(r, c); }, Value{});
}

Status View::Set(std::size_t row, std::size_t column, const Value& value) {
  std::size_t r;
  int c;
  if (!impl_->Map(row, static_cast<int>(column), &r, &c)) {
    return Status::Error("cell (" + std::to_string(row) + ", " + std::to_string(column) + ") is outside the view");
  }
  return detail::CatchAll([&]() { return impl_->table->Set(r, c, value); });
}

std::string View::GetText(std::size_t row, std::size_t column) const {
  std::size_t r;
  int c;
  if (!impl_->Map(row, static_cast<int>(column), &r, &c)) return {};
  return Guard([&]() { return impl_->table->GetString(r, c); }, std::string());
}

View View::Subview(std::size_t row, std::size_t column) const {
  std::size_t r;
  int c;
  if (!impl_->Map(row, static_cast<int>(column), &r, &c)) return View();
  if (impl_->table->cols[static_cast<std::size_t>(c)].cells.type != Type::Subview) return View();
  return Guard([&]() {
    auto v = std::make_shared<ViewImpl>();
    v->table = impl_->table->Sub(r, c);
    return View(v);
  }, View());
}

View View::Subview(std::size_t row, const SubviewColumn& column) const {
  const int c = ColumnIndex(column.name);
  if (c < 0) return View();
  return Subview(row, static_cast<std::size_t>(c));
}

Result<View> View::Select(const Row& pattern) const {
  return detail::CatchAll([&]() -> Result<View> {
    auto d = DerivedFrom(*impl_);
    d->cols = AllColumns(*impl_);
    std::vector<std::pair<int, const Value*>> tests;
    for (const auto& [name, v] : pattern.values()) {
      const int i = ColumnIndex(name);
      tests.emplace_back(i < 0 ? -1 : (impl_->derived ? impl_->cols[static_cast<std::size_t>(i)] : i), &v);
    }
    for (std::size_t r = 0; r < Size(); ++r) {
      const std::size_t br = BaseRow(*impl_, r);
      if (br >= impl_->table->rows) continue;
      bool ok = true;
      for (const auto& [c, v] : tests) ok = ok && Matches(*impl_->table, br, c, *v);
      if (ok) d->rows.push_back(br);
    }
    return View(d);
  });
}

long View::Find(const Row& pattern, std::size_t start) const {
  return Guard([&]() -> long {
    std::vector<std::pair<int, const Value*>> tests;
    for (const auto& [name, v] : pattern.values()) {
      const int i = ColumnIndex(name);
      tests.emplace_back(i < 0 ? -1 : (impl_->derived ? impl_->cols[static_cast<std::size_t>(i)] : i), &v);
    }
    for (std::size_t r = start; r < Size(); ++r) {
      const std::size_t br = BaseRow(*impl_, r);
      if (br >= impl_->table->rows) continue;
      bool ok = true;
      for (const auto& [c, v] : tests) ok = ok && Matches(*impl_->table, br, c, *v);
      if (ok) return static_cast<long>(r);
    }
    return -1L;
  }, -1L);
}

Result<View> View::SortOn(const std::vector<std::string>& columns, const std::vector<std::string>& reverse) const {
  return detail::CatchAll([&]() -> Result<View> {
    const auto all = AllColumns(*impl_);
    std::vector<int> order;  // view column indexes
    for (const auto& name : columns) {
      const int i = ColumnIndex(name);
      if (i >= 0 && std::find(order.begin(), order.end(), i) == order.end()) order.push_back(i);
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (std::find(order.begin(), order.end(), static_cast<int>(i)) == order.end()) order.push_back(static_cast<int>(i));
    }
    std::vector<int> base_order;
    std::vector<bool> desc;
    for (int i : order) {
      base_order.push_back(all[static_cast<std::size_t>(i)]);
      const auto& name = impl_->table->cols[static_cast<std::size_t>(all[static_cast<std::size_t>(i)])].def.name;
      bool rev = false;
      for (const auto& r : reverse) rev = rev || EqualText(r, name);
      desc.push_back(rev);
    }
    auto d = DerivedFrom(*impl_);
    d->cols = base_order;
    for (std::size_t r : SortedRows(*impl_, base_order, desc)) d->rows.push_back(BaseRow(*impl_, r));
    return View(d);
  });
}

Result<View> View::Project(const std::vector<std::string>& columns) const {
  return detail::CatchAll([&]() -> Result<View> {
    auto d = DerivedFrom(*impl_);
    const auto all = AllColumns(*impl_);
    for (const auto& name : columns) {
      const int i = ColumnIndex(name);
      if (i >= 0) d->cols.push_back(all[static_cast<std::size_t>(i)]);
    }
    for (std::size_t r = 0; r < Size(); ++r) d->rows.push_back(BaseRow(*impl_, r));
    return View(d);
  });
}

Result<View> View::GroupBy(const std::vector<std::string>& keys, std::string_view subview_name) const {
  return detail::CatchAll([&]() -> Result<View> {
    const auto all = AllColumns(*impl_);
    const Table& base = *impl_->table;
    std::vector<int> key_cols, rest_cols;
    for (const auto& name : keys) {
      const int i = ColumnIndex(name);
      if (i >= 0 && std::find(key_cols.begin(), key_cols.end(), all[static_cast<std::size_t>(i)]) == key_cols.end()) {
        key_cols.push_back(all[static_cast<std::size_t>(i)]);
      }
    }
    for (int c : all) {
      if (std::find(key_cols.begin(), key_cols.end(), c) == key_cols.end()) rest_cols.push_back(c);
    }
    std::vector<int> order = key_cols;
    order.insert(order.end(), rest_cols.begin(), rest_cols.end());
    const auto sorted = SortedRows(*impl_, order, std::vector<bool>(order.size(), false));

    std::vector<FieldDef> key_defs, rest_defs;
    for (int c : key_cols) key_defs.push_back(base.cols[static_cast<std::size_t>(c)].def);
    for (int c : rest_cols) rest_defs.push_back(base.cols[static_cast<std::size_t>(c)].def);
    FieldDef sub;
    sub.name = std::string(subview_name);
    sub.type = Type::Subview;
    sub.sub = rest_defs;
    auto defs = key_defs;
    defs.push_back(sub);
    auto out = Table::Make(defs);
    const int sub_col = static_cast<int>(key_defs.size());
    std::shared_ptr<Table> group;
    std::size_t first = 0;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
      const std::size_t br = BaseRow(*impl_, sorted[k]);
      bool same = group != nullptr;
      for (std::size_t j = 0; same && j < key_cols.size(); ++j) {
        same = CompareCells(base, br, key_cols[j], base, first, key_cols[j]) == 0;
      }
      if (!same) {
        const std::size_t at = out->rows;
        out->InsertRows(at, 1);
        for (std::size_t j = 0; j < key_cols.size(); ++j) out->CopyCell(at, static_cast<int>(j), base, br, key_cols[j]);
        group = out->Sub(at, sub_col);
        first = br;
      }
      const std::size_t gr = group->rows;
      group->InsertRows(gr, 1);
      for (std::size_t j = 0; j < rest_cols.size(); ++j) group->CopyCell(gr, static_cast<int>(j), base, br, rest_cols[j]);
    }
    auto v = std::make_shared<ViewImpl>();
    v->table = out;
    return View(v);
  });
}

std::size_t View::BaseIndex(std::size_t row) const {
  if (!impl_->derived) return row;
  return row < impl_->rows.size() ? impl_->rows[row] : row;
}

Result<View> View::Copy() const {
  return detail::CatchAll([&]() -> Result<View> {
    auto v = std::make_shared<ViewImpl>();
    if (!impl_->derived) {
      v->table = impl_->table->Clone();
      v->table->parent.reset();
      return View(v);
    }
    std::vector<FieldDef> defs;
    for (int c : impl_->cols) defs.push_back(impl_->table->cols[static_cast<std::size_t>(c)].def);
    auto t = Table::Make(defs);
    t->InsertRows(0, impl_->rows.size());
    for (std::size_t r = 0; r < impl_->rows.size(); ++r) {
      if (impl_->rows[r] >= impl_->table->rows) continue;
      for (std::size_t j = 0; j < impl_->cols.size(); ++j) {
        t->CopyCell(r, static_cast<int>(j), *impl_->table, impl_->rows[r], impl_->cols[j]);
      }
    }
    v->table = t;
    return View(v);
  });
}

// ----------------------------------------------------------------- Bound ---

namespace {

template <Type T>
typename ValueOf<T>::type Read(const Table& t, std::size_t r, int c);
template <> std::string Read<Type::String>(const Table& t, std::size_t r, int c) {
  const auto& cells = t.cols[static_cast<std::size_t>(c)].cells;
  if (cells.type == Type::String) return std::string(t.Item(r, c));
  return t.GetString(r, c);
}
template <> std::int32_t Read<Type::Int>(const Table& t, std::size_t r, int c) { return t.GetInt(r, c); }
template <> std::int64_t Read<Type::Long>(const Table& t, std::size_t r, int c) { return t.GetLong(r, c); }
template <> float Read<Type::Float>(const Table& t, std::size_t r, int c) { return t.GetFloat(r, c); }
template <> double Read<Type::Double>(const Table& t, std::size_t r, int c) { return t.GetDouble(r, c); }
template <> Bytes Read<Type::Bytes>(const Table& t, std::size_t r, int c) { return t.GetBytes(r, c); }

void Write(Table& t, std::size_t r, int c, const std::string& v) { t.SetString(r, c, v); }
void Write(Table& t, std::size_t r, int c, std::int32_t v) { t.SetInt(r, c, v); }
void Write(Table& t, std::size_t r, int c, std::int64_t v) { t.SetLong(r, c, v); }
void Write(Table& t, std::size_t r, int c, float v) { t.SetFloat(r, c, v); }
void Write(Table& t, std::size_t r, int c, double v) { t.SetDouble(r, c, v); }
void Write(Table& t, std::size_t r, int c, const Bytes& v) {
  t.SetBytes(r, c, std::string_view(reinterpret_cast<const char*>(v.data()), v.size()));
}

}  // namespace

template <Type T>
typename Bound<T>::value_type Bound<T>::Get(std::size_t row) const {
  if (!impl_) return value_type{};
  std::size_t r;
  int c;
  if (!impl_->Map(row, index_, &r, &c)) return value_type{};
  try {
    return Read<T>(*impl_->table, r, c);
  } catch (const std::exception&) {
    return value_type{};
  }
}

template <Type T>
std::string_view Bound<T>::Peek(std::size_t row, std::string& scratch) const
  requires(T == Type::String)
{
  if (!impl_) return {};
  std::size_t r;
  int c;
  if (!impl_->Map(row, index_, &r, &c)) return {};
  const Table& table = *impl_->table;
  const Cells& cells = table.cols[static_cast<std::size_t>(c)].cells;
  if (cells.type == Type::String) return cells.materialized ? cells.items.Get(r) : std::string_view();
  try {
    scratch = table.GetString(r, c);
  } catch (const std::exception&) {
    scratch.clear();
  }
  return scratch;
}

template <Type T>
Status Bound<T>::Set(std::size_t row, const value_type& value) const {
  if (!impl_) return Status::Error("the column handle is not bound to a view");
  std::size_t r;
  int c;
  if (!impl_->Map(row, index_, &r, &c)) return Status::Error("row " + std::to_string(row) + " is outside the view");
  return detail::CatchAll([&]() {
    Write(*impl_->table, r, c, value);
    return Status::Ok();
  });
}

template class Bound<Type::String>;
template class Bound<Type::Int>;
template class Bound<Type::Long>;
template class Bound<Type::Float>;
template class Bound<Type::Double>;
template class Bound<Type::Bytes>;

}  // namespace sw::storage
