#include <unistd.h>

#include "system/debug.h"

namespace vx {
uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }
}  // namespace vx

namespace vx {
void DebugOpen() {}  // no viewer on this platform: lines are dropped
}  // namespace vx
