// Main window choice from plain window facts.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "process/window_analyser.h"

namespace vx {
namespace {

struct FakeWindow {
  WindowId owner;
  bool titled;
  bool visible;
};

class FakeDesktop : public WindowFacts {
 public:
  explicit FakeDesktop(std::map<WindowId, FakeWindow> windows) : windows_(std::move(windows)) {}
  WindowId Owner(WindowId w) const override { return Find(w).owner; }
  bool HasTitle(WindowId w) const override { return Find(w).titled; }
  bool IsVisible(WindowId w) const override { return Find(w).visible; }

 private:
  FakeWindow Find(WindowId w) const {
    auto it = windows_.find(w);
    return it == windows_.end() ? FakeWindow{0, false, false} : it->second;
  }
  std::map<WindowId, FakeWindow> windows_;
};

constexpr uint32_t kTarget = 4242;
constexpr uint32_t kOther = 77;

struct Offered {
  WindowId window;
  uint32_t pid;
};

struct ScoreCase {
  const char* what;
  std::map<WindowId, FakeWindow> desktop;
  std::vector<Offered> offered;       // in enumeration order
  std::vector<uint16_t> scores;       // of the recorded windows, in order
  WindowId main;
};

TEST(Analizer, ScoresAndMainWindow) {
  const ScoreCase cases[] = {
      {"titled visible main window owning two dialogs",
       {{10, {0, true, true}}, {11, {10, true, true}}, {12, {10, true, true}}},
       {{11, kTarget}, {12, kTarget}, {10, kTarget}},
       {3, 3, 4 * 2 + 2 + 1},
       10},
      {"only window invisible and untitled", {{5, {0, false, false}}}, {{5, kTarget}}, {0}, 0},
      {"root owner counts through a chain of owners",
       {{1, {0, true, true}}, {2, {1, true, true}}, {3, {2, true, true}}},
       {{3, kTarget}, {2, kTarget}, {1, kTarget}},
       {3, 3, 4 * 2 + 3},
       1},
      {"hidden untitled owner beats a titled visible dialog",
       {{7, {0, false, false}}, {8, {7, true, true}}},
       {{8, kTarget}, {7, kTarget}},
       {3, 4},
       7},
      {"owner in another process earns nothing",
       {{30, {0, true, true}}, {31, {30, true, true}}, {32, {0, false, true}}},
       {{30, kOther}, {31, kTarget}, {32, kTarget}},
       {3, 1},
       31},
      {"a title outweighs visibility", {{1, {0, false, true}}, {2, {0, true, false}}}, {{1, kTarget}, {2, kTarget}}, {1, 2}, 2},
      {"equal scores: the first recorded wins",
       {{40, {0, true, true}}, {41, {0, true, true}}},
       {{41, kTarget}, {40, kTarget}},
       {3, 3},
       41},
      {"windows of other processes are not recorded",
       {{50, {0, true, true}}, {51, {0, false, false}}},
       {{50, kOther}, {51, kTarget}},
       {0},
       0},
      {"nothing recorded", {}, {}, {}, 0},
  };
  for (const ScoreCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto a = std::make_unique<TAnalizer>(kTarget);
    for (const Offered& o : c.offered) a->Offer(o.window, o.pid);
    a->ScoreWindows(FakeDesktop(c.desktop));
    ASSERT_EQ(a->Count(), c.scores.size());
    for (uint32_t i = 0; i < a->Count(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(a->ScoreAt(i), c.scores[i]);
    }
    EXPECT_EQ(a->MainWindow(), c.main);
  }
}

TEST(Analizer, StartsZeroedWithItsTarget) {
  auto a = std::make_unique<TAnalizer>(kTarget);
  EXPECT_EQ(a->Target(), kTarget);
  EXPECT_EQ(a->Count(), 0u);
  EXPECT_EQ(a->WindowAt(0), 0u);
  EXPECT_EQ(a->ScoreAt(0), 0u);
  EXPECT_EQ(a->MainWindow(), 0u);
}

TEST(Analizer, RecordsAtMost2001Windows) {
  auto a = std::make_unique<TAnalizer>(kTarget);
  std::map<WindowId, FakeWindow> desktop;
  for (WindowId w = 1; w <= 2003; ++w) {
    desktop[w] = {0, false, w == 2002};  // only a window past the limit is visible
    a->Offer(w, kTarget);
  }
  EXPECT_EQ(a->Count(), 2001u);
  EXPECT_EQ(a->WindowAt(2000), 2001u);
  EXPECT_EQ(a->WindowAt(2001), 0u);
  a->ScoreWindows(FakeDesktop(desktop));
  EXPECT_EQ(a->MainWindow(), 0u);
}

TEST(Analizer, ManyOwnedWindowsKeepCounting) {
  // 2000 dialogs owned by one main window: the count stays exact in 16 bits.
  auto a = std::make_unique<TAnalizer>(kTarget);
  std::map<WindowId, FakeWindow> desktop{{1, {0, false, false}}};
  a->Offer(1, kTarget);
  for (WindowId w = 2; w <= 2001; ++w) {
    desktop[w] = {1, true, true};
    a->Offer(w, kTarget);
  }
  a->ScoreWindows(FakeDesktop(desktop));
  EXPECT_EQ(a->ScoreAt(0), 2000u * 4u);
  EXPECT_EQ(a->MainWindow(), 1u);
}

TEST(Analizer, OwnerLoopEnds) {
  // Looping owner links never occur on a real desktop; the analyser must still finish.
  auto a = std::make_unique<TAnalizer>(kTarget);
  a->Offer(1, kTarget);
  a->Offer(2, kTarget);
  a->ScoreWindows(FakeDesktop({{1, {2, true, false}}, {2, {1, false, true}}}));
  EXPECT_EQ(a->Count(), 2u);
  EXPECT_NE(a->MainWindow(), 0u);
}

}  // namespace
}  // namespace vx
