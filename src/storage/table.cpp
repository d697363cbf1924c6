// The in-memory column store: compact columns, row changes, typed access
// with conversions, and change marks that tell commit what to rewrite.
#include "storage/table.h"

#include "storage/coding.h"

#include <cassert>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace sw::storage {

// ------------------------------------------------------------ PackedInts ---

std::int32_t PackedInts::Get(std::size_t i) const {
  assert(i < size_);
  switch (width_) {
    case 0: return 0;
    case 1: return static_cast<std::int8_t>(data_[i]);
    case 2: { std::int16_t v; std::memcpy(&v, &data_[i * 2], 2); return v; }
    default: { std::int32_t v; std::memcpy(&v, &data_[i * 4], 4); return v; }
  }
}

static int BytesFor(std::int32_t v) {
  if (v == 0) return 0;
  if (v >= -128 && v <= 127) return 1;
  if (v >= -32768 && v <= 32767) return 2;
  return 4;
}

void PackedInts::Widen(int width) {
  PodVector<std::uint8_t> wide;
  wide.resize(size_ * static_cast<std::size_t>(width));
  for (std::size_t i = 0; i < size_; ++i) {
    const std::int32_t v = Get(i);
    if (width == 1) wide[i] = static_cast<std::uint8_t>(v);
    else if (width == 2) { const auto s = static_cast<std::int16_t>(v); std::memcpy(&wide[i * 2], &s, 2); }
    else std::memcpy(&wide[i * 4], &v, 4);
  }
  data_ = std::move(wide);
  width_ = width;
}

void PackedInts::Set(std::size_t i, std::int32_t v) {
  assert(i < size_);
  const int need = BytesFor(v);
  if (need > width_) Widen(need);
  switch (width_) {
    case 0: return;
    case 1: data_[i] = static_cast<std::uint8_t>(v); return;
    case 2: { const auto s = static_cast<std::int16_t>(v); std::memcpy(&data_[i * 2], &s, 2); return; }
    default: std::memcpy(&data_[i * 4], &v, 4); return;
  }
}

void PackedInts::Resize(std::size_t n) {
  data_.resize(n * static_cast<std::size_t>(width_));
  size_ = n;
}

void PackedInts::Insert(std::size_t pos, std::size_t count) {
  const auto w = static_cast<std::size_t>(width_);
  data_.insert(pos * w, count * w, 0);
  size_ += count;
}

void PackedInts::Erase(std::size_t pos, std::size_t count) {
  const auto w = static_cast<std::size_t>(width_);
  data_.erase(pos * w, count * w);
  size_ -= count;
}

void PackedInts::PushBack(std::int32_t v) {
  Resize(size_ + 1);
  Set(size_ - 1, v);
}

// ------------------------------------------------------------- ByteArena ---

ByteArena::ByteArena() { bytes_.push_back('\0'); }

static std::size_t GetLength(const char* p, std::size_t* header) {
  std::size_t len = 0;
  int shift = 0;
  std::size_t n = 0;
  for (;;) {
    const auto b = static_cast<unsigned char>(p[n++]);
    len |= static_cast<std::size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
    shift += 7;
  }
  *header = n;
  return len;
}

std::size_t ByteArena::PackedSizeOf(std::size_t i) const {
  return static_cast<std::size_t>(coding::GetPacked(packed_sizes_.data(), i, packed_width_, packed_le_));
}

std::string_view ByteArena::GetPacked(std::size_t i) const {
  assert(i < packed_rows_);
  std::uint64_t start;
  if (cursor_row_ != kNotPacked && i == cursor_row_ + 1) {
    start = cursor_end_;
  } else {
    start = packed_marks_[i >> 4];
    for (std::size_t j = i & ~std::size_t{15}; j < i; ++j) start += PackedSizeOf(j);
  }
  const std::size_t n = PackedSizeOf(i);
  cursor_row_ = i;
  cursor_end_ = start + n;
  assert(cursor_end_ <= packed_data_.size());
  if (n == 0) return {};
  return std::string_view(packed_data_.data() + start, n - static_cast<std::size_t>(packed_trim_));
}

