// The launcher's run-mode decision and single-instance test, on real packages.
#include <gtest/gtest.h>

#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

bool ForeignWindowOfClass(const std::string& cls) { return FindForeignWindow(cls, false) != nullptr; }

void CloseWindowsOfClass(const std::string& cls) {
  for (int i = 0; i < 20; ++i) {
    HWND w = FindWindowA(cls.c_str(), nullptr);
    if (w == nullptr) return;
    PostMessageA(w, WM_CLOSE, 0, 0);
    PumpFor(100);
  }
}

class ModesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("modes");
    auto cfg = LauncherPackageConfig(dir_ + "agent.pkg.exe");
    cfg.agent = true;
    cfg.agentExe = "MyAppUpdate.exe";
    cfg.agentToken = "SECRET";
    cfg.infoFile = "myapp.inf";
    cfg.updateUrl = "http://127.0.0.1:1/updates";
    ASSERT_TRUE(BuildTestPackage(cfg));
  }
  std::string dir_;
};

TEST_F(ModesTest, AgentPackageUnderItsCopyNameRunsTheAgentWindow) {
  ASSERT_TRUE(CopyFileTo(dir_ + "agent.pkg.exe", dir_ + "X_MyAppUpdate.exe"));
  TraceViewer viewer;
  HANDLE h = StartProcess("\"" + dir_ + "X_MyAppUpdate.exe\"");
  ASSERT_NE(h, nullptr);
  const std::string cls = ".AutoUpdate.X_MyAppUpdate";
  EXPECT_TRUE(PumpUntil([&] { return FindWindowA(cls.c_str(), nullptr) != nullptr; }, 15000));
  EXPECT_TRUE(viewer.HasLineContaining(" ThisIs_AutoUpdateProg=TRUE"));
  CloseWindowsOfClass(cls);
  EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, 15000));
  CloseHandle(h);
  EXPECT_TRUE(viewer.HasLineContaining(" ==== STUB END ====> "));
}

TEST_F(ModesTest, AgentPackageUnderAnotherNameRunsAsInstallerWithAgentClass) {
  ASSERT_TRUE(CopyFileTo(dir_ + "agent.pkg.exe", dir_ + "Other.exe"));
  TraceViewer viewer;
  HANDLE h = StartProcess("\"" + dir_ + "Other.exe\"");
  ASSERT_NE(h, nullptr);
  bool sawWindow = false;
  PumpUntil(
      [&] {
        sawWindow = sawWindow || ForeignWindowOfClass(".AutoUpdate.Other");
        return WaitForSingleObject(h, 0) == WAIT_OBJECT_0 || sawWindow;
      },
      15000);
  EXPECT_TRUE(sawWindow);
  // An installer with a package that is not meant for it: no agent work.
  EXPECT_FALSE(viewer.HasLineContaining("CreateAndRun_X_Exe"));
  CloseWindowsOfClass(".AutoUpdate.Other");
  for (int i = 0; i < 100 && WaitForSingleObject(h, 0) != WAIT_OBJECT_0; ++i) {
    // The installer may be showing a box about its package; end it.
    PumpFor(100);
  }
  if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0) TerminateProcess(h, 1);
  CloseHandle(h);
}

TEST_F(ModesTest, AgentPackageUnderItsAgentNameLaunchesTheCopy) {
  ASSERT_TRUE(CopyFileTo(dir_ + "agent.pkg.exe", dir_ + "MyAppUpdate.exe"));
  TraceViewer viewer;
  ProcessResult r = RunAndWait("\"" + dir_ + "MyAppUpdate.exe\"", 20000);
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(viewer.HasLineContaining(" CreateAndRun_X_Exe-1 "));
  EXPECT_FALSE(ForeignWindowOfClass(".AutoUpdate.MyAppUpdate"));
  // Whatever copy it started is stopped again.
  CloseWindowsOfClass(".AutoUpdate.X_MyAppUpdate");
}

TEST(SingleInstance, SecondStartOfTheSamePathOnlyTraces) {
  std::string dir = FreshTempDir("single");
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "vxstub.exe", dir + "setup.exe"));
  const std::string path = dir + "setup.exe";
  // Stand in for a first instance: a window whose class is the launcher's path.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = path.c_str();
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND holder = CreateWindowExA(0, path.c_str(), "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_NE(holder, nullptr);
  TraceViewer viewer;
  HANDLE h = StartProcess("\"" + path + "\"");
  ASSERT_NE(h, nullptr);
  bool sawSecondWindow = false;
  bool ended = PumpUntil(
      [&] {
        sawSecondWindow = sawSecondWindow || ForeignWindowOfClass(path);
        return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
      },
      15000);
  if (!ended) TerminateProcess(h, 1);
  CloseHandle(h);
  DestroyWindow(holder);
  UnregisterClassA(path.c_str(), wc.hInstance);
  EXPECT_TRUE(ended);
  EXPECT_FALSE(sawSecondWindow);
  EXPECT_TRUE(viewer.HasLineContaining(" ==== STUB START ====> "));
  EXPECT_TRUE(viewer.HasLineContaining(" ==== STUB END ====> "));
}

}  // namespace
