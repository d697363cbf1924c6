// Decoding of storage files: tail scan, structure block, records, adaptive
// columns, text items with memos, and nested subview blocks.
#include "storage/format_reader.h"

#include <bit>
#include <cstring>

#include "storage/coding.h"

namespace sw::storage {
namespace {

constexpr int kMaxDepth = 100;

Status Damaged(const std::string& what) { return Status::Error("damaged storage file: " + what); }

bool IsLink(const std::uint8_t* m) {
  const bool form = (m[0] == 0x80 && m[1] == 0 && m[2] == 0 && m[3] == 0) || (m[0] >= 0x90 && m[0] <= 0x9F);
  return form && coding::GetBE32(m + 4) > 0;
}

bool IsRoot(const std::uint8_t* m) {
  const std::uint32_t len = (std::uint32_t{m[1]} << 16) | (std::uint32_t{m[2]} << 8) | m[3];
  return m[0] == 0x80 && len > 0 && coding::GetBE32(m + 4) > 0;
}

bool IsHeader(const std::uint8_t* m) {
  return ((m[0] == 'J' && m[1] == 'L') || (m[0] == 'L' && m[1] == 'J')) && m[2] == 0x1A && (m[3] & 0x40) == 0;
}

// Cursor over a record block.
struct Cursor {
  std::string_view data;
  std::size_t pos = 0;
  bool Varint(std::int32_t* v) { return coding::GetVarint(data, &pos, v); }
  bool Count(std::uint32_t* v) {
    std::int32_t x = 0;
    if (!Varint(&x) || x < 0) return false;
    *v = static_cast<std::uint32_t>(x);
    return true;
  }
  bool Ref(std::uint32_t* size, std::uint32_t* where) {
    *where = 0;
    if (!Count(size)) return false;
    if (*size == 0) return true;
    return Count(where);
  }
};

int RefCount(Type t) { return (t == Type::String || t == Type::Bytes) ? -1 : 1; }

// Reads a column reference group and returns its raw bytes.
bool SkipRefGroup(Cursor* c, Type type, std::string* raw) {
  const std::size_t start = c->pos;
  std::uint32_t s = 0, p = 0;
  if (RefCount(type) == 1) {
    if (!c->Ref(&s, &p)) return false;
  } else {
    if (!c->Ref(&s, &p)) return false;
    std::uint32_t s2 = 0, p2 = 0;
    if (s > 0 && !c->Ref(&s2, &p2)) return false;
    if (!c->Ref(&s2, &p2)) return false;
  }
  if (raw) raw->assign(c->data.substr(start, c->pos - start));
  return true;
}

class Decoder {
 public:
  Decoder(const BlockSource& src, ReadBudget* budget) : src_(src), budget_(budget) {}

  Status Record(Cursor* c, const std::vector<FieldDef>& defs, int depth, std::shared_ptr<Table>* out) {
    if (depth > kMaxDepth) return Damaged("subviews nested too deeply");
    std::uint32_t reserved = 0, rows = 0;
    if (!c->Count(&reserved) || reserved != 0) return Damaged("bad record start");
    if (!c->Count(&rows)) return Damaged("bad row count");
    auto t = Table::Make(defs);
    t->rows = rows;
    if (rows > 0) {
      for (std::size_t i = 0; i < t->cols.size(); ++i) {
        const std::size_t start = c->pos;
        Status st = Column(c, t.get(), static_cast<int>(i), depth);
        if (!st.ok()) return st;
        t->cols[i].stored_refs.assign(c->data.substr(start, c->pos - start));
        t->cols[i].dirty = false;
      }
    } else {
      for (auto& col : t->cols) {
        col.dirty = false;
        col.stored_refs.clear();
      }
    }
    t->dirty = false;
    *out = std::move(t);
    return Status::Ok();
  }

