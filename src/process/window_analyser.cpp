#include "process/window_analyser.h"

#include <cstring>

namespace vx {

namespace {

// Owner chains are short on a real desktop; the bound only keeps a looping chain from hanging.
constexpr int kMaxOwnerSteps = 4096;

// The last window reached by following owner links from the window; 0 when it has no owner.
WindowId RootOwner(const WindowFacts& facts, WindowId window) {
  WindowId root = 0;
  WindowId next = facts.Owner(window);
  for (int step = 0; next != 0 && step < kMaxOwnerSteps; ++step) {
    root = next;
    next = facts.Owner(next);
  }
  return root;
}

}  // namespace

TAnalizer::TAnalizer(uint32_t target) {
  std::memset(windows_, 0, sizeof windows_);
  std::memset(scores_, 0, sizeof scores_);
  count_ = 0;
  target_ = target;
}

void TAnalizer::Offer(WindowId window, uint32_t processId) {
  if (processId != target_ || count_ >= kMaxWindows) return;
  windows_[count_++] = window;
}

void TAnalizer::ScoreWindows(const WindowFacts& facts) {
  for (uint32_t i = 0; i < count_; ++i) {
    const WindowId root = RootOwner(facts, windows_[i]);
    if (root == 0) continue;
    for (uint32_t j = 0; j < count_; ++j)
      if (windows_[j] == root) ++scores_[j];
  }
  // At most kMaxWindows owned windows per owner, so the score stays far below 65536.
  for (uint32_t i = 0; i < count_; ++i) {
    uint16_t s = static_cast<uint16_t>(scores_[i] * 4);
    if (facts.HasTitle(windows_[i])) s = static_cast<uint16_t>(s + 2);
    if (facts.IsVisible(windows_[i])) s = static_cast<uint16_t>(s + 1);
    scores_[i] = s;
  }
}

WindowId TAnalizer::MainWindow() const {
  uint32_t best = 0;
  for (uint32_t i = 1; i < count_; ++i)
    if (scores_[i] > scores_[best]) best = i;
  return count_ > 0 && scores_[best] > 0 ? windows_[best] : 0;
}

}  // namespace vx
