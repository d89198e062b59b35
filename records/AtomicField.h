// Shared<T>: a flag or counter that threads read and write without a lock (run,
// busy, running and stop flags). It wraps std::atomic<T> but stays copy-assignable,
// so that a record holding such fields can still be reset with `X = XRecord{};`.
// Copying loads the source and stores into the target (each side atomically; the
// copy as a whole is not one atomic step, which a reset does not need).
#pragma once

#include <atomic>

template <class T>
struct Shared {
  std::atomic<T> v;

  constexpr Shared(T value = T{}) noexcept : v(value) {}
  Shared(const Shared& other) noexcept : v(other.v.load()) {}
  Shared& operator=(const Shared& other) noexcept {
    v.store(other.v.load());
    return *this;
  }
  Shared& operator=(T value) noexcept {
    v.store(value);
    return *this;
  }
  operator T() const noexcept { return v.load(); }
  T load() const noexcept { return v.load(); }
  void store(T value) noexcept { v.store(value); }
  T exchange(T value) noexcept { return v.exchange(value); }
  // Bits added to a set of flags in one step; the value before.
  T fetch_or(T bits) noexcept { return v.fetch_or(bits); }
};
