// KeyIndex: a hash map from byte-string keys (such as FoldedKey builds) to a
// small value, for the record readers' indexes of a whole job file. The keys'
// bytes sit back to back in one buffer and the table is open-addressed, so
// that an import of a million keys makes a few large allocations instead of
// one per key, and a lookup of a key built in a reused buffer allocates
// nothing.
//
// Values are returned by pointer; a pointer stays valid until the next
// insertion. There is no erase: the readers only ever add keys.
//
// Not for: anything stored; the index lives only in memory during an import.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (!slot.used) return nullptr;
      if (slot.hash == hash && KeyOf(slot) == key) return &slot.value;
    }
  }
  const V* Find(std::string_view key) const { return const_cast<KeyIndex*>(this)->Find(key); }

  // Adds `key` with `value` unless present; returns the key's value and
  // whether it was added.
  std::pair<V*, bool> TryEmplace(std::string_view key, V value) {
    if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
    const std::size_t hash = Hash(key);
    std::size_t i = hash & mask_;
    for (;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (!slot.used) break;
      if (slot.hash == hash && KeyOf(slot) == key) return {&slot.value, false};
    }
    Slot& slot = slots_[i];
    slot.used = true;
    slot.hash = hash;
    slot.offset = bytes_.size();
    slot.size = key.size();
    slot.value = std::move(value);
    bytes_.append(key);
    ++count_;
    return {&slot.value, true};
  }

  std::size_t size() const { return count_; }

  // Calls `f(key, value)` for every entry, in no particular order.
  template <typename F>
  void ForEach(F&& f) const {
    for (const Slot& slot : slots_)
      if (slot.used) f(KeyOf(slot), slot.value);
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    std::size_t offset = 0;
    std::size_t size = 0;
    bool used = false;
    V value{};
  };

  static std::size_t Hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
  std::string_view KeyOf(const Slot& slot) const { return std::string_view(bytes_).substr(slot.offset, slot.size); }

  // Doubles the table (at least 64 slots) and places every entry anew.
  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    const std::size_t capacity = old.empty() ? 64 : old.size() * 2;
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
    for (Slot& slot : old) {
      if (!slot.used) continue;
      std::size_t i = slot.hash & mask_;
      while (slots_[i].used) i = (i + 1) & mask_;
      slots_[i] = std::move(slot);
    }
  }

  std::string bytes_;
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

}  // namespace sw::legacy::jobfile
