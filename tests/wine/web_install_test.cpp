// End to end: web launchers built by the vxpack library fetch their full package from nginx or the
// fault-injecting server (or take a copy lying next to them), check its token and install it with
// the fake setup program.
#include <gtest/gtest.h>

#include <algorithm>

#include "launcher/tempspace.h"
#include "net_support.h"
#include "package_support.h"
#include "test_support.h"
#include "ui_probe.h"

using namespace vxtest;

namespace {

constexpr int64_t kCut = 307200;  // the fault server's cut: 300 KiB

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string TempFolder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n);
}

HWND Button(HWND box, const std::string& caption) {
  for (HWND b : ChildrenOfClass(box, "Button"))
    if (TextOf(b) == caption) return b;
  return nullptr;
}

class WebInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("web launcher dir");  // a blank in the launcher's path
    payload_ = FreshTempDir("web_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload_ + "fakesetup.exe"));
    CreateDirectoryA((payload_ + "data").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(payload_ + "data\\readme.txt", std::string(5000, 'r')));
    log_ = dir_ + "setup.log";
    name_ = std::string("web_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".exe";
    key_ = "k" + std::to_string(GetTickCount());
    CleanTemp();
  }
  void TearDown() override {
    CleanTemp();
    DeleteFileA((WebRoot() + name_).c_str());
  }
  void CleanTemp() {
    for (const std::string& f : FilesStartingWith(TempFolder(), name_)) DeleteFileA((TempFolder() + f).c_str());
  }

  std::string launcher() const { return dir_ + "Web Setup.exe"; }

  // A full package in the served folder (or at fullPath) and its web launcher in dir_.
  vxpack::BuildConfig Config(const std::string& urlFolder) {
    auto cfg = LauncherPackageConfig(WebRoot() + name_);
    cfg.filesFolder = payload_;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log_ + "\" /list /complete";
    cfg.hasWeb = true;
    cfg.web.folder = urlFolder;
    cfg.web.token = "WebSecret";
    cfg.web.launcherOutput = launcher();
    return cfg;
  }
  // Adds 1 MiB that does not compress, so the full package is over a megabyte.
  void AddMegabyte() { ASSERT_TRUE(WriteWholeFile(payload_ + "data\\big.bin", RandomBytes(1048576, 77))); }
  std::string FaultFolder(const std::string& options) const { return FaultServer() + "/" + options + "/" + key_; }
  std::string FaultPath(const std::string& options) const { return "/" + options + "/" + key_ + "/" + name_; }

  // Runs the launcher to its end with no box expected.
  void RunToEnd() {
    ProcessResult r = RunAndWait("\"" + launcher() + "\"", 120000);
    ASSERT_TRUE(r.finished);
  }
  // Runs the launcher, answers its first box with the button caption (empty: closes it) and
  // returns that box's texts; empty when no box came.
  std::string RunAnsweringBox(const std::string& caption) {
    HANDLE h = StartProcess("\"" + launcher() + "\"");
    EXPECT_NE(h, nullptr);
    if (h == nullptr) return std::string();
    std::string text;
    HWND box = WaitForForeignWindow(kMessageBoxClass, 60000);
    if (box != nullptr) {
      text = AllTexts(box);
      HWND b = caption.empty() ? nullptr : Button(box, caption);
      if (b != nullptr) {
        PostMessageA(b, BM_CLICK, 0, 0);
      } else {
        PostMessageA(box, WM_CLOSE, 0, 0);
      }
    }
    const bool ended = PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, 120000);
    if (!ended) TerminateProcess(h, 1);
    CloseHandle(h);
    EXPECT_TRUE(ended);
    return text;
  }

  void ExpectInstalled() {
    auto log = LogLines(log_);
    const std::string cmd = LogValue(log, "cmd");
    EXPECT_NE(cmd.find(" /TH_ID=_"), std::string::npos) << cmd;
    std::string origin = launcher();
    std::replace(origin.begin(), origin.end(), ' ', '*');
    EXPECT_NE(cmd.find(" /OriginExe=" + origin), std::string::npos) << cmd;
    EXPECT_TRUE(Contains(log, "file=data\\readme.txt:5000"));
    EXPECT_TRUE(Contains(log, "atom=removed"));
    // The downloaded package is deleted, and no partial file is left.
    EXPECT_TRUE(FilesStartingWith(TempFolder(), name_).empty());
  }
  void ExpectNoSetup() { EXPECT_FALSE(Exists(log_)) << "the setup ran"; }

  std::string dir_, payload_, log_, name_, key_;
};

