// Well-known folders of the running system (Win32 layer over folder_resolver.h and paths.h).
// Operations with an add flag end with exactly one backslash when add is true and without one
// when it is false; the rest say what they return.
#pragma once
#include <string>

#include "env/paths.h"

namespace vx {

// The code page's lead-byte test (IsDBCSLeadByte) for the path rules of paths.h.
LeadByteTest SystemLeadBytes();
std::string SetTrailingBackslash(const std::string& path, bool add);
std::string RemoveTrailingBackslash(const std::string& path);
std::string CollapseBackslashes(const std::string& path, bool strip);

std::string ExePath();  // the running program's full path
std::string ExeDir(bool add = true);
std::string WinDir(bool add = true);
std::string SysDir(bool add = true);
std::string TempDir(bool add = true);
std::string System16Dir();      // no trailing backslash
std::string FontDir();
std::string ProgramFilesDir();  // empty when the registry has none
std::string CommonFilesDir();   // empty when the registry has none
std::string StartMenuDir();     // empty when the registry has none
// The program that started this copy ("/OriginExe=", "*" standing for spaces), else ExePath.
std::string OriginExe();
std::string OriginDir();  // folder of OriginExe, no trailing backslash; ExeDir(false) when empty

std::string SpecialFolderPath(int id);  // SHGetSpecialFolderPathA; empty when unavailable
std::string FolderPath(int id);         // SHGetFolderPathA; empty when unavailable or failing
bool DirExists(const std::string& path);  // false for empty text

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

}  // namespace vx
