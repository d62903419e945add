// The update agent's update end to end: an installed fake application with its agent, an update
// offered by an info file in a local folder or on nginx, a real update package whose fake setup
// upgrades the application's files; the application shut down, the setup run, the version
// recorded, the application restarted and the agent relaunched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net_support.h"
#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

const char kCopyClass[] = ".AutoUpdate.X_MyAppUpdate";
const char kAppClass[] = "VxFakeApp";
constexpr UINT kClientMessage = WM_APP + 9;

HWND AgentWindow() { return FindWindowA(kCopyClass, nullptr); }
HWND AppWindow() { return FindWindowA(kAppClass, nullptr); }

void CloseAgentCopy() {
  for (int i = 0; i < 40 && AgentWindow() != nullptr; ++i) {
    PostMessageA(AgentWindow(), WM_CLOSE, 0, 0);
    PumpFor(200);
  }
}

// The notifications a client got, as "code:value " for each but the window handle (code 50).
std::string NotesText(const NotificationClient& client) {
  std::string out;
  for (const auto& n : client.received)
    if (n.first != 50) out += std::to_string(n.first) + ":" + std::to_string(n.second) + " ";
  return out;
}

// What the test does as the user while the agent shuts the application down.
enum class User {
  Nothing,
  CloseAtNotice,   // closes the application when the notice shows, then confirms the notice
  ConfirmAppBox,   // answers the application's own question "Close ...?" with Yes
  CloseWhileWait,  // the agent waits: the test closes the application
  KillWhileWait,   // the agent waits on an application that ignores the close: the test ends it
};

struct Box {
  const char* text;    // part of the text the box must show
  const char* button;  // the button to click
};

struct UpdateRow {
  const char* name;
  bool web;               // info file and update on nginx; else in a local folder
  const char* flags;      // D, I, B, F, R: the five switches of the info file; X interactive
  const char* method;
  const char* appSwitch;  // nullptr: the application is not running
  const char* setup;      // the update file offered: "ok", "fail" (no completion), "token" (another token)
  const char* name_;      // NameOfUpdateFile
  Box before[2];          // boxes before the shut-down, in turn
  User user;
  Box after[1];           // boxes after the setup
  const char* applied;    // what reached the application: "WM_CLOSE", "WM_QUIT", "ended", "kept"
  bool restarted;
  const char* version;    // VersionOriginal afterwards
  const char* notes;      // client notifications after the subscription answer
};

// A completed update ends the agent's loop for its relaunch (43).
constexpr const char* kAllNotes = "51:1125 40:1 40:2 41:1 41:2 42:1 42:2 43:0 ";
constexpr const char* kSetupNotes = "51:1125 40:1 40:2 41:1 41:2 42:1 42:2 ";
constexpr const char* kOk = "Setup110.exe";

class AgentUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override { CloseAgentCopy(); }
  void TearDown() override { CloseAgentCopy(); }

  // A fresh installation folder, offer folder and update packages for one row.
  void Prepare() {
    dir_ = FreshTempDir("agentupdate");
    upd_ = FreshTempDir("agentupdateoffer");
    upd_.pop_back();
    payload_ = FreshTempDir("agentupdatepayload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload_ + "fakesetup.exe"));
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakeapp.exe", payload_ + "app.exe"));
    ASSERT_TRUE(WriteWholeFile(payload_ + "version.txt", "110"));
    // The update packages: one that completes, one whose setup does not report completion, one
    // with another token; each carries the new agent as a new version's installer does.
    const std::string installDir = dir_.substr(0, dir_.size() - 1);
    ASSERT_TRUE(BuildUpdate(upd_ + "\\Setup110.exe", "/complete", "SECRET", installDir));
    ASSERT_TRUE(BuildUpdate(upd_ + "\\SetupFail.exe", "", "SECRET", installDir));
    ASSERT_TRUE(BuildUpdate(upd_ + "\\SetupOther.exe", "/complete", "OTHER", installDir));
    for (const char* n : {"Setup110.exe", "SetupFail.exe", "SetupOther.exe"})
      ASSERT_TRUE(CopyFileTo(upd_ + "\\" + n, WebRoot() + n));
  }
  void Cleanup() {
    for (const char* n : {"Setup110.exe", "SetupFail.exe", "SetupOther.exe", "MyApp.info"})
      DeleteFileA((WebRoot() + n).c_str());
  }

  bool BuildUpdate(const std::string& out, const std::string& params, const std::string& token,
                   const std::string& installDir) {
    auto cfg = LauncherPackageConfig(out);
    cfg.filesFolder = payload_;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + dir_ + "setup.log\" /list /install=\"" + installDir + "\" " + params;
    cfg.makeAgent = true;
    cfg.agentExe = "MyAppUpdate.exe";
    cfg.infoFile = "MyApp.info";
    cfg.updateUrl = upd_;
    cfg.agentToken = token;
    return BuildTestPackage(cfg);
  }

  void Install(const std::string& updateUrl) {
    ASSERT_TRUE(BuildTestPackage(AgentPackageConfig(dir_ + "MyAppUpdate.exe", updateUrl)));
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakeapp.exe", dir_ + "app.exe"));
    ASSERT_TRUE(WriteWholeFile(dir_ + "version.txt", "100"));
    ASSERT_TRUE(WriteWholeFile(dir_ + "app.exe.log", ""));
    const std::string o = dir_ + "MyApp.original";
    const char* const texts[][2] = {
        {"s11", "Download PROG_NAME?"}, {"s12", "(install later)"}, {"s13", "(install next)"},
        {"s14", "Install PROG_NAME now?"}, {"s15", "Please close PROG_NAME."},
        {"s16", "PROG_NAME is up to date."}, {"s17", "Start PROG_NAME again?"}};
    for (const auto& t : texts) WritePrivateProfileStringA("AutoUpdate", t[0], t[1], o.c_str());
    WritePrivateProfileStringA("OriginalSetup", "VersionOriginal", "100", o.c_str());
    WritePrivateProfileStringA("OriginalSetup", "ProgramName", "MyApp", o.c_str());
    WritePrivateProfileStringA("OriginalSetup", "ProbeSecondsInterval", "-1", o.c_str());
    WritePrivateProfileStringA("Directories", "TargetDir", dir_.substr(0, dir_.size() - 1).c_str(), o.c_str());
  }

  std::string Original(const char* key) {
    char buf[64] = {};
    GetPrivateProfileStringA("OriginalSetup", key, "<missing>", buf, sizeof buf, (dir_ + "MyApp.original").c_str());
    return buf;
  }

  int AppStarts() {
    int n = 0;
    for (const std::string& l : LogLines(dir_ + "app.exe.log")) n += l.rfind("start ", 0) == 0;
    return n;
  }

  void EndRestartedApp() {
    for (const std::string& l : LogLines(dir_ + "app.exe.log")) {
      if (l.rfind("start ", 0) != 0) continue;
      HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, std::stoul(l.substr(6)));
      if (p == nullptr) continue;
      TerminateProcess(p, 0);
      WaitForSingleObject(p, 5000);
      CloseHandle(p);
    }
  }

  std::string dir_, upd_, payload_;
};

