// Win32 helpers: message pumping, library lookup, window and system queries.
#include <gtest/gtest.h>

#include "system/winutil_win.h"
#include "text/switches.h"
#include "text/utils.h"

namespace vx {
namespace {

constexpr UINT kPing = WM_APP + 17;
int g_pings = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) {
    ++g_pings;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND MakeWindow(const char* title) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VxWinUtilTest";
    registered = RegisterClassA(&wc) != 0;
  }
  return CreateWindowA("VxWinUtilTest", title, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                       GetModuleHandleA(nullptr), nullptr);
}

std::string SystemDir() {
  char dir[MAX_PATH + 1];
  const UINT n = GetSystemDirectoryA(dir, sizeof dir);
  return std::string(dir, n);
}

TEST(WinUtil, WaitsDispatchQueuedMessages) {
  HWND w = MakeWindow("pump");
  ASSERT_NE(w, nullptr);
  struct Case {
    uint32_t ms, step;
  } const cases[] = {{0, 0}, {0, 1}, {30, 0}, {5, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ms) + "/" + std::to_string(c.step));
    g_pings = 0;
    PostMessageA(w, kPing, 0, 0);
    PostMessageA(w, kPing, 0, 0);
    PostQuitMessage(0);  // taken and dispatched like any other message; the wait goes on
    Wait(c.ms, c.step);
    EXPECT_EQ(g_pings, 2);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  }
  g_pings = 0;
  PostMessageA(w, kPing, 0, 0);
  PumpMessages(0);
  EXPECT_EQ(g_pings, 1);
  DestroyWindow(w);
  PumpMessages(0);
}

TEST(WinUtil, WindowTextIsCappedAt1000) {
  const std::string longTitle(1500, 'x');
  struct Case {
    std::string title;
    size_t expected;
  } const cases[] = {{"Setup", 5}, {"", 0}, {longTitle, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title.size());
    HWND w = MakeWindow(c.title.c_str());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(WindowText(w), c.title.substr(0, c.expected));
    DestroyWindow(w);
  }
  EXPECT_EQ(WindowText(nullptr), "");
}

TEST(WinUtil, LibraryExports) {
  using TickFn = DWORD(WINAPI*)();
  const TickFn tick = GetProcFromLibraryAs<TickFn>("kernel32.dll", "GetTickCount");
  ASSERT_NE(tick, nullptr);
  EXPECT_NE(tick(), 0u);
  EXPECT_NE(GetProcFromLibrary("PSAPI.dll", "EnumProcesses"), nullptr);
  EXPECT_NE(GetProcFromLibrary((SystemDir() + "\\kernel32.dll").c_str(), "GetTickCount"), nullptr);
  EXPECT_EQ(GetProcFromLibrary("kernel32.dll", "NoSuchExportHere"), nullptr);
  EXPECT_EQ(GetProcFromLibrary("vx_no_such_library.dll", "Anything"), nullptr);
}

TEST(WinUtil, LibraryNextToProgramIsNotLoaded) {
  // A copy of a system library under a name found only in the program's folder.
  char exe[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string dir(exe, n);
  dir.erase(dir.find_last_of('\\') + 1);
  const std::string local = dir + "vxlocalcopy.dll";
  ASSERT_TRUE(CopyFileA((SystemDir() + "\\version.dll").c_str(), local.c_str(), FALSE));
  EXPECT_EQ(GetProcFromLibrary("vxlocalcopy.dll", "GetFileVersionInfoSizeA"), nullptr);
  HMODULE direct = LoadLibraryA(local.c_str());  // the copy itself is loadable
  EXPECT_NE(direct, nullptr);
  if (direct != nullptr) FreeLibrary(direct);
  DeleteFileA(local.c_str());
}

TEST(WinUtil, SystemQueries) {
  EXPECT_TRUE(IsWinNT());
  SetLastError(ERROR_FILE_NOT_FOUND);
  const std::string text = LastErrorText();
  EXPECT_FALSE(text.empty());
  EXPECT_GT(static_cast<unsigned char>(text.back()), ' ');
  const int inch = PointsToPixels(72);
  EXPECT_GT(inch, 0);
  EXPECT_EQ(PointsToPixels(144), 2 * inch);
  EXPECT_EQ(PointsToPixels(0), 0);
  const char sep = LocaleTimeSeparator();
  EXPECT_TRUE(sep > ' ' && !(sep >= '0' && sep <= '9'));
}

TEST(WinUtil, AutoPlaySuppression) {
  EXPECT_EQ(AutoPlayMessage(), 0);
  SetAutoPlaySuppression(true);
  const uint16_t id = AutoPlayMessage();
  EXPECT_NE(id, 0);
  EXPECT_EQ(id, static_cast<uint16_t>(RegisterWindowMessageA("queryCancelAutoPlay")));
  SetAutoPlaySuppression(false);
  EXPECT_EQ(AutoPlayMessage(), 0);
}

TEST(WinUtil, CommandLineFromProcess) {
  InitCommandLineFromProcess();
  EXPECT_EQ(FullCommandLine(), GetCommandLineA());
  EXPECT_TRUE(EndsWith(".exe", ModulePath(), true));
  EXPECT_EQ(PosCI(ModulePath(), CommandTail()), 0);
  SetCommandLineSource("", "");
}

TEST(WinUtil, ShellOpen) {
  EXPECT_FALSE(ShellOpen("C:\\vx_no_such_program.exe", "", SW_HIDE));
  EXPECT_TRUE(ShellOpen(SystemDir() + "\\cmd.exe", "/c exit", SW_HIDE));
}

TEST(WinUtil, SecureDllSearchKeepsSystemLookups) {
  SecureDllSearch();
  EXPECT_NE(GetProcFromLibrary("WinINet.dll", "InternetOpenA"), nullptr);
}

}  // namespace
}  // namespace vx
