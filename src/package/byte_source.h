// Random-access byte input for the package reader: files on disk or memory in tests.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "text/str.h"

namespace vx {

// Moves a stdio stream to a 64-bit offset from the start; false on failure.
bool SeekTo(std::FILE* f, uint64_t offset);

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

// A file opened read-only (other readers and writers allowed); closed on destruction.
class FileSource : public ByteSource {
 public:
  explicit FileSource(const String& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  bool IsOpen() const override { return file_ != nullptr; }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buf, size_t len) override;

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
  uint64_t pos_ = UINT64_MAX;  // current stream position, to skip needless seeks
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