TEST_F(AgentUpdateTest, ShutsDownRunsTheSetupRecordsAndRestartsAsTheOfferSays) {
  const UpdateRow rows[] = {
      {"WM_CLOSE from nginx, restart question", true, "FR", "Using WM_CLOSE", "", "ok", kOk, {},
       User::Nothing, {{"MyApp is up to date.Start PROG_NAME again?", "&Yes"}}, "WM_CLOSE", true,
       "110", kAllNotes},
      {"WM_QUIT, restart without a notice", false, "R", "Using WM_QUIT", "", "ok", kOk, {},
       User::Nothing, {}, "WM_QUIT", true, "110", kAllNotes},
      {"Terminate Process, finish notice, no restart", false, "F", "Using Terminate Process", "",
       "ok", kOk, {}, User::Nothing, {{"MyApp is up to date.", "&OK"}}, "ended", false, "110",
       kAllNotes},
      {"notice until the user closes it", false, "R", "Issue a Message Box", "/ignoreclose", "ok",
       kOk, {}, User::CloseAtNotice, {}, "ended", true, "110", kAllNotes},
      {"an application that asks before closing", false, "R", "Using WM_CLOSE", "/askclose", "ok",
       kOk, {}, User::ConfirmAppBox, {}, "WM_CLOSE", true, "110", kAllNotes},
      {"an application that ignores WM_CLOSE is waited for", false, "R", "Using WM_CLOSE",
       "/ignoreclose", "ok", kOk, {}, User::KillWhileWait, {}, "WM_CLOSE", true, "110", kAllNotes},
      {"empty method waits until the user closes it", false, "R", "", "", "ok", kOk, {},
       User::CloseWhileWait, {}, "ended", true, "110", kAllNotes},
      {"Don't Shut Down: no wait, no restart", false, "R", "Don't Shut Down", "", "ok", kOk, {},
       User::Nothing, {}, "kept", false, "110", kAllNotes},
      {"not running: nothing restarted", false, "R", "Using WM_CLOSE", nullptr, "ok", kOk, {},
       User::Nothing, {}, "kept", false, "110", kAllNotes},
      {"declined at the download question", false, "DR", "Using WM_CLOSE", "", "ok", kOk,
       {{"Download MyApp?(install later)", "&No"}}, User::Nothing, {}, "kept", false, "100",
       "51:1125 40:1 40:2 "},
      {"declined at the install question", true, "DIR", "Using WM_CLOSE", "", "ok", kOk,
       {{"Download MyApp?(install next)", "&Yes"}, {"Install MyApp now?", "&No"}}, User::Nothing,
       {}, "kept", false, "100", "51:1125 40:1 40:2 41:1 41:2 "},
      {"interactive check: no questions, finish notice", false, "DIX", "Using WM_CLOSE", "", "ok",
       kOk, {}, User::Nothing, {{"MyApp is up to date.", "&OK"}}, "WM_CLOSE", false, "110",
       kAllNotes},
      {"background setup", false, "BR", "Using WM_CLOSE", "", "ok", kOk, {}, User::Nothing, {},
       "WM_CLOSE", true, "110", kAllNotes},
      {"setup without completion: no record, restarted", false, "FR", "Using WM_CLOSE", "", "fail",
       "SetupFail.exe", {}, User::Nothing, {}, "WM_CLOSE", true, "100", kSetupNotes},
      {"update with another token", false, "R", "Using WM_CLOSE", "", "token", "SetupOther.exe", {},
       User::Nothing, {{"Bad Secret Token!", "&OK"}}, "kept", false, "100",
       "51:1125 40:1 40:2 41:1 41:2 "},
      {"hostile update file name", false, "R", "Using WM_CLOSE", "", "ok", "..\\..\\Setup110.exe",
       {}, User::Nothing, {}, "WM_CLOSE", true, "110", kAllNotes},
  };
  int stamp = 0;
  for (const UpdateRow& r : rows) {
    SCOPED_TRACE(r.name);
    Prepare();
    const std::string flags = r.flags;
    const auto on = [&](char f) { return std::string(flags.find(f) != std::string::npos ? "1" : "0"); };
    const std::string location = r.web ? NginxHttp() : upd_;
    Install(location);
    const std::string file = std::string(r.name_).substr(std::string(r.name_).find_last_of('\\') + 1);
    const std::string served = upd_ + "\\" + file;
    if (file != kOk && file != "SetupFail.exe" && file != "SetupOther.exe") CopyFileTo(upd_ + "\\" + kOk, served);
    // A decoy where the executable's folder + the hostile name points: never run, never deleted.
    const std::string decoy = dir_ + r.name_;
    const bool hostile = decoy.find("..") != std::string::npos;
    if (hostile) {
      ASSERT_TRUE(WriteWholeFile(decoy, "decoy"));
    }
    const std::string info =
        "[NewSetup]\r\nVersionNew=110\r\nStamp=" + std::to_string(++stamp) + "\r\nDownloadURL_UPDATE=" + location +
        "\r\nNameOfUpdateFile=" + r.name_ + "\r\nSizeOfUpdateFile=" + std::to_string(ReadWholeFile(served).size()) +
        "\r\nShutDownMethod=" + r.method + "\r\nRunningProcess=<InstallDir>\\app.exe\r\nProgramName=MyApp\r\n" +
        "RequestConfirmationBeforeDownload=" + on('D') + "\r\nRequestConfirmationBeforeInstall=" + on('I') +
        "\r\nBackgroundUpdate=" + on('B') + "\r\nInformFinish=" + on('F') + "\r\nRestartProcess=" + on('R') + "\r\n";
    ASSERT_TRUE(WriteWholeFile((r.web ? WebRoot() + "MyApp.info" : upd_ + "\\MyApp.info"), info));
    HANDLE app = nullptr;
    if (r.appSwitch != nullptr) {
      app = StartProcess("\"" + dir_ + "app.exe\" " + r.appSwitch);
      ASSERT_NE(app, nullptr);
      ASSERT_TRUE(PumpUntil([&] { return ReadWholeFile(dir_ + "app.exe.log").find("ready") != std::string::npos; }, 10000));
    }
    TraceViewer viewer;
    NotificationClient client("vxtest.updateclient", kClientMessage);
    ProcessResult started = RunAndWait("\"" + dir_ + "MyAppUpdate.exe\" /DELAY=0", 30000);
    ASSERT_TRUE(started.finished);
    ASSERT_TRUE(PumpUntil([] { return AgentWindow() != nullptr; }, 20000));
    HWND agent = AgentWindow();
    SendMessageA(agent, 1124, reinterpret_cast<WPARAM>(client.handle()), kClientMessage);
    const bool interactive = flags.find('X') != std::string::npos;
    PostMessageA(agent, 1125, 31, interactive ? 2 : 1);
    if (interactive) {
      EXPECT_NE(AnswerNextBox("&Yes"), "<no box>");  // the question before the check
    }
    const auto answer = [&](const Box& b) {
      if (b.text == nullptr) return;
      const std::string shown = AnswerNextBox(b.button);
      EXPECT_NE(shown.find(b.text), std::string::npos) << shown;
    };
    for (const Box& b : r.before) answer(b);
    const auto line = [&](const std::string& t) { return PumpUntil([&] { return viewer.HasLineContaining(t); }, 30000); };
    switch (r.user) {
      case User::Nothing:
        break;
      case User::CloseAtNotice: {
        HWND box = WaitForForeignWindow(kMessageBoxClass, 20000);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(AllTexts(box).find("Please close app.exe."), std::string::npos);
        TerminateProcess(app, 0);
        WaitForSingleObject(app, 5000);
        AnswerBox(box, "&OK");
        break;
      }
      case User::ConfirmAppBox: {
        HWND box = WaitForForeignWindow("#32770", 20000);
        ASSERT_NE(box, nullptr);
        AnswerBox(box, "&Yes");
        break;
      }
      case User::CloseWhileWait:
      case User::KillWhileWait:
        ASSERT_TRUE(line(" ==== PerformAutoUpdate-8 ===="));
        PumpFor(1500);  // the agent keeps waiting while the application runs
        EXPECT_FALSE(viewer.HasLineContaining(" ==== PerformAutoUpdate-9 ===="));
        if (r.user == User::KillWhileWait) TerminateProcess(app, 0);
        else PostMessageA(AppWindow(), WM_CLOSE, 0, 0);
        break;
    }
    for (const Box& b : r.after) answer(b);
    EXPECT_TRUE(line(" ==== PerformShot-2 ===="));
    const bool completed = std::string(r.version) == "110";
    if (completed) {
      // The agent relaunches itself through its launcher, which hands its transient flags on.
      EXPECT_TRUE(line("X_MyAppUpdate.exe\" /TRANSIENTx=|255|255|255|255|255|255|"));
      EXPECT_TRUE(viewer.HasLineContaining("MyAppUpdate.exe\" /_ZZ=99 /WAIT=3 /TRANSIENT=|255|"));
    }
    PumpFor(300);
    EXPECT_EQ(FindForeignWindow(kMessageBoxClass, true), nullptr);  // no box beyond those expected

    const std::string appLog = ReadWholeFile(dir_ + "app.exe.log");
    std::string applied = "kept";
    if (appLog.find("msg 16 15 255") != std::string::npos) applied = "WM_CLOSE";
    else if (appLog.find("quit 15") != std::string::npos) applied = "WM_QUIT";
    else if (app != nullptr && WaitForSingleObject(app, 0) == WAIT_OBJECT_0) applied = "ended";
    EXPECT_EQ(applied, r.applied);
    const int starts = (r.appSwitch != nullptr ? 1 : 0) + (r.restarted ? 1 : 0);
    PumpUntil([&] { return AppStarts() >= starts; }, 10000);
    EXPECT_EQ(AppStarts(), starts);
    EXPECT_EQ(Original("VersionOriginal"), r.version);
    // The fake setup upgrades the files whenever it runs; the fetched file is deleted after the
    // setup and after a failed token check, and stays when the install was declined.
    const std::string notes = r.notes;
    const bool setupRan = notes.find("42:1") != std::string::npos;
    EXPECT_EQ(ReadWholeFile(dir_ + "version.txt"), setupRan ? "110" : "100");
    const bool fetched = notes.find("41:2") != std::string::npos;
    EXPECT_EQ(GetFileAttributesA((dir_ + file).c_str()) != INVALID_FILE_ATTRIBUTES,
              fetched && !setupRan && std::string(r.setup) != "token");
    PumpUntil([&] { return NotesText(client) == r.notes; }, 10000);
    EXPECT_EQ(NotesText(client), r.notes);
    if (hostile) {
      EXPECT_EQ(ReadWholeFile(decoy), "decoy");
      DeleteFileA(decoy.c_str());
    }
    const std::vector<std::string> setupLog = LogLines(dir_ + "setup.log");
    if (!setupLog.empty()) {
      EXPECT_NE(LogValue(setupLog, "cmd").find("/OriginalInfoFile=\"" + dir_ + "MyApp.info\""), std::string::npos);
      EXPECT_EQ(LogValue(setupLog, "show"), flags.find('B') != std::string::npos ? "0" : "1");
      // The setup's work folder is gone once the update is over.
      const std::string exe = LogValue(setupLog, "exe");
      EXPECT_EQ(GetFileAttributesA(exe.substr(0, exe.find_last_of('\\')).c_str()), INVALID_FILE_ATTRIBUTES);
    }
    CloseAgentCopy();
    EXPECT_TRUE(WaitForSelfDeletion(dir_ + "X_MyAppUpdate.exe", 30000));
    EndRestartedApp();
    if (app != nullptr) {
      TerminateProcess(app, 0);
      CloseHandle(app);
    }
    Cleanup();
  }
}

