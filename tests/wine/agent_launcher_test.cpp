// The agent launcher: starting its "X_" copy and forwarding control switches to it.
#include <gtest/gtest.h>

#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

constexpr UINT kClientMessage = WM_APP + 5;
const char kCopyClass[] = ".AutoUpdate.X_MyAppUpdate";

// A window of the test that subscribes to the agent's notifications.
class ClientWindow {
 public:
  ClientWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "vxtest.client";
    RegisterClassA(&wc);
    wnd_ = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ClientWindow() { DestroyWindow(wnd_); }
  HWND handle() const { return wnd_; }
  std::vector<std::pair<WPARAM, LPARAM>> received;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kClientMessage) {
      reinterpret_cast<ClientWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA))->received.push_back({wp, lp});
      return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  HWND wnd_ = nullptr;
};

void CloseAgentCopy() {
  for (int i = 0; i < 30; ++i) {
    HWND w = FindWindowA(kCopyClass, nullptr);
    if (w == nullptr) return;
    PostMessageA(w, WM_CLOSE, 0, 0);
    PumpFor(200);
  }
}

class AgentLauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAgentCopy();
    dir_ = FreshTempDir("agentlauncher");
    auto cfg = LauncherPackageConfig(dir_ + "MyAppUpdate.exe");
    cfg.agent = true;
    cfg.agentExe = "MyAppUpdate.exe";
    cfg.agentToken = "SECRET";
    cfg.infoFile = "myapp.inf";
    ASSERT_TRUE(BuildTestPackage(cfg));
  }
  void TearDown() override { CloseAgentCopy(); }
  std::string agent() const { return "\"" + dir_ + "MyAppUpdate.exe\""; }
  std::string dir_;
};

TEST_F(AgentLauncherTest, StartsItsCopyAndForwardsSubscriptions) {
  TraceViewer viewer;
  ProcessResult r = RunAndWait(agent() + " /TRANSIENT=|1|0| /DELAY=5", 30000);
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(viewer.HasLineContaining(" CreateAndRun_X_Exe-2"));
  ASSERT_TRUE(PumpUntil([] { return FindWindowA(kCopyClass, nullptr) != nullptr; }, 20000));
  EXPECT_NE(GetFileAttributesA((dir_ + "X_MyAppUpdate.exe").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(viewer.HasLineContaining("X_MyAppUpdate.exe\" /TRANSIENTx=|1|0| /SleepX=5<"));

  // A later start finds the copy running and only forwards the switch.
  ClientWindow client;
  viewer.Clear();
  const std::string wm = " /WM_MSG=" + std::to_string(reinterpret_cast<uintptr_t>(client.handle())) + ":" +
                         std::to_string(kClientMessage);
  r = RunAndWait(agent() + wm, 30000);
  ASSERT_TRUE(r.finished);
  EXPECT_FALSE(viewer.HasLineContaining(" CreateAndRun_X_Exe-2"));
  ASSERT_TRUE(PumpUntil([&] { return client.received.size() >= 2; }, 10000));
  HWND copy = FindWindowA(kCopyClass, nullptr);
  EXPECT_EQ(client.received[0], (std::pair<WPARAM, LPARAM>(50, reinterpret_cast<LPARAM>(copy))));
  EXPECT_EQ(client.received[1], (std::pair<WPARAM, LPARAM>(51, 1125)));
}

TEST_F(AgentLauncherTest, ForwardsNothingWhenTheCopyFileIsMissing) {
  // Stand in for a running agent copy: its window exists, its file does not.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kCopyClass;
  RegisterClassA(&wc);
  HWND fake = CreateWindowExA(0, kCopyClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                              nullptr);
  ASSERT_NE(fake, nullptr);
  ClientWindow client;
  TraceViewer viewer;
  const std::string wm = " /WM_MSG=" + std::to_string(reinterpret_cast<uintptr_t>(client.handle())) + ":" +
                         std::to_string(kClientMessage);
  ProcessResult r = RunAndWait(agent() + wm + " /TEST=0", 30000);
  PumpFor(500);
  DestroyWindow(fake);
  UnregisterClassA(kCopyClass, wc.hInstance);
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(viewer.HasLineContaining(" CreateAndRun_X_Exe-1 "));
  EXPECT_FALSE(viewer.HasLineContaining(" CreateAndRun_X_Exe-2"));  // a copy's window exists
  EXPECT_TRUE(client.received.empty());
  EXPECT_EQ(GetFileAttributesA((dir_ + "X_MyAppUpdate.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
