// The shipped-launcher suite: each role of the launcher once, end to end, run by the very file
// that ships (the 32-bit dist/vxstub.exe, named by VX_LAUNCHER_UNDER_TEST). On a machine whose
// kernel runs no 32-bit programs the launcher runs under user-mode emulation, where every start of
// it takes about a minute; the fakes, servers and this driver stay native, and the waits below are
// sized for that. What 32-bit code each run reaches is said at its test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include "net_support.h"
#include "package_support.h"
#include "signing_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

// The longest wait for anything that needs one start of the launcher: five minutes, or the
// milliseconds VX_SHIPPED_START_MS gives (a native run of the suite needs far less).
DWORD StartWait() {
  char buf[16];
  const DWORD n = GetEnvironmentVariableA("VX_SHIPPED_START_MS", buf, sizeof buf);
  const DWORD ms = n > 0 && n < sizeof buf ? static_cast<DWORD>(strtoul(buf, nullptr, 10)) : 0;
  return ms > 0 ? ms : 300000;
}
const DWORD kStartMs = StartWait();

bool Exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string TempFolder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n);
}

std::string TraceText(const TraceViewer& viewer) {
  std::string out;
  for (const auto& l : viewer.Lines()) out += l + "\n";
  return out;
}

int IndexOfLineContaining(const std::vector<std::string>& lines, const std::string& text) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
  return -1;
}

bool WaitForLine(const TraceViewer& viewer, const std::string& text, DWORD ms = kStartMs) {
  return PumpUntil([&] { return viewer.HasLineContaining(text); }, ms);
}

// Starts the launcher, waits for its first box, answers it with the caption (or closes it) and
// waits for the launcher's end; returns the box's texts, "<no box>" when none came.
std::string RunAnsweringBox(const std::string& commandLine, const std::string& caption) {
  HANDLE h = StartProcess(commandLine);
  EXPECT_NE(h, nullptr);
  if (h == nullptr) return "<no box>";
  std::string text = "<no box>";
  if (HWND box = WaitForForeignWindow(kMessageBoxClass, kStartMs)) {
    text = AllTexts(box);
    AnswerBox(box, caption);
  }
  const bool ended = PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, kStartMs);
  if (!ended) TerminateProcess(h, 1);
  CloseHandle(h);
  EXPECT_TRUE(ended);
  return text;
}

// A payload of the fake setup, a small text file and a file of incompressible bytes.
std::string MakePayload(const std::string& name, size_t bigSize) {
  const std::string payload = FreshTempDir(name);
  EXPECT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload + "fakesetup.exe"));
  CreateDirectoryA((payload + "data").c_str(), nullptr);
  EXPECT_TRUE(WriteWholeFile(payload + "data\\readme.txt", std::string(5000, 'r')));
  if (bigSize > 0) EXPECT_TRUE(WriteWholeFile(payload + "data\\big.bin", RandomBytes(bigSize, 77)));
  return payload;
}

class ShippedLauncher : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("shipped dir");  // a blank in the launcher's path
    log_ = dir_ + "setup.log";
  }

  vxpack::BuildConfig Config(const std::string& output, const std::string& payload, const std::string& params) {
    auto cfg = LauncherPackageConfig(output);
    cfg.filesFolder = payload;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log_ + "\" /list " + params;
    return cfg;
  }

  // The fake setup ran with the handshake from a work folder that is gone now, and saw the files.
  // The origin is the launcher that started the setup: the one given, or the relay copy in the
  // work folder when relayed is set.
  void ExpectInstalledFrom(const std::string& launcher, const std::string& bigFile, bool relayed = false) {
    const std::vector<std::string> log = LogLines(log_);
    const std::string cmd = LogValue(log, "cmd");
    ASSERT_FALSE(cmd.empty()) << "the setup did not run";
    EXPECT_NE(cmd.find(" /TH_ID=_"), std::string::npos) << cmd;
    const std::string work = FolderOf(LogValue(log, "exe"));
    std::string originArg = relayed ? work + "\\Y_" + launcher.substr(launcher.find_last_of('\\') + 1) : launcher;
    std::replace(originArg.begin(), originArg.end(), ' ', '*');
    EXPECT_NE(cmd.find(" /OriginExe=" + originArg), std::string::npos) << cmd;
    EXPECT_TRUE(Contains(log, "file=data\\readme.txt:5000"));
    if (!bigFile.empty()) EXPECT_TRUE(Contains(log, bigFile));
    EXPECT_TRUE(Contains(log, "atom=removed"));
    EXPECT_NE(work.find("\\SETUP_"), std::string::npos) << work;
    EXPECT_TRUE(PumpUntil([&] { return !Exists(work); }, kStartMs)) << work << " is left";
  }

  std::string dir_, log_;
};

