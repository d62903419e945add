#include "system/folder_resolver.h"

#include "text/utils.h"

namespace vx {

const char* const kUserShellFoldersKeyPath =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

namespace {
const char* const kStartMenuKeyPath =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}  // namespace

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
  const int p = LastPos("32", sys);
  if (p > 0) {
    String beside = sys;
    beside.erase(static_cast<size_t>(p) - 1, 2);
    if (DirExists(beside)) return beside;  // ...\system32 -> ...\system
  }
  const String system = WinDir(true) + "System";
  if (DirExists(system)) return system;
  return sys;
}

String FolderResolver::FontDir() {
  const String fonts = sys_.RegistryText(kUserShellFoldersKeyPath, "Fonts");
  if (DirExists(fonts)) return fonts;
  return WinDir(true) + "Fonts";
}

String FolderResolver::ProgramFilesDir() { return sys_.RegistryText(kCurrentVersionKeyPath, "ProgramFilesDir"); }

String FolderResolver::CommonFilesDir() { return sys_.RegistryText(kCurrentVersionKeyPath, "CommonFilesDir"); }

String FolderResolver::StartMenuDir() { return sys_.RegistryText(kStartMenuKeyPath, "Start Menu"); }

String FolderResolver::ProfileFallbackDir(bool add) {
  String dir = WinDir(true) + "Profiles\\" + sys_.RegisteredOwner();
  if (!DirExists(dir)) dir = WinDir(false);
  return Finish(dir, add);
}

String FolderResolver::UserDir(bool add) {
  String dir = UpIfExists(sys_.FolderPath(kFolderMyDocuments));
  if (!DirExists(dir)) dir = ProfileFallbackDir(false);
  return Finish(dir, add);
}

String FolderResolver::DocumentsAndSettingsDir(bool add) {
  String dir = UpIfExists(UpIfExists(sys_.FolderPath(kFolderMyDocuments)));
  if (!DirExists(dir)) dir = ProfileFallbackDir(false);
  return Finish(dir, add);
}

String FolderResolver::AllUsersDir(bool add) {
  String dir = UpIfExists(sys_.FolderPath(kFolderAllUsersAppData));
  if (!DirExists(dir)) dir = WinDir(false);
  return Finish(dir, add);
}

String FolderResolver::UserAppDataDir(bool add) {
  String dir = sys_.FolderPath(kFolderUserAppData);
  if (!DirExists(dir)) dir = ProfileFallbackDir(true) + "Application Data";
  return Finish(dir, add);
}

String FolderResolver::AllUsersAppDataDir(bool add) {
  String dir = sys_.FolderPath(kFolderAllUsersAppData);
  if (!DirExists(dir)) dir = WinDir(true) + "Application Data";
  return Finish(dir, add);
}

String FolderResolver::MyDocumentsDir(bool add) {
  String dir = sys_.FolderPath(kFolderMyDocuments);
  if (!DirExists(dir)) dir = ProfileFallbackDir(true) + "My Documents";
  return Finish(dir, add);
}

String FolderResolver::AllUsersDocumentsDir(bool add) {
  String dir = sys_.FolderPath(kFolderAllUsersDocuments);
  if (!DirExists(dir)) dir = WinDir(true) + "Documents";
  return Finish(dir, add);
}

String FolderResolver::UserStartMenuDir(bool add) {
  String dir = sys_.SpecialFolderPath(kFolderUserStartMenu);
  if (!DirExists(dir)) dir = UserDir(true) + "Start Menu";
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Start Menu";
  return Finish(dir, add);
}

String FolderResolver::AllUsersStartMenuDir(bool add) {
  String dir = sys_.SpecialFolderPath(kFolderAllUsersStartMenu);
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Start Menu";
  return Finish(dir, add);
}

String FolderResolver::UserDesktopDir(bool add) {
  String dir = sys_.SpecialFolderPath(kFolderUserDesktop);
  if (!DirExists(dir)) dir = UserDir(true) + "Desktop";
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Desktop";
  return Finish(dir, add);
}

String FolderResolver::AllUsersDesktopDir(bool add) {
  String dir = sys_.SpecialFolderPath(kFolderAllUsersDesktop);
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Desktop";
  return Finish(dir, add);
}

}  // namespace vx