void ByteArena::AdoptPacked(PodVector<char> data, PodVector<std::uint8_t> sizes, PodVector<std::uint32_t> marks,
                            std::size_t rows, int width, bool little_endian, int trim) {
  offsets_.clear();
  bytes_.clear();
  bytes_.push_back('\0');
  garbage_ = 0;
  packed_data_ = std::move(data);
  packed_sizes_ = std::move(sizes);
  packed_marks_ = std::move(marks);
  packed_rows_ = rows;
  packed_width_ = width;
  packed_le_ = little_endian;
  packed_trim_ = trim;
  cursor_row_ = kNotPacked;
}

void ByteArena::Unpack() {
  if (packed_rows_ == kNotPacked) return;
  const std::size_t rows = packed_rows_;
  PodVector<std::uint32_t> offsets;
  offsets.resize_uninitialized(rows);
  bytes_.clear();
  bytes_.reserve(packed_data_.size() + rows + 1);
  bytes_.push_back('\0');
  garbage_ = 0;
  offsets_.clear();
  for (std::size_t i = 0; i < rows; ++i) offsets[i] = Append(GetPacked(i));
  offsets_ = std::move(offsets);
  packed_rows_ = kNotPacked;
  packed_data_ = PodVector<char>();
  packed_sizes_ = PodVector<std::uint8_t>();
  packed_marks_ = PodVector<std::uint32_t>();
  cursor_row_ = kNotPacked;
}

std::string_view ByteArena::GetArena(std::size_t i) const {
  const std::uint32_t off = offsets_[i];
  assert(off < bytes_.size());
  std::size_t header = 0;
  const std::size_t len = GetLength(bytes_.data() + off, &header);
  return std::string_view(bytes_.data() + off + header, len);
}

ByteArena ByteArena::Gathered(const std::vector<std::size_t>& order) const {
  ByteArena out;
  if (packed_rows_ != kNotPacked) {
    out.StartFill(order.size(), packed_data_.size());
    for (std::size_t i : order) out.Push(GetPacked(i));
    return out;
  }
  out.StartFill(order.size(), bytes_.size());
  // Rows in a new order are reads all over the arena: each item's offset and
  // then its bytes are fetched into the cache some rows ahead of their use.
  constexpr std::size_t kAhead = 8;
  const std::size_t n = order.size();
  for (std::size_t k = 0; k < n; ++k) {
#if defined(__GNUC__)
    if (k + 2 * kAhead < n) __builtin_prefetch(&offsets_[order[k + 2 * kAhead]]);
    if (k + kAhead < n) __builtin_prefetch(bytes_.data() + offsets_[order[k + kAhead]]);
#endif
    out.Push(GetArena(order[k]));
  }
  return out;
}

std::uint32_t ByteArena::Append(std::string_view v) {
  if (v.empty()) return 0;
  if (v.data() >= bytes_.data() && v.data() < bytes_.data() + bytes_.size()) {
    // An item of this arena copied within it: the arena may move as it
    // grows, so the bytes are taken out first.
    const std::string copy(v);
    return Append(copy);
  }
  if (bytes_.size() + v.size() + 10 > std::numeric_limits<std::uint32_t>::max()) {
    Compact();
    if (bytes_.size() + v.size() + 10 > std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error("a text column exceeds 4 GB");
    }
  }
  const auto off = static_cast<std::uint32_t>(bytes_.size());
  char head[10];
  int h = 0;
  std::size_t len = v.size();
  do {
    unsigned char b = len & 0x7F;
    len >>= 7;
    if (len) b |= 0x80;
    head[h++] = static_cast<char>(b);
  } while (len);
  const std::size_t at = bytes_.size();
  if (at + h + v.size() > bytes_.capacity_hint()) bytes_.reserve(std::max(at + h + v.size(), bytes_.capacity_hint() + bytes_.capacity_hint() / 2));
  bytes_.resize_uninitialized(at + h + v.size());
  std::memcpy(bytes_.data() + at, head, static_cast<std::size_t>(h));
  std::memcpy(bytes_.data() + at + h, v.data(), v.size());
  return off;
}

void ByteArena::Set(std::size_t i, std::string_view v) {
  if (packed_rows_ != kNotPacked) {
    // The new value may be an item of this column: keep it across the change.
    const std::string copy(v);
    Unpack();
    Set(i, copy);
    return;
  }
  const std::string_view old = Get(i);
  if (old.size() == v.size() && !v.empty()) {
    std::memmove(const_cast<char*>(old.data()), v.data(), v.size());
    return;
  }
  garbage_ += old.size();
  offsets_[i] = Append(v);
  if (garbage_ > (1u << 20) && garbage_ * 2 > bytes_.size()) Compact();
}