// Installer: the entry point, static constructors and the exit functions (the trace flushed at the
// end), the stub window's procedure and timer, progress over a 600 KB file (64-bit sizes divided
// for the bars), the handshake, the waits for the setup and its dialog, the trace to a viewer.
TEST_F(ShippedLauncher, InstallsWithHandshakeWaitsAndCleansUp) {
  const std::string payload = MakePayload("shipped_install", 600000);
  const std::string launcher = dir_ + "My Setup.exe";
  ASSERT_TRUE(BuildTestPackage(Config(launcher, payload, "/complete /dialog=1500")));
  TraceViewer viewer;
  const ProcessResult r = RunAndWait("\"" + launcher + "\" /x", kStartMs);
  ASSERT_TRUE(r.finished) << TraceText(viewer);
  EXPECT_EQ(r.exitCode, 0u);
  ExpectInstalledFrom(launcher, "file=data\\big.bin:600000");
  const std::vector<std::string> log = LogLines(log_);
  EXPECT_TRUE(Contains(log, "show=1"));
  EXPECT_TRUE(Contains(log, "dialog=closed")) << "the launcher outlived the setup's dialog";
  const std::string cmd = LogValue(log, "cmd");
  EXPECT_NE(cmd.find(" /x /log=\""), std::string::npos) << cmd;  // the launcher's own tail first

  PumpFor(200);
  const std::vector<std::string> lines = viewer.Lines();
  const int start = IndexOfLineContaining(lines, " ==== STUB START ====> ");
  const int count = IndexOfLineContaining(lines, "FileInfo.FilesCount=3");
  const int launch = IndexOfLineContaining(lines, ">>" + cmd + "<<");
  const int end = IndexOfLineContaining(lines, " ==== STUB END ====> ");
  EXPECT_GE(start, 0) << TraceText(viewer);
  EXPECT_LT(start, count);
  EXPECT_LT(count, launch);
  EXPECT_LT(launch, end);
}

// Span relay: the first launcher copies itself into the work folder and starts the copy with the
// span switches; the copy reads the pieces disk by disk, installs and deletes itself and its
// folder through the batch file. Two starts of the shipped file.
TEST_F(ShippedLauncher, SpannedPackageInstallsThroughItsRelayCopy) {
  const std::string payload = MakePayload("shipped_span", 300000);
  const std::string launcher = dir_ + "My Setup.exe";
  auto cfg = Config(launcher, payload, "/complete");
  cfg.spanSize = 400000;
  ASSERT_TRUE(BuildTestPackage(cfg));
  ASSERT_TRUE(Exists(launcher + ".002"));
  TraceViewer viewer;
  const ProcessResult r = RunAndWait("\"" + launcher + "\" /x", kStartMs);
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(viewer.HasLineContaining("Y_My Setup.exe\" /x /SpanCdLvl=2 /SpanDiskFName1=\"" + launcher + ".001\"<"))
      << TraceText(viewer);
  // The relay copy runs on after the first launcher has ended.
  ASSERT_TRUE(PumpUntil([&] { return Contains(LogLines(log_), "setup=end"); }, kStartMs)) << TraceText(viewer);
  ExpectInstalledFrom(launcher, "file=data\\big.bin:300000", true);
}

