// Locating and reading the 74-byte trailer at the end of a package (or at its package end).
#include <cstring>

#include "package/package.h"
#include "package/package_io.h"
#include "system/debug.h"
#include "text/utils.h"

namespace vx {

bool ReadU32At(ByteSource& src, uint64_t offset, uint32_t& value) {
  uint8_t b[4];
  if (!src.ReadExact(offset, b, sizeof b)) return false;
  value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
          static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
  return true;
}

int32_t PackageEndField(ByteSource& src) {
  uint32_t e = 0;
  if (!IsPeFile(src) || !ReadU32At(src, kPackageEndOffset, e)) return 0;
  return static_cast<int32_t>(e);
}

bool LocatePackageEnd(ByteSource& src, uint64_t& end) {
  end = src.Size();
  const int32_t e = PackageEndField(src);
  if (e <= 0) return true;
  if (static_cast<uint64_t>(e) > end) return false;  // points past the file: not usable
  end = static_cast<uint64_t>(e);
  return true;
}

bool IsPeFile(ByteSource& src) {
  char mz[2], pe[2];
  return src.ReadExact(0, mz, 2) && src.ReadExact(kPeHeaderOffset, pe, 2) && mz[0] == 'M' &&
         mz[1] == 'Z' && pe[0] == 'P' && pe[1] == 'E';
}

bool IsPeFile(const String& path) {
  FileSource src(path);
  return src.IsOpen() && IsPeFile(src);
}

uint64_t PackageEnd(ByteSource& src) {
  uint64_t end = 0;
  return LocatePackageEnd(src, end) ? end : src.Size();
}

bool ReadTrailer(ByteSource& src, TrailerRecord& rec) {
  std::memset(&rec, 0, sizeof rec);
  if (!src.IsOpen()) return false;
  uint64_t end = 0;
  uint32_t length = 0;
  if (!LocatePackageEnd(src, end) || end < 4 || !ReadU32At(src, end - 4, length)) return false;
  // The length field must at least cover itself and must not reach before the first byte.
  if (length < 4 || length > end) return false;
  const uint32_t used = length < kTrailerLength ? length : kTrailerLength;
  if (!src.ReadExact(end - length, &rec, used - 4)) {
    std::memset(&rec, 0, sizeof rec);
    return false;
  }
  rec.length = used;
  DebugWriteLn("n1=" + IntText(rec.stringBlockCount));
  if (rec.stringBlockCount == 0) rec.stringBlockCount = 2;
  return true;
}

bool ReadTrailer(const String& path, TrailerRecord& rec) {
  FileSource src(path);
  if (!src.IsOpen()) {
    std::memset(&rec, 0, sizeof rec);
    return false;
  }
  return ReadTrailer(src, rec);
}

}  // namespace vx
