#include <gtest/gtest.h>

#include "agent/settings.h"
#include "settings_fake.h"

using namespace vx;
using vxtest::FakeSettingsStore;
using vxtest::SettingsFixtureScope;

namespace {

TEST(AgentSettings, IntegerKeysReadAs64BitWithDefaults) {
  struct Case {
    const char* stored;  // nullptr: key missing
    int64_t wide;        // ProbeSecondsInterval
    int32_t narrow;      // VersionOriginal (low 32 bits)
  };
  const Case cases[] = {
      {"4294967301", 4294967301LL, 5},
      {"-1", -1, -1},
      {"01", 1, 1},
      {"$10", 16, 16},
      {"1.0", 0, 0},
      {"letters", 0, 0},
      {"", 0, 0},
      {nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    FakeSettingsStore store;
    SettingsFixtureScope scope(store);
    if (c.stored) {
      store.SetOriginal("ProbeSecondsInterval", c.stored);
      store.SetOriginal("VersionOriginal", c.stored);
    }
    EXPECT_EQ(original_file::ProbeSecondsInterval(), c.wide);
    EXPECT_EQ(original_file::VersionOriginal(), c.narrow);
  }
}

TEST(AgentSettings, TimesAreWrittenWithReadableCopies) {
  struct Case {
    bool probe;
    int64_t t;
    char separator;
    const char* copy;
  };
  const Case cases[] = {
      {true, 3787088523LL, ':', "02-JAN-2020  01:02:03"},
      {false, 2000000000LL, ':', "17-MAY-1963  03:33:20"},
      {true, 2000000000LL, '.', "17-MAY-1963  03.33.20"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.copy);
    FakeSettingsStore store;
    store.separator = c.separator;
    SettingsFixtureScope scope(store);
    const std::string key = c.probe ? "ProbeSecondsLast" : "ReAskSecondsLast";
    if (c.probe)
      original_file::SetProbeSecondsLast(c.t);
    else
      original_file::SetReAskSecondsLast(c.t);
    EXPECT_EQ(store.Original(key), std::to_string(c.t));
    EXPECT_EQ(store.Original("__" + key), c.copy);
    EXPECT_EQ(store.values.size(), 2u);
    EXPECT_EQ(c.probe ? original_file::ProbeSecondsLast() : original_file::ReAskSecondsLast(), c.t);
  }
}

TEST(AgentSettings, TransientFlagsTextAndParse) {
  struct Case {
    const char* start;  // applied first to a fresh set (nullptr: untouched)
    const char* parse;
    const char* expected;
  };
  const Case cases[] = {
      {nullptr, "|255|1|0|0|0|255|", "|255|1|0|0|0|255|"},
      {nullptr, ",1,2,3,4,5,6,", "|1|2|3|4|5|6|"},
      {nullptr, "|300|-1|", "|44|255|255|255|255|255|"},
      {"|1|1|1|1|1|1|", "|7|x||0|-1", "|7|1|1|0|1|1|"},  // "-1" lacks its closing separator
      {"|1|2|3|4|5|6|", "", "|1|2|3|4|5|6|"},
      {"|1|2|3|4|5|6|", "|9|9|9|9|9|9|9|9|", "|9|9|9|9|9|9|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parse);
    FakeSettingsStore store;
    SettingsFixtureScope scope(store);
    EXPECT_EQ(TransientFlagsText(), "|255|255|255|255|255|255|");
    if (c.start) ParseTransientFlags(c.start);
    ParseTransientFlags(c.parse);
    EXPECT_EQ(TransientFlagsText(), c.expected);
  }
}

TEST(AgentSettings, TransientFlagSetterKeepsLowByteAndIgnoresOtherOrders) {
  FakeSettingsStore store;
  SettingsFixtureScope scope(store);
  SetTransientFlag(1, 256);
  SetTransientFlag(6, 0x1FE);
  SetTransientFlag(0, 1);
  SetTransientFlag(7, 1);
  EXPECT_EQ(TransientFlagsText(), "|0|255|255|255|255|254|");
  EXPECT_EQ(TransientFlag(0), kTransientUntouched);
  EXPECT_EQ(TransientFlag(7), kTransientUntouched);
}

TEST(AgentSettings, EffectiveSwitchesOverrideTheInfoFile) {
  struct Switch {
    int order;
    const char* key;
    bool (*get)();
  };
  const Switch switches[] = {
      {2, "RequestConfirmationBeforeDownload", ConfirmDownload},
      {3, "RequestConfirmationBeforeInstall", ConfirmInstall},
      {4, "BackgroundUpdate", Background},
      {5, "InformFinish", InformFinish},
      {6, "RestartProcess", Restart},
  };
  struct Case {
    int flag;
    const char* stored;  // nullptr: key missing
    bool on;
  };
  const Case cases[] = {
      {255, "1", true},  {255, "yes", false}, {255, "true", false}, {255, " 1", false},
      {255, "01", false}, {255, nullptr, false}, {0, "1", false},    {1, nullptr, true},
      {2, "1", false},   {257, nullptr, true},
  };
  for (const Switch& s : switches) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(s.key) + " flag " + std::to_string(c.flag) + " file " +
                   (c.stored ? c.stored : "(missing)"));
      FakeSettingsStore store;
      SettingsFixtureScope scope(store);
      if (c.stored) store.SetInfo(s.key, c.stored);
      SetTransientFlag(s.order, c.flag);
      EXPECT_EQ(s.get(), c.on);
      // The other switches stay with the file, which holds nothing for them.
      for (const Switch& other : switches) {
        if (other.order != s.order) {
          EXPECT_FALSE(other.get());
        }
      }
    }
  }
}

TEST(AgentSettings, AskBeforeCheckIsTransientOnly) {
  FakeSettingsStore store;
  SettingsFixtureScope scope(store);
  store.SetInfo("AskBeforeCheck", "1");
  EXPECT_FALSE(AskBeforeCheck());
  SetTransientFlag(1, 1);
  EXPECT_TRUE(AskBeforeCheck());
  SetTransientFlag(1, 2);
  EXPECT_FALSE(AskBeforeCheck());
}

TEST(AgentSettings, InfoFileSwitchesAndVersion) {
  FakeSettingsStore store;
  SettingsFixtureScope scope(store);
  EXPECT_EQ(update_info::VersionNew(), 0);
  EXPECT_FALSE(update_info::RemoveStartUpShortcut());
  store.SetInfo("VersionNew", "23");
  store.SetInfo("RemoveStartUpShortcut", "1");
  store.SetInfo("RemoveCheckForNewUpdateShortcut", "yes");
  store.SetOriginal("VersionNew", "99");  // the wrong file does not count
  EXPECT_EQ(update_info::VersionNew(), 23);
  EXPECT_TRUE(update_info::RemoveStartUpShortcut());
  EXPECT_FALSE(update_info::RemoveCheckForNewUpdateShortcut());
}

}  // namespace