TEST_F(WebInstallTest, DownloadsFromNginxAndInstalls) {
  const std::string folders[] = {NginxHttp(), NginxHttps()};
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    ASSERT_TRUE(BuildTestPackage(Config(folder)));
    TraceViewer viewer;
    RunToEnd();
    ExpectInstalled();
    EXPECT_FALSE(viewer.HasLineContaining("HTTP_DownloadFile_Incremental"));
    EXPECT_TRUE(Exists(WebRoot() + name_));
    DeleteFileA(log_.c_str());
  }
}

TEST_F(WebInstallTest, AsksBeforeDownloadingWithTheSize) {
  struct Case {
    const char* answer;
    bool installs;
  } cases[] = {{"&Yes", true}, {"&No", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    key_ += "a";
    auto cfg = Config(FaultFolder("plain"));
    cfg.web.askDownload = true;
    ASSERT_TRUE(BuildTestPackage(cfg));
    const double size = static_cast<double>(ReadWholeFile(WebRoot() + name_).size());
    const std::string text = RunAnsweringBox(c.answer);
    EXPECT_NE(text.find("INTERNET DOWNLOAD"), std::string::npos) << text;
    EXPECT_NE(text.find("Size: " + vx::MbText(size) + " MB"), std::string::npos) << text;
    if (c.installs) {
      ExpectInstalled();
    } else {
      ExpectNoSetup();
      EXPECT_TRUE(ServedRequests(FaultPath("plain")).empty()) << "nothing is downloaded after No";
    }
    DeleteFileA(log_.c_str());
  }
}

// An offline machine: the connected-state query reports no connection. Wine answers so only when
// the host has no default route, which a test cannot take away from the machine it shares, so
// the launcher's test build plays that answer (VX_SEAM=offline). The server stays reachable: a
// launcher that downloaded anyway would be seen there, and the same launcher with the machine
// online downloads and installs.
TEST_F(WebInstallTest, OfflineMachineShowsTheConnectionMessage) {
  struct Case {
    const char* seam;
    bool offline;
  } cases[] = {{"offline", true}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offline);
    key_ += "o";
    auto cfg = Config(FaultFolder("plain"));
    cfg.launcher = TestBinDir() + "vxstub_seams.exe";
    ASSERT_TRUE(BuildTestPackage(cfg));
    ScopedEnvironment seam("VX_SEAM", c.seam);
    if (!c.offline) {
      RunToEnd();
      ExpectInstalled();
      EXPECT_FALSE(ServedRequests(FaultPath("plain")).empty());
      continue;
    }
    const std::string text = RunAnsweringBox("");
    EXPECT_NE(text.find("No valid Internet Connection."), std::string::npos) << text;
    EXPECT_NE(text.find("Can not Download File!"), std::string::npos) << text;
    ExpectNoSetup();
    EXPECT_TRUE(ServedRequests(FaultPath("plain")).empty()) << "nothing is downloaded";
    EXPECT_TRUE(FilesStartingWith(TempFolder(), name_).empty()) << "no package or partial file is left";
  }
}

