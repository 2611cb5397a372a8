// A bounds-checked little-endian reader over bytes: a read past the end is an
// empty optional, never a read outside the buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kolvar {

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return bytes_.size(); }
  // Moves to an absolute position; false (and no move) past the end.
  bool Seek(std::size_t pos) {
    if (pos > bytes_.size()) return false;
    pos_ = pos;
    return true;
  }
  bool Skip(std::size_t n) { return n <= bytes_.size() - pos_ && Seek(pos_ + n); }

  std::optional<std::uint8_t> U8() { return Unsigned<std::uint8_t>(1); }
  std::optional<std::uint16_t> U16() { return Unsigned<std::uint16_t>(2); }
  std::optional<std::uint64_t> U64() { return Unsigned<std::uint64_t>(8); }
  std::optional<std::string_view> Bytes(std::size_t n) {
    if (n > bytes_.size() - pos_) return std::nullopt;
    std::string_view out = bytes_.substr(pos_, n);
    pos_ += n;
    return out;
  }

 private:
  template <typename T>
  std::optional<T> Unsigned(std::size_t n) {
    if (n > bytes_.size() - pos_) return std::nullopt;
    T value = 0;
    for (std::size_t i = 0; i < n; ++i) {
      value |= static_cast<T>(static_cast<std::uint8_t>(bytes_[pos_ + i])) << (8 * i);
    }
    pos_ += n;
    return value;
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace kolvar
