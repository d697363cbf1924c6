// Commit writer: block planning (sizes known before any byte is written),
// first-fit placement, streaming of column blocks one at a time, and the
// in-place and growing switch protocols.
#include "storage/format_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "storage/coding.h"

namespace sw::storage {
namespace {

constexpr std::uint64_t kMaxPosition = 0x7FFFFFFF;

class Space {
 public:
  Space(std::vector<Extent> gaps, std::uint64_t tail) : gaps_(std::move(gaps)), tail_(tail) {}
  std::uint64_t Allocate(std::uint64_t size) {
    for (auto& g : gaps_) {
      if (g.size >= size) {
        const std::uint64_t at = g.pos;
        g.pos += size;
        g.size -= size;
        return at;
      }
    }
    const std::uint64_t at = tail_;
    tail_ += size;
    return at;
  }
  std::uint64_t tail() const { return tail_; }

 private:
  std::vector<Extent> gaps_;
  std::uint64_t tail_;
};

struct Pending {
  std::uint64_t pos = 0;
  std::uint64_t size = 0;
  std::string bytes;                             // small blocks built at planning time
  std::function<void(std::string*)> produce;     // column blocks built when written
};

struct RefUpdate {
  std::shared_ptr<Table> table;
  std::size_t col;
  std::string refs;
};

class Planner {
 public:
  Planner(Space* space, bool le) : space_(space), le_(le) {}

  std::vector<Pending> blocks;
  std::vector<RefUpdate> updates;
  Status error;

  void Ref(std::string* out, std::uint64_t size, std::uint64_t pos) {
    coding::PutVarint(out, static_cast<std::int64_t>(size));
    if (size) coding::PutVarint(out, static_cast<std::int64_t>(pos));
  }

  std::uint64_t Place(std::uint64_t size) {
    const std::uint64_t pos = space_->Allocate(size);
    if (pos + size > kMaxPosition && error.ok()) error = Status::Error("the storage would exceed 2 GB");
    return pos;
  }

  std::uint64_t AddBlock(std::string bytes) {
    Pending p;
    p.size = bytes.size();
    p.pos = Place(p.size);
    p.bytes = std::move(bytes);
    const std::uint64_t pos = p.pos;
    blocks.push_back(std::move(p));
    return pos;
  }

  std::uint64_t AddProduced(std::uint64_t size, std::function<void(std::string*)> produce) {
    Pending p;
    p.size = size;
    p.pos = Place(size);
    p.produce = std::move(produce);
    const std::uint64_t pos = p.pos;
    blocks.push_back(std::move(p));
    return pos;
  }

  // The record of one view instance, placing its blocks first.
  std::string Record(const std::shared_ptr<Table>& t) {
    std::string rec;
    coding::PutVarint(&rec, 0);
    coding::PutVarint(&rec, static_cast<std::int64_t>(t->rows));
    if (t->rows == 0) return rec;
    for (std::size_t i = 0; i < t->cols.size(); ++i) {
      if (t->cols[i].kind != ColumnKind::Described) continue;
      std::string refs;
      const auto& col = t->cols[i];
      if (!col.dirty && !col.stored_refs.empty()) {
        refs = col.stored_refs;
      } else {
        Column(t, i, &refs);
      }
      updates.push_back({t, i, refs});
      rec += refs;
    }
    return rec;
  }

