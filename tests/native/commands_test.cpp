#include <gtest/gtest.h>

#include <vector>

#include "launcher/commands.h"
#include "text/switches.h"
#include "text/utils.h"

namespace {

// Arguments after the program, split as the C runtime splits a command line: blanks and tabs
// separate arguments outside quotes; a double quote toggles quoting, except that 2n backslashes
// before it give n backslashes and 2n+1 give n and a literal quote; "" inside quotes is a quote.
std::vector<std::string> SplitArguments(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  bool first = true;
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '\\') {
        size_t n = 0;
        while (i < line.size() && line[i] == '\\') ++n, ++i;
        if (i < line.size() && line[i] == '"') {
          arg.append(n / 2, '\\');
          if (n % 2 == 1) arg += line[i++];
        } else {
          arg.append(n, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    if (!first) args.push_back(arg);
    first = false;
  }
  return args;
}

TEST(SplitArguments, CRuntimeRules) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitArguments("p a  \"b c\" d\"e f\"g"), (V{"a", "b c", "de fg"}));
  EXPECT_EQ(SplitArguments("p a\\\\\"b c\" a\\\"b a\\b"), (V{"a\\b c", "a\"b", "a\\b"}));
}

// Every switch the launcher adds is one argument with its value, whatever blanks the paths
// hold and whatever the tail and the package's parameters look like.
TEST(SetupCommand, EverySwitchIsOneArgument) {
  using V = std::vector<std::string>;
  struct Case {
    const char* what;
    const char* work;
    const char* runCommand;
    const char* tail;
    const char* own;
    bool agent;
    V expected;
  } cases[] = {
      {"plain", "C:\\T\\SETUP_1", "setup.exe", "/x", "C:\\dl\\s.exe", false,
       {"/x", "/TH_ID=_5", "/OriginExe=C:\\dl\\s.exe"}},
      {"blanks everywhere", "C:\\my temp\\SETUP_1", "setup.exe* /y", "/x", "C:\\My Files\\my setup.exe", true,
       {"/x", "/y", "/TH_ID=_5", "/OriginExe=C:\\My*Files\\my*setup.exe", "/AutoUpdateProg"}},
      {"quoted value at the end of the tail", "C:\\T\\SETUP_1", "setup.exe* /y", "/x /dir=\"C:\\a b\"",
       "C:\\dl\\s.exe", false, {"/x", "/dir=C:\\a b", "/y", "/TH_ID=_5", "/OriginExe=C:\\dl\\s.exe"}},
      {"relay tail", "C:\\my temp\\SETUP_1", "setup.exe* /log=\"C:\\a b.log\"",
       "/SpanCdLvl=2 /SpanDiskFName1=\"E:\\my disk\\s.exe.001\"", "C:\\my temp\\SETUP_1\\Y_s.exe", false,
       {"/SpanCdLvl=2", "/SpanDiskFName1=E:\\my disk\\s.exe.001", "/log=C:\\a b.log", "/TH_ID=_5",
        "/OriginExe=C:\\my*temp\\SETUP_1\\Y_s.exe"}},
      {"unclosed quote in the tail", "C:\\T\\SETUP_1", "setup.exe* /y", "/dir=\"C:\\a b", "C:\\dl\\s.exe", false,
       {"/dir=C:\\a b", "/y", "/TH_ID=_5", "/OriginExe=C:\\dl\\s.exe"}},
      {"unclosed quote after a backslash", "C:\\T\\SETUP_1", "setup.exe", "/dir=\"C:\\a b\\", "C:\\dl\\s.exe",
       false, {"/dir=C:\\a b\\", "/TH_ID=_5", "/OriginExe=C:\\dl\\s.exe"}},
      {"unclosed quote in the package's parameters", "C:\\T\\SETUP_1", "setup.exe* /log=\"C:\\a b", "/x",
       "C:\\dl\\s.exe", false, {"/x", "/log=C:\\a b", "/TH_ID=_5", "/OriginExe=C:\\dl\\s.exe"}},
      {"escaped quote stays in its argument", "C:\\T\\SETUP_1", "setup.exe", "/t=\\\"x /y", "C:\\dl\\s.exe",
       false, {"/t=\"x", "/y", "/TH_ID=_5", "/OriginExe=C:\\dl\\s.exe"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto cmd = vx::BuildSetupCommand(c.work, c.runCommand, c.tail, "_5", c.own, c.agent);
    EXPECT_EQ(SplitArguments(cmd.commandLine), c.expected) << cmd.commandLine;
    EXPECT_EQ(cmd.commandLine.compare(0, cmd.programPath.size() + 3, "\"" + cmd.programPath + "\" "), 0);
  }
}

TEST(RelayCommand, EverySwitchIsOneArgument) {
  using V = std::vector<std::string>;
  struct Case {
    const char* tail;
    V expected;
  } cases[] = {
      {"", {"/SpanCdLvl=2", "/SpanDiskFName1=E:\\my disk\\my setup.exe.001"}},
      {"/x /dir=\"C:\\a b\"", {"/x", "/dir=C:\\a b", "/SpanCdLvl=2", "/SpanDiskFName1=E:\\my disk\\my setup.exe.001"}},
      {"/dir=\"C:\\a b", {"/dir=C:\\a b", "/SpanCdLvl=2", "/SpanDiskFName1=E:\\my disk\\my setup.exe.001"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tail);
    const std::string line = vx::RelayCommandLine("C:\\my temp\\SETUP_1\\Y_my setup.exe", c.tail,
                                                  "E:\\my disk\\my setup.exe");
    EXPECT_EQ(SplitArguments(line), c.expected) << line;
    EXPECT_EQ(line.find("  "), std::string::npos) << line;  // no double blank, with or without tail
  }
}

// The whole chain of a spanned install: the user's command line, the relay copy's, the setup's.
TEST(RelayCommand, SetupOfTheRelayCopyGetsEverySwitchAsOneArgument) {
  using V = std::vector<std::string>;
  struct Case {
    const char* userTail;
    V expected;
  } cases[] = {
      {"", {"/SpanCdLvl=2", "/SpanDiskFName1=E:\\my disk\\my setup.exe.001", "/log=C:\\a b.log", "/TH_ID=_5",
            "/OriginExe=C:\\my*temp\\SETUP_1\\Y_my*setup.exe"}},
      {"/x /dir=\"C:\\a b\"",
       {"/x", "/dir=C:\\a b", "/SpanCdLvl=2", "/SpanDiskFName1=E:\\my disk\\my setup.exe.001", "/log=C:\\a b.log",
        "/TH_ID=_5", "/OriginExe=C:\\my*temp\\SETUP_1\\Y_my*setup.exe"}},
  };
  const std::string launcher = "E:\\my disk\\my setup.exe";
  const std::string relay = "C:\\my temp\\SETUP_1\\Y_my setup.exe";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.userTail);
    const std::string userLine = "\"" + launcher + "\" " + c.userTail;
    const std::string relayLine = vx::RelayCommandLine(relay, vx::CommandTailOf(userLine, launcher), launcher);
    const std::string relayTail = vx::CommandTailOf(relayLine, relay);
    EXPECT_EQ(vx::SwitchValueIn(relayTail, "/SpanDiskFName1="), launcher + ".001");
    const auto cmd = vx::BuildSetupCommand("C:\\my temp\\SETUP_1", "fakesetup.exe* /log=\"C:\\a b.log\"", relayTail,
                                           "_5", relay, false);
    EXPECT_EQ(SplitArguments(cmd.commandLine), c.expected) << cmd.commandLine;
  }
}

TEST(AgentCopy, EverySwitchIsOneArgument) {
  using V = std::vector<std::string>;
  struct Case {
    const char* transient;
    const char* delay;
    V expected;
  } cases[] = {
      {"|1|0|", "5", {"/TRANSIENTx=|1|0|", "/SleepX=5"}},
      {"|1| 0|", "", {"/TRANSIENTx=|1| 0|"}},      // a value given quoted keeps its blank
      {"|1|/0|", "7", {"/TRANSIENTx=|1|/0|", "/SleepX=7"}},
      {"|1\"|", "5", {"/TRANSIENTx=|1|", "/SleepX=5"}},  // a quote cannot be carried: dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.transient);
    const std::string params = vx::AgentCopyParameters(c.transient, c.delay);
    EXPECT_EQ(SplitArguments("\"C:\\my dir\\X_a.exe\"" + params), c.expected) << params;
    // The copy reads them back with the switch reader.
    EXPECT_EQ(vx::SwitchValueIn(vx::Trim(params), "/TRANSIENTx="), c.expected[0].substr(12));
  }
}

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
  EXPECT_EQ(vx::RelayCommandLine("C:\\T\\SETUP_1\\Y_setup.exe", "", "E:\\setup.exe"),
            "\"C:\\T\\SETUP_1\\Y_setup.exe\" /SpanCdLvl=2 /SpanDiskFName1=\"E:\\setup.exe.001\"");
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
    const vx::ControlMessages got = vx::ControlMessagesFor(c.stop, c.wm, c.test, c.agentWindow);
    EXPECT_EQ(std::vector<M>(got.begin(), got.end()), c.expected);
  }
}

}  // namespace
