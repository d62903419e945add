#include <gtest/gtest.h>

#include <string>

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

namespace {

// Every key of both files: its default when missing, and a stored value read back.
TEST(AgentSettings, EveryKeyHasItsDefault) {
  using Getter = std::string (*)();
  struct Case {
    const char* file;  // "o" original-settings, "i" update-information
    const char* section;
    const char* key;
    Getter get;
    const char* def;
    const char* stored;
    const char* read;
  };
  const Case cases[] = {
      {"o", "Directories", "TargetDir", [] { return std::string(original_file::TargetDir()); }, "", "C:\\A", "C:\\A"},
      {"o", "Directories", "SharedDir", [] { return std::string(original_file::SharedDir()); }, "", "C:\\S", "C:\\S"},
      {"o", "Directories", "AuxiliaryDir", [] { return std::string(original_file::AuxiliaryDir()); }, "", "C:\\X", "C:\\X"},
      {"o", "UnInstall", "StartUpLink", [] { return std::string(original_file::StartUpLink()); }, "", "l.lnk", "l.lnk"},
      {"o", "UnInstall", "CheckforNewUpdateLink", [] { return std::string(original_file::CheckforNewUpdateLink()); }, "", "c.lnk", "c.lnk"},
      {"o", "OriginalSetup", "ProgramName", [] { return std::string(original_file::ProgramName()); }, "", "App", "App"},
      {"o", "MsgBox", "BtnText", [] { return std::string(original_file::BtnText()); },
       "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|", "|O|C|J|N|A|R|I|", "|O|C|J|N|A|R|I|"},
      {"o", "MsgBox", "Error", [] { return std::string(original_file::Error()); }, "Error", "Fehler", "Fehler"},
      {"o", "MsgBox", "Confirm", [] { return std::string(original_file::Confirm()); }, "Confirm", "Frage", "Frage"},
      {"o", "MsgBox", "Attention", [] { return std::string(original_file::Attention()); }, "Attention", "Achtung", "Achtung"},
      {"o", "MsgBox", "FontName", [] { return std::string(original_file::FontName()); }, "Tahoma", "Arial", "Arial"},
      {"o", "MsgBox", "CharSet", [] { return std::to_string(original_file::CharSet()); }, "0", "177", "177"},
      {"o", "MsgBox", "FontSize", [] { return std::to_string(original_file::FontSize()); }, "8", "x", "8"},
      {"o", "AutoUpdate", "s3", [] { return std::string(AutoUpdateText("s3", "File Download Aborted!")); },
       "File Download Aborted!", "Stop", "Stop"},
      {"i", "NewSetup", "DownloadURL_UPDATE", [] { return std::string(update_info::DownloadURL_UPDATE()); }, "", "http://h/u", "http://h/u"},
      {"i", "NewSetup", "NameOfUpdateFile", [] { return std::string(update_info::NameOfUpdateFile()); }, "", "S.exe", "S.exe"},
      {"i", "NewSetup", "ShutDownMethod", [] { return std::string(update_info::ShutDownMethod()); }, "", "Using WM_CLOSE", "Using WM_CLOSE"},
      {"i", "NewSetup", "RunningProcess", [] { return std::string(update_info::RunningProcess()); }, "", "$TARGETDIR$\\a.exe", "$TARGETDIR$\\a.exe"},
      {"i", "NewSetup", "ProgramName", [] { return std::string(update_info::ProgramName()); }, "", "App 2", "App 2"},
      {"i", "NewSetup", "ValidVersions", [] { return std::string(update_info::ValidVersions()); }, "", "1, 2", "1, 2"},
      {"i", "NewSetup", "SizeOfUpdateFile", [] { return std::to_string(update_info::SizeOfUpdateFile()); }, "0", "4294967297", "1"},
      {"i", "NewSetup", "VersionNew", [] { return std::to_string(update_info::VersionNew()); }, "0", "7", "7"},
      {"i", "NewSetup", "Stamp", [] { return std::to_string(update_info::Stamp()); }, "0", "-3", "-3"},
      {"i", "General", "AutoInform", [] { return std::to_string(update_info::AutoInform()); }, "0", "01", "1"},
      {"i", "General", "AutoInform", [] { return std::to_string(update_info::AutoInform()); }, "0", "1.0", "0"},
      {"i", "General", "AutoInform", [] { return std::to_string(update_info::AutoInform()); }, "0", "2", "0"},
      {"i", "AutoInform", "DownloadURL_INFORM", [] { return std::string(update_info::DownloadURL_INFORM()); }, "", "http://h/n", "http://h/n"},
      {"i", "AutoInform", "NameOfInformFile", [] { return std::string(update_info::NameOfInformFile()); }, "", "N.txt", "N.txt"},
      {"i", "AutoInform", "SizeOfInformFile", [] { return std::to_string(update_info::SizeOfInformFile()); }, "0", "-1", "-1"},
      {"i", "AutoInform", "AutoInformW", [] { return std::to_string(update_info::AutoInformW()); }, "360", "500", "500"},
      {"i", "AutoInform", "AutoInformH", [] { return std::to_string(update_info::AutoInformH()); }, "360", "wide", "360"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "." + c.key + "=" + c.stored);
    FakeSettingsStore store;
    SettingsFixtureScope scope(store);
    EXPECT_EQ(c.get(), c.def);
    const char* file = c.file[0] == 'o' ? FakeSettingsStore::kOriginal : FakeSettingsStore::kInfo;
    store.values[FakeSettingsStore::Key(file, c.section, c.key)] = c.stored;
    EXPECT_EQ(c.get(), c.read);
    // The other file never answers for this key.
    const char* other = c.file[0] == 'o' ? FakeSettingsStore::kInfo : FakeSettingsStore::kOriginal;
    store.values.clear();
    store.values[FakeSettingsStore::Key(other, c.section, c.key)] = c.stored;
    EXPECT_EQ(c.get(), c.def);
  }
}

TEST(AgentSettings, MessageTextsHaveTheirBuiltInDefaultsOnlyWhereGiven) {
  FakeSettingsStore store;
  SettingsFixtureScope scope(store);
  EXPECT_EQ(AutoUpdateText("s21", ""), "");
  store.values[FakeSettingsStore::Key(FakeSettingsStore::kOriginal, "AutoUpdate", "s21")] = "No update <B>now</B>";
  EXPECT_EQ(AutoUpdateText("s21", ""), "No update <B>now</B>");
  // The update-information file never supplies message texts.
  store.values[FakeSettingsStore::Key(FakeSettingsStore::kInfo, "AutoUpdate", "s34")] = "Other";
  EXPECT_EQ(AutoUpdateText("s34", "New Version"), "New Version");
}

}  // namespace
