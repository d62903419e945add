// Random-access byte input for the package reader, and bytes in memory as such input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/str.h"

namespace vx {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual bool IsOpen() const = 0;
  virtual uint64_t Size() const = 0;
  // Reads up to len bytes at offset; returns the count read (0 at or past the end).
  virtual size_t ReadAt(uint64_t offset, void* buf, size_t len) = 0;
  // True when exactly len bytes could be read.
  bool ReadExact(uint64_t offset, void* buf, size_t len) { return ReadAt(offset, buf, len) == len; }
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<uint8_t> data) : data_(std::move(data)) {}
  bool IsOpen() const override { return true; }
  uint64_t Size() const override { return data_.size(); }
  size_t ReadAt(uint64_t offset, void* buf, size_t len) override;
  const std::vector<uint8_t>& Data() const { return data_; }

 private:
  std::vector<uint8_t> data_;
};

}  // namespace vx
