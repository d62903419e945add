// The package readers on a file named by its path, read through the C library's streams
// (FileSource). The launcher opens its package files through the system instead and hands the
// readers the open file, so these stay out of it.
#include "package/file_source.h"
#include "package/package.h"

namespace vx {

bool IsPeFile(const String& path) {
  FileSource src(path);
  return src.IsOpen() && IsPeFile(src);
}

bool ReadTrailer(const String& path, TrailerRecord& rec) {
  FileSource src(path);
  return ReadTrailer(src, rec);
}

uint32_t PackageChecksum(const String& path, uint32_t trailerLength) {
  FileSource src(path);
  return PackageChecksum(src, trailerLength);
}

TGFileInfo::TGFileInfo(const String& path) {
  Clear();
  FileSource src(path);
  if (src.IsOpen()) Read(src);
}

}  // namespace vx
