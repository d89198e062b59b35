// Little-endian fields at byte offsets, and fixed-size byte records.
//
// Binary files are read and written field by field: a header is a ByteRecord<N>
// whose fields are got and put at their offsets, never a struct read in one piece.
//   ByteRecord<512> header;                       // static_assert(sizeof header == 512)
//   header.Put<int32_t, 8>(count);                // offset checked when compiled
//   int32_t n = header.Get<int32_t, 8>();
//   bool ok = header.Put(offset, value);          // offset checked when run
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace platform {

template <class T>
concept LittleEndianField = std::is_same_v<T, int8_t> || std::is_same_v<T, uint8_t> || std::is_same_v<T, int16_t> ||
                            std::is_same_v<T, uint16_t> || std::is_same_v<T, int32_t> ||
                            std::is_same_v<T, uint32_t> || std::is_same_v<T, int64_t> ||
                            std::is_same_v<T, uint64_t> || std::is_same_v<T, float> || std::is_same_v<T, double>;

// Reads a T stored little-endian at p (any alignment).
template <LittleEndianField T>
T LoadLE(const void* p) {
  using U = std::conditional_t<sizeof(T) == 1, uint8_t,
                               std::conditional_t<sizeof(T) == 2, uint16_t,
                                                  std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
  const auto* b = static_cast<const unsigned char*>(p);
  U bits = 0;
  for (size_t k = 0; k < sizeof(T); ++k) bits = static_cast<U>(bits | (static_cast<U>(b[k]) << (8 * k)));
  return std::bit_cast<T>(bits);
}

// Stores value little-endian at p (any alignment).
template <LittleEndianField T>
void StoreLE(void* p, T value) {
  using U = std::conditional_t<sizeof(T) == 1, uint8_t,
                               std::conditional_t<sizeof(T) == 2, uint16_t,
                                                  std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
  auto* b = static_cast<unsigned char*>(p);
  U bits = std::bit_cast<U>(value);
  for (size_t k = 0; k < sizeof(T); ++k) b[k] = static_cast<unsigned char>(bits >> (8 * k));
}

inline int16_t GetInt16LE(const void* base, size_t offset) { return LoadLE<int16_t>(static_cast<const char*>(base) + offset); }
inline uint16_t GetUInt16LE(const void* base, size_t offset) { return LoadLE<uint16_t>(static_cast<const char*>(base) + offset); }
inline int32_t GetInt32LE(const void* base, size_t offset) { return LoadLE<int32_t>(static_cast<const char*>(base) + offset); }
inline uint32_t GetUInt32LE(const void* base, size_t offset) { return LoadLE<uint32_t>(static_cast<const char*>(base) + offset); }
inline int64_t GetInt64LE(const void* base, size_t offset) { return LoadLE<int64_t>(static_cast<const char*>(base) + offset); }
inline float GetFloatLE(const void* base, size_t offset) { return LoadLE<float>(static_cast<const char*>(base) + offset); }
inline double GetDoubleLE(const void* base, size_t offset) { return LoadLE<double>(static_cast<const char*>(base) + offset); }

inline void PutInt16LE(void* base, size_t offset, int16_t v) { StoreLE(static_cast<char*>(base) + offset, v); }
inline void PutUInt16LE(void* base, size_t offset, uint16_t v) { StoreLE(static_cast<char*>(base) + offset, v); }
inline void PutInt32LE(void* base, size_t offset, int32_t v) { StoreLE(static_cast<char*>(base) + offset, v); }
inline void PutUInt32LE(void* base, size_t offset, uint32_t v) { StoreLE(static_cast<char*>(base) + offset, v); }
inline void PutInt64LE(void* base, size_t offset, int64_t v) { StoreLE(static_cast<char*>(base) + offset, v); }
inline void PutFloatLE(void* base, size_t offset, float v) { StoreLE(static_cast<char*>(base) + offset, v); }
inline void PutDoubleLE(void* base, size_t offset, double v) { StoreLE(static_cast<char*>(base) + offset, v); }

// A fixed-size record of N bytes (a file header), zero-filled when made.
template <size_t N>
class ByteRecord {
 public:
  static constexpr size_t kSize = N;

  // Fields at offsets known when compiled: a field past the end does not compile.
  template <LittleEndianField T, size_t Offset>
  T Get() const {
    static_assert(Offset + sizeof(T) <= N, "field past the end of the record");
    return LoadLE<T>(bytes_.data() + Offset);
  }
  template <LittleEndianField T, size_t Offset>
  void Put(T value) {
    static_assert(Offset + sizeof(T) <= N, "field past the end of the record");
    StoreLE<T>(bytes_.data() + Offset, value);
  }

  // Fields at offsets known when run: false (and *value untouched) past the end.
  template <LittleEndianField T>
  bool Get(size_t offset, T* value) const {
    if (!value || offset > N || sizeof(T) > N - offset) return false;
    *value = LoadLE<T>(bytes_.data() + offset);
    return true;
  }
  template <LittleEndianField T>
  bool Put(size_t offset, T value) {
    if (offset > N || sizeof(T) > N - offset) return false;
    StoreLE<T>(bytes_.data() + offset, value);
    return true;
  }

  // Raw bytes (text fields, reserved areas).
  bool GetBytes(size_t offset, void* out, size_t count) const {
    if (!out || offset > N || count > N - offset) return false;
    std::memcpy(out, bytes_.data() + offset, count);
    return true;
  }
  bool PutBytes(size_t offset, const void* in, size_t count) {
    if (!in || offset > N || count > N - offset) return false;
    std::memcpy(bytes_.data() + offset, in, count);
    return true;
  }
  // A text field of count bytes: the bytes up to the first NUL.
  std::string GetText(size_t offset, size_t count) const {
    if (offset > N || count > N - offset) return std::string();
    const char* p = reinterpret_cast<const char*>(bytes_.data() + offset);
    size_t length = 0;
    while (length < count && p[length] != '\0') ++length;
    return std::string(p, length);
  }
  // Writes text into a field of count bytes, NUL-padded; false when it does not fit
  // (it is then cut to count bytes).
  bool PutText(size_t offset, size_t count, std::string_view text) {
    if (offset > N || count > N - offset) return false;
    size_t length = text.size() < count ? text.size() : count;
    std::memset(bytes_.data() + offset, 0, count);
    std::memcpy(bytes_.data() + offset, text.data(), length);
    return text.size() <= count;
  }

  void Clear() { bytes_.fill(0); }
  unsigned char* data() { return bytes_.data(); }
  const unsigned char* data() const { return bytes_.data(); }
  static constexpr size_t size() { return N; }

 private:
  std::array<unsigned char, N> bytes_{};
};

}  // namespace platform