  Status Column(Cursor* c, Table* t, int col, int depth) {
    auto& cells = t->cols[static_cast<std::size_t>(col)].cells;
    const std::size_t rows = t->rows;
    const std::string& name = t->cols[static_cast<std::size_t>(col)].def.name;
    std::uint32_t size = 0, pos = 0;
    if (!c->Ref(&size, &pos)) return Damaged("bad column reference of \"" + name + "\"");
    switch (cells.type) {
      case Type::Int: case Type::Long: case Type::Float: case Type::Double:
        return Numbers(t, col, size, pos);
      case Type::String: case Type::Bytes:
        return Items(c, t, col, size, pos);
      case Type::Subview: {
        if (size == 0) return Status::Ok();
        if (rows > size / 2) return Damaged("subview block of \"" + name + "\" too small for its rows");
        auto block = src_.Read(size, pos, budget_);
        if (!block.ok()) return block.status();
        Status st = Charge(rows);
        if (!st.ok()) return st;
        cells.Materialize(rows);
        const auto defs = t->SubDefs(col);
        Cursor sub{block.value(), 0};
        for (std::size_t r = 0; r < rows; ++r) {
          std::shared_ptr<Table> nested;
          st = Record(&sub, defs, depth + 1, &nested);
          if (!st.ok()) return st;
          if (nested->rows > 0) {
            nested->parent = t->weak_from_this();
            cells.subs[r] = std::move(nested);
          }
        }
        if (sub.pos != sub.data.size()) return Damaged("subview block of \"" + name + "\" not consumed exactly");
        return Status::Ok();
      }
    }
    return Status::Ok();
  }

  Status Charge(std::uint64_t cells) {
    budget_->cells += cells;
    const std::uint64_t limit = 64 * src_.layout().end + 4096;
    if (budget_->cells > limit) return Damaged("more cells than the file can hold");
    return Status::Ok();
  }

  Status Numbers(Table* t, int col, std::uint32_t size, std::uint32_t pos) {
    auto& cells = t->cols[static_cast<std::size_t>(col)].cells;
    const std::string& name = t->cols[static_cast<std::size_t>(col)].def.name;
    const std::size_t rows = t->rows;
    const int w = coding::WidthFromSize(rows, size);
    if (w < 0) return Damaged("column \"" + name + "\": " + std::to_string(size) + " bytes cannot hold " + std::to_string(rows) + " rows");
    const bool wide = cells.type == Type::Long || cells.type == Type::Double;
    if ((wide && w != 0 && w != 64) || (!wide && w > 32)) return Damaged("column \"" + name + "\" has an invalid width");
    if (w == 0) return Status::Ok();
    Status st = Charge(rows);
    if (!st.ok()) return st;
    const bool direct = src_.layout().little_endian == (std::endian::native == std::endian::little) &&
                        (cells.type == Type::Long || cells.type == Type::Double || (cells.type == Type::Float && w == 32));
    if (direct) {
      // Entries already in memory form: read them into place.
      cells.materialized = true;
      void* dst = nullptr;
      if (cells.type == Type::Long) { cells.longs.resize_uninitialized(rows); dst = cells.longs.data(); }
      if (cells.type == Type::Double) { cells.doubles.resize_uninitialized(rows); dst = cells.doubles.data(); }
      if (cells.type == Type::Float) { cells.floats.resize_uninitialized(rows); dst = cells.floats.data(); }
      return src_.ReadTo(size, pos, budget_, dst);
    }
    const char* raw = nullptr;
    st = src_.ReadInto(size, pos, budget_, &num_buf_, &num_cap_, &raw);
    if (!st.ok()) return st;
    const auto* b = reinterpret_cast<const std::uint8_t*>(raw);
    const bool le = src_.layout().little_endian;
    const bool native = le == (std::endian::native == std::endian::little);
    cells.materialized = true;
    switch (cells.type) {
      case Type::Int:
        if (native && w >= 8) {
          cells.ints.Adopt(b, rows, w / 8);
        } else {
          cells.ints.Resize(0);
          cells.ints.EnsureWidth(w <= 8 ? 1 : w / 8);
          cells.ints.Resize(rows);
          for (std::size_t r = 0; r < rows; ++r) cells.ints.Set(r, static_cast<std::int32_t>(coding::GetPacked(b, r, w, le)));
        }
        break;
      case Type::Long:
        cells.longs.resize_uninitialized(rows);
        if (native) {
          std::memcpy(cells.longs.data(), b, rows * 8);
        } else {
          for (std::size_t r = 0; r < rows; ++r) cells.longs[r] = coding::GetPacked(b, r, w, le);
        }
        break;
      case Type::Float:
        cells.floats.resize_uninitialized(rows);
        if (native && w == 32) {
          std::memcpy(cells.floats.data(), b, rows * 4);
        } else {
          for (std::size_t r = 0; r < rows; ++r) {
            const auto bits = static_cast<std::uint32_t>(coding::GetPacked(b, r, w, le));
            std::memcpy(&cells.floats[r], &bits, 4);
          }
        }
        break;
      case Type::Double:
        cells.doubles.resize_uninitialized(rows);
        if (native) {
          std::memcpy(cells.doubles.data(), b, rows * 8);
        } else {
          for (std::size_t r = 0; r < rows; ++r) {
            const auto bits = static_cast<std::uint64_t>(coding::GetPacked(b, r, w, le));
            std::memcpy(&cells.doubles[r], &bits, 8);
          }
        }
        break;
      default: break;
    }
    return Status::Ok();
  }

