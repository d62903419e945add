// The stub window of a running agent copy: class, layout, remote control and the two-step close.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "launcher/stub_window.h"
#include "launcher/stub_window_layout.h"
#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

constexpr const char* kAgentClass = ".AutoUpdate.X_StubWinAgent";
constexpr const char* kCaption = "StubWin Agent Under Test";
constexpr UINT kClientMsg = WM_APP + 77;

// A window in the test process that records the notifications it is sent.
struct Notification {
  UINT msg;
  WPARAM code;
  LPARAM value;
};
std::vector<Notification> g_notes;

LRESULT CALLBACK ClientProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kClientMsg || (msg == WM_NULL && wp != 0)) {
    g_notes.push_back({msg, wp, lp});
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

HWND MakeClientWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ClientProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "StubWinTestClient";
    registered = RegisterClassA(&wc) != 0;
  }
  return CreateWindowExA(0, "StubWinTestClient", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string IniText(const std::string& file, const char* section, const char* key) {
  char buf[256] = {};
  GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf, file.c_str());
  return buf;
}

class StubWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_notes.clear();
    // A folder per test: the previous test's agent image may still be mapped for a moment.
    dir_ = FreshTempDir(std::string("stubwin_") +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    auto cfg = LauncherPackageConfig(dir_ + "X_StubWinAgent.exe");
    cfg.agent = true;
    cfg.agentExe = "StubWinAgent.exe";
    cfg.agentToken = "SECRET";
    cfg.infoFile = "sub\\StubWin.cfg";
    cfg.updateUrl = "http://127.0.0.1:1/updates";
    cfg.languages = {{"English", {{"s0", kCaption}}}};
    ASSERT_TRUE(BuildTestPackage(cfg));
    original_ = dir_ + "StubWin.original";
    info_ = dir_ + "StubWin.info";
    ASSERT_TRUE(WriteWholeFile(original_,
                               "[OriginalSetup]\r\nVersionOriginal=17\r\nProbeSecondsInterval=4294967301\r\n"));
    ASSERT_TRUE(WriteWholeFile(info_, "[NewSetup]\r\nVersionNew=23\r\n"));
    process_ = StartProcess("\"" + dir_ + "X_StubWinAgent.exe\"");
    ASSERT_NE(process_, nullptr);
    // The window stays hidden: look for it by class only.
    PumpUntil([&] { return (wnd_ = FindWindowA(kAgentClass, nullptr)) != nullptr || Ended(); }, 15000);
    ASSERT_NE(wnd_, nullptr);
  }

  void TearDown() override {
    if (process_ != nullptr) {
      for (int i = 0; i < 3 && IsWindow(wnd_); ++i) PostMessageA(wnd_, WM_CLOSE, 0, 0);
      if (!PumpUntil([&] { return Ended(); }, 10000)) TerminateProcess(process_, 1);
      CloseHandle(process_);
      // The next test builds its copy at the same path: the old one must be gone for good first.
      WaitForSelfDeletion(dir_ + "X_StubWinAgent.exe", 20000);
    }
    if (client_ != nullptr) DestroyWindow(client_);
  }

  bool Ended() { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

  LRESULT Command(WPARAM command, LPARAM value) {
    DWORD_PTR result = 0xDEAD;
    EXPECT_NE(SendMessageTimeoutA(wnd_, 1125, command, value, SMTO_NORMAL, 5000, &result), 0);
    return static_cast<LRESULT>(result);
  }

  // Subscribes client_ and waits for the two answers.
  void Subscribe() {
    client_ = MakeClientWindow();
    ASSERT_NE(client_, nullptr);
    PostMessageA(wnd_, 1124, reinterpret_cast<WPARAM>(client_), kClientMsg);
    ASSERT_TRUE(PumpUntil([] { return g_notes.size() >= 2; }, 5000));
  }

  std::string dir_, original_, info_;
  HANDLE process_ = nullptr;
  HWND wnd_ = nullptr;
  HWND client_ = nullptr;
};

struct ChildInfo {
  std::string cls;
  RECT rect;  // in the parent's client pixels
  bool visible;
};

