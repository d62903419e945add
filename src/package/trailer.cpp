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
  value = LoadU32(b);
  return true;
}

int32_t PackageEndField(ByteSource& src) {
  uint32_t e = 0;
  if (!IsPeFile(src) || !ReadU32At(src, kPackageEndOffset, e)) return 0;
  return static_cast<int32_t>(e);
}

bool IsPeFile(ByteSource& src) {
  char mz[2], pe[2];
  return src.ReadExact(0, mz, 2) && src.ReadExact(kPeHeaderOffset, pe, 2) && mz[0] == 'M' &&
         mz[1] == 'Z' && pe[0] == 'P' && pe[1] == 'E';
}

uint64_t PackageEnd(ByteSource& src) {
  const int32_t e = PackageEndField(src);
  // A field pointing past the file is not usable: the file ends where it ends.
  return e > 0 && static_cast<uint64_t>(e) <= src.Size() ? static_cast<uint64_t>(e) : src.Size();
}

TrailerFault LocateTrailer(ByteSource& src, TrailerPlace& place) {
  place = TrailerPlace();
  if (!src.IsOpen()) return TrailerFault::kCannotRead;
  place.fileSize = src.Size();
  place.end = place.fileSize;
  if (place.fileSize < 4) return TrailerFault::kTooSmall;
  place.isPe = IsPeFile(src);
  uint32_t e = 0;
  if (place.isPe && ReadU32At(src, kPackageEndOffset, e)) place.endField = static_cast<int32_t>(e);
  if (place.endField > 0) {
    if (static_cast<uint64_t>(place.endField) > place.fileSize) return TrailerFault::kEndPastFile;
    if (place.endField < 4) return TrailerFault::kEndTooSmall;
    place.end = static_cast<uint64_t>(place.endField);
  }
  // The length field must at least cover itself and must not reach before the first byte.
  if (!ReadU32At(src, place.end - 4, place.length) || place.length < 4 || place.length > place.end)
    return TrailerFault::kBadLength;
  place.start = place.end - place.length;
  return TrailerFault::kNone;
}

bool ReadTrailerAt(ByteSource& src, const TrailerPlace& place, TrailerRecord& rec) {
  std::memset(&rec, 0, sizeof rec);
  const uint32_t used = place.length < kTrailerLength ? place.length : kTrailerLength;
  if (used < 4 || !src.ReadExact(place.start, &rec, used - 4)) {
    std::memset(&rec, 0, sizeof rec);
    return false;
  }
  rec.length = used;
  DebugWriteLn("n1=", IntText(rec.stringBlockCount));
  if (rec.stringBlockCount == 0) rec.stringBlockCount = 2;
  return true;
}

bool ReadTrailer(ByteSource& src, TrailerRecord& rec) {
  TrailerPlace place;
  if (LocateTrailer(src, place) != TrailerFault::kNone) {
    std::memset(&rec, 0, sizeof rec);
    return false;
  }
  return ReadTrailerAt(src, place, rec);
}

bool StringBlockCountFits(const TrailerRecord& rec) {
  return rec.stringBlockCount == 2 || rec.stringBlockCount == 3;
}

bool FileBlockCountFits(const TrailerRecord& first, uint64_t fileBlocksFound) {
  if (fileBlocksFound == first.fileCount) return true;
  return fileBlocksFound == 0 && ((first.flags & kFlagSpan) != 0 || first.webFlag != 0);
}

}  // namespace vx
