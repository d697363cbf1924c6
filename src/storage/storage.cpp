// Storage: opening files (read-only or locked for writing), lazy decoding of
// views, views by description (create, restructure, delete) and commit.
// Not for: view operations (view.cpp) or the byte layout (format_*.cpp).
#include <new>
#include <stdexcept>

#include "storage/format_writer.h"
#include "storage/output_set.h"
#include "storage/storage_impl.h"

namespace sw::storage {

std::vector<FieldDef> ViewFields(const FieldDef& view) {
  if (view.recursive) return {view};
  return view.sub;
}

namespace detail {

Result<std::shared_ptr<Table>> StorageImpl::Load(TopEntry& entry) {
  if (entry.table) return entry.table;
  if (!file || layout.end == 0) {
    entry.table = Table::Make(ViewFields(entry.def));
    return entry.table;
  }
  BlockSource src(file.get(), layout);
  TopField tf{entry.def, entry.refs};
  auto t = LoadTopView(src, tf);
  if (!t.ok()) {
    damage = t.status();
    return t.status();
  }
  entry.table = t.value();
  return entry.table;
}

int StorageImpl::FindEntry(std::string_view name) const {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (EqualText(entries[i].def.name, name)) return static_cast<int>(i);
  }
  return -1;
}

bool StorageImpl::Changed() const {
  if (structure_changed) return true;
  for (const auto& e : entries) {
    if (e.table && e.table->dirty) return true;
  }
  return false;
}

Status StorageImpl::RefreshUsed() {
  used.clear();
  BlockSource src(file.get(), layout);
  auto s = ReadStructure(src);
  if (!s.ok()) return s.status();
  Status st = CollectExtents(src, s.value(), &used);
  if (!st.ok()) return st;
  std::size_t k = 0;
  for (auto& e : entries) {
    if (e.def.type != Type::Subview) continue;
    while (k < s.value().fields.size() && s.value().fields[k].def.type != Type::Subview) ++k;
    if (k < s.value().fields.size()) e.refs = s.value().fields[k++].refs;
  }
  return Status::Ok();
}

}  // namespace detail

