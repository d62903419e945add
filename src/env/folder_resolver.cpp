#include "env/folder_resolver.h"

#include "env/utils.h"

namespace vx {

const char* const kUserShellFoldersKeyPath =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

namespace {
const char* const kStartMenuKeyPath =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}  // namespace

std::string FolderResolver::Finish(const std::string& path, bool add) {
  return SetTrailingBackslash(path, add, sys_.LeadBytes());
}

std::string FolderResolver::Parent(const std::string& path) { return ParentOf(path, sys_.LeadBytes()); }

std::string FolderResolver::UpIfExists(const std::string& path) {
  return DirExists(path) ? Parent(path) : path;
}

bool FolderResolver::DirExists(const std::string& path) { return !path.empty() && sys_.FolderExists(path); }

std::string FolderResolver::WinDir(bool add) { return Finish(sys_.WindowsDirectory(), add); }

std::string FolderResolver::SysDir(bool add) { return Finish(sys_.SystemDirectory(), add); }

std::string FolderResolver::System16Dir() {
  const std::string sys = SysDir(false);
  const int p = LastPos("32", sys);
  if (p > 0) {
    std::string beside = sys;
    beside.erase(static_cast<size_t>(p) - 1, 2);
    if (DirExists(beside)) return beside;  // ...\system32 -> ...\system
  }
  const std::string system = WinDir(true) + "System";
  if (DirExists(system)) return system;
  return sys;
}

std::string FolderResolver::FontDir() {
  const std::string fonts = sys_.RegistryText(kUserShellFoldersKeyPath, "Fonts");
  if (DirExists(fonts)) return fonts;
  return WinDir(true) + "Fonts";
}

std::string FolderResolver::ProgramFilesDir() { return sys_.RegistryText(kCurrentVersionKeyPath, "ProgramFilesDir"); }

std::string FolderResolver::CommonFilesDir() { return sys_.RegistryText(kCurrentVersionKeyPath, "CommonFilesDir"); }

std::string FolderResolver::StartMenuDir() { return sys_.RegistryText(kStartMenuKeyPath, "Start Menu"); }

std::string FolderResolver::ProfileFallbackDir(bool add) {
  std::string dir = WinDir(true) + "Profiles\\" + sys_.RegisteredOwner();
  if (!DirExists(dir)) dir = WinDir(false);
  return Finish(dir, add);
}

std::string FolderResolver::UserDir(bool add) {
  std::string dir = UpIfExists(sys_.FolderPath(kFolderMyDocuments));
  if (!DirExists(dir)) dir = ProfileFallbackDir(false);
  return Finish(dir, add);
}

std::string FolderResolver::DocumentsAndSettingsDir(bool add) {
  std::string dir = UpIfExists(UpIfExists(sys_.FolderPath(kFolderMyDocuments)));
  if (!DirExists(dir)) dir = ProfileFallbackDir(false);
  return Finish(dir, add);
}

std::string FolderResolver::AllUsersDir(bool add) {
  std::string dir = UpIfExists(sys_.FolderPath(kFolderAllUsersAppData));
  if (!DirExists(dir)) dir = WinDir(false);
  return Finish(dir, add);
}

std::string FolderResolver::UserAppDataDir(bool add) {
  std::string dir = sys_.FolderPath(kFolderUserAppData);
  if (!DirExists(dir)) dir = ProfileFallbackDir(true) + "Application Data";
  return Finish(dir, add);
}

std::string FolderResolver::AllUsersAppDataDir(bool add) {
  std::string dir = sys_.FolderPath(kFolderAllUsersAppData);
  if (!DirExists(dir)) dir = WinDir(true) + "Application Data";
  return Finish(dir, add);
}

std::string FolderResolver::MyDocumentsDir(bool add) {
  std::string dir = sys_.FolderPath(kFolderMyDocuments);
  if (!DirExists(dir)) dir = ProfileFallbackDir(true) + "My Documents";
  return Finish(dir, add);
}

std::string FolderResolver::AllUsersDocumentsDir(bool add) {
  std::string dir = sys_.FolderPath(kFolderAllUsersDocuments);
  if (!DirExists(dir)) dir = WinDir(true) + "Documents";
  return Finish(dir, add);
}

std::string FolderResolver::UserStartMenuDir(bool add) {
  std::string dir = sys_.SpecialFolderPath(kFolderUserStartMenu);
  if (!DirExists(dir)) dir = UserDir(true) + "Start Menu";
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Start Menu";
  return Finish(dir, add);
}

std::string FolderResolver::AllUsersStartMenuDir(bool add) {
  std::string dir = sys_.SpecialFolderPath(kFolderAllUsersStartMenu);
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Start Menu";
  return Finish(dir, add);
}

std::string FolderResolver::UserDesktopDir(bool add) {
  std::string dir = sys_.SpecialFolderPath(kFolderUserDesktop);
  if (!DirExists(dir)) dir = UserDir(true) + "Desktop";
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Desktop";
  return Finish(dir, add);
}

std::string FolderResolver::AllUsersDesktopDir(bool add) {
  std::string dir = sys_.SpecialFolderPath(kFolderAllUsersDesktop);
  if (!DirExists(dir)) dir = AllUsersDir(true) + "Desktop";
  return Finish(dir, add);
}

}  // namespace vx
