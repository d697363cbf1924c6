// libFuzzer target for the engine's write side: the input bytes are a
// program of mutations (add, insert, remove, set, set size, replace within
// and across views, restructure, delete a view, commit, reopen with and
// without commit) applied both to a storage file and to a plain in-memory
// model of it. After every step the storage must show exactly the model:
// views in order, descriptions, rows, and every column's values, hidden and
// transient columns included until a commit drops them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "storage/storage.h"

namespace {

using namespace sw::storage;

// Column names carry their type, so a name has the same type everywhere.
struct PoolColumn {
  const char* name;
  Type type;
};
constexpr PoolColumn kPool[] = {{"s1", Type::String}, {"i1", Type::Int},    {"s2", Type::String},
                                {"l1", Type::Long},   {"d1", Type::Double}, {"f1", Type::Float},
                                {"s3", Type::String}};
constexpr std::size_t kPoolSize = sizeof kPool / sizeof kPool[0];
constexpr const char* kViewNames[] = {"a", "b"};
constexpr std::size_t kMaxRows = 48;

Type TypeOf(const std::string& name) {
  for (const auto& p : kPool) {
    if (name == p.name) return p.type;
  }
  std::abort();
}

Value Default(Type t) {
  switch (t) {
    case Type::String: return std::string();
    case Type::Int: return std::int32_t{0};
    case Type::Long: return std::int64_t{0};
    case Type::Float: return 0.0f;
    case Type::Double: return 0.0;
    default: return std::monostate{};
  }
}

struct ModelColumn {
  std::string name;
  std::vector<Value> values;
};

struct ModelView {
  std::string name;
  std::vector<std::string> described;  // in description order
  std::vector<ModelColumn> cols;       // described, hidden and transient
  std::size_t rows = 0;

  ModelColumn* Find(const std::string& n) {
    for (auto& c : cols) {
      if (c.name == n) return &c;
    }
    return nullptr;
  }
  std::string Description() const {
    std::string d;
    for (const auto& n : described) {
      if (!d.empty()) d += ',';
      d += n + ":" + static_cast<char>(TypeOf(n));
    }
    return d;
  }
};

struct Model {
  std::vector<ModelView> views;
  ModelView* Find(const std::string& n) {
    for (auto& v : views) {
      if (v.name == n) return &v;
    }
    return nullptr;
  }
};

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  bool empty() const { return p_ == end_; }
  std::uint8_t Byte() { return p_ == end_ ? 0 : *p_++; }
  std::uint32_t Word() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

Value RandomValue(Type t, Input& in) {
  switch (t) {
    case Type::String: {
      static constexpr std::size_t kLengths[] = {0, 1, 3, 8, 40, 200, 300, 1200};
      const std::uint8_t pick = in.Byte();
      const std::size_t len = kLengths[pick % 8];
      std::string s(len, 'a');
      const std::uint8_t seed = in.Byte();
      for (std::size_t i = 0; i < len; ++i) s[i] = static_cast<char>(' ' + (seed + i * 13) % 95);
      return s;
    }
    case Type::Int: return static_cast<std::int32_t>(in.Word());
    case Type::Long: return static_cast<std::int64_t>((std::uint64_t{in.Word()} << 32) | in.Word());
    case Type::Float: return static_cast<float>(static_cast<std::int32_t>(in.Word()) % 100000) / 8.0f;
    case Type::Double: return static_cast<double>(static_cast<std::int32_t>(in.Word())) / 16.0;
    default: return std::monostate{};
  }
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "model mismatch: %s\n", what.c_str());
  std::abort();
}

bool SameValue(const Value& a, const Value& b) {
  if (a.index() != b.index()) return false;
  if (std::holds_alternative<float>(a)) {
    const float x = std::get<float>(a), y = std::get<float>(b);
    return std::memcmp(&x, &y, sizeof x) == 0;
  }
  if (std::holds_alternative<double>(a)) {
    const double x = std::get<double>(a), y = std::get<double>(b);
    return std::memcmp(&x, &y, sizeof x) == 0;
  }
  return a == b;
}

void Check(Storage& storage, Model& model, const char* step) {
  const auto names = storage.ViewNames();
  if (names.size() != model.views.size()) Fail(std::string(step) + ": view count");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] != model.views[i].name) Fail(std::string(step) + ": view order");
  }
  for (auto& mv : model.views) {
    View v = storage.GetView(mv.name);
    if (v.Describe() != mv.Description()) Fail(std::string(step) + ": description of " + mv.name + " is " + v.Describe());
    if (v.Size() != mv.rows) Fail(std::string(step) + ": row count of " + mv.name);
    if (v.ColumnCount() != mv.cols.size()) Fail(std::string(step) + ": column count of " + mv.name);
    for (const auto& mc : mv.cols) {
      const int c = v.ColumnIndex(mc.name);
      if (c < 0) Fail(std::string(step) + ": column " + mc.name + " missing");
      for (std::size_t r = 0; r < mv.rows; ++r) {
        if (!SameValue(v.Get(r, static_cast<std::size_t>(c)), mc.values[r])) {
          Fail(std::string(step) + ": value of " + mv.name + "." + mc.name + " row " + std::to_string(r));
        }
      }
    }
  }
}

