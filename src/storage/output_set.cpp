// OutputSet: temporaries beside their targets, moved into place together.
//
// Temporary names are "~" + the target's file name + "." + a token unique to
// the process and the set + ".swtmp". A killed run leaves such files behind;
// the next set that writes into the folder removes every one whose lock no
// live process holds. Targets that exist are locked with the engine's writer
// lock from Add() until the set is gone, so a process holding the old file
// open for writing makes the set fail as "in use" instead of losing its
// later commit. Before the first rename, the old content of every existing
// target but the last is copied aside, so that a failed rename can put back
// what the earlier renames replaced. A set of several files writes a journal
// of its moves first ("~" + first target's name + token + ".swset"): should
// the process die between two moves, the next set in that folder finishes
// them, so the targets end all old or all new.
#include "storage/output_set.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>

namespace sw::storage {
namespace {

constexpr std::string_view kTempSuffix = ".swtmp";
constexpr std::string_view kJournalSuffix = ".swset";
constexpr std::string_view kJournalEnd = "end\n";
constexpr std::size_t kCopyChunk = 1 << 20;

// A random token per process, chosen once, and a counter per temporary.
std::string NextToken() {
  static const std::uint64_t process = [] {
    std::random_device random;
    return (static_cast<std::uint64_t>(random()) << 32) ^ random();
  }();
  static std::atomic<std::uint64_t> counter{0};
  std::ostringstream out;
  out << std::hex << process << "-" << std::dec << ++counter;
  return out.str();
}

// Folder and name through std::filesystem, so that either separator works
// where the platform has both.
std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

std::string NameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : (std::filesystem::path(folder) / name).string();
}

// A handle on a temporary that shares the set's open file (and its lock).
class SharedFile : public File {
 public:
  explicit SharedFile(std::shared_ptr<File> file) : file_(std::move(file)) {}
  Result<std::uint64_t> Size() override { return file_->Size(); }
  Status ReadAt(std::uint64_t offset, void* buffer, std::size_t n) override { return file_->ReadAt(offset, buffer, n); }
  Status WriteAt(std::uint64_t offset, const void* data, std::size_t n) override {
    return file_->WriteAt(offset, data, n);
  }
  Status Sync() override { return file_->Sync(); }

 private:
  std::shared_ptr<File> file_;
};

Status CopyContents(File& from, File& to) {
  auto size = from.Size();
  if (!size.ok()) return size.status();
  std::string buffer;
  for (std::uint64_t at = 0; at < size.value(); at += kCopyChunk) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, size.value() - at));
    buffer.resize(n);
    Status st = from.ReadAt(at, buffer.data(), n);
    if (st.ok()) st = to.WriteAt(at, buffer.data(), n);
    if (!st.ok()) return st;
  }
  return to.Sync();
}

}  // namespace

namespace {

// A move a journal may ask for: a temporary of this program for that very
// target, both in the journal's own folder. Anything else in a journal (a
// file anyone could have put there) is ignored.
bool IsJournalMove(const std::string& journal, const std::string& temp, const std::string& target) {
  const std::string folder = FolderOf(journal);
  const std::string name = NameOf(temp);
  return FolderOf(temp) == folder && FolderOf(target) == folder && name.ends_with(kTempSuffix) &&
         name.starts_with("~" + NameOf(target) + ".") && !NameOf(target).empty() && NameOf(target) != "." &&
         NameOf(target) != "..";
}

}  // namespace

std::vector<std::pair<std::string, std::string>> JournalMoves(const std::string& journal, std::string_view text) {
  std::vector<std::pair<std::string, std::string>> moves;
  if (!text.ends_with(kJournalEnd)) return moves;  // cut off before any move
  text.remove_suffix(kJournalEnd.size());
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    std::string temp(line.substr(0, tab));
    std::string target(line.substr(tab + 1));
    if (IsJournalMove(journal, temp, target)) moves.emplace_back(std::move(temp), std::move(target));
  }
  return moves;
}

