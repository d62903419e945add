// Folders of the running system: trailing-backslash forms, the shell's special folders with their
// fallbacks, and the origin program handed over on the command line.
#include <gtest/gtest.h>

#include <cstdio>

#include "system/folder_resolver.h"
#include "system/folders.h"
#include "test_support.h"

using namespace vxtest;

namespace {

bool EndsWithOneBackslash(const std::string& s) {
  return s.size() >= 2 && s.back() == '\\' && s[s.size() - 2] != '\\';
}

TEST(Folders, SystemFoldersInBothForms) {
  vx::FolderResolver folders = vx::SystemFolders();
  struct Case {
    const char* what;
    std::string with, without;
  } const cases[] = {
      {"ExeDir", vx::ExeDir(true), vx::ExeDir(false)},
      {"WinDir", folders.WinDir(true), folders.WinDir(false)},
      {"SysDir", folders.SysDir(true), folders.SysDir(false)},
      {"TempDir", vx::TempDir(true), vx::TempDir(false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(EndsWithOneBackslash(c.with)) << c.with;
    EXPECT_EQ(c.with, c.without + "\\");
    EXPECT_TRUE(folders.DirExists(c.without)) << c.without;
  }
  EXPECT_EQ(vx::ExeDir(true), TestBinDir());
  EXPECT_EQ(vx::ExeDir(), vx::ExeDir(true));
  EXPECT_EQ(vx::FolderOf(vx::ExePath(), nullptr), TestBinDir());
  EXPECT_FALSE(folders.DirExists(""));
  EXPECT_FALSE(folders.DirExists(vx::ExePath()));  // a file is no folder
}

TEST(Folders, System16FontsAndRegistryFolders) {
  vx::FolderResolver folders = vx::SystemFolders();
  const std::string sys16 = folders.System16Dir();
  EXPECT_TRUE(folders.DirExists(sys16)) << sys16;
  EXPECT_NE(sys16.back(), '\\');
  std::string sys = folders.SysDir(false);
  const size_t p = sys.rfind("32");
  if (p != std::string::npos && folders.DirExists(sys.substr(0, p) + sys.substr(p + 2))) {
    EXPECT_EQ(sys16, sys.substr(0, p) + sys.substr(p + 2));
  }
  EXPECT_TRUE(folders.DirExists(folders.FontDir())) << folders.FontDir();
  EXPECT_TRUE(folders.DirExists(folders.ProgramFilesDir())) << folders.ProgramFilesDir();
  EXPECT_TRUE(folders.DirExists(folders.CommonFilesDir())) << folders.CommonFilesDir();
  std::printf("[ info     ] System16Dir %s, FontDir %s, ProgramFilesDir %s, CommonFilesDir %s, StartMenuDir %s\n",
              sys16.c_str(), folders.FontDir().c_str(), folders.ProgramFilesDir().c_str(),
              folders.CommonFilesDir().c_str(), folders.StartMenuDir().c_str());
}

TEST(Folders, ShellFolderFunctionsAreBound) {
  EXPECT_FALSE(vx::FolderPath(vx::kFolderMyDocuments).empty());
  EXPECT_FALSE(vx::SpecialFolderPath(vx::kFolderUserStartMenu).empty());
  EXPECT_EQ(vx::FolderPath(0x7FFF), "");         // an id the shell does not know
  EXPECT_EQ(vx::SpecialFolderPath(0x7FFF), "");
}

TEST(Folders, SpecialFoldersFollowTheShellOrFallBack) {
  using vx::FolderResolver;
  using Getter = vx::String (FolderResolver::*)(bool);
  struct Case {
    const char* what;
    Getter get;
    std::string shell;  // what the shell answers for the folder itself ("" where it is derived)
  } const cases[] = {
      {"UserDir", &FolderResolver::UserDir, ""},
      {"DocumentsAndSettingsDir", &FolderResolver::DocumentsAndSettingsDir, ""},
      {"AllUsersDir", &FolderResolver::AllUsersDir, ""},
      {"UserAppDataDir", &FolderResolver::UserAppDataDir, vx::FolderPath(vx::kFolderUserAppData)},
      {"AllUsersAppDataDir", &FolderResolver::AllUsersAppDataDir, vx::FolderPath(vx::kFolderAllUsersAppData)},
      {"MyDocumentsDir", &FolderResolver::MyDocumentsDir, vx::FolderPath(vx::kFolderMyDocuments)},
      {"AllUsersDocumentsDir", &FolderResolver::AllUsersDocumentsDir, vx::FolderPath(vx::kFolderAllUsersDocuments)},
      {"UserStartMenuDir", &FolderResolver::UserStartMenuDir, vx::SpecialFolderPath(vx::kFolderUserStartMenu)},
      {"AllUsersStartMenuDir", &FolderResolver::AllUsersStartMenuDir,
       vx::SpecialFolderPath(vx::kFolderAllUsersStartMenu)},
      {"UserDesktopDir", &FolderResolver::UserDesktopDir, vx::SpecialFolderPath(vx::kFolderUserDesktop)},
      {"AllUsersDesktopDir", &FolderResolver::AllUsersDesktopDir, vx::SpecialFolderPath(vx::kFolderAllUsersDesktop)},
  };
  FolderResolver folders = vx::SystemFolders();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string with = (folders.*c.get)(true), without = (folders.*c.get)(false);
    EXPECT_TRUE(EndsWithOneBackslash(with)) << with;
    EXPECT_EQ(with, vx::SetTrailingBackslash(without, true));
    const bool answered = folders.DirExists(c.shell);
    if (answered) {
      EXPECT_EQ(without, vx::SetTrailingBackslash(c.shell, false));
    }
    std::printf("[ info     ] %-24s %-9s %s (shell: %s)\n", c.what,
                c.shell.empty() ? "derived" : answered ? "shell" : "fallback", without.c_str(), c.shell.c_str());
  }
  // The folders derived from the documents folder: its parent and the parent's parent.
  const std::string docs = vx::FolderPath(vx::kFolderMyDocuments);
  if (folders.DirExists(docs) && folders.DirExists(vx::ParentOf(docs, nullptr))) {
    EXPECT_EQ(folders.UserDir(false), vx::ParentOf(docs, nullptr));
    if (folders.DirExists(vx::ParentOf(vx::ParentOf(docs, nullptr), nullptr))) {
      EXPECT_EQ(folders.DocumentsAndSettingsDir(false), vx::ParentOf(vx::ParentOf(docs, nullptr), nullptr));
    }
  }
}

TEST(Folders, OriginProgramFromTheCommandLine) {
  TraceViewer viewer;
  const std::string probe = TestBinDir() + "envprobe.exe";
  ProcessResult r = RunAndWait("\"" + probe + "\" /OriginExe=C:\\Program*Files\\App\\setup.exe /x", 20000);
  ASSERT_TRUE(r.finished);
  const std::vector<std::string> expected = {
      "OriginExe=C:\\Program Files\\App\\setup.exe", "OriginDir=C:\\Program Files\\App",
      "OriginExe=C:\\Program Files\\App\\setup.exe", "OriginDir=C:\\Program Files\\App",
      "ExePath=" + probe};
  EXPECT_EQ(viewer.Lines(), expected);

  viewer.Clear();
  r = RunAndWait("\"" + probe + "\"", 20000);  // no switch: the program itself
  ASSERT_TRUE(r.finished);
  const std::string dir = vx::SetTrailingBackslash(TestBinDir(), false);
  EXPECT_EQ(viewer.Lines(), (std::vector<std::string>{"OriginExe=" + probe, "OriginDir=" + dir, "OriginExe=" + probe,
                                                      "OriginDir=" + dir, "ExePath=" + probe}));
}

}  // namespace