void ByteArena::Compact() {
  PodVector<char> old = std::move(bytes_);
  bytes_ = PodVector<char>();
  bytes_.reserve(old.size() - garbage_ + 1);
  bytes_.push_back('\0');
  garbage_ = 0;
  for (std::size_t i = 0; i < offsets_.size(); ++i) {
    std::uint32_t& off = offsets_[i];
    std::size_t header = 0;
    const std::size_t len = GetLength(old.data() + off, &header);
    off = Append(std::string_view(old.data() + off + header, len));
  }
}

void ByteArena::Resize(std::size_t n) {
  Unpack();
  for (std::size_t i = n; i < offsets_.size(); ++i) garbage_ += Get(i).size();
  offsets_.resize(n, 0);
}

void ByteArena::Insert(std::size_t pos, std::size_t count) {
  Unpack();
  offsets_.insert(pos, count, 0);
}

void ByteArena::Erase(std::size_t pos, std::size_t count) {
  Unpack();
  for (std::size_t i = pos; i < pos + count; ++i) garbage_ += Get(i).size();
  offsets_.erase(pos, count);
}

void ByteArena::PushBack(std::string_view v) {
  if (packed_rows_ != kNotPacked) {
    const std::string copy(v);
    Unpack();
    offsets_.push_back(Append(copy));
    return;
  }
  offsets_.push_back(Append(v));
}

void ByteArena::Reserve(std::size_t rows, std::size_t bytes) {
  Unpack();
  offsets_.reserve(rows);
  bytes_.reserve(bytes);
}

// ----------------------------------------------------------------- Cells ---

void Cells::Materialize(std::size_t rows) {
  if (materialized) return;
  materialized = true;
  switch (type) {
    case Type::Int: ints.Resize(rows); break;
    case Type::Long: longs.assign(rows, 0); break;
    case Type::Float: floats.assign(rows, 0.0f); break;
    case Type::Double: doubles.assign(rows, 0.0); break;
    case Type::String: case Type::Bytes: items.Resize(rows); break;
    case Type::Subview: subs.assign(rows, nullptr); break;
  }
}

void Cells::InsertRows(std::size_t pos, std::size_t count) {
  if (!materialized) return;
  switch (type) {
    case Type::Int: ints.Insert(pos, count); break;
    case Type::Long: longs.insert(pos, count, 0); break;
    case Type::Float: floats.insert(pos, count, 0.0f); break;
    case Type::Double: doubles.insert(pos, count, 0.0); break;
    case Type::String: case Type::Bytes: items.Insert(pos, count); break;
    case Type::Subview: subs.insert(subs.begin() + static_cast<std::ptrdiff_t>(pos), count, nullptr); break;
  }
}

void Cells::EraseRows(std::size_t pos, std::size_t count) {
  if (!materialized) return;
  switch (type) {
    case Type::Int: ints.Erase(pos, count); break;
    case Type::Long: longs.erase(pos, count); break;
    case Type::Float: floats.erase(pos, count); break;
    case Type::Double: doubles.erase(pos, count); break;
    case Type::String: case Type::Bytes: items.Erase(pos, count); break;
    case Type::Subview: subs.erase(subs.begin() + static_cast<std::ptrdiff_t>(pos), subs.begin() + static_cast<std::ptrdiff_t>(pos + count)); break;
  }
}

void Cells::Resize(std::size_t rows) {
  if (!materialized) return;
  switch (type) {
    case Type::Int: ints.Resize(rows); break;
    case Type::Long: longs.resize(rows, 0); break;
    case Type::Float: floats.resize(rows, 0.0f); break;
    case Type::Double: doubles.resize(rows, 0.0); break;
    case Type::String: case Type::Bytes: items.Resize(rows); break;
    case Type::Subview: subs.resize(rows); break;
  }
}

namespace {
template <class V>
void Gather(V& values, const std::vector<std::size_t>& order) {
  V out;
  out.resize_uninitialized(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) out[i] = values[order[i]];
  values = std::move(out);
}
}  // namespace

