// Well-known folders of the running system (Win32 layer over folder_resolver.h and paths.h).
// Operations with an add flag end with exactly one backslash when add is true and without one
// when it is false; the rest say what they return.
#pragma once
#include "system/folder_resolver.h"
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
String TempDir(bool add = true);
// The program that started this copy ("/OriginExe=", "*" standing for spaces), else ExePath.
String OriginExe();
String OriginDir();  // folder of OriginExe, no trailing backslash; ExeDir(false) when empty

String SpecialFolderPath(int id);  // SHGetSpecialFolderPathA; empty when unavailable
String FolderPath(int id);         // SHGetFolderPathA; empty when unavailable or failing

// The Windows, system and special folders: the rules of folder_resolver.h over this system.
FolderResolver SystemFolders();

}  // namespace vx