bool IsOutputTemporary(std::string_view name) {
  return name.size() > kTempSuffix.size() + 1 && name.front() == '~' &&
         (name.ends_with(kTempSuffix) || name.ends_with(kJournalSuffix));
}

struct OutputSet::Impl {
  struct Entry {
    std::string target;
    std::string temp;
    std::shared_ptr<File> file;
    std::shared_ptr<void> target_lock;  // the old target, held until the set is gone
    std::string text;                   // what WriteText wrote, checked before the move
    bool checked_text = false;
    std::string aside;                  // a copy of the old target while the renames run
    bool moved = false;
  };

  // Lends the temporaries' open files to a storage opened on them, whose own
  // writable open would otherwise collide with the set's lock.
  class Lender : public ForwardingFileSystem {
   public:
    Lender(FileSystem* base, Impl* owner) : ForwardingFileSystem(base), owner_(owner) {}
    Result<std::unique_ptr<File>> Open(const std::string& path, bool writable) override {
      for (const Entry& e : owner_->entries) {
        if (e.temp == path) return std::unique_ptr<File>(new SharedFile(e.file));
      }
      return ForwardingFileSystem::Open(path, writable);
    }

   private:
    Impl* owner_;
  };

  explicit Impl(FileSystem* files) : fs(files ? files : FileSystem::Default()), lender(fs, this) {}

  FileSystem* fs;
  Lender lender;
  std::vector<Entry> entries;
  std::set<std::string> cleaned;
  std::string journal;  // while the moves of a set of several files run
  std::unique_ptr<File> journal_file;
  bool committed = false;

  Entry* Find(const std::string& target) {
    for (Entry& e : entries) {
      if (e.target == target) return &e;
    }
    return nullptr;
  }

  void RemoveLeftovers(const std::string& folder) {
    if (!cleaned.insert(folder).second) return;
    auto names = fs->ListFolder(folder);
    if (!names.ok()) return;
    // A killed set's journal first: its temporaries finish their moves.
    for (const std::string& name : names.value()) {
      if (IsOutputTemporary(name) && name.ends_with(kJournalSuffix)) Recover(Join(folder, name));
    }
    for (const std::string& name : names.value()) {
      if (!IsOutputTemporary(name) || name.ends_with(kJournalSuffix)) continue;
      const std::string path = Join(folder, name);
      bool ours = false;
      for (const Entry& e : entries) ours = ours || e.temp == path || e.aside == path;
      if (ours) continue;
      // Removed only while this process holds its lock: a live writer's
      // temporary is left alone.
      auto lock = fs->LockFile(path);
      if (lock.ok()) (void)fs->Remove(path);
    }
  }

  // Leftovers of `target` from the program's earlier ways of replacing a
  // file: NAME.tmpNNNNNN of a text file, NAME.sw-new of a new storage, and
  // ~NAME.building (.sw-new) of an import. Removed, like the others, only
  // when no live process holds them.
  void RemoveEarlierLeftovers(const std::string& target) {
    const std::string name = NameOf(target);
    auto names = fs->ListFolder(FolderOf(target));
    if (!names.ok()) return;
    for (const std::string& other : names.value()) {
      bool earlier = other == name + ".sw-new" || other == "~" + name + ".building" ||
                     other == "~" + name + ".building.sw-new";
      const std::string tmp = name + ".tmp";
      if (!earlier && other.size() > tmp.size() && other.size() <= tmp.size() + 6 && other.starts_with(tmp)) {
        earlier = other.find_first_not_of("0123456789", tmp.size()) == std::string::npos;
      }
      if (!earlier) continue;
      const std::string path = Join(FolderOf(target), other);
      auto lock = fs->LockFile(path);
      if (lock.ok()) (void)fs->Remove(path);
    }
  }