std::size_t Cells::Count() const {
  switch (type) {
    case Type::Int: return ints.size();
    case Type::Long: return longs.size();
    case Type::Float: return floats.size();
    case Type::Double: return doubles.size();
    case Type::String: case Type::Bytes: return items.size();
    case Type::Subview: return subs.size();
  }
  return 0;
}

void Cells::Permute(const std::vector<std::size_t>& order) {
  if (!materialized) return;
  assert(order.size() == Count());
  switch (type) {
    case Type::Int: {
      std::vector<std::int32_t> values(order.size());
      for (std::size_t i = 0; i < order.size(); ++i) values[i] = ints.Get(order[i]);
      for (std::size_t i = 0; i < order.size(); ++i) ints.Set(i, values[i]);
      break;
    }
    case Type::Long: Gather(longs, order); break;
    case Type::Float: Gather(floats, order); break;
    case Type::Double: Gather(doubles, order); break;
    case Type::String: case Type::Bytes: items = items.Gathered(order); break;
    case Type::Subview: {
      std::vector<std::shared_ptr<Table>> out(order.size());
      for (std::size_t i = 0; i < order.size(); ++i) out[i] = subs[order[i]];
      subs = std::move(out);
      break;
    }
  }
}

// ----------------------------------------------------------------- Table ---

std::shared_ptr<Table> Table::Make(const std::vector<FieldDef>& defs) {
  auto t = std::make_shared<Table>();
  for (const auto& d : defs) t->AddColumn(d, ColumnKind::Described);
  return t;
}

void Table::AddColumn(const FieldDef& def, ColumnKind kind) {
  TableColumn c;
  c.def = def;
  c.kind = kind;
  c.cells.type = def.type;
  // A recursive subview's fields are those of this table's described list.
  if (def.type == Type::Subview && def.recursive) c.def.sub.clear();
  cols.push_back(std::move(c));
}

int Table::Find(std::string_view name) const {
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (EqualText(cols[i].def.name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::size_t Table::DescribedCount() const {
  std::size_t n = 0;
  for (const auto& c : cols) n += c.kind == ColumnKind::Described;
  return n;
}

std::vector<FieldDef> Table::Described() const {
  std::vector<FieldDef> out;
  for (const auto& c : cols) {
    if (c.kind == ColumnKind::Described) out.push_back(c.def);
  }
  return out;
}

std::vector<FieldDef> Table::SubDefs(int col) const {
  const auto& d = cols[static_cast<std::size_t>(col)].def;
  if (d.recursive) return Described();
  return d.sub;
}

void Table::Touch(int col) {
  if (col < 0) {
    for (auto& c : cols) c.dirty = true;
  } else {
    cols[static_cast<std::size_t>(col)].dirty = true;
  }
  dirty = true;
  for (auto p = parent.lock(); p; p = p->parent.lock()) {
    for (auto& c : p->cols) {
      if (c.def.type == Type::Subview) c.dirty = true;
    }
    p->dirty = true;
  }
}

bool Table::ShapeOk() const {
  for (const auto& c : cols) {
    if (c.cells.materialized && c.cells.Count() != rows) return false;
    if (c.cells.type != c.def.type) return false;
  }
  return true;
}

void Table::InsertRows(std::size_t pos, std::size_t count) {
  assert(pos <= rows);
  for (auto& c : cols) c.cells.InsertRows(pos, count);
  rows += count;
  assert(ShapeOk());
  Touch(-1);
}

void Table::Permute(const std::vector<std::size_t>& order) {
  assert(order.size() == rows);
  for (auto& c : cols) c.cells.Permute(order);
  assert(ShapeOk());
  Touch(-1);
}

void Table::EraseRows(std::size_t pos, std::size_t count) {
  assert(pos <= rows && count <= rows - pos);
  for (auto& c : cols) c.cells.EraseRows(pos, count);
  rows -= count;
  assert(ShapeOk());
  Touch(-1);
}

void Table::Resize(std::size_t n) {
  for (auto& c : cols) c.cells.Resize(n);
  rows = n;
  assert(ShapeOk());
  Touch(-1);
}

// ----------------------------------------------------------- conversions ---

std::string FormatInt(std::int64_t v) { return std::to_string(v); }

// "%g" and "%.15g" as the "C" locale writes them, whatever the process
// locale is (to_chars with a precision follows printf).
std::string FormatFloat(float v) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::general, 6);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string FormatDouble(double v) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::int64_t ParseInteger(std::string_view s) {
  const std::string text(s.substr(0, std::min<std::size_t>(s.size(), 64)));
  errno = 0;
  const long long v = std::strtoll(text.c_str(), nullptr, 10);
  return v;
}

// Like strtod in the "C" locale: leading white space and a sign, then as
// much of a number as there is; 0 for none, +-HUGE_VAL beyond range.
double ParseReal(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) return 0.0;
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small: the exponent's sign tells which.
    const std::size_t e = s.find_first_of("eE", i);
    v = e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-' ? 0.0 : HUGE_VAL;
  } else if (ec != std::errc()) {
    v = 0.0;
  }
  return negative ? -v : v;
}

