// Drive facts the portable core asks the platform for.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// Bytes per cluster of the drive holding folder (first three characters, e.g. "C:\"); 0 on failure.
uint32_t DriveClusterSize(const String& folder);

}  // namespace vx
