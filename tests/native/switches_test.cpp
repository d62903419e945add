// Command tail and switch reader.
#include <gtest/gtest.h>

#include "text/switches.h"
#include "text/utils.h"

namespace vx {
namespace {

TEST(CommandTail, DropsProgramPathAndQuotes) {
  const std::string exe = "C:\\Program Files\\Vornix\\setup.exe";
  struct Case {
    std::string commandLine;
    const char* tail;
  } const cases[] = {
      {"\"" + exe + "\" /WAIT=5", "/WAIT=5"},
      {exe + " /hide", "/hide"},
      {"\"c:\\program files\\vornix\\SETUP.EXE\" /x", "/x"},  // the path matches in any case
      {"\"" + exe + "\"", ""},
      // The quotes of the arguments stay, so the tail can be passed on as it came.
      {"\"" + exe + "\"  /wait=\"1 2\"", "/wait=\"1 2\""},
      {"\"" + exe + "\" \"/dir=C:\\a b\"", "\"/dir=C:\\a b\""},
      {"\"" + exe + "\" /x /dir=\"C:\\a b\" /SpanDiskFName1=\"E:\\my disk\\s.exe.001\"",
       "/x /dir=\"C:\\a b\" /SpanDiskFName1=\"E:\\my disk\\s.exe.001\""},
      {exe + " \"\"", "\"\""},  // an empty quoted argument
      {"other.exe /a", "other.exe /a"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    EXPECT_EQ(CommandTailOf(c.commandLine, exe), c.tail);
  }
}

TEST(Switches, ValuesPresenceAndNumbers) {
  struct Case {
    const char* tail;
    const char* name;
    const char* value;
    bool present;
    int64_t number;  // SwitchInt with default 7
  } const cases[] = {
      {"/WAIT=5 /hide", "/WAIT=", "5", true, 5},
      {"/wait=\"1 2\" /x", "/WAIT=", "1 2", true, 7},
      {"/wait=\"1 2", "/WAIT=", "1 2", true, 7},  // no closing quote: to the end
      {"/WAIT=C:/x", "/WAIT=", "C:", true, 7},
      {"/WAIT=$1F /x", "/WAIT=", "$1F", true, 31},
      {"/WAIT=-3", "/WAIT=", "-3", true, -3},
      {"/x /hide", "/hide", "TRUE", true, 7},
      {"/hide /x", "/hide", "", true, 7},
      {"/hide  ", "/hide", "", true, 7},
      {"/x /WAIT=", "/WAIT=", "TRUE", true, 7},
      {"/x", "/WAIT=", "", false, 7},
      {"/A=/WAIT=9", "/WAIT=", "9", true, 9},  // the first occurrence wins, even inside a value
      {"/x", "", "", false, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tail) + " " + c.name);
    EXPECT_EQ(SwitchValueIn(c.tail, c.name), c.value);
    EXPECT_EQ(SwitchPresentIn(c.tail, c.name), c.present);
    EXPECT_EQ(SwitchIntIn(c.tail, c.name, 7), c.number);
  }
}

TEST(Switches, ProcessWideSource) {
  const std::string exe = "C:\\Temp\\SETUP_1\\stub.exe";
  SetCommandLineSource("\"" + exe + "\" /WAIT=12 /hide", exe);
  EXPECT_EQ(FullCommandLine(), "\"" + exe + "\" /WAIT=12 /hide");
  EXPECT_EQ(ModulePath(), exe);
  EXPECT_EQ(CommandTail(), "/WAIT=12 /hide");
  EXPECT_EQ(SwitchValue("/wait="), "12");
  EXPECT_EQ(SwitchInt("/WAIT=", 0), 12);
  EXPECT_EQ(SwitchValue("/HIDE"), "TRUE");
  EXPECT_TRUE(SwitchPresent("/hide"));
  EXPECT_FALSE(SwitchPresent("/x"));
  SetCommandLineSource("", "");
  EXPECT_EQ(CommandTail(), "");
}

}  // namespace
}  // namespace vx
