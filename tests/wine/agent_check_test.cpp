// The update agent end to end: an agent built by vxpack, its settings files in its folder, update
// files in a local folder or on the fault server, the real registry for test mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net_support.h"
#include "package_support.h"
#include "test_support.h"
#include "token_encode.h"

using namespace vxtest;

namespace {

const char kCopyClass[] = ".AutoUpdate.X_MyAppUpdate";
const char kInformClass[] = "VRichEditBox";
const char kTestModeKey[] = "Software\\Brevanto\\Vornix\\AutoUpdate";
constexpr UINT kClientMessage = WM_APP + 7;

void SetTestMode(const std::string& mode, const std::string& url) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestModeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "TestMode", 0, REG_SZ, reinterpret_cast<const BYTE*>(mode.c_str()), static_cast<DWORD>(mode.size() + 1));
  RegSetValueExA(key, "TestModeURL", 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()), static_cast<DWORD>(url.size() + 1));
  RegCloseKey(key);
}

void ClearTestMode() { RegDeleteKeyA(HKEY_CURRENT_USER, kTestModeKey); }

HWND AgentWindow() { return FindWindowA(kCopyClass, nullptr); }

void CloseAgentCopy() {
  for (int i = 0; i < 30 && AgentWindow() != nullptr; ++i) {
    PostMessageA(AgentWindow(), WM_CLOSE, 0, 0);
    PumpFor(200);
  }
}

class AgentCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseAgentCopy();
    ClearTestMode();
    dir_ = FreshTempDir("agentcheck");
    upd_ = FreshTempDir("agentupd");
    upd_.pop_back();  // a location is given without a trailing backslash
  }
  void TearDown() override {
    CloseAgentCopy();
    // The ended copy removes itself through the temp folder's batch, which later programs share.
    EXPECT_TRUE(WaitForSelfDeletion(dir_ + "X_MyAppUpdate.exe", 30000));
    ClearTestMode();
    DeleteFileA((WebRoot() + "MyApp.info").c_str());
    DeleteFileA((WebRoot() + "News.txt").c_str());
  }

  void BuildAgent(const std::string& updateUrl) {
    ASSERT_TRUE(BuildTestPackage(AgentPackageConfig(dir_ + "MyAppUpdate.exe", updateUrl)));
  }
  void Original(const char* section, const char* key, const std::string& value) {
    WritePrivateProfileStringA(section, key, value.c_str(), (dir_ + "MyApp.original").c_str());
  }
  std::string OriginalValue(const char* section, const char* key) {
    char buf[256] = {};
    GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf, (dir_ + "MyApp.original").c_str());
    return buf;
  }
  // The original-settings file of an installed version 100 with the message texts.
  void InstallOriginal(const std::string& interval) {
    Original("OriginalSetup", "VersionOriginal", "100");
    Original("OriginalSetup", "ProgramName", "MyApp");
    Original("OriginalSetup", "ProbeSecondsInterval", interval);
    Original("AutoUpdate", "s21", "No news for you");
    Original("AutoUpdate", "s22", "Look for a new PROG_NAME?");
  }
  static void WriteInfo(const std::string& path, const std::string& newSetup, const std::string& more = "") {
    ASSERT_TRUE(WriteWholeFile(path, "[NewSetup]\r\n" + newSetup + more));
  }
  // Starts the agent launcher, which starts the copy with no start delay.
  void StartAgent(const std::string& switches = "") {
    ProcessResult r = RunAndWait("\"" + dir_ + "MyAppUpdate.exe\" /DELAY=0" + switches, 30000);
    ASSERT_TRUE(r.finished);
    ASSERT_TRUE(PumpUntil([] { return AgentWindow() != nullptr; }, 20000));
  }
  bool WaitForLine(TraceViewer& viewer, const std::string& text, DWORD ms = 30000) {
    return PumpUntil([&] { return viewer.HasLineContaining(text); }, ms);
  }
  LRESULT Command(WPARAM command, LPARAM value) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(AgentWindow(), 1125, command, value, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
  }

  std::string dir_, upd_;
};