  // The journal of a set whose process died during its moves: every
  // temporary was whole and flushed before the journal was written, so the
  // moves are finished. A journal without its end line was cut off before
  // any move: it is only removed.
  void Recover(const std::string& journal) {
    auto lock = fs->LockFile(journal);
    if (!lock.ok()) return;  // its set is alive
    auto file = fs->Open(journal, false);
    std::string text;
    if (file.ok()) {
      auto size = file.value()->Size();
      if (size.ok() && size.value() < (1u << 20)) {
        text.resize(static_cast<std::size_t>(size.value()));
        if (!file.value()->ReadAt(0, text.data(), text.size()).ok()) text.clear();
      }
    }
    const auto moves = JournalMoves(journal, text);
    for (const auto& [temp, target] : moves) {
      if (fs->Exists(temp)) (void)fs->Rename(temp, target);
    }
    if (!moves.empty()) (void)fs->SyncFolder(FolderOf(journal));
    (void)fs->Remove(journal);
  }

  // Writes and flushes the list of moves before the first one, for Recover.
  Status WriteJournal() {
    std::string text;
    for (const Entry& e : entries) text += e.temp + "\t" + e.target + "\n";
    text += kJournalEnd;
    const std::string& first = entries.front().target;
    journal = Join(FolderOf(first), "~" + NameOf(first) + "." + NextToken() + std::string(kJournalSuffix));
    auto created = fs->Create(journal);
    if (!created.ok()) {
      journal.clear();
      return created.status();
    }
    journal_file = std::move(created.value());
    Status st = journal_file->WriteAt(0, text.data(), text.size());
    if (st.ok()) st = journal_file->Sync();
    if (st.ok()) st = fs->SyncFolder(FolderOf(journal));
    return st;
  }

  void RemoveJournal() {
    if (journal.empty()) return;
    (void)fs->Remove(journal);
    journal_file.reset();
    journal.clear();
  }

  Result<std::shared_ptr<File>> CreateTemporary(const std::string& target, std::string* temp) {
    Status last;
    for (int attempt = 0; attempt < 4; ++attempt) {
      *temp = Join(FolderOf(target), "~" + NameOf(target) + "." + NextToken() + std::string(kTempSuffix));
      auto created = fs->Create(*temp);
      if (created.ok()) return std::shared_ptr<File>(std::move(created.value()));
      last = created.status();
    }
    return last;
  }

  void Discard() {
    RemoveJournal();
    for (Entry& e : entries) {
      if (!e.moved && !e.temp.empty()) (void)fs->Remove(e.temp);
      if (!e.aside.empty()) (void)fs->Remove(e.aside);
      e.file.reset();
    }
  }

  Status Commit();
};

OutputSet::OutputSet(FileSystem* fs) : impl_(std::make_unique<Impl>(fs)) {}

OutputSet::~OutputSet() {
  if (!impl_->committed) impl_->Discard();
}

Result<std::string> OutputSet::Add(const std::string& target) {
  if (impl_->committed) return Status::Error("the output set was committed already");
  if (impl_->Find(target) != nullptr) return Status::Error("\"" + target + "\" is written twice");
  impl_->RemoveLeftovers(FolderOf(target));
  impl_->RemoveEarlierLeftovers(target);
  Impl::Entry entry;
  entry.target = target;
  if (impl_->fs->Exists(target)) {
    auto lock = impl_->fs->LockFile(target);
    if (!lock.ok()) return lock.status();
    entry.target_lock = lock.value();
  }
  auto file = impl_->CreateTemporary(target, &entry.temp);
  if (!file.ok()) return file.status();
  entry.file = file.value();
  impl_->entries.push_back(std::move(entry));
  return impl_->entries.back().temp;
}

Result<Storage> OutputSet::AddStorage(const std::string& target) {
  auto temp = Add(target);
  if (!temp.ok()) return temp.status();
  return Storage::Open(temp.value(), Storage::Mode::ReadWrite, &impl_->lender);
}

std::unique_ptr<File> OutputSet::TemporaryFile(const std::string& target) {
  Impl::Entry* e = impl_->Find(target);
  if (e == nullptr || !e->file) return nullptr;
  return std::unique_ptr<File>(new SharedFile(e->file));
}

