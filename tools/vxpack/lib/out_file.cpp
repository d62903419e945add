#include "out_file.h"

#include "package/file_source.h"

namespace vxpack {
OutFile::~OutFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool OutFile::Create(const std::string& path) {
  if (file_ != nullptr) std::fclose(file_);
  path_ = path;
  size_ = 0;
  failed_ = false;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
  return file_ != nullptr;
}

bool OutFile::Write(const void* data, size_t len) {
  if (file_ == nullptr || failed_) return false;
  if (len != 0 && std::fwrite(data, 1, len, file_) != len) failed_ = true;
  size_ += len;
  return !failed_;
}

bool OutFile::Close() {
  if (file_ == nullptr) return false;
  const bool ok = std::fclose(file_) == 0 && !failed_;
  file_ = nullptr;
  return ok;
}

bool PatchFile(const std::string& path, uint64_t offset, const void* data, size_t len) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (f == nullptr) return false;
  bool ok = vx::SeekTo(f, offset) && std::fwrite(data, 1, len, f) == len;
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  out.clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace vxpack
