// Resolution of the system and special folders over a small platform interface (portable), so the
// fallback chains run against an in-memory file system in tests. The Win32 binding is folders.h.
#pragma once
#include <string>

#include "env/paths.h"
#include "env/registry.h"

namespace vx {

// Shell folder ids; 0x8000 asks the shell to create a missing folder.
enum ShellFolderId : int {
  kFolderMyDocuments = 0x8005,
  kFolderUserAppData = 0x801A,
  kFolderAllUsersAppData = 0x8023,
  kFolderAllUsersDocuments = 0x802E,
  kFolderUserStartMenu = 0x000B,
  kFolderAllUsersStartMenu = 0x0016,
  kFolderUserDesktop = 0x0010,
  kFolderAllUsersDesktop = 0x0019,
};

// Registry locations the folder rules read.
extern const char* const kUserShellFoldersKeyPath;  // HKCU\Software\...\Explorer\Shell Folders

// What the rules need from the system. Every answer is fetched afresh on each call.
class FolderSystem {
 public:
  virtual ~FolderSystem() = default;
  virtual LeadByteTest LeadBytes() = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  virtual std::string WindowsDirectory() = 0;           // as the system reports it
  virtual std::string SystemDirectory() = 0;            // as the system reports it
  virtual std::string FolderPath(int id) = 0;           // SHGetFolderPathA; empty when unavailable
  virtual std::string SpecialFolderPath(int id) = 0;    // SHGetSpecialFolderPathA; empty when unavailable
  virtual std::string RegistryText(const std::string& keyPath, const std::string& valueName) = 0;
  virtual std::string RegisteredOwner() = 0;
};

// The folder rules. Results that take an add flag end with exactly one backslash when add is
// true and without one otherwise; the others are stated per function.
class FolderResolver {
 public:
  explicit FolderResolver(FolderSystem& sys) : sys_(sys) {}

  bool DirExists(const std::string& path);  // false for empty text
  std::string WinDir(bool add);
  std::string SysDir(bool add);
  std::string System16Dir();      // no trailing backslash
  std::string FontDir();          // as read, or the Windows folder + "Fonts"
  std::string ProgramFilesDir();  // registry text, empty if absent
  std::string CommonFilesDir();
  std::string StartMenuDir();

  std::string ProfileFallbackDir(bool add);
  std::string UserDir(bool add);
  std::string DocumentsAndSettingsDir(bool add);
  std::string AllUsersDir(bool add);
  std::string UserAppDataDir(bool add);
  std::string AllUsersAppDataDir(bool add);
  std::string MyDocumentsDir(bool add);
  std::string AllUsersDocumentsDir(bool add);
  std::string UserStartMenuDir(bool add);
  std::string AllUsersStartMenuDir(bool add);
  std::string UserDesktopDir(bool add);
  std::string AllUsersDesktopDir(bool add);

 private:
  std::string Finish(const std::string& path, bool add);
  std::string Parent(const std::string& path);
  // The parent of path, taken only when path exists.
  std::string UpIfExists(const std::string& path);
  FolderSystem& sys_;
};

}  // namespace vx