TEST_F(WebInstallTest, RefusedPackages) {
  struct Case {
    const char* what;
    std::string folder;
    bool otherToken;
    std::string message;
  } cases[] = {
      {"another web token", NginxHttp(), true, "Bad Secret Token!"},
      {"a web server's 404 page", NginxHttp() + "/missing", false, "404 File Not Found..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto cfg = Config(c.folder);
    ASSERT_TRUE(BuildTestPackage(cfg));
    if (c.otherToken) {
      // The full package of another build: same name and folder, another token.
      auto other = Config(c.folder);
      other.web.token = "AnotherSecret";
      other.web.launcherOutput = dir_ + "other launcher.exe";
      ASSERT_TRUE(BuildTestPackage(other));
    }
    const std::string text = RunAnsweringBox("");
    EXPECT_NE(text.find(c.message), std::string::npos) << text;
    if (!c.otherToken) {
      EXPECT_NE(text.find("URL:  " + c.folder + "/" + name_ + "."), std::string::npos) << text;
    }
    ExpectNoSetup();
    EXPECT_TRUE(FilesStartingWith(TempFolder(), name_).empty()) << "the download is deleted";
  }
}

TEST_F(WebInstallTest, CopyBesideTheLauncherIsUsedUnlessWebNoLocal) {
  struct Case {
    bool noLocal;
    bool downloads;
  } cases[] = {{false, false}, {true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.noLocal);
    key_ += "l";
    auto cfg = Config(FaultFolder("plain"));
    cfg.output = dir_ + name_;  // the full package lies next to the launcher
    cfg.web.noLocal = c.noLocal;
    ASSERT_TRUE(BuildTestPackage(cfg));
    ASSERT_TRUE(CopyFileTo(dir_ + name_, WebRoot() + name_));
    RunToEnd();
    ExpectInstalled();
    EXPECT_EQ(!ServedRequests(FaultPath("plain")).empty(), c.downloads);
    EXPECT_TRUE(Exists(dir_ + name_)) << "the local copy is kept";
    DeleteFileA(log_.c_str());
  }
}

// A download cut at 300 KiB fails the token test (the package is incomplete) and leaves its
// partial file; the next start fetches only the remaining bytes and installs.
TEST_F(WebInstallTest, CutDownloadResumesOnTheNextStart) {
  AddMegabyte();
  const std::string options = "cut=307200";
  ASSERT_TRUE(BuildTestPackage(Config(FaultFolder(options))));
  const int64_t size = static_cast<int64_t>(ReadWholeFile(WebRoot() + name_).size());
  ASSERT_GT(size, 1048576);
  EXPECT_NE(RunAnsweringBox("").find("Bad Secret Token!"), std::string::npos);
  ExpectNoSetup();
  const std::vector<std::string> partials = FilesStartingWith(TempFolder(), name_ + ".");
  ASSERT_EQ(partials.size(), 1u);
  EXPECT_EQ(ReadWholeFile(TempFolder() + partials[0]).size(), static_cast<size_t>(kCut));

  RunToEnd();
  ExpectInstalled();
  const std::vector<ServedRequest> served = ServedRequests(FaultPath(options));
  ASSERT_EQ(served.size(), 2u);
  EXPECT_EQ(served[0].bytes, kCut);
  EXPECT_EQ(served[1].status, 206);
  EXPECT_EQ(served[1].bytes, size - kCut) << "only the remaining bytes are fetched";
}

TEST_F(WebInstallTest, ResumeAgainstAChangedOrRangeBlindServer) {
  AddMegabyte();
  struct Case {
    const char* options;
    int lastStatus;
  } cases[] = {{"cut=307200,lmchange", 200}, {"cut=307200,norange", 200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_TRUE(BuildTestPackage(Config(FaultFolder(c.options))));
    const int64_t size = static_cast<int64_t>(ReadWholeFile(WebRoot() + name_).size());
    EXPECT_NE(RunAnsweringBox("").find("Bad Secret Token!"), std::string::npos);
    const std::vector<std::string> first = FilesStartingWith(TempFolder(), name_ + ".");
    ASSERT_EQ(first.size(), 1u);
    RunToEnd();
    ExpectInstalled();  // the old partial file is gone too
    const std::vector<ServedRequest> served = ServedRequests(FaultPath(c.options));
    ASSERT_GE(served.size(), 2u);
    EXPECT_EQ(served.back().status, c.lastStatus);
    EXPECT_EQ(served.back().bytes, size) << "the whole file again";
    DeleteFileA(log_.c_str());
  }
}

TEST_F(WebInstallTest, ClosingTheWindowAbortsTheDownload) {
  AddMegabyte();
  ASSERT_TRUE(BuildTestPackage(Config(FaultFolder("slow=40"))));
  HANDLE h = StartProcess("\"" + launcher() + "\"");
  ASSERT_NE(h, nullptr);
  // The window shows up once the transfer starts; its class is the launcher's path.
  HWND stub = WaitForForeignWindow(launcher(), 60000);
  ASSERT_NE(stub, nullptr);
  PostMessageA(stub, WM_CLOSE, 0, 0);
  HWND box = WaitForForeignWindow(kMessageBoxClass, 60000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(AllTexts(box).find("Download Aborted"), std::string::npos) << AllTexts(box);
  PostMessageA(box, WM_CLOSE, 0, 0);
  const bool ended = PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, 60000);
  if (!ended) TerminateProcess(h, 1);
  CloseHandle(h);
  EXPECT_TRUE(ended);
  ExpectNoSetup();
  EXPECT_FALSE(Exists(TempFolder() + name_));
  EXPECT_EQ(FilesStartingWith(TempFolder(), name_ + ".").size(), 1u) << "the partial file stays for a resume";
}

}  // namespace
