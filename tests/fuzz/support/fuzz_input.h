// Reads a fuzz input as option bytes, numbers and NUL-separated text fields. Reading past the end
// gives zeros and empty texts, so every input is a valid one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace vxfuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  int64_t I64() {
    const uint64_t lo = U32();
    return static_cast<int64_t>(lo | static_cast<uint64_t>(U32()) << 32);
  }
  // The bytes up to the next NUL (which is consumed) or the end.
  std::string Field() {
    if (pos_ >= size_) return std::string();
    const void* nul = std::memchr(data_ + pos_, 0, size_ - pos_);
    const size_t end = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data_) : size_;
    std::string s(reinterpret_cast<const char*>(data_ + pos_), end - pos_);
    pos_ = nul ? end + 1 : end;
    return s;
  }
  std::string Rest() {
    std::string s(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace vxfuzz