  Status Items(Cursor* c, Table* t, int col, std::uint32_t data_size, std::uint32_t data_pos) {
    auto& cells = t->cols[static_cast<std::size_t>(col)].cells;
    const std::string& name = t->cols[static_cast<std::size_t>(col)].def.name;
    const std::size_t rows = t->rows;
    const bool text = cells.type == Type::String;
    std::uint32_t sizes_size = 0, sizes_pos = 0, memo_size = 0, memo_pos = 0;
    if (data_size > 0 && !c->Ref(&sizes_size, &sizes_pos)) return Damaged("bad sizes reference of \"" + name + "\"");
    if (!c->Ref(&memo_size, &memo_pos)) return Damaged("bad memo reference of \"" + name + "\"");
    if (data_size == 0 && memo_size == 0) return Status::Ok();
    std::string memos;
    if (memo_size > 0) {
      auto m = src_.Read(memo_size, memo_pos, budget_);
      if (!m.ok()) return m.status();
      memos = std::move(m.value());
    }
    Status st = Charge(rows);
    if (!st.ok()) return st;
    const bool le = src_.layout().little_endian;
    if (data_size == 0) {
      cells.Materialize(rows);
    } else {
      // The data block and the sizes are kept as the file has them; every
      // size is checked here, once, and every 16th row's offset noted.
      const int w = coding::WidthFromSize(rows, sizes_size);
      if (w <= 0 || w > 32) return Damaged("sizes column of \"" + name + "\" has an invalid width");
      PodVector<char> data;
      data.resize_uninitialized(data_size);
      Status rs = src_.ReadTo(data_size, data_pos, budget_, data.data());
      if (!rs.ok()) return rs;
      PodVector<std::uint8_t> sizes;
      sizes.resize_uninitialized(sizes_size);
      rs = src_.ReadTo(sizes_size, sizes_pos, budget_, sizes.data());
      if (!rs.ok()) return rs;
      PodVector<std::uint32_t> marks;
      marks.resize_uninitialized((rows + 15) / 16);
      std::uint64_t offset = 0;
      for (std::size_t r = 0; r < rows; ++r) {
        if ((r & 15) == 0) marks[r >> 4] = static_cast<std::uint32_t>(offset);
        const std::int64_t n = coding::GetPacked(sizes.data(), r, w, le);
        if (n < 0 || offset + static_cast<std::uint64_t>(n) > data_size) {
          return Damaged("sizes of \"" + name + "\" do not add up to its data");
        }
        if (text && n > 0 && data[static_cast<std::size_t>(offset + static_cast<std::uint64_t>(n) - 1)] != '\0') {
          return Damaged("text item without its final zero byte in \"" + name + "\"");
        }
        offset += static_cast<std::uint64_t>(n);
      }
      if (offset != data_size) return Damaged("sizes of \"" + name + "\" do not add up to its data");
      cells.materialized = true;
      cells.items.AdoptPacked(std::move(data), std::move(sizes), std::move(marks), rows, w, le, text ? 1 : 0);
    }

    Cursor mc{memos, 0};
    std::int64_t row = -1;
    while (mc.pos < memos.size()) {
      std::uint32_t gap = 0, size = 0, pos = 0;
      if (!mc.Count(&gap) || !mc.Ref(&size, &pos)) return Damaged("bad memo catalog of \"" + name + "\"");
      row += 1 + static_cast<std::int64_t>(gap);
      if (row >= static_cast<std::int64_t>(rows)) return Damaged("memo row outside the view \"" + name + "\"");
      if (!cells.items.Get(static_cast<std::size_t>(row)).empty()) return Damaged("memo row with inline data in \"" + name + "\"");
      if (size == 0) continue;
      auto m = src_.Read(size, pos, budget_);
      if (!m.ok()) return m.status();
      Status is = Put(&cells, static_cast<std::size_t>(row), m.value(), text, name);
      if (!is.ok()) return is;
    }
    return Status::Ok();
  }

