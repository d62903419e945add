// Macro expansion with the values of the running system.
#include <gtest/gtest.h>

#include <cstdio>

#include "system/folders.h"
#include "system/macros.h"
#include "system/registry.h"
#include "test_support.h"

namespace {

std::string Today() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
  return buf;
}

class MacrosHere : public ::testing::Test {
 protected:
  void TearDown() override { vx::SetInstallFolders("", "", ""); }
};

TEST_F(MacrosHere, SystemValues) {
  vx::SetInstallFolders("C:\\Prog", "C:\\Shared", "");
  vx::FolderResolver folders = vx::SystemFolders();
  struct Case {
    const char* text;
    std::string expected;
  } const cases[] = {
      {"<InstallDir>\\bin\\app.exe", "C:\\Prog\\bin\\app.exe"},
      {"<InstallDir>", "C:\\Prog"},
      {"<InstallDir><Windows Directory>\\notepad.exe", folders.WinDir(false) + "\\notepad.exe"},
      {"<WinSysDir>\\kernel32.dll", folders.SysDir(false) + "\\kernel32.dll"},
      {"<WinSys16Dir>x", folders.System16Dir() + "\\x"},
      {"|<SrcDir>|<TempDir>|", "|" + vx::ExeDir(false) + "|" + vx::TempDir(false) + "|"},
      {"<WinDrive>", folders.WinDir(false).substr(0, 3)},
      {"<LoggedUserName>:<UserName>:<CompanyName>", vx::UserName() + ":" + vx::RegisteredOwner() + ":" +
                                                        vx::RegisteredOrganization()},
      {"<ComputerName>", vx::ComputerName()},
      {"<MyDocumentsDir>\\a.doc", folders.MyDocumentsDir(false) + "\\a.doc"},
      {"<UserAppDataDir>", folders.UserAppDataDir(false)},
      {"<AllUsersDesktopDir>", folders.AllUsersDesktopDir(false)},
      {"<FontDir> <ProgramFilesDir>", folders.FontDir() + " " + folders.ProgramFilesDir()},
      {"<Auxiliary Folder>\\x.exe", "\\\\x.exe"},  // empty folder: the suffix stays, a leading pair
      {"<Date=9>", "<Date=9>"},
      {"C:\\a\\..\\b", "C:\\b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(vx::ExpandMacros(c.text, "\\", true), c.expected);
  }
}

TEST_F(MacrosHere, DateInLocalTime) {
  const std::string before = Today();
  const std::string got = vx::ExpandMacros("<date=6>", "\\", false);
  const std::string after = Today();
  EXPECT_TRUE(got == before || got == after) << got;
  const std::string stamp = vx::ExpandMacros("<Date=7>", "\\", false);
  EXPECT_EQ(stamp.size(), 19u) << stamp;
}

TEST_F(MacrosHere, RelativeItemsOfAList) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  const std::string here = vx::SetTrailingBackslash(cwd, false);
  const std::string parent = vx::ParentOf(here, nullptr);
  EXPECT_EQ(vx::ExpandMacros("|..\\x|C:\\y|", "\\", true),
            "|" + vx::SetTrailingBackslash(parent, true) + "x|C:\\y|");
}

}  // namespace
