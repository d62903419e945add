// Resolution of the system and special folders over a small platform interface (portable), so the
// fallback chains run against an in-memory file system in tests. The Win32 binding is folders.h.
#pragma once
#include "system/registry.h"
#include "text/paths.h"
#include "text/str.h"

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

// The shell's special folders with fallback chains, in the order of the macro sources.
enum SpecialFolder : unsigned char {
  kSpecialUserDir,
  kSpecialUserAppDataDir,
  kSpecialMyDocumentsDir,
  kSpecialUserStartMenuDir,
  kSpecialUserDesktopDir,
  kSpecialDocumentsAndSettingsDir,
  kSpecialAllUsersDir,
  kSpecialAllUsersAppDataDir,
  kSpecialAllUsersDocumentsDir,
  kSpecialAllUsersStartMenuDir,
  kSpecialAllUsersDesktopDir,
};

// Registry locations the folder rules read.
extern const char* const kUserShellFoldersKeyPath;  // HKCU\Software\...\Explorer\Shell Folders (fonts, start menu)

// What the rules need from the system. Every answer is fetched afresh on each call.
class FolderSystem {
 public:
  virtual ~FolderSystem() = default;
  virtual LeadByteTest LeadBytes() = 0;
  virtual bool FolderExists(const String& path) = 0;
  virtual String WindowsDirectory() = 0;           // as the system reports it
  virtual String SystemDirectory() = 0;            // as the system reports it
  virtual String FolderPath(int id) = 0;           // SHGetFolderPathA; empty when unavailable
  virtual String SpecialFolderPath(int id) = 0;    // SHGetSpecialFolderPathA; empty when unavailable
  virtual String RegistryText(const char* keyPath, const char* valueName) = 0;
  virtual String RegisteredOwner() = 0;
};

// The folder rules. Results that take an add flag end with exactly one backslash when add is
// true and without one otherwise; the others are stated per function.
class FolderResolver {
 public:
  explicit FolderResolver(FolderSystem& sys) : sys_(sys) {}

  bool DirExists(const String& path);  // false for empty text
  String WinDir(bool add);
  String SysDir(bool add);
  String System16Dir();      // no trailing backslash
  String FontDir();          // as read, or the Windows folder + "Fonts"
  String ProgramFilesDir();  // registry text, empty if absent
  String CommonFilesDir();
  String StartMenuDir();

  String ProfileFallbackDir(bool add);
  // A special folder: its first source, then each fallback while the folder found so far does
  // not exist (the last fallback is not checked).
  String SpecialDir(SpecialFolder folder, bool add);
  String UserDir(bool add) { return SpecialDir(kSpecialUserDir, add); }
  String DocumentsAndSettingsDir(bool add) { return SpecialDir(kSpecialDocumentsAndSettingsDir, add); }
  String AllUsersDir(bool add) { return SpecialDir(kSpecialAllUsersDir, add); }
  String UserAppDataDir(bool add) { return SpecialDir(kSpecialUserAppDataDir, add); }
  String AllUsersAppDataDir(bool add) { return SpecialDir(kSpecialAllUsersAppDataDir, add); }
  String MyDocumentsDir(bool add) { return SpecialDir(kSpecialMyDocumentsDir, add); }
  String AllUsersDocumentsDir(bool add) { return SpecialDir(kSpecialAllUsersDocumentsDir, add); }
  String UserStartMenuDir(bool add) { return SpecialDir(kSpecialUserStartMenuDir, add); }
  String AllUsersStartMenuDir(bool add) { return SpecialDir(kSpecialAllUsersStartMenuDir, add); }
  String UserDesktopDir(bool add) { return SpecialDir(kSpecialUserDesktopDir, add); }
  String AllUsersDesktopDir(bool add) { return SpecialDir(kSpecialAllUsersDesktopDir, add); }

 private:
  String Finish(const String& path, bool add);
  String Parent(const String& path);
  // The parent of path, taken only when path exists.
  String UpIfExists(const String& path);
  FolderSystem& sys_;
};

}  // namespace vx
