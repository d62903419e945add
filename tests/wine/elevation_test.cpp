// A setup whose manifest asks for administrator rights: the system refuses the plain start
// (error 740) and the launcher starts it again through the shell's elevation prompt. Wine does
// not refuse such starts, so the launcher's test build plays the refusal (VX_SEAM); the shell's
// start itself is Wine's own.
#include <gtest/gtest.h>

#include <algorithm>

#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The text between ">>" and "<<" of the launcher's trace: the setup's command line.
std::string TracedCommandLine(const TraceViewer& viewer) {
  for (const auto& l : viewer.Lines()) {
    const size_t at = l.find(">>");
    const size_t end = l.rfind("<<");
    if (at != std::string::npos && end != std::string::npos && end > at) return l.substr(at + 2, end - at - 2);
  }
  return std::string();
}

// The fields of the test build's record of a shell start: "verb=runas|file=...|...".
std::string Field(const std::string& record, const std::string& key) {
  const std::string head = key + "=";
  size_t at = record.compare(0, head.size(), head) == 0 ? 0 : record.find("|" + head);
  if (at == std::string::npos) return std::string();
  if (at != 0) ++at;
  const size_t begin = at + head.size();
  const size_t end = record.find('|', begin);
  return record.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

class ElevationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("elevation dir");
    payload_ = FreshTempDir("elevation_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload_ + "fakesetup.exe"));
    ASSERT_TRUE(WriteWholeFile(payload_ + "readme.txt", std::string(400, 'r')));
    log_ = dir_ + "setup.log";
    seamLog_ = dir_ + "shell.log";
    auto cfg = LauncherPackageConfig(dir_ + "Admin Setup.exe");
    cfg.launcher = TestBinDir() + "vxstub_seams.exe";
    cfg.filesFolder = payload_;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log_ + "\" /complete /stay=1500";
    cfg.infoFile = "myapp.inf";
    ASSERT_TRUE(BuildTestPackage(cfg));
    // A shortcut that a completed setup has removed: proof that the handshake held.
    ASSERT_TRUE(WriteWholeFile(dir_ + "startup.lnk", "x"));
    ASSERT_TRUE(WriteWholeFile(dir_ + "myapp.original", "[UnInstall]\r\nStartUpLink=" + dir_ + "startup.lnk\r\n"));
    ASSERT_TRUE(WriteWholeFile(dir_ + "myapp.info", "[NewSetup]\r\nRemoveStartUpShortcut=1\r\n"));
  }
  std::string launcher() const { return "\"" + dir_ + "Admin Setup.exe\""; }
  std::string dir_, payload_, log_, seamLog_;
};

TEST_F(ElevationTest, SetupThatNeedsAdministratorRightsStartsThroughThePromptWithTheSameCommandLine) {
  struct Case {
    const char* what;
    const char* switches;
    int show;
  } cases[] = {
      {"shown", " /x=\"a b\"", SW_SHOWNORMAL},
      {"hidden", " /hide", SW_HIDE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(log_.c_str());
    DeleteFileA(seamLog_.c_str());
    ASSERT_TRUE(WriteWholeFile(dir_ + "startup.lnk", "x"));
    ScopedEnvironment seam("VX_SEAM", "elevate");
    ScopedEnvironment seamLog("VX_SEAM_LOG", seamLog_);
    TraceViewer viewer;
    ProcessResult r = RunAndWait(launcher() + c.switches, 60000);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    PumpFor(100);

    // The fallback ran once: the "runas" verb, the program and the rest of the line split
    // apart, the same show state, a process handle asked for, the stub window owning the prompt.
    const auto shell = LogLines(seamLog_);
    ASSERT_EQ(shell.size(), 1u);
    const std::string commandLine = TracedCommandLine(viewer);
    const auto setup = LogLines(log_);
    const std::string exe = LogValue(setup, "exe");
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(Field(shell[0], "verb"), "runas");
    EXPECT_EQ(Field(shell[0], "file"), exe);
    EXPECT_EQ("\"" + exe + "\" " + Field(shell[0], "parameters"), commandLine);
    EXPECT_EQ(Field(shell[0], "show"), std::to_string(c.show));
    const unsigned long mask = std::stoul(Field(shell[0], "mask"));
    EXPECT_EQ(mask & SEE_MASK_NOCLOSEPROCESS, static_cast<unsigned long>(SEE_MASK_NOCLOSEPROCESS));
    EXPECT_EQ(Field(shell[0], "owner"), "window");
    EXPECT_TRUE(viewer.HasLineContaining(" runas=0"));

    // The setup got the command line the plain start would have given it, and the show state.
    EXPECT_EQ(LogValue(setup, "cmd"), commandLine);
    EXPECT_TRUE(Contains(setup, "show=" + std::to_string(c.show)));
    // The handshake held: the setup found and removed the completion atom, so the launcher took
    // the setup as completed and removed the shortcut.
    EXPECT_TRUE(Contains(setup, "atom=removed"));
    EXPECT_FALSE(Exists(dir_ + "startup.lnk"));
    // The launcher waited for the setup (its files were there to the end), then cleaned up.
    EXPECT_EQ(setup.back(), "setup=end");
    EXPECT_TRUE(Contains(setup, "kept=readme.txt:400"));
    EXPECT_FALSE(Exists(exe.substr(0, exe.find_last_of('\\'))));
  }
}

TEST_F(ElevationTest, RefusedPromptEndsWithAMessageAndCleansUp) {
  ScopedEnvironment seam("VX_SEAM", "refuse");
  ScopedEnvironment seamLog("VX_SEAM_LOG", seamLog_);
  TraceViewer viewer;
  HANDLE h = StartProcess(launcher());
  ASSERT_NE(h, nullptr);
  HWND box = WaitForForeignWindow(kMessageBoxClass, 60000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(AllTexts(box).find("The setup program needs administrator rights and was not started."), std::string::npos)
      << AllTexts(box);
  EXPECT_NE(AllTexts(box).find("ERROR"), std::string::npos) << "an error box with its heading";
  PostMessageA(box, WM_CLOSE, 0, 0);
  const bool ended = PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, 30000);
  DWORD code = 1;
  GetExitCodeProcess(h, &code);
  if (!ended) TerminateProcess(h, 1);
  CloseHandle(h);
  ASSERT_TRUE(ended);
  EXPECT_EQ(code, 0u);
  PumpFor(100);

  const auto shell = LogLines(seamLog_);
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(Field(shell[0], "verb"), "runas");
  EXPECT_TRUE(viewer.HasLineContaining(" runas=" + std::to_string(ERROR_CANCELLED)));
  // Nothing ran, the shortcut stays, the atom and the work folder are gone.
  EXPECT_FALSE(Exists(log_));
  EXPECT_TRUE(Exists(dir_ + "startup.lnk"));
  const std::string commandLine = TracedCommandLine(viewer);
  const size_t tag = commandLine.find(" /TH_ID=");
  ASSERT_NE(tag, std::string::npos);
  const std::string atom = "AutoUpdateAtomTokenByVornix" + commandLine.substr(tag + 8, commandLine.find(' ', tag + 8) - tag - 8);
  EXPECT_EQ(GlobalFindAtomA(atom.c_str()), 0);
  const std::string exe = Field(shell[0], "file");
  ASSERT_FALSE(exe.empty());
  EXPECT_FALSE(Exists(exe.substr(0, exe.find_last_of('\\'))));
}

}  // namespace
