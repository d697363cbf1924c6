// A growable array of plain values kept with malloc/realloc, so that large
// columns grow in place (the allocator remaps pages) instead of being copied,
// and can be sized without zero-filling when every entry is written next.
// Not for: types with constructors or destructors.
#pragma once

#include <sys/mman.h>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace sw::storage {

// Asks for huge pages on large arrays: fewer page faults when they are
// filled. A hint only; failure is harmless.
inline void AdviseHuge(void* p, std::size_t bytes) {
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  if (bytes < kHuge) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

template <class T>
class PodVector {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  PodVector() = default;
  PodVector(const PodVector& o) { *this = o; }
  PodVector(PodVector&& o) noexcept : p_(o.p_), n_(o.n_), cap_(o.cap_) { o.p_ = nullptr, o.n_ = o.cap_ = 0; }
  PodVector& operator=(const PodVector& o) {
    if (this != &o) {
      resize_uninitialized(o.n_);
      if (o.n_) std::memcpy(p_, o.p_, o.n_ * sizeof(T));
    }
    return *this;
  }
  PodVector& operator=(PodVector&& o) noexcept {
    if (this != &o) {
      std::free(p_);
      p_ = o.p_, n_ = o.n_, cap_ = o.cap_;
      o.p_ = nullptr, o.n_ = o.cap_ = 0;
    }
    return *this;
  }
  ~PodVector() { std::free(p_); }

  T* data() { return p_; }
  const T* data() const { return p_; }
  std::size_t size() const { return n_; }
  std::size_t capacity_hint() const { return cap_; }
  bool empty() const { return n_ == 0; }
  T& operator[](std::size_t i) {
    assert(i < n_);
    return p_[i];
  }
  const T& operator[](std::size_t i) const {
    assert(i < n_);
    return p_[i];
  }

  void reserve(std::size_t n) {
    if (n <= cap_) return;
    void* q = std::realloc(p_, n * sizeof(T));
    if (!q) throw std::bad_alloc();
    p_ = static_cast<T*>(q);
    cap_ = n;
    AdviseHuge(p_, n * sizeof(T));
  }
  void resize_uninitialized(std::size_t n) {
    if (n > cap_) reserve(std::max(n, cap_ + cap_ / 2));
    n_ = n;
  }
  void resize(std::size_t n, T fill = T{}) {
    const std::size_t old = n_;
    resize_uninitialized(n);
    for (std::size_t i = old; i < n; ++i) p_[i] = fill;
  }
  void assign(std::size_t n, T fill) {
    n_ = 0;
    resize(n, fill);
  }
  void push_back(T v) {
    if (n_ == cap_) reserve(cap_ < 16 ? 16 : cap_ + cap_ / 2);
    p_[n_++] = v;
  }
  void append(const T* v, std::size_t count) {
    const std::size_t at = n_;
    resize_uninitialized(n_ + count);
    if (count) std::memcpy(p_ + at, v, count * sizeof(T));
  }
  void insert(std::size_t pos, std::size_t count, T fill) {
    assert(pos <= n_);
    const std::size_t old = n_;
    resize_uninitialized(n_ + count);
    if (old > pos) std::memmove(p_ + pos + count, p_ + pos, (old - pos) * sizeof(T));
    for (std::size_t i = pos; i < pos + count; ++i) p_[i] = fill;
  }
  void erase(std::size_t pos, std::size_t count) {
    assert(pos <= n_ && count <= n_ - pos);
    if (n_ > pos + count) std::memmove(p_ + pos, p_ + pos + count, (n_ - pos - count) * sizeof(T));
    n_ -= count;
  }
  void clear() { n_ = 0; }

 private:
  T* p_ = nullptr;
  std::size_t n_ = 0;
  std::size_t cap_ = 0;
};

}  // namespace sw::storage