std::vector<ChildInfo> Children(HWND parent) {
  std::vector<ChildInfo> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ChildInfo info;
    char cls[64] = {};
    GetClassNameA(c, cls, sizeof cls);
    info.cls = cls;
    GetWindowRect(c, &info.rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
    info.visible = (GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE) != 0;
    out.push_back(info);
  }
  return out;
}

TEST_F(StubWindowTest, ClassStyleSizeCentringAndControls) {
  EXPECT_EQ(GetClassLongA(wnd_, GCL_STYLE), static_cast<DWORD>(CS_DBLCLKS));
  const DWORD style = static_cast<DWORD>(GetWindowLongA(wnd_, GWL_STYLE));
  EXPECT_EQ(style & ~static_cast<DWORD>(WS_CLIPSIBLINGS), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN));
  EXPECT_FALSE(IsWindowVisible(wnd_));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(wnd_, GWL_EXSTYLE));
  EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), 0u);

  char caption[128] = {};
  GetWindowTextA(wnd_, caption, sizeof caption);
  EXPECT_STREQ(caption, kCaption);

  RECT r;
  ASSERT_TRUE(GetWindowRect(wnd_, &r));
  EXPECT_EQ(r.right - r.left, 492);
  EXPECT_EQ(r.bottom - r.top, 110);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 492) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 110) / 2);

  struct Expected {
    const char* cls;
    RECT rect;
    bool visible;
  };
  const Expected expected[] = {
      {"Static", {70, 20, 410, 38}, true},
      {"msctls_progress32", {70, 38, 462, 51}, true},
      {"msctls_progress32", {416, 20, 462, 33}, false},
  };
  // The window can be found before its controls exist.
  PumpUntil([&] { return Children(wnd_).size() >= 3; }, 5000);
  const auto children = Children(wnd_);
  ASSERT_EQ(children.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(children[i].cls, expected[i].cls);
    EXPECT_EQ(children[i].rect.left, expected[i].rect.left);
    EXPECT_EQ(children[i].rect.top, expected[i].rect.top);
    EXPECT_EQ(children[i].rect.right, expected[i].rect.right);
    EXPECT_EQ(children[i].rect.bottom, expected[i].rect.bottom);
    EXPECT_EQ(children[i].visible, expected[i].visible);
  }
  char status[64] = "x";
  GetWindowTextA(GetWindow(wnd_, GW_CHILD), status, sizeof status);
  EXPECT_STREQ(status, "");
}

TEST_F(StubWindowTest, SubscriptionIsAnsweredOnlyWithAClientMessage) {
  client_ = MakeClientWindow();
  ASSERT_NE(client_, nullptr);
  // A zero client message stores the window but never notifies; the second subscription does.
  PostMessageA(wnd_, 1124, reinterpret_cast<WPARAM>(client_), 0);
  PostMessageA(wnd_, 1124, reinterpret_cast<WPARAM>(client_), kClientMsg);
  ASSERT_TRUE(PumpUntil([] { return g_notes.size() >= 2; }, 5000));
  PumpFor(200);
  ASSERT_EQ(g_notes.size(), 2u);
  EXPECT_EQ(g_notes[0].msg, kClientMsg);
  EXPECT_EQ(g_notes[0].code, 50u);
  EXPECT_EQ(g_notes[0].value, reinterpret_cast<LPARAM>(wnd_));
  EXPECT_EQ(g_notes[1].msg, kClientMsg);
  EXPECT_EQ(g_notes[1].code, 51u);
  EXPECT_EQ(g_notes[1].value, 1125);
}

