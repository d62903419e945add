// End to end: real launcher, package built by the vxpack library, fake setup program.
#include <gtest/gtest.h>

#include <algorithm>

#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool DirExists(const std::string& p) {
  DWORD a = GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int IndexOfLineContaining(const std::vector<std::string>& lines, const std::string& text) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
  return -1;
}

std::string TraceText(const TraceViewer& viewer) {
  std::string out;
  for (const auto& l : viewer.Lines()) out += l + "\n";
  return out;
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("install dir");  // a blank in the launcher's path
    payload_ = FreshTempDir("install_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload_ + "fakesetup.exe"));
    CreateDirectoryA((payload_ + "data").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(payload_ + "data\\readme.txt", std::string(5000, 'r')));
    log_ = dir_ + "setup.log";
  }

  vxpack::BuildConfig Config(const std::string& params) {
    auto cfg = LauncherPackageConfig(dir_ + "My Setup.exe");
    cfg.filesFolder = payload_;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log_ + "\" " + params;
    cfg.infoFile = "myapp.inf";
    return cfg;
  }

  std::string launcher() const { return dir_ + "My Setup.exe"; }

  std::string dir_, payload_, log_;
};

TEST_F(InstallTest, RunsSetupWithHandshakeWaitsForItsDialogAndCleansUp) {
  ASSERT_TRUE(BuildTestPackage(Config("/list /complete /dialog=1500")));
  // A start-up shortcut the completed setup asks to remove.
  ASSERT_TRUE(WriteWholeFile(dir_ + "startup.lnk", "x"));
  ASSERT_TRUE(WriteWholeFile(dir_ + "myapp.original", "[UnInstall]\r\nStartUpLink=" + dir_ + "startup.lnk\r\n"));
  ASSERT_TRUE(WriteWholeFile(dir_ + "myapp.info", "[NewSetup]\r\nRemoveStartUpShortcut=1\r\n"));

  TraceViewer viewer;
  ProcessResult r = RunAndWait("\"" + launcher() + "\" /x", 60000);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);

  auto log = LogLines(log_);
  const std::string cmd = LogValue(log, "cmd");
  const std::string exe = LogValue(log, "exe");
  const std::string work = FolderOf(exe);
  ASSERT_FALSE(cmd.empty()) << TraceText(viewer);
  EXPECT_NE(work.find("\\SETUP_"), std::string::npos) << work;
  // Quoted program path, the launcher's tail, the package's parameters, then the handshake.
  const std::string head = "\"" + exe + "\" /x /log=\"" + log_ + "\" /list /complete /dialog=1500 /TH_ID=_";
  EXPECT_EQ(cmd.compare(0, head.size(), head), 0) << cmd;
  std::string originPath = launcher();
  std::replace(originPath.begin(), originPath.end(), ' ', '*');
  EXPECT_NE(cmd.find(" /OriginExe=" + originPath), std::string::npos) << cmd;
  EXPECT_EQ(cmd.find("/AutoUpdateProg"), std::string::npos);
  EXPECT_TRUE(Contains(log, "show=1")) << "started shown";
  // Every file of the package, with folders.
  EXPECT_TRUE(Contains(log, "file=data\\readme.txt:5000"));
  EXPECT_TRUE(Contains(log, "atom=removed"));
  // The launcher outlived the setup's dialog, and removed its work folder.
  EXPECT_TRUE(Contains(log, "dialog=closed"));
  EXPECT_FALSE(DirExists(work));
  EXPECT_EQ(GetFileAttributesA((dir_ + "startup.lnk").c_str()), INVALID_FILE_ATTRIBUTES);

  // Trace lines in order, as a viewer sees them.
  PumpFor(100);
  auto lines = viewer.Lines();
  int start = IndexOfLineContaining(lines, " ==== STUB START ====> ");
  int fg = IndexOfLineContaining(lines, "========= ForegroundOp=TRUE ==========");
  int count = IndexOfLineContaining(lines, "FileInfo.FilesCount=2");
  int launch = IndexOfLineContaining(lines, ">>" + cmd + "<<");
  int end = IndexOfLineContaining(lines, " ==== STUB END ====> ");
  EXPECT_GE(start, 0);
  EXPECT_LT(start, fg);
  EXPECT_LT(fg, count);
  EXPECT_LT(count, launch);
  EXPECT_LT(launch, end);
}