// Web launcher: a download cut at 300 KiB fails the token check with its box and keeps the partial
// file; the next start resumes it with a range request, installs and deletes the download. The
// download's progress (64-bit sizes and rates) and WinINet bound at run time, twice.
TEST_F(ShippedLauncher, WebDownloadCutAndResumedOnTheNextStart) {
  constexpr int64_t kCut = 307200;
  const std::string payload = MakePayload("shipped_web", 1048576);
  const std::string name = "shipped_web_" + std::to_string(GetTickCount()) + ".exe";
  const std::string key = "k" + std::to_string(GetTickCount());
  const std::string launcher = dir_ + "Web Setup.exe";
  auto cfg = Config(WebRoot() + name, payload, "/complete");
  cfg.hasWeb = true;
  cfg.web.folder = FaultServer() + "/cut=307200/" + key;
  cfg.web.token = "WebSecret";
  cfg.web.launcherOutput = launcher;
  ASSERT_TRUE(BuildTestPackage(cfg));
  const int64_t size = static_cast<int64_t>(ReadWholeFile(WebRoot() + name).size());

  EXPECT_NE(RunAnsweringBox("\"" + launcher + "\"", "").find("Bad Secret Token!"), std::string::npos);
  EXPECT_FALSE(Exists(log_)) << "the setup ran";
  const std::vector<std::string> partials = FilesStartingWith(TempFolder(), name + ".");
  ASSERT_EQ(partials.size(), 1u);
  EXPECT_EQ(ReadWholeFile(TempFolder() + partials[0]).size(), static_cast<size_t>(kCut));

  const ProcessResult r = RunAndWait("\"" + launcher + "\"", kStartMs);
  ASSERT_TRUE(r.finished);
  ExpectInstalledFrom(launcher, "file=data\\big.bin:1048576");
  EXPECT_TRUE(FilesStartingWith(TempFolder(), name).empty()) << "download or partial file left";
  const std::vector<ServedRequest> served = ServedRequests("/cut=307200/" + key + "/" + name);
  ASSERT_EQ(served.size(), 2u);
  EXPECT_EQ(served[0].bytes, kCut);
  EXPECT_EQ(served[1].status, 206);
  EXPECT_EQ(served[1].range, "bytes=307200-");
  EXPECT_EQ(served[1].bytes, size - kCut) << "only the remaining bytes are fetched";
  DeleteFileA((WebRoot() + name).c_str());
}

// A damaged package: the checksum test fails, the language table's damage box shows (the message
// box's window procedure, fonts and layout), nothing is started.
TEST_F(ShippedLauncher, DamagedPackageShowsItsBoxAndStartsNothing) {
  const std::string payload = MakePayload("shipped_damaged", 0);
  const std::string launcher = dir_ + "My Setup.exe";
  ASSERT_TRUE(BuildTestPackage(Config(launcher, payload, "/complete")));
  std::string bytes = ReadWholeFile(launcher);
  bytes[bytes.size() - 3000] ^= 0x55;  // inside the file blocks, outside the trailer
  ASSERT_TRUE(WriteWholeFile(launcher, bytes));
  const std::string text = RunAnsweringBox("\"" + launcher + "\"", "");
  EXPECT_NE(text.find("ERROR\r\n\r\nBad CRC!"), std::string::npos) << text;
  EXPECT_FALSE(Exists(log_)) << "the setup was started";
}

// ---- The update agent ----

const char kCopyClass[] = ".AutoUpdate.X_MyAppUpdate";
constexpr UINT kClientMessage = WM_APP + 9;

HWND AgentWindow() { return FindWindowA(kCopyClass, nullptr); }

// Where the update is offered: the fault server's plain mode, serving the web folder.
std::string OfferUrl() { return FaultServer() + "/plain/shipped"; }

// Ends every process running a program of that file name.
void EndProcessesNamed(const char* name) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 pe = {};
  pe.dwSize = sizeof pe;
  for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) {
    if (lstrcmpiA(pe.szExeFile, name) != 0) continue;
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID)) {
      TerminateProcess(p, 0);
      WaitForSingleObject(p, 10000);
      CloseHandle(p);
    }
  }
  CloseHandle(snap);
}

void CloseAgentCopy() {
  for (int i = 0; i < 40 && AgentWindow() != nullptr; ++i) {
    PostMessageA(AgentWindow(), WM_CLOSE, 0, 0);
    PumpFor(200);
  }
}

