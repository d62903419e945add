// Process and window control against the fake application fixture (fakeapp.exe).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "process/process_win.h"
#include "system/debug.h"
#include "system/winutil_win.h"
#include "test_support.h"
#include "text/utils.h"

namespace vx {
namespace {

using vxtest::FreshTempDir;
using vxtest::PumpUntil;
using vxtest::ReadWholeFile;
using vxtest::TestBinDir;

constexpr DWORD kStartTimeout = 15000;
constexpr DWORD kEndTimeout = 20000;

std::string ShortPathOf(const std::string& path) {
  char buf[MAX_PATH + 1];
  const DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string ClassOf(HWND w) {
  char buf[256];
  const int n = GetClassNameA(w, buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// A copy of the fake application in a folder of its own, started and ended by the test.
class FakeApp {
 public:
  FakeApp(const std::string& folder, const std::string& exeName, const std::string& className)
      : dir_(FreshTempDir(folder)), exe_(dir_ + exeName), log_(dir_ + "received.log"), class_(className) {
    copied_ = vxtest::CopyFileTo(TestBinDir() + "fakeapp.exe", exe_);
  }
  ~FakeApp() {
    if (process_ != nullptr) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
      CloseHandle(process_);
    }
  }

  // Starts the copy (by the given command path, the exe's own when empty) and waits for its windows.
  bool Start(const std::string& switches, const std::string& commandPath = "") {
    if (!copied_) return false;
    const std::string path = commandPath.empty() ? "\"" + exe_ + "\"" : commandPath;
    DeleteFileA(log_.c_str());
    process_ = vxtest::StartProcess(path + " " + switches + " /class=" + class_ + " /log=\"" + log_ + "\"");
    if (process_ == nullptr) return false;
    pid_ = GetProcessId(process_);
    return PumpUntil([&] { return LogHasLine("ready"); }, kStartTimeout);
  }

  // Pumps until the process has ended; closes the handle and keeps the exit code.
  bool WaitEnded() {
    if (process_ == nullptr) return true;
    const bool ended = PumpUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, kEndTimeout);
    if (ended) {
      GetExitCodeProcess(process_, &exitCode_);
      CloseHandle(process_);
      process_ = nullptr;
    }
    return ended;
  }
  bool Running() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  std::string Log() const { return ReadWholeFile(log_); }
  bool LogHasLine(const std::string& line) const { return Log().find(line + "\r\n") != std::string::npos; }
  bool WaitForLogLine(const std::string& line) const {
    return PumpUntil([&] { return LogHasLine(line); }, kEndTimeout);
  }
  // Posts a marker straight to the main window and waits until the program records it: every
  // message posted to the program's thread before it has been handled by then.
  bool Sync() const {
    static UINT marker = WM_APP + 100;
    ++marker;
    if (!PostMessageA(MainWindow(), marker, 0, 0)) return false;
    return WaitForLogLine("msg " + std::to_string(marker) + " 0 0");
  }

  HWND MainWindow() const { return FindWindowA(class_.c_str(), nullptr); }
  const std::string& Exe() const { return exe_; }
  const std::string& Dir() const { return dir_; }
  const std::string& Class() const { return class_; }
  DWORD Pid() const { return pid_; }
  DWORD ExitCode() const { return exitCode_; }

 private:
  std::string dir_, exe_, log_, class_;
  bool copied_ = false;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  DWORD exitCode_ = 0;
};

bool Listed(DWORD pid) {
  const std::vector<uint32_t> ids = ProcessIdList();
  return std::find(ids.begin(), ids.end(), pid) != ids.end();
}

TEST(Process, IdListHoldsRunningProcesses) {
  FakeApp app("proc_list", "listed.exe", "VxProcList");
  ASSERT_TRUE(app.Start("/dialogs=0"));
  const std::vector<uint32_t> ids = ProcessIdList();
  EXPECT_NE(std::find(ids.begin(), ids.end(), GetCurrentProcessId()), ids.end());
  EXPECT_NE(std::find(ids.begin(), ids.end(), app.Pid()), ids.end());
  ASSERT_TRUE(TerminateProgram(app.Exe(), true));
  ASSERT_TRUE(app.WaitEnded());
  EXPECT_TRUE(PumpUntil([&] { return !Listed(app.Pid()); }, kEndTimeout));
}

TEST(Process, FindByPathMatchingRules) {
  FakeApp app("proc find dir", "Find App.exe", "VxProcFind");
  const std::string shortExe = ShortPathOf(app.Exe());
  ASSERT_FALSE(shortExe.empty());
  ASSERT_NE(shortExe, app.Exe());
  // Started by its short path: the system may report either form; both targets must match.
  ASSERT_TRUE(app.Start("/dialogs=0", shortExe));
  const DWORD pid = app.Pid();
  struct Case {
    std::string target;
    bool fullPathOnly;
    DWORD expected;
  } const cases[] = {
      {app.Exe(), true, pid},
      {app.Exe(), false, pid},
      {"  " + UpperCase(app.Exe()) + " ", true, pid},
      {shortExe, true, pid},
      {"Find App.exe", false, pid},
      {" find app.EXE", false, pid},
      {"Find App.exe", true, 0},
      {"C:\\nowhere\\Find App.exe", true, 0},
      {"C:\\nowhere\\Find App.exe", false, 0},  // the base name is compared with the whole target
      {"\"" + app.Exe() + "\"", true, 0},       // quotes are removed only by the callers that say so
      {app.Dir() + "Other App.exe", false, 0},
      {"", false, 0},
      {"   ", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("[" + c.target + "] fullPathOnly=" + std::to_string(c.fullPathOnly));
    EXPECT_EQ(FindProcessByPath(c.target, c.fullPathOnly), c.expected);
    EXPECT_EQ(FindProcessByPathPsApi(c.target, c.fullPathOnly), c.expected);
  }
  // ToolHelp on the NT family lists bare executable names: bare names are what it can match.
  EXPECT_EQ(FindProcessByPathToolHelp("find app.exe", false), pid);
  EXPECT_EQ(FindProcessByPathToolHelp("Other App.exe", false), 0u);
  EXPECT_EQ(FindProcessByPathToolHelp("", false), 0u);
}

TEST(Process, QuotedTargetIsRunning) {
  FakeApp app("proc_running", "running.exe", "VxProcRunning");
  ASSERT_TRUE(app.Start("/dialogs=0"));
  const std::string targets[] = {"\"" + app.Exe() + "\"", app.Exe(), "running.exe", "\"running.exe\""};
  for (const std::string& t : targets) {
    SCOPED_TRACE(t);
    EXPECT_TRUE(IsProgramRunning(t));
  }
  ASSERT_TRUE(TerminateProgram(app.Exe(), true));
  ASSERT_TRUE(app.WaitEnded());
  ASSERT_TRUE(PumpUntil([&] { return !Listed(app.Pid()); }, kEndTimeout));
  for (const std::string& t : targets) {
    SCOPED_TRACE(t);
    EXPECT_FALSE(IsProgramRunning(t));
  }
}

TEST(Process, TwoCopiesTheOneListedLastWins) {
  FakeApp first("proc_twice", "twice.exe", "VxProcTwiceA");
  FakeApp second("proc_twice2", "twice.exe", "VxProcTwiceB");
  ASSERT_TRUE(first.Start("/dialogs=0"));
  ASSERT_TRUE(second.Start("/dialogs=0"));
  const std::vector<uint32_t> ids = ProcessIdList();
  const auto a = std::find(ids.begin(), ids.end(), first.Pid());
  const auto b = std::find(ids.begin(), ids.end(), second.Pid());
  ASSERT_NE(a, ids.end());
  ASSERT_NE(b, ids.end());
  const DWORD listedLast = a > b ? first.Pid() : second.Pid();
  EXPECT_EQ(FindProcessByPath("twice.exe", false), listedLast);
  // Full paths tell the copies apart.
  EXPECT_EQ(FindProcessByPath(first.Exe(), true), first.Pid());
  EXPECT_EQ(FindProcessByPath(second.Exe(), true), second.Pid());
}

TEST(Process, RenamedExecutableStillFoundByItsLongForm) {
  FakeApp app("proc_renamed", "Renamed App.exe", "VxProcRenamed");
  ASSERT_TRUE(app.Start("/dialogs=0"));
  const std::string moved = app.Dir() + "Moved Away.exe";
  if (!MoveFileA(app.Exe().c_str(), moved.c_str())) GTEST_SKIP() << "a running executable cannot be renamed here";
  ASSERT_EQ(ShortPathOf(app.Exe()), "");  // the target no longer exists on disk
  EXPECT_EQ(FindProcessByPath(app.Exe(), true), app.Pid());
}

TEST(Process, MainWindowIsTheTitledVisibleOwnerOfTheDialogs) {
  FakeApp app("proc_main", "mainwin.exe", "VxProcMain");
  ASSERT_TRUE(app.Start("/dialogs=2"));
  HWND main = FindWindowA(app.Class().c_str(), "Fake Application");
  ASSERT_NE(main, nullptr);
  HWND dialog = FindWindowA((app.Class() + "_Dialog").c_str(), nullptr);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_EQ(FindMainWindow(app.Exe(), true), main);
  EXPECT_EQ(FindMainWindow("mainwin.exe", false), main);
  EXPECT_EQ(FindMainWindow("mainwin.exe", true), nullptr);
  EXPECT_EQ(FindMainWindow(app.Dir() + "absent.exe", false), nullptr);
}

TEST(Process, HiddenUntitledWindowIsNeverAskedToClose) {
  FakeApp app("proc_hidden", "hidden.exe", "VxProcHidden");
  ASSERT_TRUE(app.Start("/hidden /dialogs=0 /title=\"\""));
  HWND own = app.MainWindow();
  ASSERT_NE(own, nullptr);
  ASSERT_FALSE(IsWindowVisible(own));
  ASSERT_EQ(WindowText(own), "");
  const HWND found = FindMainWindow(app.Exe(), true);
  EXPECT_NE(found, own);
  // Besides its own window a GUI thread may have the system's "Default IME" window (titled,
  // hidden); where it exists it outscores an untitled hidden window.
  if (found != nullptr) {
    EXPECT_EQ(ClassOf(found), "IME");
  }
  EXPECT_EQ(CloseProgram(app.Exe(), true), found != nullptr);
  ASSERT_TRUE(app.Sync());
  EXPECT_FALSE(app.LogHasLine("msg 16 15 255"));
  EXPECT_TRUE(app.Running());
}

TEST(Process, PostToProgramDeliversToTheMainWindow) {
  FakeApp app("proc_post", "posted.exe", "VxProcPost");
  ASSERT_TRUE(app.Start("/dialogs=2"));
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  } const cases[] = {{1123, 0, 0}, {1124, 7, 9}, {1125, 20, 256}, {WM_APP + 3, 0xFFFF, 0x7FFFFFFF}};
  for (const Case& c : cases) {
    const std::string line = std::to_string(c.message) + " " + std::to_string(c.wParam) + " " + std::to_string(c.lParam);
    SCOPED_TRACE(line);
    EXPECT_TRUE(PostToProgram(app.Exe(), true, c.message, c.wParam, c.lParam));
    EXPECT_TRUE(app.WaitForLogLine("msg " + line));
    EXPECT_FALSE(app.LogHasLine("dlgmsg " + line));
  }
  EXPECT_FALSE(PostToProgram(app.Dir() + "absent.exe", true, 1124, 1, 2));
  EXPECT_FALSE(PostToProgram("posted.exe", true, 1124, 1, 2));
}

TEST(Process, CloseProgramAsksTheProgramToClose) {
  FakeApp app("proc_close", "closed.exe", "VxProcClose");
  ASSERT_TRUE(app.Start("/dialogs=1"));
  EXPECT_TRUE(CloseProgram(app.Exe(), true));
  ASSERT_TRUE(app.WaitEnded());
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_TRUE(app.LogHasLine("msg 16 15 255"));
  EXPECT_TRUE(app.LogHasLine("end"));
  EXPECT_FALSE(app.LogHasLine("quit 15"));
  EXPECT_TRUE(PumpUntil([&] { return !IsProgramRunning(app.Exe()); }, kEndTimeout));
  EXPECT_FALSE(CloseProgram(app.Exe(), true));
}

TEST(Process, QuitProgramEndsTheLoopWithoutAsking) {
  FakeApp app("proc_quit", "quitted.exe", "VxProcQuit");
  ASSERT_TRUE(app.Start("/dialogs=1 /ignoreclose"));
  EXPECT_TRUE(QuitProgram(app.Exe(), true));
  ASSERT_TRUE(app.WaitEnded());
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_TRUE(app.LogHasLine("quit 15"));
  EXPECT_FALSE(app.LogHasLine("msg 16 15 255"));
}

TEST(Process, TerminateProgramEndsAProgramThatIgnoresClosing) {
  FakeApp app("proc_kill", "stubborn.exe", "VxProcKill");
  ASSERT_TRUE(app.Start("/dialogs=1 /ignoreclose"));
  EXPECT_TRUE(CloseProgram(app.Exe(), true));
  ASSERT_TRUE(app.WaitForLogLine("msg 16 15 255"));
  ASSERT_TRUE(app.Sync());
  EXPECT_TRUE(app.Running());  // it ignored the close request
  EXPECT_FALSE(TerminateProgram("stubborn.exe", true));
  EXPECT_TRUE(TerminateProgram(app.Exe(), true));
  ASSERT_TRUE(app.WaitEnded());
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_FALSE(app.LogHasLine("end"));
  ASSERT_TRUE(PumpUntil([&] { return !Listed(app.Pid()); }, kEndTimeout));
  EXPECT_FALSE(TerminateProgram(app.Exe(), true));
}

// Thread timers fire only while the wait under test pumps this thread's messages.
HWND g_closeTarget = nullptr;
const vxtest::TraceViewer* g_viewer = nullptr;
std::string g_closeAfterLine;

void CALLBACK CloseWhenTraced(HWND, UINT, UINT_PTR, DWORD) {
  if (g_closeTarget == nullptr) return;
  if (!g_closeAfterLine.empty() && (g_viewer == nullptr || !g_viewer->HasLineContaining(g_closeAfterLine))) return;
  PostMessageA(g_closeTarget, WM_CLOSE, 0, 0);
  g_closeTarget = nullptr;
}

bool HasLine(const vxtest::TraceViewer& viewer, const std::string& line) {
  const std::vector<std::string> lines = viewer.Lines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(Process, WaitForProgramEndReturnsAfterTheProgramEnded) {
  FakeApp app("proc_wait", "waited.exe", "VxProcWait");
  ASSERT_TRUE(app.Start("/dialogs=1"));
  vxtest::TraceViewer viewer;
  vxtest::TraceChannelHere channel;
  g_viewer = &viewer;
  g_closeTarget = app.MainWindow();
  g_closeAfterLine = "Pid=";  // close only once the wait has found the process
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseWhenTraced);
  ASSERT_NE(timer, 0u);
  WaitForProgramEnd("\"" + app.Exe() + "\"");
  KillTimer(nullptr, timer);
  g_viewer = nullptr;
  EXPECT_EQ(g_closeTarget, nullptr);
  EXPECT_FALSE(app.Running());
  EXPECT_FALSE(Listed(app.Pid()));
  EXPECT_TRUE(HasLine(viewer, "Pid=" + std::to_string(app.Pid())));
  ASSERT_TRUE(app.WaitEnded());
  EXPECT_TRUE(app.LogHasLine("msg 16 0 0"));

  viewer.Clear();
  WaitForProgramEnd(app.Exe());  // no longer running: returns after its first wait
  EXPECT_TRUE(HasLine(viewer, "Pid=0"));
}

TEST(Process, WaitWhileWindowClassReturnsWhenTheClassIsGone) {
  FakeApp app("proc_class", "classy.exe", "VxProcClass");
  ASSERT_TRUE(app.Start("/dialogs=0"));
  // A window name that does not match: nothing to wait for.
  WaitWhileWindowClass(app.Class(), "Another Title");
  EXPECT_TRUE(app.Running());
  WaitWhileWindowClass("VxNoSuchClass", "");
  struct Case {
    const char* windowName;
  } const cases[] = {{"Fake Application"}, {""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.windowName);
    if (app.MainWindow() == nullptr) {
      app.WaitEnded();
      ASSERT_TRUE(app.Start("/dialogs=0"));
    }
    g_closeTarget = app.MainWindow();
    g_closeAfterLine.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseWhenTraced);
    ASSERT_NE(timer, 0u);
    WaitWhileWindowClass(app.Class(), c.windowName);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_closeTarget, nullptr);  // the window was still there when the wait began
    EXPECT_EQ(app.MainWindow(), nullptr);
  }
}

}  // namespace
}  // namespace vx
