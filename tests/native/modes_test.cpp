#include <gtest/gtest.h>

#include "launcher/modes.h"
#include "text/paths.h"

using vx::ModeInputs;
using vx::RunMode;

namespace {

struct ModeCase {
  const char* what;
  bool agentFlag;
  bool spanFlag;
  const char* ownPath;
  int64_t spanCdLvl;
  RunMode expected;
  bool spanCopy;
};

TEST(RunModeDecision, Table) {
  const ModeCase cases[] = {
      {"plain installer", false, false, "C:\\dl\\setup.exe", 1, RunMode::Installer, false},
      {"agent under its name", true, false, "C:\\app\\MyAppUpdate.exe", 1, RunMode::AgentLauncher, false},
      {"agent name, other case, trailing blank", true, false, "C:\\app\\myappupdate.exe ", 1,
       RunMode::AgentLauncher, false},
      {"agent copy", true, false, "C:\\app\\X_MyAppUpdate.exe", 1, RunMode::AgentCopy, false},
      {"agent flag, other name", true, false, "C:\\app\\Other.exe", 1, RunMode::Installer, false},
      {"agent name without agent flag", false, false, "C:\\app\\MyAppUpdate.exe", 1, RunMode::Installer, false},
      {"span disk first start", false, true, "E:\\setup.exe", 1, RunMode::SpanRelay, false},
      {"span relay copy", false, true, "C:\\t\\Y_setup.exe", 2, RunMode::Installer, true},
      {"span flag, level 3", false, true, "E:\\setup.exe", 3, RunMode::Installer, false},
      {"level 2 without span flag", false, false, "C:\\setup.exe", 2, RunMode::Installer, true},
      {"agent wins over span", true, true, "C:\\app\\MyAppUpdate.exe", 1, RunMode::AgentLauncher, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ModeInputs in;
    in.agentFlag = c.agentFlag;
    in.spanFlag = c.spanFlag;
    in.ownPath = c.ownPath;
    in.agentExeName = "MyAppUpdate.exe";
    in.spanCdLvl = c.spanCdLvl;
    EXPECT_EQ(vx::DecideRunMode(in), c.expected);
    EXPECT_EQ(vx::IsSpanCopyMode(in), c.spanCopy);
    // Exactly one of the four mode tests holds, and it agrees with the decision.
    int held = vx::IsAgentLauncherMode(in) + vx::IsAgentCopyMode(in) + vx::IsSpanRelayMode(in);
    EXPECT_LE(held, 1);
  }
}

TEST(RunModeDecision, WindowClassNames) {
  EXPECT_EQ(vx::WindowClassNameFor(false, "C:\\dl\\setup.exe"), "C:\\dl\\setup.exe");
  EXPECT_EQ(vx::WindowClassNameFor(true, "C:\\app\\X_MyAppUpdate.exe"), ".AutoUpdate.X_MyAppUpdate");
  EXPECT_EQ(vx::WindowClassNameFor(true, "C:\\app\\Other.exe"), ".AutoUpdate.Other");
  // The class an agent copy registers is the one the agent-window test looks for.
  EXPECT_EQ(vx::AgentCopyClassName("MyAppUpdate.exe"),
            vx::WindowClassNameFor(true, "C:\\any\\X_MyAppUpdate.exe"));
  EXPECT_EQ(vx::AgentCopyClassName("My.App.Update.exe"), ".AutoUpdate.X_My.App.Update");
}

TEST(RunModeDecision, WorkFolderUsesTheTimeOfDayWord) {
  // 10 December 2026 13:05:08 in DOS form: date word in the high half, time word in the low half.
  const uint32_t date = ((2026 - 1980) << 9) | (12 << 5) | 10;
  const uint32_t time = (13 << 11) | (5 << 5) | (8 / 2);
  EXPECT_EQ(vx::WorkFolderName("C:\\T\\", true, (date << 16) | time), "C:\\T\\SETUP_" + std::to_string(time));
  EXPECT_EQ(vx::WorkFolderName("C:\\T\\", false, 0), "C:\\T\\SETUP_65535");
  // An agent process of the same build keeps the name and adds its process id.
  EXPECT_EQ(vx::WorkFolderName("C:\\T\\", true, (date << 16) | time, 4242),
            "C:\\T\\SETUP_" + std::to_string(time) + "_4242");
}

TEST(RunModeDecision, PathParts) {
  EXPECT_EQ(vx::FileNamePart("C:\\a b\\c.d.exe"), "c.d.exe");
  EXPECT_EQ(vx::FolderPart("C:\\a b\\c.d.exe"), "C:\\a b\\");
  EXPECT_EQ(vx::NameWithoutExt("c.d.exe"), "c.d");
  EXPECT_EQ(vx::NameWithoutExt("noext"), "noext");
}

}  // namespace
