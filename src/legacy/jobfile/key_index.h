// KeyIndex: a hash map from byte-string keys (such as FoldedKey builds) to a
// small value, for the record readers' indexes of a whole job file. The keys'
// bytes sit back to back in one buffer and the table is open-addressed, so
// that an import of a million keys makes a few large allocations instead of
// one per key, and a lookup of a key built in a reused buffer allocates
// nothing.
//
// Values are returned by pointer; a pointer stays valid until the next
// insertion. There is no erase: the readers only ever add keys. At most
// 2^32 - 1 keys, each shorter than 4 GiB.
//
// Not for: anything stored; the index lives only in memory during an import.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sw::legacy::jobfile {

template <typename V>
class KeyIndex {
 public:
  // The value of `key`, or nullptr.
  V* Find(std::string_view key) {
    if (slots_.empty()) return nullptr;
    const std::size_t hash = Hash(key);
    const std::uint32_t tag = Tag(hash);
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot slot = slots_[i];
      if (slot.tag == 0) return nullptr;
      if (slot.tag == tag && KeyOf(entries_[slot.entry]) == key) return &entries_[slot.entry].value;
    }
  }
  const V* Find(std::string_view key) const { return const_cast<KeyIndex*>(this)->Find(key); }

  // Adds `key` with `value` unless present; returns the key's value and
  // whether it was added.
  std::pair<V*, bool> TryEmplace(std::string_view key, V value) { return TryEmplace(key, Hash(key), std::move(value)); }

  // The hash of `key` for the TryEmplace below, the table slot where its
  // search starts being fetched into the cache meanwhile, so that a caller
  // with other work to do before it adds the key does not wait for memory.
  std::size_t Prefetch(std::string_view key) const {
    const std::size_t hash = Hash(key);
#if defined(__GNUC__)
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & mask_]);
#endif
    return hash;
  }

  // TryEmplace with `hash` as Prefetch(key) gave it.
  std::pair<V*, bool> TryEmplace(std::string_view key, std::size_t hash, V value) {
    if ((entries_.size() + 1) * 4 > slots_.size() * 3) Grow(slots_.empty() ? 64 : slots_.size() * 2);
    const std::uint32_t tag = Tag(hash);
    std::size_t i = hash & mask_;
    for (;; i = (i + 1) & mask_) {
      const Slot slot = slots_[i];
      if (slot.tag == 0) break;
      if (slot.tag == tag && KeyOf(entries_[slot.entry]) == key) return {&entries_[slot.entry].value, false};
    }
    if (entries_.size() >= UINT32_MAX || key.size() >= UINT32_MAX) throw std::length_error("key index too large");
    slots_[i] = Slot{tag, static_cast<std::uint32_t>(entries_.size())};
    entries_.push_back(Entry{bytes_.size(), static_cast<std::uint32_t>(key.size()), std::move(value)});
    bytes_.append(key);
    return {&entries_.back().value, true};
  }

  // Makes the table large enough for `count` keys in all, so that adding
  // them places no entry anew. (The entry list still grows as keys come.)
  void Reserve(std::size_t count) {
    std::size_t capacity = slots_.empty() ? 64 : slots_.size();
    while (count * 4 > capacity * 3) capacity *= 2;
    if (capacity > slots_.size()) Grow(capacity);
  }

  std::size_t size() const { return entries_.size(); }

  // Calls `f(key, value)` for every entry, in the order the keys were added.
  template <typename F>
  void ForEach(F&& f) const {
    for (const Entry& entry : entries_) f(KeyOf(entry), entry.value);
  }

 private:
  // A table slot: the entry's hash tag (never 0; 0 marks a free slot) and
  // the entry's index. Eight bytes, so that the probed table stays small.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t entry = 0;
  };
  struct Entry {
    std::size_t offset;
    std::uint32_t size;
    V value;
  };

  static std::size_t Hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
  // The hash's upper half, which does not choose the slot, with the low bit set.
  static std::uint32_t Tag(std::size_t hash) {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32) | 1u;
  }
  std::string_view KeyOf(const Entry& entry) const {
    return std::string_view(bytes_).substr(entry.offset, entry.size);
  }

  // Places every entry anew in a table of `capacity` slots (a power of two).
  void Grow(std::size_t capacity) {
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
    for (std::size_t e = 0; e < entries_.size(); ++e) {
      const std::size_t hash = Hash(KeyOf(entries_[e]));
      std::size_t i = hash & mask_;
      while (slots_[i].tag != 0) i = (i + 1) & mask_;
      slots_[i] = Slot{Tag(hash), static_cast<std::uint32_t>(e)};
    }
  }

  std::string bytes_;
  std::vector<Entry> entries_;
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};

}  // namespace sw::legacy::jobfile
