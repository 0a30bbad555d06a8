// Little-endian reads from a byte range whose every access is bounds-checked;
// a read past the end yields zero and marks the reader as failed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d3dx_image {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  std::size_t size() const { return size_; }
  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }
  const std::uint8_t* here() const { return data_ + pos_; }

  void seek(std::size_t pos) {
    if (pos > size_) ok_ = false;
    pos_ = pos;
  }
  void skip(std::size_t n) {
    if (n > remaining()) {
      ok_ = false;
      pos_ = size_;
    } else {
      pos_ += n;
    }
  }
  std::uint8_t u8() {
    if (pos_ >= size_) {
      ok_ = false;
      return 0;
    }
    return data_[pos_++];
  }
  std::uint16_t u16() {
    std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
  }
  std::uint32_t u32() {
    std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
  }
  std::int32_t s32() { return static_cast<std::int32_t>(u32()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace d3dx_image