// The agent copy's interactive check with one update offered: the question before the check, the
// update-information file and the new setup fetched from nginx, the setup's publisher signature
// checked against the key the agent pins (wintrust and crypt32 bound at run time) and its token,
// the application shut down with WM_CLOSE (windows enumerated through callbacks), the new setup
// (itself a package on the shipped launcher) run and waited for, the version recorded, the
// restart question, the application restarted, the agent relaunched through its launcher with its
// transient flags. Four starts of the shipped file: the agent launcher, its copy, the new setup
// and the relaunched launcher.
TEST_F(ShippedLauncher, AgentInteractiveCheckUpdatesRestartsAndRelaunches) {
  const std::string upd = FreshTempDir("shipped_offer");
  const std::string payload = FreshTempDir("shipped_update_payload");
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload + "fakesetup.exe"));
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakeapp.exe", payload + "app.exe"));
  ASSERT_TRUE(WriteWholeFile(payload + "version.txt", "110"));
  const std::string installDir = dir_.substr(0, dir_.size() - 1);
  const std::string setupName = "ShippedSetup110_" + std::to_string(GetTickCount()) + ".exe";
  auto update = Config(WebRoot() + setupName, payload, "/install=\"" + installDir + "\" /complete");
  update.makeAgent = true;
  update.agentExe = "MyAppUpdate.exe";
  update.infoFile = "MyApp.info";
  update.updateUrl = OfferUrl();
  update.agentToken = "SECRET";
  update.signable = true;
  update.pins = {TestPublisher().pin};
  ASSERT_TRUE(BuildTestPackage(update));
  ASSERT_TRUE(SignFile(WebRoot() + setupName, TestPublisher()));

  // The installed application: its agent (pinning the publisher's key), its files at version 100,
  // its settings.
  auto agent = AgentPackageConfig(dir_ + "MyAppUpdate.exe", OfferUrl());
  agent.pins = {TestPublisher().pin};
  ASSERT_TRUE(BuildTestPackage(agent));
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakeapp.exe", dir_ + "app.exe"));
  ASSERT_TRUE(WriteWholeFile(dir_ + "version.txt", "100"));
  ASSERT_TRUE(WriteWholeFile(dir_ + "app.exe.log", ""));
  const std::string o = dir_ + "MyApp.original";
  WritePrivateProfileStringA("AutoUpdate", "s16", "PROG_NAME is up to date.", o.c_str());
  WritePrivateProfileStringA("AutoUpdate", "s17", "Start PROG_NAME again?", o.c_str());
  WritePrivateProfileStringA("OriginalSetup", "VersionOriginal", "100", o.c_str());
  WritePrivateProfileStringA("OriginalSetup", "ProgramName", "MyApp", o.c_str());
  WritePrivateProfileStringA("OriginalSetup", "ProbeSecondsInterval", "-1", o.c_str());
  WritePrivateProfileStringA("Directories", "TargetDir", installDir.c_str(), o.c_str());
  const std::string info = "[NewSetup]\r\nVersionNew=110\r\nStamp=1\r\nDownloadURL_UPDATE=" + OfferUrl() +
                           "\r\nNameOfUpdateFile=" + setupName + "\r\nSizeOfUpdateFile=" +
                           std::to_string(ReadWholeFile(WebRoot() + setupName).size()) +
                           "\r\nShutDownMethod=Using WM_CLOSE\r\nRunningProcess=<InstallDir>\\app.exe\r\n"
                           "ProgramName=MyApp\r\nRestartProcess=1\r\n";
  ASSERT_TRUE(WriteWholeFile(WebRoot() + "MyApp.info", info));

  HANDLE app = StartProcess("\"" + dir_ + "app.exe\"");
  ASSERT_NE(app, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return ReadWholeFile(dir_ + "app.exe.log").find("ready") != std::string::npos; }, 10000));
  TraceViewer viewer;
  NotificationClient client("vxtest.shippedclient", kClientMessage);
  ASSERT_TRUE(RunAndWait("\"" + dir_ + "MyAppUpdate.exe\" /DELAY=0", kStartMs).finished);
  ASSERT_TRUE(PumpUntil([] { return AgentWindow() != nullptr; }, kStartMs)) << TraceText(viewer);
  SendMessageA(AgentWindow(), 1124, reinterpret_cast<WPARAM>(client.handle()), kClientMessage);
  PostMessageA(AgentWindow(), 1125, 31, 2);  // the user asks for a check
  HWND question = WaitForForeignWindow(kMessageBoxClass, kStartMs);
  ASSERT_NE(question, nullptr) << TraceText(viewer);
  const std::string asked = AllTexts(question);
  AnswerBox(question, "&Yes");

  // After the setup, a check the user asked for tells the result, here with the restart question.
  HWND finish = WaitForForeignWindow(kMessageBoxClass, 3 * kStartMs);
  ASSERT_NE(finish, nullptr) << asked << "\n" << TraceText(viewer);
  EXPECT_NE(AllTexts(finish).find("MyApp is up to date.Start PROG_NAME again?"), std::string::npos) << AllTexts(finish);
  AnswerBox(finish, "&Yes");
  // The publisher's signature was checked through the system's trust functions.
  EXPECT_TRUE(viewer.HasLineContaining(" Signature check: accepted 00000000 " + TestPublisher().pin));
  // The relaunched launcher hands its transient flags to the new copy.
  EXPECT_TRUE(WaitForLine(viewer, " ==== PerformShot-2 ====")) << TraceText(viewer);
  EXPECT_TRUE(WaitForLine(viewer, "X_MyAppUpdate.exe\" /TRANSIENTx=|255|255|255|255|255|255|")) << TraceText(viewer);
  EXPECT_TRUE(viewer.HasLineContaining("MyAppUpdate.exe\" /_ZZ=99 /WAIT=3 /TRANSIENT=|255|"));

  const std::string appLog = ReadWholeFile(dir_ + "app.exe.log");
  EXPECT_NE(appLog.find("msg 16 15 255"), std::string::npos) << "no WM_CLOSE from the agent: " << appLog;
  EXPECT_EQ(WaitForSingleObject(app, 0), WAIT_OBJECT_0) << "the application still runs";
  int starts = 0;
  PumpUntil([&] {
    starts = 0;
    for (const std::string& l : LogLines(dir_ + "app.exe.log")) starts += l.rfind("start ", 0) == 0;
    return starts >= 2;
  }, 30000);
  EXPECT_EQ(starts, 2) << "started once by the test and once by the agent";
  EXPECT_EQ(ReadWholeFile(dir_ + "version.txt"), "110") << "the new setup did not run";
  char version[16] = {};
  GetPrivateProfileStringA("OriginalSetup", "VersionOriginal", "", version, sizeof version, o.c_str());
  EXPECT_STREQ(version, "110");
  EXPECT_FALSE(Exists(dir_ + setupName)) << "the fetched setup is deleted";
  const std::vector<std::string> setupLog = LogLines(log_);
  EXPECT_NE(LogValue(setupLog, "cmd").find("/OriginalInfoFile=\"" + dir_ + "MyApp.info\""), std::string::npos);
  EXPECT_FALSE(Exists(FolderOf(LogValue(setupLog, "exe")))) << "the setup's work folder is left";
  bool notified = false;
  for (const auto& n : client.received) notified = notified || (n.first == 42 && n.second == 2);
  EXPECT_TRUE(notified) << "no notification of the finished setup";

  // The new copy is on its way (one more minute of emulated start-up): ended here, as nothing more
  // is to be seen of it.
  EndProcessesNamed("X_MyAppUpdate.exe");
  CloseAgentCopy();
  for (const std::string& l : LogLines(dir_ + "app.exe.log")) {
    if (l.rfind("start ", 0) != 0) continue;
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, std::stoul(l.substr(6)))) {
      TerminateProcess(p, 0);
      WaitForSingleObject(p, 5000);
      CloseHandle(p);
    }
  }
  CloseHandle(app);
  DeleteFileA((WebRoot() + setupName).c_str());
  DeleteFileA((WebRoot() + "MyApp.info").c_str());
}

}  // namespace