namespace {

Status OpenExisting(detail::StorageImpl* impl) {
  auto size = impl->file->Size();
  if (!size.ok()) return size.status();
  if (size.value() == 0) return Status::Ok();  // a 0-byte file is an empty storage
  auto layout = TailScan(*impl->file, size.value());
  if (!layout.ok()) return layout.status();
  impl->layout = layout.value();
  BlockSource src(impl->file.get(), impl->layout);
  auto structure = ReadStructure(src);
  if (!structure.ok()) return structure.status();
  for (auto& f : structure.value().fields) {
    detail::TopEntry e;
    e.def = f.def;
    e.refs = f.refs;
    if (f.def.type != Type::Subview) {
      Status st = LoadTopValue(src, f, &e.value);
      if (!st.ok()) return st;
    }
    impl->entries.push_back(std::move(e));
  }
  if (impl->mode == Storage::Mode::ReadWrite) {
    Status st = CollectExtents(src, structure.value(), &impl->used);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

// Drops columns that a commit does not keep: hidden and transient ones.
void DropUnkept(Table& t) {
  std::vector<TableColumn> kept;
  for (auto& c : t.cols) {
    if (c.kind == ColumnKind::Described) kept.push_back(std::move(c));
  }
  t.cols = std::move(kept);
}

}  // namespace

Storage::Storage() : impl_(std::make_unique<detail::StorageImpl>()) {}
Storage::Storage(Storage&&) noexcept = default;
Storage& Storage::operator=(Storage&&) noexcept = default;
Storage::~Storage() = default;

Result<Storage> Storage::Open(const std::filesystem::path& path, Mode mode, FileSystem* fs) {
  try {
    Storage s;
    auto* impl = s.impl_.get();
    impl->path = path;
    impl->mode = mode;
    impl->fs = fs ? fs : FileSystem::Default();
    const std::string name = path.string();
    if (!impl->fs->Exists(name)) {
      if (mode == Mode::ReadWrite) {
        auto lock = impl->fs->LockPath(name);
        if (!lock.ok()) return lock.status();
        impl->path_lock = lock.value();
      }
      return s;
    }
    auto file = impl->fs->Open(name, mode == Mode::ReadWrite);
    if (!file.ok()) return file.status();
    impl->file = std::move(file.value());
    Status st = OpenExisting(impl);
    if (!st.ok()) return Status::Error("\"" + name + "\": " + st.message());
    return s;
  } catch (const std::bad_alloc&) {
    return Status::Error("out of memory opening \"" + path.string() + "\"");
  } catch (const std::exception& e) {
    return Status::Error(e.what());
  }
}

std::string Storage::Description() const {
  std::vector<FieldDef> defs;
  for (const auto& e : impl_->entries) defs.push_back(e.def);
  return FormatFields(defs);
}

std::vector<std::string> Storage::ViewNames() const {
  std::vector<std::string> out;
  for (const auto& e : impl_->entries) {
    if (e.def.type == Type::Subview) out.push_back(e.def.name);
  }
  return out;
}

std::vector<std::pair<ColumnInfo, Value>> Storage::Properties() const {
  std::vector<std::pair<ColumnInfo, Value>> out;
  for (const auto& e : impl_->entries) out.push_back({ColumnInfo{e.def.name, e.def.type}, e.value});
  return out;
}

bool Storage::HasView(std::string_view name) const {
  const int i = impl_->FindEntry(name);
  return i >= 0 && impl_->entries[static_cast<std::size_t>(i)].def.type == Type::Subview;
}

View Storage::GetView(std::string_view name) {
  const int i = impl_->FindEntry(name);
  if (i >= 0 && impl_->entries[static_cast<std::size_t>(i)].def.type == Type::Subview) {
    try {
      auto t = impl_->Load(impl_->entries[static_cast<std::size_t>(i)]);
      if (t.ok()) {
        auto v = std::make_shared<detail::ViewImpl>();
        v->table = t.value();
        return View(v);
      }
    } catch (const std::exception&) {
    }
  }
  return View();
}

namespace {

// Converts a column's values to another type (restructure with a changed
// type letter) by the engine's conversion rules.
void ConvertColumn(Table& t, std::size_t col, Type to) {
  TableColumn& c = t.cols[col];
  auto old = std::make_shared<Table>();
  old->rows = t.rows;
  old->cols.push_back(std::move(c));
  TableColumn fresh;
  fresh.def = old->cols[0].def;
  fresh.def.type = to;
  fresh.kind = old->cols[0].kind;
  fresh.cells.type = to;
  t.cols[col] = std::move(fresh);
  if (to == Type::Subview || old->cols[0].cells.type == Type::Subview || !old->cols[0].cells.materialized) return;
  for (std::size_t r = 0; r < t.rows; ++r) t.CopyCell(r, static_cast<int>(col), *old, r, 0);
}

void Restructure(Table& t, const std::vector<FieldDef>& defs) {
  std::vector<TableColumn> old;
  old.swap(t.cols);
  std::vector<bool> taken(old.size(), false);
  for (const auto& d : defs) {
    int found = -1;
    for (std::size_t i = 0; i < old.size(); ++i) {
      if (!taken[i] && EqualText(old[i].def.name, d.name)) {
        found = static_cast<int>(i);
        break;
      }
    }
    if (found >= 0 && old[static_cast<std::size_t>(found)].kind == ColumnKind::Transient &&
        old[static_cast<std::size_t>(found)].def.type != d.type) {
      found = -1;  // a transient column is adopted only with the same type
    }
    if (found < 0) {
      t.AddColumn(d, ColumnKind::Described);
      continue;
    }
    taken[static_cast<std::size_t>(found)] = true;
    TableColumn c = std::move(old[static_cast<std::size_t>(found)]);
    const bool retyped = c.def.type != d.type;
    const bool was_described = c.kind == ColumnKind::Described;
    c.kind = ColumnKind::Described;
    c.def.name = d.name;
    if (!was_described) c.dirty = true;
    t.cols.push_back(std::move(c));
    const std::size_t at = t.cols.size() - 1;
    if (retyped) {
      ConvertColumn(t, at, d.type);
      t.cols[at].def = d;
      if (d.recursive) t.cols[at].def.sub.clear();
      continue;
    }
    if (d.type == Type::Subview) {
      const auto sub = d.recursive ? defs : d.sub;
      const bool changed = !SameShape(t.cols[at].def.recursive ? std::vector<FieldDef>{} : t.cols[at].def.sub,
                                      d.recursive ? std::vector<FieldDef>{} : d.sub) ||
                           t.cols[at].def.recursive != d.recursive;
      t.cols[at].def = d;
      if (d.recursive) t.cols[at].def.sub.clear();
      if (changed && t.cols[at].cells.materialized) {
        for (auto& s : t.cols[at].cells.subs) {
          if (s) Restructure(*s, sub);
        }
        t.cols[at].dirty = true;
      }
    }
  }
  for (std::size_t i = 0; i < old.size(); ++i) {
    if (taken[i]) continue;
    if (old[i].kind == ColumnKind::Described) old[i].kind = ColumnKind::Hidden;
    t.cols.push_back(std::move(old[i]));
  }
  t.dirty = true;
}

}  // namespace

Result<View> Storage::GetAs(std::string_view description) {
  return detail::CatchAll([&]() -> Result<View> {
    bool bracket = false;
    auto parsed = ParseViewDescription(description, &bracket);
    if (!parsed.ok()) return parsed.status();
    FieldDef def = std::move(parsed.value());
    const int i = impl_->FindEntry(def.name);
    if (!bracket) {
      if (i >= 0) {
        impl_->entries.erase(impl_->entries.begin() + i);
        impl_->structure_changed = true;
      }
      return View();
    }
    if (i < 0) {
      detail::TopEntry e;
      e.def = def;
      e.table = Table::Make(ViewFields(def));
      impl_->entries.push_back(std::move(e));
      impl_->structure_changed = true;
      auto v = std::make_shared<detail::ViewImpl>();
      v->table = impl_->entries.back().table;
      return View(v);
    }
    auto& entry = impl_->entries[static_cast<std::size_t>(i)];
    if (entry.def.type != Type::Subview) return Status::Error("\"" + def.name + "\" is not a view");
    auto t = impl_->Load(entry);
    if (!t.ok()) return t.status();
    auto table = t.value();
    const auto wanted = ViewFields(def);
    const bool same_stored = SameShape(ViewFields(entry.def), wanted) && entry.def.recursive == def.recursive;
    bool extra = false;
    for (const auto& c : table->cols) extra = extra || c.kind != ColumnKind::Described;
    if (!same_stored || extra) {
      if (!same_stored || !SameShape(table->Described(), wanted)) {
        Restructure(*table, wanted);
        entry.def = def;
        impl_->structure_changed = true;
      }
    }
    auto v = std::make_shared<detail::ViewImpl>();
    v->table = table;
    return View(v);
  });
}

Status Storage::Commit() {
  return detail::CatchAll([&]() -> Status {
    auto* impl = impl_.get();
    if (impl->mode != Mode::ReadWrite) return Status::Error("the storage \"" + impl->path.string() + "\" is opened read-only");
    if (!impl->damage.ok()) return Status::Error("cannot commit a damaged storage: " + impl->damage.message());
    if (!impl->Changed()) return Status::Ok();
    std::vector<TopWrite> views;
    for (auto& e : impl->entries) {
      if (e.def.type != Type::Subview) continue;
      TopWrite w;
      w.def = e.def;
      if (e.table) {
        w.def.sub = e.table->Described();
        if (e.def.recursive) w.def.sub.clear();
      }
      w.table = e.table;
      w.refs = e.refs;
      views.push_back(std::move(w));
    }
    const bool fresh = !impl->file;
    if ((fresh || impl->layout.end == 0) && views.empty()) {
      impl->structure_changed = false;
      return Status::Ok();  // a storage without views writes nothing
    }
    if (fresh) {
      // A new file is built in a temporary beside the target and moved into
      // place, as every output of the program is.
      OutputSet set(impl->fs);
      const std::string target = impl->path.string();
      auto temp = set.Add(target);
      if (!temp.ok()) return temp.status();
      std::unique_ptr<File> file = set.TemporaryFile(target);
      FileLayout layout;
      Status st = WriteVersion(*file, &layout, {}, views);
      if (st.ok()) st = set.Commit();
      if (!st.ok()) return st;
      impl->file = std::move(file);
      impl->layout = layout;
      impl->path_lock.reset();
    } else {
      FileLayout layout = impl->layout;
      // E is the physical end: a failed earlier commit may have left bytes
      // (and a link back to the current version) past the old end.
      auto size = impl->file->Size();
      if (!size.ok()) return size.status();
      layout.end = size.value() - layout.base;
      Status st = WriteVersion(*impl->file, &layout, impl->used, views);
      if (!st.ok()) return st;
      impl->layout = layout;
    }
    for (std::size_t i = impl->entries.size(); i-- > 0;) {
      if (impl->entries[i].def.type != Type::Subview) impl->entries.erase(impl->entries.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (auto& e : impl->entries) {
      if (!e.table) continue;
      DropUnkept(*e.table);
      e.def.sub = e.table->Described();
      if (e.def.recursive) e.def.sub.clear();
    }
    impl->structure_changed = false;
    return impl->RefreshUsed();
  });
}

Status Storage::Verify() {
  return detail::CatchAll([&]() -> Status {
    for (auto& e : impl_->entries) {
      if (e.def.type != Type::Subview) continue;
      auto t = impl_->Load(e);
      if (!t.ok()) {
        std::string message = "\"";
        message += impl_->path.string();
        message += "\": ";
        message += t.status().message();
        return Status::Error(std::move(message));
      }
    }
    return impl_->damage;
  });
}

bool Storage::writable() const { return impl_->mode == Mode::ReadWrite; }
const std::filesystem::path& Storage::path() const { return impl_->path; }

}  // namespace sw::storage
