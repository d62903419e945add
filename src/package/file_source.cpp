// FileSource: bounded random-access reads from a file through the C library's streams.
#include "package/file_source.h"

#if defined(_WIN32)
#include <io.h>
#endif

namespace vx {

// On Windows the C runtime's own 64-bit calls (fsetpos with its 64-bit fpos_t, the file length by
// descriptor), not the compiler library's emulation of _fseeki64 on top of them.
bool SeekTo(std::FILE* f, uint64_t offset) {
#if defined(_WIN32)
  const fpos_t pos = static_cast<fpos_t>(offset);
  return fsetpos(f, &pos) == 0;
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

namespace {

bool SeekEnd(std::FILE* f, uint64_t& size) {
#if defined(_WIN32)
  const __int64 pos = _filelengthi64(_fileno(f));
  if (pos < 0 || !SeekTo(f, static_cast<uint64_t>(pos))) return false;
#else
  if (fseeko(f, 0, SEEK_END) != 0) return false;
  const off_t pos = ftello(f);
#endif
  if (pos < 0) return false;
  size = static_cast<uint64_t>(pos);
  return true;
}

}  // namespace

FileSource::FileSource(const String& path) {
  if (path.empty()) return;
  // The C runtime opens for shared reading and writing, so a running program can read itself.
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return;
  if (!SeekEnd(file_, size_)) {
    std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
  }
}

FileSource::~FileSource() {
  if (file_ != nullptr) std::fclose(file_);
}

size_t FileSource::ReadAt(uint64_t offset, void* buf, size_t len) {
  if (file_ == nullptr || len == 0 || offset >= size_) return 0;
  if (len > size_ - offset) len = static_cast<size_t>(size_ - offset);
  if (pos_ != offset) {
    if (!SeekTo(file_, offset)) {
      pos_ = UINT64_MAX;
      return 0;
    }
    pos_ = offset;
  }
  const size_t got = std::fread(buf, 1, len, file_);
  pos_ = got == len ? offset + got : UINT64_MAX;
  if (got != len) std::clearerr(file_);
  return got;
}

}  // namespace vx