// An agent that its installer's setup starts while it still runs (as setups commonly do at the
// end) is built with the installer's file time; its work folder is its own all the same, so the
// installer's files survive the agent's start, its check and its end.
TEST_F(AgentUpdateTest, AnAgentStartedDuringItsInstallersSetupLeavesTheInstallersFilesAlone) {
  Prepare();
  const std::string installer = payload_ + "Install.exe";
  auto cfg = LauncherPackageConfig(installer);
  ASSERT_TRUE(WriteWholeFile(dir_ + "payload\readme.txt", "") || CreateDirectoryA((dir_ + "payload").c_str(), nullptr));
  const std::string files = FreshTempDir("agentupdateinstall");
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", files + "fakesetup.exe"));
  ASSERT_TRUE(WriteWholeFile(files + "readme.txt", std::string(3000, 'r')));
  cfg.filesFolder = files;
  cfg.setupName = "fakesetup.exe";
  cfg.setupParams = "/log=\"" + dir_ + "install.log\" /list /stay=8000 /complete";
  cfg.makeAgent = true;
  cfg.agentExe = "MyAppUpdate.exe";
  cfg.infoFile = "MyApp.info";
  cfg.updateUrl = upd_;
  cfg.agentToken = "SECRET";
  ASSERT_TRUE(BuildTestPackage(cfg));
  TraceViewer viewer;
  HANDLE install = StartProcess("\"" + installer + "\"");
  ASSERT_NE(install, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !LogValue(LogLines(dir_ + "install.log"), "show").empty(); }, 30000));
  const std::string setupExe = LogValue(LogLines(dir_ + "install.log"), "exe");
  const std::string work = setupExe.substr(0, setupExe.find_last_of('\\') + 1);
  EXPECT_NE(work.find("\\SETUP_"), std::string::npos) << work;
  // The setup installs the agent the installer built, keeping its file time.
  ASSERT_TRUE(CopyFileTo(work + "MyAppUpdate.exe", dir_ + "MyAppUpdate.exe"));
  const std::string o = dir_ + "MyApp.original";
  WritePrivateProfileStringA("OriginalSetup", "VersionOriginal", "100", o.c_str());
  WritePrivateProfileStringA("OriginalSetup", "ProbeSecondsInterval", "-1", o.c_str());
  ASSERT_TRUE(WriteWholeFile(upd_ + "\\MyApp.info", "[NewSetup]\r\nVersionNew=100\r\nStamp=1\r\n"));
  ASSERT_TRUE(RunAndWait("\"" + dir_ + "MyAppUpdate.exe\" /DELAY=0", 30000).finished);
  ASSERT_TRUE(PumpUntil([] { return AgentWindow() != nullptr; }, 20000));
  PostMessageA(AgentWindow(), 1125, 31, 1);
  EXPECT_TRUE(PumpUntil([&] { return viewer.HasLineContaining(" GetOkToPerformAU=3"); }, 30000));
  CloseAgentCopy();
  EXPECT_EQ(AgentWindow(), nullptr);
  // The installer hands its trace lines to the viewer of this thread: wait with messages flowing.
  EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(install, 0) == WAIT_OBJECT_0; }, 60000));
  CloseHandle(install);
  // Every file the setup saw at its start is still there at its end.
  std::vector<std::string> seen, kept;
  for (const std::string& l : LogLines(dir_ + "install.log")) {
    if (l.rfind("file=", 0) == 0) seen.push_back(l.substr(5));
    if (l.rfind("kept=", 0) == 0) kept.push_back(l.substr(5));
  }
  EXPECT_GE(seen.size(), 3u);  // the setup, the readme and the new agent
  EXPECT_EQ(kept, seen);
  EXPECT_TRUE(WaitForSelfDeletion(dir_ + "X_MyAppUpdate.exe", 30000));
  Cleanup();
}

}  // namespace