void Must(const Status& st, const char* what) {
  if (!st.ok()) Fail(std::string(what) + " failed: " + st.message());
}

// A row of random values for some of the described columns; the model row
// gets the same values.
Row MakeRow(ModelView& mv, Input& in, std::vector<std::pair<std::string, Value>>* set) {
  Row row;
  const std::uint8_t mask = in.Byte();
  for (std::size_t i = 0; i < mv.described.size(); ++i) {
    if (!(mask & (1u << (i % 8)))) continue;
    Value v = RandomValue(TypeOf(mv.described[i]), in);
    row.Set(mv.described[i], v);
    set->emplace_back(mv.described[i], std::move(v));
  }
  return row;
}

void InsertModelRows(ModelView& mv, std::size_t pos, std::size_t count,
                     const std::vector<std::pair<std::string, Value>>& set) {
  for (auto& c : mv.cols) {
    Value value = Default(TypeOf(c.name));
    for (const auto& [n, v] : set) {
      if (n == c.name) value = v;
    }
    c.values.insert(c.values.begin() + static_cast<std::ptrdiff_t>(pos), count, value);
  }
  mv.rows += count;
}

void Restructure(ModelView& mv, const std::vector<std::string>& wanted) {
  if (wanted == mv.described) return;
  mv.described = wanted;
  std::vector<ModelColumn> cols;
  for (const auto& n : wanted) {
    if (ModelColumn* c = mv.Find(n)) {
      cols.push_back(std::move(*c));
      c->name.clear();
    } else {
      cols.push_back(ModelColumn{n, std::vector<Value>(mv.rows, Default(TypeOf(n)))});
    }
  }
  for (auto& c : mv.cols) {
    if (!c.name.empty()) cols.push_back(std::move(c));
  }
  mv.cols = std::move(cols);
}

void DropUnkept(Model& model) {
  for (auto& mv : model.views) {
    std::vector<ModelColumn> kept;
    for (const auto& n : mv.described) kept.push_back(std::move(*mv.Find(n)));
    mv.cols = std::move(kept);
  }
}

void Replace(ModelView& target, std::size_t row, const ModelView& source, std::size_t srow) {
  // Read every source value first: the source may be the target.
  std::vector<std::pair<std::string, Value>> values;
  for (const auto& c : source.cols) values.emplace_back(c.name, c.values[srow]);
  for (auto& c : target.cols) {
    Value v = Default(TypeOf(c.name));
    for (const auto& [n, sv] : values) {
      if (n == c.name) v = sv;
    }
    c.values[row] = v;
  }
  for (const auto& [n, sv] : values) {
    if (target.Find(n)) continue;
    ModelColumn c{n, std::vector<Value>(target.rows, Default(TypeOf(n)))};
    c.values[row] = sv;
    target.cols.push_back(std::move(c));
  }
}

