// Folder rules and fallback chains over an in-memory system.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "system/folder_resolver.h"
#include "text/utils.h"

namespace vx {
namespace {

struct FakeFolders : FolderSystem {
  std::set<std::string> dirs;  // existing folders
  std::map<int, std::string> folderPath, specialPath;
  std::map<std::string, std::string> registry;  // "key|name" -> text
  std::string windows = "C:\\WINDOWS", system = "C:\\WINDOWS\\SYSTEM32", owner = "Ann";

  LeadByteTest LeadBytes() override { return nullptr; }
  bool FolderExists(const vx::String& p) override {  // letter case does not matter
    for (const auto& d : dirs)
      if (UpperCase(d) == UpperCase(p)) return true;
    return false;
  }
  vx::String WindowsDirectory() override { return windows; }
  vx::String SystemDirectory() override { return system; }
  vx::String FolderPath(int id) override { return folderPath.count(id) ? folderPath[id] : ""; }
  vx::String SpecialFolderPath(int id) override { return specialPath.count(id) ? specialPath[id] : ""; }
  vx::String RegistryText(const char* k, const char* n) override {
    auto it = registry.find(std::string(k) + "|" + n);
    return it == registry.end() ? "" : it->second;
  }
  vx::String RegisteredOwner() override { return owner; }
};

// A Windows XP style machine where the shell answers everything.
struct XpMachine : FakeFolders {
  XpMachine() {
    const std::string user = "C:\\Documents and Settings\\Ann", all = "C:\\Documents and Settings\\All Users";
    folderPath[kFolderMyDocuments] = user + "\\My Documents";
    folderPath[kFolderUserAppData] = user + "\\Application Data";
    folderPath[kFolderAllUsersAppData] = all + "\\Application Data";
    folderPath[kFolderAllUsersDocuments] = all + "\\Documents";
    specialPath[kFolderUserStartMenu] = user + "\\Start Menu";
    specialPath[kFolderAllUsersStartMenu] = all + "\\Start Menu";
    specialPath[kFolderUserDesktop] = user + "\\Desktop";
    specialPath[kFolderAllUsersDesktop] = all + "\\Desktop";
    for (auto& kv : folderPath) dirs.insert(kv.second);
    for (auto& kv : specialPath) dirs.insert(kv.second);
    dirs.insert({user, all, "C:\\Documents and Settings", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32",
                 "C:\\WINDOWS\\SYSTEM"});
  }
};

TEST(FolderResolver, ShellAnswersOnXp) {
  XpMachine m;
  FolderResolver r(m);
  const std::string user = "C:\\Documents and Settings\\Ann", all = "C:\\Documents and Settings\\All Users";
  struct Case {
    const char* what;
    std::string got, expected;
  } const cases[] = {
      {"UserDir", r.UserDir(false), user},
      {"UserDir+", r.UserDir(true), user + "\\"},
      {"DocumentsAndSettingsDir", r.DocumentsAndSettingsDir(false), "C:\\Documents and Settings"},
      {"AllUsersDir", r.AllUsersDir(false), all},
      {"UserAppDataDir", r.UserAppDataDir(true), user + "\\Application Data\\"},
      {"AllUsersAppDataDir", r.AllUsersAppDataDir(false), all + "\\Application Data"},
      {"MyDocumentsDir", r.MyDocumentsDir(false), user + "\\My Documents"},
      {"AllUsersDocumentsDir", r.AllUsersDocumentsDir(false), all + "\\Documents"},
      {"UserStartMenuDir", r.UserStartMenuDir(false), user + "\\Start Menu"},
      {"AllUsersStartMenuDir", r.AllUsersStartMenuDir(false), all + "\\Start Menu"},
      {"UserDesktopDir", r.UserDesktopDir(false), user + "\\Desktop"},
      {"AllUsersDesktopDir", r.AllUsersDesktopDir(true), all + "\\Desktop\\"},
      {"WinDir", r.WinDir(true), "C:\\WINDOWS\\"},
      {"SysDir", r.SysDir(false), "C:\\WINDOWS\\SYSTEM32"},
      {"System16Dir", r.System16Dir(), "C:\\WINDOWS\\SYSTEM"},
      {"FontDir", r.FontDir(), "C:\\WINDOWS\\Fonts"},  // no registry value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.got, c.expected);
  }
}

TEST(FolderResolver, WithoutShellFolderFunctionsFallBack) {
  FakeFolders m;  // no SHFolder.dll, no shell answers
  m.dirs = {"C:\\WINDOWS", "C:\\WINDOWS\\Profiles\\Ann"};
  FolderResolver r(m);
  const std::string profile = "C:\\WINDOWS\\Profiles\\Ann";
  EXPECT_EQ(r.ProfileFallbackDir(false), profile);
  EXPECT_EQ(r.MyDocumentsDir(false), profile + "\\My Documents");
  EXPECT_EQ(r.UserAppDataDir(false), profile + "\\Application Data");
  EXPECT_EQ(r.UserDir(false), profile);
  EXPECT_EQ(r.DocumentsAndSettingsDir(false), profile);
  EXPECT_EQ(r.AllUsersDir(false), "C:\\WINDOWS");
  EXPECT_EQ(r.AllUsersAppDataDir(false), "C:\\WINDOWS\\Application Data");
  EXPECT_EQ(r.AllUsersDocumentsDir(false), "C:\\WINDOWS\\Documents");
  // Start menu: the user's, then all users' (the last fallback is never checked).
  EXPECT_EQ(r.UserStartMenuDir(false), "C:\\WINDOWS\\Start Menu");
  m.dirs.insert(profile + "\\Start Menu");
  EXPECT_EQ(r.UserStartMenuDir(false), profile + "\\Start Menu");
  EXPECT_EQ(r.AllUsersStartMenuDir(false), "C:\\WINDOWS\\Start Menu");
  EXPECT_EQ(r.UserDesktopDir(false), "C:\\WINDOWS\\Desktop");
  EXPECT_EQ(r.AllUsersDesktopDir(true), "C:\\WINDOWS\\Desktop\\");

  // Without the owner's Profiles folder the Windows folder stands in.
  m.dirs.erase(profile);
  EXPECT_EQ(r.ProfileFallbackDir(true), "C:\\WINDOWS\\");
  EXPECT_EQ(r.MyDocumentsDir(false), "C:\\WINDOWS\\My Documents");
}

TEST(FolderResolver, StepsUpOnlyFromExistingFolders) {
  FakeFolders m;
  m.dirs = {"C:\\WINDOWS"};
  m.folderPath[kFolderMyDocuments] = "D:\\Users\\Ann\\Docs";
  m.folderPath[kFolderAllUsersAppData] = "D:\\All\\Data";
  FolderResolver r(m);
  // Documents missing: no step up, and the profile fallback takes over.
  EXPECT_EQ(r.UserDir(false), "C:\\WINDOWS");
  EXPECT_EQ(r.AllUsersDir(false), "C:\\WINDOWS");
  // Documents exist but their parent does not: one step up, then the fallback.
  m.dirs.insert("D:\\Users\\Ann\\Docs");
  EXPECT_EQ(r.UserDir(false), "C:\\WINDOWS");
  m.dirs.insert("D:\\Users\\Ann");
  EXPECT_EQ(r.UserDir(false), "D:\\Users\\Ann");
  EXPECT_EQ(r.DocumentsAndSettingsDir(false), "C:\\WINDOWS");  // D:\Users does not exist
  m.dirs.insert("D:\\Users");
  EXPECT_EQ(r.DocumentsAndSettingsDir(false), "D:\\Users");
  // A shell folder on a drive root: the parent is the bare drive.
  m.dirs.insert({"D:\\All\\Data", "D:\\All"});
  EXPECT_EQ(r.AllUsersDir(false), "D:\\All");
}

TEST(FolderResolver, System16AndFontAndRegistryFolders) {
  FakeFolders m;
  FolderResolver r(m);
  m.dirs = {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SYSTEM"};
  EXPECT_EQ(r.System16Dir(), "C:\\WINDOWS\\SYSTEM");
  m.system = "C:\\W32\\SYSTEM32";  // the last "32" goes
  m.dirs.insert({"C:\\W32\\SYSTEM", "C:\\W32\\SYSTEM32"});
  EXPECT_EQ(r.System16Dir(), "C:\\W32\\SYSTEM");
  m.system = "C:\\WINDOWS\\SYSTEM";  // no "32": the Windows folder's System
  EXPECT_EQ(r.System16Dir(), "C:\\WINDOWS\\System");
  m.dirs = {"C:\\WINDOWS\\SYSTEM32"};
  m.system = "C:\\WINDOWS\\SYSTEM32\\";  // nothing beside it: the system folder itself
  EXPECT_EQ(r.System16Dir(), "C:\\WINDOWS\\SYSTEM32");

  const std::string shellFolders = kUserShellFoldersKeyPath;
  m.registry[shellFolders + "|Fonts"] = "E:\\Fonts";
  EXPECT_EQ(r.FontDir(), "C:\\WINDOWS\\Fonts");  // the registered folder does not exist
  m.dirs.insert("E:\\Fonts");
  EXPECT_EQ(r.FontDir(), "E:\\Fonts");

  EXPECT_EQ(r.ProgramFilesDir(), "");
  m.registry[std::string(kCurrentVersionKeyPath) + "|ProgramFilesDir"] = "C:\\Program Files";
  m.registry[std::string(kCurrentVersionKeyPath) + "|CommonFilesDir"] = "C:\\Program Files\\Common Files";
  EXPECT_EQ(r.ProgramFilesDir(), "C:\\Program Files");
  EXPECT_EQ(r.CommonFilesDir(), "C:\\Program Files\\Common Files");
  EXPECT_FALSE(r.DirExists(""));
}

}  // namespace
}  // namespace vx
