// Where a running agent copy keeps its settings: beside itself when it may write there, else in
// a per-user folder seeded from the installed original-settings file. Wine lets every user
// write everywhere, so the launcher's test build plays the write-protected installation folder
// (VX_SEAM_READONLY) that a standard user meets under Program Files.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "agent/agent_folder.h"
#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

constexpr const char* kCopyClass = ".AutoUpdate.X_FolderAgent";

std::string IniText(const std::string& file, const char* section, const char* key) {
  char buf[256] = {};
  GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf, file.c_str());
  return buf;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string LocalAppData() {
  char buf[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buf)) ? buf : "";
}

// Moves the file's last-write time on by an hour, as a later installation would.
void Touch(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  ULARGE_INTEGER u;
  u.LowPart = t.dwLowDateTime;
  u.HighPart = t.dwHighDateTime;
  u.QuadPart += 36000000000ull;
  t.dwLowDateTime = u.LowPart;
  t.dwHighDateTime = u.HighPart;
  SetFileTime(h, nullptr, nullptr, &t);
  CloseHandle(h);
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string n = fd.cFileName;
      if (n != "." && n != "..") DeleteFileA((folder + n).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

class AgentFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = FreshTempDir("agent folder install");
    auto cfg = LauncherPackageConfig(install_ + "FolderAgent.exe");
    cfg.launcher = TestBinDir() + "vxstub_seams.exe";
    cfg.agent = true;
    cfg.agentExe = "FolderAgent.exe";
    cfg.agentToken = "SECRET";
    cfg.infoFile = "folderapp.inf";
    ASSERT_TRUE(BuildTestPackage(cfg));
    installed_ = install_ + "folderapp.original";
    ASSERT_TRUE(WriteWholeFile(installed_, "[OriginalSetup]\r\nVersionOriginal=7\r\n"));
    const std::string local = LocalAppData();
    ASSERT_FALSE(local.empty());
    perUser_ = vx::PerUserAgentFolder(local, install_, "FolderAgent.exe");
    RemoveTree(perUser_);
  }
  // Set up to the end or not at all: an empty path would name the current folder.
  void TearDown() override {
    if (!perUser_.empty()) RemoveTree(perUser_);
  }

  // Starts an agent copy, runs the commands (message 1125) and closes it; the answers in order.
  // An agent copy deletes its own file when it ends: each run makes a new copy and waits until
  // the old one is gone for good.
  std::vector<LRESULT> RunCopy(const std::vector<std::pair<WPARAM, LPARAM>>& commands) {
    std::vector<LRESULT> answers;
    const std::string copyExe = install_ + "X_FolderAgent.exe";
    EXPECT_TRUE(CopyFileTo(install_ + "FolderAgent.exe", copyExe));
    HANDLE process = StartProcess("\"" + copyExe + "\"");
    EXPECT_NE(process, nullptr);
    if (process == nullptr) return answers;
    HWND wnd = nullptr;
    PumpUntil([&] { return (wnd = FindWindowA(kCopyClass, nullptr)) != nullptr; }, 20000);
    EXPECT_NE(wnd, nullptr);
    for (const auto& c : commands) {
      DWORD_PTR result = 0xDEAD;
      if (wnd != nullptr) SendMessageTimeoutA(wnd, 1125, c.first, c.second, SMTO_NORMAL, 5000, &result);
      answers.push_back(static_cast<LRESULT>(result));
    }
    for (int i = 0; i < 3 && wnd != nullptr && IsWindow(wnd); ++i) PostMessageA(wnd, WM_CLOSE, 0, 0);
    if (!PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 15000))
      TerminateProcess(process, 1);
    CloseHandle(process);
    EXPECT_TRUE(WaitForSelfDeletion(copyExe, 20000));
    return answers;
  }

  std::string install_, installed_, perUser_;
};

TEST_F(AgentFolderTest, WritableInstallationFolderHoldsTheSettingsAsBefore) {
  // Command 4 reads VersionOriginal, 12 writes ProbeSecondsInterval.
  EXPECT_EQ(RunCopy({{4, 0}, {12, 3600}}), (std::vector<LRESULT>{7, 0}));
  EXPECT_EQ(IniText(installed_, "OriginalSetup", "ProbeSecondsInterval"), "3600");
  EXPECT_FALSE(Exists(perUser_));
}

TEST_F(AgentFolderTest, ProtectedInstallationFolderSendsTheSettingsToAPerUserCopy) {
  ScopedEnvironment readOnly("VX_SEAM_READONLY", install_);
  const std::string copy = perUser_ + "folderapp.original";
  EXPECT_EQ(perUser_.find(LocalAppData() + "\\Vornix\\AutoUpdate\\FolderAgent_"), 0u) << perUser_;

  // First start: the copy is seeded from the installed file, and the agent writes only there.
  EXPECT_EQ(RunCopy({{4, 0}, {12, 3600}}), (std::vector<LRESULT>{7, 0}));
  ASSERT_TRUE(Exists(copy));
  EXPECT_EQ(IniText(copy, "OriginalSetup", "ProbeSecondsInterval"), "3600");
  EXPECT_NE(IniText(copy, "AgentFolder", "InstalledFileTime"), "<missing>");
  EXPECT_EQ(IniText(installed_, "OriginalSetup", "ProbeSecondsInterval"), "<missing>");
  EXPECT_EQ(ReadWholeFile(installed_), "[OriginalSetup]\r\nVersionOriginal=7\r\n");

  // A later start with the installation unchanged keeps the agent's own values.
  EXPECT_EQ(RunCopy({{4, 0}, {8, 0}}), (std::vector<LRESULT>{7, 3600}));

  // A new installation rewrote the installed file: the copy is made again from it.
  ASSERT_TRUE(WriteWholeFile(installed_, "[OriginalSetup]\r\nVersionOriginal=8\r\n"));
  Touch(installed_);
  EXPECT_EQ(RunCopy({{4, 0}, {8, 0}}), (std::vector<LRESULT>{8, 0}));
  EXPECT_EQ(IniText(copy, "OriginalSetup", "VersionOriginal"), "8");
}

}  // namespace