  void Column(const std::shared_ptr<Table>& t, std::size_t i, std::string* refs) {
    const Cells& c = t->cols[i].cells;
    const std::size_t rows = t->rows;
    const Table* tp = t.get();
    const bool le = le_;
    switch (c.type) {
      case Type::Int: case Type::Float: {
        int w = 0;
        if (c.materialized) {
          for (std::size_t r = 0; r < rows && w < 32; ++r) w = std::max(w, coding::MinWidth(Bits32(c, r)));
        }
        const std::uint64_t size = coding::PackedSize(rows, w);
        if (size == 0) { Ref(refs, 0, 0); return; }
        const std::uint64_t pos = AddProduced(size, [tp, i, rows, w, le, size](std::string* out) {
          const Cells& cc = tp->cols[i].cells;
          out->assign(size, '\0');
          auto* b = reinterpret_cast<std::uint8_t*>(out->data());
          for (std::size_t r = 0; r < rows; ++r) coding::PutPacked(b, r, w, le, Bits32(cc, r));
        });
        Ref(refs, size, pos);
        return;
      }
      case Type::Long: case Type::Double: {
        const std::uint64_t size = 8 * static_cast<std::uint64_t>(rows);
        const std::uint64_t pos = AddProduced(size, [tp, i, rows, le, size](std::string* out) {
          const Cells& cc = tp->cols[i].cells;
          out->assign(size, '\0');
          auto* b = reinterpret_cast<std::uint8_t*>(out->data());
          for (std::size_t r = 0; r < rows; ++r) {
            std::int64_t v = 0;
            if (cc.materialized) {
              if (cc.type == Type::Long) v = cc.longs[r];
              else std::memcpy(&v, &cc.doubles[r], 8);
            }
            coding::PutPacked(b, r, 64, le, v);
          }
        });
        Ref(refs, size, pos);
        return;
      }
      case Type::String: case Type::Bytes: {
        const bool text = c.type == Type::String;
        std::uint64_t total = 0;
        int w = 0;
        if (c.materialized) {
          for (std::size_t r = 0; r < rows; ++r) {
            const std::size_t n = c.items.Get(r).size();
            const std::uint64_t len = n ? n + (text ? 1 : 0) : 0;
            total += len;
            if (len > kMaxPosition) { if (error.ok()) error = Status::Error("a value is too long to store"); return; }
            w = std::max(w, coding::MinWidth(static_cast<std::int32_t>(len)));
          }
        }
        if (total == 0) { Ref(refs, 0, 0); Ref(refs, 0, 0); return; }
        const std::uint64_t data_pos = AddProduced(total, [tp, i, rows, text, total](std::string* out) {
          const Cells& cc = tp->cols[i].cells;
          out->clear();
          out->reserve(total);
          for (std::size_t r = 0; r < rows; ++r) {
            const auto v = cc.items.Get(r);
            if (v.empty()) continue;
            out->append(v);
            if (text) out->push_back('\0');
          }
        });
        const std::uint64_t sizes_size = coding::PackedSize(rows, w);
        const std::uint64_t sizes_pos = AddProduced(sizes_size, [tp, i, rows, text, w, le, sizes_size](std::string* out) {
          const Cells& cc = tp->cols[i].cells;
          out->assign(sizes_size, '\0');
          auto* b = reinterpret_cast<std::uint8_t*>(out->data());
          for (std::size_t r = 0; r < rows; ++r) {
            const std::size_t n = cc.items.Get(r).size();
            coding::PutPacked(b, r, w, le, n ? static_cast<std::int64_t>(n + (text ? 1 : 0)) : 0);
          }
        });
        Ref(refs, total, data_pos);
        Ref(refs, sizes_size, sizes_pos);
        Ref(refs, 0, 0);
        return;
      }
      case Type::Subview: {
        std::string block;
        for (std::size_t r = 0; r < rows; ++r) {
          std::shared_ptr<Table> s = c.materialized ? c.subs[r] : nullptr;
          if (!s || s->rows == 0) {
            block += "\x80\x80";
            if (s) updates.push_back({s, SIZE_MAX, {}});
            continue;
          }
          block += Record(s);
        }
        const std::uint64_t size = block.size();
        const std::uint64_t pos = AddBlock(std::move(block));
        Ref(refs, size, pos);
        return;
      }
    }
  }

  static std::int32_t Bits32(const Cells& c, std::size_t r) {
    if (!c.materialized) return 0;
    if (c.type == Type::Int) return c.ints.Get(r);
    std::int32_t v;
    std::memcpy(&v, &c.floats[r], 4);
    return v;
  }

