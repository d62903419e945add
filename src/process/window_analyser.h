// Window analyser: picks the main window of a program from its top-level windows.
// Portable: windows are opaque ids and the few facts needed come through WindowFacts.
#pragma once
#include <cstdint>

namespace vx {

using WindowId = uintptr_t;  // 0 means no window

// What the analyser needs to know about a window.
class WindowFacts {
 public:
  virtual ~WindowFacts() = default;
  virtual WindowId Owner(WindowId window) const = 0;  // 0 when the window has no owner
  virtual bool HasTitle(WindowId window) const = 0;
  virtual bool IsVisible(WindowId window) const = 0;
};

// One object per lookup. Windows are offered in enumeration order; those of the target process
// are recorded (at most kMaxWindows). Scoring: each recorded window gains 1 for every recorded
// window whose root owner it is; that count is multiplied by 4, then 2 is added for a title and
// 1 for visibility. The main window is the first with the highest score; all zero means none.
class TAnalizer {
 public:
  static constexpr uint32_t kMaxWindows = 2001;

  explicit TAnalizer(uint32_t target);  // every field zeroed, then the target set

  // Records the window when it belongs to the target process and there is room.
  void Offer(WindowId window, uint32_t processId);
  void ScoreWindows(const WindowFacts& facts);
  WindowId MainWindow() const;

  uint32_t Target() const { return target_; }
  uint32_t Count() const { return count_; }
  WindowId WindowAt(uint32_t index) const { return InRange(index) ? windows_[index] : 0; }
  uint16_t ScoreAt(uint32_t index) const { return InRange(index) ? scores_[index] : 0; }

 private:
  bool InRange(uint32_t index) const { return index < count_ && index < kMaxWindows; }

  WindowId windows_[kMaxWindows];
  uint16_t scores_[kMaxWindows];
  uint32_t count_;
  uint32_t target_;
};

}  // namespace vx
