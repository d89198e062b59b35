// A field of a global record that threads read and write without a lock.
// It behaves as std::atomic<T> but can be copied, so that a record holding it can
// still be reset with `X = XRecord{};` (the copy is not atomic as a whole; resets
// happen while no worker uses the record).
#pragma once

#include <atomic>

template <typename T>
class RecordAtomic {
 public:
  constexpr RecordAtomic() noexcept : value_(T{}) {}
  constexpr RecordAtomic(T value) noexcept : value_(value) {}  // NOLINT: implicit by design
  RecordAtomic(const RecordAtomic& other) noexcept : value_(other.load()) {}
  RecordAtomic& operator=(const RecordAtomic& other) noexcept {
    store(other.load());
    return *this;
  }
  RecordAtomic& operator=(T value) noexcept {
    store(value);
    return *this;
  }
  operator T() const noexcept { return load(); }  // NOLINT: implicit by design

  T load() const noexcept { return value_.load(); }
  void store(T value) noexcept { value_.store(value); }

 private:
  std::atomic<T> value_;
};
