// Layout and progress arithmetic of the stub window (portable).
#pragma once
#include <cstdint>

namespace vx {

constexpr int kStubWidth = 492;
constexpr int kStubHeight = 110;
constexpr uint32_t kStubStyle = 0x02C80000;  // WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN

struct ControlRect {
  int x, y, width, height;
};
constexpr ControlRect kStatusLineRect = {70, 20, 340, 18};
constexpr ControlRect kMainBarRect = {70, 38, 392, 13};
constexpr ControlRect kActivityBarRect = {416, 20, 46, 13};
constexpr int kIconX = 18;
constexpr int kIconY = 20;

// (screen - size) / 2, truncated towards zero: negative when the screen is the smaller.
int CenteredOrigin(int screenSize, int windowSize);

// lParam of PBM_SETRANGE for a range 0 .. max: max shifted into the high word, so only its low
// 16 bits count.
uint32_t ProgressRangeParam(int32_t max);
// The upper limit a progress bar takes from ProgressRangeParam(max).
int32_t ProgressRangeMax(int32_t max);

// How many of steps PBM_STEPIT messages (each stepSize) a bar at position with the upper limit
// top takes before one would pass top and wrap around; 0 when the next one wraps or stepSize is
// not above 0. Those steps can be taken as one PBM_DELTAPOS, which draws the bar once.
int32_t StepsWithinRange(int32_t position, int32_t top, int32_t stepSize, int32_t steps);

constexpr int32_t kActivityTop = 5;
// The activity counter after one step: 1, 2, 3, 4, 5, 0, 1, ...
int32_t NextActivityCount(int32_t count);

}  // namespace vx
