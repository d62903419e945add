#include <windows.h>

#include "system/disk.h"

namespace vx {

uint32_t DriveClusterSize(const String& folder) {
  String root = folder.substr(0, 3);
  DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &spc, &bps, &freeClusters, &total)) return 0;
  return spc * bps;
}

}  // namespace vx
