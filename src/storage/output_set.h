// The one way every conversion writes its output files: all of them or none.
// Each target gets a temporary file beside it, unique to this process,
// created exclusively and locked while in use. Nothing touches a target
// until Commit(), which flushes every temporary, checks it, moves each into
// place and flushes the folders. Destroyed without Commit() (cancel,
// failure, refusal), the set removes its temporaries and every existing
// file stays byte for byte as it was. All file operations go through
// FileSystem so that tests can inject a fault at every step.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/file_system.h"
#include "storage/storage.h"

namespace sw::storage {

// True for the name (without folder) of an OutputSet temporary or journal.
bool IsOutputTemporary(std::string_view name);

// The moves a journal file's text asks for that may be replayed: each a
// temporary moved onto its own target, both in the journal's folder. None
// when the text lacks its end line (the set was cut off before any move).
std::vector<std::pair<std::string, std::string>> JournalMoves(const std::string& journal, std::string_view text);

class OutputSet {
 public:
  // `fs` null means FileSystem::Default().
  explicit OutputSet(FileSystem* fs = nullptr);
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Claims `target` for this set and returns the path of its temporary,
  // which the caller fills by any means (a text stream, or the storage
  // engine opening it read-write as a new storage). Fails when the target is
  // locked by another writer ("in use") or its folder cannot be written.
  Result<std::string> Add(const std::string& target);

  // Adds `target` and opens its (empty) temporary as a new storage to build
  // in. Commit the storage before the set; the set then moves it into place.
  // The storage writes through the set's open file: keep the set alive
  // while the storage is committed.
  Result<Storage> AddStorage(const std::string& target);

  // Adds `target` and writes its temporary through `write`; false from
  // `write` or a failed stream is an error.
  Status WriteText(const std::string& target, const std::function<bool(std::ostream&)>& write);

  // A handle on the temporary of an added target that shares the set's open
  // file and lock, and stays valid after Commit() (then on the target).
  std::unique_ptr<File> TemporaryFile(const std::string& target);

  // Flushes and checks every temporary, then moves each into place in the
  // order added (add backups before the files they keep) and flushes the
  // folders. Fails when a target is in use (IsInUse) or any step fails; the
  // old targets are then as they were and no temporary is left.
  Status Commit();

  // The targets in the order added.
  std::vector<std::string> Targets() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sw::storage
