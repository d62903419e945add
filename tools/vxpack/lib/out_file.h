// A binary output file written front to back, 64-bit sizes, with patching of written bytes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vxpack {

class OutFile {
 public:
  OutFile() = default;
  ~OutFile();
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;

  bool Create(const std::string& path);  // replaces an existing file
  bool Write(const void* data, size_t len);
  bool Write(const std::vector<uint8_t>& data) { return Write(data.data(), data.size()); }
  uint64_t Size() const { return size_; }
  bool Close();  // false when buffered data could not be written
  const std::string& Path() const { return path_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  uint64_t size_ = 0;
  bool failed_ = false;
};

// Overwrites len bytes at offset of an existing file.
bool PatchFile(const std::string& path, uint64_t offset, const void* data, size_t len);

// Reads a whole (small) file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);

}  // namespace vxpack
