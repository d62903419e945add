// Well-known folders of the running system (Win32 layer over folder_resolver.h and paths.h).
// Operations with an add flag end with exactly one backslash when add is true and without one
// when it is false; the rest say what they return.
#pragma once
#include "text/paths.h"
#include "text/str.h"

namespace vx {

// The code page's lead-byte test (IsDBCSLeadByte) for the path rules of paths.h.
LeadByteTest SystemLeadBytes();
String SetTrailingBackslash(const String& path, bool add);
String RemoveTrailingBackslash(const String& path);
String CollapseBackslashes(const String& path, bool strip);

String ExePath();  // the running program's full path
String ExeDir(bool add = true);
String WinDir(bool add = true);
String SysDir(bool add = true);
String TempDir(bool add = true);
String System16Dir();      // no trailing backslash
String FontDir();
String ProgramFilesDir();  // empty when the registry has none
String CommonFilesDir();   // empty when the registry has none
String StartMenuDir();     // empty when the registry has none
// The program that started this copy ("/OriginExe=", "*" standing for spaces), else ExePath.
String OriginExe();
String OriginDir();  // folder of OriginExe, no trailing backslash; ExeDir(false) when empty

String SpecialFolderPath(int id);  // SHGetSpecialFolderPathA; empty when unavailable
String FolderPath(int id);         // SHGetFolderPathA; empty when unavailable or failing
bool DirExists(const String& path);  // false for empty text

String ProfileFallbackDir(bool add);
String UserDir(bool add);
String DocumentsAndSettingsDir(bool add);
String AllUsersDir(bool add);
String UserAppDataDir(bool add);
String AllUsersAppDataDir(bool add);
String MyDocumentsDir(bool add);
String AllUsersDocumentsDir(bool add);
String UserStartMenuDir(bool add);
String AllUsersStartMenuDir(bool add);
String UserDesktopDir(bool add);
String AllUsersDesktopDir(bool add);

}  // namespace vx
