// The running system as the portable core's platform: its clock, drive facts and posted messages.
#include <gtest/gtest.h>
#include <windows.h>

#include "system/folders.h"
#include "system/platform_win.h"
#include "text/utils.h"

namespace vx {
namespace {

// The running system is this process's platform for one test.
class RunningSystem : public ::testing::Test {
 protected:
  void SetUp() override { SetPlatform(&Win32Platform()); }
  void TearDown() override { SetPlatform(nullptr); }
};

int64_t TodayStartSeconds() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return DateTimeToSeconds(EncodeDateTime({st.wYear, st.wMonth, st.wDay, 0, 0, 0}));
}

TEST_F(RunningSystem, ClockReadsTheLocalTimeOfToday) {
  const int64_t dayBefore = TodayStartSeconds();
  const int64_t now = NowSeconds();
  const int64_t dayAfter = TodayStartSeconds();
  EXPECT_GE(now, dayBefore);
  EXPECT_LT(now, dayAfter + 86400);
  EXPECT_GT(now, DateTimeToSeconds(EncodeDateTime({2020, 1, 1, 0, 0, 0})));
}

TEST_F(RunningSystem, ClusterSizeOfTheFoldersDrive) {
  struct Case {
    const char* what;
    String folder;
    bool known;
  } const cases[] = {
      {"temporary folder", TempDir(true), true},
      {"drive root", "C:\\", true},
      {"folder on the drive", "C:\\no\\such\\folder", true},  // only the drive counts
      {"no such drive", "1:\\x", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const uint32_t size = CurrentPlatform().DriveClusterSize(c.folder);
    if (c.known) {
      EXPECT_GE(size, 512u);
      EXPECT_EQ(size & (size - 1), 0u) << size;  // a power of two
    } else {
      EXPECT_EQ(size, 0u);
    }
  }
  EXPECT_EQ(CurrentPlatform().DriveClusterSize("C:\\no\\such\\folder"), CurrentPlatform().DriveClusterSize("C:\\"));
}

TEST_F(RunningSystem, PostedMessageReachesTheWindow) {
  HWND wnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  CurrentPlatform().PostWindowMessage(reinterpret_cast<uintptr_t>(wnd), WM_APP + 5, 43, -7);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, wnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 5));
  EXPECT_EQ(msg.wParam, 43u);
  EXPECT_EQ(msg.lParam, -7);
  DestroyWindow(wnd);
}

}  // namespace
}  // namespace vx
