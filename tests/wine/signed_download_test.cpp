// Publisher signatures end to end: the system's signature check of signed, changed, unsigned and
// foreign-signed files; web launchers and update agents whose package pins the publisher's key
// run only what the publisher signed; and an installer built and signed by the Linux vxpack.
// Certificates and signatures come from openssl and osslsigncode (signing_support.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net_support.h"
#include "package/package.h"
#include "package/signature.h"
#include "package_support.h"
#include "sign_crypto.h"
#include "signing_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

constexpr const char* kRefusal = "Not signed by the publisher!";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

std::string TempFolder() {
  char buf[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof buf, buf);
  return std::string(buf, n);
}

// Flips one bit in the DOS stub: the launcher reads nothing there, the signature covers it.
void ChangeOneByte(const std::string& path) {
  std::string bytes = ReadWholeFile(path);
  ASSERT_GT(bytes.size(), 100u);
  bytes[100] ^= 1;
  ASSERT_TRUE(WriteWholeFile(path, bytes));
}

// How a test file is signed.
enum class Signed { kPublisher, kOther, kChanged, kNone };

const char* SignedName(Signed s) {
  static const char* const kNames[] = {"signed by the publisher", "signed by another publisher",
                                       "signed by the publisher, then one byte changed", "not signed"};
  return kNames[static_cast<int>(s)];
}

void SignAs(const std::string& path, Signed how) {
  if (how == Signed::kNone) return;
  ASSERT_TRUE(SignFile(path, how == Signed::kOther ? OtherPublisher() : TestPublisher()));
  if (how == Signed::kChanged) ChangeOneByte(path);
}

// The trace line the launcher writes for its verdict.
std::string VerdictLine(Signed how) {
  switch (how) {
    case Signed::kPublisher:
      return " Signature check: accepted 00000000 " + TestPublisher().pin;
    case Signed::kOther:
      return " Signature check: key not pinned 00000000 " + OtherPublisher().pin;
    case Signed::kChanged:
      return " Signature check: changed after signing 80096010 ";
    case Signed::kNone:
      return " Signature check: not signed 800b0100  ";
  }
  return std::string();
}

// ---------------------------------------------------------------------------------------------
// The system's check as the launcher asks it, and as the Windows vxpack reads signatures.

