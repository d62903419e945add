#include "system/folder_resolver.h"

#include "text/utils.h"

namespace vx {

const char* const kUserShellFoldersKeyPath =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

String FolderResolver::Finish(const String& path, bool add) {
  return SetTrailingBackslash(path, add, sys_.LeadBytes());
}

String FolderResolver::Parent(const String& path) { return ParentOf(path, sys_.LeadBytes()); }

String FolderResolver::UpIfExists(const String& path) {
  return DirExists(path) ? Parent(path) : path;
}

bool FolderResolver::DirExists(const String& path) { return !path.empty() && sys_.FolderExists(path); }

String FolderResolver::WinDir(bool add) { return Finish(sys_.WindowsDirectory(), add); }

String FolderResolver::SysDir(bool add) { return Finish(sys_.SystemDirectory(), add); }

String FolderResolver::System16Dir() {
  const String sys = SysDir(false);
  String dir = sys;  // the one text returned, so it is built in place
  const int p = LastPos("32", sys);
  if (p > 0) dir.erase(static_cast<size_t>(p) - 1, 2);  // ...\system32 -> ...\system
  if (p == 0 || !DirExists(dir)) {
    dir = WinDir(true) + "System";
    if (!DirExists(dir)) dir = sys;
  }
  return dir;
}

String FolderResolver::FontDir() {
  String dir = sys_.RegistryText(kUserShellFoldersKeyPath, "Fonts");
  if (!DirExists(dir)) dir = WinDir(true) + "Fonts";
  return dir;
}

String FolderResolver::ProgramFilesDir() { return sys_.RegistryText(kCurrentVersionKeyPath, "ProgramFilesDir"); }

String FolderResolver::CommonFilesDir() { return sys_.RegistryText(kCurrentVersionKeyPath, "CommonFilesDir"); }

String FolderResolver::StartMenuDir() { return sys_.RegistryText(kUserShellFoldersKeyPath, "Start Menu"); }

String FolderResolver::ProfileFallbackDir(bool add) {
  String dir = WinDir(true) + "Profiles\\" + sys_.RegisteredOwner();
  if (!DirExists(dir)) dir = WinDir(false);
  return Finish(dir, add);
}

namespace {

// Where a fallback starts: the profile fallback, the Windows folder, or the user's or all users'
// folder. Followed by a name, the base is taken with its trailing backslash; alone, without.
enum FallbackBase : unsigned char { kNoFallback, kFromProfile, kFromWindows, kFromUser, kFromAllUsers };
const char* const kFallbackNames[] = {"", "Application Data", "My Documents", "Documents", "Start Menu", "Desktop"};

struct SpecialRule {
  unsigned short id;              // shell folder id
  unsigned char shell;            // 1: SpecialFolderPath rather than FolderPath
  unsigned char up;               // steps up to the parent, each taken only when the folder exists
  unsigned char fallbacks[2][2];  // each fallback's base and index in kFallbackNames
};

const SpecialRule kSpecialRules[] = {
    {kFolderMyDocuments, 0, 1, {{kFromProfile, 0}, {kNoFallback, 0}}},          // UserDir
    {kFolderUserAppData, 0, 0, {{kFromProfile, 1}, {kNoFallback, 0}}},          // UserAppDataDir
    {kFolderMyDocuments, 0, 0, {{kFromProfile, 2}, {kNoFallback, 0}}},          // MyDocumentsDir
    {kFolderUserStartMenu, 1, 0, {{kFromUser, 4}, {kFromAllUsers, 4}}},         // UserStartMenuDir
    {kFolderUserDesktop, 1, 0, {{kFromUser, 5}, {kFromAllUsers, 5}}},           // UserDesktopDir
    {kFolderMyDocuments, 0, 2, {{kFromProfile, 0}, {kNoFallback, 0}}},          // DocumentsAndSettingsDir
    {kFolderAllUsersAppData, 0, 1, {{kFromWindows, 0}, {kNoFallback, 0}}},      // AllUsersDir
    {kFolderAllUsersAppData, 0, 0, {{kFromWindows, 1}, {kNoFallback, 0}}},      // AllUsersAppDataDir
    {kFolderAllUsersDocuments, 0, 0, {{kFromWindows, 3}, {kNoFallback, 0}}},    // AllUsersDocumentsDir
    {kFolderAllUsersStartMenu, 1, 0, {{kFromAllUsers, 4}, {kNoFallback, 0}}},   // AllUsersStartMenuDir
    {kFolderAllUsersDesktop, 1, 0, {{kFromAllUsers, 5}, {kNoFallback, 0}}},     // AllUsersDesktopDir
};

}  // namespace

String FolderResolver::SpecialDir(SpecialFolder folder, bool add) {
  const SpecialRule& rule = kSpecialRules[folder];
  String dir = rule.shell ? sys_.SpecialFolderPath(rule.id) : sys_.FolderPath(rule.id);
  for (int i = 0; i < rule.up; ++i) dir = UpIfExists(dir);
  for (const auto& fallback : rule.fallbacks) {
    if (fallback[0] == kNoFallback || DirExists(dir)) break;
    const char* const name = kFallbackNames[fallback[1]];
    const bool withName = *name != '\0';
    switch (fallback[0]) {
      case kFromProfile: dir = ProfileFallbackDir(withName); break;
      case kFromWindows: dir = WinDir(withName); break;
      default: dir = SpecialDir(fallback[0] == kFromUser ? kSpecialUserDir : kSpecialAllUsersDir, withName); break;
    }
    dir += name;
  }
  return Finish(dir, add);
}

}  // namespace vx
