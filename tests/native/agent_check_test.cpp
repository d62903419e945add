#include <gtest/gtest.h>

#include <string>

#include "agent/agent_host.h"
#include "agent/agent_state.h"
#include "agent/check_chain.h"
#include "agent/settings.h"
#include "agent_host_fake.h"
#include "fake_platform.h"
#include "settings_fake.h"
#include "text/scramble.h"
#include "text/utils.h"
#include "token_encode.h"

using namespace vx;
using vxtest::FakeAgentHost;
using vxtest::FakePlatform;
using vxtest::FakeSettingsStore;
using vxtest::SettingsFixtureScope;

namespace {

TEST(AgentFetchName, OnlyTheFileNamePartOfAnUsableNameIsKept) {
  struct Case {
    const char* name;
    const char* saved;  // "" : nothing is fetched
  };
  const Case cases[] = {
      {"App.info", "App.info"},
      {"sub\\App.info", "App.info"},
      {"..\\..\\x.exe", "x.exe"},
      {"../../x.exe", "x.exe"},
      {"C:\\Windows\\system32\\x.dll", "x.dll"},
      {"http://host/dir/setup.exe", "setup.exe"},
      {"C:x.exe", "x.exe"},
      {"x.exe:stream", "stream"},
      {"..", ""},
      {".", ""},
      {"...", ""},
      {" . ", ""},
      {"dir\\", ""},
      {"", ""},
      {"a*b.exe", ""},
      {"a?.exe", ""},
      {"a<b", ""},
      {"a|b", ""},
      {"a\"b", ""},
      {"a\tb", ""},
      {"CON", ""},
      {"nul.txt", ""},
      {"..\\COM1", ""},
      {"lpt9.exe", ""},
      {"COM\xB9", ""},         // superscript digits: reserved too
      {"lpt\xB2.exe", ""},
      {"..\\LPT\xB3.info", ""},
      {"COM\xB4", "COM\xB4"},  // not a digit
      {"COM0.exe", ""},  // COM0 and LPT0 are device names too
      {"lpt0", ""},
      {"COM10", "COM10"},
      {"CONSOLE.exe", "CONSOLE.exe"},
      {".hidden", ".hidden"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FetchFileName(c.name), c.saved);
  }
}

TEST(AgentInformFile, FieldsAreCutAtBars) {
  struct Case {
    const char* content;
    const char* token;
    const char* text;
  };
  const Case cases[] = {
      {"v1|TOKEN|x|y|Hello <B>you</B>", "TOKEN", "Hello <B>you</B>"},
      {"v1|TOKEN|x|y|a|b", "TOKEN", "a|b"},
      {"|T||||", "T", "|"},
      {"no bars at all", "", "no bars at all"},
      {"v1|TOKEN", "", "TOKEN"},  // a missing bar leaves the rest as the text
      {"v1|TOKEN|x", "TOKEN", "x"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    const InformFile f = ParseInformFile(c.content);
    EXPECT_EQ(f.token, c.token);
    EXPECT_EQ(f.text, c.text);
  }
}

TEST(AgentInformFile, ScrambledFilesAreReadUnscrambled) {
  const std::string plain = "v1|TOKEN|x|y|News";
  const String scrambled = ScrambleValue(String(plain), true);
  ASSERT_EQ(std::string(scrambled).substr(0, 12), "Scrambled=01");
  const InformFile f = ParseInformFile(scrambled);
  EXPECT_EQ(f.token, "TOKEN");
  EXPECT_EQ(f.text, "News");
}

TEST(AgentInformFile, TokenMustDecodeToTheAgentToken) {
  const std::string stored = vxpack::EncodeToken("SECRET", 7);
  const std::string other = vxpack::EncodeToken("OTHER", 7);
  struct Case {
    std::string content;
    bool matches;
  };
  const Case cases[] = {
      {"1|" + stored + "|a|b|News", true},
      {std::string(ScrambleValue(String("1|" + stored + "|a|b|News"), true)), true},
      {"1|" + other + "|a|b|News", false},
      {"1|SECRET|a|b|News", false},  // the plain token is not the stored form
      {"1|" + stored.substr(2) + "|a|b|News", false},
      {stored, false},  // no bars: empty token
  };
  const std::string own = vxpack::EncodeToken("SECRET", 8);  // the agent's, spelt otherwise
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    EXPECT_EQ(InformTokenMatches(c.content, own), c.matches);
  }
}

// One row of the chain: the stored state, the offer and what is reachable.
struct ChainCase {
  const char* name;
  bool infoObtained;
  const char* versionOriginal;
  const char* versionNew;
  const char* stampOriginal;
  const char* stampNew;
  int64_t reAskInterval;
  int64_t reAskAgo;  // seconds before now of ReAskSecondsLast
  bool interactive;
  const char* validVersions;
  int64_t sizeOnOffer;  // SizeOfUpdateFile
  int64_t fileSize;     // -1: the file is absent
  int32_t status;
};

void SetUpChain(FakeSettingsStore& store, FakeAgentHost& host, const ChainCase& c) {
  store.SetOriginal("VersionOriginal", c.versionOriginal);
  store.SetInfo("VersionNew", c.versionNew);
  store.SetOriginal("Stamp", c.stampOriginal);
  store.SetInfo("Stamp", c.stampNew);
  store.SetOriginal("ReAskSecondsInterval", std::string(IntText(c.reAskInterval)));
  store.SetOriginal("ReAskSecondsLast", std::string(IntText(NowSeconds() - c.reAskAgo)));
  store.SetInfo("ValidVersions", c.validVersions);
  store.SetInfo("DownloadURL_UPDATE", "D:\\updates");
  store.SetInfo("NameOfUpdateFile", "Setup2.exe");
  store.SetInfo("SizeOfUpdateFile", std::string(IntText(c.sizeOnOffer)));
  if (c.fileSize >= 0) host.files["D:\\updates\\Setup2.exe"] = c.fileSize;
  SetInteractiveState(c.interactive ? 1 : 0);
}

TEST(AgentCheckChain, StatusIsTheNumberOfTestsPassed) {
  const ChainCase cases[] = {
      {"no info", false, "1", "2", "0", "1", 0, 0, false, "", 100, 100, 0},
      {"installed 0", true, "0", "2", "0", "1", 0, 0, false, "", 100, 100, 1},
      {"installed letters", true, "abc", "2", "0", "1", 0, 0, false, "", 100, 100, 1},
      {"installed negative", true, "-3", "2", "0", "1", 0, 0, false, "", 100, 100, 1},
      {"same stamp, no re-ask", true, "1", "2", "5", "5", 0, 100000, false, "", 100, 100, 2},
      {"same stamp, re-ask not due", true, "1", "2", "5", "5", 3600, 60, false, "", 100, 100, 2},
      {"same stamp, re-ask exactly due", true, "1", "2", "5", "5", 3600, 3600, false, "", 100, 100, 2},
      {"same stamp, re-ask due", true, "1", "2", "5", "5", 3600, 3601, false, "", 100, 100, 6},
      {"same stamp, interactive", true, "1", "2", "5", "5", 0, 0, true, "", 100, 100, 6},
      {"stamp changed offers at once", true, "1", "2", "5", "6", 3600, 1, false, "", 100, 100, 6},
      {"same version", true, "2", "2", "0", "1", 0, 0, false, "", 100, 100, 3},
      {"older version", true, "3", "2", "0", "1", 0, 0, false, "", 100, 100, 3},
      {"new version signed", true, "1", "-5", "0", "1", 0, 0, false, "", 100, 100, 3},
      {"valid listed", true, "2", "3", "0", "1", 0, 0, false, "1,2,3", 100, 100, 6},
      {"valid listed with blanks", true, "2", "3", "0", "1", 0, 0, false, "1, 2, 3", 100, 100, 4},
      {"valid not listed", true, "4", "5", "0", "1", 0, 0, false, "1,2,3", 100, 100, 4},
      {"valid no partial match", true, "2", "5", "0", "1", 0, 0, false, "12,22", 100, 100, 4},
      {"size differs", true, "1", "2", "0", "1", 0, 0, false, "", 100, 99, 5},
      {"file absent", true, "1", "2", "0", "1", 0, 0, false, "", 100, -1, 5},
      {"file absent, size -1", true, "1", "2", "0", "1", 0, 0, false, "", -1, -1, 6},
      {"file present, size -1", true, "1", "2", "0", "1", 0, 0, false, "", -1, 100, 5},
      {"size low 32 bits", true, "1", "2", "0", "1", 0, 0, false, "", 4294967396LL, 100, 6},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    FakeSettingsStore store;
    SettingsFixtureScope scope(store);
    FakeAgentHost host;
    ResetAgentState();
    SetUpChain(store, host, c);
    int32_t status = -7;
    EXPECT_EQ(GetOkToPerformAU(c.infoObtained, status), c.status == 6);
    EXPECT_EQ(status, c.status);
    EXPECT_NE(platform.Trace().find(" GetOkToPerformAU=" + std::to_string(c.status)), std::string::npos);
    ResetAgentState();
  }
}

// ReAskSecondsLast and ReAskSecondsInterval come from a settings file and may be anything: their
// sum is taken as the number it is, without wrapping round. A last ask in the far future is
// never due again, whatever the interval.
TEST(AgentCheckChain, ReAskTimesAtTheEndsOfTheRange) {
  constexpr int64_t kMax = INT64_MAX, kMin = INT64_MIN;
  struct Case {
    const char* name;
    int64_t last;      // 1 stands for now (the fake clock's)
    int64_t interval;
    bool due;
  } const cases[] = {
      {"last in the far future", kMax - 10, 100, false},
      {"both at the top", kMax, kMax, false},
      {"now and the largest interval", 1, kMax, false},
      {"far past, an hour", kMin + 5, 3600, true},
      {"lowest last, largest interval", kMin, kMax, true},
      {"far future, negative interval", kMax, -1, false},
      {"far past, lowest interval", kMin, kMin, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    FakeSettingsStore store;
    SettingsFixtureScope scope(store);
    const int64_t last = c.last == 1 ? NowSeconds() : c.last;
    store.SetOriginal("ReAskSecondsLast", std::string(IntText(last)));
    store.SetOriginal("ReAskSecondsInterval", std::string(IntText(c.interval)));
    EXPECT_EQ(IsReAskDue(), c.due);
  }
}

TEST(AgentCheckChain, SizeTestFollowsInformModeTestModeAndTheInternet) {
  struct Case {
    const char* name;
    const char* autoInform;
    bool testMode;
    bool connected;
    int32_t expected;  // true when the size test passes
    bool passes;
    int urlQueries;
  };
  // Local folder D:\upd holds Setup2.exe (100 bytes); the test folder T:\test holds News.txt (7);
  // the web folder http://h/u has Setup2.exe (200) and News.txt (30).
  const Case cases[] = {
      {"local file found", "0", false, false, 100, true, 0},
      {"inform mode uses the inform file", "1", false, true, 30, true, 1},
      {"inform flag 01 counts", "01", false, true, 30, true, 1},
      {"inform flag 1.0 does not", "1.0", false, true, 200, true, 1},
      {"offline web folder", "1", false, false, -1, true, 0},
      {"test mode reads the test folder", "1", true, true, 7, true, 0},
      {"test mode never asks the server", "0", true, true, -1, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    FakeSettingsStore store;
    SettingsFixtureScope scope(store);
    FakeAgentHost host;
    host.connected = c.connected;
    host.files["D:\\upd\\Setup2.exe"] = 100;
    host.files["T:\\test\\News.txt"] = 7;
    host.urls["http://h/u/Setup2.exe"] = 200;
    host.urls["http://h/u/News.txt"] = 30;
    if (c.testMode) {
      host.registry["TestMode"] = "1";
      host.registry["TestModeURL"] = "T:\\test";
    }
    ReadTestMode(true);
    store.values[FakeSettingsStore::Key(FakeSettingsStore::kInfo, "General", "AutoInform")] = c.autoInform;
    store.values[FakeSettingsStore::Key(FakeSettingsStore::kInfo, "AutoInform", "SizeOfInformFile")] =
        std::to_string(c.expected);
    store.SetInfo("SizeOfUpdateFile", std::to_string(c.expected));
    const std::string location = std::string(c.name).find("local") != std::string::npos ? "D:\\upd" : "http://h/u";
    EXPECT_EQ(CheckUpdateSize(location, "..\\Setup2.exe", "News.txt"), c.passes);
    EXPECT_EQ(host.urlQueries, c.urlQueries);
  }
}

TEST(AgentCheckChain, UnusableNamesAreNeverReachable) {
  FakePlatform platform;
  FakeSettingsStore store;
  SettingsFixtureScope scope(store);
  FakeAgentHost host;
  host.connected = true;
  host.files["D:\\upd\\.."] = 100;
  host.urls["http://h/u/.."] = 100;
  store.SetInfo("SizeOfUpdateFile", "100");
  EXPECT_FALSE(CheckUpdateSize("D:\\upd", "..", ""));
  EXPECT_FALSE(CheckUpdateSize("http://h/u", "x/..", ""));
  EXPECT_EQ(host.urlQueries, 0);
}

TEST(AgentTestMode, RegistryIsReadWhenForcedOrAfterThirtyQuietSeconds) {
  FakeAgentHost host;
  host.registry["TestMode"] = "1";
  host.registry["TestModeURL"] = "\\\\srv\\test";
  struct Step {
    uint32_t advance;
    bool force;
    const char* mode;  // registry value before the call
    bool testMode;
    int reads;  // registry reads so far (two values per read)
  };
  const Step steps[] = {
      {0, true, "1", true, 2},
      {10000, false, "0", true, 2},
      {20000, false, "0", true, 2},
      {29000, false, "0", true, 2},   // every call restarts the 30 s
      {30000, false, "0", true, 2},   // exactly 30 s: still cached
      {30001, false, "0", false, 4},  // more than 30 s
      {1, true, "1", true, 6},        // forced
      {0, false, "yes", true, 6},
      {30001, false, "yes", false, 8},  // only "1" is on
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    host.tick += s.advance;
    host.registry["TestMode"] = s.mode;
    EXPECT_EQ(ReadTestMode(s.force), s.testMode);
    EXPECT_EQ(TestMode(), s.testMode);
    EXPECT_EQ(host.registryReads, s.reads);
  }
  EXPECT_EQ(TestModeURL(), "\\\\srv\\test");
}

TEST(AgentTestMode, MissingValuesMeanOff) {
  FakeAgentHost host;
  EXPECT_FALSE(ReadTestMode(true));
  EXPECT_EQ(TestModeURL(), "");
  EXPECT_STREQ(kTestModeKey, "HKEY_CURRENT_USER\\Software\\Brevanto\\Vornix\\AutoUpdate");
}

}  // namespace