// In memory where the system offers it: commits flush to the disk.
std::string Path() {
  static const std::string path = (std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") +
                                  std::string("/sw_mutation_fuzz_") + std::to_string(::getpid()) + ".mk4";
  return path;
}

Storage Open() {
  auto s = Storage::Open(Path(), Storage::Mode::ReadWrite);
  if (!s.ok()) Fail("open: " + s.status().message());
  return std::move(s.value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::filesystem::remove(Path());
  Input in(data, size);
  Model model, committed;
  std::optional<Storage> storage(Open());
  for (int step = 0; step < 160 && !in.empty(); ++step) {
    const std::uint8_t op = in.Byte() % 12;
    const std::string name = kViewNames[in.Byte() % 2];
    ModelView* mv = model.Find(name);
    if (!mv && op != 9 && op != 10 && op != 11) {
      // The view is made first, with a shape from the input.
      std::vector<std::string> wanted;
      const std::uint8_t mask = in.Byte();
      for (std::size_t i = 0; i < kPoolSize; ++i) {
        if (mask & (1u << i)) wanted.emplace_back(kPool[i].name);
      }
      ModelView fresh;
      fresh.name = name;
      model.views.push_back(fresh);
      mv = &model.views.back();
      Restructure(*mv, wanted);
      const std::string description = name + "[" + mv->Description() + "]";
      if (!storage->GetAs(description).ok()) Fail("create " + description);
      Check(*storage, model, "create");
      continue;
    }
    View v = mv ? storage->GetView(name) : View();
    switch (op) {
      case 0: {  // add
        if (mv->rows >= kMaxRows) break;
        std::vector<std::pair<std::string, Value>> set;
        const Row row = MakeRow(*mv, in, &set);
        if (v.Add(row) != static_cast<long>(mv->rows)) Fail("add");
        InsertModelRows(*mv, mv->rows, 1, set);
        break;
      }
      case 1: {  // insert
        const std::size_t pos = in.Byte() % (mv->rows + 1);
        const std::size_t count = in.Byte() % 4;
        if (mv->rows + count > kMaxRows) break;
        std::vector<std::pair<std::string, Value>> set;
        const Row row = MakeRow(*mv, in, &set);
        Must(v.InsertAt(pos, row, count), "insert");
        InsertModelRows(*mv, pos, count, set);
        break;
      }
      case 2: {  // remove, sometimes past the end (refused)
        const std::size_t pos = in.Byte() % (mv->rows + 2);
        const std::size_t count = in.Byte() % 5;
        const bool inside = pos <= mv->rows && count <= mv->rows - pos;
        const Status st = v.RemoveAt(pos, count);
        if (st.ok() != inside) Fail("remove refused wrongly");
        if (!inside) break;
        for (auto& c : mv->cols) {
          c.values.erase(c.values.begin() + static_cast<std::ptrdiff_t>(pos),
                         c.values.begin() + static_cast<std::ptrdiff_t>(pos + count));
        }
        mv->rows -= count;
        break;
      }
      case 3: {  // set one cell (any column the view has, hidden ones too)
        if (mv->rows == 0 || mv->cols.empty()) break;
        const std::size_t r = in.Byte() % mv->rows;
        ModelColumn& c = mv->cols[in.Byte() % mv->cols.size()];
        Value value = RandomValue(TypeOf(c.name), in);
        Must(v.Set(r, static_cast<std::size_t>(v.ColumnIndex(c.name)), value), "set");
        c.values[r] = std::move(value);
        break;
      }
      case 4: {  // set size
        const std::size_t n = in.Byte() % (kMaxRows + 1);
        Must(v.SetSize(n), "set size");
        for (auto& c : mv->cols) c.values.resize(n, Default(TypeOf(c.name)));
        mv->rows = n;
        break;
      }
      case 5: {  // replace within the view
        if (mv->rows == 0) break;
        const std::size_t to = in.Byte() % mv->rows, from = in.Byte() % mv->rows;
        Must(v.Replace(to, v, from), "replace within");
        Replace(*mv, to, *mv, from);
        break;
      }
      case 6: {  // replace from the other view
        ModelView* other = model.Find(name == "a" ? "b" : "a");
        if (!other || other->rows == 0 || mv->rows == 0) break;
        const std::size_t to = in.Byte() % mv->rows, from = in.Byte() % other->rows;
        Must(v.Replace(to, storage->GetView(other->name), from), "replace across");
        Replace(*mv, to, *other, from);
        break;
      }
      case 7: {  // restructure: a subset of the pool in a rotated order
        const std::uint8_t mask = in.Byte();
        const std::size_t turn = in.Byte() % kPoolSize;
        std::vector<std::string> wanted;
        for (std::size_t k = 0; k < kPoolSize; ++k) {
          const std::size_t i = (k + turn) % kPoolSize;
          if (mask & (1u << i)) wanted.emplace_back(kPool[i].name);
        }
        ModelView probe;
        probe.described = wanted;
        if (!storage->GetAs(name + "[" + probe.Description() + "]").ok()) Fail("restructure");
        Restructure(*mv, wanted);
        break;
      }
      case 8: {  // delete the view
        if (in.Byte() % 4 != 0) break;
        if (!storage->GetAs(name).ok()) Fail("delete");
        for (std::size_t i = 0; i < model.views.size(); ++i) {
          if (model.views[i].name == name) model.views.erase(model.views.begin() + static_cast<std::ptrdiff_t>(i));
        }
        break;
      }
      case 9:
      case 10: {  // commit, sometimes reopening after it
        Must(storage->Commit(), "commit");
        DropUnkept(model);
        committed = model;
        Check(*storage, model, "commit");
        if (op == 10) {
          storage.reset();
          storage.emplace(Open());
          Check(*storage, model, "reopen after commit");
        }
        break;
      }
      case 11: {  // release without commit: the last committed state returns
        storage.reset();
        storage.emplace(Open());
        model = committed;
        Check(*storage, model, "reopen without commit");
        break;
      }
    }
    Check(*storage, model, "step");
  }
  Must(storage->Commit(), "final commit");
  DropUnkept(model);
  storage.reset();
  storage.emplace(Open());
  Check(*storage, model, "final reopen");
  storage.reset();
  std::filesystem::remove(Path());
  return 0;
}