std::int64_t TruncateReal(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9.2233720368547758e18) return std::numeric_limits<std::int64_t>::max();
  if (v <= -9.2233720368547758e18) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(v);
}

static float ToFloat(double v) {
  if (std::isnan(v) || std::isinf(v)) return static_cast<float>(v);
  if (v > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (v < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(v);
}

// ------------------------------------------------------------------ reads ---

static bool Readable(const Table& t, std::size_t row, int col) {
  return col >= 0 && static_cast<std::size_t>(col) < t.cols.size() && row < t.rows &&
         t.cols[static_cast<std::size_t>(col)].cells.materialized;
}

std::string_view Table::Item(std::size_t row, int col) const {
  if (!Readable(*this, row, col)) return {};
  const auto& c = cols[static_cast<std::size_t>(col)].cells;
  if (c.type != Type::String && c.type != Type::Bytes) return {};
  return c.items.Get(row);
}

std::string Table::GetString(std::size_t row, int col) const {
  if (col < 0 || static_cast<std::size_t>(col) >= cols.size()) return {};
  const auto& c = cols[static_cast<std::size_t>(col)].cells;
  switch (c.type) {
    case Type::String: case Type::Bytes: return std::string(Item(row, col));
    case Type::Int: case Type::Long: return FormatInt(GetLong(row, col));
    case Type::Float: return FormatFloat(GetFloat(row, col));
    case Type::Double: return FormatDouble(GetDouble(row, col));
    case Type::Subview: return {};
  }
  return {};
}

std::int64_t Table::GetLong(std::size_t row, int col) const {
  if (!Readable(*this, row, col)) return 0;
  const auto& c = cols[static_cast<std::size_t>(col)].cells;
  switch (c.type) {
    case Type::Int: return c.ints.Get(row);
    case Type::Long: return c.longs[row];
    case Type::Float: return TruncateReal(c.floats[row]);
    case Type::Double: return TruncateReal(c.doubles[row]);
    case Type::String: return ParseInteger(c.items.Get(row));
    default: return 0;
  }
}

std::int32_t Table::GetInt(std::size_t row, int col) const {
  if (Readable(*this, row, col)) {
    const auto& c = cols[static_cast<std::size_t>(col)].cells;
    if (c.type == Type::Int) return c.ints.Get(row);
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(GetLong(row, col)));
}

double Table::GetDouble(std::size_t row, int col) const {
  if (!Readable(*this, row, col)) return 0.0;
  const auto& c = cols[static_cast<std::size_t>(col)].cells;
  switch (c.type) {
    case Type::Int: return c.ints.Get(row);
    case Type::Long: return static_cast<double>(c.longs[row]);
    case Type::Float: return c.floats[row];
    case Type::Double: return c.doubles[row];
    case Type::String: return ParseReal(c.items.Get(row));
    default: return 0.0;
  }
}

float Table::GetFloat(std::size_t row, int col) const {
  if (Readable(*this, row, col)) {
    const auto& c = cols[static_cast<std::size_t>(col)].cells;
    if (c.type == Type::Float) return c.floats[row];
  }
  return ToFloat(GetDouble(row, col));
}

Bytes Table::GetBytes(std::size_t row, int col) const {
  const std::string s = GetString(row, col);
  return Bytes(s.begin(), s.end());
}

std::shared_ptr<Table> Table::SubIfAny(std::size_t row, int col) const {
  if (!Readable(*this, row, col)) return nullptr;
  const auto& c = cols[static_cast<std::size_t>(col)].cells;
  if (c.type != Type::Subview) return nullptr;
  return c.subs[row];
}

std::shared_ptr<Table> Table::Sub(std::size_t row, int col) {
  auto& c = cols[static_cast<std::size_t>(col)].cells;
  c.Materialize(rows);
  if (!c.subs[row]) {
    auto t = Make(SubDefs(col));
    t->parent = weak_from_this();
    c.subs[row] = t;
  }
  return c.subs[row];
}

Value Table::Get(std::size_t row, int col) const {
  if (col < 0 || static_cast<std::size_t>(col) >= cols.size()) return std::monostate{};
  switch (cols[static_cast<std::size_t>(col)].cells.type) {
    case Type::String: return GetString(row, col);
    case Type::Int: return GetInt(row, col);
    case Type::Long: return GetLong(row, col);
    case Type::Float: return GetFloat(row, col);
    case Type::Double: return GetDouble(row, col);
    case Type::Bytes: return GetBytes(row, col);
    case Type::Subview: return std::monostate{};
  }
  return std::monostate{};
}

// ----------------------------------------------------------------- writes ---

static Cells& Writable(Table& t, std::size_t row, int col) {
  auto& c = t.cols[static_cast<std::size_t>(col)].cells;
  assert(row < t.rows);
  (void)row;
  c.Materialize(t.rows);
  t.Touch(col);
  return c;
}

void Table::SetLong(std::size_t row, int col, std::int64_t v) {
  auto& c = Writable(*this, row, col);
  switch (c.type) {
    case Type::Int: c.ints.Set(row, static_cast<std::int32_t>(static_cast<std::uint32_t>(v))); break;
    case Type::Long: c.longs[row] = v; break;
    case Type::Float: c.floats[row] = static_cast<float>(v); break;
    case Type::Double: c.doubles[row] = static_cast<double>(v); break;
    case Type::String: c.items.Set(row, FormatInt(v)); break;
    default: break;
  }
}

void Table::SetInt(std::size_t row, int col, std::int32_t v) {
  auto& c = cols[static_cast<std::size_t>(col)].cells;
  if (c.type == Type::Int) {
    Writable(*this, row, col).ints.Set(row, v);
    return;
  }
  SetLong(row, col, v);
}

void Table::SetDouble(std::size_t row, int col, double v) {
  auto& c = Writable(*this, row, col);
  switch (c.type) {
    case Type::Int: c.ints.Set(row, static_cast<std::int32_t>(static_cast<std::uint64_t>(TruncateReal(v)))); break;
    case Type::Long: c.longs[row] = TruncateReal(v); break;
    case Type::Float: c.floats[row] = ToFloat(v); break;
    case Type::Double: c.doubles[row] = v; break;
    case Type::String: c.items.Set(row, FormatDouble(v)); break;
    default: break;
  }
}

void Table::SetFloat(std::size_t row, int col, float v) {
  auto& c = cols[static_cast<std::size_t>(col)].cells;
  if (c.type == Type::Float) {
    Writable(*this, row, col).floats[row] = v;
  } else if (c.type == Type::String) {
    Writable(*this, row, col).items.Set(row, FormatFloat(v));
  } else {
    SetDouble(row, col, v);
  }
}

void Table::SetString(std::size_t row, int col, std::string_view v) {
  auto& c = cols[static_cast<std::size_t>(col)].cells;
  switch (c.type) {
    case Type::String: case Type::Bytes: Writable(*this, row, col).items.Set(row, v); break;
    case Type::Int: case Type::Long: SetLong(row, col, ParseInteger(v)); break;
    case Type::Float: case Type::Double: SetDouble(row, col, ParseReal(v)); break;
    default: break;
  }
}

void Table::SetBytes(std::size_t row, int col, std::string_view v) { SetString(row, col, v); }

Status Table::Set(std::size_t row, int col, const Value& v) {
  if (col < 0 || static_cast<std::size_t>(col) >= cols.size()) return Status::Error("no such column");
  if (row >= rows) return Status::Error("row " + std::to_string(row) + " is outside the view's " + std::to_string(rows) + " rows");
  if (cols[static_cast<std::size_t>(col)].cells.type == Type::Subview) return Status::Error("a subview column takes no value");
  struct Visitor {
    Table* t; std::size_t row; int col;
    void operator()(std::monostate) const {}
    void operator()(const std::string& s) const { t->SetString(row, col, s); }
    void operator()(std::int32_t v) const { t->SetInt(row, col, v); }
    void operator()(std::int64_t v) const { t->SetLong(row, col, v); }
    void operator()(float v) const { t->SetFloat(row, col, v); }
    void operator()(double v) const { t->SetDouble(row, col, v); }
    void operator()(const Bytes& b) const {
      t->SetBytes(row, col, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
    }
  };
  std::visit(Visitor{this, row, col}, v);
  return Status::Ok();
}

void Table::CopyCell(std::size_t row, int col, const Table& src, std::size_t src_row, int src_col) {
  const auto& sc = src.cols[static_cast<std::size_t>(src_col)].cells;
  auto& dc = cols[static_cast<std::size_t>(col)].cells;
  if (dc.type == Type::Subview) {
    if (sc.type != Type::Subview) return;
    auto s = src.SubIfAny(src_row, src_col);
    dc.Materialize(rows);
    if (!s || s->rows == 0) {
      dc.subs[row] = nullptr;
    } else {
      auto copy = s->Clone();
      copy->parent = weak_from_this();
      dc.subs[row] = copy;
    }
    Touch(col);
    return;
  }
  if (!sc.materialized && dc.type == sc.type && !dc.materialized) return;
  switch (dc.type) {
    case Type::String: case Type::Bytes:
      if (sc.type == Type::String || sc.type == Type::Bytes) SetString(row, col, src.Item(src_row, src_col));
      else SetString(row, col, src.GetString(src_row, src_col));
      break;
    case Type::Int: SetInt(row, col, src.GetInt(src_row, src_col)); break;
    case Type::Long: SetLong(row, col, src.GetLong(src_row, src_col)); break;
    case Type::Float: SetFloat(row, col, src.GetFloat(src_row, src_col)); break;
    case Type::Double: SetDouble(row, col, src.GetDouble(src_row, src_col)); break;
    default: break;
  }
}

std::shared_ptr<Table> Table::Clone() const {
  auto t = std::make_shared<Table>();
  for (const auto& c : cols) {
    if (c.kind == ColumnKind::Transient) continue;
    TableColumn nc;
    nc.def = c.def;
    nc.kind = c.kind;
    nc.cells = c.cells;  // copies values; subviews are re-cloned below
    t->cols.push_back(std::move(nc));
  }
  t->rows = rows;
  for (auto& c : t->cols) {
    if (c.cells.type != Type::Subview) continue;
    for (auto& s : c.cells.subs) {
      if (s) {
        s = s->Clone();
        s->parent = t;
      }
    }
  }
  return t;
}

// ------------------------------------------------------------- compare ---

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

template <class T>
static int CompareReal(T x, T y) {
  const bool nx = std::isnan(x), ny = std::isnan(y);
  if (nx || ny) return nx == ny ? 0 : (nx ? 1 : -1);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareCells(const Table& a, std::size_t ra, int ca, const Table& b, std::size_t rb, int cb) {
  const Type t = a.cols[static_cast<std::size_t>(ca)].cells.type;
  switch (t) {
    case Type::String: return CompareText(a.Item(ra, ca), b.Item(rb, cb));
    case Type::Bytes: {
      const auto x = a.Item(ra, ca), y = b.Item(rb, cb);
      const int c = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
      if (c != 0) return c < 0 ? -1 : 1;
      return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
    }
    case Type::Int: case Type::Long: {
      const auto x = a.GetLong(ra, ca), y = b.GetLong(rb, cb);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case Type::Float: return CompareReal(a.GetFloat(ra, ca), b.GetFloat(rb, cb));
    case Type::Double: return CompareReal(a.GetDouble(ra, ca), b.GetDouble(rb, cb));
    case Type::Subview: {
      const auto sa = a.SubIfAny(ra, ca), sb = b.SubIfAny(rb, cb);
      const std::size_t x = sa ? sa->rows : 0, y = sb ? sb->rows : 0;
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
  return 0;
}

}  // namespace sw::storage
