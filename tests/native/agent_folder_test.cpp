#include <gtest/gtest.h>

#include "agent/agent_folder.h"

namespace {

const char kLocal[] = "C:\\Users\\ann\\AppData\\Local";

TEST(AgentFolder, InstallationFolderWhenWritableElsePerUser) {
  struct Case {
    const char* what;
    const char* install;
    bool writable;
    const char* localAppData;
    const char* agent;
    bool perUser;
  } cases[] = {
      {"writable installation", "C:\\Users\\ann\\Apps\\MyApp\\", true, kLocal, "MyAppUpdate.exe", false},
      {"writable, no trailing backslash", "D:\\Portable\\MyApp", true, kLocal, "MyAppUpdate.exe", false},
      {"Program Files for a standard user", "C:\\Program Files (x86)\\MyApp\\", false, kLocal, "MyAppUpdate.exe",
       true},
      {"no local application data known", "C:\\Program Files\\MyApp\\", false, "", "MyAppUpdate.exe", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = vx::AgentFolderFor(c.install, c.writable, c.localAppData, c.agent);
    if (c.perUser) {
      EXPECT_EQ(folder, vx::PerUserAgentFolder(c.localAppData, c.install, c.agent));
    } else {
      std::string install = c.install;
      if (install.back() != '\\') install += '\\';
      EXPECT_EQ(folder, install);
    }
  }
}

TEST(AgentFolder, PerUserFolderName) {
  const uint32_t hash = vx::InstallFolderHash("C:\\Program Files\\MyApp");
  char hex[9];
  snprintf(hex, sizeof hex, "%08X", hash);
  struct Case {
    const char* what;
    const char* localAppData;
    const char* agent;
    std::string expected;
  } cases[] = {
      {"plain", kLocal, "MyAppUpdate.exe", std::string(kLocal) + "\\Vornix\\AutoUpdate\\MyAppUpdate_" + hex + "\\"},
      {"local folder with backslash", "C:\\L\\", "MyAppUpdate.exe",
       std::string("C:\\L\\Vornix\\AutoUpdate\\MyAppUpdate_") + hex + "\\"},
      {"folder part of the name dropped", "C:\\L", "..\\..\\Evil.exe",
       std::string("C:\\L\\Vornix\\AutoUpdate\\Evil_") + hex + "\\"},
      {"characters Windows refuses", "C:\\L", "a<b*c?.exe", std::string("C:\\L\\Vornix\\AutoUpdate\\a_b_c__") + hex + "\\"},
      {"dots and blanks at the ends", "C:\\L", " .up. .exe", std::string("C:\\L\\Vornix\\AutoUpdate\\up_") + hex + "\\"},
      {"no name left", "C:\\L", ".exe", std::string("C:\\L\\Vornix\\AutoUpdate\\Agent_") + hex + "\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vx::PerUserAgentFolder(c.localAppData, "C:\\Program Files\\MyApp", c.agent), c.expected);
  }
}

TEST(AgentFolder, HashNamesOneFolderOneWay) {
  // FNV-1a of the empty text is its offset basis; of "A" a known value.
  EXPECT_EQ(vx::InstallFolderHash(""), 2166136261u);
  EXPECT_EQ(vx::InstallFolderHash("a"), 0xC40BF6CCu);
  const uint32_t h = vx::InstallFolderHash("C:\\Program Files\\MyApp");
  EXPECT_EQ(vx::InstallFolderHash("c:\\program files\\myapp\\"), h);
  EXPECT_EQ(vx::InstallFolderHash("C:\\PROGRAM FILES\\MYAPP\\\\"), h);
  EXPECT_NE(vx::InstallFolderHash("C:\\Program Files\\MyApp2"), h);
  EXPECT_NE(vx::InstallFolderHash("D:\\Program Files\\MyApp"), h);
}

TEST(AgentFolder, SeedingOfTheOriginalSettingsCopy) {
  struct Case {
    const char* what;
    bool installedExists;
    bool copyExists;
    uint64_t installedTime;
    uint64_t seededFrom;
    bool seed;
  } cases[] = {
      {"first start", true, false, 500, 0, true},
      {"unchanged installation", true, true, 500, 500, false},
      {"installation rewrote its file", true, true, 900, 500, true},
      {"installed file restored from an older copy", true, true, 400, 500, true},
      {"copy made by hand, never seeded", true, true, 500, 0, true},
      {"nothing installed", false, false, 0, 0, false},
      {"installed file removed: the copy stays", false, true, 0, 500, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vx::ShouldSeedOriginal(c.installedExists, c.copyExists, c.installedTime, c.seededFrom), c.seed);
  }
}

}  // namespace