  static Status Put(Cells* cells, std::size_t row, std::string_view item, bool text, const std::string& name) {
    if (text) {
      if (item.back() != '\0') return Damaged("text item without its final zero byte in \"" + name + "\"");
      item.remove_suffix(1);
    }
    cells->items.Set(row, item);
    return Status::Ok();
  }

 private:
  const BlockSource& src_;
  ReadBudget* budget_;
  std::unique_ptr<char[]> num_buf_;
  std::size_t num_cap_ = 0;
};

Status WalkRecord(const BlockSource& src, Cursor* c, const std::vector<FieldDef>& defs, int depth, ReadBudget* budget,
                  std::vector<Extent>* out);

Status WalkGroup(const BlockSource& src, Cursor* c, const FieldDef& def, const std::vector<FieldDef>& siblings,
                 std::uint32_t rows, int depth, ReadBudget* budget, std::vector<Extent>* out, bool top_view) {
  std::uint32_t s = 0, p = 0;
  if (!c->Ref(&s, &p)) return Damaged("bad column reference");
  if (s) out->push_back({p, s});
  if (def.type == Type::String || def.type == Type::Bytes) {
    std::uint32_t s2 = 0, p2 = 0;
    if (s > 0) {
      if (!c->Ref(&s2, &p2)) return Damaged("bad sizes reference");
      if (s2) out->push_back({p2, s2});
    }
    if (!c->Ref(&s2, &p2)) return Damaged("bad memo reference");
    if (s2) {
      out->push_back({p2, s2});
      auto m = src.Read(s2, p2, budget);
      if (!m.ok()) return m.status();
      Cursor mc{m.value(), 0};
      while (mc.pos < mc.data.size()) {
        std::uint32_t gap = 0, ms = 0, mp = 0;
        if (!mc.Count(&gap) || !mc.Ref(&ms, &mp)) return Damaged("bad memo catalog");
        if (ms) out->push_back({mp, ms});
      }
    }
    return Status::Ok();
  }
  if (def.type != Type::Subview || s == 0) return Status::Ok();
  auto block = src.Read(s, p, budget);
  if (!block.ok()) return block.status();
  Cursor sub{block.value(), 0};
  const std::vector<FieldDef>& defs = def.recursive ? siblings : def.sub;
  const std::uint32_t n = top_view ? 1 : rows;
  for (std::uint32_t r = 0; r < n; ++r) {
    Status st = WalkRecord(src, &sub, defs, depth + 1, budget, out);
    if (!st.ok()) return st;
  }
  if (sub.pos != sub.data.size()) return Damaged("subview block not consumed exactly");
  return Status::Ok();
}

Status WalkRecord(const BlockSource& src, Cursor* c, const std::vector<FieldDef>& defs, int depth, ReadBudget* budget,
                  std::vector<Extent>* out) {
  if (depth > kMaxDepth) return Damaged("subviews nested too deeply");
  std::uint32_t reserved = 0, rows = 0;
  if (!c->Count(&reserved) || reserved != 0 || !c->Count(&rows)) return Damaged("bad record");
  if (rows == 0) return Status::Ok();
  for (const auto& d : defs) {
    Status st = WalkGroup(src, c, d, defs, rows, depth, budget, out, false);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

}  // namespace

Result<FileLayout> TailScan(File& file, std::uint64_t file_size) {
  enum { kAtEnd, kAfterRoot } state = kAtEnd;
  std::uint64_t pos = file_size;
  FileLayout layout;
  for (int steps = 0; steps < 1000000; ++steps) {
    if (pos < 8) return Status::Error("not a storage file (no valid end marks)");
    pos -= 8;
    std::uint8_t m[8];
    Status st = file.ReadAt(pos, m, 8);
    if (!st.ok()) return st;
    const std::uint32_t d = coding::GetBE32(m + 4);
    if (state == kAtEnd) {
      if (IsLink(m)) {
        if (d > pos) return Status::Error("not a storage file (end mark points before the file)");
        pos -= d;  // an earlier storage ends there
        continue;
      }
      if (!IsRoot(m)) return Status::Error("not a storage file (no valid end marks)");
      layout.root_size = (std::uint32_t{m[1]} << 16) | (std::uint32_t{m[2]} << 8) | m[3];
      layout.root_pos = d;
      state = kAfterRoot;
      continue;
    }
    if (!IsLink(m)) return Status::Error("not a storage file (root mark without its link mark)");
    if (d > pos) return Status::Error("damaged storage file: link mark points before the file");
    const std::uint64_t header_at = pos - d;
    std::uint8_t h[8];
    st = file.ReadAt(header_at, h, 8);
    if (!st.ok()) return st;
    if (!IsHeader(h)) {
      if ((h[0] == 'J' && h[1] == 'L') || (h[0] == 'L' && h[1] == 'J')) {
        return Status::Error("unsupported storage file header (legacy or unknown format)");
      }
      return Status::Error("not a storage file (no header where the end marks point)");
    }
    layout.base = header_at;
    layout.end = file_size - header_at;  // E: whatever the file ends in
    layout.little_endian = h[0] == 'J';
    if (static_cast<std::uint64_t>(layout.root_pos) + layout.root_size > layout.end - 16 || layout.root_pos < 8) {
      return Status::Error("damaged storage file: structure block outside the file");
    }
    return layout;
  }
  return Status::Error("not a storage file (too many link marks)");
}

ReadBudget BlockSource::FreshBudget() const {
  ReadBudget b;
  b.bytes = layout_.end + 64;
  return b;
}

Status BlockSource::ReadTo(std::uint32_t size, std::uint32_t pos, ReadBudget* budget, void* dst) const {
  const std::uint64_t limit = layout_.end >= 16 ? layout_.end - 16 : 0;
  if (pos < 8 || static_cast<std::uint64_t>(pos) + size > limit) {
    return Damaged("a block reference (" + std::to_string(size) + " bytes at " + std::to_string(pos) + ") lies outside the file");
  }
  if (size > budget->bytes) return Damaged("blocks overlap or reference each other in a loop");
  budget->bytes -= size;
  return file_->ReadAt(layout_.base + pos, dst, size);
}

Status BlockSource::ReadInto(std::uint32_t size, std::uint32_t pos, ReadBudget* budget, std::unique_ptr<char[]>* buffer,
                             std::size_t* capacity, const char** out) const {
  const std::uint64_t limit = layout_.end >= 16 ? layout_.end - 16 : 0;
  if (pos < 8 || static_cast<std::uint64_t>(pos) + size > limit) {
    return Damaged("a block reference (" + std::to_string(size) + " bytes at " + std::to_string(pos) + ") lies outside the file");
  }
  if (size > budget->bytes) return Damaged("blocks overlap or reference each other in a loop");
  budget->bytes -= size;
  if (size > *capacity) {
    buffer->reset(new char[size]);
    *capacity = size;
  }
  Status st = file_->ReadAt(layout_.base + pos, buffer->get(), size);
  if (!st.ok()) return st;
  *out = buffer->get();
  return Status::Ok();
}

Result<std::string> BlockSource::Read(std::uint32_t size, std::uint32_t pos, ReadBudget* budget) const {
  if (size == 0) return std::string();
  const std::uint64_t limit = layout_.end >= 16 ? layout_.end - 16 : 0;
  if (pos < 8 || static_cast<std::uint64_t>(pos) + size > limit) {
    return Damaged("a block reference (" + std::to_string(size) + " bytes at " + std::to_string(pos) + ") lies outside the file");
  }
  if (size > budget->bytes) return Damaged("blocks overlap or reference each other in a loop");
  budget->bytes -= size;
  std::string out(size, '\0');
  Status st = file_->ReadAt(layout_.base + pos, out.data(), size);
  if (!st.ok()) return st;
  return out;
}

Result<Structure> ReadStructure(const BlockSource& source) {
  ReadBudget budget = source.FreshBudget();
  auto block = source.Read(source.layout().root_size, source.layout().root_pos, &budget);
  if (!block.ok()) return block.status();
  Cursor c{block.value(), 0};
  std::uint32_t reserved = 0, desc_len = 0, rows = 0;
  if (!c.Count(&reserved) || reserved != 0) return Damaged("bad structure block");
  if (!c.Count(&desc_len) || desc_len > c.data.size() - c.pos) return Damaged("bad description length");
  const std::string_view desc = c.data.substr(c.pos, desc_len);
  c.pos += desc_len;
  auto fields = ParseStoredDescription(desc);
  if (!fields.ok()) return Damaged(fields.status().message());
  if (!c.Count(&rows) || rows > 1) return Damaged("bad root row count");
  Structure s;
  s.has_row = rows == 1;
  for (auto& f : fields.value()) {
    TopField tf;
    tf.def = std::move(f);
    if (s.has_row && !SkipRefGroup(&c, tf.def.type, &tf.refs)) return Damaged("bad column reference in the structure block");
    if (tf.def.type != Type::Subview && tf.def.type != Type::Int && tf.def.type != Type::Float) {
      return Status::Error("unsupported storage file: top-level property \"" + tf.def.name + "\" is not a view");
    }
    s.fields.push_back(std::move(tf));
  }
  if (c.pos != c.data.size()) return Damaged("structure block not consumed exactly");
  return s;
}

Result<std::shared_ptr<Table>> LoadTopView(const BlockSource& source, const TopField& field) {
  ReadBudget budget = source.FreshBudget();
  Cursor c{field.refs, 0};
  std::uint32_t size = 0, pos = 0;
  std::shared_ptr<Table> table;
  if (!field.refs.empty() && !c.Ref(&size, &pos)) return Damaged("bad view reference");
  if (size == 0) {
    table = Table::Make(field.def.recursive ? std::vector<FieldDef>{field.def} : field.def.sub);
    table->rows = 0;
    for (auto& col : table->cols) col.dirty = false;
    table->dirty = false;
    return table;
  }
  auto block = source.Read(size, pos, &budget);
  if (!block.ok()) return block.status();
  Decoder dec(source, &budget);
  Cursor rc{block.value(), 0};
  const auto defs = field.def.recursive ? std::vector<FieldDef>{field.def} : field.def.sub;
  Status st = dec.Record(&rc, defs, 0, &table);
  if (!st.ok()) return st;
  if (rc.pos != rc.data.size()) return Damaged("view block of \"" + field.def.name + "\" not consumed exactly");
  return table;
}

Status LoadTopValue(const BlockSource& source, const TopField& field, Value* out) {
  ReadBudget budget = source.FreshBudget();
  auto t = std::make_shared<Table>();
  t->AddColumn(field.def, ColumnKind::Described);
  t->rows = field.refs.empty() ? 0 : 1;
  if (t->rows > 0) {
    Decoder dec(source, &budget);
    Cursor c{field.refs, 0};
    Status st = dec.Column(&c, t.get(), 0, 0);
    if (!st.ok()) return st;
  }
  if (field.def.type == Type::Int) {
    out->emplace<std::int32_t>(t->GetInt(0, 0));
  } else {
    out->emplace<float>(t->GetFloat(0, 0));
  }
  return Status::Ok();
}

Status CollectExtents(const BlockSource& source, const Structure& structure, std::vector<Extent>* out) {
  ReadBudget budget = source.FreshBudget();
  budget.bytes *= 2;
  out->push_back({source.layout().root_pos, source.layout().root_size});
  std::vector<FieldDef> top;
  for (const auto& f : structure.fields) top.push_back(f.def);
  for (const auto& f : structure.fields) {
    if (f.refs.empty()) continue;
    Cursor c{f.refs, 0};
    const std::vector<FieldDef> siblings = f.def.recursive ? std::vector<FieldDef>{f.def} : top;
    Status st = WalkGroup(source, &c, f.def, siblings, 1, 0, &budget, out, true);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

}  // namespace sw::storage