 private:
  Space* space_;
  bool le_;
};

void Mark(std::uint8_t* m, std::uint8_t first, std::uint32_t mid24, std::uint32_t value) {
  m[0] = first;
  m[1] = static_cast<std::uint8_t>(mid24 >> 16);
  m[2] = static_cast<std::uint8_t>(mid24 >> 8);
  m[3] = static_cast<std::uint8_t>(mid24);
  coding::PutBE32(m + 4, value);
}

std::vector<Extent> FreeGaps(const std::vector<Extent>& used_in, std::uint64_t end) {
  std::vector<Extent> used = used_in;
  used.push_back({0, 8});
  if (end >= 16) used.push_back({end - 16, 16});
  std::sort(used.begin(), used.end(), [](const Extent& a, const Extent& b) { return a.pos < b.pos; });
  std::vector<Extent> gaps;
  std::uint64_t at = 0;
  for (const auto& u : used) {
    if (u.pos > at) gaps.push_back({at, u.pos - at});
    at = std::max(at, u.pos + u.size);
  }
  if (end > at) gaps.push_back({at, end - at});
  return gaps;
}

}  // namespace

Status WriteVersion(File& file, FileLayout* layout, const std::vector<Extent>& used, const std::vector<TopWrite>& views) {
  const bool fresh = layout->end == 0;
  const std::uint64_t E = layout->end;
  Space space(fresh ? std::vector<Extent>{} : FreeGaps(used, E), fresh ? 8 : E);
  Planner plan(&space, layout->little_endian);

  std::vector<FieldDef> described;
  std::string view_refs;
  for (const auto& v : views) {
    described.push_back(v.def);
    if (!v.table) {
      view_refs += v.refs.empty() ? std::string("\x80", 1) : v.refs;
      continue;
    }
    std::string rec = plan.Record(v.table);
    const std::uint64_t size = rec.size();
    const std::uint64_t pos = plan.AddBlock(std::move(rec));
    plan.Ref(&view_refs, size, pos);
  }
  std::string structure;
  coding::PutVarint(&structure, 0);
  const std::string desc = FormatFields(described);
  coding::PutVarint(&structure, static_cast<std::int64_t>(desc.size()));
  structure += desc;
  coding::PutVarint(&structure, 1);
  structure += view_refs;
  if (structure.size() >= (1u << 24)) return Status::Error("the structure description is too large to store");
  const std::uint64_t root_size = structure.size();
  const std::uint64_t root_pos = plan.AddBlock(std::move(structure));
  if (!plan.error.ok()) return plan.error;

  const std::uint64_t base = layout->base;
  bool in_place = !fresh && space.tail() == E;
  if (in_place) {
    std::uint8_t m[8];
    Status st = file.ReadAt(base + E - 16, m, 8);
    if (!st.ok()) return st;
    std::uint8_t expect[8];
    Mark(expect, 0x80, 0, static_cast<std::uint32_t>(E - 16));
    in_place = std::memcmp(m, expect, 8) == 0;
  }
  const std::uint64_t A = fresh ? space.tail() : std::max(space.tail(), E);
  const std::uint64_t new_end = in_place ? E : A + 16;
  if (new_end > kMaxPosition) return Status::Error("the storage would exceed 2 GB");

  std::uint8_t marks[16];
  if (fresh) {
    std::uint8_t header[8] = {static_cast<std::uint8_t>(layout->little_endian ? 'J' : 'L'),
                              static_cast<std::uint8_t>(layout->little_endian ? 'L' : 'J'), 0x1A, 0};
    coding::PutBE32(header + 4, static_cast<std::uint32_t>(new_end));
    Status st = file.WriteAt(base, header, 8);
    if (!st.ok()) return st;
  } else if (!in_place) {
    // The file first ends in a link back to the old end, so that the old
    // version stays current until the new root mark is written.
    Mark(marks, 0x80, 0, static_cast<std::uint32_t>(A));
    Mark(marks + 8, 0x80, 0, static_cast<std::uint32_t>(A + 8 - E));
    Status st = file.WriteAt(base + A, marks, 16);
    if (!st.ok()) return st;
  }
  std::string buffer;
  for (auto& b : plan.blocks) {
    if (b.size == 0) continue;
    const std::string* data = &b.bytes;
    if (b.produce) {
      b.produce(&buffer);
      data = &buffer;
    }
    Status st = file.WriteAt(base + b.pos, data->data(), data->size());
    if (!st.ok()) return st;
  }
  if (fresh) {
    Mark(marks, 0x80, 0, static_cast<std::uint32_t>(A));
    Mark(marks + 8, 0x80, static_cast<std::uint32_t>(root_size), static_cast<std::uint32_t>(root_pos));
    Status st = file.WriteAt(base + A, marks, 16);
    if (!st.ok()) return st;
    st = file.Sync();
    if (!st.ok()) return st;
  } else {
    Status st = file.Sync();
    if (!st.ok()) return st;
    Mark(marks, 0x80, static_cast<std::uint32_t>(root_size), static_cast<std::uint32_t>(root_pos));
    st = file.WriteAt(base + new_end - 8, marks, 8);
    if (!st.ok()) return st;
    st = file.Sync();
    if (!st.ok()) return st;
    std::uint8_t header[8];
    st = file.ReadAt(base, header, 8);
    if (!st.ok()) return st;
    header[3] = 0;
    coding::PutBE32(header + 4, static_cast<std::uint32_t>(new_end));
    // The new version is current from here on; a failed header rewrite
    // leaves only a stale length that readers ignore.
    if (file.WriteAt(base, header, 8).ok()) (void)file.Sync();
  }

  for (auto& u : plan.updates) {
    if (u.col == SIZE_MAX) {
      for (auto& c : u.table->cols) { c.dirty = false; c.stored_refs.clear(); }
      u.table->dirty = false;
      continue;
    }
    u.table->cols[u.col].stored_refs = u.refs;
    u.table->cols[u.col].dirty = false;
  }
  for (const auto& v : views) {
    if (v.table) v.table->dirty = false;
  }
  layout->end = new_end;
  layout->root_size = static_cast<std::uint32_t>(root_size);
  layout->root_pos = static_cast<std::uint32_t>(root_pos);
  return Status::Ok();
}

}  // namespace sw::storage
