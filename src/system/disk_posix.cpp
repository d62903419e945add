#include <sys/statvfs.h>

#include "system/disk.h"

namespace vx {

uint32_t DriveClusterSize(const String& folder) {
  struct statvfs st;
  if (statvfs(folder.empty() ? "." : folder.c_str(), &st) != 0) return 0;
  return static_cast<uint32_t>(st.f_bsize);
}

}  // namespace vx
