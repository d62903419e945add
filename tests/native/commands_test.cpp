#include <gtest/gtest.h>

#include "launcher/commands.h"

namespace {

TEST(SetupCommand, RunCommandAndTail) {
  struct Case {
    const char* runCommand;
    const char* tail;
    const char* program;
    const char* params;  // text between the quoted program and " /TH_ID="
  } cases[] = {
      {"setup.exe* /y", "/x", "setup.exe", " /x /y"},
      {"setup.exe", "/x", "setup.exe", " /x"},
      {"setup.exe", "", "setup.exe", ""},
      {" setup.exe *  /a /b ", "", "setup.exe", " /a /b"},
      {"bin\\install.exe*", " /q ", "bin\\install.exe", " /q"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.runCommand);
    auto cmd = vx::BuildSetupCommand("C:\\T\\SETUP_7", c.runCommand, c.tail, "_42", "C:\\dl\\s.exe", false);
    EXPECT_EQ(cmd.programPath, std::string("C:\\T\\SETUP_7\\") + c.program);
    EXPECT_EQ(cmd.commandLine, "\"" + cmd.programPath + "\"" + c.params +
                                   " /TH_ID=_42 /OriginExe=C:\\dl\\s.exe");
  }
}

TEST(SetupCommand, OriginWithBlanksAndAgentSwitch) {
  auto cmd = vx::BuildSetupCommand("C:\\Documents and Settings\\T\\SETUP_1", "setup.exe", "", "_9",
                                   "C:\\My Files\\setup.exe", true);
  EXPECT_EQ(cmd.commandLine,
            "\"C:\\Documents and Settings\\T\\SETUP_1\\setup.exe\" /TH_ID=_9 "
            "/OriginExe=C:\\My*Files\\setup.exe /AutoUpdateProg");
}

TEST(SetupCommand, HandshakeNames) {
  EXPECT_EQ(vx::ThreadTag(1234), "_1234");
  EXPECT_EQ(vx::CompletionAtomName("_1234"), "AutoUpdateAtomTokenByVornix_1234");
  EXPECT_EQ(vx::SetupDialogClass("_1234"), ".SDialog_Class_Name._1234");
}

TEST(RelayCommand, QuotesBothPaths) {
  EXPECT_EQ(vx::RelayCommandLine("C:\\T\\SETUP_1\\Y_setup.exe", "/x", "E:\\my disk\\setup.exe"),
            "\"C:\\T\\SETUP_1\\Y_setup.exe\" /x /SpanCdLvl=2 /SpanDiskFName1=\"E:\\my disk\\setup.exe.001\"");
}

TEST(AgentCopy, Parameters) {
  EXPECT_EQ(vx::AgentCopyParameters("", ""), "");
  EXPECT_EQ(vx::AgentCopyParameters("|1|0|", "5"), " /TRANSIENTx=|1|0| /SleepX=5");
  EXPECT_EQ(vx::AgentCopyParameters("", "5"), " /SleepX=5");
}

TEST(ControlSwitches, Table) {
  using M = vx::ControlMessage;
  struct Case {
    const char* what;
    int64_t stop;
    const char* wm;
    int64_t test;
    bool agentWindow;
    std::vector<M> expected;
  } cases[] = {
      {"nothing", -1, "", -1, true, {}},
      {"stop 0", 0, "", -1, true, {{1123, 0, 0}}},
      {"client", -1, "1234:567", -1, true, {{1124, 1234, 567}}},
      {"client not numbers", -1, "abc", -1, true, {{1124, 0, 0}}},
      {"test 0 with agent", -1, "", 0, true, {{1125, 31, 0}}},
      {"test 2 without agent", -1, "", 2, false, {{1125, 31, 2}, {1123, 2, 0}}},
      {"test negative", -1, "", -5, false, {}},
      {"all", 3, "1:2", 1, true, {{1123, 3, 0}, {1124, 1, 2}, {1125, 31, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vx::ControlMessagesFor(c.stop, c.wm, c.test, c.agentWindow), c.expected);
  }
}

}  // namespace