TEST_F(StubWindowTest, CommandsReadAndWriteTheSettingsFiles) {
  EXPECT_EQ(Command(4, 0), 17);
  EXPECT_EQ(Command(5, 0), 23);
  EXPECT_EQ(Command(8, 0), 5);  // low 32 bits of 2^32 + 5
  EXPECT_EQ(Command(12, -1), 0);
  EXPECT_EQ(IniText(original_, "OriginalSetup", "ProbeSecondsInterval"), "-1");
  EXPECT_EQ(Command(8, 0), -1);

  EXPECT_EQ(Command(14, 2000000000), 0);
  char sep[8] = ":";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, sep, sizeof sep);
  EXPECT_EQ(IniText(original_, "OriginalSetup", "ProbeSecondsLast"), "2000000000");
  EXPECT_EQ(IniText(original_, "OriginalSetup", "__ProbeSecondsLast"),
            std::string("17-MAY-1963  03") + sep[0] + "33" + sep[0] + "20");
  EXPECT_EQ(Command(10, 0), 2000000000);

  EXPECT_EQ(Command(20, 256), 0);
  const std::string before = ReadWholeFile(original_) + ReadWholeFile(info_);
  EXPECT_EQ(Command(99, 12345), 0);
  EXPECT_EQ(ReadWholeFile(original_) + ReadWholeFile(info_), before);
}

TEST_F(StubWindowTest, FirstCloseOnlyAbortsSecondClosesAndEndsTheLoop) {
  Subscribe();
  DWORD_PTR result = 1;
  ASSERT_NE(SendMessageTimeoutA(wnd_, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result), 0);
  EXPECT_TRUE(IsWindow(wnd_));
  EXPECT_EQ(Command(4, 0), 17);  // still answering
  EXPECT_FALSE(Ended());

  PostMessageA(wnd_, WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Ended(); }, 10000));
  EXPECT_FALSE(IsWindow(wnd_));
  DWORD code = 1;
  GetExitCodeProcess(process_, &code);
  EXPECT_EQ(code, 0u);
  PumpFor(100);
  ASSERT_EQ(g_notes.size(), 3u);
  EXPECT_EQ(g_notes[2].msg, kClientMsg);
  EXPECT_EQ(g_notes[2].code, 43u);
  EXPECT_EQ(g_notes[2].value, 0);
}

TEST(StubWindowRules, LauncherCarriesTheMainIcon) {
  // Wine does not hand out the class icon of another process's window, so look in the image.
  HMODULE image = LoadLibraryExA((TestBinDir() + "vxstub.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  EXPECT_NE(FindResourceA(image, "MainIcon", reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr);
  FreeLibrary(image);
}

TEST(StubWindowRules, ProgressControlTakesTheSixteenBitRange) {
  InitCommonControls();
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(bar, nullptr);
  for (int32_t max : {100, 65535, 70000}) {
    SCOPED_TRACE(max);
    SendMessageA(bar, PBM_SETRANGE, 0, static_cast<LPARAM>(vx::ProgressRangeParam(max)));
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), vx::ProgressRangeMax(max));
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  }
  DestroyWindow(bar);
}

TEST(StubWindowRules, GatheredStepsLeaveTheBarWhereSingleStepsWould) {
  // Extraction hands its progress steps over gathered: the bar must end where as many single
  // PBM_STEPIT messages leave it, wrap-arounds at the top included (the control decides those).
  InitCommonControls();
  struct Case {
    int32_t max, stepSize, start, steps;
  } cases[] = {
      {100, 1, 0, 7},  {100, 1, 95, 5}, {10, 1, 8, 5},  {10, 1, 0, 25}, {100, 10, 0, 9},
      {100, 10, 5, 12}, {100, 3, 90, 4}, {100, 0, 40, 3}, {70000, 1, 4460, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "0.." << c.max << " step " << c.stepSize << " from " << c.start << " x"
                                      << c.steps);
    HWND bars[2];
    for (HWND& bar : bars) {
      bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
      ASSERT_NE(bar, nullptr);
      SendMessageA(bar, PBM_SETRANGE, 0, static_cast<LPARAM>(vx::ProgressRangeParam(c.max)));
      SendMessageA(bar, PBM_SETSTEP, static_cast<WPARAM>(c.stepSize), 0);
      SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(c.start), 0);
    }
    for (int32_t i = 0; i < c.steps; ++i) SendMessageA(bars[0], PBM_STEPIT, 0, 0);
    vx::StepProgressBar(bars[1], c.stepSize, c.steps);
    EXPECT_EQ(SendMessageA(bars[1], PBM_GETPOS, 0, 0), SendMessageA(bars[0], PBM_GETPOS, 0, 0));
    for (HWND bar : bars) DestroyWindow(bar);
  }
}

}  // namespace
