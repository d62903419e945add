// A file on disk as byte input for the package reader, through the C library's streams: for
// tools, tests and callers that name a package by its path. (The launcher opens its package files
// through the system, unpack_files_win.h.)
#pragma once
#include <cstdint>
#include <cstdio>

#include "package/byte_source.h"
#include "text/str.h"

namespace vx {

// Moves a stdio stream to a 64-bit offset from the start; false on failure.
bool SeekTo(std::FILE* f, uint64_t offset);

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

}  // namespace vx