TEST_F(AgentCheckTest, ScheduledCheckWithNothingNewThenStopByMessage) {
  BuildAgent(upd_);
  InstallOriginal("0");
  WriteInfo(upd_ + "\\MyApp.info", "VersionNew=100\r\nStamp=1\r\n");
  TraceViewer viewer;
  StartAgent();
  ASSERT_TRUE(WaitForLine(viewer, " GetOkToPerformAU=3"));
  EXPECT_TRUE(viewer.HasLineContaining(" ShotTimeStatus=2"));
  EXPECT_TRUE(viewer.HasLineContaining(" DownloadFileAU: TRUE " + upd_ + "\\MyApp.info"));
  EXPECT_FALSE(viewer.HasLineContaining("PerformShot-1"));
  PumpUntil([&] { return GetFileAttributesA((dir_ + "MyApp.info").c_str()) == INVALID_FILE_ATTRIBUTES; }, 5000);
  EXPECT_EQ(GetFileAttributesA((dir_ + "MyApp.info").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(OriginalValue("OriginalSetup", "ProbeSecondsLast"), "<missing>");
  EXPECT_NE(OriginalValue("OriginalSetup", "__ProbeSecondsLast"), "<missing>");
  EXPECT_EQ(OriginalValue("OriginalSetup", "ReAskSecondsLast"), "<missing>");
  EXPECT_EQ(OriginalValue("OriginalSetup", "Stamp"), "<missing>");
  // The single check of an interval of 0 is not repeated; a stop request of 1 ends the agent
  // on the second tick after it.
  PostMessageA(AgentWindow(), 1123, 1, 0);
  EXPECT_TRUE(PumpUntil([] { return AgentWindow() == nullptr; }, 15000));
  int fires = 0;
  for (const std::string& line : viewer.Lines()) fires += line.find(" Fire  ") != std::string::npos;
  EXPECT_EQ(fires, 1);
}

TEST_F(AgentCheckTest, EachChainCodeIsReachedAndAnOfferIsRecorded) {
  BuildAgent(upd_);
  InstallOriginal("-1");
  Original("OriginalSetup", "Stamp", "5");
  TraceViewer viewer;
  StartAgent();
  struct Row {
    const char* name;
    const char* versionOriginal;
    std::string info;  // empty: no update-information file
    bool updatePresent;
    int status;
  };
  const std::string base = "VersionNew=110\r\nDownloadURL_UPDATE=" + upd_ + "\r\nNameOfUpdateFile=Setup110.exe\r\n";
  const Row rows[] = {
      {"no info file", "100", "", false, 0},
      {"installed version 0", "0", base + "Stamp=6\r\nSizeOfUpdateFile=-1\r\n", false, 1},
      {"offer already made", "100", base + "Stamp=5\r\nSizeOfUpdateFile=-1\r\n", false, 2},
      {"nothing newer", "110", base + "Stamp=6\r\nSizeOfUpdateFile=-1\r\n", false, 3},
      {"blank in valid versions", "100", base + "Stamp=6\r\nValidVersions=90, 100\r\nSizeOfUpdateFile=-1\r\n", false, 4},
      {"size -1 with the file present", "100", base + "Stamp=6\r\nValidVersions=90,100\r\nSizeOfUpdateFile=-1\r\n", true, 5},
      {"size -1 with the file absent", "100", base + "Stamp=6\r\nValidVersions=90,100\r\nSizeOfUpdateFile=-1\r\n", false, 6},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    DeleteFileA((upd_ + "\\MyApp.info").c_str());
    DeleteFileA((upd_ + "\\Setup110.exe").c_str());
    if (!r.info.empty()) WriteInfo(upd_ + "\\MyApp.info", r.info);
    if (r.updatePresent) WriteWholeFile(upd_ + "\\Setup110.exe", "MZ");
    Original("OriginalSetup", "VersionOriginal", r.versionOriginal);
    viewer.Clear();
    Command(31, 1);
    ASSERT_TRUE(WaitForLine(viewer, " GetOkToPerformAU="));
    EXPECT_TRUE(viewer.HasLineContaining(" GetOkToPerformAU=" + std::to_string(r.status)));
    if (r.status == 6) {
      EXPECT_TRUE(WaitForLine(viewer, " ==== PerformShot-2 ===="));
    }
    EXPECT_EQ(viewer.HasLineContaining(" ==== PerformShot-1 ===="), r.status == 6);
  }
  EXPECT_EQ(OriginalValue("OriginalSetup", "Stamp"), "6");
  EXPECT_NE(OriginalValue("OriginalSetup", "ReAskSecondsLast"), "<missing>");
  EXPECT_NE(OriginalValue("OriginalSetup", "__ReAskSecondsLast"), "<missing>");
}

TEST_F(AgentCheckTest, InformModeShowsTheNewsAndRecordsTheVersion) {
  const std::string location = FaultServer() + "/plain/agentinform";
  BuildAgent(location);
  InstallOriginal("-1");
  const std::string news = "1|" + vxpack::EncodeToken("SECRET", 11) + "|110|-|<B>MyApp 1.1</B> is out.";
  ASSERT_TRUE(WriteWholeFile(WebRoot() + "News.txt", news));
  WriteInfo(WebRoot() + "MyApp.info",
            "VersionNew=110\r\nStamp=2\r\nDownloadURL_UPDATE=" + location + "\r\n",
            "[General]\r\nAutoInform=01\r\n[AutoInform]\r\nNameOfInformFile=..\\..\\News.txt\r\nSizeOfInformFile=" +
                std::to_string(news.size()) + "\r\nAutoInformW=420\r\nAutoInformH=300\r\n");
  TraceViewer viewer;
  NotificationClient client("vxtest.agentclient", kClientMessage);
  StartAgent();
  SendMessageA(AgentWindow(), 1124, reinterpret_cast<WPARAM>(client.handle()), kClientMessage);
  Command(31, 1);
  HWND dialog = WaitForForeignWindow(kInformClass, 30000);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(AllTexts(dialog).find("MyApp 1.1"), std::string::npos);
  RECT r;
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.right - r.left, 420);
  EXPECT_EQ(Command(7, 0), 2);  // fetching the inform file (the dialog belongs to that step)
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitForLine(viewer, " ==== PerformAutoInform-4 ===="));
  EXPECT_EQ(OriginalValue("OriginalSetup", "VersionOriginal"), "110");
  EXPECT_EQ(ReadWholeFile(dir_ + "News.txt"), news);  // the inform file stays, in the agent's folder
  EXPECT_TRUE(ServedRequests("/plain/agentinform/News.txt").size() >= 1u);
  const std::string parent = dir_.substr(0, dir_.find_last_of('\\', dir_.size() - 2) + 1);
  EXPECT_EQ(GetFileAttributesA((parent + "News.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ServedRequests("/plain/agentinform/MyApp.info").size(), 1u);
  PumpUntil([&] { return client.received.size() >= 6; }, 5000);
  const std::vector<std::pair<WPARAM, LPARAM>> expected = {
      {50, reinterpret_cast<LPARAM>(AgentWindow())}, {51, 1125}, {40, 1}, {40, 2}, {41, 1}, {41, 2}};
  EXPECT_EQ(client.received, expected);
}

TEST_F(AgentCheckTest, InformFileWithAnotherTokenIsDeletedAndReported) {
  const std::string location = FaultServer() + "/plain/agentbadtoken";
  BuildAgent(location);
  InstallOriginal("0");
  const std::string news = "1|" + vxpack::EncodeToken("OTHER", 11) + "|110|-|Fake news";
  ASSERT_TRUE(WriteWholeFile(WebRoot() + "News.txt", news));
  WriteInfo(WebRoot() + "MyApp.info", "VersionNew=110\r\nStamp=2\r\nDownloadURL_UPDATE=" + location + "\r\n",
            "[General]\r\nAutoInform=1\r\n[AutoInform]\r\nNameOfInformFile=News.txt\r\nSizeOfInformFile=" +
                std::to_string(news.size()) + "\r\n");
  TraceViewer viewer;
  StartAgent();
  EXPECT_NE(AnswerNextBox("").find("Bad Secret Token!"), std::string::npos);
  ASSERT_TRUE(WaitForLine(viewer, " ==== PerformShot-2 ===="));
  EXPECT_FALSE(viewer.HasLineContaining("PerformAutoInform-3"));
  EXPECT_EQ(GetFileAttributesA((dir_ + "News.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(OriginalValue("OriginalSetup", "VersionOriginal"), "100");
}

TEST_F(AgentCheckTest, NotFoundPageAsInfoFileEndsWithStatusZero) {
  const std::string location = FaultServer() + "/notfound/agent404";
  BuildAgent(location);
  InstallOriginal("0");
  TraceViewer viewer;
  StartAgent();
  ASSERT_TRUE(WaitForLine(viewer, " GetOkToPerformAU=0"));
  EXPECT_EQ(ServedRequests("/notfound/agent404/MyApp.info").size(), 1u);
  EXPECT_EQ(GetFileAttributesA((dir_ + "MyApp.info").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(AgentCheckTest, TestModeTakesTheRegistryFolderAndAsksWithTheNote) {
  const std::string location = FaultServer() + "/plain/agenttestmode";
  BuildAgent(location);
  InstallOriginal("-1");
  WriteInfo(upd_ + "\\MyApp.info", "VersionNew=100\r\n");
  WriteInfo(WebRoot() + "MyApp.info", "VersionNew=110\r\n");
  SetTestMode("1", upd_);
  TraceViewer viewer;
  StartAgent();
  Command(31, 2);  // an interactive check: asked first, the result shown
  const std::string question = AnswerNextBox("&Yes");
  EXPECT_NE(question.find("Look for a new MyApp?"), std::string::npos) << question;
  EXPECT_NE(question.find("PLEASE NOTE"), std::string::npos) << question;
  EXPECT_NE(AnswerNextBox("").find("No news for you   (3)"), std::string::npos);
  EXPECT_TRUE(viewer.HasLineContaining(" DownloadFileAU: TRUE " + upd_ + "\\MyApp.info"));
  EXPECT_TRUE(viewer.HasLineContaining(" TestMode=TRUE"));
  // With a scheduled interval (an hour here), test mode checks every 5 s.
  Original("OriginalSetup", "ProbeSecondsInterval", "3600");
  viewer.Clear();
  EXPECT_TRUE(PumpUntil(
      [&] {
        int fires = 0;
        for (const std::string& line : viewer.Lines()) fires += line.find(" Fire  ") != std::string::npos;
        return fires >= 2;
      },
      30000));
  EXPECT_TRUE(viewer.HasLineContaining(" DownloadFileAU: TRUE " + upd_ + "\\MyApp.info"));
  EXPECT_TRUE(ServedRequests("/plain/agenttestmode/MyApp.info").empty());
}

TEST_F(AgentCheckTest, InteractiveCheckForwardedByTheLauncherReportsTheCode) {
  BuildAgent(upd_);
  InstallOriginal("-1");
  WriteInfo(upd_ + "\\MyApp.info", "VersionNew=100\r\n");
  TraceViewer viewer;
  StartAgent();
  HANDLE second = StartProcess("\"" + dir_ + "MyAppUpdate.exe\" /TEST=2");
  ASSERT_NE(second, nullptr);
  EXPECT_NE(AnswerNextBox("&Yes").find("Look for a new MyApp?"), std::string::npos);
  const std::string result = AnswerNextBox("");
  EXPECT_NE(result.find("No news for you   (3)"), std::string::npos) << result;
  EXPECT_EQ(result.find("PLEASE NOTE"), std::string::npos);
  WaitForSingleObject(second, 10000);
  CloseHandle(second);
  // Declined: no check at all.
  viewer.Clear();
  Command(31, 2);
  AnswerNextBox("&No");
  PumpFor(2500);
  EXPECT_FALSE(viewer.HasLineContaining(" Fire  "));
}

// The agent's folder refuses the fetched file (here a folder of that name stands in its way): the
// check ends with status 0 and says so, nothing is left behind, the agent keeps running.
TEST_F(AgentCheckTest, UnwritableFolderEndsTheCheckWithAClearError) {
  BuildAgent(upd_);
  InstallOriginal("-1");
  WriteInfo(upd_ + "\\MyApp.info", "VersionNew=110\r\nStamp=1\r\n");
  ASSERT_TRUE(CreateDirectoryA((dir_ + "MyApp.info").c_str(), nullptr));
  TraceViewer viewer;
  StartAgent();
  Command(31, 2);
  AnswerNextBox("&Yes");
  const std::string error = AnswerNextBox("");
  EXPECT_NE(error.find("Unable to Write File!"), std::string::npos) << error;
  EXPECT_NE(error.find(dir_ + "MyApp.info"), std::string::npos) << error;
  EXPECT_TRUE(viewer.HasLineContaining(" DownloadFileAU: cannot write " + dir_ + "MyApp.info"));
  EXPECT_TRUE(viewer.HasLineContaining(" GetOkToPerformAU=0"));
  EXPECT_NE(AgentWindow(), nullptr);
  EXPECT_TRUE(FilesStartingWith(dir_, "MyApp.info").empty());  // only the folder in the way
  // A later check, once the way is clear, works.
  RemoveDirectoryA((dir_ + "MyApp.info").c_str());
  viewer.Clear();
  Command(31, 1);
  EXPECT_TRUE(WaitForLine(viewer, " GetOkToPerformAU=5"));
}

TEST_F(AgentCheckTest, RemoteCommandsReachTheSettingsAndStopEndsTheAgent) {
  BuildAgent(upd_);
  InstallOriginal("-1");
  Original("OriginalSetup", "ReAskSecondsInterval", "77");
  StartAgent();
  EXPECT_EQ(Command(4, 0), 100);
  EXPECT_EQ(Command(5, 0), 0);  // no update-information file outside a check
  EXPECT_EQ(Command(7, 0), 0);
  EXPECT_EQ(Command(8, 0), -1);
  EXPECT_EQ(Command(9, 0), 77);
  Command(12, -1);
  Command(13, 3600);
  Command(14, 1000000);
  EXPECT_EQ(Command(10, 0), 1000000);
  EXPECT_EQ(OriginalValue("OriginalSetup", "ProbeSecondsInterval"), "-1");
  EXPECT_EQ(OriginalValue("OriginalSetup", "ReAskSecondsInterval"), "3600");
  EXPECT_NE(OriginalValue("OriginalSetup", "__ProbeSecondsLast"), "<missing>");
  Command(30, 0);
  EXPECT_TRUE(PumpUntil([] { return AgentWindow() == nullptr; }, 15000));
}

}  // namespace