Status OutputSet::WriteText(const std::string& target, const std::function<bool(std::ostream&)>& write) {
  std::ostringstream out;
  if (!write(out) || !out) return Status::Error("\"" + target + "\" could not be composed");
  auto temp = Add(target);
  if (!temp.ok()) return temp.status();
  Impl::Entry* e = impl_->Find(target);
  e->text = std::move(out).str();
  e->checked_text = true;
  for (std::size_t at = 0; at < e->text.size(); at += kCopyChunk) {
    const std::size_t n = std::min(kCopyChunk, e->text.size() - at);
    Status st = e->file->WriteAt(at, e->text.data() + at, n);
    if (!st.ok()) return st;
  }
  return Status::Ok();
}

Status OutputSet::Commit() {
  if (impl_->committed) return Status::Error("the output set was committed already");
  Status st = impl_->Commit();
  if (!st.ok()) {
    impl_->Discard();
    impl_->entries.clear();
    return st;
  }
  impl_->committed = true;
  return st;
}

std::vector<std::string> OutputSet::Targets() const {
  std::vector<std::string> out;
  for (const Impl::Entry& e : impl_->entries) out.push_back(e.target);
  return out;
}

Status OutputSet::Impl::Commit() {
  // Every temporary flushed and checked before any target is touched.
  for (Entry& e : entries) {
    Status st = e.file->Sync();
    if (!st.ok()) return st;
    auto size = e.file->Size();
    if (!size.ok()) return size.status();
    if (e.checked_text) {
      std::string back(e.text.size(), '\0');
      if (size.value() != e.text.size()) return Status::Error("\"" + e.temp + "\" was not written whole");
      st = e.file->ReadAt(0, back.data(), back.size());
      if (!st.ok()) return st;
      if (back != e.text) return Status::Error("\"" + e.temp + "\" does not hold what was written");
    } else if (size.value() == 0) {
      return Status::Error("nothing was written for \"" + e.target + "\"");
    }
  }
  // A target that appeared since Add() is locked now; one that another
  // writer holds stops the set.
  for (Entry& e : entries) {
    if (!e.target_lock && fs->Exists(e.target)) {
      auto lock = fs->LockFile(e.target);
      if (!lock.ok()) return lock.status();
      e.target_lock = lock.value();
    }
  }
  // Copies of the old targets that a later failed rename would need back.
  for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
    Entry& e = entries[i];
    if (!e.target_lock) continue;
    auto from = fs->Open(e.target, false);
    if (!from.ok()) return from.status();
    auto copy = CreateTemporary(e.target, &e.aside);
    if (!copy.ok()) {
      e.aside.clear();
      return copy.status();
    }
    Status st = CopyContents(*from.value(), *copy.value());
    if (!st.ok()) return st;
  }
  if (entries.size() > 1) {
    Status st = WriteJournal();
    if (!st.ok()) return st;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Status st = fs->Rename(entries[i].temp, entries[i].target);
    if (st.ok()) {
      entries[i].moved = true;
      continue;
    }
    // Put back what the earlier renames replaced; a target that did not
    // exist before is removed again. The journal goes first: it would finish
    // the moves this undoes.
    RemoveJournal();
    for (std::size_t k = i; k-- > 0;) {
      Entry& done = entries[k];
      if (!done.aside.empty()) {
        // Should even this fail, the copy is not removed.
        (void)fs->Rename(done.aside, done.target);
        done.aside.clear();
      } else {
        (void)fs->Remove(done.target);
      }
      done.moved = false;
      done.temp.clear();
    }
    std::set<std::string> folders;
    for (const Entry& e : entries) folders.insert(FolderOf(e.target));
    for (const std::string& folder : folders) (void)fs->SyncFolder(folder);
    return st;
  }
  RemoveJournal();
  for (Entry& e : entries) {
    if (!e.aside.empty()) (void)fs->Remove(e.aside);
    e.aside.clear();
  }
  // Every target holds its new content now; a folder that cannot be flushed
  // changes nothing about that, so it does not fail the set.
  std::set<std::string> folders;
  for (const Entry& e : entries) folders.insert(FolderOf(e.target));
  for (const std::string& folder : folders) (void)fs->SyncFolder(folder);
  return Status::Ok();
}

}  // namespace sw::storage
