#include "launcher/stub_window_layout.h"

namespace vx {

int CenteredOrigin(int screenSize, int windowSize) { return (screenSize - windowSize) / 2; }

uint32_t ProgressRangeParam(int32_t max) { return static_cast<uint32_t>(max) << 16; }

int32_t ProgressRangeMax(int32_t max) { return static_cast<int32_t>(ProgressRangeParam(max) >> 16); }

int32_t StepsWithinRange(int32_t position, int32_t top, int32_t stepSize, int32_t steps) {
  if (stepSize <= 0 || position >= top) return 0;
  const int32_t fit = (top - position) / stepSize;
  return fit < steps ? fit : steps;
}

int32_t NextActivityCount(int32_t count) {
  ++count;
  return count > kActivityTop ? 0 : count;
}

}  // namespace vx