TEST(SignatureCheck, FindsTheSignersKeyAndRefusesChangedAndUnsignedFiles) {
  const std::string dir = FreshTempDir("signature check");
  ASSERT_TRUE(WriteWholeFile(dir + "readme.txt", "read me"));
  auto cfg = LauncherPackageConfig(dir + "package.exe");
  cfg.signable = true;
  cfg.extraFiles = {{"readme.txt", dir + "readme.txt"}};
  ASSERT_TRUE(BuildTestPackage(cfg));
  const std::string pins = TestPublisher().pin;
  struct Case {
    Signed how;
    bool intact;
    std::string key;
    vx::SignatureVerdict verdict;
  } cases[] = {
      {Signed::kPublisher, true, TestPublisher().pin, vx::SignatureVerdict::kAccepted},
      {Signed::kOther, true, OtherPublisher().pin, vx::SignatureVerdict::kNotPinned},
      {Signed::kChanged, false, "", vx::SignatureVerdict::kChanged},
      {Signed::kNone, false, "", vx::SignatureVerdict::kNotSigned},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(SignedName(c.how));
    const std::string file = dir + "copy " + std::to_string(static_cast<int>(c.how)) + ".exe";
    ASSERT_TRUE(CopyFileTo(dir + "package.exe", file));
    SignAs(file, c.how);
    vx::SignatureFinding found;
    vx::ExamineSignature(file, found);
    if (c.intact) {
      // Wine accepts a chain to an unknown root (0); Windows names it (CERT_E_UNTRUSTEDROOT).
      EXPECT_TRUE(found.status == 0 ||
                  (found.status == vx::kTrustUntrustedRoot && found.chainErrors == vx::kChainUntrustedRoot))
          << std::hex << found.status << " " << found.chainErrors;
      ASSERT_TRUE(found.hasKey);
      EXPECT_EQ(std::string(vx::HexText(found.keyHash, vx::kKeyHashBytes)), c.key);
    } else {
      EXPECT_EQ(found.status, c.how == Signed::kChanged ? vx::kTrustBadDigest : vx::kTrustNoSignature)
          << std::hex << found.status;
    }
    EXPECT_EQ(vx::JudgeSignature(found, pins), c.verdict);
    // The Windows vxpack reads the same.
    vxpack::SignatureReport report;
    std::string error;
    ASSERT_TRUE(vxpack::ReadSignature(file, report, error)) << error;
    EXPECT_EQ(report.present, c.how != Signed::kNone);
    EXPECT_EQ(report.intact, c.intact) << report.problem;
    if (c.intact) {
      EXPECT_EQ(report.signer.keyHash, c.key);
      EXPECT_EQ(report.signer.name, c.how == Signed::kOther ? OtherPublisher().name : TestPublisher().name);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Web launchers

class SignedWebDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("signed web launcher");
    payload_ = FreshTempDir("signed_web_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload_ + "fakesetup.exe"));
    ASSERT_TRUE(WriteWholeFile(payload_ + "readme.txt", std::string(4000, 'r')));
    log_ = dir_ + "setup.log";
    name_ = std::string("signed_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".exe";
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

  // The full package on nginx (or at output) and its web launcher, both built signable.
  vxpack::BuildConfig Config(const std::vector<std::string>& pins) {
    auto cfg = LauncherPackageConfig(WebRoot() + name_);
    cfg.filesFolder = payload_;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log_ + "\" /list /complete";
    cfg.hasWeb = true;
    cfg.web.folder = NginxHttp();
    cfg.web.token = "WebSecret";
    cfg.web.launcherOutput = launcher();
    cfg.signable = true;
    cfg.pins = pins;
    return cfg;
  }

  // Runs the web launcher to its end; closes the box it shows and returns its texts (empty when
  // none came).
  std::string Run() {
    HANDLE h = StartProcess("\"" + launcher() + "\"");
    EXPECT_NE(h, nullptr);
    if (h == nullptr) return std::string();
    std::string text;
    const bool ended = PumpUntil(
        [&] {
          if (HWND box = FindForeignWindow(kMessageBoxClass, true)) {
            text += AllTexts(box);
            AnswerBox(box, "");
          }
          return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        },
        120000);
    if (!ended) TerminateProcess(h, 1);
    CloseHandle(h);
    EXPECT_TRUE(ended);
    return text;
  }

  void ExpectSetupRan(bool ran) {
    const std::vector<std::string> log = LogLines(log_);
    EXPECT_EQ(!log.empty(), ran);
    if (ran) {
      EXPECT_TRUE(HasLine(log, "file=readme.txt:4000"));
    }
    DeleteFileA(log_.c_str());
  }

  std::string dir_, payload_, log_, name_;
};

TEST_F(SignedWebDownloadTest, OnlyAPackageThePublisherSignedIsRun) {
  const Signed cases[] = {Signed::kPublisher, Signed::kOther, Signed::kChanged, Signed::kNone};
  for (Signed how : cases) {
    SCOPED_TRACE(SignedName(how));
    // The launcher pins the publisher's key and the key of a next certificate.
    ASSERT_TRUE(BuildTestPackage(Config({std::string(64, 'a'), TestPublisher().pin})));
    SignAs(WebRoot() + name_, how);
    TraceViewer viewer;
    const std::string box = Run();
    const bool accepted = how == Signed::kPublisher;
    EXPECT_EQ(box.find(kRefusal) != std::string::npos, !accepted) << box;
    if (accepted) {
      EXPECT_EQ(box, "");
    }
    ExpectSetupRan(accepted);
    EXPECT_TRUE(viewer.HasLineContaining(VerdictLine(how))) << VerdictLine(how);
    EXPECT_TRUE(FilesStartingWith(TempFolder(), name_).empty()) << "the download is deleted";
  }
}

// A package without pins keeps the token rule: any package with its token runs, and the trace
// says it was not signature-checked.
TEST_F(SignedWebDownloadTest, WithoutAPinTheTokenAloneDecides) {
  const Signed cases[] = {Signed::kNone, Signed::kOther};
  for (Signed how : cases) {
    SCOPED_TRACE(SignedName(how));
    ASSERT_TRUE(BuildTestPackage(Config({})));
    SignAs(WebRoot() + name_, how);
    TraceViewer viewer;
    EXPECT_EQ(Run(), "");
    ExpectSetupRan(true);
    EXPECT_TRUE(viewer.HasLineContaining(" Not signature-checked: " + TempFolder() + name_));
    EXPECT_FALSE(viewer.HasLineContaining(" Signature check: "));
    EXPECT_TRUE(FilesStartingWith(TempFolder(), name_).empty());
  }
}

// A copy lying next to the launcher is checked like a download, and left where it lies.
TEST_F(SignedWebDownloadTest, ALocalCopyIsCheckedAndKept) {
  const Signed cases[] = {Signed::kOther, Signed::kPublisher};
  for (Signed how : cases) {
    SCOPED_TRACE(SignedName(how));
    auto cfg = Config({TestPublisher().pin});
    cfg.output = dir_ + name_;
    ASSERT_TRUE(BuildTestPackage(cfg));
    SignAs(dir_ + name_, how);
    TraceViewer viewer;
    const std::string box = Run();
    EXPECT_EQ(box.find(kRefusal) != std::string::npos, how != Signed::kPublisher) << box;
    ExpectSetupRan(how == Signed::kPublisher);
    EXPECT_TRUE(viewer.HasLineContaining(VerdictLine(how))) << VerdictLine(how);
    EXPECT_TRUE(Exists(dir_ + name_)) << "the local copy is kept";
  }
}

// ---------------------------------------------------------------------------------------------
// Update agents

const char kCopyClass[] = ".AutoUpdate.X_MyAppUpdate";

HWND AgentWindow() { return FindWindowA(kCopyClass, nullptr); }

void CloseAgentCopy() {
  for (int i = 0; i < 40 && AgentWindow() != nullptr; ++i) {
    PostMessageA(AgentWindow(), WM_CLOSE, 0, 0);
    PumpFor(200);
  }
}

class SignedUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override { CloseAgentCopy(); }
  void TearDown() override { CloseAgentCopy(); }

  // An installed application with its agent (pinning pins), and an update in a local folder
  // signed as asked.
  void Prepare(const std::vector<std::string>& pins, Signed how) {
    dir_ = FreshTempDir("signedupdate" + std::to_string(static_cast<int>(how)));
    upd_ = FreshTempDir("signedupdateoffer");
    upd_.pop_back();
    payload_ = FreshTempDir("signedupdatepayload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload_ + "fakesetup.exe"));
    ASSERT_TRUE(WriteWholeFile(payload_ + "version.txt", "110"));
    const std::string installDir = dir_.substr(0, dir_.size() - 1);
    auto update = LauncherPackageConfig(upd_ + "\\Setup110.exe");
    update.filesFolder = payload_;
    update.setupName = "fakesetup.exe";
    update.setupParams = "/log=\"" + dir_ + "setup.log\" /list /install=\"" + installDir + "\" /complete";
    update.makeAgent = true;
    update.agentExe = "MyAppUpdate.exe";
    update.infoFile = "MyApp.info";
    update.updateUrl = upd_;
    update.agentToken = "SECRET";
    update.signable = true;
    update.pins = pins;
    ASSERT_TRUE(BuildTestPackage(update));
    SignAs(upd_ + "\\Setup110.exe", how);

    auto agent = AgentPackageConfig(dir_ + "MyAppUpdate.exe", upd_);
    agent.pins = pins;
    ASSERT_TRUE(BuildTestPackage(agent));
    ASSERT_TRUE(WriteWholeFile(dir_ + "version.txt", "100"));
    const std::string o = dir_ + "MyApp.original";
    WritePrivateProfileStringA("OriginalSetup", "VersionOriginal", "100", o.c_str());
    WritePrivateProfileStringA("OriginalSetup", "ProgramName", "MyApp", o.c_str());
    WritePrivateProfileStringA("OriginalSetup", "ProbeSecondsInterval", "-1", o.c_str());
    WritePrivateProfileStringA("Directories", "TargetDir", installDir.c_str(), o.c_str());
    const std::string info = "[NewSetup]\r\nVersionNew=110\r\nStamp=1\r\nDownloadURL_UPDATE=" + upd_ +
                             "\r\nNameOfUpdateFile=Setup110.exe\r\nSizeOfUpdateFile=" +
                             std::to_string(ReadWholeFile(upd_ + "\\Setup110.exe").size()) +
                             "\r\nShutDownMethod=Don't Shut Down\r\nRunningProcess=<InstallDir>\\app.exe\r\n"
                             "ProgramName=MyApp\r\n";
    ASSERT_TRUE(WriteWholeFile(upd_ + "\\MyApp.info", info));
  }

  // Starts the agent, asks it for a check and waits for the check's end; closes the box it shows
  // and returns its texts.
  std::string Check(TraceViewer& viewer) {
    EXPECT_TRUE(RunAndWait("\"" + dir_ + "MyAppUpdate.exe\" /DELAY=0", 30000).finished);
    EXPECT_TRUE(PumpUntil([] { return AgentWindow() != nullptr; }, 20000));
    GetWindowThreadProcessId(AgentWindow(), &agentProcess_);
    PostMessageA(AgentWindow(), 1125, 31, 1);
    std::string text;
    EXPECT_TRUE(PumpUntil(
        [&] {
          if (HWND box = FindForeignWindow(kMessageBoxClass, true)) {
            text += AllTexts(box);
            AnswerBox(box, "&OK");
          }
          return viewer.HasLineContaining(" ==== PerformShot-2 ====");
        },
        60000));
    return text;
  }

  std::string Original(const char* key) {
    char buf[64] = {};
    GetPrivateProfileStringA("OriginalSetup", key, "<missing>", buf, sizeof buf, (dir_ + "MyApp.original").c_str());
    return buf;
  }

  // Waits until the agent copy a completed update relaunched has its window, so that it is the
  // one closed next.
  void WaitForRelaunchedCopy() {
    EXPECT_TRUE(PumpUntil(
        [&] {
          DWORD process = 0;
          if (AgentWindow() != nullptr) GetWindowThreadProcessId(AgentWindow(), &process);
          return process != 0 && process != agentProcess_;
        },
        30000));
  }

  void Finish() {
    CloseAgentCopy();
    EXPECT_TRUE(WaitForSelfDeletion(dir_ + "X_MyAppUpdate.exe", 30000));
  }

  std::string dir_, upd_, payload_;
  DWORD agentProcess_ = 0;
};

TEST_F(SignedUpdateTest, OnlyAnUpdateThePublisherSignedIsRun) {
  const Signed cases[] = {Signed::kPublisher, Signed::kOther, Signed::kChanged, Signed::kNone};
  for (Signed how : cases) {
    SCOPED_TRACE(SignedName(how));
    Prepare({TestPublisher().pin}, how);
    TraceViewer viewer;
    const std::string box = Check(viewer);
    const bool accepted = how == Signed::kPublisher;
    EXPECT_EQ(box.find(kRefusal) != std::string::npos, !accepted) << box;
    EXPECT_TRUE(viewer.HasLineContaining(VerdictLine(how))) << VerdictLine(how);
    EXPECT_EQ(Exists(dir_ + "setup.log"), accepted) << "the setup ran";
    EXPECT_EQ(ReadWholeFile(dir_ + "version.txt"), accepted ? "110" : "100");
    EXPECT_EQ(Original("VersionOriginal"), accepted ? "110" : "100");
    EXPECT_FALSE(Exists(dir_ + "Setup110.exe")) << "the fetched update is deleted";
    if (accepted) {
      // A completed update relaunches the agent (the copy that follows is closed below).
      WaitForRelaunchedCopy();
      // The update's installer built the new agent, which the setup installed: it pins the same key.
      EXPECT_EQ(std::string(vx::TGFileInfo(dir_ + "MyAppUpdate.exe").PublisherPins()), TestPublisher().pin);
      EXPECT_TRUE(vx::TGFileInfo(dir_ + "MyAppUpdate.exe").AgentFlag());
      // Cut from the signed installer, it carries no entry for the installer's signature.
      vx::SignatureFinding agent;
      vx::ExamineSignature(dir_ + "MyAppUpdate.exe", agent);
      EXPECT_EQ(agent.status, vx::kTrustNoSignature) << std::hex << agent.status;
    }
    Finish();
  }
}

TEST_F(SignedUpdateTest, WithoutAPinTheTokenAloneDecides) {
  Prepare({}, Signed::kOther);
  TraceViewer viewer;
  EXPECT_EQ(Check(viewer), "");
  EXPECT_TRUE(viewer.HasLineContaining(" Not signature-checked: " + dir_ + "Setup110.exe"));
  EXPECT_FALSE(viewer.HasLineContaining(" Signature check: "));
  WaitForRelaunchedCopy();
  EXPECT_EQ(Original("VersionOriginal"), "110");
  EXPECT_TRUE(Exists(dir_ + "setup.log"));
  Finish();
}

// ---------------------------------------------------------------------------------------------
// An installer built and signed by the Linux vxpack

TEST(SignedInstaller, PassesOsslsigncodeVerifyAndInstalls) {
  const std::string dir = FreshTempDir("signed installer");
  const std::string payload = dir + "payload\\";
  CreateDirectoryA(payload.c_str(), nullptr);
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload + "fakesetup.exe"));
  ASSERT_TRUE(WriteWholeFile(payload + "readme.txt", std::string(2000, 'r')));
  const std::string log = dir + "setup.log";
  std::string tree = UnixPath(TestBinDir());
  while (!tree.empty() && tree.back() == '/') tree.pop_back();
  const std::string vxpack = tree.substr(0, tree.find_last_of('/')) + "/host/vxpack";
  const std::string manifest = "[package]\r\noutput = " + UnixPath(dir + "MySetup.exe") +
                               "\r\nlauncher = " + UnixPath(TestBinDir() + "vxstub.exe") +
                               "\r\nfiles = " + UnixPath(payload) +
                               "\r\nsetup = fakesetup.exe\r\nsetup_params = /log=\"" + log +
                               "\" /list /complete\r\n[sign]\r\ncert = " + UnixPath(TestPublisher().cert) +
                               "\r\nkey = " + UnixPath(TestPublisher().key) + "\r\ndescription = My App\r\n";
  ASSERT_TRUE(WriteWholeFile(dir + "MyApp.manifest", manifest));
  const std::string installer = UnixPath(dir + "MySetup.exe");
  std::string output;
  ASSERT_EQ(RunUnixScript(ShellQuoted(vxpack) + " build " + ShellQuoted(UnixPath(dir + "MyApp.manifest")), output), 0)
      << output;
  EXPECT_NE(
      output.find("signed " + installer + " (signer " + TestPublisher().name + ", key " + TestPublisher().pin + ")"),
      std::string::npos)
      << output;
  EXPECT_EQ(RunUnixScript("osslsigncode verify -CAfile " + ShellQuoted(UnixPath(TestCaCertificate())) + " -in " +
                              ShellQuoted(installer),
                          output),
            0)
      << output;
  EXPECT_EQ(RunUnixScript(ShellQuoted(vxpack) + " verify " + ShellQuoted(installer), output), 0) << output;
  EXPECT_NE(
      output.find("Signature  intact\nSigner     " + TestPublisher().name + "\nSigner key " + TestPublisher().pin),
      std::string::npos)
      << output;
  EXPECT_NE(output.find("Pins       " + TestPublisher().pin + "\n           the signer's key is pinned"),
            std::string::npos)
      << output;

  // Under Wine the signed installer installs, and the system's check finds the publisher.
  EXPECT_EQ(std::string(vx::TGFileInfo(dir + "MySetup.exe").PublisherPins()), TestPublisher().pin);
  vx::SignatureFinding found;
  vx::ExamineSignature(dir + "MySetup.exe", found);
  EXPECT_EQ(vx::JudgeSignature(found, TestPublisher().pin), vx::SignatureVerdict::kAccepted);
  const ProcessResult run = RunAndWait("\"" + dir + "MySetup.exe\"", 120000);
  ASSERT_TRUE(run.finished);
  const std::vector<std::string> lines = LogLines(log);
  EXPECT_TRUE(HasLine(lines, "file=readme.txt:2000"));
  EXPECT_TRUE(HasLine(lines, "atom=removed"));
}

}  // namespace