TEST_F(InstallTest, SetupThatDoesNotCompleteKeepsShortcuts) {
  ASSERT_TRUE(BuildTestPackage(Config("")));
  ASSERT_TRUE(WriteWholeFile(dir_ + "startup.lnk", "x"));
  ASSERT_TRUE(WriteWholeFile(dir_ + "myapp.original", "[UnInstall]\r\nStartUpLink=" + dir_ + "startup.lnk\r\n"));
  ASSERT_TRUE(WriteWholeFile(dir_ + "myapp.info", "[NewSetup]\r\nRemoveStartUpShortcut=1\r\n"));
  ProcessResult r = RunAndWait("\"" + launcher() + "\"", 60000);
  ASSERT_TRUE(r.finished);
  auto log = LogLines(log_);
  ASSERT_TRUE(Contains(log, "setup=end"));
  EXPECT_NE(GetFileAttributesA((dir_ + "startup.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
  // The launcher removed the atom it added, whatever the setup did.
  const std::string cmd = LogValue(log, "cmd");
  std::string tag = cmd.substr(cmd.find("/TH_ID=") + 7);
  tag = tag.substr(0, tag.find(' '));
  EXPECT_EQ(GlobalFindAtomA(("AutoUpdateAtomTokenByVornix" + tag).c_str()), 0);
}

TEST_F(InstallTest, HiddenRunAsksNothingAndStartsTheSetupHidden) {
  auto cfg = Config("/complete");
  cfg.confirmExtract = true;  // would ask before extracting in a visible run
  ASSERT_TRUE(BuildTestPackage(cfg));
  TraceViewer viewer;
  ProcessResult r = RunAndWait("\"" + launcher() + "\" /hide", 60000);
  ASSERT_TRUE(r.finished);
  auto log = LogLines(log_);
  EXPECT_TRUE(Contains(log, "show=0")) << "started hidden";
  EXPECT_TRUE(Contains(log, "atom=removed"));
  EXPECT_TRUE(viewer.HasLineContaining("========= ForegroundOp=FALSE =========="));
  EXPECT_FALSE(viewer.HasLineContaining("ConfirmExtract="));  // no space question in a hidden run
}

TEST_F(InstallTest, HiddenItemOfThePackageHidesTheSetup) {
  auto cfg = Config("");
  cfg.runHidden = true;
  ASSERT_TRUE(BuildTestPackage(cfg));
  ProcessResult r = RunAndWait("\"" + launcher() + "\"", 60000);
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(Contains(LogLines(log_), "show=0"));
}

TEST_F(InstallTest, CorruptedPackageShowsBadCrcAndStartsNothing) {
  ASSERT_TRUE(BuildTestPackage(Config("/complete")));
  std::string bytes = ReadWholeFile(launcher());
  ASSERT_GT(bytes.size(), 200000u);
  bytes[bytes.size() - 3000] ^= 0x55;  // inside the file blocks, outside the trailer
  ASSERT_TRUE(WriteWholeFile(launcher(), bytes));
  HANDLE h = StartProcess("\"" + launcher() + "\"");
  ASSERT_NE(h, nullptr);
  HWND box = WaitForForeignWindow(kMessageBoxClass, 30000);
  ASSERT_NE(box, nullptr);
  // Ownerless, like the extraction's boxes: the caption comes again as the bold heading.
  EXPECT_NE(AllTexts(box).find("ERROR\r\n\r\nBad CRC!"), std::string::npos) << AllTexts(box);
  PostMessageA(box, WM_CLOSE, 0, 0);
  bool ended = PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, 30000);
  if (!ended) TerminateProcess(h, 1);
  CloseHandle(h);
  EXPECT_TRUE(ended);
  EXPECT_EQ(GetFileAttributesA(log_.c_str()), INVALID_FILE_ATTRIBUTES) << "setup was started";
}

// The web job writes the update agent into the work folder under the package's agent name:
// a name that would leave the folder gets the check and the box extraction gives it.
TEST_F(InstallTest, WebJobRefusesAnAgentNameOutsideTheWorkFolder) {
  const std::string temp = FreshTempDir("web job temp");
  auto cfg = Config("");
  cfg.hasWeb = true;
  cfg.web.folder = "http://127.0.0.1:9/none";
  cfg.web.launcherOutput = dir_ + "Web Setup.exe";
  cfg.web.token = "WebSecret";
  cfg.makeAgent = true;
  cfg.agentExe = "..\\escaped.exe";
  cfg.agentToken = "SECRET";
  ASSERT_TRUE(BuildTestPackage(cfg));
  TempFolderOverride tempOverride(temp);
  HANDLE h = StartProcess("\"" + dir_ + "Web Setup.exe\"");
  ASSERT_NE(h, nullptr);
  HWND box = WaitForForeignWindow(kMessageBoxClass, 30000);
  ASSERT_NE(box, nullptr);
  const std::string text = AllTexts(box);
  EXPECT_NE(text.find("ERROR\r\n\r\nThe package names an update agent that cannot be written safely: "
                      "\"..\\escaped.exe\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("The setup will not be started."), std::string::npos) << text;
  PostMessageA(box, WM_CLOSE, 0, 0);
  bool ended = PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, 30000);
  if (!ended) TerminateProcess(h, 1);
  CloseHandle(h);
  EXPECT_TRUE(ended);
  EXPECT_EQ(GetFileAttributesA((temp + "escaped.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(InstallTest, SpanRelayInstallsFromTheFirstPieceAndRemovesItself) {
  // Files big enough (and incompressible enough) to need several pieces.
  std::string noise(300000, '\0');
  uint32_t x = 12345;
  for (auto& c : noise) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  ASSERT_TRUE(WriteWholeFile(payload_ + "data\\big.bin", noise));
  auto cfg = Config("/list /complete");
  cfg.spanSize = 400000;
  ASSERT_TRUE(BuildTestPackage(cfg));
  ASSERT_NE(GetFileAttributesA((launcher() + ".002").c_str()), INVALID_FILE_ATTRIBUTES);

  TraceViewer viewer;
  ProcessResult r = RunAndWait("\"" + launcher() + "\" /x", 30000);
  ASSERT_TRUE(r.finished);
  // The relay copy runs on after the first launcher has ended.
  ASSERT_TRUE(PumpUntil([&] { return Contains(LogLines(log_), "setup=end"); }, 60000));
  auto log = LogLines(log_);
  EXPECT_TRUE(Contains(log, "file=data\\big.bin:300000"));
  const std::string work = FolderOf(LogValue(log, "exe"));
  EXPECT_TRUE(viewer.HasLineContaining("Y_My Setup.exe\" /x /SpanCdLvl=2 /SpanDiskFName1=\"" + launcher() +
                                       ".001\"<"));
  // The relay deletes itself and its folder once it has ended.
  EXPECT_TRUE(PumpUntil([&] { return !DirExists(work); }, 30000)) << work;
}

}  // namespace
