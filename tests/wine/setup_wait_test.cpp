// The launcher waits for a setup that keeps running (no dialog) through its process, and only
// removes the work folder after that process has ended: also when the setup is a process the
// launcher cannot inspect (a 64-bit or elevated one), played by the launcher's test build.
#include <gtest/gtest.h>

#include <algorithm>

#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

// "key=value" lines of the fake setup's log, in order.
// The text after "Pid=" on the first trace line that carries it; "missing" when none does.
std::string TracedPid(const TraceViewer& viewer) {
  for (const auto& l : viewer.Lines()) {
    const size_t at = l.find("Pid=");
    if (at != std::string::npos) return l.substr(at + 4);
  }
  return "missing";
}

TEST(SetupWaitTest, LauncherWaitsForTheRunningSetupProcessBeforeRemovingItsFiles) {
  const std::string dir = FreshTempDir("setup_wait");
  const std::string payload = FreshTempDir("setup_wait_payload");
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload + "fakesetup.exe"));
  CreateDirectoryA((payload + "data").c_str(), nullptr);
  ASSERT_TRUE(WriteWholeFile(payload + "data\\readme.txt", std::string(700, 'r')));
  const std::string log = dir + "setup.log";
  auto cfg = LauncherPackageConfig(dir + "Setup.exe");
  cfg.filesFolder = payload;
  cfg.setupName = "fakesetup.exe";
  cfg.setupParams = "/log=\"" + log + "\" /complete /stay=2500";
  ASSERT_TRUE(BuildTestPackage(cfg));

  TraceViewer viewer;
  ProcessResult r = RunAndWait("\"" + dir + "Setup.exe\"", 60000);
  ASSERT_TRUE(r.finished);
  PumpFor(100);

  // The setup had ended (its last line written) when the launcher ended.
  const auto lines = LogLines(log);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "setup=end");
  // The launcher found the setup's own process while it ran...
  const std::string pid = LogValue(lines, "pid");
  ASSERT_FALSE(pid.empty());
  EXPECT_EQ(TracedPid(viewer), pid);
  // ...so the setup's files were all still there at the end of its run.
  std::vector<std::string> kept;
  for (const auto& l : lines)
    if (l.compare(0, 5, "kept=") == 0) kept.push_back(l.substr(5));
  std::sort(kept.begin(), kept.end());
  const std::string setupSize = std::to_string(ReadWholeFile(payload + "fakesetup.exe").size());
  EXPECT_EQ(kept, (std::vector<std::string>{"data\\readme.txt:700", "fakesetup.exe:" + setupSize}));
  // And afterwards the launcher removed the work folder.
  const std::string exe = LogValue(lines, "exe");
  EXPECT_EQ(GetFileAttributesA(exe.substr(0, exe.find_last_of('\\')).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SetupWaitTest, SetupsTheLauncherCannotInspectAreWaitedForThroughTheirProcessHandle) {
  struct Case {
    const char* what;
    const char* seam;
    bool foundByPath;  // the lookup by path still finds the setup (its image path)
  } cases[] = {
      {"modules unreadable, as for a 64-bit or elevated setup", "hidemodules", true},
      {"no process can be opened at all", "hideprocesses", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = FreshTempDir("setup_wait_seam");
    const std::string payload = FreshTempDir("setup_wait_seam_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload + "fakesetup.exe"));
    ASSERT_TRUE(WriteWholeFile(payload + "readme.txt", std::string(300, 'r')));
    const std::string log = dir + "setup.log";
    auto cfg = LauncherPackageConfig(dir + "Setup.exe");
    cfg.launcher = TestBinDir() + "vxstub_seams.exe";
    cfg.filesFolder = payload;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log + "\" /complete /stay=2500";
    ASSERT_TRUE(BuildTestPackage(cfg));

    ScopedEnvironment seam("VX_SEAM", c.seam);
    TraceViewer viewer;
    ProcessResult r = RunAndWait("\"" + dir + "Setup.exe\"", 60000);
    ASSERT_TRUE(r.finished);
    PumpFor(100);

    const auto lines = LogLines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "setup=end");
    const std::string pid = LogValue(lines, "pid");
    ASSERT_FALSE(pid.empty());
    EXPECT_EQ(TracedPid(viewer), c.foundByPath ? pid : "0");
    // The setup's files were all there at the end of its run, and gone after the launcher's.
    std::vector<std::string> kept;
    for (const auto& l : lines)
      if (l.compare(0, 5, "kept=") == 0) kept.push_back(l.substr(5));
    std::sort(kept.begin(), kept.end());
    const std::string setupSize = std::to_string(ReadWholeFile(payload + "fakesetup.exe").size());
    EXPECT_EQ(kept, (std::vector<std::string>{"fakesetup.exe:" + setupSize, "readme.txt:300"}));
    const std::string exe = LogValue(lines, "exe");
    EXPECT_EQ(GetFileAttributesA(exe.substr(0, exe.find_last_of('\\')).c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

}  // namespace
